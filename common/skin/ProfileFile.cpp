#include "common/skin/ProfileFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/instance/RuntimeFolder.h"
#include "platform/text/AnsiText.h"

namespace lumi::skin {

namespace {


bool isQuote(QChar c) { return c == '"' || c == '\''; }

QString unquote(const QString& trimmed) {
  if (trimmed.size() >= 2 && isQuote(trimmed.front()) && trimmed.back() == trimmed.front())
    return trimmed.mid(1, trimmed.size() - 2);
  return trimmed;
}

// The text to write so that reading gives `value` back: values that reading
// would trim or unquote are enclosed in double quotes.
QString quoteForWriting(const QString& value) {
  if (value.isEmpty()) return value;
  const bool spaced = value.front().isSpace() || value.back().isSpace();
  const bool quoted = value.size() >= 2 && isQuote(value.front()) && value.back() == value.front();
  return spaced || quoted ? QLatin1Char('"') + value + QLatin1Char('"') : value;
}

bool hasLineBreakOrNul(const QString& s) {
  return s.contains('\n') || s.contains('\r') || s.contains(QChar(0));
}

bool equalNames(QStringView a, QStringView b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

QString errorText() { return QString::fromLocal8Bit(std::strerror(errno)); }

// Writers of one file take turns through an flock on a file in the user's
// runtime folder (not beside the file: the program folder stays clean, and
// the file itself is replaced by every write, so it cannot carry the lock).
class WriterLock {
 public:
  explicit WriterLock(const QString& file) {
    const QString folder = runtimeFolder();
    if (folder.isEmpty()) {
      qWarning("skin: no private runtime folder; writing %s without the writers' lock", qPrintable(file));
      return;
    }
    const QByteArray digest =
        QCryptographicHash::hash(QFile::encodeName(file), QCryptographicHash::Sha1).toHex().left(20);
    const QByteArray lockPath = QFile::encodeName(QDir(folder).filePath(QStringLiteral("profile-%1.lock")
                                                                            .arg(QString::fromLatin1(digest))));
    fd_ = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) {
      qWarning("skin: cannot open the writers' lock for %s: %s", qPrintable(file), qPrintable(errorText()));
      return;
    }
    while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  ~WriterLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  }
  WriterLock(const WriterLock&) = delete;
  WriterLock& operator=(const WriterLock&) = delete;

 private:
  int fd_ = -1;
};

// Where a write must land: the target of a symbolic link, so that a linked
// "Skin.ini" stays linked.
QString writeTarget(const QString& file) {
  const QFileInfo info(file);
  if (info.isSymLink()) return info.symLinkTarget();
  return info.absoluteFilePath();
}

}  // namespace

// ---- ProfileDocument -------------------------------------------------------

ProfileDocument ProfileDocument::parse(const QByteArray& bytes, QStringList* problems) {
  ProfileDocument doc;
  QString text;
  if (bytes.startsWith("\xEF\xBB\xBF")) {
    doc.encoding_ = Encoding::Utf8Bom;
    text = QString::fromUtf8(bytes.mid(3));
  } else if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
    const bool little = bytes.startsWith("\xFF\xFE");
    doc.encoding_ = little ? Encoding::Utf16LE : Encoding::Utf16BE;
    QStringDecoder decoder(little ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                           QStringConverter::Flag::Stateless);
    text = decoder(QByteArrayView(bytes).sliced(2));
  } else {
    text = text::DecodeAnsi(bytes);
  }

  QStringList rawLines = text.split('\n');
  if (!rawLines.isEmpty() && rawLines.back().isEmpty()) rawLines.removeLast();  // the final line break
  bool sawBreak = false;
  bool inSection = false;
  int number = 0;
  auto problem = [&](const QString& what) {
    if (problems) problems->append(QStringLiteral("line %1: %2").arg(number).arg(what));
  };
  for (QString& raw : rawLines) {
    ++number;
    if (raw.endsWith('\r')) {
      raw.chop(1);
      if (!sawBreak) doc.crlf_ = true;
    }
    sawBreak = true;
    Line line;
    line.text = raw;
    const QString trimmed = raw.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(';')) {
      // blank or comment
    } else if (trimmed.contains(QChar(0))) {
      problem(QStringLiteral("holds a NUL character"));
    } else if (trimmed.startsWith('[')) {
      const int close = trimmed.lastIndexOf(']');
      if (close < 0) {
        problem(QStringLiteral("section header without ']'"));
      } else {
        line.kind = Line::Section;
        line.name = trimmed.mid(1, close - 1).trimmed();
        inSection = true;
      }
    } else {
      const int eq = trimmed.indexOf('=');
      if (eq < 0) {
        problem(QStringLiteral("neither a key nor a section"));
      } else if (eq == 0) {
        problem(QStringLiteral("a value without a key name"));
      } else if (!inSection) {
        problem(QStringLiteral("a key before the first section"));
      } else {
        line.kind = Line::Key;
        line.name = trimmed.left(eq).trimmed();
        line.value = unquote(trimmed.mid(eq + 1).trimmed());
      }
    }
    doc.lines_.append(line);
  }
  return doc;
}

