// The dispatcher on the program's private X server, with real programs in
// front: input-recorder for a foreign program (its own key and button events
// show what was injected), the suite test window for a suite program, the
// real XTEST input and screen-saver ports, and the dispatcher's own windows.
#include <gtest/gtest.h>
#include <xcb/screensaver.h>
#include <xcb/xcb.h>

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>

#include "common/suite/PeerWindows.h"
#include "common/suite/SuiteMessages.h"
#include "common/suite/SuiteWindow.h"
#include "manager/core/ManagerStrings.h"
#include "manager/dispatch/DispatchWidgets.h"
#include "manager/dispatch/KeyDispatcher.h"
#include "manager/dispatch/VirtualKeys.h"
#include "manager/dispatch/X11DispatchPorts.h"
#include "platform/desktop/X11Desktop.h"
#include "tests/desktop/PeerProcess.h"
#include "tests/dispatch/DispatchTestSupport.h"
#include "tests/support/QtPrinters.h"

using namespace lumi;
using desktop::WindowId;
using manager::InputMode;
using manager::KeyDispatcher;
using manager::modelACode;
using manager::RemoteModel;
using Outcome = KeyDispatcher::Outcome;
using test::eventually;
using test::Recorder;

namespace {

const QStringList kEscape{"key-down Escape", "key-up Escape"};

// "Exit - Escape" in both keyboard maps and code 14 in both suite maps: sent
// after a key under test, it shows that nothing else came before it.
quint32 marker(RemoteModel model) { return model == RemoteModel::A ? modelACode(0xC9) : 0x3F2B45; }

class OnX : public ::testing::Test {
 protected:
  void SetUp() override {
    desktop_ = &desktop::Desktop::instance();
    ASSERT_EQ(desktop_->backendName(), "x11");
    ports_ = std::make_unique<manager::X11DispatchPorts>();
    ASSERT_TRUE(ports_->connection.ok());
    ASSERT_TRUE(ports_->input.available());
    dispatcher_ = std::make_unique<KeyDispatcher>(*desktop_, ports_->input, ports_->screen, dialog_, strings_);
    widgets_ = std::make_unique<manager::DispatchWidgets>(*dispatcher_, *desktop_, ports_->windows);
    test_ = xcb_connect(nullptr, nullptr);
    ASSERT_FALSE(xcb_connection_has_error(test_));
    root_ = xcb_setup_roots_iterator(xcb_get_setup(test_)).data->root;
  }
  void TearDown() override {
    widgets_.reset();
    dispatcher_.reset();
    desktop_->setSendTimeout(5000);
    if (test_) xcb_disconnect(test_);
  }

  QString log(const QString& name) const { return dir_.filePath(name + ".log"); }

  bool front(WindowId window) {
    desktop_->bringToFront(window);
    return eventually([&] { return desktop_->foregroundWindow() == window; });
  }
  // Puts the pointer in the middle of a window (a window manager places
  // windows where it likes) and answers where that is.
  QPoint warpInto(WindowId window) {
    xcb_translate_coordinates_reply_t* r = xcb_translate_coordinates_reply(
        test_, xcb_translate_coordinates(test_, xcb_window_t(window), root_, 100, 75), nullptr);
    const QPoint at = r ? QPoint(r->dst_x, r->dst_y) : QPoint(0, 0);
    std::free(r);
    xcb_warp_pointer(test_, XCB_NONE, root_, 0, 0, 0, 0, std::int16_t(at.x()), std::int16_t(at.y()));
    std::free(xcb_get_input_focus_reply(test_, xcb_get_input_focus(test_), nullptr));
    return at;
  }
  QPoint pointer() {
    xcb_query_pointer_reply_t* r = xcb_query_pointer_reply(test_, xcb_query_pointer(test_, root_), nullptr);
    const QPoint p = r ? QPoint(r->root_x, r->root_y) : QPoint(-1, -1);
    std::free(r);
    return p;
  }
  bool windowManager() { return static_cast<desktop::X11Desktop*>(desktop_)->windowManagerRunning(); }
  QString invalidKey() const { return strings_.text(manager::textid::kInvalidKey); }

