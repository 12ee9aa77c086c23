// The suite's window rules on the in-process desktop, with real widgets.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include "common/suite/PeerWindows.h"
#include "common/suite/RepaintPump.h"
#include "common/suite/SuiteMessages.h"
#include "common/suite/SuiteWindow.h"
#include "platform/desktop/InProcessDesktop.h"
#include "platform/desktop/MessageEndpoint.h"
#include "tests/support/TestPaths.h"

using namespace lumi;
using desktop::InProcessDesktop;
using desktop::WindowMessage;

namespace {

struct Window {
  Window(InProcessDesktop& d, const QString& title, suite::SuiteWindow::Ping ping = suite::SuiteWindow::Ping::Answer)
      : widget(new QWidget) {
    widget->setWindowTitle(title);
    suite = std::make_unique<suite::SuiteWindow>(
        widget,
        [this](const WindowMessage& m) -> std::optional<std::int64_t> {
          received.push_back(m);
          if (m.message == 0x402) return 42;
          return std::nullopt;
        },
        ping, d);
  }
  ~Window() {
    suite.reset();
    delete widget;
  }
  QWidget* widget;
  std::unique_ptr<suite::SuiteWindow> suite;
  std::vector<WindowMessage> received;
};

TEST(InProcessDesktop, FindPeerWindowTakesTheFirstWindowThatAnswersThePing) {
  InProcessDesktop d;
  Window shell(d, "LUMICASTER");
  Window mute(d, "LUMICASTER", suite::SuiteWindow::Ping::Ignore);  // above the shell
  d.addForeignWindow("LUMICASTER");                                // on top of both
  EXPECT_EQ(d.windowsTitled("LUMICASTER").size(), 3u);
  EXPECT_EQ(suite::FindPeerWindow("LUMICASTER", d), shell.suite->id());
  EXPECT_EQ(suite::FindPeerWindow("lumicaster", d), 0u) << "titles match exactly";
  EXPECT_TRUE(mute.received.size() == 1 && mute.received[0].message == suite::WM_SUITE_PING);
  EXPECT_TRUE(shell.received.empty()) << "the identity query has no side effects";
}

TEST(InProcessDesktop, PostedMessagesArriveLaterAndInOrder) {
  InProcessDesktop d;
  Window w(d, "W");
  for (int key : {suite::KeyDown, suite::KeyOk}) EXPECT_TRUE(d.post(w.suite->id(), suite::WM_REMOTE_KEY, key, 0));
  EXPECT_TRUE(w.received.empty());
  QCoreApplication::processEvents();
  ASSERT_EQ(w.received.size(), 2u);
  EXPECT_EQ(w.received[0].wParam, 16u);
  EXPECT_EQ(w.received[1].wParam, 13u);
  EXPECT_TRUE(w.received[0].posted);
}

TEST(InProcessDesktop, SendAndCopyDataReturnTheAnswer) {
  InProcessDesktop d;
  Window w(d, "W");
  EXPECT_EQ(d.send(w.suite->id(), 0x402, 0, 0), 42);
  EXPECT_EQ(d.sendCopyData(w.suite->id(), 77, suite::kCopyClaimKeys, {}), 0);
  ASSERT_EQ(w.received.size(), 2u);
  EXPECT_EQ(w.received[1].message, desktop::WM_COPYDATA);
  EXPECT_EQ(w.received[1].wParam, 77u);
  EXPECT_EQ(w.received[1].dataWord, suite::kCopyClaimKeys);
}

TEST(InProcessDesktop, AClosedOrDestroyedWindowAnswersNothing) {
  InProcessDesktop d;
  auto w = std::make_unique<Window>(d, "W");
  const auto id = w->suite->id();
  w->widget->show();
  d.post(id, desktop::WM_CLOSE, 0, 0);
  d.post(id, suite::WM_REMOTE_KEY, suite::KeyOk, 0);
  QCoreApplication::processEvents();
  EXPECT_FALSE(w->widget->isVisible()) << "WM_CLOSE closes a window by default";
  w.reset();
  EXPECT_FALSE(d.windowExists(id));
  EXPECT_EQ(d.send(id, suite::WM_SUITE_PING, 0, 0), 0);
  EXPECT_FALSE(d.post(id, suite::WM_REMOTE_KEY, 0, 0));
  EXPECT_TRUE(suite::WaitUntilGone(id, 0, d));
}

TEST(InProcessDesktop, ClaimRemoteKeysReachesTheManagerOnly) {
  InProcessDesktop d;
  Window shell(d, "LUMICASTER");
  EXPECT_FALSE(suite::ClaimRemoteKeys(shell.suite->id(), "Lumicaster Manager", d));
  Window manager(d, "Lumicaster Manager");
  EXPECT_TRUE(suite::ClaimRemoteKeys(shell.suite->id(), "Lumicaster Manager", d));
  const WindowMessage& claim = manager.received.back();
  EXPECT_EQ(claim.message, desktop::WM_COPYDATA);
  EXPECT_EQ(claim.dataWord, 1135u);
  EXPECT_EQ(claim.wParam, shell.suite->id());
  EXPECT_TRUE(claim.data.isEmpty());
}

class CountingWidget : public QWidget {
 public:
  int paints = 0;

