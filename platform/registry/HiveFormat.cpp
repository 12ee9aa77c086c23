#include "platform/registry/HiveFormat.h"

#include <QStringDecoder>
#include <QtEndian>
#include <cstring>
#include "platform/text/AnsiText.h"

namespace lumi::registry::format {
namespace {

constexpr char kHeaderV5[] = "Windows Registry Editor Version 5.00";
constexpr char kHeaderV4[] = "REGEDIT4";

bool isSpace(QChar c) { return c == u' ' || c == u'\t'; }

int hexDigit(QChar c) {
  const char16_t u = c.unicode();
  if (u >= u'0' && u <= u'9') return u - u'0';
  if (u >= u'a' && u <= u'f') return u - u'a' + 10;
  if (u >= u'A' && u <= u'F') return u - u'A' + 10;
  return -1;
}


QByteArray utf16Data(QStringView text) {
  QByteArray data(text.size() * 2, Qt::Uninitialized);
  char* out = data.data();
  for (QChar c : text) {
    qToLittleEndian<quint16>(c.unicode(), out);
    out += 2;
  }
  return data;
}

// The lines of a hive file. 8-bit files are decoded one line at a time, so
// that a hive with a value of megabytes is never held twice as text.
class Lines {
 public:
  explicit Lines(const QByteArray& bytes) : bytes_(bytes) {
    QByteArrayView body(bytes);
    if (body.startsWith("\xFF\xFE") || body.startsWith("\xFE\xFF")) {
      decodeWhole(body.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                  body.sliced(2));
    } else if (body.size() >= 2 && body[0] != 0 && body[1] == 0) {
      // A UTF-16 file that lost its byte order mark still starts with an
      // ASCII letter followed by a zero byte.
      decodeWhole(QStringConverter::Utf16LE, body);
    } else {
      if (body.startsWith("\xEF\xBB\xBF")) body = body.sliced(3);
      if (!body.isValidUtf8()) {
        const char* codec = text::KoreanCodecName();
        kind_ = codec ? Kind::Korean : Kind::Latin1;
        if (codec) decoder_ = QStringDecoder(codec, QStringConverter::Flag::Stateless);
      }
      split(body.data() - bytes.constData(), body.size(), [&](qsizetype i) { return body[i]; });
    }
  }

  qsizetype size() const { return spans_.size(); }

  // Valid until the next call.
  QStringView at(qsizetype index) {
    const auto [start, length] = spans_[index];
    if (kind_ == Kind::Text) return QStringView(text_).sliced(start, length);
    const QByteArrayView line = QByteArrayView(bytes_).sliced(start, length);
    if (kind_ == Kind::Utf8)
      buffer_ = QString::fromUtf8(line);
    else if (kind_ == Kind::Korean)
      buffer_ = decoder_(line);
    else
      buffer_ = QString::fromLatin1(line);
    return buffer_;
  }

 private:
  enum class Kind { Text, Utf8, Korean, Latin1 };

  void decodeWhole(QStringConverter::Encoding encoding, QByteArrayView body) {
    kind_ = Kind::Text;
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    text_ = decoder(body);
    split(0, text_.size(), [&](qsizetype i) { return char16_t(text_[i].unicode()); });
  }

  // Lines end in LF, CRLF or a lone CR.
  template <class At>
  void split(qsizetype offset, qsizetype n, At at) {
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
      const auto c = at(i);
      if (c != '\n' && c != '\r') continue;
      spans_.append({offset + start, i - start});
      if (c == '\r' && i + 1 < n && at(i + 1) == '\n') ++i;
      start = i + 1;
    }
    if (start < n) spans_.append({offset + start, n - start});
  }

  const QByteArray& bytes_;
  Kind kind_ = Kind::Utf8;
  QString text_;
  QStringDecoder decoder_;
  QList<std::pair<qsizetype, qsizetype>> spans_;
  QString buffer_;
};

// Bytes of one or two hex digits separated by commas, fed one line at a time;
// a trailing comma is tolerated. Written for speed: a hive may hold values of
// megabytes.
class HexReader {
 public:
  bool feed(QStringView piece) {
    const qsizetype need = used_ + piece.size() / 2 + 1;  // n bytes take at least 2n - 1 characters
    if (need > bytes_.size()) bytes_.resize(qMax(need, bytes_.size() * 2));
    char* w = bytes_.data() + used_;
    const QChar* c = piece.data();
    const QChar* const end = c + piece.size();
    while (c < end) {
      const char16_t u = c->unicode();
      if (u == u' ' || u == u'\t') {
        ++c;
      } else if (u == u';') {
        break;
      } else if (u == u',') {
        if (!needComma_) return false;
        needComma_ = false;
        ++c;
      } else {
        int value = hexDigit(*c);
        if (value < 0 || needComma_) return false;
        if (++c < end && hexDigit(*c) >= 0) value = value << 4 | hexDigit(*c++);
        *w++ = char(value);
        needComma_ = true;
      }
    }
    used_ = w - bytes_.constData();
    return true;
  }

