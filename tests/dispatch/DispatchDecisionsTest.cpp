// The dispatcher's decisions against recording ports and the in-process
// desktop: waking the screen and the display, the connection procedure's
// code, and the keys that act on the manager's own window.
#include <gtest/gtest.h>

#include <QWidget>

#include "common/suite/SuiteMessages.h"
#include "common/suite/SuiteWindow.h"
#include "manager/core/ManagerStrings.h"
#include "manager/dispatch/KeyDispatcher.h"
#include "platform/desktop/InProcessDesktop.h"
#include "tests/dispatch/DispatchTestSupport.h"
#include "tests/support/QtPrinters.h"

using namespace lumi;
using manager::InputMode;
using manager::KeyDispatcher;
using manager::RemoteModel;
using Outcome = KeyDispatcher::Outcome;

namespace {

constexpr quint32 kClose = manager::modelACode(0xD6);  // "C - Close": Alt+F4

struct Decisions : ::testing::Test {
  desktop::InProcessDesktop desktop;
  test::FakeInput input;
  test::FakeScreen screen;
  test::FakeDialog dialog;
  text::StringTable strings = manager::loadManagerStrings();
  KeyDispatcher dispatcher{desktop, input, screen, dialog, strings};
};

const QStringList kAltF4{"focus", "down 0x12", "down 0x73", "up 0x73", "up 0x12"};

TEST_F(Decisions, ScreenSaverAndDisplayPowerWakeWithoutDispatching) {
  struct Case {
    const char* what;
    bool saverStarted;
    bool saverWorks;
    bool powerOff;
    bool lowPower;
    bool displayWorks;
    std::vector<Outcome> outcomes;  // of the same key pressed again and again
    QStringList calls;
    bool flagAfter;
  };
  const Case cases[] = {
      {"nothing to wake", false, true, false, false, true, {Outcome::Foreign}, {}, false},
      {"screen saver", true, true, false, false, true, {Outcome::ScreenSaverOff, Outcome::Foreign}, {"saver"}, false},
      {"screen saver before display power",
       true, true, true, false, true,
       {Outcome::ScreenSaverOff, Outcome::DisplayPowerOff, Outcome::Foreign},
       {"saver", "power-off"}, false},
      {"power-off", false, true, true, false, true, {Outcome::DisplayPowerOff, Outcome::Foreign}, {"power-off"}, false},
      {"power-off first, low power on the next key",
       false, true, true, true, true,
       {Outcome::DisplayPowerOff, Outcome::DisplayLowPower, Outcome::Foreign},
       {"power-off", "low-power"}, false},
      {"low power", false, true, false, true, true, {Outcome::DisplayLowPower, Outcome::Foreign}, {"low-power"}, false},
      // A setting that will not switch off must not swallow every key.
      {"screen saver refuses", true, false, false, false, true, {Outcome::Foreign}, {"saver"}, true},
      {"power-off refuses", false, true, true, false, false, {Outcome::Foreign}, {"power-off"}, false},
      {"low power refuses", false, true, false, true, false, {Outcome::Foreign}, {"low-power"}, false},
  };
  desktop.addForeignWindow("Editor");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::FakeScreen screen;
    KeyDispatcher dispatcher(desktop, input, screen, dialog, strings);
    screen.saverWorks = c.saverWorks;
    screen.displayWorks = c.displayWorks;
    screen.power = {c.powerOff, c.lowPower};
    if (c.saverStarted) screen.saverStarts();
    EXPECT_EQ(dispatcher.screenSaverFlag(), c.saverStarted);

    for (std::size_t i = 0; i < c.outcomes.size(); ++i) {
      input.events.clear();
      EXPECT_EQ(dispatcher.remoteCode(kClose), c.outcomes[i]) << "key " << i + 1;
      // Only the key that is carried out types anything.
      EXPECT_EQ(input.events, c.outcomes[i] == Outcome::Foreign ? kAltF4 : QStringList{}) << "key " << i + 1;
    }
    EXPECT_EQ(screen.calls, c.calls);
    EXPECT_EQ(dispatcher.screenSaverFlag(), c.flagAfter);
  }
}

