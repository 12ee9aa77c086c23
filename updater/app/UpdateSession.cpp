#include "updater/app/UpdateSession.h"

#include "common/protocol/MessageCodes.h"
#include "common/protocol/ServerMessage.h"
#include "updater/core/UpdateList.h"

#include <QDir>

namespace lumi::updater {

namespace code = protocol::code;
using Kind = transfer::TransferStep::Kind;

UpdateSession::UpdateSession(QString programFolder, QObject* parent)
    : QObject(parent), programFolder_(std::move(programFolder)) {
  bool ok = false;
  const int timeout = qEnvironmentVariableIntValue("LUMICASTER_TRANSFER_TIMEOUT_MS", &ok);
  inactivity_.setSingleShot(true);
  inactivity_.setInterval(ok && timeout > 0 ? timeout : kDefaultTransferTimeoutMs);
  connect(&inactivity_, &QTimer::timeout, this, [this] {
    connection_.close();
    if (transfer_) transfer_->abandon();
    emit lost(QString::fromLatin1(protocol::kConnectionClosedText));
  });
  connect(&connection_, &protocol::ServerConnection::messageReceived, this, &UpdateSession::onMessage);
  connect(&connection_, &protocol::ServerConnection::connectionLost, this, [this](protocol::ConnectionLoss loss) {
    inactivity_.stop();
    if (transfer_) transfer_->abandon();
    emit lost(protocol::lossText(loss));
  });
}

UpdateSession::~UpdateSession() = default;

protocol::ConnectResult UpdateSession::connectTo(const QString& address, quint16 port) {
  protocol::ConnectOptions options;
  options.deadline = protocol::ConnectDeadline::after(protocol::kConnectTimeoutSeconds);
  const protocol::ConnectResult result = connection_.connectToServer(address, port, options);
  if (result == protocol::ConnectResult::Connected) inactivity_.start();
  return result;
}

bool UpdateSession::send(const QByteArray& bytes) { return connection_.send(bytes); }

void UpdateSession::sendList(const QList<version::VersionEntry>& entries) { send(UpdateListMessages(entries)); }

void UpdateSession::accept() {
  const QString downloads = QDir(programFolder_).filePath(QStringLiteral("Update"));
  transfer_ = std::make_unique<transfer::TransferSession>(downloads, transfer::TransferRole::Updater);
  transfer_->folder().clear();
  inactivity_.start();
  send(protocol::encodeMessage(code::AcceptUpdate));
}

void UpdateSession::close() {
  inactivity_.stop();
  connection_.close();
}

void UpdateSession::onMessage(qint32 messageCode, const QByteArray& payload) {
  // The question waits for the user, not for the server: no time-out while
  // it is up (accept() starts it again).
  if (messageCode == code::ServerVersion || messageCode == code::NewVersion)
    inactivity_.stop();
  else
    inactivity_.start();
  switch (messageCode) {
    case code::NoUpdate:
      emit noUpdate();
      return;
    case code::ServerVersion: {
      protocol::PayloadReader reader(payload);
      QString version;
      reader.readCountedString(version);
      emit serverVersion(version.remove(QLatin1Char(' ')));
      return;
    }
    case code::NewVersion:
      emit newVersion();
      return;
    case code::ServerEnds:
    case code::ServerCloses:
      close();
      emit serverEnds();
      return;
    default:
      break;
  }
  if (!transfer_) return;  // transfer messages before the user said yes
  const transfer::TransferStep step = transfer_->handle(messageCode, payload);
  for (const QByteArray& reply : step.replies) send(reply);
  switch (step.kind) {
    case Kind::NotTransfer:
    case Kind::Ignored:
      return;
    case Kind::ServerCannotOpen:
      close();
      emit cannotOpen();
      return;
    case Kind::FileRefused:
    case Kind::ProtocolError:
      close();
      emit failed(step.error);
      return;
    case Kind::Finished:
      close();
      emit downloaded();
      return;
    default:
      emit progress(step);
      return;
  }
}

}  // namespace lumi::updater