QByteArray ProfileDocument::serialize() const {
  const QLatin1StringView lineBreak = crlf_ ? QLatin1StringView("\r\n") : QLatin1StringView("\n");
  QString text;
  for (const Line& line : lines_) text += line.text + lineBreak;
  switch (encoding_) {
    case Encoding::Utf8:
      return text.toUtf8();
    case Encoding::Utf8Bom:
      return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    case Encoding::Utf16LE:
    case Encoding::Utf16BE: {
      const bool little = encoding_ == Encoding::Utf16LE;
      QStringEncoder encoder(little ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                             QStringConverter::Flag::Stateless);
      return QByteArray(little ? "\xFF\xFE" : "\xFE\xFF") + QByteArray(encoder(text));
    }
  }
  return text.toUtf8();
}

int ProfileDocument::findSection(QStringView section) const {
  for (int i = 0; i < lines_.size(); ++i)
    if (lines_[i].kind == Line::Section && equalNames(lines_[i].name, section)) return i;
  return -1;
}

int ProfileDocument::findKey(int sectionLine, QStringView key) const {
  for (int i = sectionLine + 1; i < lines_.size() && lines_[i].kind != Line::Section; ++i)
    if (lines_[i].kind == Line::Key && equalNames(lines_[i].name, key)) return i;
  return -1;
}

std::optional<QString> ProfileDocument::value(QStringView section, QStringView key) const {
  const int header = findSection(section);
  if (header < 0) return std::nullopt;
  const int line = findKey(header, key);
  if (line < 0) return std::nullopt;
  return lines_[line].value;
}

bool ProfileDocument::setValue(const QString& sectionName, const QString& keyName, const QString& value,
                               QString* why) {
  auto refuse = [why](const QString& reason) {
    if (why) *why = reason;
    return false;
  };
  const QString section = sectionName.trimmed();
  const QString key = keyName.trimmed();
  if (section.isEmpty() || hasLineBreakOrNul(section) || section.contains(']'))
    return refuse(QStringLiteral("the section name \"%1\" cannot be stored").arg(sectionName));
  if (key.isEmpty() || hasLineBreakOrNul(key) || key.contains('=') || key.startsWith('[') || key.startsWith(';'))
    return refuse(QStringLiteral("the key name \"%1\" cannot be stored").arg(keyName));
  if (hasLineBreakOrNul(value))
    return refuse(QStringLiteral("the value of \"%1\" holds a line break or NUL").arg(keyName));

  Line line;
  line.kind = Line::Key;
  line.value = value;
  const int header = findSection(section);
  if (header >= 0) {
    const int existing = findKey(header, key);
    if (existing >= 0) {
      line.name = lines_[existing].name;
      line.text = line.name + QLatin1Char('=') + quoteForWriting(value);
      lines_[existing] = line;
      return true;
    }
    int insertAt = header + 1;
    for (int i = header + 1; i < lines_.size() && lines_[i].kind != Line::Section; ++i)
      if (lines_[i].kind == Line::Key) insertAt = i + 1;
    line.name = key;
    line.text = key + QLatin1Char('=') + quoteForWriting(value);
    lines_.insert(insertAt, line);
    return true;
  }
  if (!lines_.isEmpty() && !lines_.back().text.trimmed().isEmpty()) lines_.append(Line{});
  Line headerLine;
  headerLine.kind = Line::Section;
  headerLine.name = section;
  headerLine.text = QLatin1Char('[') + section + QLatin1Char(']');
  lines_.append(headerLine);
  line.name = key;
  line.text = key + QLatin1Char('=') + quoteForWriting(value);
  lines_.append(line);
  return true;
}

