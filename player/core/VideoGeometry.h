#pragma once
// Where the picture goes in the player's window, and the display ratio text.
#include <QRect>
#include <QSize>

namespace lumi::player {

// The user ratio when both parts are set, else the picture's size, reduced by
// halving while both are even and then dividing by 3 while both are multiples
// of 3 (720x480 -> 15:10, 1920x1080 -> 80:45): the ratio text shows this, not
// the lowest terms. A zero part stops the reduction (0x0 stays 0:0).
QSize ReducedRatio(QSize picture, QSize userRatio = QSize(0, 0));

// Full screen: the monitor's width, the height that keeps the picture's
// aspect (rounded), centred vertically. An empty picture gets no place.
QRect FullScreenVideoRect(QSize monitor, QSize picture);

}  // namespace lumi::player
