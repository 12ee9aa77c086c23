#include "shell/library/PictureFit.h"

#include <QtGlobal>

namespace lumi::library {

QRect FitPicture(QSize area, QSize picture) {
  const int W = area.width(), H = area.height();
  const int w = picture.width(), h = qAbs(picture.height());
  if (W <= 0 || H <= 0 || w <= 0 || h <= 0) return {};
  const float fx = float(W) / float(w);
  const float fy = float(H) / float(h);
  int width, height;
  if (fx >= 1 && fy > 1) {
    // Enlarging: one side fills the area exactly. The other side is taken
    // from the picture's orientation first, but never past the area: a small
    // picture a little wider than high would otherwise lose its top and
    // bottom in a 4:3 area.
    const int wideHeight = int(float(h) * fx);
    const int tallWidth = int(float(w) * fy);
    const bool wide = w > h;
    if ((wide && wideHeight <= H) || (!wide && tallWidth > W)) {
      width = W;
      height = wideHeight;
    } else {
      width = tallWidth;
      height = H;
    }
  } else {
    const float f = qMin(fx, fy);
    width = int(float(w) * f);
    height = int(float(h) * f);
  }
  return QRect((W - width) / 2, (H - height) / 2, width, height);
}

}  // namespace lumi::library
