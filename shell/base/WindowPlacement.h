#pragma once
// Where shell windows go: centred on a monitor, and the edge snapping of a
// window dragged in windowed mode.
#include <QPoint>
#include <QRect>
#include <QSize>

namespace lumi::shell {

inline constexpr QSize kShellWindowSize{800, 600};

// The top-left corner that centres `window` in `monitor` (integer division).
QPoint CentredPosition(const QRect& monitor, QSize window = kShellWindowSize);

// Snaps a proposed window rectangle to the screen edges when an edge is
// within 2 pixels, in this order: left to 0, top to 0, right to the monitor
// width, bottom to the monitor height less the panel height. The targets are
// those of a monitor at (0, 0) with the monitor's size; the size is kept.
QRect SnapToEdges(const QRect& proposed, QSize monitor, int panelHeight);

}  // namespace lumi::shell
