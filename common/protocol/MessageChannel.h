#pragma once
// One framed message connection over a connected QTcpSocket: the receive
// state machine driven by the socket's read notifications, whole-message
// sends, and the end of the connection. The client connection and every
// session of the server sit on it.
//
// Delivery rules:
//  - Qt announces new bytes once; bytes that are already buffered when a
//    message completes (two messages in one segment) would otherwise wait for
//    the next arrival. After each message the channel queues another receive
//    pass, so the next message follows as soon as the handler has returned
//    and the event loop has run.
//  - Messages are never handled inside one another. A handler may run a
//    nested event loop (a message box) or send; notifications that arrive
//    meanwhile are held and served after it returns.
//  - When the peer closes, the messages it sent before closing are still
//    delivered; then lost(Closed) is emitted.
//  - A read error, a socket error or a header with an impossible length
//    (MessageReceiver) ends the connection with lost(SocketError).
//  - After lost() the socket is discarded; the channel never reconnects and
//    send() fails.
#include "common/protocol/MessageFraming.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>

class QTcpSocket;

namespace lumi::protocol {

enum class ConnectionLoss {
  Closed,       // the peer closed the connection
  SocketError,  // the socket failed, or the peer sent what cannot be framed
};

// The texts the programs show in their message boxes.
inline constexpr char kConnectionClosedText[] = "Connection closed";
inline constexpr char kSocketErrorText[] = "Socket Error";
QString lossText(ConnectionLoss loss);

class MessageChannel : public QObject {
  Q_OBJECT

 public:
  // Takes ownership of a connected socket.
  explicit MessageChannel(QTcpSocket* socket, qint32 maxPayload = MessageReceiver::kDefaultMaxPayload,
                          QObject* parent = nullptr);
  ~MessageChannel() override;

  bool isOpen() const { return socket_ != nullptr; }
  // Writes header and payload and blocks until the system has taken every
  // byte. False when the channel is closed or the write fails.
  bool send(const QByteArray& message);
  bool send(const MessageBuilder& message) { return send(message.bytes()); }
  // Queues the message and returns at once; the bytes go out as the peer
  // takes them (a server serving many clients on one thread must not wait
  // for any one of them). False when the channel is closed.
  bool post(const QByteArray& message);
  // Bytes posted that the system has not taken yet.
  qint64 unsentBytes() const;
  // Discards the socket without emitting lost().
  void close();
  // "127.0.0.1:40000", for logs.
  QString peerName() const { return peerName_; }

  const MessageReceiver& receiver() const { return receiver_; }

 signals:
  void messageReceived(qint32 code, const QByteArray& payload);
  void lost(lumi::protocol::ConnectionLoss reason);

 private:
  void pump();
  void schedulePump();
  void noteLoss(ConnectionLoss loss);
  void discard();

  QTcpSocket* socket_;
  MessageReceiver receiver_;
  QString peerName_;
  std::optional<ConnectionLoss> loss_;
  bool dispatching_ = false;
  bool sending_ = false;
  bool pumpHeld_ = false;    // a notification arrived while dispatching or sending
  bool pumpQueued_ = false;
};

}  // namespace lumi::protocol
