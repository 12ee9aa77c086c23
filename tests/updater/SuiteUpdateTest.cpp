// The whole suite updating itself: the real manager (with a virtual remote
// on its receiver), shell and updater, installed from an older release, and
// the real reference server offering the new one. The updater starts from the
// manager's connection, or from a pointer click on the manager's updater
// button; one OK on the remote installs; the manager and the shell stop and
// come back, and the manager's pending step puts the updater's own file and
// the resource library in place.
#include "tests/updater/FileChecksum.h"
#include "common/suite/PeerWindows.h"
#include "common/suite/SuiteMessages.h"
#include "common/version/VersionNote.h"
#include "manager/core/RemoteSettings.h"
#include "platform/desktop/X11Desktop.h"
#include "platform/registry/Registry.h"
#include "tests/support/Eventually.h"
#include "tests/support/TestPaths.h"
#include "tests/support/XServer.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QPoint>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <optional>

namespace lumi::updater {
namespace {

using test::eventually;

const QStringList kSuite = {"Lumicaster.exe", "Lumicaster Manager.exe", "Freshwell.exe", "Resources.dll",
                            "CaptionBlend.ax"};

// The manager's seven buttons, top to bottom; the updater's is the second.
constexpr int kManagerButtons = 7;
constexpr int kUpdaterButton = 1;
// Rounded corners and the window's edge are never part of a button.
constexpr int kEdge = 5;

struct XcbDeleter {
  void operator()(xcb_connection_t* c) const { xcb_disconnect(c); }
};
using Xcb = std::unique_ptr<xcb_connection_t, XcbDeleter>;

// Where a person would click a button of the manager's left column, read
// from the window's own pixels: each button is a framed box on the window's
// background, so the leftmost frame column holds one run of frame pixels per
// button. Window coordinates; nothing while the window is not fully drawn.
std::optional<QPoint> ManagerButtonCentre(xcb_connection_t* c, xcb_window_t window, int index) {
  std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> geometry(
      xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr), &std::free);
  if (!geometry) return std::nullopt;
  const int w = geometry->width, h = geometry->height;
  std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> image(
      xcb_get_image_reply(c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0, w, h, ~0u), nullptr),
      &std::free);
  if (!image || w <= 4 * kEdge || h <= 4 * kEdge) return std::nullopt;
  const int length = xcb_get_image_data_length(image.get());
  if (length < w * h * 4) return std::nullopt;  // not a 32-bit image
  const int stride = length / h;
  const uint8_t* data = xcb_get_image_data(image.get());
  auto pixel = [&](int x, int y) {
    std::uint32_t v;
    std::memcpy(&v, data + y * stride + x * 4, 4);
    return v & 0xffffffu;
  };
  const std::uint32_t background = pixel(kEdge, h / 2);
  int left = w;
  for (int y = kEdge; y < h - kEdge; ++y)
    for (int x = kEdge; x < std::min(left, w / 3); ++x)
      if (pixel(x, y) != background) {
        left = x;
        break;
      }
  if (left >= w / 3) return std::nullopt;
  QList<std::pair<int, int>> runs;
  for (int y = kEdge, start = -1; y < h - kEdge; ++y) {
    const bool frame = pixel(left, y) != background;
    if (frame && start < 0) start = y;
    if (!frame && start >= 0) {
      runs.append({start, y - 1});
      start = -1;
    }
  }
  if (runs.size() != kManagerButtons) return std::nullopt;
  const auto [top, bottom] = runs[index];
  // The right frame, on the first row of the run: above the caption.
  int right = left + 2;
  while (right < w / 3 && pixel(right, top) == background) ++right;
  if (right >= w / 3 || right - left < 10) return std::nullopt;
  return QPoint((left + right) / 2, (top + bottom) / 2);
}

// A left click at a point of a window, given to the X server as pointer
// input through its test extension, as a person's mouse would give it.
bool ClickAt(xcb_connection_t* c, xcb_window_t window, QPoint at) {
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&std::free)> onScreen(
      xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, window, root, at.x(), at.y()), nullptr),
      &std::free);
  if (!onScreen) return false;
  xcb_test_fake_input(c, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root, onScreen->dst_x, onScreen->dst_y, 0);
  xcb_test_fake_input(c, XCB_BUTTON_PRESS, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
  xcb_test_fake_input(c, XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
  std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));  // round trip: all of it delivered
  return true;
}

