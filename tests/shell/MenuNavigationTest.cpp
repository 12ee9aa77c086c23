#include <gtest/gtest.h>

#include <Qt>

#include "common/suite/SuiteMessages.h"
#include "shell/base/MenuNavigation.h"

using namespace lumi;
using shell::MenuKey;
using shell::MenuNavigation;

namespace {

TEST(MenuNavigation, KeysMoveRoundPressAndGoBack) {
  struct Case {
    int startFocus;
    int code;
    int focus;
    bool press;
  };
  // The main window's top menu: five buttons, the exit button last.
  for (const Case& c : {Case{4, suite::KeyDown, 0, false}, Case{0, suite::KeyUp, 4, false},
                        Case{2, suite::KeyRight, 3, false}, Case{2, suite::KeyLeft, 1, false},
                        Case{2, suite::KeyOk, 2, true}, Case{1, suite::KeyExit, 4, true},
                        Case{3, suite::KeyChannelUp, 0, false}, Case{1, suite::KeyChannelDown, 4, false}}) {
    MenuNavigation menu(5);
    menu.SetFocus(c.startFocus);
    const auto step = menu.OnKey(c.code);
    ASSERT_TRUE(step) << c.code;
    EXPECT_EQ(step->focus, c.focus) << c.code << " from " << c.startFocus;
    EXPECT_EQ(step->press, c.press) << c.code;
    EXPECT_EQ(menu.focus(), c.focus);
  }
  MenuNavigation menu(5);
  menu.SetFocus(2);
  for (int code : {int(suite::KeyDigit1), int(suite::KeyDigit0), int(suite::KeyPlay), int(suite::KeyMenu)}) {
    EXPECT_FALSE(menu.OnKey(code)) << "a menu screen leaves code " << code << " alone";
    EXPECT_EQ(menu.focus(), 2);
  }
  menu.SetFocus(9);
  EXPECT_EQ(menu.focus(), 2) << "no focus outside the buttons in use";
}

TEST(MenuNavigation, KeyboardKeysBecomeCodes) {
  struct Case {
    int key;
    MenuKey::Kind kind;
    int code;
  };
  for (const Case& c : {Case{Qt::Key_Return, MenuKey::Code, 13}, Case{Qt::Key_Enter, MenuKey::Code, 13},
                        Case{Qt::Key_Escape, MenuKey::Code, 14}, Case{Qt::Key_Home, MenuKey::Code, 33},
                        Case{Qt::Key_PageUp, MenuKey::Code, 33}, Case{Qt::Key_End, MenuKey::Code, 34},
                        Case{Qt::Key_Up, MenuKey::Code, 15}, Case{Qt::Key_Left, MenuKey::Code, 15},
                        Case{Qt::Key_Down, MenuKey::Code, 16}, Case{Qt::Key_Right, MenuKey::Code, 16},
                        Case{Qt::Key_1, MenuKey::Code, 2}, Case{Qt::Key_9, MenuKey::Code, 10},
                        Case{Qt::Key_0, MenuKey::Code, 11}, Case{Qt::Key_F9, MenuKey::Code, 0},
                        Case{Qt::Key_F1, MenuKey::Swallow, 0}, Case{Qt::Key_A, MenuKey::Pass, 0}}) {
    const MenuKey k = shell::TranslateMenuKey(c.key);
    EXPECT_EQ(k.kind, c.kind) << std::hex << c.key;
    if (k.kind == MenuKey::Code) {
      EXPECT_EQ(k.code, c.code) << std::hex << c.key;
    }
  }
}

}  // namespace