  QTemporaryDir dir_;
  desktop::Desktop* desktop_ = nullptr;
  test::FakeDialog dialog_;
  text::StringTable strings_ = manager::loadManagerStrings();
  std::unique_ptr<manager::X11DispatchPorts> ports_;
  std::unique_ptr<KeyDispatcher> dispatcher_;
  std::unique_ptr<manager::DispatchWidgets> widgets_;
  xcb_connection_t* test_ = nullptr;
  xcb_window_t root_ = 0;
};

TEST_F(OnX, ForeignWindowInFrontGetsTheKeystrokesInOrder) {
  Recorder editor("Editor", {50, 50}, log("editor"));
  Recorder adrenalin("Adrenalin", {400, 50}, log("adrenalin"));
  ASSERT_TRUE(editor.ready() && adrenalin.ready());

  const QStringList altF4{"key-down Alt_L", "key-down F4", "key-up F4", "key-up Alt_L"};
  const QString unchanged;  // the input-value line stays as it was
  struct Case {
    RemoteModel model;
    InputMode mode;
    quint32 code;
    Recorder* target;
    QString text;
    QStringList events;
    Outcome outcome = Outcome::Foreign;
  };
  const Case cases[] = {
      {RemoteModel::A, InputMode::Move, modelACode(0xD6), &editor, "C - Close", altF4},
      {RemoteModel::A, InputMode::Move, modelACode(0x38), &adrenalin, "Rewind",
       // Modifiers let go in the order they were pressed.
       {"key-down Control_L", "key-down Alt_L", "key-down 3", "key-up 3", "key-up Control_L", "key-up Alt_L"}},
      {RemoteModel::A, InputMode::Move, modelACode(0x38), &editor, "Rewind", {"key-down Left", "key-up Left"}},
      {RemoteModel::A, InputMode::Move, modelACode(0xB8), &adrenalin, "Fast Forward",
       {"key-down Control_L", "key-down 3", "key-up 3", "key-up Control_L"}},
      {RemoteModel::A, InputMode::Move, modelACode(0x3A), &editor, "A - Shift + TAB",
       {"key-down Shift_L", "key-down Tab", "key-up Tab", "key-up Shift_L"}},
      {RemoteModel::A, InputMode::Number, modelACode(0x82), &editor, "1 (MP3)", {"key-down 1", "key-up 1"}},
      {RemoteModel::A, InputMode::Move, modelACode(0x70), &adrenalin, "Stop", {"key-down s", "key-up s"}},
      {RemoteModel::A, InputMode::Move, modelACode(0x70), &editor, "Stop", {"key-down period", "key-up period"}},
      {RemoteModel::A, InputMode::Move, modelACode(0xB6), &editor, "Menu", {"key-down Alt_L", "key-up Alt_L"}},
      {RemoteModel::A, InputMode::Move, modelACode(0xB6), &adrenalin, "Menu", {"button-down 3", "button-up 3"}},
      {RemoteModel::B, InputMode::Move, 0x3F0145, &editor, "Home", {"key-down Home", "key-up Home"}},
      {RemoteModel::B, InputMode::Number, 0x3F0145, &editor, "1", {"key-down 1", "key-up 1"}},
      {RemoteModel::B, InputMode::Move, 0x3F0045, &editor, unchanged, {}},  // 0 does nothing in move mode
      {RemoteModel::B, InputMode::Move, 0x3F1B44, &editor, "Close", altF4},
      {RemoteModel::B, InputMode::Move, 0x3F1346, &editor, unchanged, {}},  // "Display": nothing at all
      // Unknown codes: text 105 and nothing typed.
      {RemoteModel::A, InputMode::Move, modelACode(0xD4), &editor, invalidKey(), {}, Outcome::Unknown},
      {RemoteModel::A, InputMode::Move, modelACode(0xFF), &editor, invalidKey(), {}, Outcome::Unknown},
      {RemoteModel::B, InputMode::Move, 0x3F2B44, &editor, invalidKey(), {}, Outcome::Unknown},
      {RemoteModel::B, InputMode::Number, 0x123456, &adrenalin, invalidKey(), {}, Outcome::Unknown},
  };
  for (const Case& c : cases) {
    // A window manager keeps Alt+F4 for itself and closes the window, which
    // is what the key is for, but the window never sees the keys.
    if (windowManager() && c.events == altF4) continue;
    const QString title = desktop_->windowTitle(c.target->window());
    SCOPED_TRACE(QStringLiteral("model %1 code 0x%2 to %3").arg(int(c.model)).arg(c.code, 0, 16).arg(title).toStdString());
    ASSERT_TRUE(front(c.target->window()));
    warpInto(c.target->window());  // clicks act where the pointer is
    dispatcher_->setModel(c.model);
    dispatcher_->setInputMode(c.mode);
    const int from = c.target->lines().size();
    const qsizetype shown = dialog_.inputValues.size();

    EXPECT_EQ(dispatcher_->remoteCode(c.code), c.outcome);
    if (c.text.isNull()) {
      EXPECT_EQ(dialog_.inputValues.size(), shown);
    } else {
      EXPECT_EQ(dialog_.inputValues.value(shown), c.text);
    }
    EXPECT_EQ(dispatcher_->keyTarget(), c.target->window());
    EXPECT_EQ(dispatcher_->keyTargetTitle(), title);
    EXPECT_EQ(dispatcher_->remoteCode(marker(c.model)), Outcome::Foreign);
    EXPECT_EQ(c.target->waitForLines(from, c.events.size() + 2), c.events + kEscape);
  }
  EXPECT_TRUE(dialog_.keyTargets.contains("Editor"));
  EXPECT_TRUE(dialog_.keyTargets.contains("Adrenalin"));
}

TEST_F(OnX, SuiteWindowInFrontGetsTheKeyCodeAndModelADigitsTypedFirst) {
  test::PeerProcess player(suite::kPlayerTitle, {}, log("player"));
  ASSERT_TRUE(player.ready());
  ASSERT_TRUE(front(player.window()));

  auto messages = [&](int from) {
    QStringList out;
    for (const QString& line : player.logLines().mid(from)) out << line.section(' ', 0, 3);
    return out;
  };
  // '1' has scan code 2, '0' scan code 11.
  const QStringList digit1{"post 0x100 49 131073", "send 0x102 49 131073", "post 0x101 49 1"};
  const QStringList digit0{"post 0x100 48 720897", "send 0x102 48 720897", "post 0x101 48 1"};
  struct Case {
    RemoteModel model;
    InputMode mode;
    quint32 code;
    QString text;
    QStringList messages;
    Outcome outcome = Outcome::Suite;
  };
  const Case cases[] = {
      {RemoteModel::A, InputMode::Number, modelACode(0x82), "1 (MP3)", digit1 + QStringList{"post 0x465 2 0"}},
      {RemoteModel::A, InputMode::Move, modelACode(0x02), "0", digit0 + QStringList{"post 0x465 11 0"}},
      {RemoteModel::A, InputMode::Move, modelACode(0x52), "Enter (OK)", {"post 0x465 13 0"}},
      {RemoteModel::A, InputMode::Move, modelACode(0xD4), "PC (D)", {"post 0x465 1 0"}},
      {RemoteModel::A, InputMode::Move, modelACode(0x38), "Rew", {"post 0x465 24 0"}},
      {RemoteModel::B, InputMode::Move, 0x3F1C44, "Rew", {"post 0x465 24 0"}},
      {RemoteModel::B, InputMode::Number, 0x3F0145, "1", {"post 0x465 2 0"}},  // model B types no digit
      {RemoteModel::B, InputMode::Move, 0x3F0145, "Home", {"post 0x465 19 0"}},
      {RemoteModel::B, InputMode::Move, 0x3F0344, "Channel - (Off)", {"post 0x465 34 0"}},
      {RemoteModel::B, InputMode::Move, 0x3F0B46, "Web", {}},  // known, but no code
      {RemoteModel::A, InputMode::Move, 0x12345, invalidKey(), {}, Outcome::Unknown},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(QStringLiteral("model %1 code 0x%2").arg(int(c.model)).arg(c.code, 0, 16).toStdString());
    dispatcher_->setModel(c.model);
    dispatcher_->setInputMode(c.mode);
    const int from = player.logLines().size();
    EXPECT_EQ(dispatcher_->remoteCode(c.code), c.outcome);
    EXPECT_EQ(dialog_.inputValues.last(), c.text);
    EXPECT_EQ(dispatcher_->remoteCode(marker(c.model)), Outcome::Suite);
    const QStringList expected = c.messages + QStringList{"post 0x465 14 0"};
    QStringList got;
    eventually([&] { return (got = messages(from)).size() >= expected.size(); });
    // The character message is sent, so it may overtake the posted key-down;
    // the posted ones keep their order and the key code comes last.
    ASSERT_EQ(got.size(), expected.size()) << got.join(" | ").toStdString();
    EXPECT_TRUE(std::is_permutation(got.begin(), got.end(), expected.begin())) << got.join(" | ").toStdString();
    QStringList posted = got.filter(QRegularExpression("^post"));
    QStringList expectedPosted = expected.filter(QRegularExpression("^post"));
    EXPECT_EQ(posted, expectedPosted);
    if (!c.messages.isEmpty()) {
      EXPECT_EQ(got.at(got.size() - 2), c.messages.last());
    }
  }
  EXPECT_EQ(dispatcher_->keyTargetTitle(), suite::kPlayerTitle);
}

// A suite window that is too busy to answer the identity query in time is
// still a suite window: it gets the key code, not keystrokes.
TEST_F(OnX, SuiteWindowTooBusyToAnswerStillGetsTheKeyCode) {
  test::PeerProcess busy(suite::kUpdaterTitle, {"--no-ping", "--delay", "0x475=700"}, log("busy"));
  ASSERT_TRUE(busy.ready());
  ASSERT_TRUE(front(busy.window()));
  desktop_->setSendTimeout(200);
  dispatcher_->setModel(RemoteModel::A);
  EXPECT_EQ(dispatcher_->remoteCode(modelACode(0xD6)), Outcome::Suite);  // "C": code 39, not Alt+F4
  EXPECT_EQ(dialog_.inputValues.last(), "C");
  EXPECT_TRUE(busy.waitForLog("post 0x465 39 0"));
  EXPECT_TRUE(desktop_->windowExists(busy.window()));
}

TEST_F(OnX, MouseModeMovesThePointerSevenPixelsAndClicks) {
  Recorder editor("Editor", {50, 50}, log("editor"));
  ASSERT_TRUE(editor.ready());
  ASSERT_TRUE(front(editor.window()));
  const QPoint start = warpInto(editor.window());
  dispatcher_->setModel(RemoteModel::A);
  dispatcher_->setInputMode(InputMode::Move);

  // The mode key: the notice comes up in front, answers the identity query
  // and goes after a second, giving the focus back.
  EXPECT_EQ(dispatcher_->remoteCode(modelACode(0xF2)), Outcome::Foreign);
  EXPECT_EQ(dispatcher_->inputMode(), InputMode::Mouse);
  EXPECT_EQ(dialog_.inputValues.last(), "마우스 모드");
  ASSERT_TRUE(widgets_->modeWindow());
  const WindowId notice = widgets_->modeWindow()->id();
  EXPECT_EQ(widgets_->modeWindow()->text(), "마우스 모드");
  EXPECT_TRUE(eventually([&] { return desktop_->foregroundWindow() == notice; }));
  EXPECT_TRUE(suite::AnswersPing(notice, *desktop_));
  EXPECT_EQ(desktop_->windowTitle(notice), "");
  EXPECT_TRUE(eventually([&] { return !widgets_->modeWindow(); }, 3000));
  EXPECT_TRUE(eventually([&] { return desktop_->foregroundWindow() == editor.window(); }));

  struct Case {
    quint32 byte;
    QPoint pointer;  // from where it started
    QStringList events;
  };
  const Case cases[] = {
      {0x82, {-7, -7}, {}},  // up, then left
      {0x42, {-7, -14}, {}},  // up
      {0x92, {0, -7}, {}},  // down, then right
      {0x62, {7, -7}, {}},  // right
      {0x22, {0, -7}, {}},  // left
      {0x12, {0, 0}, {}},  // down
      {0xA2, {0, 0}, {"button-down 1", "button-up 1"}},
      {0xA2, {0, 0}, {"button-down 1", "button-up 1"}},
      {0x02, {0, 0}, {"button-down 3", "button-up 3"}},
  };
  const qsizetype shown = dialog_.inputValues.size();
  for (const Case& c : cases) {
    SCOPED_TRACE(QStringLiteral("byte 0x%1").arg(c.byte, 2, 16, QLatin1Char('0')).toStdString());
    const int from = editor.lines().size();
    EXPECT_EQ(dispatcher_->remoteCode(modelACode(c.byte)), Outcome::Foreign);
    EXPECT_EQ(pointer() - start, c.pointer);
    if (!c.events.isEmpty()) {
      EXPECT_EQ(editor.waitForLines(from, c.events.size()), c.events);
      EXPECT_EQ(dispatcher_->lastButton(), KeyDispatcher::LastButton::Released);
    }
  }
  EXPECT_EQ(dialog_.inputValues.size(), shown);  // mouse keys leave the line as it is

  // Back to number mode; the next key while the notice shows goes to the
  // notice and closes it, and the editor gets nothing of it.
  EXPECT_EQ(dispatcher_->remoteCode(modelACode(0xF2)), Outcome::Foreign);
  EXPECT_EQ(dispatcher_->inputMode(), InputMode::Number);
  ASSERT_TRUE(widgets_->modeWindow());
  const WindowId second = widgets_->modeWindow()->id();
  ASSERT_TRUE(eventually([&] { return desktop_->foregroundWindow() == second; }));
  const int from = editor.lines().size();
  EXPECT_EQ(dispatcher_->remoteCode(modelACode(0x52)), Outcome::Suite);
  EXPECT_TRUE(eventually([&] { return !widgets_->modeWindow(); }, 500));
  EXPECT_TRUE(eventually([&] { return desktop_->foregroundWindow() == editor.window(); }));
  EXPECT_EQ(dispatcher_->remoteCode(marker(RemoteModel::A)), Outcome::Foreign);
  EXPECT_EQ(editor.waitForLines(from, 2), kEscape);
  // The notice has no title, so the key target line only ever named the editor.
  EXPECT_EQ(dialog_.keyTargets.filter("Editor"), dialog_.keyTargets);
}

TEST_F(OnX, PowerKeyGoesToTheShellOrStartsIt) {
  QWidget own;
  own.setWindowTitle("Lumicaster Manager");
  suite::SuiteWindow ownWindow(&own, nullptr);
  dispatcher_->setOwnWindow(ownWindow.id());
  int launches = 0;
  dispatcher_->setShellLauncher([&] { ++launches; });
  Recorder editor("Editor", {50, 50}, log("editor"));
  // A foreign window with the shell's title is not the shell.
  Recorder impostor(suite::kShellTitle, {300, 300}, log("impostor"));
  ASSERT_TRUE(editor.ready() && impostor.ready());
  ASSERT_TRUE(front(editor.window()));

  dispatcher_->setModel(RemoteModel::A);
  EXPECT_EQ(dispatcher_->remoteCode(modelACode(0xF0)), Outcome::Foreign);
  EXPECT_EQ(launches, 1);
  EXPECT_EQ(dialog_.inputValues.last(), "Power");
  EXPECT_EQ(dispatcher_->keyTarget(), ownWindow.id());
  EXPECT_EQ(dialog_.keyTargets.last(), "Lumicaster Manager");

  test::PeerProcess shell(suite::kShellTitle, {}, log("shell"));
  ASSERT_TRUE(shell.ready());
  ASSERT_TRUE(front(editor.window()));
  dispatcher_->setModel(RemoteModel::B);
  EXPECT_EQ(dispatcher_->remoteCode(0x3F0F44), Outcome::Foreign);
  EXPECT_TRUE(shell.waitForLog("post 0x465 0 0"));
  EXPECT_EQ(launches, 1);
  EXPECT_EQ(dispatcher_->keyTarget(), editor.window());
  EXPECT_TRUE(editor.lines().isEmpty());
}

TEST_F(OnX, ScreenSaverStartOnThePrivateServerIsSwallowedAndTheNextKeyOnlyWakes) {
  ASSERT_TRUE(ports_->screen.hasScreenSaverNotices());
  // Xvfb has no DPMS: no display power setting is ever active.
  EXPECT_FALSE(ports_->screen.hasDpms());
  EXPECT_FALSE(ports_->screen.displayPower().powerOffActive);
  EXPECT_FALSE(ports_->screen.displayPower().lowPowerActive);
  EXPECT_FALSE(ports_->screen.disableDisplayPowerOff());

  Recorder editor("Editor", {50, 50}, log("editor"));
  ASSERT_TRUE(editor.ready());
  ASSERT_TRUE(front(editor.window()));
  xcb_get_screen_saver_reply_t* before = xcb_get_screen_saver_reply(test_, xcb_get_screen_saver(test_), nullptr);
  ASSERT_TRUE(before);
  const xcb_get_screen_saver_reply_t saved = *before;
  std::free(before);
  ASSERT_GT(saved.timeout, 0);

  auto saverState = [&] {
    xcb_screensaver_query_info_reply_t* info =
        xcb_screensaver_query_info_reply(test_, xcb_screensaver_query_info(test_, root_), nullptr);
    const int state = info ? info->state : -1;
    std::free(info);
    return state;
  };
  xcb_force_screen_saver(test_, XCB_SCREEN_SAVER_ACTIVE);
  xcb_flush(test_);
  ASSERT_TRUE(eventually([&] { return dispatcher_->screenSaverFlag(); }));
  EXPECT_TRUE(eventually([&] { return saverState() == XCB_SCREENSAVER_STATE_OFF; }));

  const int from = editor.lines().size();
  EXPECT_EQ(dispatcher_->remoteCode(modelACode(0xD6)), Outcome::ScreenSaverOff);
  EXPECT_FALSE(dispatcher_->screenSaverFlag());
  xcb_get_screen_saver_reply_t* after = xcb_get_screen_saver_reply(test_, xcb_get_screen_saver(test_), nullptr);
  ASSERT_TRUE(after);
  EXPECT_EQ(after->timeout, 0);
  std::free(after);
  EXPECT_EQ(dispatcher_->remoteCode(marker(RemoteModel::A)), Outcome::Foreign);
  EXPECT_EQ(editor.waitForLines(from, 2), kEscape);

  // The manager's exit gives the setting back as it found it.
  widgets_.reset();
  dispatcher_.reset();
  ports_.reset();
  xcb_get_screen_saver_reply_t* back = xcb_get_screen_saver_reply(test_, xcb_get_screen_saver(test_), nullptr);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->timeout, saved.timeout);
  EXPECT_EQ(back->interval, saved.interval);
  std::free(back);
}