class SuiteUpdate : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(x_.ok()) << x_.error().toStdString();
    desktop_ = desktop::X11Desktop::create();
    QDir(env_.path()).mkpath("config");
    oldConfig_ = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(env_.file("config")));
    for (int n = 1; n <= manager::kPortCount; ++n)
      manager::mapPort(n, env_.file(QStringLiteral("no-receiver-COM%1").arg(n)));
    programs_ = env_.file("programs");
    catalogue_ = env_.file("catalogue");
    QDir().mkpath(programs_);
    QDir().mkpath(catalogue_);
    for (const QString& name : kSuite) {
      ASSERT_TRUE(version::WriteRestampedCopy(test::programDir() + "/" + name, programs_ + "/" + name,
                                              *version::FileVersion::parse("1.0.0.1")));
      ASSERT_TRUE(version::WriteRestampedCopy(test::programDir() + "/" + name, catalogue_ + "/" + name,
                                              *version::FileVersion::parse("1.0.0.2")));
      newSha_[name] = sha(catalogue_ + "/" + name);
    }
    using registry::Key;
    using registry::Root;
    Key::create(Root::CurrentUser, "Software\\Quelmar\\Lumicaster\\Server").writeString("URL0", "127.0.0.1");
    Key::create(Root::CurrentUser, "Software\\Quelmar\\Lumicaster\\Client").writeString("Path", programs_ + "/");
    Key::create(Root::CurrentUser, "Software\\Quelmar\\Lumicaster\\Keywarden").writeDWord("LaunchAfterConnect", 1);
  }
  void TearDown() override {
    qputenv("XDG_CONFIG_HOME", oldConfig_);
    // The suite's programs started one another: end them by their windows.
    for (const QString& title : {suite::managerTitle(), suite::kShellTitle, suite::kUpdaterTitle})
      if (const desktop::WindowId w = suite::FindPeerWindow(title, *desktop_))
        suite::CloseSuiteProgram(w, suite::GoneWhen::WindowGone, 5000, *desktop_);
    for (auto& p : processes_) {
      if (p->state() == QProcess::NotRunning) continue;
      p->kill();
      p->waitForFinished(5000);
    }
  }
  QProcess* start(const QString& program, const QStringList& args = {}, bool forwardErrors = true) {
    auto p = std::make_unique<QProcess>();
    QProcessEnvironment environment = test::suiteProgramEnvironment();
    environment.insert("LUMICASTER_SERVER_PORT", QString::number(port_));
    environment.insert("LUMICASTER_UPDATER_NOTICE_MS", "500");
    p->setProcessEnvironment(environment);
    p->setProcessChannelMode(forwardErrors ? QProcess::ForwardedErrorChannel : QProcess::SeparateChannels);
    p->start(program, args);
    processes_.push_back(std::move(p));
    return processes_.back().get();
  }

  // The reference server offering the release in `catalogue`, on the port of
  // the one before it if there was one (the suite's programs keep the port
  // they were started with).
  void startServer(const QString& catalogue) {
    server_ = start(test::binary("lumicaster-server"),
                    {"--port", QString::number(port_), "--update-catalogue", catalogue, "--chunk-size", "262144"},
                    false);
    QByteArray text;
    quint16 listening = 0;
    ASSERT_TRUE(eventually([&] {
      server_->waitForReadyRead(50);
      text += server_->readAllStandardError();
      const auto m = QRegularExpression("listening on 127\\.0\\.0\\.1:(\\d+)").match(QString::fromUtf8(text));
      if (m.hasMatch()) listening = quint16(m.captured(1).toUInt());
      return listening != 0 || server_->state() == QProcess::NotRunning;
    }, 60000)) << text.constData();
    ASSERT_NE(listening, 0) << text.constData();
    port_ = listening;
  }
  void stopServer() {
    server_->terminate();
    ASSERT_TRUE(server_->waitForFinished(10000));
  }
  // The virtual remote on the receiver's port; the shell runs; the manager
  // starts and connects the receiver, which starts the updater silently.
  void startSuite() {
    remote_ = start(test::binary("virtual-remote"), {"--model", "A", "--map", "COM1"});
    ASSERT_TRUE(eventually([&] { return remote_->waitForReadyRead(100) || remote_->canReadLine(); }));
    const QString device = QString::fromLocal8Bit(remote_->readLine()).trimmed();
    ASSERT_TRUE(eventually([&] { return manager::portDevice(1) == device; }));
    start(programs_ + "/Lumicaster.exe");
    ASSERT_TRUE(eventually([&] { return suite::FindPeerWindow(suite::kShellTitle, *desktop_) != 0; }, 20000));
    start(programs_ + "/Lumicaster Manager.exe");
  }
  bool offerShown() const {
    for (desktop::WindowId w : desktop_->topLevelWindows())
      if (desktop_->windowTitle(w) == "MessageDlg") return true;
    return false;
  }
  // The offer shows and the remote's OK accepts it.
  void acceptOffer() {
    ASSERT_TRUE(eventually([&] { return offerShown(); }, 60000)) << "the update offer did not show";
    remote_->write("OK\n");
    remote_->waitForBytesWritten(1000);
  }
  // Everything new, nothing pending, the manager and the shell back.
  void expectNewReleaseRunning() {
    ASSERT_TRUE(eventually([&] {
      for (const QString& name : kSuite)
        if (sha(programs_ + "/" + name) != newSha_[name]) return false;
      return true;
    }, 120000)) << [&] {
      std::string s;
      for (const QString& name : kSuite)
        s += name.toStdString() + (sha(programs_ + "/" + name) == newSha_[name] ? " new\n" : " old\n");
      return s;
    }();
    EXPECT_TRUE(eventually([&] { return suite::FindPeerWindow(suite::managerTitle(), *desktop_) != 0; }, 30000));
    EXPECT_TRUE(eventually([&] { return suite::FindPeerWindow(suite::kShellTitle, *desktop_) != 0; }, 60000))
        << "the shell did not come back";
    for (const QString& name : QDir(programs_).entryList(QDir::Files | QDir::Hidden))
      EXPECT_FALSE(name.contains(".Update") || name.startsWith(".lumi-part-")) << name.toStdString();
    QString version;
    registry::Key::open(registry::Root::CurrentUser, "Software\\Quelmar\\Lumicaster\\Client")
        .readString("Version", version);
    EXPECT_EQ(version, "1,0,0,2");
  }

  test::XServer x_;
  test::PrivateEnvironment env_;
  QByteArray oldConfig_;
  std::unique_ptr<desktop::Desktop> desktop_;
  QString programs_, catalogue_;
  std::map<QString, QByteArray> newSha_;
  std::vector<std::unique_ptr<QProcess>> processes_;
  QProcess* server_ = nullptr;
  QProcess* remote_ = nullptr;
  quint16 port_ = 0;
};

