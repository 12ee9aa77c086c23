#pragma once
// The message dialog's picture, painted into an image without a window: the
// windows copy it to the screen and tests check its pixels. The buttons are
// skinned buttons of their own and are not part of it.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRegion>

#include "common/dialog/MessageDialogModel.h"

namespace lumi::dialog {

inline constexpr int kRegionCorner = 35;  // width and height of the corner ellipses
// Where the text shadow's tone is sampled in the background picture.
inline constexpr QPoint kShadowSample{11, 22};

// The window's shape: a 611 x 345 rectangle with rounded corners, pixel for
// pixel (a pixel belongs to it when its centre lies inside the shape).
QRegion MessageDialogRegion(QSize size = kMessageDialogSize, int corner = kRegionCorner);

// The shadow of the lines: the pixel at (11, 22) of the picture with the
// smallest of its red, green and blue taken from all three, a darker tone of
// the same hue (black where the picture has no such pixel).
QColor DialogShadowTone(const QImage& picture);

// The part of the window a scroll step of a line repaints: its rectangle
// grown by 2 pixels on every side.
QRect LineRepaintRect(int index);

// The background (stretched to the dialog when it has another size; black
// without one), then every line in `font`: shadow one pixel right and down,
// then white. A standing line follows its format within its rectangle; a
// scrolling line is drawn twice, left-aligned from rect.left() - offset, kept
// within its rectangle.
QImage PaintMessageDialog(const MessageDialogModel& model, const QImage& background, const QFont& font);

}  // namespace lumi::dialog