  QByteArray take() {
    bytes_.truncate(used_);
    return std::move(bytes_);
  }

 private:
  QByteArray bytes_;
  qsizetype used_ = 0;
  bool needComma_ = false;
};

class Parser {
 public:
  Parser(const QByteArray& bytes, Root root) : lines_(bytes), root_(root) {}

  Parsed run() {
    for (qsizetype i = 0; i < lines_.size(); ++i) {
      QStringView line = lines_.at(i).trimmed();
      if (i == 0 && line.startsWith(QChar(0xFEFF))) line = line.sliced(1).trimmed();
      if (line.isEmpty() || line.startsWith(u';')) continue;
      // Exports are sometimes concatenated by hand, so a header counts anywhere.
      if (line.compare(QLatin1String(kHeaderV4), Qt::CaseInsensitive) == 0) {
        headerSeen_ = true;
        ansiStrings_ = true;
        continue;
      }
      if (isV5Header(line)) {
        headerSeen_ = true;
        ansiStrings_ = false;
        continue;
      }
      if (!headerSeen_) {
        headerSeen_ = true;
        issue(i, QStringLiteral("missing header line \"%1\"").arg(QLatin1String(kHeaderV5)));
        line = lines_.at(i).trimmed();
      }
      if (line.startsWith(u'['))
        keyLine(i, line);
      else
        valueLine(i, line);
    }
    return std::move(result_);
  }

 private:
  static bool isV5Header(QStringView line) {
    return line.startsWith(u'W', Qt::CaseInsensitive) &&
           line.toString().simplified().compare(QLatin1String(kHeaderV5), Qt::CaseInsensitive) == 0;
  }

  // Takes the line's text again, so views of the current line are void after it.
  void issue(qsizetype index, const QString& message) {
    result_.issues.append(ParseIssue{int(index + 1), message, lines_.at(index).toString()});
  }

  bool isOwnRoot(QStringView name) const {
    const bool user = root_ == Root::CurrentUser;
    return name.compare(user ? u"HKEY_CURRENT_USER" : u"HKEY_LOCAL_MACHINE", Qt::CaseInsensitive) == 0 ||
           name.compare(user ? u"HKCU" : u"HKLM", Qt::CaseInsensitive) == 0;
  }

  void keyLine(qsizetype index, QStringView line) {
    current_ = nullptr;
    keySeen_ = true;
    if (!line.endsWith(u']')) {
      issue(index, QStringLiteral("key line without a closing \"]\""));
      return;
    }
    QStringView inner = line.sliced(1, line.size() - 2);
    const bool remove = inner.startsWith(u'-');
    if (remove) inner = inner.sliced(1);
    while (!inner.isEmpty() && isSpace(inner.front())) inner = inner.sliced(1);
    const qsizetype slash = inner.indexOf(u'\\');
    if (!isOwnRoot(slash < 0 ? inner : inner.first(slash))) {
      issue(index, QStringLiteral("key outside %1, skipped").arg(rootName(root_)));
      return;
    }
    const QStringList parts =
        slash < 0 ? QStringList() : inner.sliced(slash + 1).toString().split(u'\\', Qt::SkipEmptyParts);
    if (!remove) {
      current_ = &result_.tree.ensure(parts);
      return;
    }
    if (parts.isEmpty()) {
      issue(index, QStringLiteral("the root key cannot be deleted"));
      return;
    }
    if (KeyNode* parent = result_.tree.find(parts.first(parts.size() - 1))) parent->removeChild(parts.last());
  }

  // A quoted name or string at `pos` (on the opening quote). Only \\ and \"
  // are escapes; any other backslash is kept, as people type Windows paths
  // with single backslashes.
  static bool quoted(QStringView s, qsizetype& pos, QString& out) {
    out.clear();
    for (qsizetype i = pos + 1; i < s.size(); ++i) {
      const QChar c = s[i];
      if (c == u'"') {
        pos = i + 1;
        return true;
      }
      if (c == u'\\' && i + 1 < s.size() && (s[i + 1] == u'\\' || s[i + 1] == u'"')) ++i;
      out.append(s[i]);
    }
    return false;
  }

  // Whitespace or a comment is all that may follow a value.
  static bool onlyTrailing(QStringView s, qsizetype pos) {
    while (pos < s.size() && isSpace(s[pos])) ++pos;
    return pos == s.size() || s[pos] == u';';
  }

