// The XRandR display settings on a private Xvfb, which is nobody's real
// display: reading the mode and the monitors (and that Qt names its screens
// the same), refusing what the output cannot show, and switching between
// modes the test gives the private server's output.
#include "platform/display/XRandrDisplaySettings.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/RandrModes.h"
#include "tests/support/XServer.h"

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace lumi::display {
namespace {

lumi::test::XServer* server = nullptr;

QSize primaryScreenSize() {
  QCoreApplication::processEvents();
  return QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->geometry().size() : QSize();
}

TEST(XRandrDisplay, ReadsTheModeAndTheMonitorsAsQtNamesThem) {
  XRandrDisplaySettings display;
  const std::optional<DisplayMode> mode = display.currentMode();
  ASSERT_TRUE(mode.has_value());
  EXPECT_EQ(mode->width, 1024);
  EXPECT_EQ(mode->height, 768);
  EXPECT_GE(mode->refreshHz, 0.0);

  const QList<Monitor> monitors = display.monitors();
  ASSERT_EQ(monitors.size(), 1);
  EXPECT_TRUE(monitors[0].primary);
  EXPECT_EQ(monitors[0].geometry, QRect(0, 0, 1024, 768));
  ASSERT_NE(QGuiApplication::primaryScreen(), nullptr);
  EXPECT_EQ(QGuiApplication::primaryScreen()->name(), monitors[0].name);
  EXPECT_EQ(display.currentMode(monitors[0].name), mode);
}

TEST(XRandrDisplay, UnknownMonitorOrDisplay) {
  XRandrDisplaySettings display;
  EXPECT_FALSE(display.currentMode(QStringLiteral("NO-SUCH-1")).has_value());
  EXPECT_FALSE(display.changeMode({1024, 768, 0.0}, QStringLiteral("NO-SUCH-1")));
  // Not a display name at all, so it can never reach a display that exists.
  XRandrDisplaySettings nowhere("invalid");
  EXPECT_FALSE(nowhere.currentMode().has_value());
  EXPECT_FALSE(nowhere.changeMode({800, 600, 60.0}));
  EXPECT_TRUE(nowhere.monitors().isEmpty());
}

TEST(XRandrDisplay, SizeTheOutputCannotShowIsRefused) {
  XRandrDisplaySettings display;
  EXPECT_FALSE(display.changeMode({640, 400, 70.0}));
  EXPECT_EQ(display.currentMode(), (DisplayMode{1024, 768, display.currentMode()->refreshHz}));
}

TEST(XRandrDisplay, SwitchesToTheOutputsModeAndBack) {
  XRandrDisplaySettings display;
  const std::optional<DisplayMode> saved = display.currentMode();
  ASSERT_TRUE(saved.has_value());
  ASSERT_TRUE(test::AddOutputMode(server->display(), test::kVesa800x600at60));
  ASSERT_TRUE(test::AddOutputMode(server->display(), test::kVesa800x600at75));

  ASSERT_TRUE(display.changeMode({800, 600, 74.0}));
  std::optional<DisplayMode> now = display.currentMode();
  ASSERT_TRUE(now.has_value());
  EXPECT_EQ(now->width, 800);
  EXPECT_EQ(now->height, 600);
  EXPECT_NEAR(now->refreshHz, 75.0, 0.1);
  EXPECT_EQ(display.monitors().value(0).geometry, QRect(0, 0, 800, 600));
  EXPECT_TRUE(QTest::qWaitFor([] { return primaryScreenSize() == QSize(800, 600); }, 3000)) << "Qt sees the change";

  ASSERT_TRUE(display.changeMode({800, 600, 60.0}));
  EXPECT_NEAR(display.currentMode()->refreshHz, 60.32, 0.05);

  // Back to what was found at start, screen size included.
  ASSERT_TRUE(display.changeMode(*saved));
  EXPECT_EQ(display.currentMode(), saved);
  EXPECT_EQ(display.monitors().value(0).geometry, QRect(0, 0, 1024, 768));
  EXPECT_TRUE(QTest::qWaitFor([] { return primaryScreenSize() == QSize(1024, 768); }, 3000));
  // Asking for the mode it already shows changes nothing and succeeds.
  EXPECT_TRUE(display.changeMode(*saved));
}

}  // namespace
}  // namespace lumi::display

// The private X server comes first, so that Qt (on its xcb platform here, to
// compare screen names) connects to it and never to another display.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  lumi::test::XServer x(lumi::test::XServer::WindowManager::None, 1024, 768);
  if (!x.ok()) {
    std::fprintf(stderr, "%s\n", qPrintable(x.error()));
    return 1;
  }
  lumi::display::server = &x;
  qputenv("QT_QPA_PLATFORM", "xcb");
  QGuiApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
