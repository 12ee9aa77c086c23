// The skin page: its model on a private data directory, then the page widget
// in this process without a display.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>

#include "common/skin/ClientPath.h"
#include "common/skin/ProfileFile.h"
#include "common/skin/SkinSettings.h"
#include "manager/window/CPageSkin.h"
#include "manager/window/ColourDialog.h"
#include "manager/window/ManagerWindowStrings.h"
#include "manager/window/SkinPageModel.h"
#include "platform/registry/Registry.h"
#include "tests/support/TestPaths.h"

using namespace lumi;
using namespace lumi::manager;

namespace {

class SkinPage : public ::testing::Test {
 protected:
  void SetUp() override {
    QDir(env_.path()).mkpath("data");
    registry::Key::create(registry::Root::CurrentUser, skin::kClientKeyPath)
        .writeString(skin::kClientPathValue, data(""));
  }
  QString data(const QString& name) const { return env_.file("data") + "/" + name; }
  skin::SkinSettings onDisk() const {
    skin::SkinSettings s;
    s.Load();
    return s;
  }
  QByteArray skinBytes() const {
    QFile f(data("Skin.ini"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

  test::PrivateEnvironment env_;
  int restarts_ = 0;
};

TEST_F(SkinPage, TheSkinFileLivesInThePrivateDataFolder) {
  EXPECT_EQ(skin::SkinFilePath(), data("Skin.ini"));
}

TEST_F(SkinPage, WithoutAFileThePageShowsTheDefaults) {
  SkinPageModel model([this] { ++restarts_; });
  EXPECT_FALSE(model.values().userDesign);
  EXPECT_EQ(model.values().transNormal, skin::SkinSettings::kDefaultTransNormal);
  EXPECT_EQ(model.values().colorFocus, skin::SkinSettings::kDefaultColorFocus);
  EXPECT_EQ(model.values().fontSize, skin::SkinSettings::kDefaultFontSize);
  EXPECT_FALSE(model.values().bold);
  EXPECT_FALSE(QFile::exists(data("Skin.ini")));
}

TEST_F(SkinPage, TheDesignFlagOpacitiesAndColoursAreWrittenAtOnce) {
  SkinPageModel model([this] { ++restarts_; });
  model.setUserDesign(true);
  EXPECT_EQ(onDisk().Change(), 1);
  model.setTransNormal(12);
  model.setTransFocus(300);
  model.setColorNormal(skin::Rgb(1, 2, 3));
  model.setFontColor(skin::Rgb(4, 5, 6));
  EXPECT_EQ(onDisk().TransNormal(), 12);
  EXPECT_EQ(onDisk().TransFocus(), 255);
  EXPECT_EQ(model.values().transFocus, 255);
  EXPECT_EQ(onDisk().ColorNormal(), skin::Rgb(1, 2, 3));
  EXPECT_EQ(onDisk().FontColor(), skin::Rgb(4, 5, 6));
  model.setUserDesign(false);
  EXPECT_EQ(onDisk().Change(), 0);
  EXPECT_EQ(restarts_, 0);
}

TEST_F(SkinPage, FontChangesWaitForApplyWhichWritesEveryKeyAndRestarts) {
  SkinPageModel model([this] { ++restarts_; });
  model.setFontName("DejaVu Sans");
  model.setFontSize(44);
  model.setBold(true);
  EXPECT_EQ(onDisk().Weight(), 400);
  EXPECT_FALSE(QFile::exists(data("Skin.ini")));
  model.apply();
  EXPECT_EQ(restarts_, 1);
  const auto s = onDisk();
  EXPECT_EQ(s.Weight(), 700);
  EXPECT_EQ(s.FontSize(), 44);
  EXPECT_EQ(s.FontName(), "DejaVu Sans");
  const QByteArray bytes = skinBytes();
  for (const char* key : {"BackgroundImage", "Color Normal", "Color Focus", "Trans Normal", "Trans Focus",
                          "FontName", "FontSize", "Color", "Weight"})
    EXPECT_TRUE(bytes.contains(QByteArray(key) + "=")) << key;
  model.setBold(false);
  model.apply();
  EXPECT_EQ(onDisk().Weight(), 400);
}

TEST_F(SkinPage, FontSizeStaysInTheSpinsRange) {
  SkinPageModel model(nullptr);
  model.setFontSize(3);
  EXPECT_EQ(model.values().fontSize, 10);
  model.setFontSize(99);
  EXPECT_EQ(model.values().fontSize, 50);
}

TEST_F(SkinPage, DefaultsDeletesTheFileAndShowsTheDefaults) {
  SkinPageModel model(nullptr);
  model.setTransNormal(7);
  model.setUserDesign(true);
  ASSERT_TRUE(QFile::exists(data("Skin.ini")));
  model.defaults();
  EXPECT_FALSE(QFile::exists(data("Skin.ini")));
  EXPECT_EQ(model.values().transNormal, skin::SkinSettings::kDefaultTransNormal);
  EXPECT_FALSE(model.values().userDesign);
  model.defaults();  // nothing there: nothing to delete, still the defaults
  EXPECT_EQ(model.values().transNormal, skin::SkinSettings::kDefaultTransNormal);
}

TEST_F(SkinPage, ReloadFollowsAChangeMadeByTheShell) {
  SkinPageModel model(nullptr);
  skin::SkinSettings shell;
  shell.SetBackgroundImage(data("mine.jpg"));
  model.reload();
  EXPECT_EQ(model.values().backgroundImage, data("mine.jpg"));
}

TEST_F(SkinPage, PackageNamesGetTheExtensionOnce) {
  EXPECT_EQ(SkinPageModel::PackageName("/x/mytheme"), "/x/mytheme.lcs");
  EXPECT_EQ(SkinPageModel::PackageName("/x/mytheme.lcs"), "/x/mytheme.lcs");
  EXPECT_EQ(SkinPageModel::PackageName("/x/mytheme.LCS"), "/x/mytheme.LCS");
  EXPECT_EQ(SkinPageModel::PackageName("/x/mythemelcs"), "/x/mythemelcs.lcs");
}

TEST_F(SkinPage, SavingCopiesTheSkinFileAndReplacesAnOldPackage) {
  SkinPageModel model(nullptr);
  model.setTransNormal(33);
  {
    QFile old(env_.file("mytheme.lcs"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("[BUTTON]\nTrans Normal=1\nextra line\n");
  }
  ASSERT_TRUE(model.savePackage(env_.file("mytheme")));
  QFile saved(env_.file("mytheme.lcs"));
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_EQ(saved.readAll(), skinBytes());
  EXPECT_FALSE(QFile::exists(env_.file("mytheme.lcs.lcs")));
  ASSERT_TRUE(model.savePackage(env_.file("mytheme.lcs")));
  EXPECT_FALSE(QFile::exists(env_.file("mytheme.lcs.lcs")));
}

TEST_F(SkinPage, SavingOntoAReadOnlyPackageFailsAndKeepsIt) {
  SkinPageModel model(nullptr);
  model.setTransNormal(33);
  const QString target = env_.file("locked.lcs");
  {
    QFile old(target);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
  }
  QFile::setPermissions(target, QFileDevice::ReadOwner);
  EXPECT_FALSE(model.savePackage(target));
  QFile kept(target);
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_EQ(kept.readAll(), "old");
}

TEST_F(SkinPage, APackageSavedWithoutASkinFileHoldsTheDefaults) {
  SkinPageModel model(nullptr);
  ASSERT_TRUE(model.savePackage(env_.file("plain")));
  skin::SkinSettings package(env_.file("plain.lcs"));
  ASSERT_TRUE(package.LoadFrom(env_.file("plain.lcs")));
  EXPECT_EQ(package.TransFocus(), skin::SkinSettings::kDefaultTransFocus);
  QFile f(env_.file("plain.lcs"));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_TRUE(f.readAll().contains("Trans Focus="));
}

TEST_F(SkinPage, LoadingAPackageTakesItsValuesDefaultsTheRestAndApplies) {
  {
    QFile p(env_.file("partial.lcs"));
    ASSERT_TRUE(p.open(QIODevice::WriteOnly));
    p.write("[BUTTON]\nTrans Normal=77\n[FONT]\nWeight=700\n");
  }
  SkinPageModel model([this] { ++restarts_; });
  model.setTransFocus(5);
  ASSERT_TRUE(model.loadPackage(env_.file("partial.lcs")));
  EXPECT_EQ(restarts_, 1);
  const auto s = onDisk();
  EXPECT_EQ(s.TransNormal(), 77);
  EXPECT_EQ(s.TransFocus(), skin::SkinSettings::kDefaultTransFocus);
  EXPECT_EQ(s.Weight(), 700);
  EXPECT_TRUE(model.values().bold);
}

TEST_F(SkinPage, AMissingPackageChangesNothing) {
  SkinPageModel model([this] { ++restarts_; });
  model.setTransFocus(5);
  EXPECT_FALSE(model.loadPackage(env_.file("none.lcs")));
  EXPECT_EQ(restarts_, 0);
  EXPECT_EQ(onDisk().TransFocus(), 5);
}

class SkinPageWidget : public SkinPage {
 protected:
  std::unique_ptr<CPageSkin> page() {
    auto p = std::make_unique<CPageSkin>(strings_, [this] { ++restarts_; });
    p->chooseBackground = [] { return QString(); };
    p->chooseSaveName = [] { return QString(); };
    p->chooseOpenName = [] { return QString(); };
    p->chooseColour = [](const QColor&) { return std::optional<QColor>(); };
    return p;
  }
  text::StringTable strings_ = loadWindowStrings(text::Language::Korean);
};

TEST_F(SkinPageWidget, TheDesignCheckBoxWritesTheFlagAndGatesEveryOtherControl) {
  auto p = page();
  auto* change = p->findChild<QCheckBox*>("1085");
  ASSERT_NE(change, nullptr);
  EXPECT_EQ(change->text(), "디자인 변경");
  EXPECT_FALSE(change->isChecked());
  for (const char* id : {"1070", "1009", "1071", "1062", "1063", "1067", "1076", "1064", "1079", "1083", "1080",
                         "1069", "1078", "1073", "1075"}) {
    auto* w = p->findChild<QWidget*>(id);
    ASSERT_NE(w, nullptr) << id;
    EXPECT_FALSE(w->isEnabled()) << id;
  }
  change->click();
  EXPECT_EQ(onDisk().Change(), 1);
  EXPECT_TRUE(skinBytes().contains("Change=1"));
  EXPECT_TRUE(p->applyButton->isEnabled());
  EXPECT_TRUE(p->transNormal->isEnabled());
  EXPECT_TRUE(p->font->isEnabled());
  change->click();
  EXPECT_EQ(onDisk().Change(), 0);
  EXPECT_FALSE(p->applyButton->isEnabled());
  EXPECT_FALSE(p->normalColour->isEnabled());
}

TEST_F(SkinPageWidget, OpacitySliderAndNumberMoveTogetherAndWriteAtOnce) {
  auto p = page();
  p->change->click();
  p->transNormal->setValue(42);
  EXPECT_EQ(p->transNormalNumber->value(), 42);
  EXPECT_EQ(onDisk().TransNormal(), 42);
  p->transFocusNumber->setValue(201);
  EXPECT_EQ(p->transFocus->value(), 201);
  EXPECT_EQ(onDisk().TransFocus(), 201);
}

TEST_F(SkinPageWidget, AChosenColourIsShownAndWritten) {
  auto p = page();
  p->change->click();
  p->chooseColour = [](const QColor&) { return std::optional<QColor>(QColor(10, 20, 30)); };
  p->focusColour->click();
  EXPECT_EQ(p->focusSwatch->colour(), QColor(10, 20, 30));
  EXPECT_EQ(onDisk().ColorFocus(), skin::Rgb(10, 20, 30));
}

TEST_F(SkinPageWidget, BoldAndApplyWriteWeight700AndRestartTheShell) {
  auto p = page();
  p->change->click();
  p->fontSize->setValue(22);
  p->bold->setChecked(true);
  p->applyButton->click();
  EXPECT_EQ(restarts_, 1);
  EXPECT_EQ(onDisk().Weight(), 700);
  EXPECT_EQ(onDisk().FontSize(), 22);
  EXPECT_EQ(onDisk().FontName(), p->font->currentText());
}

TEST_F(SkinPageWidget, APackageIsSavedAndLoadedAgain) {
  auto p = page();
  p->change->click();
  p->transNormal->setValue(61);
  p->chooseColour = [](const QColor&) { return std::optional<QColor>(QColor(200, 100, 50)); };
  p->textColour->click();
  p->chooseSaveName = [this] { return env_.file("mytheme"); };
  p->saveButton->click();
  ASSERT_TRUE(QFile::exists(env_.file("mytheme.lcs")));

  p->defaultsButton->click();
  EXPECT_FALSE(QFile::exists(data("Skin.ini")));
  EXPECT_EQ(p->transNormal->value(), skin::SkinSettings::kDefaultTransNormal);
  EXPECT_FALSE(p->change->isChecked());

  p->change->click();
  p->chooseOpenName = [this] { return env_.file("mytheme.lcs"); };
  p->loadButton->click();
  EXPECT_EQ(restarts_, 1);
  EXPECT_EQ(p->transNormal->value(), 61);
  EXPECT_EQ(p->transNormalNumber->value(), 61);
  EXPECT_EQ(p->textSwatch->colour(), QColor(200, 100, 50));
  EXPECT_EQ(onDisk().TransNormal(), 61);
  EXPECT_EQ(onDisk().FontColor(), skin::Rgb(200, 100, 50));
}

TEST_F(SkinPageWidget, ReloadShowsWhatTheShellWrote) {
  auto p = page();
  skin::SkinSettings shell;
  shell.SetChange(1);
  shell.SetBackgroundImage(data("new.jpg"));
  p->reload();
  EXPECT_TRUE(p->change->isChecked());
  EXPECT_EQ(p->background->text(), data("new.jpg"));
  EXPECT_TRUE(p->browse->isEnabled());
}

TEST_F(SkinPageWidget, TheSizeSpinKeepsToTenThroughFifty) {
  auto p = page();
  EXPECT_EQ(p->fontSize->minimum(), 10);
  EXPECT_EQ(p->fontSize->maximum(), 50);
  EXPECT_GT(p->font->count(), 0);
}

TEST(ColourDialogTest, SlidersNumbersAndPreviewAgree) {
  const auto strings = loadWindowStrings(text::Language::Korean);
  ColourDialog dialog(strings, QColor(1, 2, 3));
  EXPECT_EQ(dialog.windowTitle(), "색");
  EXPECT_EQ(dialog.numbers[1]->value(), 2);
  dialog.numbers[0]->setValue(250);
  EXPECT_EQ(dialog.sliders[0]->value(), 250);
  dialog.sliders[2]->setValue(9);
  EXPECT_EQ(dialog.numbers[2]->value(), 9);
  EXPECT_EQ(dialog.colour(), QColor(250, 2, 9));
  EXPECT_EQ(dialog.preview->palette().color(QPalette::Window), QColor(250, 2, 9));
  EXPECT_EQ(dialog.sliders[0]->maximum(), 255);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
