#include "server/MessageServer.h"

#include "server/ClientSession.h"

#include <QTcpSocket>

#include <cstdio>

namespace lumi::server {

MessageServer::MessageServer(QObject* parent) : QObject(parent) {
  connect(&listener_, &QTcpServer::newConnection, this, &MessageServer::acceptPending);
}

MessageServer::~MessageServer() {
  for (ClientSession* session : std::as_const(sessions_)) delete session;
}

void MessageServer::addExchange(ExchangeFactory factory) { exchanges_.push_back(std::move(factory)); }

bool MessageServer::listen(const QHostAddress& address, quint16 port) { return listener_.listen(address, port); }

void MessageServer::acceptPending() {
  while (QTcpSocket* socket = listener_.nextPendingConnection()) {
    if (sessions_.size() >= maxSessions_) {
      std::fprintf(stderr, "refused a connection: %d sessions\n", maxSessions_);
      socket->abort();
      socket->deleteLater();
      continue;
    }
    std::vector<std::unique_ptr<ExchangeHandler>> handlers;
    for (const ExchangeFactory& make : exchanges_) handlers.push_back(make());
    auto* session = new ClientSession(socket, std::move(handlers), kMaxClientPayload);
    session->setMaxUnsentBytes(maxUnsentBytes_);
    session->setIdleTimeout(idleTimeoutMs_);
    sessions_.insert(session);
    connect(session, &ClientSession::finished, this, &MessageServer::onSessionFinished);
  }
}

void MessageServer::onSessionFinished(ClientSession* session, const QString& reason) {
  std::fprintf(stderr, "%s: %s\n", qPrintable(session->peerName()), qPrintable(reason));
  sessions_.remove(session);
  // Finished is emitted from inside the session's own call chain.
  session->deleteLater();
}

}  // namespace lumi::server
