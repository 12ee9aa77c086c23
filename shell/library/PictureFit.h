#pragma once
// The fit rule of the photo pages, shared by the picture loader and the GIF
// decoder (which samples a picture down to it while decoding).
#include <QRect>
#include <QSize>

namespace lumi::library {

// Where a picture of the given size lies when fitted into an area (origin at
// the area's top-left): scaled by the smaller of W / w and H / h in single
// precision, the bound side exactly filling the area, centred with integer
// division. Empty for an empty picture or area.
QRect FitPicture(QSize area, QSize picture);

}  // namespace lumi::library
