#pragma once
// The reference server: listens (127.0.0.1:32542 unless told otherwise),
// gives every client connection a session with fresh handlers of every
// registered exchange, and forgets a session when it ends.
//
// Clients send only short messages (the longest is a 314-byte codec
// request), so sessions refuse headers announcing more than kMaxClientPayload
// bytes: a client cannot make the server reserve memory it will never fill.
#include "server/ExchangeHandler.h"

#include <QHostAddress>
#include <QObject>
#include <QSet>
#include <QTcpServer>

#include <vector>

namespace lumi::server {

class ClientSession;

inline constexpr qint32 kMaxClientPayload = 1024 * 1024;

class MessageServer : public QObject {
  Q_OBJECT

 public:
  explicit MessageServer(QObject* parent = nullptr);
  ~MessageServer() override;

  void addExchange(ExchangeFactory factory);
  // Sessions beyond this number are closed as they connect.
  void setMaxSessions(int count) { maxSessions_ = count; }
  // A session silent for this long is dropped (0: never).
  void setIdleTimeout(int ms) { idleTimeoutMs_ = ms; }
  // A session whose client leaves more than this unread is dropped.
  void setMaxUnsentBytes(qint64 bytes) { maxUnsentBytes_ = bytes; }
  bool listen(const QHostAddress& address, quint16 port);
  QHostAddress address() const { return listener_.serverAddress(); }
  quint16 port() const { return listener_.serverPort(); }
  QString errorString() const { return listener_.errorString(); }
  qsizetype sessionCount() const { return sessions_.size(); }

 private:
  void acceptPending();
  void onSessionFinished(ClientSession* session, const QString& reason);

  QTcpServer listener_;
  std::vector<ExchangeFactory> exchanges_;
  QSet<ClientSession*> sessions_;
  int maxSessions_ = 1000;
  int idleTimeoutMs_ = 120000;
  qint64 maxUnsentBytes_ = 4 * 64 * 1024 + 1024;
};

}  // namespace lumi::server