TEST_F(SuiteUpdate, OneOkOnTheRemoteBringsTheSuiteToTheNewReleaseWithTheShellRunningAgain) {
  ASSERT_NO_FATAL_FAILURE(startServer(catalogue_));
  ASSERT_NO_FATAL_FAILURE(startSuite());
  ASSERT_NO_FATAL_FAILURE(acceptOffer());
  expectNewReleaseRunning();
}

TEST_F(SuiteUpdate, TheManagersUpdaterButtonAndOneOkBringTheSuiteToTheNewRelease) {
  // The server offers only the installed release at first: the check after
  // the manager's connection finds nothing to do and the updater ends.
  ASSERT_NO_FATAL_FAILURE(startServer(programs_));
  ASSERT_NO_FATAL_FAILURE(startSuite());
  ASSERT_TRUE(eventually([&] {
    return QFile::exists(programs_ + "/Version.vif") && suite::FindPeerWindow(suite::kUpdaterTitle, *desktop_) == 0;
  }, 60000)) << "the check after the connection did not end";
  EXPECT_FALSE(offerShown());

  // The new release is published on the same address.
  ASSERT_NO_FATAL_FAILURE(stopServer());
  ASSERT_NO_FATAL_FAILURE(startServer(catalogue_));

  // A pointer click on the manager's updater button, brought to the front
  // first as a person would.
  Xcb x(xcb_connect(nullptr, nullptr));
  ASSERT_EQ(xcb_connection_has_error(x.get()), 0);
  desktop::WindowId manager = 0;
  ASSERT_TRUE(eventually([&] { return (manager = suite::FindPeerWindow(suite::managerTitle(), *desktop_)) != 0; }));
  const auto window = xcb_window_t(manager);
  const std::uint32_t above = XCB_STACK_MODE_ABOVE;
  xcb_configure_window(x.get(), window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
  xcb_flush(x.get());
  std::optional<QPoint> button;
  ASSERT_TRUE(eventually([&] { return (button = ManagerButtonCentre(x.get(), window, kUpdaterButton)).has_value(); }))
      << "the manager's buttons were not found in its window";
  ASSERT_TRUE(ClickAt(x.get(), window, *button));

  ASSERT_NO_FATAL_FAILURE(acceptOffer());
  // The button's updater replaces the manager and the shell, so it stops
  // both; it starts the manager again, whose own connection and check (now
  // without an offer) start the shell as after any connection.
  expectNewReleaseRunning();
}

}  // namespace
}  // namespace lumi::updater
