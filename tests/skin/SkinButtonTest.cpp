// The skinned push button: its state machine step by step, and the widget's
// timers, messages, bitmaps, transparency and toggle behaviour.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>

#include "common/resources/BitmapIds.h"
#include "common/skin/FontSet.h"
#include "common/skin/SkinButton.h"
#include "common/skin/XPButton.h"
#include "tests/skin/SkinTestUtil.h"

using namespace lumi;
using namespace lumi::skin;
using skintest::at;

namespace {

struct Step {
  enum Kind { Move, Tick, Down, Up, Press, Finish, Set } kind;
  QPoint position = {};
  bool inside = true;
  int argument = 0;
  bool wait = false;
  // expected afterwards
  int state = 0;
  const char* effects = "";  // letters: r redraw, h hover, c command, k clicked, s/S hover timer start/stop, t press timer, p pause
};

std::string effectLetters(const ButtonEffects& e) {
  std::string s;
  if (e.redraw) s += 'r';
  if (e.postHover) s += 'h';
  if (e.postCommand) s += 'c';
  if (e.clicked) s += 'k';
  if (e.startHoverTimer) s += 's';
  if (e.stopHoverTimer) s += 'S';
  if (e.startPressTimer) s += 't';
  if (e.pauseThenFinish) s += 'p';
  return s;
}

TEST(SkinButtonLogic, MouseRemoteAndWindowDriveTheState) {
  struct Script {
    const char* name;
    bool mouseEnabled;
    std::vector<Step> steps;
  } scripts[] = {
      {"hover and leave", true,
       {{Step::Move, {5, 5}, true, 0, false, 1, "rhs"},
        {Step::Move, {5, 5}, true, 0, false, 1, ""},  // no real move
        {Step::Move, {6, 5}, true, 0, false, 1, "hs"},
        {Step::Tick, {}, true, 0, false, 1, ""},
        {Step::Tick, {}, false, 0, false, 0, "rS"}}},
      {"a move outside does nothing until the tick", true, {{Step::Move, {500, 5}, false, 0, false, 0, ""}}},
      {"click", true,
       {{Step::Down, {}, true, 0, false, 2, "r"},
        {Step::Down, {}, true, 0, false, 2, ""},  // already pressed
        {Step::Move, {7, 7}, true, 0, false, 2, "hs"},  // held down: stays pressed
        {Step::Up, {}, true, 0, false, 1, "rk"}}},
      {"released outside", true, {{Step::Down, {}, true, 0, false, 2, "r"}, {Step::Up, {}, false, 0, false, 0, "r"}}},
      {"a release without a press", true, {{Step::Up, {}, true, 0, false, 0, ""}}},
      {"mouse disabled", false,
       {{Step::Move, {5, 5}, true, 0, false, 0, ""}, {Step::Down, {}, true, 0, false, 0, ""}}},
      {"remote press with timer 222", true,
       {{Step::Press, {}, true, 1, false, 2, "rct"}, {Step::Finish, {}, true, 0, false, 1, "r"},
        {Step::Finish, {}, true, 0, false, 1, ""}}},
      {"remote press with wait", true, {{Step::Press, {}, true, 0, true, 2, "rcp"}, {Step::Finish, {}, true, 0, false, 0, "r"}}},
      {"window sets the state", true,
       {{Step::Set, {}, true, 1, false, 1, "r"}, {Step::Set, {}, true, 1, false, 1, "r"},
        {Step::Set, {}, true, 9, false, 2, "r"}}},
  };
  for (const Script& script : scripts) {
    SkinButtonLogic logic;
    logic.enableMouse(script.mouseEnabled);
    int index = 0;
    for (const Step& step : script.steps) {
      ButtonEffects e;
      switch (step.kind) {
        case Step::Move: e = logic.mouseMoved(step.position, step.inside); break;
        case Step::Tick: e = logic.hoverTick(step.inside); break;
        case Step::Down: e = logic.leftDown(); break;
        case Step::Up: e = logic.leftUp(step.inside); break;
        case Step::Press: e = logic.press(step.argument, step.wait); break;
        case Step::Finish: e = logic.finishPress(); break;
        case Step::Set: e = logic.setState(step.argument); break;
      }
      EXPECT_EQ(logic.state(), step.state) << script.name << ", step " << index;
      EXPECT_EQ(effectLetters(e), step.effects) << script.name << ", step " << index;
      ++index;
    }
  }
}

// A window that records what its button sends it.
struct Window : QWidget {
  std::vector<int> keys;
  void keyPressEvent(QKeyEvent* event) override { keys.push_back(event->key()); }
};

TEST(CSkinButton, PressMouseAndKeysReachTheWindow) {
  skintest::DataDirectory data;  // no Skin.ini: the built-in design
  Window window;
  window.resize(800, 600);
  auto* button = new CSkinButton(&window, 1271);
  button->setGeometry(235, 270, 120, 46);
  window.show();
  QSignalSpy commands(button, &CSkinButton::command);
  QSignalSpy hovers(button, &CSkinButton::hovered);

  button->Press(kStateFocused, false);
  EXPECT_EQ(button->State(), kStatePressed);
  EXPECT_EQ(commands.count(), 0) << "posted, not sent";
  QCoreApplication::processEvents();
  ASSERT_EQ(commands.count(), 1);
  EXPECT_EQ(commands[0][0].toInt(), 1271);
  EXPECT_TRUE(QTest::qWaitFor([&] { return button->State() == kStateFocused; }, 1000)) << "timer 222";

  QElapsedTimer clock;
  clock.start();
  button->Press(kStateNormal, true);
  EXPECT_GE(clock.elapsed(), CSkinButton::kPressDelayMs - 5) << "the pressed look stays for the pause";
  EXPECT_EQ(button->State(), kStateNormal);
  QCoreApplication::processEvents();
  EXPECT_EQ(commands.count(), 2);

  QTest::mouseMove(button, QPoint(10, 10));
  QCoreApplication::processEvents();
  EXPECT_EQ(button->State(), kStateFocused);
  ASSERT_GE(hovers.count(), 1);
  EXPECT_EQ(hovers[0][0].toInt(), 1271);
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
  QCoreApplication::processEvents();
  EXPECT_EQ(commands.count(), 3);
  EXPECT_EQ(button->State(), kStateFocused);

  button->EnableMouse(false);
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(12, 12));
  QCoreApplication::processEvents();
  EXPECT_EQ(commands.count(), 3) << "a button closed to the mouse ignores clicks";

  QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
  QApplication::sendEvent(button, &down);
  EXPECT_EQ(window.keys, std::vector<int>{Qt::Key_Down}) << "keys go on to the window";
}

TEST(CSkinButton, BitmapsFromTheResourceLibraryAndTheirFallbacks) {
  skintest::DataDirectory data;
  const resources::ResourceLibrary& lib = skintest::builtResources();
  ASSERT_TRUE(lib.ok());
  CSkinButton button(nullptr, 1304);
  button.resize(10, 10);
  EXPECT_TRUE(button.SetBitmaps(656, 657, 655, 0, false, &lib));
  EXPECT_EQ(button.size(), QSize(290, 55)) << "sized to the normal bitmap";
  const QImage focused = lib.bitmap(resources::kMenuButtonFocused);
  button.SetState(kStateFocused);
  EXPECT_EQ(at(button.Render(), 145, 27), QColor(focused.pixel(145, 27)));

  {
    resources::ScopedBitmapSource current(&lib);
    CSkinButton kept(nullptr, 1305);
    kept.resize(200, 46);
    EXPECT_FALSE(kept.SetBitmaps(659, 9999, 658, 0, true)) << "an id the library lacks";
    EXPECT_EQ(kept.size(), QSize(200, 46)) << "keep size";
    kept.SetState(kStateFocused);
    EXPECT_EQ(at(kept.Render(), 100, 23), QColor(0, 65, 107)) << "the missing state falls back to the highlight box";
    kept.SetState(kStatePressed);
    const QColor source(lib.bitmap(resources::kShortButtonPressed).pixel(80, 23));
    const QColor shown = at(kept.Render(), 100, 23);
    EXPECT_NEAR(shown.red(), source.red(), 2) << "the pressed bitmap, stretched to the kept size";
    EXPECT_NEAR(shown.green(), source.green(), 2);
    EXPECT_NEAR(shown.blue(), source.blue(), 2);
  }

  CSkinButton plain(nullptr, 1);
  plain.resize(100, 40);
  EXPECT_FALSE(plain.SetBitmaps(656, 657)) << "no current source: a warning, no bitmaps";
  EXPECT_EQ(at(plain.Render(), 50, 20), skintest::blended(QColor(0, 65, 107), Qt::black, 100));
}