  // Continuation lines are consumed here: `index` ends on the last line used.
  void valueLine(qsizetype& index, QStringView line) {
    if (!current_ && !keySeen_) {
      issue(index, QStringLiteral("value before the first key line"));
      return;
    }
    QString name;
    qsizetype pos = 0;
    if (line.startsWith(u'@')) {
      pos = 1;
    } else if (!line.startsWith(u'"') || !quoted(line, pos, name)) {
      issue(index, QStringLiteral("not a key or value line"));
      return;
    }
    while (pos < line.size() && isSpace(line[pos])) ++pos;
    if (pos >= line.size() || line[pos] != u'=') {
      issue(index, QStringLiteral("\"=\" expected after the value name"));
      return;
    }
    ++pos;
    while (pos < line.size() && isSpace(line[pos])) ++pos;
    const QStringView data = line.sliced(pos);
    if (data.startsWith(u"hex", Qt::CaseInsensitive)) return hexValue(index, data, name);
    // Values of a key line that was skipped are skipped with it.
    if (!current_) return;

    if (data.startsWith(u'-') && onlyTrailing(data, 1)) {
      current_->removeValue(name);
      return;
    }
    if (data.startsWith(u'"')) {
      QString text;
      qsizetype end = 0;
      if (!quoted(data, end, text) || !onlyTrailing(data, end)) return issue(index, QStringLiteral("malformed string value"));
      current_->setValue(name, quint32(ValueType::String), stringData(text));
      return;
    }
    if (data.startsWith(u"dword:", Qt::CaseInsensitive)) {
      qsizetype i = 6;
      while (i < data.size() && isSpace(data[i])) ++i;
      quint32 value = 0;
      int digits = 0;
      for (; i < data.size() && hexDigit(data[i]) >= 0; ++i, ++digits) value = value << 4 | quint32(hexDigit(data[i]));
      if (digits < 1 || digits > 8 || !onlyTrailing(data, i)) return issue(index, QStringLiteral("malformed dword value"));
      current_->setValue(name, quint32(ValueType::DWord), dwordData(value));
      return;
    }
    issue(index, QStringLiteral("unknown kind of value data"));
  }

  // hex:.. is binary, hex(N):.. a value of type N (in hex, as regedit writes
  // it); the data may go on over lines that end in a backslash. A damaged
  // value still consumes all its lines, so that it is reported only once.
  void hexValue(qsizetype& index, QStringView data, const QString& name) {
    const qsizetype first = index;
    quint32 type = quint32(ValueType::Binary);
    qsizetype i = 3;
    bool ok = true;
    if (i < data.size() && data[i] == u'(') {
      const qsizetype close = data.indexOf(u')', i);
      ok = false;
      if (close > i + 1) type = data.sliced(i + 1, close - i - 1).toUInt(&ok, 16);
      i = close + 1;
    }
    ok = ok && i > 0 && i < data.size() && data[i] == u':';
    HexReader reader;
    QStringView piece = ok ? data.sliced(i + 1) : data;
    for (;;) {
      const bool more = piece.endsWith(u'\\');
      if (more) piece.chop(1);
      ok = ok && reader.feed(piece);
      if (!more) break;
      if (++index >= lines_.size()) {
        index = lines_.size() - 1;
        return issue(first, QStringLiteral("hex data continues past the end of the file"));
      }
      piece = lines_.at(index).trimmed();
    }
    if (!ok) return issue(first, QStringLiteral("malformed hex value"));
    if (!current_) return;
    QByteArray bytes = reader.take();
    // REGEDIT4 files hold string types in the ANSI code page; Windows
    // converts them to UTF-16 when it imports them, and so do we.
    if (ansiStrings_ && (type == quint32(ValueType::String) || type == quint32(ValueType::ExpandString) ||
                         type == quint32(ValueType::MultiString)))
      bytes = utf16Data(text::DecodeAnsi(bytes));
    current_->setValue(name, type, bytes);
  }

