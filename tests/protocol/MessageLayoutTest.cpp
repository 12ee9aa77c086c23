// Bytes of built messages, and taking payloads apart, including payloads that
// lie about their lengths.
#include "common/protocol/MessageCodes.h"
#include "common/protocol/ServerMessage.h"
#include "tests/protocol/ProtocolTestUtil.h"

#include <gtest/gtest.h>

#include <functional>

namespace lumi::protocol {
namespace {

using test::hex;

struct LayoutCase {
  const char* name;
  std::function<QByteArray()> build;
  const char* bytes;
};

class MessageLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(MessageLayout, BytesOnTheWire) {
  const QByteArray built = GetParam().build();
  EXPECT_EQ(built.toHex(' '), hex(GetParam().bytes).toHex(' '));
}

const QString kKorean = QString::fromUtf8("가나");  // two characters, three UTF-8 bytes each

INSTANTIATE_TEST_SUITE_P(
    Messages, MessageLayout,
    ::testing::Values(
        LayoutCase{"InstalledFile", [] { return installedFileMessage("Tool.exe", "1,0,0,1"); },
                   "12 08 00 00 17 00 00 00 08 00 00 00 54 6F 6F 6C 2E 65 78 65 07 00 00 00 31 2C 30 2C 30 2C 31"},
        LayoutCase{"UsageReportDvd", [] { return usageReportMessage(UsageKind::Dvd); },
                   "1A 08 00 00 04 00 00 00 04 00 00 00"},
        LayoutCase{"AllFilesSentHasNoPayload", [] { return encodeMessage(code::AllFilesSent); },
                   "00 08 00 00 00 00 00 00"},
        LayoutCase{"NegativeInt32AndDataChunk",
                   [] { return MessageBuilder(2043).appendInt32(-2).appendDataChunk(QByteArray("\x01\x00\x02", 3)).bytes(); },
                   "FB 07 00 00 0B 00 00 00 FE FF FF FF 03 00 00 00 01 00 02"},
        LayoutCase{"FixedTextPadsWithZeros", [] { return MessageBuilder(2064).appendFixedText("ab", 5).bytes(); },
                   "10 08 00 00 05 00 00 00 61 62 00 00 00"},
        LayoutCase{"FixedTextKeepsRoomForTheZero",
                   [] { return MessageBuilder(2064).appendFixedText("abcdef", 4).bytes(); },
                   "10 08 00 00 04 00 00 00 61 62 63 00"},
        // Six bytes of text into a 6-byte field: the second character would
        // leave no room for the zero and goes whole, not in part.
        LayoutCase{"FixedTextCutsOnACharacterBoundary",
                   [] { return MessageBuilder(2064).appendFixedText(kKorean, 6).bytes(); },
                   "10 08 00 00 06 00 00 00 EA B0 80 00 00 00"},
        LayoutCase{"FixedTextExactFit", [] { return MessageBuilder(2064).appendFixedText(kKorean, 7).bytes(); },
                   "10 08 00 00 07 00 00 00 EA B0 80 EB 82 98 00"},
        LayoutCase{"CountedStringIsUtf8WithoutZero",
                   [] { return MessageBuilder(2039).appendCountedString(kKorean).bytes(); },
                   "F7 07 00 00 0A 00 00 00 06 00 00 00 EA B0 80 EB 82 98"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MessageCodeTable, NamesEveryCodeOnce) {
  qint32 previous = 0;
  for (const MessageCodeInfo& info : messageCodes()) {
    EXPECT_GT(info.code, previous);
    EXPECT_GE(info.code, 2032);
    EXPECT_LE(info.code, 2074);
    EXPECT_FALSE(info.fromServer.empty() && info.fromClient.empty()) << info.code;
    EXPECT_EQ(findMessageCode(info.code), &info);
    previous = info.code;
  }
  EXPECT_EQ(messageCodes().size(), 28u);
  EXPECT_EQ(messageCodeName(2042), "FirstChunk/ReadyForData");
  EXPECT_EQ(messageCodeName(2074), "UsageReport");
  EXPECT_EQ(messageCodeName(2035), "unknown 2035");
}

// A payload reader fed the payload of one case reads fields in order with
// one script; every read after a failure fails as well.
struct ReadCase {
  const char* name;
  const char* payload;
  bool stringOk;        // first field: counted string
  const char* text;     // its value when ok
  bool int32Ok;         // second field: int32
  qint32 number;
};

class PayloadReading : public ::testing::TestWithParam<ReadCase> {};

TEST_P(PayloadReading, ChecksEveryLength) {
  const ReadCase& c = GetParam();
  PayloadReader reader(hex(c.payload));
  QString text = "unchanged";
  EXPECT_EQ(reader.readCountedString(text), c.stringOk);
  EXPECT_EQ(text, c.stringOk ? QString::fromUtf8(c.text) : QString("unchanged"));
  qint32 number = 77;
  EXPECT_EQ(reader.readInt32(number), c.int32Ok);
  EXPECT_EQ(number, c.int32Ok ? c.number : 77);
  EXPECT_EQ(reader.ok(), c.stringOk && c.int32Ok);
  if (!reader.ok()) {
    EXPECT_EQ(reader.remaining(), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Payloads, PayloadReading,
    ::testing::Values(
        ReadCase{"FileHeader", "03 00 00 00 61 62 63 10 00 00 00", true, "abc", true, 16},
        ReadCase{"EmptyString", "00 00 00 00 FF FF FF FF", true, "", true, -1},
        ReadCase{"StringLongerThanPayload", "09 00 00 00 61 62 63 10 00 00 00", false, "", false, 0},
        ReadCase{"HugeCount", "FF FF FF 7F 61", false, "", false, 0},
        ReadCase{"NegativeCount", "FE FF FF FF 61 62 63 64 65 66", false, "", false, 0},
        ReadCase{"CountCutShort", "03 00", false, "", false, 0},
        ReadCase{"EmptyPayload", "", false, "", false, 0},
        ReadCase{"Int32CutShort", "01 00 00 00 61 10 00", true, "a", false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PayloadReader, FixedTextFieldsStopAtTheirZeroAndNeverRunPastTheField) {
  PayloadReader reader(hex("61 62 00 7A 63 64 65 66 05 00 00 00"));
  QString first, second;
  ASSERT_TRUE(reader.readFixedText(4, first));
  EXPECT_EQ(first, "ab");
  // No zero inside the field: the field's bytes, not one more.
  ASSERT_TRUE(reader.readFixedText(4, second));
  EXPECT_EQ(second, "cdef");
  qint32 after = 0;
  ASSERT_TRUE(reader.readInt32(after));
  EXPECT_EQ(after, 5);
  QString tooLong = "unchanged";
  EXPECT_FALSE(reader.readFixedText(1, tooLong));
  EXPECT_EQ(tooLong, "unchanged");
}

TEST(PayloadReader, TextToEndStopsAtTheFirstZero) {
  PayloadReader reader(QByteArray("hello\0junk", 10));
  QString text;
  ASSERT_TRUE(reader.readTextToEnd(text));
  EXPECT_EQ(text, "hello");
  EXPECT_TRUE(reader.atEnd());
}

TEST(MessageBuilder, BuiltPayloadReadsBack) {
  const QString name = QString::fromUtf8("영화/Movie.avi");
  MessageBuilder builder(code::FileHeader);
  builder.appendCountedString(name).appendInt32(123456).appendFixedText(name, 100).appendDataChunk("xyz");
  const QByteArray bytes = builder.bytes();
  ASSERT_EQ(bytes.size(), 8 + builder.payloadSize());
  PayloadReader reader(bytes.mid(8));
  QString readName, readField;
  qint32 size = 0;
  QByteArray chunk;
  EXPECT_TRUE(reader.readCountedString(readName));
  EXPECT_TRUE(reader.readInt32(size));
  EXPECT_TRUE(reader.readFixedText(100, readField));
  EXPECT_TRUE(reader.readDataChunk(chunk));
  EXPECT_TRUE(reader.atEnd());
  EXPECT_EQ(readName, name);
  EXPECT_EQ(size, 123456);
  EXPECT_EQ(readField, name);
  EXPECT_EQ(chunk, "xyz");
}

}  // namespace
}  // namespace lumi::protocol
