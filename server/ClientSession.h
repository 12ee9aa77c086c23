#pragma once
// One client connection of the server: the framed channel, the exchange
// handlers that serve it, and its end. A session that ends for whatever
// reason (the client closed, sent what cannot be framed, or broke an
// exchange) affects no other session.
#include "common/protocol/MessageChannel.h"
#include "server/ExchangeHandler.h"

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class QTcpSocket;

namespace lumi::server {

class ClientSession : public QObject {
  Q_OBJECT

 public:
  ClientSession(QTcpSocket* socket, std::vector<std::unique_ptr<ExchangeHandler>> handlers, qint32 maxPayload,
                QObject* parent = nullptr);
  ~ClientSession() override;

  bool send(const QByteArray& message);
  // Ends the connection; `reason` goes to the server's diagnostics.
  void drop(const QString& reason);
  QString peerName() const { return peerName_; }

 signals:
  // Emitted once; the server deletes the session afterwards.
  void finished(lumi::server::ClientSession* session, const QString& reason);

 private:
  void onMessage(qint32 code, const QByteArray& payload);
  void finish(const QString& reason);

  protocol::MessageChannel* channel_;
  std::vector<std::unique_ptr<ExchangeHandler>> handlers_;
  QString peerName_;
  bool finished_ = false;
};

}  // namespace lumi::server