TEST(CSkinButton, TransparentInTheUserDesignAndTogglesShowTheirState) {
  skintest::DataDirectory data;
  data.write("Skin.ini", "[MAIN]\nChange=1\n[BUTTON]\nTrans Focus=255\nColor Focus=255\n[FONT]\nColor=65280\n");
  Window window;
  window.resize(800, 600);
  const QImage background = skintest::solid({800, 600}, QColor(20, 40, 60));
  auto* button = new CSkinToggleButton(&window, 1900);
  button->setGeometry(70, 128, 290, 55);
  button->SetBackgroundProvider([&] { return background; });
  const QImage normal = skintest::solid({290, 55}, QColor(1, 2, 3));
  const QImage focused = skintest::solid({290, 55}, QColor(4, 5, 6));
  button->SetBitmapImages(normal, focused, {}, {}, true);

  EXPECT_TRUE(button->SetTransparent()) << "\"Change\" 1 in Skin.ini";
  button->SetState(kStateFocused);
  EXPECT_EQ(at(button->Render(), 145, 27), QColor(255, 0, 0)) << "the skin's focus colour at its opacity";
  button->SetState(kStateNormal);
  EXPECT_EQ(at(button->Render(), 145, 27),
            skintest::blended(QColor(203, 209, 218), QColor(20, 40, 60), 100));
  button->SetFont(SuiteFont("굴림", 30, 700));
  button->SetCaption("음 악");
  EXPECT_TRUE(skintest::contains(button->Render(), QColor(0, 255, 0))) << "captions in the skin's text colour";

  data.write("Skin.ini", "[MAIN]\nChange=0\n");
  EXPECT_FALSE(button->SetTransparent());
  button->SetState(kStateNormal);
  EXPECT_EQ(at(button->Render(), 3, 3), QColor(1, 2, 3));
  EXPECT_TRUE(skintest::contains(button->Render(), Qt::white)) << "white captions on bitmaps";

  QSignalSpy commands(button, &CSkinButton::command);
  button->SetToggle(true);
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(20, 20));
  QCoreApplication::processEvents();
  EXPECT_TRUE(button->IsToggled());
  EXPECT_EQ(button->State(), kStateFocused);
  EXPECT_EQ(commands.count(), 1) << "one command for the click";
  EXPECT_EQ(at(button->Render(), 3, 3), QColor(1, 2, 3)) << "focused now shows the former normal bitmap";

  button->SetLock(true);
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(20, 20));
  QCoreApplication::processEvents();
  EXPECT_TRUE(button->IsToggled()) << "locked: the click is ignored";
  EXPECT_EQ(commands.count(), 1);

  button->SetLock(false);
  button->SetToggle(false);
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(20, 20));
  QCoreApplication::processEvents();
  EXPECT_TRUE(button->IsToggled()) << "toggle behaviour off: a plain button";
  EXPECT_EQ(commands.count(), 2);
}

TEST(CXPButton, HoverFocusAndClicks) {
  QWidget dialog;
  dialog.resize(300, 100);
  auto* button = new CXPButton("확인", &dialog);
  button->setGeometry(10, 10, 100, 30);
  dialog.show();
  QSignalSpy clicks(button, &QPushButton::clicked);
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(clicks.count(), 1) << "a push button in every respect";

  QEnterEvent enter(QPointF(5, 5), QPointF(15, 15), QPointF(15, 15));
  QApplication::sendEvent(button, &enter);
  EXPECT_TRUE(button->IsHovered());
  EXPECT_EQ(at(button->Render(), 3, 15), XPHoverFrame().left);
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(button, &leave);
  EXPECT_FALSE(button->IsHovered());
  button->setFocus();
  if (button->hasFocus()) {
    EXPECT_EQ(at(button->Render(), 3, 15), XPFocusFrame().left);
  }
}

}  // namespace