TEST_F(Decisions, ReceiverAnswerReachesTheConnectionProcedureWhateverElseIsGoingOn) {
  std::vector<quint32> handed;
  dispatcher.setConnectionHandler([&](quint32 code) { handed.push_back(code); });
  screen.power = {true, true};
  screen.saverStarts();
  // No window in front at all, a screen saver to switch off and a dark display.
  EXPECT_EQ(dispatcher.remoteCode(77), Outcome::ConnectionCode);
  EXPECT_EQ(handed, std::vector<quint32>{77});
  EXPECT_TRUE(screen.calls.isEmpty());
  EXPECT_TRUE(dispatcher.screenSaverFlag());

  screen.power = {};
  EXPECT_EQ(dispatcher.remoteCode(kClose), Outcome::ScreenSaverOff);
  EXPECT_EQ(dispatcher.remoteCode(kClose), Outcome::NoForeground);
  desktop.addForeignWindow("Editor");
  EXPECT_EQ(dispatcher.remoteCode(0), Outcome::Ignored);
  EXPECT_TRUE(input.events.isEmpty());
}

// The manager's main window in front: keys act on its dialog and none is posted to it.
TEST_F(Decisions, OwnWindowKeysActOnItsDialog) {
  QWidget own;
  own.setWindowTitle("Lumicaster Manager");
  QStringList received;
  suite::SuiteWindow registered(
      &own,
      [&](const desktop::WindowMessage& m) -> std::optional<std::int64_t> {
        received << QStringLiteral("0x%1 %2").arg(m.message, 0, 16).arg(m.wParam);
        return std::nullopt;
      },
      suite::SuiteWindow::Ping::Answer, desktop);
  dispatcher.setOwnWindow(registered.id());
  int launches = 0;
  dispatcher.setShellLauncher([&] { ++launches; });

  struct Case {
    RemoteModel model;
    InputMode mode;
    quint32 code;
    const char* action;  // "" : nothing
  };
  const Case cases[] = {
      {RemoteModel::A, InputMode::Move, manager::modelACode(0xD3), "next"},      // Down
      {RemoteModel::A, InputMode::Move, manager::modelACode(0xD1), "next"},      // Right
      {RemoteModel::A, InputMode::Move, manager::modelACode(0xD5), "previous"},  // Up
      {RemoteModel::A, InputMode::Move, manager::modelACode(0xD2), "previous"},  // Left
      {RemoteModel::A, InputMode::Move, manager::modelACode(0x52), "press"},     // Enter
      {RemoteModel::A, InputMode::Move, manager::modelACode(0x60), ""},          // Volume +: code 31, nothing
      {RemoteModel::B, InputMode::Number, 0x3F0845, "next"},                      // 8
      {RemoteModel::B, InputMode::Move, 0x3F0645, "next"},                        // 6 (Right)
      {RemoteModel::B, InputMode::Number, 0x3F0245, "previous"},                  // 2
      {RemoteModel::B, InputMode::Move, 0x3F0445, "previous"},                    // 4 (Left)
      {RemoteModel::B, InputMode::Move, 0x3F0A45, "press"},                       // Enter
      {RemoteModel::B, InputMode::Number, 0x3F0345, ""},                          // 3
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(QStringLiteral("model %1 code 0x%2").arg(int(c.model)).arg(c.code, 0, 16).toStdString());
    dialog.actions.clear();
    dispatcher.setModel(c.model);
    dispatcher.setInputMode(c.mode);
    EXPECT_EQ(dispatcher.remoteCode(c.code), Outcome::Suite);
    EXPECT_EQ(dialog.actions, *c.action ? QStringList{c.action} : QStringList{});
  }
  test::settle(20);
  EXPECT_TRUE(received.isEmpty()) << received.join(", ").toStdString();
  EXPECT_EQ(dialog.keyTargets.value(0), "Lumicaster Manager");

  // Play on the manager itself is the power key: no shell runs, so it is started.
  dispatcher.setModel(RemoteModel::A);
  EXPECT_EQ(dispatcher.remoteCode(manager::modelACode(0xB0)), Outcome::Suite);
  EXPECT_EQ(dialog.inputValues.mid(dialog.inputValues.size() - 2), (QStringList{"Play", "Power"}));
  EXPECT_EQ(launches, 1);
  EXPECT_EQ(dispatcher.keyTarget(), registered.id());
  EXPECT_TRUE(input.events.isEmpty());
}

}  // namespace
