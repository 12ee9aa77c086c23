// "Skin.ini" as the profile functions read and write it: the file format,
// single-key writes that keep the rest of the file, atomic replacement and
// writers that take turns.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <thread>
#include <unistd.h>
#include <vector>

#include "common/skin/ProfileFile.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TestPaths.h"

using namespace lumi::skin;

namespace {

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(bytes);
}

const QByteArray kSkin =
    "; written by the manager\r\n"
    "[MAIN]\r\n"
    "BackgroundImage = \"/media/photos/sea.jpg\" \r\n"
    "Change=0\r\n"
    "\r\n"
    "[button]\r\n"
    "Trans Normal=100\r\n"
    "trans focus=180\r\n"
    "Trans Focus=99\r\n"
    "Unknown=kept\r\n"
    "\r\n"
    "[FONT]\r\n"
    "FontName='굴림'\r\n"
    "[MAIN]\r\n"
    "Change=7\r\n";

TEST(ProfileDocument, ReadsLikeTheProfileFunctions) {
  QStringList problems;
  const ProfileDocument doc = ProfileDocument::parse(kSkin, &problems);
  struct Case {
    const char* section;
    const char* key;
    std::optional<QString> value;
  } cases[] = {
      {"MAIN", "BackgroundImage", "/media/photos/sea.jpg"},  // trimmed, quotes removed
      {"main", "change", "0"},                                // names compared without case
      {"BUTTON", "Trans Focus", "180"},                       // the first of repeated keys
      {"Button", "unknown", "kept"},
      {"FONT", "FontName", "굴림"},                           // single quotes too
      {"FONT", "FontSize", std::nullopt},
      {"NOPE", "Change", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(doc.value(QString(c.section), QString(c.key)), c.value) << c.section << "/" << c.key;
  EXPECT_TRUE(problems.isEmpty()) << problems.join("; ").toStdString();
}

TEST(ProfileDocument, LinesItCannotUnderstandAreNamedAndSkipped) {
  QStringList problems;
  const ProfileDocument doc = ProfileDocument::parse("Stray=1\n[MAIN\nChange=1\n=3\njust words\n[FONT]\nFontSize=12", &problems);
  EXPECT_EQ(problems, QStringList({"line 1: a key before the first section", "line 2: section header without ']'",
                                   "line 3: a key before the first section", "line 4: a value without a key name",
                                   "line 5: neither a key nor a section"}));
  EXPECT_EQ(doc.value(u"FONT", u"FontSize"), "12") << "a last line without a line break still counts";
  EXPECT_EQ(doc.value(u"MAIN", u"Change"), std::nullopt);
}

TEST(ProfileDocument, WritingOneKeyKeepsEverythingElse) {
  struct Case {
    const char* name;
    QByteArray before;
    const char* section;
    const char* key;
    QString value;
    QByteArray after;
  } cases[] = {
      {"replace keeps the key's spelling and the line breaks", "[Main]\r\nchange = 0 \r\n; note\r\n[FONT]\r\nColor=1\r\n",
       "MAIN", "Change", "1", "[Main]\r\nchange=1\r\n; note\r\n[FONT]\r\nColor=1\r\n"},
      {"new key after the section's last key", "[MAIN]\nChange=0\n\n; fonts\n[FONT]\nColor=1\n", "MAIN",
       "BackgroundImage", "/p/a.jpg", "[MAIN]\nChange=0\nBackgroundImage=/p/a.jpg\n\n; fonts\n[FONT]\nColor=1\n"},
      {"new section at the end", "[MAIN]\nChange=0", "BUTTON", "Trans Focus", "255",
       "[MAIN]\nChange=0\n\n[BUTTON]\nTrans Focus=255\n"},
      {"empty file", "", "MAIN", "Change", "1", "[MAIN]\nChange=1\n"},
      {"the first of repeated sections", "[MAIN]\nA=1\n[MAIN]\nB=2\n", "main", "B", "3", "[MAIN]\nA=1\nB=3\n[MAIN]\nB=2\n"},
      {"a value that reading would trim", "[MAIN]\n", "MAIN", "BackgroundImage", " /p/x.jpg ",
       "[MAIN]\nBackgroundImage=\" /p/x.jpg \"\n"},
      {"a value that reading would unquote", "[MAIN]\n", "MAIN", "BackgroundImage", "'x'",
       "[MAIN]\nBackgroundImage=\"'x'\"\n"},
      {"lines it could not read stay", "garbage\x01\n[MAIN]\n[oops\nChange=0\n", "MAIN", "Change", "1",
       "garbage\x01\n[MAIN]\n[oops\nChange=1\n"},
  };
  for (const Case& c : cases) {
    ProfileDocument doc = ProfileDocument::parse(c.before);
    ASSERT_TRUE(doc.setValue(c.section, c.key, c.value)) << c.name;
    EXPECT_EQ(doc.serialize(), c.after) << c.name;
    EXPECT_EQ(ProfileDocument::parse(doc.serialize()).value(QString(c.section), QString(c.key)), c.value) << c.name;
  }
}

TEST(ProfileDocument, RefusesWhatWouldBreakTheFile) {
  ProfileDocument doc = ProfileDocument::parse("[MAIN]\nChange=0\n");
  const QByteArray before = doc.serialize();
  QString why;
  EXPECT_FALSE(doc.setValue("MAIN", "BackgroundImage", "/a.jpg\n[FONT]\nFontSize=900", &why));
  EXPECT_FALSE(why.isEmpty());
  EXPECT_FALSE(doc.setValue("MAIN", "Bad=Key", "1"));
  EXPECT_FALSE(doc.setValue("MA]IN", "Key", "1"));
  EXPECT_FALSE(doc.setValue("", "Key", "1"));
  EXPECT_FALSE(doc.setValue("MAIN", "", "1"));
  EXPECT_EQ(doc.serialize(), before);
}

TEST(ProfileDocument, EncodingsFromWindowsAndBack) {
  // "굴림" in the Korean ANSI code page, as a Windows manager wrote it.
  const ProfileDocument cp949 = ProfileDocument::parse("[FONT]\r\nFontName=\xB1\xBC\xB8\xB2\r\n");
  EXPECT_EQ(cp949.value(u"FONT", u"FontName"), "굴림");

  QByteArray utf16("\xFF\xFE");
  for (QChar c : QString("[FONT]\r\nFontName=굴림\r\n")) {
    utf16.append(char(c.unicode() & 0xFF));
    utf16.append(char(c.unicode() >> 8));
  }
  ProfileDocument wide = ProfileDocument::parse(utf16);
  EXPECT_EQ(wide.value(u"FONT", u"FontName"), "굴림");
  ASSERT_TRUE(wide.setValue("FONT", "FontSize", "40"));
  const QByteArray written = wide.serialize();
  EXPECT_TRUE(written.startsWith("\xFF\xFE")) << "a Unicode file stays in its encoding";
  EXPECT_EQ(ProfileDocument::parse(written).value(u"FONT", u"FontSize"), "40");

  ProfileDocument bom = ProfileDocument::parse("\xEF\xBB\xBF[MAIN]\nChange=1\n");
  EXPECT_EQ(bom.value(u"MAIN", u"Change"), "1");
  EXPECT_TRUE(bom.serialize().startsWith("\xEF\xBB\xBF"));
}

TEST(ProfileNumber, ReadsTheFilesNumbers) {
  using K = ProfileNumber::Kind;
  struct Case {
    const char* text;
    K kind;
    int value;
  } cases[] = {
      {"180", K::Whole, 180},        {" -5 ", K::Whole, -5},        {"+7", K::Whole, 7},
      {"16777215", K::Whole, 16777215}, {"0xFFFFFF", K::Whole, 0xFFFFFF}, {"180px", K::Prefix, 180},
      {"abc", K::None, 0},           {"", K::None, 0},              {"-", K::None, 0},
      {"99999999999", K::Overflow, 0}, {"2147483648", K::Overflow, 0}, {"-2147483648", K::Whole, INT32_MIN},
      {"0x", K::Prefix, 0},  // the 0 before a lone x
  };
  for (const Case& c : cases) {
    const ProfileNumber n = parseProfileNumber(QString(c.text));
    EXPECT_EQ(int(n.kind), int(c.kind)) << c.text;
    if (c.kind == K::Whole || c.kind == K::Prefix) {
      EXPECT_EQ(n.value, c.value) << c.text;
    }
  }
}

TEST(ProfileFile, MissingFileGivesDefaultsAndWritingCreatesIt) {
  lumi::test::PrivateEnvironment env;
  const QString path = env.file("Skin.ini");
  EXPECT_EQ(ProfileFile::readString(path, "MAIN", "BackgroundImage", "dflt"), "dflt");
  EXPECT_EQ(ProfileFile::readInt(path, "MAIN", "Change", 4), 4);
  EXPECT_EQ(ProfileFile::read(path).status, ProfileSnapshot::Status::Missing);

  ASSERT_TRUE(ProfileFile::writeString(path, "MAIN", "Change", "1"));
  EXPECT_EQ(readAll(path), "[MAIN]\nChange=1\n");
  EXPECT_EQ(ProfileFile::readInt(path, "main", "CHANGE", 4), 1);
  writeAll(path, "[MAIN]\nChange=\nTrans=abc\n");
  EXPECT_EQ(ProfileFile::readInt(path, "MAIN", "Change", 4), 4) << "an empty value is missing";
  EXPECT_EQ(ProfileFile::readInt(path, "MAIN", "Trans", 4), 0) << "no digits read as 0";
}

TEST(ProfileFile, WritesReplaceTheFileAtomically) {
  lumi::test::PrivateEnvironment env;
  const QString dir = env.file("suite");
  QDir().mkpath(dir);
  const QString path = dir + "/Skin.ini";
  writeAll(path, kSkin);

  ASSERT_TRUE(ProfileFile::writeString(path, "MAIN", "Change", "1"));
  QByteArray expected = kSkin;
  expected.replace("Change=0\r\n", "Change=1\r\n");
  EXPECT_EQ(readAll(path), expected) << "one line changed, the other sections, comments and unknown keys kept";
  EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList({"Skin.ini"})) << "no temporary file left";

  // A symbolic link stays a link; the write lands in its target.
  const QString link = dir + "/Linked.ini";
  ASSERT_TRUE(QFile::link(path, link));
  ASSERT_TRUE(ProfileFile::writeString(link, "FONT", "FontSize", "40"));
  EXPECT_TRUE(QFileInfo(link).isSymLink());
  EXPECT_EQ(ProfileFile::readString(path, "FONT", "FontSize"), "40");

  if (::geteuid() != 0) {
    // A folder that cannot take the new file: nothing is half written.
    const QByteArray content = readAll(path);
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_FALSE(ProfileFile::writeString(path, "MAIN", "Change", "0"));
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(readAll(path), content);

    // A file that cannot be read is not replaced by one holding a single key.
    QFile::setPermissions(path, QFile::WriteOwner);
    EXPECT_FALSE(ProfileFile::writeString(path, "MAIN", "Change", "0"));
    EXPECT_EQ(ProfileFile::read(path).status, ProfileSnapshot::Status::Unreadable);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(readAll(path), content);
  }

  // A file that cannot be read is not replaced: a folder in its place, or a
  // folder that does not exist for the new file.
  const QString blocked = dir + "/Blocked.ini";
  QDir().mkpath(blocked);
  EXPECT_FALSE(ProfileFile::writeString(blocked, "MAIN", "Change", "1"));
  EXPECT_TRUE(QFileInfo(blocked).isDir());
  EXPECT_FALSE(ProfileFile::writeString(dir + "/no/such/folder/Skin.ini", "MAIN", "Change", "1"));

  // Damage is refused, not rewritten: an oversized file keeps its bytes.
  QByteArray huge(ProfileFile::kMaxFileSize + 10, 'x');
  writeAll(path, huge);
  EXPECT_FALSE(ProfileFile::writeString(path, "MAIN", "Change", "1"));
  EXPECT_EQ(QFileInfo(path).size(), huge.size());
}

TEST(ProfileFile, WritersOfDifferentKeysDoNotLoseEachOther) {
  lumi::test::PrivateEnvironment env;
  const QString path = env.file("Skin.ini");
  constexpr int kWriters = 4, kKeys = 20;
  std::vector<std::thread> writers;
  for (int w = 0; w < kWriters; ++w)
    writers.emplace_back([&, w] {
      for (int k = 0; k < kKeys; ++k)
        ProfileFile::writeString(path, QString("S%1").arg(w % 2), QString("K%1_%2").arg(w).arg(k), QString::number(k));
    });
  for (std::thread& t : writers) t.join();
  const ProfileDocument doc = ProfileFile::read(path).document;
  for (int w = 0; w < kWriters; ++w)
    for (int k = 0; k < kKeys; ++k)
      EXPECT_EQ(doc.value(QString("S%1").arg(w % 2), QString("K%1_%2").arg(w).arg(k)), QString::number(k));
}

}  // namespace