 protected:
  void paintEvent(QPaintEvent*) override {
    ++paints;
    QPainter(this).fillRect(rect(), Qt::blue);
  }
};

TEST(RepaintOnly, PaintsWhilePostedMessagesAndTimersWait) {
  InProcessDesktop d;
  Window w(d, "W");
  CountingWidget painted;
  painted.resize(100, 100);
  painted.show();
  QCoreApplication::processEvents();
  bool timerFired = false;
  {
    suite::RepaintOnly blocked;
    d.post(w.suite->id(), suite::WM_REMOTE_KEY, suite::KeyDown, 0);
    QTimer::singleShot(1, Qt::PreciseTimer, [&] { timerFired = true; });
    const int before = painted.paints;
    painted.update();
    for (int i = 0; i < 5; ++i) {
      QThread::msleep(3);
      blocked.pump();
    }
    EXPECT_GT(painted.paints, before);
    EXPECT_TRUE(w.received.empty());
    EXPECT_FALSE(timerFired);
    d.post(w.suite->id(), suite::WM_REMOTE_KEY, suite::KeyUp, 0);
    blocked.pump();
  }
  d.post(w.suite->id(), suite::WM_REMOTE_KEY, suite::KeyOk, 0);
  for (int i = 0; i < 3; ++i) {
    QThread::msleep(3);
    QCoreApplication::processEvents();
  }
  EXPECT_TRUE(timerFired);
  ASSERT_EQ(w.received.size(), 3u);
  EXPECT_EQ(w.received[0].wParam, 16u) << "held messages keep their order";
  EXPECT_EQ(w.received[1].wParam, 15u);
  EXPECT_EQ(w.received[2].wParam, 13u);
}

TEST(RepaintOnly, MessagesFromOtherProgramsWaitAtTheEndpoint) {
  lumi::test::PrivateEnvironment env;
  std::vector<std::uint32_t> queued;
  desktop::MessageEndpoint endpoint([](desktop::WindowId, const WindowMessage&) { return 0; },
                                    [&](desktop::WindowId, WindowMessage m) { queued.push_back(m.message); });
  ASSERT_TRUE(endpoint.listening());
  WindowMessage key{suite::WM_REMOTE_KEY, suite::KeyOk, 0, 0, {}, true};
  std::int64_t answer = 0;
  {
    suite::RepaintOnly blocked;
    ASSERT_EQ(desktop::MessageEndpoint::deliver(endpoint.path(), 1, key, 1000, nullptr, &answer),
              desktop::MessageEndpoint::Outcome::Answered);
    for (int i = 0; i < 5; ++i) {
      QThread::msleep(3);
      blocked.pump();
    }
    EXPECT_TRUE(queued.empty());
  }
  for (int i = 0; i < 5 && queued.empty(); ++i) {
    QThread::msleep(3);
    QCoreApplication::processEvents();
  }
  EXPECT_EQ(queued, std::vector<std::uint32_t>{suite::WM_REMOTE_KEY});
}

TEST(KeyCodes, NamesAndNumbers) {
  struct Case {
    const char* name;
    std::optional<int> code;
  };
  for (const Case& c : {Case{"Down", 16}, Case{"ok", 13}, Case{"Enter", 13}, Case{"16", 16}, Case{"2", 2},
                        Case{"Digit1", 2}, Case{"Rew", 24}, Case{"C", 39}, Case{"23", std::nullopt},
                        Case{"40", std::nullopt}, Case{"Nope", std::nullopt}})
    EXPECT_EQ(suite::keyFromName(c.name), c.code) << c.name;
  for (int code = 0; code < suite::kKeyCodeCount; ++code) {
    const bool unused = code == 23 || code == 29 || code == 36;
    EXPECT_EQ(suite::keyName(code).has_value(), !unused) << code;
    if (!unused) {
      EXPECT_EQ(suite::keyFromName(*suite::keyName(code)), code);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
