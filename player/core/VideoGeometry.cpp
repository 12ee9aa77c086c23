#include "player/core/VideoGeometry.h"

namespace lumi::player {

QSize ReducedRatio(QSize picture, QSize userRatio) {
  int x = picture.width(), y = picture.height();
  if (userRatio.width() > 0 && userRatio.height() > 0) {
    x = userRatio.width();
    y = userRatio.height();
  }
  if (x == 0 || y == 0) return QSize(x, y);
  while (x % 2 == 0 && y % 2 == 0) {
    x /= 2;
    y /= 2;
  }
  while (x % 3 == 0 && y % 3 == 0) {
    x /= 3;
    y /= 3;
  }
  return QSize(x, y);
}

QRect FullScreenVideoRect(QSize monitor, QSize picture) {
  if (picture.width() <= 0 || picture.height() <= 0) return {};
  const double aspect = double(picture.width()) / double(picture.height());
  const int height = int(double(monitor.width()) / aspect + 0.5);
  return QRect(0, (monitor.height() - height) / 2, monitor.width(), height);
}

}  // namespace lumi::player