// A window the list should leave out or keep, made on the test's own connection.
xcb_atom_t internAtom(xcb_connection_t* c, const char* name) {
  xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
  const xcb_atom_t atom = r ? r->atom : 0;
  std::free(r);
  return atom;
}

xcb_window_t plainWindow(xcb_connection_t* c, const QByteArray& title, bool mapped, bool iconic = false,
                         const char* type = nullptr, bool popup = false) {
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  const xcb_window_t w = xcb_generate_id(c);
  const std::uint32_t overrideRedirect = popup ? 1 : 0;
  xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, 600, 400, 80, 60, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                    screen->root_visual, XCB_CW_OVERRIDE_REDIRECT, &overrideRedirect);
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, title.size(), title.data());
  if (iconic) {
    const xcb_atom_t wmState = internAtom(c, "WM_STATE");
    const std::uint32_t state[2] = {3, XCB_NONE};  // IconicState
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, wmState, wmState, 32, 2, state);
  }
  if (type) {
    const xcb_atom_t value = internAtom(c, type);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, internAtom(c, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32, 1,
                        &value);
  }
  if (mapped) xcb_map_window(c, w);
  std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
  return w;
}

TEST_F(OnX, TaskSwitchOpensOnTheFirstKeyClosesOnTheSecondAndBringsTheChoiceToFront) {
  Recorder editor("Editor", {50, 50}, log("editor"));
  Recorder viewer("Viewer", {300, 300}, log("viewer"), {"16:16:ff0000", "48:48:00ff00"});
  ASSERT_TRUE(editor.ready() && viewer.ready());
  const xcb_window_t minimised = plainWindow(test_, "Minimised", false, true);
  plainWindow(test_, "Hidden", false);
  plainWindow(test_, "Program Manager", true);
  plainWindow(test_, "Editor", true);  // the first entry's title again
  plainWindow(test_, "", true);
  plainWindow(test_, "Panel", true, false, "_NET_WM_WINDOW_TYPE_DOCK");
  plainWindow(test_, "Tooltip", true, false, nullptr, true);
  plainWindow(test_, "Task Switch", false);  // another program's, which does not count as open
  ASSERT_TRUE(front(editor.window()));
  dispatcher_->setModel(RemoteModel::A);
  dispatcher_->setInputMode(InputMode::Move);
  const quint32 taskSwitchKey = modelACode(0xBA);

  EXPECT_EQ(dispatcher_->remoteCode(taskSwitchKey), Outcome::Foreign);
  EXPECT_EQ(dialog_.inputValues.last(), "AB - Task Switch");
  manager::TaskSwitchWindow* window = widgets_->taskSwitchWindow();
  ASSERT_TRUE(window);
  EXPECT_TRUE(eventually([&] { return desktop_->foregroundWindow() == window->id(); }));
  // It claims the keys, and as it does not answer the identity query it gets keystrokes.
  EXPECT_EQ(dispatcher_->keyTarget(), window->id());
  EXPECT_EQ(dialog_.keyTargets.last(), manager::kTaskSwitchTitle);
  EXPECT_FALSE(suite::AnswersPing(window->id(), *desktop_));

  const auto& entries = window->list().entries();
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].window, editor.window());
  // No icon of its own: the placeholder is drawn (openbox gives every window one).
  EXPECT_TRUE(entries[0].icon.isNull() || windowManager());
  QStringList rest{entries[1].title, entries[2].title};
  rest.sort();
  EXPECT_EQ(rest, (QStringList{"Minimised", "Viewer"}));
  for (const manager::TaskEntry& entry : entries) {
    if (entry.window != viewer.window()) continue;
    ASSERT_EQ(entry.icon.size(), QSize(32, 32));
    EXPECT_EQ(entry.icon.pixel(16, 16), 0xff00ff00u);  // the 48-pixel icon, not the 16-pixel one
  }
  EXPECT_EQ(window->height(), 204);

  // The second key closes it without a choice: the editor is in front again.
  EXPECT_EQ(dispatcher_->remoteCode(taskSwitchKey), Outcome::Foreign);
  EXPECT_TRUE(eventually([&] { return !widgets_->taskSwitchWindow(); }));
  EXPECT_TRUE(eventually([&] { return desktop_->foregroundWindow() == editor.window(); }));
  EXPECT_TRUE(eventually([&] { return desktop_->windowsTitled(manager::kTaskSwitchTitle).size() == 1; }));

  // Opened again, Right (a keystroke to the window) moves on, Enter chooses.
  EXPECT_EQ(dispatcher_->remoteCode(taskSwitchKey), Outcome::Foreign);
  window = widgets_->taskSwitchWindow();
  ASSERT_TRUE(window);
  ASSERT_TRUE(eventually([&] { return desktop_->foregroundWindow() == window->id(); }));
  const WindowId chosen = window->list().entries()[2].window;
  for (int selection : {1, 2}) {
    EXPECT_EQ(dispatcher_->remoteCode(modelACode(0xD1)), Outcome::Foreign);
    EXPECT_TRUE(eventually([&] { return window->list().selection() == selection; }));
  }
  EXPECT_EQ(dispatcher_->remoteCode(modelACode(0x52)), Outcome::Foreign);
  EXPECT_TRUE(eventually([&] { return !widgets_->taskSwitchWindow(); }));
  EXPECT_TRUE(eventually([&] { return desktop_->foregroundWindow() == chosen; }));
  EXPECT_EQ(dispatcher_->keyTarget(), chosen);
  if (chosen == minimised) {
    EXPECT_TRUE(ports_->windows.isVisible(minimised));
  }
  EXPECT_TRUE(editor.lines().isEmpty() && viewer.lines().isEmpty());
}