  Lines lines_;
  Root root_;
  Parsed result_;
  KeyNode* current_ = nullptr;
  bool headerSeen_ = false;
  bool keySeen_ = false;
  bool ansiStrings_ = false;
};

void appendQuoted(QByteArray& out, const QString& text) {
  // Both escaped characters are ASCII, which never occurs inside a UTF-8
  // sequence, so the text is converted whole (keeping surrogate pairs intact).
  const QByteArray utf8 = text.toUtf8();
  out.reserve(out.size() + utf8.size() + 8);
  out.append('"');
  for (char c : utf8) {
    if (c == '\\' || c == '"') out.append('\\');
    out.append(c);
  }
  out.append('"');
}

// A string value is written as text when the text comes back exactly as it
// was; otherwise (line breaks, lone surrogates, a missing terminator) it is
// written as hex(1) so that nothing is lost.
bool quotableText(const QByteArray& data, QString& text) {
  if (data.size() < 2 || data.size() % 2 != 0) return false;
  const char* p = data.constData();
  const qsizetype units = data.size() / 2 - 1;
  if (qFromLittleEndian<quint16>(p + units * 2) != 0) return false;
  text = stringText(data);
  for (QChar c : text)
    if (c == u'\0' || c == u'\n' || c == u'\r') return false;
  return text.isValidUtf16();
}

void appendHex(QByteArray& out, const QByteArray& data, qsizetype column) {
  static const char digits[] = "0123456789abcdef";
  const qsizetype n = data.size();
  const qsizetype start = out.size();
  // At most one short first line, then 25 bytes to a line.
  out.resize(start + n * 3 + (n / 24 + 2) * 4);
  char* w = out.data() + start;
  const auto* in = reinterpret_cast<const unsigned char*>(data.constData());
  for (qsizetype i = 0; i < n; ++i) {
    *w++ = digits[in[i] >> 4];
    *w++ = digits[in[i] & 15];
    if (i + 1 == n) break;
    *w++ = ',';
    // regedit's own wrapping: lines of at most 80 columns, continued with "\".
    if ((column += 3) > 75) {
      std::memcpy(w, "\\\n  ", 4);
      w += 4;
      column = 2;
    }
  }
  out.truncate(w - out.constData());
}

void appendValue(QByteArray& out, const Value& v) {
  const qsizetype lineStart = out.size();
  if (v.name.isEmpty())
    out.append('@');
  else
    appendQuoted(out, v.name);
  out.append('=');
  QString text;
  if (v.type == quint32(ValueType::String) && quotableText(v.data, text)) {
    appendQuoted(out, text);
  } else if (v.type == quint32(ValueType::DWord) && v.data.size() == 4) {
    static const char digits[] = "0123456789abcdef";
    const quint32 value = *dwordValue(v.data);
    char dword[15] = "dword:";
    for (int i = 0; i < 8; ++i) dword[6 + i] = digits[(value >> (28 - 4 * i)) & 15];
    out.append(dword, 14);
  } else {
    out.append(v.type == quint32(ValueType::Binary) ? QByteArray("hex:")
                                                    : "hex(" + QByteArray::number(v.type, 16) + "):");
    appendHex(out, v.data, out.size() - lineStart);
  }
  out.append('\n');
}

void appendKey(QByteArray& out, const KeyNode& node, const QString& fullName, bool isRoot) {
  // The root is only worth a key line when it holds values itself.
  if (!isRoot || !node.values().isEmpty()) {
    out.append("\n[");
    out.append(fullName.toUtf8());
    out.append("]\n");
    for (const Value& v : node.values()) appendValue(out, v);
  }
  for (const auto& [folded, child] : node.children())
    appendKey(out, *child, fullName + u'\\' + child->name(), false);
}

}  // namespace

QString rootName(Root root) {
  return root == Root::CurrentUser ? QStringLiteral("HKEY_CURRENT_USER") : QStringLiteral("HKEY_LOCAL_MACHINE");
}

Parsed parse(const QByteArray& bytes, Root root) {
  return Parser(bytes, root).run();
}

QByteArray serialize(const KeyNode& tree, Root root) {
  QByteArray out = QByteArray(kHeaderV5) + '\n';
  appendKey(out, tree, rootName(root), true);
  return out;
}

QByteArray stringData(const QString& text) { return utf16Data(text) + QByteArray(2, '\0'); }

QString stringText(const QByteArray& data) {
  qsizetype units = data.size() / 2;
  const char* p = data.constData();
  if (units > 0 && qFromLittleEndian<quint16>(p + (units - 1) * 2) == 0) --units;
  QString text(units, Qt::Uninitialized);
  for (qsizetype i = 0; i < units; ++i) text[i] = QChar(qFromLittleEndian<quint16>(p + i * 2));
  return text;
}

QByteArray dwordData(quint32 value) {
  QByteArray data(4, Qt::Uninitialized);
  qToLittleEndian(value, data.data());
  return data;
}

std::optional<quint32> dwordValue(const QByteArray& data) {
  if (data.size() != 4) return std::nullopt;
  return qFromLittleEndian<quint32>(data.constData());
}

bool isWritableName(const QString& name) {
  for (QChar c : name)
    if (c == u'\0' || c == u'\n' || c == u'\r') return false;
  return true;
}

}  // namespace lumi::registry::format