// ---- ProfileFile -------------------------------------------------------------

ProfileSnapshot ProfileFile::read(const QString& path) {
  ProfileSnapshot snapshot;
  QFile file(path);
  if (!file.exists()) return snapshot;  // Missing
  snapshot.status = ProfileSnapshot::Status::Unreadable;
  if (!QFileInfo(path).isFile()) {
    snapshot.problems.append(QStringLiteral("not a file"));
    return snapshot;
  }
  if (!file.open(QIODevice::ReadOnly)) {
    snapshot.problems.append(file.errorString());
    return snapshot;
  }
  const QByteArray bytes = file.read(kMaxFileSize + 1);
  if (bytes.size() > kMaxFileSize) {
    snapshot.problems.append(QStringLiteral("larger than %1 bytes").arg(kMaxFileSize));
    return snapshot;
  }
  if (file.error() != QFileDevice::NoError) {
    snapshot.problems.append(file.errorString());
    return snapshot;
  }
  snapshot.status = ProfileSnapshot::Status::Read;
  snapshot.document = ProfileDocument::parse(bytes, &snapshot.problems);
  return snapshot;
}

QString ProfileFile::readString(const QString& file, const QString& section, const QString& key,
                                const QString& fallback) {
  return read(file).document.value(section, key).value_or(fallback);
}

int ProfileFile::readInt(const QString& file, const QString& section, const QString& key, int fallback) {
  const std::optional<QString> text = read(file).document.value(section, key);
  if (!text || text->isEmpty()) return fallback;
  const ProfileNumber number = parseProfileNumber(*text);
  if (number.kind == ProfileNumber::Kind::Overflow) return fallback;
  return number.value;
}

bool ProfileFile::writeString(const QString& path, const QString& section, const QString& key,
                              const QString& value) {
  const QString target = writeTarget(path);
  WriterLock lock(target);

  ProfileSnapshot current = read(target);
  if (current.status == ProfileSnapshot::Status::Unreadable) {
    // Rewriting what we could not read would throw away the rest of it.
    qWarning("skin: not writing [%s] %s to %s: the file cannot be read (%s)", qPrintable(section), qPrintable(key),
             qPrintable(path), qPrintable(current.problems.join(QStringLiteral("; "))));
    return false;
  }
  QString why;
  if (!current.document.setValue(section, key, value, &why)) {
    qWarning("skin: not writing to %s: %s", qPrintable(path), qPrintable(why));
    return false;
  }
  const QByteArray bytes = current.document.serialize();
  QSaveFile out(target);
  out.setDirectWriteFallback(false);
  if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
    qWarning("skin: cannot write %s: %s", qPrintable(path), qPrintable(out.errorString()));
    out.cancelWriting();
    return false;
  }
  return true;
}

// ---- numbers -------------------------------------------------------------------

ProfileNumber parseProfileNumber(QStringView text) {
  ProfileNumber number;
  QStringView s = text.trimmed();
  bool negative = false;
  if (!s.isEmpty() && (s.front() == '-' || s.front() == '+')) {
    negative = s.front() == '-';
    s = s.mid(1);
  }
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    const QChar c = s[2].toLower();
    if (c.isDigit() || (c >= 'a' && c <= 'f')) {
      base = 16;
      s = s.mid(2);
    }
  }
  qint64 magnitude = 0;
  qsizetype digits = 0;
  for (; digits < s.size(); ++digits) {
    const QChar c = s[digits].toLower();
    int d = -1;
    if (c >= '0' && c <= '9') d = c.unicode() - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c.unicode() - 'a' + 10;
    if (d < 0) break;
    magnitude = magnitude * base + d;
    if (magnitude > (qint64(1) << 32)) {
      number.kind = ProfileNumber::Kind::Overflow;
      return number;
    }
  }
  if (digits == 0) return number;  // None
  const qint64 value = negative ? -magnitude : magnitude;
  // Hexadecimal colours may use the full 32 bits; decimal values are int32.
  if (value < INT32_MIN || value > (base == 16 ? qint64(UINT32_MAX) : qint64(INT32_MAX))) {
    number.kind = ProfileNumber::Kind::Overflow;
    return number;
  }
  number.value = static_cast<int>(static_cast<quint32>(value));
  number.kind = digits == s.size() ? ProfileNumber::Kind::Whole : ProfileNumber::Kind::Prefix;
  return number;
}

}  // namespace lumi::skin
