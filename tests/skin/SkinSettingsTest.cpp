// The skin settings over "Skin.ini": defaults, reading, single-key setters,
// packages, and files that are damaged in every way a file can be.
#include <gtest/gtest.h>

#include <QRandomGenerator>

#include "common/skin/ClientPath.h"
#include "common/skin/ProfileFile.h"
#include "common/skin/SkinSettings.h"
#include "tests/skin/SkinTestUtil.h"
#include "tests/support/QtPrinters.h"

using namespace lumi;
using namespace lumi::skin;
using skintest::DataDirectory;

namespace {

// What the manager writes, in its order, with a comment a user added.
const QByteArray kManagerSkin =
    "[MAIN]\n"
    "BackgroundImage=/media/photos/sea.jpg\n"
    "Change=1\n"
    "; my favourite colours\n"
    "[BUTTON]\n"
    "Trans Normal=90\n"
    "Trans Focus=200\n"
    "Color Normal=255\n"
    "Color Focus=65280\n"
    "[FONT]\n"
    "FontName=HY견고딕\n"
    "FontSize=34\n"
    "Weight=700\n"
    "Color=16711680\n";

void expectDefaults(const SkinSettings& s, const QString& where) {
  EXPECT_EQ(s.Change(), 0) << where.toStdString();
  EXPECT_EQ(s.BackgroundImage(), s.DefaultBackgroundImage()) << where.toStdString();
  EXPECT_EQ(s.Weight(), 400) << where.toStdString();
  EXPECT_EQ(s.FontSize(), 30) << where.toStdString();
  EXPECT_EQ(s.FontColor(), 16777215u) << where.toStdString();
  EXPECT_EQ(s.FontName(), "굴림") << where.toStdString();
  EXPECT_EQ(s.TransNormal(), 100) << where.toStdString();
  EXPECT_EQ(s.TransFocus(), 180) << where.toStdString();
  EXPECT_EQ(s.ColorNormal(), 14340555u) << where.toStdString();
  EXPECT_EQ(s.ColorFocus(), 15196851u) << where.toStdString();
}

TEST(SkinSettings, DefaultsAndWhereTheFileLies) {
  {
    test::PrivateEnvironment noPath;
    EXPECT_EQ(GetClientPath(), "");
    const SkinSettings relative;
    EXPECT_EQ(relative.File(), "Skin.ini") << "without \"Path\" the name is relative to the current folder";
    EXPECT_EQ(relative.BackgroundImage(), "back.jpg");
  }
  DataDirectory data;
  registry::Key::open(registry::Root::CurrentUser, kClientKeyPath).writeString("Path", data.folder());
  EXPECT_EQ(GetClientPath(), data.folder() + "/") << "a value without its final slash still names the folder";
  SkinSettings skin;
  EXPECT_EQ(skin.File(), data.file("Skin.ini"));
  EXPECT_EQ(skin.DefaultBackgroundImage(), data.file("back.jpg"));
  EXPECT_TRUE(skin.Load()) << "a missing file is no error";
  expectDefaults(skin, "no file");
  EXPECT_EQ(ToQColor(skin.ColorNormal()), QColor(203, 209, 218));
  EXPECT_EQ(ToQColor(skin.ColorFocus()), QColor(179, 226, 231));
  EXPECT_EQ(FromQColor(QColor(16, 158, 115)), Rgb(16, 158, 115));
  EXPECT_FALSE(skin.IsUserDesign());
}

TEST(SkinSettings, LoadReadsEveryKeyAndKeepsTheDefaultOfMissingOnes) {
  DataDirectory data;
  data.write("Skin.ini", kManagerSkin);
  SkinSettings skin;
  ASSERT_TRUE(skin.Load());
  EXPECT_EQ(skin.Change(), 1);
  EXPECT_TRUE(skin.IsUserDesign());
  EXPECT_EQ(skin.BackgroundImage(), "/media/photos/sea.jpg");
  EXPECT_EQ(skin.TransNormal(), 90);
  EXPECT_EQ(skin.TransFocus(), 200);
  EXPECT_EQ(ToQColor(skin.ColorNormal()), QColor(255, 0, 0)) << "0x00BBGGRR: red in the low byte";
  EXPECT_EQ(ToQColor(skin.ColorFocus()), QColor(0, 255, 0));
  EXPECT_EQ(skin.FontName(), "HY견고딕");
  EXPECT_EQ(skin.FontSize(), 34);
  EXPECT_EQ(skin.Weight(), 700);
  EXPECT_EQ(ToQColor(skin.FontColor()), QColor(0, 0, 255));
  EXPECT_TRUE(skin.LoadProblems().isEmpty());

  data.write("Skin.ini", "[MAIN]\nBackgroundImage=\nChange=1\n");
  ASSERT_TRUE(skin.Load());
  EXPECT_EQ(skin.BackgroundImage(), data.file("back.jpg")) << "an empty value gives the default picture";
  EXPECT_EQ(skin.TransFocus(), 180) << "Load starts again from the defaults";

  data.write("Skin.ini", "[MAIN]\nBackgroundImage=/p/x.jpg\n");
  ASSERT_TRUE(skin.Load());
  EXPECT_EQ(skin.Change(), 0) << "\"Change\" missing: the built-in design";
}

TEST(SkinSettings, DamagedFilesGiveDefaultsWithWarnings) {
  DataDirectory data;
  struct Case {
    const char* name;
    QByteArray file;
  } cases[] = {
      {"opacity not a number", "[BUTTON]\nTrans Focus=abc\n"},
      {"opacity above 255", "[BUTTON]\nTrans Focus=300\n"},
      {"opacity below 0", "[BUTTON]\nTrans Focus=-1\n"},
      {"colour beyond 24 bits", "[BUTTON]\nColor Focus=16777216\n"},
      {"negative colour", "[BUTTON]\nColor Focus=-5\n"},
      {"font size 0", "[FONT]\nFontSize=0\n"},
      {"font size beyond any screen", "[FONT]\nFontSize=99999999999\n"},
      {"weight beyond 1000", "[FONT]\nWeight=5000\n"},
      {"change not a number", "[MAIN]\nChange=yes\n"},
      {"cut in a section header", "[MAIN]\nChange=0\n[BUTT"},
      {"cut in a key name", "[BUTTON]\nTrans Fo"},
      {"NUL bytes", QByteArray("[BUTTON]\nTrans Focus\0=255\n", 26)},
  };
  for (const Case& c : cases) {
    data.write("Skin.ini", c.file);
    SkinSettings skin;
    EXPECT_TRUE(skin.Load()) << c.name;
    expectDefaults(skin, c.name);
    EXPECT_FALSE(skin.LoadProblems().isEmpty()) << c.name << ": a damaged file is reported";
  }

  data.write("Skin.ini", "[BUTTON]\nTrans Focus=200 ; nearly opaque\n");
  SkinSettings trailing;
  trailing.Load();
  EXPECT_EQ(trailing.TransFocus(), 200) << "the leading number counts, as the profile functions read it";
  EXPECT_EQ(trailing.LoadProblems().size(), 1);

  QRandomGenerator random(1121);
  for (int round = 0; round < 20; ++round) {
    QByteArray noise(int(random.bounded(4000)), Qt::Uninitialized);
    for (char& b : noise) b = char(random.bounded(256));
    if (round % 2) noise.prepend("[BUTTON]\nTrans Focus=");
    data.write("Skin.ini", noise);
    SkinSettings skin;
    skin.Load();  // anything, but no crash and values in range
    EXPECT_GE(skin.TransFocus(), 0);
    EXPECT_LE(skin.TransFocus(), 255);
    EXPECT_LE(skin.ColorFocus(), 0xFFFFFFu);
    EXPECT_GE(skin.FontSize(), 1);
  }

  QDir().mkpath(data.file("Skin.ini.d"));
  SkinSettings folder(data.file("Skin.ini.d"));
  EXPECT_FALSE(folder.Load()) << "a folder in place of the file cannot be read";
  expectDefaults(folder, "folder");
}

TEST(SkinSettings, EachSetterWritesItsOneKey) {
  DataDirectory data;
  data.write("Skin.ini", kManagerSkin);
  SkinSettings skin;
  skin.Load();

  struct Case {
    const char* section;
    const char* key;
    std::function<bool()> set;
    QString written;
    std::function<bool()> field;
  } cases[] = {
      {"MAIN", "Change", [&] { return skin.SetChange(0); }, "0", [&] { return skin.Change() == 0; }},
      {"MAIN", "BackgroundImage", [&] { return skin.SetBackgroundImage("/p/new.jpg"); }, "/p/new.jpg",
       [&] { return skin.BackgroundImage() == "/p/new.jpg"; }},
      {"FONT", "Weight", [&] { return skin.SetWeight(400); }, "400", [&] { return skin.Weight() == 400; }},
      {"FONT", "FontSize", [&] { return skin.SetFontSize(44); }, "44", [&] { return skin.FontSize() == 44; }},
      {"FONT", "Color", [&] { return skin.SetFontColor(Rgb(1, 2, 3)); }, "197121",
       [&] { return skin.FontColor() == Rgb(1, 2, 3); }},
      {"FONT", "FontName", [&] { return skin.SetFontName("굴림"); }, "굴림", [&] { return skin.FontName() == "굴림"; }},
      {"BUTTON", "Trans Normal", [&] { return skin.SetTransNormal(-20); }, "0", [&] { return skin.TransNormal() == 0; }},
      {"BUTTON", "Trans Focus", [&] { return skin.SetTransFocus(300); }, "255", [&] { return skin.TransFocus() == 255; }},
      {"BUTTON", "Color Normal", [&] { return skin.SetColorNormal(0xFF000000u | Rgb(9, 8, 7)); }, "460809",
       [&] { return skin.ColorNormal() == Rgb(9, 8, 7); }},
      {"BUTTON", "Color Focus", [&] { return skin.SetColorFocus(Rgb(16, 158, 115)); }, "7577104",
       [&] { return skin.ColorFocus() == Rgb(16, 158, 115); }},
  };
  for (const Case& c : cases) {
    const ProfileDocument before = ProfileFile::read(skin.File()).document;
    ASSERT_TRUE(c.set()) << c.key;
    EXPECT_TRUE(c.field()) << c.key << ": the field follows";
    const ProfileDocument after = ProfileFile::read(skin.File()).document;
    EXPECT_EQ(after.value(QString(c.section), QString(c.key)), c.written) << c.key;
    for (const Case& other : cases) {
      if (&other == &c) continue;
      EXPECT_EQ(after.value(QString(other.section), QString(other.key)),
                before.value(QString(other.section), QString(other.key)))
          << c.key << " touched " << other.key;
    }
  }
  EXPECT_TRUE(data.read("Skin.ini").contains("; my favourite colours\n"));
}

TEST(SkinSettings, PackagesAreReadWithTheSameReaderAndNotWritten) {
  DataDirectory data;
  data.write("Skin.ini", "[MAIN]\nChange=0\n");
  data.write("sea.lcs", "[BUTTON]\nTrans Focus=10\n[FONT]\nFontSize=44\n");
  SkinSettings skin;
  skin.Load();
  ASSERT_TRUE(skin.LoadFrom(data.file("sea.lcs")));
  EXPECT_EQ(skin.TransFocus(), 10);
  EXPECT_EQ(skin.FontSize(), 44);
  EXPECT_EQ(skin.TransNormal(), 100) << "keys the package lacks take their defaults";
  EXPECT_EQ(skin.File(), data.file("Skin.ini"));
  ASSERT_TRUE(skin.SetTransFocus(skin.TransFocus()));
  EXPECT_EQ(ProfileFile::readString(data.file("Skin.ini"), "BUTTON", "Trans Focus"), "10");
  EXPECT_EQ(data.read("sea.lcs"), "[BUTTON]\nTrans Focus=10\n[FONT]\nFontSize=44\n");
}

}  // namespace
