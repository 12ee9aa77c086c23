#include "platform/text/StringTable.h"

#include <QFile>
#include <QList>

namespace lumi::text {
namespace {

QString unescape(QByteArrayView raw) {
  QString text = QString::fromUtf8(raw);
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const QChar next = text[++i];
    if (next == 'n') out += '\n';
    else if (next == 't') out += '\t';
    else if (next == '\\') out += '\\';
    else out += QChar('\\'), out += next;
  }
  return out;
}

StringTable& programTable() {
  static StringTable table;
  return table;
}

}  // namespace

StringTable StringTable::parse(const QByteArray& tsv, Language language, QStringList* problems) {
  StringTable table;
  table.language_ = language;
  const QList<QByteArray> lines = tsv.split('\n');
  for (int n = 0; n < lines.size(); ++n) {
    QByteArray line = lines[n];
    if (line.endsWith('\r')) line.chop(1);
    if (line.isEmpty() || line.startsWith('#')) continue;
    const QList<QByteArray> columns = line.split('\t');
    bool ok = false;
    const int id = columns[0].trimmed().toInt(&ok);
    if (!ok || columns.size() < 2 || columns.size() > 3) {
      if (problems) problems->append(QStringLiteral("line %1: expected id, Korean text and English text").arg(n + 1));
      continue;
    }
    const bool english = language == Language::English && columns.size() == 3 && !columns[2].isEmpty();
    table.texts_.insert(id, unescape(english ? columns[2] : columns[1]));
  }
  return table;
}

StringTable StringTable::load(const QString& file, Language language) {
  QFile f(file);
  if (!f.open(QIODevice::ReadOnly)) {
    qWarning("string table %s cannot be read", qPrintable(file));
    StringTable empty;
    empty.language_ = language;
    return empty;
  }
  QStringList problems;
  StringTable table = parse(f.readAll(), language, &problems);
  for (const QString& p : problems) qWarning("string table %s, %s", qPrintable(file), qPrintable(p));
  return table;
}

QString StringTable::text(int id) const {
  const auto it = texts_.constFind(id);
  return it != texts_.constEnd() ? *it : QStringLiteral("[#%1]").arg(id);
}

void setProgramStrings(StringTable table) { programTable() = std::move(table); }
const StringTable& programStrings() { return programTable(); }
QString str(int id) { return programTable().text(id); }

}  // namespace lumi::text
