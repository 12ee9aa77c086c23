#pragma once
// Where the menu screens put their buttons and what they call them.
#include <QList>

#include "shell/main/CMenuScreen.h"

namespace lumi::shell {

// The main window's top menu: four wide buttons and the exit button.
QList<CMenuScreen::ButtonSpec> MainMenuButtons();
// The "내 컴퓨터" menu: five wide buttons and "위 로".
QList<CMenuScreen::ButtonSpec> MyComputerButtons();

}  // namespace lumi::shell
