#include "server/UpdateExchangeHandler.h"

#include "common/protocol/MessageCodes.h"
#include "common/protocol/ServerMessage.h"
#include "server/ClientSession.h"

#include <cstdio>
#include <utility>

namespace lumi::server {

namespace code = protocol::code;
using protocol::MessageBuilder;

bool UpdateExchangeHandler::handle(ClientSession& session, const protocol::ServerMessage& message) {
  const qint32 c = message.code;
  switch (c) {
    case code::InstalledFile: {
      if (state_ != State::Listing) return ignore(session, c), true;
      protocol::PayloadReader reader(message.payload);
      QString name, version;
      if (!reader.readCountedString(name) || !reader.readCountedString(version)) {
        session.drop(QStringLiteral("malformed file list entry"));
        return true;
      }
      if (listed_.size() >= kMaxListedFiles) {
        session.drop(QStringLiteral("file list too long"));
        return true;
      }
      listed_.append({name, version.remove(QLatin1Char(' '))});
      return true;
    }
    case code::EndOfFileList:
      if (state_ != State::Listing) return ignore(session, c), true;
      offer(session);
      return true;
    case code::AcceptUpdate:
      if (state_ != State::Offered) return ignore(session, c), true;
      session.setIdleTimeout(idleBeforeOffer_);
      {
        qint64 total = 0;
        for (const CatalogueFile* file : pending_) total += file->archive.size();
        MessageBuilder start(code::TransferStart);
        start.appendInt32(qint32(pending_.size())).appendInt32(0).appendInt32(qint32(qMin<qint64>(total, 0x7fffffff)));
        state_ = State::AwaitTransferGo;
        session.send(start.bytes());
      }
      return true;
    default:
      break;
  }
  // The transfer messages belong to this exchange only once it has started.
  if (state_ == State::Listing) return false;
  switch (c) {
    case code::Continue:
      if (state_ != State::AwaitTransferGo && state_ != State::AwaitStepGo) return ignore(session, c), true;
      nextFileOrEnd(session);
      return true;
    case code::ReadyForData:
      if (state_ != State::AwaitReady) return ignore(session, c), true;
      sendChunk(session, code::FirstChunk);
      return true;
    case code::SendNextChunk:
      if (state_ != State::Sending) return ignore(session, c), true;
      sendChunk(session, code::NextChunk);
      return true;
    case code::FileReceived:
      if (state_ == State::AwaitFileAck) {
        state_ = State::AwaitStepGo;
        session.send(protocol::encodeMessage(code::StepFinished));
      } else {
        session.drop(QStringLiteral("the client closes"));
      }
      return true;
    case code::TransferAcknowledged:
      if (state_ == State::AwaitFinishAck) {
        state_ = State::Done;
        session.send(protocol::encodeMessage(code::TransferFinished));
      } else {
        session.drop(QStringLiteral("the client aborted the transfer"));
      }
      return true;
    default:
      return false;
  }
}

void UpdateExchangeHandler::offer(ClientSession& session) {
  pending_ = catalogue_.outOfDate(listed_);
  if (pending_.isEmpty()) {
    state_ = State::Done;
    session.send(protocol::encodeMessage(code::NoUpdate));
    return;
  }
  state_ = State::Offered;
  idleBeforeOffer_ = session.idleTimeout();
  if (idleBeforeOffer_ > 0) session.setIdleTimeout(kAnswerTimeoutMs);
  if (catalogue_.answer == UpdateAnswer::NewVersion) {
    session.send(protocol::encodeMessage(code::NewVersion));
    return;
  }
  MessageBuilder answer(code::ServerVersion);
  answer.appendCountedString(catalogue_.serverVersion).appendCountedString(QString());
  session.send(answer.bytes());
}

void UpdateExchangeHandler::nextFileOrEnd(ClientSession& session) {
  ++fileIndex_;
  if (fileIndex_ >= pending_.size()) {
    state_ = State::AwaitFinishAck;
    session.send(protocol::encodeMessage(code::AllFilesSent));
    return;
  }
  const CatalogueFile* file = pending_[fileIndex_];
  offset_ = 0;
  state_ = State::AwaitReady;
  MessageBuilder header(code::FolderFileHeader);
  header.appendCountedString(file->archiveName).appendInt32(qint32(file->archive.size()));
  session.send(header.bytes());
}

void UpdateExchangeHandler::sendChunk(ClientSession& session, qint32 chunkCode) {
  const QByteArray& data = pending_[fileIndex_]->archive;
  const qint64 n = qMin<qint64>(chunkSize_, data.size() - offset_);
  const bool last = offset_ + n >= data.size();
  MessageBuilder chunk(last ? code::LastChunk : chunkCode);
  // The archive is shared, not copied: a slice costs only the message.
  chunk.appendDataChunk(QByteArray::fromRawData(data.constData() + offset_, qsizetype(n)));
  offset_ += n;
  state_ = last ? State::AwaitFileAck : State::Sending;
  session.send(chunk.bytes());
}

void UpdateExchangeHandler::ignore(ClientSession& session, qint32 c) {
  // Once per session: a client repeating itself must not flood the log.
  if (std::exchange(reportedDisorder_, true)) return;
  std::fprintf(stderr, "%s: out of order %s, ignored (and any more)\n", qPrintable(session.peerName()),
               protocol::messageCodeName(c).constData());
}

}  // namespace lumi::server
