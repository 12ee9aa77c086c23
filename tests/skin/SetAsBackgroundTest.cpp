// Making a photo the background, the message to the manager, and the
// background pictures of the shell windows.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QImageWriter>

#include "common/resources/BitmapIds.h"
#include "common/skin/BackgroundPicture.h"
#include "common/skin/ProfileFile.h"
#include "common/skin/SetAsBackground.h"
#include "common/suite/SuiteMessages.h"
#include "common/suite/SuiteWindow.h"
#include "platform/desktop/InProcessDesktop.h"
#include "tests/skin/SkinTestUtil.h"
#include "tests/support/QtPrinters.h"

using namespace lumi;
using namespace lumi::skin;

namespace {

struct RecordingHost : BackgroundSwitchHost {
  QStringList calls;
  void ShowSwitchNotice(int textId) override { calls << QString("notice %1").arg(textId); }
  void ReloadMainBackground() override { calls << "reload"; }
  void RepaintAsker() override { calls << "repaint"; }
  void NotifyManager() override { calls << "notify"; }
};

// A small picture, left half red and right half blue.
QString writePicture(const skintest::DataDirectory& data, const QString& name) {
  QImage picture(100, 50, QImage::Format_RGB32);
  picture.fill(Qt::blue);
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 50; ++x) picture.setPixel(x, y, qRgb(255, 0, 0));
  const QString path = data.file(name);
  QImageWriter(path, "png").write(picture);
  return path;
}

TEST(SetAsBackground, SwitchesToTheUserDesignAndTellsTheManager) {
  skintest::DataDirectory data;
  data.write("Skin.ini", "[MAIN]\nChange=0\n[BUTTON]\nTrans Focus=90\n");
  const QString photo = writePicture(data, "sea.png");
  SkinSettings main;
  main.Load();

  RecordingHost first;
  EXPECT_EQ(SetAsBackground(photo, main, first), SetBackgroundResult::Switched);
  EXPECT_EQ(first.calls, QStringList({"notice 3317", "reload", "repaint", "notify"}));
  EXPECT_EQ(main.Change(), 1);
  EXPECT_EQ(main.BackgroundImage(), photo);
  EXPECT_EQ(ProfileFile::readString(main.File(), "MAIN", "Change"), "1");
  EXPECT_EQ(ProfileFile::readString(main.File(), "MAIN", "BackgroundImage"), photo);
  EXPECT_EQ(ProfileFile::readString(main.File(), "BUTTON", "Trans Focus"), "90");

  RecordingHost again;
  const QString other = writePicture(data, "hill.png");
  EXPECT_EQ(SetAsBackground(other, main, again), SetBackgroundResult::Switched);
  EXPECT_EQ(again.calls, QStringList({"reload", "repaint", "notify"})) << "already the user design: no message";

  const QImage background = LoadWindowBackground(main, resources::kScreenBackground);
  ASSERT_EQ(background.size(), QSize(800, 600));
  EXPECT_EQ(QColor(background.pixel(100, 300)), QColor(255, 0, 0)) << "the picture stretched to the screen";
  EXPECT_EQ(QColor(background.pixel(700, 300)), QColor(0, 0, 255));
}

TEST(SetAsBackground, AnUnreadablePictureOrFolderChangesNothingSilently) {
  skintest::DataDirectory data;
  data.write("Skin.ini", "[MAIN]\nChange=0\n");
  data.write("broken.jpg", "not a picture at all");
  SkinSettings main;
  main.Load();
  RecordingHost host;
  for (const QString& picture : {data.file("broken.jpg"), data.file("missing.jpg"), QString()})
    EXPECT_EQ(SetAsBackground(picture, main, host), SetBackgroundResult::PictureUnreadable) << picture.toStdString();
  EXPECT_TRUE(host.calls.isEmpty());
  EXPECT_EQ(data.read("Skin.ini"), "[MAIN]\nChange=0\n");
  EXPECT_EQ(main.Change(), 0);

  // A "Skin.ini" that cannot be replaced (a folder stands in its place).
  const QString photo = writePicture(data, "sea.png");
  QFile::remove(data.file("Skin.ini"));
  QDir().mkpath(data.file("Skin.ini"));
  EXPECT_EQ(SetAsBackground(photo, main, host), SetBackgroundResult::NotSaved);
  EXPECT_EQ(host.calls, QStringList({"notice 3317", "reload", "repaint"})) << "shown for this run, the manager not told";
  EXPECT_EQ(main.BackgroundImage(), photo);
  EXPECT_TRUE(QFileInfo(data.file("Skin.ini")).isDir());
}

TEST(SetAsBackground, TheManagerHearsOfTheChange) {
  desktop::InProcessDesktop desktop;
  EXPECT_FALSE(NotifyManagerSkinChanged(77, desktop)) << "no manager running";

  QWidget managerWindow;
  managerWindow.setWindowTitle(suite::managerTitle());
  std::vector<desktop::WindowMessage> received;
  suite::SuiteWindow manager(&managerWindow, [&](const desktop::WindowMessage& m) -> std::optional<std::int64_t> {
    received.push_back(m);
    return std::nullopt;
  }, suite::SuiteWindow::Ping::Answer, desktop);

  EXPECT_TRUE(NotifyManagerSkinChanged(77, desktop));
  std::vector<desktop::WindowMessage> copies;
  for (const auto& m : received)
    if (m.message == desktop::WM_COPYDATA) copies.push_back(m);
  ASSERT_EQ(copies.size(), 1u);
  EXPECT_EQ(copies[0].dataWord, 1121u);
  EXPECT_EQ(copies[0].wParam, 77u) << "from the window that asked";
  EXPECT_TRUE(copies[0].data.isEmpty());
}

TEST(BackgroundPicture, BuiltInBitmapsAndPicturesThatCannotBeShown) {
  skintest::DataDirectory data;
  SkinSettings builtIn;
  builtIn.Load();
  const QImage screen = LoadWindowBackground(builtIn, resources::kDvdChooserBackground, &skintest::builtResources());
  EXPECT_EQ(screen.size(), QSize(800, 600));
  EXPECT_EQ(screen.format(), QImage::Format_RGB32);
  EXPECT_TRUE(LoadWindowBackground(builtIn, 4242, &skintest::builtResources()).isNull());
  EXPECT_TRUE(LoadWindowBackground(builtIn, resources::kScreenBackground, nullptr).isNull()) << "no source";

  data.write("Skin.ini", "[MAIN]\nChange=1\nBackgroundImage=" + data.file("gone.jpg").toUtf8() + "\n");
  SkinSettings user;
  user.Load();
  EXPECT_TRUE(LoadWindowBackground(user, resources::kScreenBackground).isNull())
      << "the window is left without a background picture";
  data.write("Skin.ini", "[MAIN]\nChange=1\n");
  user.Load();
  EXPECT_EQ(user.BackgroundImage(), data.file("back.jpg"));
  writePicture(data, "back.jpg");
  EXPECT_EQ(LoadWindowBackground(user, resources::kScreenBackground).size(), QSize(800, 600))
      << "the data directory's back.jpg by default (any picture format under that name)";
}

}  // namespace
