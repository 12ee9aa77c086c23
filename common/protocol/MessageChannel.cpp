#include "common/protocol/MessageChannel.h"

#include <QHostAddress>
#include <QTcpSocket>

namespace lumi::protocol {

QString lossText(ConnectionLoss loss) {
  return QString::fromLatin1(loss == ConnectionLoss::Closed ? kConnectionClosedText : kSocketErrorText);
}

MessageChannel::MessageChannel(QTcpSocket* socket, qint32 maxPayload, QObject* parent)
    : QObject(parent), socket_(socket), receiver_(maxPayload) {
  socket_->setParent(this);
  peerName_ = socket_->peerAddress().toString() + u':' + QString::number(socket_->peerPort());
  connect(socket_, &QTcpSocket::readyRead, this, &MessageChannel::pump);
  connect(socket_, &QTcpSocket::disconnected, this, [this] { noteLoss(ConnectionLoss::Closed); });
  connect(socket_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
    noteLoss(error == QAbstractSocket::RemoteHostClosedError ? ConnectionLoss::Closed : ConnectionLoss::SocketError);
  });
  // Bytes may have arrived before we were listening.
  if (socket_->bytesAvailable() > 0 || socket_->state() != QAbstractSocket::ConnectedState) schedulePump();
}

MessageChannel::~MessageChannel() {
  if (socket_) {
    disconnect(socket_, nullptr, this, nullptr);
    socket_->abort();
  }
}

void MessageChannel::noteLoss(ConnectionLoss loss) {
  // The first cause wins, except that an error overrides an orderly close:
  // after an error nothing more is delivered.
  if (!loss_ || loss == ConnectionLoss::SocketError) loss_ = loss;
  pump();
}

void MessageChannel::schedulePump() {
  if (pumpQueued_) return;
  pumpQueued_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        pumpQueued_ = false;
        pump();
      },
      Qt::QueuedConnection);
}

void MessageChannel::pump() {
  if (!socket_) return;
  if (dispatching_ || sending_) {
    pumpHeld_ = true;
    return;
  }
  pumpHeld_ = false;

  auto report = [this] {
    const ConnectionLoss reason = *loss_;
    discard();
    emit lost(reason);
  };
  if (loss_ == ConnectionLoss::SocketError) return report();

  const auto read = [this](char* into, qint64 maxBytes) { return socket_->read(into, maxBytes); };
  while (socket_->bytesAvailable() > 0) {
    MessageReceiver::StepResult step = receiver_.step(read);
    switch (step.status) {
      case MessageReceiver::Status::NeedMore:
        continue;
      case MessageReceiver::Status::Message: {
        QPointer<MessageChannel> self(this);
        dispatching_ = true;
        emit messageReceived(step.message.code, step.message.payload);
        if (!self) return;
        dispatching_ = false;
        // Whatever is left (buffered bytes, notifications held during the
        // handler, a close) is served on a fresh pass from the event loop.
        if (socket_) schedulePump();
        return;
      }
      case MessageReceiver::Status::PeerClosed:
        if (!loss_) loss_ = ConnectionLoss::Closed;
        return report();
      case MessageReceiver::Status::ReadError:
      case MessageReceiver::Status::BadLength:
        loss_ = ConnectionLoss::SocketError;
        return report();
    }
  }
  // A socket that went down before we were connected to its signals.
  if (!loss_ && socket_->state() == QAbstractSocket::UnconnectedState) loss_ = ConnectionLoss::Closed;
  if (loss_) report();
}

bool MessageChannel::send(const QByteArray& message) {
  if (!socket_ || loss_) return false;
  QPointer<MessageChannel> self(this);
  QTcpSocket* socket = socket_;
  sending_ = true;
  bool ok = socket->write(message) == message.size();
  // waitForBytesWritten() also reads and may report readyRead or a close
  // from inside; pump() holds those until the send is over.
  while (ok && socket_ && socket->bytesToWrite() > 0) ok = socket->waitForBytesWritten(-1);
  if (!self) return false;
  sending_ = false;
  ok = ok && socket_ != nullptr;
  if (!ok && socket_ && !loss_) loss_ = ConnectionLoss::SocketError;
  if (socket_ && (pumpHeld_ || loss_)) schedulePump();
  return ok;
}

bool MessageChannel::post(const QByteArray& message) {
  if (!socket_ || loss_) return false;
  if (socket_->write(message) == message.size()) {
    // Hand the system what it takes now rather than on the next pass of the
    // event loop; flush() never waits.
    socket_->flush();
    return true;
  }
  loss_ = ConnectionLoss::SocketError;
  schedulePump();
  return false;
}

qint64 MessageChannel::unsentBytes() const { return socket_ ? socket_->bytesToWrite() : 0; }

void MessageChannel::close() {
  loss_.reset();
  discard();
}

void MessageChannel::discard() {
  if (!socket_) return;
  QTcpSocket* socket = socket_;
  socket_ = nullptr;
  disconnect(socket, nullptr, this, nullptr);
  socket->abort();
  socket->deleteLater();
  receiver_.reset();
}

}  // namespace lumi::protocol
