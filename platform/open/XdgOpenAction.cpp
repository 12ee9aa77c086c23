#include "platform/open/XdgOpenAction.h"

#include <QProcess>
#include <QtDebug>

namespace lumi::open {

bool XdgOpenAction::open(const QUrl& target) {
  const QString argument = openArgument(target);
  if (argument.isEmpty()) {
    qWarning("open: refused \"%s\"", qPrintable(target.toString()));
    return false;
  }
  if (!QProcess::startDetached(program_, {argument})) {
    qWarning("open: could not start %s", qPrintable(program_));
    return false;
  }
  return true;
}

}  // namespace lumi::open
