#include "common/transfer/TransferSession.h"

#include "common/protocol/MessageCodes.h"
#include "common/protocol/ServerMessage.h"

namespace lumi::transfer {

namespace code = protocol::code;
using Kind = TransferStep::Kind;

namespace {
// The player's 2051 names its package in a fixed field.
constexpr qsizetype kPackageNameField = 100;
}  // namespace

TransferSession::TransferSession(QString downloadFolder, TransferRole role, TransferLimits limits)
    : folder_(std::move(downloadFolder)), role_(role), limits_(limits) {}

TransferSession::~TransferSession() { abandon(); }

void TransferSession::abandon() { file_.reset(); }

TransferStep TransferSession::fail(TransferStep step, Kind kind, const QString& error) {
  file_.reset();
  ended_ = true;
  step.kind = kind;
  step.error = error;
  step.replies = {protocol::encodeMessage(code::TransferAcknowledged)};
  return step;
}

TransferStep TransferSession::handle(qint32 messageCode, const QByteArray& payload) {
  TransferStep step;
  step.code = messageCode;
  switch (messageCode) {
    case code::TransferStart: case code::CreateFolder: case code::FileHeader: case code::FolderFileHeader:
    case code::FirstChunk: case code::NextChunk: case code::LastChunk: case code::StepFinished:
    case code::TransferFinished: case code::CannotOpenFile:
      break;
    case code::AllFilesSent:
      if (role_ == TransferRole::Updater) break;
      [[fallthrough]];
    default:
      step.kind = Kind::NotTransfer;
      return step;
  }
  if (ended_) {
    step.kind = Kind::Ignored;
    return step;
  }

  protocol::PayloadReader reader(payload);
  switch (messageCode) {
    case code::TransferStart: {
      qint32 files = 0, folders = 0, total = 0;
      if (!reader.readInt32(files) || !reader.readInt32(folders) || !reader.readInt32(total))
        return fail(step, Kind::ProtocolError, QStringLiteral("short transfer header"));
      if (file_) return fail(step, Kind::ProtocolError, QStringLiteral("transfer restarted during a file"));
      totalSize_ = total;
      totalReceived_ = 0;
      step.kind = Kind::TransferStarted;
      step.replies = {protocol::encodeMessage(code::Continue)};
      return step;
    }
    case code::CreateFolder: {
      QString name;
      if (!reader.readCountedString(name)) return fail(step, Kind::ProtocolError, QStringLiteral("malformed folder"));
      if (file_) return fail(step, Kind::ProtocolError, QStringLiteral("folder during a file"));
      QString error;
      if (!folder_.createFolder(name, &error)) return fail(step, Kind::FileRefused, name + QStringLiteral(": ") + error);
      step.kind = Kind::FolderCreated;
      step.replies = {protocol::encodeMessage(code::Continue)};
      return step;
    }
    case code::FileHeader:
    case code::FolderFileHeader:
      return startFile(step, payload);
    case code::FirstChunk:
    case code::NextChunk:
    case code::LastChunk:
      return chunk(step, payload);
    case code::StepFinished:
      if (file_) return fail(step, Kind::ProtocolError, QStringLiteral("step finished during a file"));
      step.kind = Kind::StepFinished;
      step.replies = {protocol::encodeMessage(code::Continue)};
      return step;
    case code::AllFilesSent:
      if (file_) return fail(step, Kind::ProtocolError, QStringLiteral("all files sent during a file"));
      step.kind = Kind::AllFilesSent;
      step.replies = {protocol::encodeMessage(code::TransferAcknowledged)};
      return step;
    case code::TransferFinished:
      if (file_) {
        // Nothing is installed from an incomplete transfer; no reply either:
        // the server has already ended its side.
        file_.reset();
        ended_ = true;
        step.kind = Kind::ProtocolError;
        step.error = QStringLiteral("transfer finished during a file");
        return step;
      }
      if (role_ == TransferRole::Player) reader.readFixedText(kPackageNameField, step.packageName);
      step.kind = Kind::Finished;
      return step;
    case code::CannotOpenFile:
      file_.reset();
      ended_ = true;
      step.kind = Kind::ServerCannotOpen;
      return step;
  }
  return step;
}

TransferStep TransferSession::startFile(TransferStep step, const QByteArray& payload) {
  protocol::PayloadReader reader(payload);
  QString name;
  qint32 size = 0;
  if (!reader.readCountedString(name) || !reader.readInt32(size))
    return fail(step, Kind::ProtocolError, QStringLiteral("malformed file header"));
  if (file_) return fail(step, Kind::ProtocolError, QStringLiteral("new file while one is incomplete"));
  fileName_ = name;
  fileSize_ = size;
  filePosition_ = 0;
  const QString prefix = name + QStringLiteral(": ");
  if (size < 0) return fail(step, Kind::FileRefused, prefix + QStringLiteral("negative size"));
  if (size > limits_.maxFileBytes) return fail(step, Kind::FileRefused, prefix + QStringLiteral("file too large"));
  if (announced_ + size > limits_.maxSessionBytes)
    return fail(step, Kind::FileRefused, prefix + QStringLiteral("transfer too large"));
  const qint64 free = folder_.freeBytes();
  if (free >= 0 && size > free) return fail(step, Kind::FileRefused, prefix + QStringLiteral("No space left on device"));
  QString error;
  file_ = folder_.beginFile(name, &error);
  if (!file_) return fail(step, Kind::FileRefused, prefix + error);
  announced_ += size;
  step.kind = Kind::FileStarted;
  step.replies = {protocol::encodeMessage(code::ReadyForData)};
  return step;
}

TransferStep TransferSession::chunk(TransferStep step, const QByteArray& payload) {
  protocol::PayloadReader reader(payload);
  QByteArray data;
  if (!reader.readDataChunk(data)) return fail(step, Kind::ProtocolError, QStringLiteral("malformed chunk"));
  if (!file_) return fail(step, Kind::ProtocolError, QStringLiteral("chunk without a file"));
  if (data.size() > fileSize_ - filePosition_)
    return fail(step, Kind::ProtocolError, QStringLiteral("more bytes than announced"));
  if (!file_->write(data)) return fail(step, Kind::FileRefused, fileName_ + QStringLiteral(": write failed"));
  filePosition_ += data.size();
  totalReceived_ += data.size();
  ++chunkMessages_;
  if (step.code != protocol::code::LastChunk) {
    step.kind = Kind::Chunk;
    step.replies = {protocol::encodeMessage(code::SendNextChunk)};
    return step;
  }
  if (filePosition_ != fileSize_) return fail(step, Kind::ProtocolError, QStringLiteral("fewer bytes than announced"));
  QString error;
  if (!file_->commit(&error)) return fail(step, Kind::FileRefused, fileName_ + QStringLiteral(": ") + error);
  file_.reset();
  receivedFiles_.append(fileName_);
  step.kind = Kind::FileCompleted;
  step.replies = {protocol::encodeMessage(code::FileReceived)};
  return step;
}

std::optional<int> Percent(qint64 part, qint64 whole) {
  if (whole <= 0) return std::nullopt;
  if (part <= 0) return 0;
  if (part >= whole) return 100;
  // part < whole, so part * 100 overflows only for sizes no file has.
  return int((__int128(part) * 100) / whole);
}

QString SizeText(qint64 bytes) {
  if (bytes < 1024) return QStringLiteral("%1 Bytes").arg(bytes);
  if (bytes <= 1048575) return QStringLiteral("%1 KB").arg(bytes / 1024);
  return QString::asprintf("%.2lf MB", double(bytes) / 1048576.0);
}

}  // namespace lumi::transfer
