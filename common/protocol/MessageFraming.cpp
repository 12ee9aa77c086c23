#include "common/protocol/MessageFraming.h"

#include <QtEndian>

#include <algorithm>
#include <utility>

namespace lumi::protocol {

MessageReceiver::MessageReceiver(qint32 maxPayload) : maxPayload_(maxPayload < 0 ? 0 : maxPayload) {}

void MessageReceiver::reset() {
  expected_ = kHeaderSize;
  received_ = 0;
  readingPayload_ = false;
  code_ = 0;
  payload_ = QByteArray();
}

MessageReceiver::StepResult MessageReceiver::step(const ReadFunction& read) {
  qint64 wanted = expected_ - received_;
  char* into = header_ + received_;
  if (readingPayload_) {
    // The payload buffer grows with the bytes that arrive, so a header that
    // announces a large payload and then nothing costs no memory.
    wanted = std::min<qint64>(wanted, kPayloadSlice);
    payload_.resize(received_ + wanted, '\0');
    into = payload_.data() + received_;
  }
  const qint64 got = read(into, wanted);
  if (readingPayload_) payload_.resize(received_ + std::max<qint64>(got, 0));
  if (got == 0) return {Status::PeerClosed, {}};
  // A read function that claims more than it was asked for has written past
  // the buffer or is lying; either way the stream can no longer be trusted.
  if (got < 0 || got > wanted) return {Status::ReadError, {}};
  received_ += qint32(got);
  if (received_ < expected_) return {Status::NeedMore, {}};

  if (readingPayload_) return complete();

  code_ = qFromLittleEndian<qint32>(header_);
  const qint32 length = qFromLittleEndian<qint32>(header_ + 4);
  if (length < 0 || length > maxPayload_) {
    reset();
    return {Status::BadLength, {}};
  }
  readingPayload_ = true;
  expected_ = length;
  received_ = 0;
  if (length == 0) return complete();
  payload_ = QByteArray();
  return {Status::NeedMore, {}};
}

MessageReceiver::StepResult MessageReceiver::complete() {
  // The state starts over before the caller sees the message: a handler that
  // re-enters the connection (a nested event loop) then meets a fresh header
  // rather than a finished payload.
  StepResult result{Status::Message, {code_, std::exchange(payload_, QByteArray())}};
  reset();
  return result;
}

}  // namespace lumi::protocol
