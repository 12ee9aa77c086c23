#pragma once
// The client side of a server exchange (updater, player, shell): connect to
// the server, send whole messages, receive framed messages, and the end of
// the connection. One connection per operation; there is no reconnect.
//
// The connect blocks the calling thread until the connection completes or
// fails; a user-interface thread stays responsive only in that the caller's
// whileWaiting callback runs every few milliseconds (the GUI programs pass a
// repaint-only pump, so that other events stay queued and nothing re-enters
// the program mid-connect). The updater and the shell give up after 15
// seconds; the player waits for the system's answer.
#include "common/protocol/MessageChannel.h"
#include "common/protocol/MessageCodes.h"
#include "common/protocol/ServerMessage.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

namespace lumi::protocol {

// How long the updater and the shell wait for a connection.
inline constexpr int kConnectTimeoutSeconds = 15;

// A connect deadline in whole seconds: start time (seconds, rounded down)
// plus the time-out. It has passed once the clock's whole second reaches it,
// so a connect that starts late in a second waits a little less than the
// full time-out, never more.
class ConnectDeadline {
 public:
  // Milliseconds on a clock that does not jump with the wall clock.
  using Clock = std::function<qint64()>;
  static qint64 steadyMilliseconds();

  // No deadline: wait for the system's answer.
  ConnectDeadline() = default;
  static ConnectDeadline after(int seconds, Clock clock = &steadyMilliseconds);

  bool isSet() const { return bool(clock_); }
  // In the clock's whole seconds.
  qint64 deadlineSecond() const { return deadline_; }
  bool passed() const;

 private:
  Clock clock_;
  qint64 deadline_ = 0;
};

struct ConnectOptions {
  ConnectDeadline deadline;
  // Runs while the connect waits (name lookup and TCP handshake).
  std::function<void()> whileWaiting;
  int waitSliceMs = 15;
  qint32 maxPayload = MessageReceiver::kDefaultMaxPayload;
};

enum class ConnectResult {
  Connected,
  HostNotFound,  // the name did not resolve to an IPv4 address
  Failed,        // refused, unreachable, or the system gave up
  TimedOut,      // the deadline passed
};

class ServerConnection : public QObject {
  Q_OBJECT

 public:
  enum class CloseMode {
    Silent,
    SendFinished,  // 2041 first: "the client closes the connection"
  };

  explicit ServerConnection(QObject* parent = nullptr);
  ~ServerConnection() override;

  // `address` is used as a dotted IPv4 address when it is one, else resolved
  // as a host name to its IPv4 addresses, tried in order; an unresolvable
  // name fails. A connection that is still open is first closed silently.
  ConnectResult connectToServer(const QString& address, quint16 port = kServerPort,
                                const ConnectOptions& options = {});
  bool isConnected() const { return channel_ && channel_->isOpen(); }

  // Whole message, blocking until the system took every byte.
  bool send(const QByteArray& message);
  bool send(const MessageBuilder& message) { return send(message.bytes()); }

  // A deliberate close is not reported through connectionLost().
  void close(CloseMode mode = CloseMode::Silent);

 signals:
  void messageReceived(qint32 code, const QByteArray& payload);
  // The connection is gone and has been discarded; lossText(reason) is the
  // message box text.
  void connectionLost(lumi::protocol::ConnectionLoss reason);

 private:
  QPointer<MessageChannel> channel_;
};

}  // namespace lumi::protocol