// Every keystroke of the four maps names a key that this server's keyboard has.
TEST_F(OnX, EveryKeystrokeOfTheMapsHasAKeyOnTheServer) {
  const xcb_setup_t* setup = xcb_get_setup(test_);
  xcb_get_keyboard_mapping_reply_t* r = xcb_get_keyboard_mapping_reply(
      test_, xcb_get_keyboard_mapping(test_, setup->min_keycode, setup->max_keycode - setup->min_keycode + 1), nullptr);
  ASSERT_TRUE(r);
  manager::KeyboardMapping mapping;
  mapping.minKeycode = setup->min_keycode;
  mapping.keysymsPerKeycode = r->keysyms_per_keycode;
  const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(r);
  mapping.keysyms.assign(syms, syms + xcb_get_keyboard_mapping_keysyms_length(r));
  std::free(r);

  std::set<quint8> keys{manager::vk::Control, manager::vk::Menu, manager::vk::Shift};
  for (const RemoteModel model : {RemoteModel::A, RemoteModel::B})
    for (const manager::RemoteButton& button : manager::remoteButtons(model))
      for (const InputMode mode : {InputMode::Number, InputMode::Move, InputMode::Mouse})
        for (const bool adrenalin : {false, true}) {
          const auto found = manager::lookupKey(model, manager::TargetKind::Foreign, mode, button.code, adrenalin);
          if (found.action.kind == manager::KeyAction::Kind::Keystroke) keys.insert(found.action.keystroke.key);
        }
  EXPECT_GE(keys.size(), 20u);
  for (const quint8 key : keys) {
    SCOPED_TRACE(manager::virtualKeyName(key).toStdString());
    const std::uint32_t keysym = manager::keysymForVirtualKey(key);
    EXPECT_NE(keysym, 0u);
    EXPECT_NE(mapping.keycodeFor(keysym), 0);
  }
}

}  // namespace
