#include "common/protocol/ServerMessage.h"

#include "common/protocol/MessageCodes.h"

#include <QtEndian>

#include <cstring>
#include <limits>

namespace lumi::protocol {

namespace {
void putInt32(QByteArray& buffer, qint32 value) {
  char bytes[4];
  qToLittleEndian<qint32>(value, bytes);
  buffer.append(bytes, 4);
}

// Counts and lengths travel as int32; anything larger cannot be expressed.
qint32 checkedCount(qsizetype size) {
  Q_ASSERT(size <= std::numeric_limits<qint32>::max());
  return qint32(size);
}
}  // namespace

MessageBuilder::MessageBuilder(qint32 code) : code_(code) {
  putInt32(buffer_, code);
  putInt32(buffer_, 0);
}

void MessageBuilder::updateLength() {
  qToLittleEndian<qint32>(checkedCount(payloadSize()), buffer_.data() + 4);
}

MessageBuilder& MessageBuilder::appendInt32(qint32 value) {
  putInt32(buffer_, value);
  updateLength();
  return *this;
}

MessageBuilder& MessageBuilder::appendCountedString(const QString& text) {
  return appendDataChunk(text.toUtf8());
}

MessageBuilder& MessageBuilder::appendDataChunk(const QByteArray& data) {
  putInt32(buffer_, checkedCount(data.size()));
  buffer_.append(data);
  updateLength();
  return *this;
}

MessageBuilder& MessageBuilder::appendFixedText(const QString& text, qsizetype fieldSize) {
  if (fieldSize <= 0) return *this;
  QByteArray field = utf8Prefix(text, fieldSize - 1);
  field.append(fieldSize - field.size(), '\0');
  buffer_.append(field);
  updateLength();
  return *this;
}

MessageBuilder& MessageBuilder::appendBytes(const QByteArray& raw) {
  buffer_.append(raw);
  updateLength();
  return *this;
}

QByteArray encodeMessage(qint32 code, const QByteArray& payload) {
  return MessageBuilder(code).appendBytes(payload).bytes();
}

QByteArray utf8Prefix(const QString& text, qsizetype maxBytes) {
  QByteArray utf8 = text.toUtf8();
  if (maxBytes < 0) maxBytes = 0;
  if (utf8.size() <= maxBytes) return utf8;
  qsizetype cut = maxBytes;
  // Back up over continuation bytes (10xxxxxx) to the start of the
  // character that would cross the limit.
  while (cut > 0 && (uchar(utf8[cut]) & 0xC0) == 0x80) --cut;
  utf8.truncate(cut);
  return utf8;
}

bool PayloadReader::take(qsizetype count, const char** out) {
  if (failed_ || count < 0 || count > data_.size() - pos_) {
    failed_ = true;
    return false;
  }
  *out = data_.constData() + pos_;
  pos_ += count;
  return true;
}

bool PayloadReader::readInt32(qint32& out) {
  const char* p;
  if (!take(4, &p)) return false;
  out = qFromLittleEndian<qint32>(p);
  return true;
}

bool PayloadReader::readDataChunk(QByteArray& out) {
  qint32 count;
  const char* p;
  if (!readInt32(count) || !take(count, &p)) return false;
  out = QByteArray(p, count);
  return true;
}

bool PayloadReader::readCountedString(QString& out) {
  QByteArray bytes;
  if (!readDataChunk(bytes)) return false;
  out = QString::fromUtf8(bytes);
  return true;
}

bool PayloadReader::readFixedText(qsizetype fieldSize, QString& out) {
  const char* p;
  if (!take(fieldSize, &p)) return false;
  const void* zero = std::memchr(p, 0, size_t(fieldSize));
  const qsizetype length = zero ? static_cast<const char*>(zero) - p : fieldSize;
  out = QString::fromUtf8(p, length);
  return true;
}

bool PayloadReader::readTextToEnd(QString& out) {
  if (failed_) return false;
  const qsizetype rest = data_.size() - pos_;
  const char* p;
  take(rest, &p);
  const void* zero = std::memchr(p, 0, size_t(rest));
  out = QString::fromUtf8(p, zero ? static_cast<const char*>(zero) - p : rest);
  return true;
}

bool PayloadReader::readBytes(qsizetype count, QByteArray& out) {
  const char* p;
  if (!take(count, &p)) return false;
  out = QByteArray(p, count);
  return true;
}

bool PayloadReader::skip(qsizetype count) {
  const char* p;
  return take(count, &p);
}

QByteArray usageReportMessage(UsageKind kind) {
  return MessageBuilder(code::UsageReport).appendInt32(qint32(kind)).bytes();
}

QByteArray installedFileMessage(const QString& fileName, const QString& version) {
  return MessageBuilder(code::InstalledFile).appendCountedString(fileName).appendCountedString(version).bytes();
}

}  // namespace lumi::protocol
