// "Resources.dll" as the programs load it: every bitmap the windows use, at
// its size, and no crash for whatever the module or the caller gets wrong.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include <cmath>
#include <dlfcn.h>

#include "common/resources/BitmapIds.h"
#include "common/resources/BitmapSource.h"
#include "common/resources/ResourceLibrary.h"
#include "tests/skin/SkinTestUtil.h"
#include "tests/support/QtPrinters.h"

using namespace lumi::resources;

namespace {

bool opaque(const QImage& image, QPoint p) { return image.valid(p) && qAlpha(image.pixel(p)) == 255; }

TEST(ResourceLibrary, HoldsEveryBitmapOfTheBuiltInDesign) {
  const ResourceLibrary& lib = lumi::skintest::builtResources();
  ASSERT_TRUE(lib.ok()) << lib.errorString().toStdString();
  EXPECT_EQ(QFileInfo(lib.fileName()).fileName(), "Resources.dll");
  EXPECT_EQ(QFileInfo(lib.fileName()).absolutePath(), QFileInfo(lumi::test::programDir()).absoluteFilePath())
      << "built into the programs folder";

  QList<int> expected;
  for (const BitmapInfo& info : builtInBitmaps()) {
    expected.append(info.id);
    const QImage image = lib.bitmap(info.id);
    ASSERT_FALSE(image.isNull()) << info.id << " " << info.role;
    EXPECT_EQ(image.size(), info.size) << info.id << " " << info.role;
  }
  EXPECT_EQ(lib.ids(), expected) << "the module holds exactly the listed bitmaps, ascending";

  for (int id : {kScreenBackground, kDvdChooserBackground, kCodecDownloadBackground})
    EXPECT_FALSE(lib.bitmap(id).hasAlphaChannel()) << id << ": a screen background covers the screen";

  // Button and row states: distinct pictures, and an opaque face where the
  // caption takes its shadow tone.
  const int states[][3] = {{656, 657, 655}, {659, 660, 658}, {680, 682, 681}, {745, 746, 744},
                           {749, 751, 750}, {752, 754, 753}, {756, 757, 755}};
  for (const auto& s : states) {
    const QImage normal = lib.bitmap(s[0]), focused = lib.bitmap(s[1]), pressed = lib.bitmap(s[2]);
    EXPECT_NE(normal, focused) << s[0];
    EXPECT_NE(focused, pressed) << s[1];
    EXPECT_NE(normal, pressed) << s[2];
    for (const QImage* image : {&normal, &focused, &pressed})
      EXPECT_TRUE(opaque(*image, QPoint(11, 22))) << s[0] << ": the face is opaque at (11, 22)";
  }
  const QImage logo = lib.bitmap(kLogo);
  EXPECT_EQ(qAlpha(logo.pixel(370, 40)), 0) << "the slogan corner of the picture shows the background";
}

TEST(ResourceLibrary, MissingBitmapsAndBadModulesGiveNullsAndReasons) {
  const ResourceLibrary& built = lumi::skintest::builtResources();
  EXPECT_TRUE(built.bitmap(12345).isNull());
  EXPECT_FALSE(built.contains(12345));
  EXPECT_TRUE(built.contains(kMessageBackground));

  ResourceLibrary none;
  EXPECT_FALSE(none.ok());
  EXPECT_TRUE(none.bitmap(kMessageBackground).isNull()) << "asking before loading is harmless";
  EXPECT_TRUE(none.ids().isEmpty());

  QTemporaryDir dir;
  ResourceLibrary missing;
  EXPECT_FALSE(missing.load(dir.path()));
  EXPECT_TRUE(missing.errorString().contains("Resources.dll")) << missing.errorString().toStdString();

  {
    QFile garbage(dir.filePath("Resources.dll"));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("MZ\x90\0 a Windows module, or anything that is not ours");
  }
  ResourceLibrary foreign;
  EXPECT_FALSE(foreign.load(dir.path()));
  EXPECT_FALSE(foreign.errorString().isEmpty());

  // A real shared library that lacks the bitmap interface.
  Dl_info info{};
  double (*cosine)(double) = &std::cos;
  ASSERT_TRUE(dladdr(reinterpret_cast<void*>(cosine), &info) && info.dli_fname);
  QFile::remove(dir.filePath("Resources.dll"));
  ASSERT_TRUE(QFile::copy(QString::fromLocal8Bit(info.dli_fname), dir.filePath("Resources.dll")));
  ResourceLibrary other;
  EXPECT_FALSE(other.load(dir.path()));
  EXPECT_TRUE(other.errorString().contains("not a resource library")) << other.errorString().toStdString();
  EXPECT_TRUE(other.bitmap(kMessageBackground).isNull());

  // Reloading the built module over a failed one, and images that outlive it.
  QImage kept;
  {
    ResourceLibrary again;
    ASSERT_TRUE(again.load(lumi::test::programDir()));
    kept = again.bitmap(kDialogButtonNormal);
  }
  EXPECT_EQ(kept.size(), QSize(120, 46)) << "an image stays valid after the module is released";
}

TEST(BitmapSource, ScopedSourcePutsThePreviousOneBack) {
  const ResourceLibrary& built = lumi::skintest::builtResources();
  ResourceLibrary none;
  setCurrentBitmapSource(&built);
  {
    ScopedBitmapSource scope(&none);
    EXPECT_EQ(currentBitmapSource(), &none);
  }
  EXPECT_EQ(currentBitmapSource(), &built);
  setCurrentBitmapSource(nullptr);
}

}  // namespace
