// The shell base window on the in-process desktop with offscreen widgets.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include "common/suite/SuiteMessages.h"
#include "common/suite/SuiteWindow.h"
#include "platform/desktop/InProcessDesktop.h"
#include "platform/registry/Registry.h"
#include "shell/base/CShellDialog.h"
#include "shell/base/WindowPlacement.h"
#include "tests/shell/ShellTestWindows.h"
#include "tests/support/TestPaths.h"

using namespace lumi;
using desktop::WindowMessage;
using Screen = test::RecordingScreen;
using Peer = test::RecordingPeer;
using shell::CShellDialog;

namespace {

class ShellBase : public ::testing::Test {
 protected:
  ShellBase() {
    auto d = std::make_unique<desktop::InProcessDesktop>();
    desktop_ = d.get();
    desktop::Desktop::setInstance(std::move(d));
    context_.desktop = desktop_;
    context_.managerTitle = "Lumicaster Manager";
  }
  ~ShellBase() override { desktop::Desktop::setInstance(nullptr); }

  test::PrivateEnvironment env_;
  desktop::InProcessDesktop* desktop_;
  shell::ShellContext context_;
};

TEST_F(ShellBase, RemoteKeysGoToTheCurrentWindowOrToTheRunningPlayer) {
  Screen main(nullptr, context_);
  context_.main = &main;
  main.show();
  Screen child(&main, context_);
  child.show();
  ASSERT_EQ(context_.current, &child);

  desktop_->post(main.windowId(), suite::WM_REMOTE_KEY, suite::KeyDown, 0);
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  EXPECT_EQ(child.keys, std::vector<int>{suite::KeyDown});
  EXPECT_TRUE(main.keys.empty());

  Peer player(*desktop_, "Lumicaster Movie Player", 77);
  EXPECT_EQ(desktop_->send(main.windowId(), suite::WM_REMOTE_KEY, suite::KeyPause, 0), 77);
  ASSERT_EQ(player.received.back().message, desktop::WM_COPYDATA);
  EXPECT_EQ(player.received.back().dataWord, static_cast<std::uint64_t>(suite::KeyPause));
  EXPECT_EQ(player.received.back().wParam, main.windowId());
  EXPECT_TRUE(player.received.back().data.isEmpty());
  QCoreApplication::processEvents();
  EXPECT_EQ(child.keys.size(), 1u) << "the player's key does not reach the menu";
}

TEST_F(ShellBase, EachNewScreenAndTheParentOnLeavingBecomeTheManagersKeyTarget) {
  Peer manager(*desktop_, "Lumicaster Manager", 0);
  Screen main(nullptr, context_);
  context_.main = &main;
  main.show();
  auto* child = new Screen(&main, context_);
  child->show();
  main.hide();
  const auto childId = child->windowId();
  child->DestroyWindow();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

  EXPECT_EQ(context_.current, &main);
  EXPECT_TRUE(main.isVisible());
  EXPECT_EQ(manager.keyTargets(), (std::vector<std::uint64_t>{main.windowId(), childId, main.windowId()}));
}

TEST_F(ShellBase, PointerHidesWhenTheTimerFiresAndComesBackWhenItMoves) {
  Screen main(nullptr, context_);
  context_.main = &main;
  main.show();
  main.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
  QMetaObject::invokeMethod(&main, "hidePointer");
  EXPECT_TRUE(main.pointerHidden());
  QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(12345, 12345), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(&main, &move);
  EXPECT_FALSE(main.pointerHidden());
  main.hide();
  QMetaObject::invokeMethod(&main, "hidePointer");
  EXPECT_FALSE(main.pointerHidden()) << "only an active, visible window hides the pointer";
}

std::optional<QPoint> storedPosition() {
  quint32 x = 0, y = 0;
  registry::Key root = registry::Key::open(registry::Root::CurrentUser, shell::kRegistryRoot);
  if (!root.readDWord("PosX", x) || !root.readDWord("PosY", y)) return std::nullopt;
  return QPoint(int(x), int(y));
}

TEST_F(ShellBase, AMoveIsStoredOnceTheWindowRestsAndChildrenLieOverTheMainWindow) {
  context_.displayMode = 0;
  Screen main(nullptr, context_);
  context_.main = &main;
  main.show();
  main.move(40, 30);
  EXPECT_TRUE(QTest::qWaitFor([] { return storedPosition() == QPoint(40, 30); }, 3000));
  Screen child(&main, context_);
  child.show();
  EXPECT_EQ(child.pos(), QPoint(40, 30));
}

TEST_F(ShellBase, ADragWritesThePositionOnceWhenItEnds) {
  context_.displayMode = 0;
  Screen main(nullptr, context_);
  context_.main = &main;
  main.show();
  main.move(100, 100);
  ASSERT_TRUE(QTest::qWaitFor([] { return storedPosition() == QPoint(100, 100); }, 3000));
  auto mouse = [&](QEvent::Type type, QPoint global, Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(global - main.pos()), QPointF(global), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(&main, &event);
  };
  mouse(QEvent::MouseButtonPress, {110, 110}, Qt::LeftButton);
  for (int step = 1; step <= 20; ++step) mouse(QEvent::MouseMove, {110 + 5 * step, 110 + 3 * step}, Qt::LeftButton);
  QTest::qWait(700);
  EXPECT_EQ(main.pos(), QPoint(200, 160));
  EXPECT_EQ(storedPosition(), QPoint(100, 100)) << "nothing written while the drag goes on";
  mouse(QEvent::MouseButtonRelease, {210, 170}, Qt::NoButton);
  EXPECT_EQ(storedPosition(), QPoint(200, 160)) << "written when it ends";
  EXPECT_EQ(context_.mainPosition, QPoint(200, 160));
}

TEST_F(ShellBase, TelevisionModeKeepsNoPosition) {
  Screen main(nullptr, context_);
  context_.main = &main;
  main.show();
  main.move(40, 30);
  QTest::qWait(700);
  EXPECT_EQ(storedPosition(), std::nullopt);
}

TEST_F(ShellBase, MinimiseGivesTheDisplayBackAndRestoreTakesTelevisionModeAgain) {
  std::vector<bool> modes;
  context_.applyDisplayMode = [&](bool television) { modes.push_back(television); };
  Screen main(nullptr, context_);
  context_.main = &main;
  main.show();
  main.Minimise();
  EXPECT_TRUE(main.isMinimized());
  main.Restore();
  EXPECT_FALSE(main.isMinimized());
  EXPECT_EQ(modes, (std::vector<bool>{false, true}));
}

TEST_F(ShellBase, FrameKeysOfEveryScreenReachTheMainWindowsHandling) {
  std::vector<int> handed;
  context_.frameKeys = [&](int code) {
    handed.push_back(code);
    return true;
  };
  Screen main(nullptr, context_);
  context_.main = &main;
  main.show();
  Screen browser(&main, context_);
  browser.show();
  main.hide();
  const std::vector<int> frameCodes{24, 25, 26, 27, 28, 31, 32, 33, 34, 35, 39};
  for (int code : frameCodes) desktop_->post(main.windowId(), suite::WM_REMOTE_KEY, code, 0);
  for (int code : {2, 13, 16}) desktop_->post(main.windowId(), suite::WM_REMOTE_KEY, code, 0);
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  EXPECT_EQ(browser.keys.size(), frameCodes.size() + 3) << "the current screen sees every key first";
  std::vector<int> expected = frameCodes;
  expected.insert(expected.end(), {2, 13, 16});
  EXPECT_EQ(handed, expected) << "the base passes on whatever the screen left alone";
}

TEST_F(ShellBase, PowerKeyMinimisesTheCurrentScreenAndRestoresIt) {
  std::vector<bool> modes;
  context_.applyDisplayMode = [&](bool television) { modes.push_back(television); };
  Screen main(nullptr, context_);
  context_.main = &main;
  main.show();
  Screen browser(&main, context_);
  browser.show();
  main.hide();
  browser.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&browser));
  QMetaObject::invokeMethod(&browser, "hidePointer");
  ASSERT_TRUE(browser.pointerHidden());

  desktop_->post(main.windowId(), suite::WM_REMOTE_KEY, suite::KeyPower, 0);
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  EXPECT_TRUE(browser.isMinimized()) << "the screen in front, not the main window, goes away";
  EXPECT_FALSE(browser.pointerHidden()) << "the desktop behind gets its pointer";
  desktop_->post(browser.windowId(), suite::WM_REMOTE_KEY, suite::KeyPower, 0);
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  EXPECT_FALSE(browser.isMinimized());
  EXPECT_EQ(context_.current, &browser);
  EXPECT_EQ(modes, (std::vector<bool>{false, true}));
}

TEST(WindowPlacement, CentresAndSnapsWithinTwoPixels) {
  EXPECT_EQ(shell::CentredPosition(QRect(0, 0, 1920, 1080)), QPoint(560, 240));
  EXPECT_EQ(shell::CentredPosition(QRect(1920, 0, 1025, 768)), QPoint(1920 + 112, 84));
  struct Case {
    QPoint proposed;
    QPoint snapped;
  };
  const QSize monitor(1024, 768);
  for (const Case& c : {Case{{2, 100}, {0, 100}}, Case{{-2, -1}, {0, 0}}, Case{{3, 3}, {3, 3}},
                        Case{{226, 50}, {224, 50}}, Case{{221, 50}, {221, 50}}, Case{{100, 130}, {100, 128}},
                        Case{{100, 100}, {100, 100}}})
    EXPECT_EQ(shell::SnapToEdges(QRect(c.proposed, shell::kShellWindowSize), monitor, 40).topLeft(), c.snapped)
        << c.proposed.x() << "," << c.proposed.y();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
