#include "platform/registry/HiveFormat.h"

#include <QStringDecoder>
#include <QtEndian>
#include <cstring>

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

QString decodeWith(QStringConverter::Encoding encoding, QByteArrayView bytes) {
  QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
  return decoder(bytes);
}

// 8-bit text is what REGEDIT4 files and hand-made files hold. Valid UTF-8 is
// taken as such; anything else most likely came from a Korean Windows, whose
// ANSI code page is 949.
QString decode8Bit(QByteArrayView bytes) {
  QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
  QString text = utf8(bytes);
  if (!utf8.hasError()) return text;
  // Some tables named CP949 show the backslash as a won sign, which would
  // break every key path; only a table that keeps ASCII as it is will do.
  for (const char* name : {"windows-949", "CP949", "EUC-KR"}) {
    QStringDecoder probe(name, QStringConverter::Flag::Stateless);
    if (!probe.isValid() || QString(probe(QByteArrayView("\\~"))) != QStringLiteral("\\~")) continue;
    QStringDecoder decoder(name, QStringConverter::Flag::Stateless);
    return decoder(bytes);
  }
  return QString::fromLatin1(bytes);
}

QString decodeFile(const QByteArray& bytes) {
  if (bytes.startsWith("\xFF\xFE")) return decodeWith(QStringConverter::Utf16LE, QByteArrayView(bytes).sliced(2));
  if (bytes.startsWith("\xFE\xFF")) return decodeWith(QStringConverter::Utf16BE, QByteArrayView(bytes).sliced(2));
  if (bytes.startsWith("\xEF\xBB\xBF")) return decodeWith(QStringConverter::Utf8, QByteArrayView(bytes).sliced(3));
  // A UTF-16 file that lost its byte order mark still starts with an ASCII
  // letter followed by a zero byte.
  if (bytes.size() >= 2 && bytes[0] != 0 && bytes[1] == 0)
    return decodeWith(QStringConverter::Utf16LE, bytes);
  return decode8Bit(bytes);
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

class Parser {
 public:
  explicit Parser(Root root) : root_(root) {}

  Parsed run(const QByteArray& bytes) {
    const QString text = decodeFile(bytes);
    splitLines(text);
    for (qsizetype i = 0; i < lines_.size(); ++i) {
      const QStringView line = lines_[i].trimmed();
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
      }
      if (line.startsWith(u'['))
        keyLine(i, line);
      else
        valueLine(i, line);
    }
    return std::move(result_);
  }

 private:
  void splitLines(const QString& text) {
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
      const QChar c = text[i];
      if (c != u'\n' && c != u'\r') continue;
      lines_.append(QStringView(text).sliced(start, i - start));
      if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
      start = i + 1;
    }
    if (start < n) lines_.append(QStringView(text).sliced(start));
    if (!lines_.isEmpty() && lines_.first().startsWith(QChar(0xFEFF))) lines_.first() = lines_.first().sliced(1);
  }

  static bool isV5Header(QStringView line) {
    return line.toString().simplified().compare(QLatin1String(kHeaderV5), Qt::CaseInsensitive) == 0;
  }

  void issue(qsizetype index, const QString& message) {
    result_.issues.append(ParseIssue{int(index + 1), message, lines_[index].toString()});
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
    QStringView data = line.sliced(pos);

    // Hex data may go on over the following lines, each ending in a backslash.
    QList<QStringView> pieces{data};
    const qsizetype first = index;
    if (data.startsWith(u"hex", Qt::CaseInsensitive)) {
      while (pieces.last().endsWith(u'\\')) {
        pieces.last().chop(1);
        if (++index >= lines_.size()) {
          index = lines_.size() - 1;
          issue(first, QStringLiteral("hex data continues past the end of the file"));
          return;
        }
        pieces.append(lines_[index].trimmed());
      }
      data = pieces.first();
    }
    // Values of a key line that was skipped are skipped with it.
    if (!current_) return;

    if (data == u"-" || (data.startsWith(u'-') && onlyTrailing(data, 1))) {
      current_->removeValue(name);
      return;
    }
    if (data.startsWith(u'"')) {
      QString text;
      qsizetype end = 0;
      if (!quoted(data, end, text) || !onlyTrailing(data, end)) {
        issue(first, QStringLiteral("malformed string value"));
        return;
      }
      current_->setValue(name, quint32(ValueType::String), stringData(text));
      return;
    }
    if (data.startsWith(u"dword:", Qt::CaseInsensitive)) {
      qsizetype i = 6;
      while (i < data.size() && isSpace(data[i])) ++i;
      quint32 value = 0;
      int digits = 0;
      for (; i < data.size() && hexDigit(data[i]) >= 0; ++i, ++digits) value = value << 4 | quint32(hexDigit(data[i]));
      if (digits < 1 || digits > 8 || !onlyTrailing(data, i)) {
        issue(first, QStringLiteral("malformed dword value"));
        return;
      }
      current_->setValue(name, quint32(ValueType::DWord), dwordData(value));
      return;
    }
    if (data.startsWith(u"hex", Qt::CaseInsensitive)) {
      quint32 type = quint32(ValueType::Binary);
      qsizetype i = 3;
      if (i < data.size() && data[i] == u'(') {
        const qsizetype close = data.indexOf(u')', i);
        bool ok = false;
        if (close > i + 1) type = data.sliced(i + 1, close - i - 1).toUInt(&ok, 16);
        if (!ok) {
          issue(first, QStringLiteral("malformed value type in hex(..)"));
          return;
        }
        i = close + 1;
      }
      if (i >= data.size() || data[i] != u':') {
        issue(first, QStringLiteral("\":\" expected after hex"));
        return;
      }
      pieces.first() = data.sliced(i + 1);
      QByteArray bytes;
      if (!hexBytes(pieces, bytes)) {
        issue(first, QStringLiteral("malformed hex data"));
        return;
      }
      // REGEDIT4 files hold string types in the ANSI code page; Windows
      // converts them to UTF-16 when it imports them, and so do we.
      if (ansiStrings_ && (type == quint32(ValueType::String) || type == quint32(ValueType::ExpandString) ||
                           type == quint32(ValueType::MultiString)))
        bytes = utf16Data(decode8Bit(bytes));
      current_->setValue(name, type, bytes);
      return;
    }
    issue(first, QStringLiteral("unknown kind of value data"));
  }

  // Bytes of one or two hex digits separated by commas, over one or more
  // lines; a trailing comma is tolerated. Written for speed: a hive may hold
  // values of several megabytes.
  static bool hexBytes(const QList<QStringView>& pieces, QByteArray& out) {
    qsizetype bound = 0;  // n bytes take at least 2n - 1 characters
    for (QStringView piece : pieces) bound += piece.size() / 2 + 1;
    out.resize(bound);
    char* const start = out.data();
    char* w = start;
    bool needComma = false;
    for (QStringView piece : pieces) {
      const QChar* c = piece.data();
      const QChar* const end = c + piece.size();
      while (c < end) {
        const char16_t u = c->unicode();
        if (u == u' ' || u == u'\t') {
          ++c;
        } else if (u == u';') {
          break;
        } else if (u == u',') {
          if (!needComma) return false;
          needComma = false;
          ++c;
        } else {
          int value = hexDigit(*c);
          if (value < 0 || needComma) return false;
          if (++c < end && hexDigit(*c) >= 0) value = value << 4 | hexDigit(*c++);
          *w++ = char(value);
          needComma = true;
        }
      }
    }
    out.truncate(w - start);
    return true;
  }

  Root root_;
  QList<QStringView> lines_;
  Parsed result_;
  KeyNode* current_ = nullptr;
  bool headerSeen_ = false;
  bool keySeen_ = false;
  bool ansiStrings_ = false;
};

void appendQuoted(QByteArray& out, const QString& text) {
  out.append('"');
  for (QChar c : text) {
    if (c == u'\\' || c == u'"') out.append('\\');
    out.append(QStringView(&c, 1).toUtf8());
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
    out.append("dword:" + QByteArray::number(*dwordValue(v.data), 16).rightJustified(8, '0'));
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
  Parser parser(root);
  return parser.run(bytes);
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
