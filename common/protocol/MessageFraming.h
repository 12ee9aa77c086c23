#pragma once
// The receive state machine of a message connection, apart from any socket:
// it is fed by a "read up to n bytes" function, so the client programs, the
// server and the tests all drive the same code.
//
// One step is one read:
//  - while the header is incomplete, read up to the header bytes still
//    missing; stop while fewer than 8 are in;
//  - with the full header, expect `length` payload bytes; a positive length
//    makes the step stop there, a zero length completes the message at once;
//  - while reading the payload, read up to the bytes still missing (at most
//    kPayloadSlice per step) into the buffer at the offset reached; the
//    buffer grows by what arrives, so memory follows the bytes actually
//    received rather than what a header announces; the last byte completes
//    the message.
// A completed message is handed out with the step that completed it and the
// state starts over for the next header; the payload buffer goes with the
// message, so the receiver holds nothing once the caller has handled it.
//
// A read that returns 0 means the peer closed, a negative result an error.
// A header whose length is negative or above the receiver's cap is refused
// before anything is allocated: the connection is to be dropped as a socket
// error, since no sane peer sends one and honouring it would either
// misframe everything after it or allocate whatever the peer asks for.
#include "common/protocol/ServerMessage.h"

#include <QtGlobal>

#include <functional>

namespace lumi::protocol {

class MessageReceiver {
 public:
  // Larger than any message of the suite, small enough to allocate.
  static constexpr qint32 kDefaultMaxPayload = 64 * 1024 * 1024;
  // The most one step reads into the payload.
  static constexpr qint32 kPayloadSlice = 64 * 1024;

  enum class Status {
    NeedMore,    // wait for more bytes
    Message,     // a message is complete: StepResult::message
    PeerClosed,  // the read returned 0
    ReadError,   // the read failed
    BadLength,   // the header's length is negative or above the cap
  };

  struct StepResult {
    Status status = Status::NeedMore;
    ServerMessage message;  // valid when status == Message
  };

  // Reads up to maxBytes into `into`; returns the count, 0 when the peer
  // closed, a negative value on error.
  using ReadFunction = std::function<qint64(char* into, qint64 maxBytes)>;

  explicit MessageReceiver(qint32 maxPayload = kDefaultMaxPayload);

  StepResult step(const ReadFunction& read);
  // Forget a partly received message.
  void reset();

  qint32 maxPayload() const { return maxPayload_; }
  bool readingPayload() const { return readingPayload_; }
  qint32 expected() const { return expected_; }
  qint32 received() const { return received_; }
  // Bytes held for an unfinished payload; 0 between messages.
  qsizetype payloadBufferSize() const { return payload_.size(); }

 private:
  StepResult complete();

  qint32 maxPayload_;
  char header_[kHeaderSize] = {};
  qint32 expected_ = kHeaderSize;
  qint32 received_ = 0;
  bool readingPayload_ = false;
  qint32 code_ = 0;
  QByteArray payload_;
};

}  // namespace lumi::protocol
