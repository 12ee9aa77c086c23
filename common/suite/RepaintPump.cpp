#include "common/suite/RepaintPump.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace lumi::suite {

void RepaintOnly::pump() {
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers |
                                  QEventLoop::X11ExcludeTimers);
}

}  // namespace lumi::suite
