#include "player/captions/SamiParser.h"

#include <QFile>
#include <algorithm>
#include <optional>

namespace lumi::player {

namespace {

// One markup tag: "<NAME attributes>" from `begin` up to and including '>'.
struct Tag {
  qsizetype begin = -1;
  qsizetype end = -1;  // one past '>'
  QStringView name;    // "SYNC", "/P", ...
  QStringView attributes;
};

bool isNameChar(QChar c) { return c.isLetterOrNumber() || c == u'/' || c == u'!' || c == u'-'; }

// The next tag at or after `from`; begin -1 when none is complete.
Tag nextTag(QStringView text, qsizetype from) {
  Tag tag;
  qsizetype lt = text.indexOf(u'<', from);
  if (lt < 0) return tag;
  const qsizetype gt = text.indexOf(u'>', lt + 1);
  if (gt < 0) return tag;
  // A tag holds no "<": in "a<b <SYNC Start=1>" the stray "<" is text, and
  // the tag starts at the last "<" before the ">".
  lt = text.lastIndexOf(u'<', gt);
  qsizetype nameEnd = lt + 1;
  while (nameEnd < gt && isNameChar(text[nameEnd])) ++nameEnd;
  tag.begin = lt;
  tag.end = gt + 1;
  tag.name = text.sliced(lt + 1, nameEnd - lt - 1);
  tag.attributes = text.sliced(nameEnd, gt - nameEnd);
  return tag;
}

// The next tag with one of `names` at or after `from`.
Tag findTag(QStringView text, qsizetype from, std::initializer_list<const char16_t*> names) {
  for (;;) {
    Tag tag = nextTag(text, from);
    if (tag.begin < 0) return tag;
    for (const char16_t* name : names)
      if (tag.name.compare(QStringView(name), Qt::CaseInsensitive) == 0) return tag;
    // On past the whole tag: a run of "<" before one ">" is read once.
    from = tag.end;
  }
}

// The value of attribute `name` (Start=1000, Class="KRCC", class='x').
std::optional<QString> attribute(QStringView attributes, QStringView name) {
  qsizetype i = 0;
  const qsizetype n = attributes.size();
  while (i < n) {
    while (i < n && !attributes[i].isLetter()) ++i;
    const qsizetype keyBegin = i;
    while (i < n && (attributes[i].isLetterOrNumber() || attributes[i] == u'-' || attributes[i] == u'_')) ++i;
    const QStringView key = attributes.sliced(keyBegin, i - keyBegin);
    while (i < n && attributes[i].isSpace()) ++i;
    QString value;
    if (i < n && attributes[i] == u'=') {
      ++i;
      while (i < n && attributes[i].isSpace()) ++i;
      if (i < n && (attributes[i] == u'"' || attributes[i] == u'\'')) {
        const QChar quote = attributes[i++];
        const qsizetype close = attributes.indexOf(quote, i);
        const qsizetype valueEnd = close < 0 ? n : close;
        value = attributes.sliced(i, valueEnd - i).toString();
        i = valueEnd + 1;
      } else {
        const qsizetype valueBegin = i;
        while (i < n && !attributes[i].isSpace()) ++i;
        value = attributes.sliced(valueBegin, i - valueBegin).toString();
      }
    }
    if (!key.isEmpty() && key.compare(name, Qt::CaseInsensitive) == 0) return value.trimmed();
    if (key.isEmpty() && i < n) ++i;
  }
  return std::nullopt;
}

// "1000", "+1000", "1000ms": the leading number. Times beyond a year are not
// captions of a movie; they are refused rather than overflowed.
std::optional<std::int64_t> startTime(const QString& value) {
  qsizetype i = 0;
  bool negative = false;
  if (i < value.size() && (value[i] == u'-' || value[i] == u'+')) negative = value[i++] == u'-';
  std::int64_t ms = 0;
  const qsizetype digitsBegin = i;
  constexpr std::int64_t kLimit = 366LL * 24 * 3600 * 1000;
  for (; i < value.size() && value[i] >= u'0' && value[i] <= u'9'; ++i) {
    ms = ms * 10 + (value[i].unicode() - u'0');
    if (ms > kLimit) return std::nullopt;
  }
  if (i == digitsBegin) return std::nullopt;
  return negative ? -ms : ms;
}

QString withoutCssComments(QStringView css) {
  QString out;
  out.reserve(css.size());
  qsizetype i = 0;
  while (i < css.size()) {
    const qsizetype open = css.indexOf(u"/*", i);
    if (open < 0) {
      out += css.sliced(i);
      break;
    }
    out += css.sliced(i, open - i);
    const qsizetype close = css.indexOf(u"*/", open + 2);
    if (close < 0) break;
    i = close + 2;
  }
  // The block usually hides inside an HTML comment for old browsers.
  out.replace(QStringLiteral("<!--"), QStringLiteral(" "));
  out.replace(QStringLiteral("-->"), QStringLiteral(" "));
  return out;
}

// The classes of the STYLE block, in their order.
std::vector<SamiStream> styleClasses(QStringView text) {
  std::vector<SamiStream> streams;
  const Tag style = findTag(text, 0, {u"STYLE"});
  if (style.begin < 0) return streams;
  const Tag styleEnd = findTag(text, style.end, {u"/STYLE"});
  const qsizetype cssEnd = styleEnd.begin < 0 ? text.size() : styleEnd.begin;
  const QString css = withoutCssComments(text.sliced(style.end, cssEnd - style.end));

  qsizetype i = 0;
  while (i < css.size()) {
    const qsizetype open = css.indexOf(u'{', i);
    if (open < 0) break;
    const qsizetype close = css.indexOf(u'}', open + 1);
    const qsizetype bodyEnd = close < 0 ? css.size() : close;
    const QStringView selectors = QStringView(css).sliced(i, open - i);
    const QStringView body = QStringView(css).sliced(open + 1, bodyEnd - open - 1);
    i = bodyEnd + 1;

    QString name, lang;
    for (QStringView declaration : body.split(u';')) {
      const qsizetype colon = declaration.indexOf(u':');
      if (colon < 0) continue;
      const QStringView key = declaration.first(colon).trimmed();
      const QString value = declaration.sliced(colon + 1).trimmed().toString();
      if (key.compare(u"Name", Qt::CaseInsensitive) == 0) name = value;
      if (key.compare(u"lang", Qt::CaseInsensitive) == 0) lang = value;
    }
    for (QStringView selector : selectors.split(u',')) {
      selector = selector.trimmed();
      if (!selector.startsWith(u'.') || selector.size() < 2) continue;
      SamiStream stream;
      stream.className = selector.sliced(1).toString();
      stream.name = name.isEmpty() ? stream.className : name;
      stream.lang = lang;
      const bool known = std::any_of(streams.begin(), streams.end(), [&](const SamiStream& s) {
        return s.className.compare(stream.className, Qt::CaseInsensitive) == 0;
      });
      if (!known) streams.push_back(std::move(stream));
    }
  }
  return streams;
}

// Paragraph text as the file holds it, with every kind of line end made
// "\r\n" (the cleaning drops those), without the surrounding blank space.
QString entryText(QStringView raw) {
  QString text;
  text.reserve(std::min(raw.size(), kMaxSamiEntryChars) + 16);
  for (qsizetype i = 0; i < raw.size() && text.size() < kMaxSamiEntryChars; ++i) {
    const QChar c = raw[i];
    if (c == u'\r' || c == u'\n') {
      const bool pair = i + 1 < raw.size() && raw[i + 1] != c && (raw[i + 1] == u'\r' || raw[i + 1] == u'\n');
      text += QStringLiteral("\r\n");
      if (pair) ++i;
    } else {
      text += c;
    }
  }
  return text.trimmed();
}

int streamOfClass(const std::vector<SamiStream>& streams, const std::optional<QString>& className) {
  if (!className || className->isEmpty()) return 0;
  for (std::size_t s = 0; s < streams.size(); ++s)
    if (streams[s].className.compare(*className, Qt::CaseInsensitive) == 0) return int(s);
  return -1;
}

}  // namespace

SamiDocument parseSami(const QString& text) {
  SamiDocument doc;
  doc.streams = styleClasses(text);
  const bool classless = doc.streams.empty();
  if (classless) doc.streams.emplace_back();

  int entryCount = 0;
  const Tag body = findTag(text, 0, {u"BODY"});
  qsizetype at = body.begin < 0 ? 0 : body.end;
  Tag sync = findTag(text, at, {u"SYNC"});
  while (sync.begin >= 0) {
    // The mark's content runs to the next mark or the end of the body.
    const Tag next = findTag(text, sync.end, {u"SYNC", u"/BODY", u"/SAMI"});
    const qsizetype contentEnd = next.begin < 0 ? text.size() : next.begin;
    const QStringView content = QStringView(text).sliced(sync.end, contentEnd - sync.end);

    const std::optional<QString> start = attribute(sync.attributes, u"Start");
    const std::optional<std::int64_t> startMs = start ? startTime(*start) : std::nullopt;
    if (startMs) {
      ++doc.syncCount;
      auto add = [&](int stream, QStringView raw) {
        if (stream < 0 || entryCount >= kMaxSamiEntries) return;
        ++entryCount;
        doc.streams[std::size_t(stream)].entries.push_back({*startMs, entryText(raw)});
      };
      Tag p = findTag(content, 0, {u"P"});
      // Text straight after the mark, without a paragraph, belongs to stream 0.
      const QStringView before = content.first(p.begin < 0 ? content.size() : p.begin);
      if (!before.trimmed().isEmpty()) add(0, before);
      while (p.begin >= 0) {
        const Tag nextP = findTag(content, p.end, {u"P"});
        qsizetype end = nextP.begin < 0 ? content.size() : nextP.begin;
        const Tag close = findTag(content.first(end), p.end, {u"/P"});
        if (close.begin >= 0) end = close.begin;
        const int stream = classless ? 0 : streamOfClass(doc.streams, attribute(p.attributes, u"Class"));
        add(stream, content.sliced(p.end, end - p.end));
        p = nextP;
      }
    }
    if (next.begin < 0 || next.name.compare(u"SYNC", Qt::CaseInsensitive) != 0) break;
    sync = next;
  }
  for (SamiStream& stream : doc.streams)
    std::stable_sort(stream.entries.begin(), stream.entries.end(),
                     [](const SamiEntry& a, const SamiEntry& b) { return a.startMs < b.startMs; });
  return doc;
}

int chooseCaptionStream(const SamiDocument& document) {
  if (document.streams.empty()) return -1;
  int chosen = 0;
  for (std::size_t s = 0; s < document.streams.size(); ++s)
    if (document.streams[s].name.contains(QStringLiteral("Korean"))) chosen = int(s);
  return chosen;
}

QStringList captionStreamReport(const SamiDocument& document, int chosen) {
  QStringList lines{QStringLiteral("Stream count: %1").arg(document.streams.size())};
  for (std::size_t s = 0; s < document.streams.size(); ++s)
    lines << QStringLiteral("Stream %1: %2 [%3]")
                 .arg(s)
                 .arg(document.streams[s].name,
                      int(s) == chosen ? QStringLiteral("ENABLED") : QStringLiteral("DISABLED"));
  return lines;
}

namespace {

SamiFile refused(QString reason) {
  SamiFile file;
  file.messageId = kBadCaptionFileMessage;
  file.detailId = kCaptionUnavailableMessage;
  file.reason = std::move(reason);
  return file;
}

}  // namespace

SamiFile readSami(QByteArrayView bytes) {
  if (bytes.size() > kMaxSamiFileBytes) return refused(QStringLiteral("larger than %1 bytes").arg(kMaxSamiFileBytes));
  SamiFile file;
  const QString text = decodeSamiBytes(bytes, &file.encoding);
  file.document = parseSami(text);
  if (file.document.syncCount == 0) {
    SamiFile bad = refused(QStringLiteral("no SYNC mark with a start time"));
    bad.encoding = file.encoding;
    return bad;
  }
  file.ok = true;
  return file;
}

SamiFile loadSamiFile(const QString& path) {
  QFile in(path);
  if (!in.open(QIODevice::ReadOnly)) return refused(QStringLiteral("cannot open: %1").arg(in.errorString()));
  // The size is checked before anything is read; a file that grows meanwhile
  // (or a device without a size) is cut one byte past the limit and refused.
  if (in.size() > kMaxSamiFileBytes) return refused(QStringLiteral("larger than %1 bytes").arg(kMaxSamiFileBytes));
  const QByteArray bytes = in.read(kMaxSamiFileBytes + 1);
  if (in.error() != QFileDevice::NoError) return refused(QStringLiteral("cannot read: %1").arg(in.errorString()));
  return readSami(bytes);
}

}  // namespace lumi::player
