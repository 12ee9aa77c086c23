#include "shell/base/WindowPlacement.h"

#include <cstdlib>

namespace lumi::shell {

QPoint CentredPosition(const QRect& monitor, QSize window) {
  return {monitor.left() + (monitor.width() - window.width()) / 2,
          monitor.top() + (monitor.height() - window.height()) / 2};
}

QRect SnapToEdges(const QRect& proposed, QSize monitor, int panelHeight) {
  auto near = [](int d) { return d >= -2 && d <= 2; };
  QRect r = proposed;
  // QRect's right() and bottom() are inclusive; the edges here are exclusive.
  if (near(r.left())) r.moveLeft(0);
  if (near(r.top())) r.moveTop(0);
  if (near(r.left() + r.width() - monitor.width())) r.moveLeft(monitor.width() - r.width());
  const int bottom = monitor.height() - panelHeight;
  if (near(r.top() + r.height() - bottom)) r.moveTop(bottom - r.height());
  return r;
}

}  // namespace lumi::shell
