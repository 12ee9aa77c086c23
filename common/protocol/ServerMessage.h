#pragma once
// One server message: an 8-byte header {int32 code, int32 payload length},
// both little-endian, then the payload. MessageBuilder lays a message out in
// one buffer so that it goes to the socket in a single send; PayloadReader
// takes a received payload apart.
//
// Payload building blocks (little-endian throughout):
//   int32
//   counted string   int32 n, then n bytes of UTF-8 text, no terminating zero
//   data chunk       int32 n, then n raw bytes
//   fixed text field N bytes holding zero-terminated UTF-8 text
#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace lumi::protocol {

inline constexpr qsizetype kHeaderSize = 8;

struct ServerMessage {
  qint32 code = 0;
  QByteArray payload;
};

class MessageBuilder {
 public:
  explicit MessageBuilder(qint32 code);

  MessageBuilder& appendInt32(qint32 value);
  MessageBuilder& appendCountedString(const QString& text);
  MessageBuilder& appendDataChunk(const QByteArray& data);
  // Writes exactly fieldSize bytes. Text that does not fit is cut before the
  // character that would cross the limit, so a terminating zero always fits
  // and the field never ends in half a UTF-8 sequence. fieldSize <= 0 writes
  // nothing.
  MessageBuilder& appendFixedText(const QString& text, qsizetype fieldSize);
  MessageBuilder& appendBytes(const QByteArray& raw);

  qint32 code() const { return code_; }
  qsizetype payloadSize() const { return buffer_.size() - kHeaderSize; }
  // Header and payload, ready to send; the length field is always current.
  const QByteArray& bytes() const { return buffer_; }

 private:
  void updateLength();

  qint32 code_;
  QByteArray buffer_;
};

// Header and payload in one buffer.
QByteArray encodeMessage(qint32 code, const QByteArray& payload = {});

// UTF-8 of text, at most maxBytes long, cut on a character boundary.
QByteArray utf8Prefix(const QString& text, qsizetype maxBytes);

// Reads a payload front to back. Every length is checked against the bytes
// left: a count that is negative or larger than what remains fails the read
// (and every later one), leaves the output unchanged and never reads past the
// payload.
class PayloadReader {
 public:
  explicit PayloadReader(const QByteArray& payload) : data_(payload) {}

  bool readInt32(qint32& out);
  bool readCountedString(QString& out);
  bool readDataChunk(QByteArray& out);
  // A field without a terminating zero yields all fieldSize bytes as text.
  bool readFixedText(qsizetype fieldSize, QString& out);
  // Text up to the first zero byte or the end of the payload; consumes the rest.
  bool readTextToEnd(QString& out);
  bool readBytes(qsizetype count, QByteArray& out);
  bool skip(qsizetype count);

  qsizetype remaining() const { return failed_ ? 0 : data_.size() - pos_; }
  bool atEnd() const { return remaining() == 0; }
  // False once any read failed.
  bool ok() const { return !failed_; }

 private:
  bool take(qsizetype count, const char** out);

  QByteArray data_;
  qsizetype pos_ = 0;
  bool failed_ = false;
};

// What the shell reports to the statistics server.
enum class UsageKind : qint32 {
  ShellStarted = 0,
  Movie = 1,
  Photo = 2,
  Music = 3,
  Dvd = 4,
  VideoCd = 5,
};

// 2074 with the usage kind: 12 bytes.
QByteArray usageReportMessage(UsageKind kind);
// 2066: one installed program file and its version text ("1,0,0,1").
QByteArray installedFileMessage(const QString& fileName, const QString& version);

}  // namespace lumi::protocol
