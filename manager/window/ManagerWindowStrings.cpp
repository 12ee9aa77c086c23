#include "manager/window/ManagerWindowStrings.h"

#include <QFile>

#include "manager/core/ManagerStrings.h"

namespace lumi::manager {

text::StringTable loadWindowStrings(text::Language language) {
  QByteArray both;
  for (const QString& name : {kManagerStringsFile, QStringLiteral(":/strings/manager-window.tsv")}) {
    QFile file(name);
    if (file.open(QIODevice::ReadOnly)) both += file.readAll() + '\n';
  }
  return text::StringTable::parse(both, language);
}

}  // namespace lumi::manager
