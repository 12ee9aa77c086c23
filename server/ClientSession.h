#pragma once
// One client connection of the server: the framed channel, the exchange
// handlers that serve it, and its end. A session that ends for whatever
// reason (the client closed, sent what cannot be framed, or broke an
// exchange) affects no other session.
#include "common/protocol/MessageChannel.h"
#include "server/ExchangeHandler.h"

#include <QObject>
#include <QString>
#include <QTimer>

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

  // Queues the message without waiting for the client to take it (one
  // client that stops reading must not hold up the others). A session whose
  // unsent bytes pass its limit is dropped: false then.
  bool send(const QByteArray& message);
  void setMaxUnsentBytes(qint64 bytes) { maxUnsent_ = bytes; }
  // A session that sends nothing for this long is dropped; 0: never.
  void setIdleTimeout(int ms);
  int idleTimeout() const { return idleMs_; }
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
  qint64 maxUnsent_ = 1024 * 1024;
  QTimer* idle_ = nullptr;
  int idleMs_ = 0;
};

}  // namespace lumi::server
