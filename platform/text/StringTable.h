#pragma once
// Each program's user-visible texts by numeric id, with a Korean and an
// English table. The tables are tab-separated text files compiled into the
// program as Qt resources:
//
//   # comment
//   3190<TAB>LUMICASTER<TAB>LUMICASTER
//   3314<TAB>리모컨으로 쉽게<TAB>Enjoy easier with
//
// Columns: id, Korean text, English text. An empty English column means the
// English table holds the Korean text. In texts, \n, \t and \\ are escapes.
#include <QHash>
#include <QString>
#include <QStringList>

#include "platform/text/Language.h"

namespace lumi::text {

class StringTable {
 public:
  StringTable() = default;

  // Parses a table; lines that do not parse are listed in `problems`
  // ("line 12: ...") and skipped, the rest is kept.
  static StringTable parse(const QByteArray& tsv, Language language, QStringList* problems = nullptr);
  // Loads a table file (a resource path such as ":/strings/shell.tsv" or a
  // host path); an unreadable file gives an empty table and a warning.
  static StringTable load(const QString& file, Language language = systemLanguage());

  Language language() const { return language_; }
  bool contains(int id) const { return texts_.contains(id); }
  // The text of an id; a missing id gives a visible "[#id]" so that the gap
  // shows on screen and in tests instead of an empty or broken window.
  QString text(int id) const;
  int size() const { return texts_.size(); }

 private:
  Language language_ = Language::English;
  QHash<int, QString> texts_;
};

// The running program's table, set once at start-up.
void setProgramStrings(StringTable table);
const StringTable& programStrings();
// Shorthand for programStrings().text(id).
QString str(int id);

}  // namespace lumi::text
