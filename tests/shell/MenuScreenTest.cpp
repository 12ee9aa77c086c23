// The shell's menu screens with the skin of a private data folder, on the
// in-process desktop with offscreen widgets.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>

#include "common/skin/ClientPath.h"
#include "common/skin/SkinButton.h"
#include "platform/desktop/InProcessDesktop.h"
#include "platform/registry/Registry.h"
#include "shell/main/CMyComputerDlg.h"
#include "tests/shell/ShellTestWindows.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TestPaths.h"

using namespace lumi;

namespace {

class MenuScreens : public ::testing::Test {
 protected:
  MenuScreens() {
    auto d = std::make_unique<desktop::InProcessDesktop>();
    context_.desktop = d.get();
    desktop::Desktop::setInstance(std::move(d));
    QDir().mkpath(env_.file("suite"));
    registry::Key::create(registry::Root::CurrentUser, QString::fromLatin1(skin::kClientKeyPath))
        .writeString("Path", env_.file("suite") + "/");
  }
  ~MenuScreens() override { desktop::Desktop::setInstance(nullptr); }

  void writeSkin(const QByteArray& text) {
    QFile file(env_.file("suite/Skin.ini"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
  }

  test::PrivateEnvironment env_;
  shell::ShellContext context_;
};

TEST_F(MenuScreens, ButtonsUseTheSkinsFontNameSizeAndWeight) {
  struct Case {
    QByteArray skin;
    QString face;
    int pixels;
    int weight;
  };
  const Case cases[] = {
      {"[FONT]\r\nFontName=DejaVu Serif\r\nFontSize=38\r\nWeight=700\r\n", "DejaVu Serif", 38, 700},
      {"[FONT]\r\nFontSize=24\r\n", QStringLiteral("굴림"), 24, 400},
      {"", QStringLiteral("굴림"), 30, 400},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.skin.toStdString());
    writeSkin(c.skin);
    test::RecordingScreen main(nullptr, context_);
    context_.main = &main;
    shell::CMyComputerDlg menu(&main, context_);
    for (int i = 0; i < 6; ++i) {
      const QFont& font = menu.button(i)->Font();
      EXPECT_EQ(font.families().value(0), c.face) << i;
      EXPECT_EQ(font.pixelSize(), c.pixels) << i;
      EXPECT_EQ(font.weight(), c.weight) << i;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
