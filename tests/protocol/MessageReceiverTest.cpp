// The receive state machine on its own, fed by a scripted read function.
#include "common/protocol/MessageFraming.h"
#include "tests/protocol/ProtocolTestUtil.h"

#include <gtest/gtest.h>

#include <cstring>

namespace lumi::protocol {
namespace {

using Status = MessageReceiver::Status;
using test::header;

// Hands out the bytes that have "arrived", at most as many as asked for.
struct Arrivals {
  QByteArray pending;
  qint64 read(char* into, qint64 maxBytes) {
    const qint64 n = qMin<qint64>(maxBytes, pending.size());
    std::memcpy(into, pending.constData(), size_t(n));
    pending.remove(0, n);
    return n;
  }
  MessageReceiver::ReadFunction reader() {
    return [this](char* into, qint64 maxBytes) { return read(into, maxBytes); };
  }
};

TEST(MessageReceiver, WalksHeaderAndPayloadOneReadPerStep) {
  MessageReceiver receiver;
  Arrivals in;
  const QByteArray message = header(2043, 4) + "WXYZ";

  in.pending = message.left(3);
  EXPECT_EQ(receiver.step(in.reader()).status, Status::NeedMore);
  EXPECT_FALSE(receiver.readingPayload());
  EXPECT_EQ(receiver.expected(), 8);
  EXPECT_EQ(receiver.received(), 3);

  // The rest of the header and the payload arrive together; the step takes
  // only the five header bytes it asked for.
  in.pending = message.mid(3);
  EXPECT_EQ(receiver.step(in.reader()).status, Status::NeedMore);
  EXPECT_TRUE(receiver.readingPayload());
  EXPECT_EQ(receiver.expected(), 4);
  EXPECT_EQ(receiver.received(), 0);
  EXPECT_EQ(receiver.payloadBufferSize(), 0);  // nothing held before the bytes come
  EXPECT_EQ(in.pending, "WXYZ");

  in.pending = "WX";
  EXPECT_EQ(receiver.step(in.reader()).status, Status::NeedMore);
  EXPECT_EQ(receiver.received(), 2);

  in.pending = "YZ";
  MessageReceiver::StepResult done = receiver.step(in.reader());
  ASSERT_EQ(done.status, Status::Message);
  EXPECT_EQ(done.message.code, 2043);
  EXPECT_EQ(done.message.payload, "WXYZ");
  // Ready for the next header, holding nothing.
  EXPECT_FALSE(receiver.readingPayload());
  EXPECT_EQ(receiver.expected(), 8);
  EXPECT_EQ(receiver.received(), 0);
  EXPECT_EQ(receiver.payloadBufferSize(), 0);
}

TEST(MessageReceiver, ZeroLengthCompletesWithTheHeader) {
  MessageReceiver receiver;
  Arrivals in{header(2048, 0)};
  MessageReceiver::StepResult done = receiver.step(in.reader());
  ASSERT_EQ(done.status, Status::Message);
  EXPECT_EQ(done.message.code, 2048);
  EXPECT_TRUE(done.message.payload.isEmpty());
}

struct LengthCase {
  const char* name;
  qint32 cap;
  qint32 length;
  Status status;
  qsizetype buffer;  // payload bytes held after the header step
};

class HeaderLength : public ::testing::TestWithParam<LengthCase> {};

TEST_P(HeaderLength, NeverAllocatesWhatItRefuses) {
  const LengthCase& c = GetParam();
  MessageReceiver receiver(c.cap);
  Arrivals in{header(2063, c.length) + QByteArray(32, 'x')};
  EXPECT_EQ(receiver.step(in.reader()).status, c.status);
  EXPECT_EQ(receiver.payloadBufferSize(), c.buffer);
  if (c.status == Status::BadLength) {
    EXPECT_FALSE(receiver.readingPayload());
    EXPECT_EQ(receiver.received(), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, HeaderLength,
    // Accepted lengths hold nothing until payload bytes arrive.
    ::testing::Values(LengthCase{"AtTheCap", 16, 16, Status::NeedMore, 0},
                      LengthCase{"AboveTheCap", 16, 17, Status::BadLength, 0},
                      LengthCase{"MinusOne", 16, -1, Status::BadLength, 0},
                      LengthCase{"MostNegative", 16, INT32_MIN, Status::BadLength, 0},
                      LengthCase{"Int32MaxAgainstDefaultCap", MessageReceiver::kDefaultMaxPayload, INT32_MAX,
                                 Status::BadLength, 0},
                      LengthCase{"JustAboveDefaultCap", MessageReceiver::kDefaultMaxPayload,
                                 MessageReceiver::kDefaultMaxPayload + 1, Status::BadLength, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MessageReceiver, PayloadBufferStartsZeroFilled) {
  MessageReceiver receiver;
  QByteArray seen;
  MessageReceiver::ReadFunction headerThenPeek = [&](char* into, qint64 maxBytes) -> qint64 {
    if (!receiver.readingPayload()) {
      const QByteArray h = header(2042, 6);
      std::memcpy(into, h.constData(), 8);
      return 8;
    }
    seen = QByteArray(into, maxBytes);
    into[0] = 'A';
    return 1;
  };
  ASSERT_EQ(receiver.step(headerThenPeek).status, Status::NeedMore);
  ASSERT_EQ(receiver.step(headerThenPeek).status, Status::NeedMore);
  EXPECT_EQ(seen, QByteArray(6, '\0'));
}

struct ReadResultCase {
  const char* name;
  qint64 result;
  Status status;
};

class ReadResult : public ::testing::TestWithParam<ReadResultCase> {};

TEST_P(ReadResult, EndsTheStream) {
  for (bool inPayload : {false, true}) {
    MessageReceiver receiver;
    Arrivals in{header(2061, 10)};
    if (inPayload) {
      ASSERT_EQ(receiver.step(in.reader()).status, Status::NeedMore);
    }
    const qint64 result = GetParam().result;
    EXPECT_EQ(receiver.step([result](char*, qint64) { return result; }).status, GetParam().status)
        << (inPayload ? "payload" : "header");
  }
}

INSTANTIATE_TEST_SUITE_P(Reads, ReadResult,
                         ::testing::Values(ReadResultCase{"Zero", 0, Status::PeerClosed},
                                           ReadResultCase{"MinusOne", -1, Status::ReadError},
                                           ReadResultCase{"MoreThanAsked", 1000, Status::ReadError}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace lumi::protocol
