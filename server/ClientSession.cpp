#include "server/ClientSession.h"

#include "common/protocol/MessageCodes.h"

#include <QTcpSocket>

#include <cstdio>

namespace lumi::server {

ClientSession::ClientSession(QTcpSocket* socket, std::vector<std::unique_ptr<ExchangeHandler>> handlers,
                             qint32 maxPayload, QObject* parent)
    : QObject(parent),
      channel_(new protocol::MessageChannel(socket, maxPayload, this)),
      handlers_(std::move(handlers)),
      peerName_(channel_->peerName()) {
  connect(channel_, &protocol::MessageChannel::messageReceived, this, &ClientSession::onMessage);
  connect(channel_, &protocol::MessageChannel::lost, this, [this](protocol::ConnectionLoss loss) {
    finish(loss == protocol::ConnectionLoss::Closed ? QStringLiteral("closed by the client")
                                                    : QStringLiteral("dropped: socket error or unframeable data"));
  });
}

ClientSession::~ClientSession() = default;

bool ClientSession::send(const QByteArray& message) {
  if (finished_) return false;
  if (!channel_->post(message)) return false;
  if (channel_->unsentBytes() > maxUnsent_) {
    drop(QStringLiteral("the client does not take its data"));
    return false;
  }
  return true;
}

void ClientSession::setIdleTimeout(int ms) {
  if (!idle_) {
    idle_ = new QTimer(this);
    idle_->setSingleShot(true);
    connect(idle_, &QTimer::timeout, this, [this] { drop(QStringLiteral("idle")); });
  }
  idle_->stop();
  idleMs_ = ms;
  if (ms > 0) {
    idle_->setInterval(ms);
    idle_->start();
  }
}

void ClientSession::drop(const QString& reason) {
  if (idle_) idle_->stop();
  channel_->close();
  finish(QStringLiteral("dropped: ") + reason);
}

void ClientSession::onMessage(qint32 code, const QByteArray& payload) {
  if (idle_ && idle_->interval() > 0) idle_->start();
  const protocol::ServerMessage message{code, payload};
  for (const auto& handler : handlers_) {
    if (handler->handle(*this, message)) return;
    if (finished_) return;
  }
  // Codes nobody serves are read and dropped; the exchange goes on.
  std::fprintf(stderr, "%s: ignored %s (%lld payload bytes)\n", qPrintable(peerName_),
               protocol::messageCodeName(code).constData(), static_cast<long long>(payload.size()));
}

void ClientSession::finish(const QString& reason) {
  if (finished_) return;
  finished_ = true;
  emit finished(this, reason);
}

}  // namespace lumi::server
