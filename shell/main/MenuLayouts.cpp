#include "shell/main/MenuLayouts.h"

namespace lumi::shell {
namespace {

// (left, top)-(right, bottom) with exclusive right and bottom edges.
QRect edges(int left, int top, int right, int bottom) { return QRect(left, top, right - left, bottom - top); }

}  // namespace

QList<CMenuScreen::ButtonSpec> MainMenuButtons() {
  return {{3277, edges(70, 128, 360, 183), false},
          {3278, edges(70, 188, 360, 243), false},
          {3273, edges(70, 248, 360, 303), false},
          {3318, edges(70, 308, 360, 363), false},
          {3119, QRect(70, 388, 160, 46), true}};
}

QList<CMenuScreen::ButtonSpec> MyComputerButtons() {
  QList<CMenuScreen::ButtonSpec> buttons;
  const int captions[] = {3279, 3280, 3281, 3282, 3283};
  for (int i = 0; i < 5; ++i) buttons.append({captions[i], edges(70, 128 + 60 * i, 360, 183 + 60 * i), false});
  buttons.append({3131, QRect(70, 448, 160, 46), true});
  return buttons;
}

}  // namespace lumi::shell
