// Version notes: the build stamps every program file, the reader finds the
// version without loading the file and survives damaged files, and the tool
// writes re-stamped copies.
#include "common/version/VersionNote.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lumi::version {
namespace {

QString programDir() { return qEnvironmentVariable("LUMI_PROGRAM_DIR"); }

TEST(VersionNoteTest, TheBuildStampsEveryProgramFile) {
  for (const char* name : {"Lumicaster.exe", "Lumicaster Manager.exe", "Cinevane.exe", "Freshwell.exe", "CaptionBlend.ax",
                           "Resources.dll"}) {
    SCOPED_TRACE(name);
    const auto note = ReadVersionNote(programDir() + "/" + name);
    ASSERT_TRUE(note.has_value());
    EXPECT_EQ(note->version.text(), QString(LUMI_SUITE_VERSION).replace('.', ','));
  }
}

TEST(VersionNoteTest, VersionTextsAndParsing) {
  EXPECT_EQ((FileVersion{(1u << 16) | 2, (3u << 16) | 65535}).text(), "1,2,3,65535");
  EXPECT_EQ(FileVersion::parse("1.0.0.12"), (FileVersion{1u << 16, 12}));
  EXPECT_EQ(FileVersion::parse("2,0,0,1"), (FileVersion{2u << 16, 1}));
  for (const char* bad : {"", "1,2,3", "1,2,3,4,5", "1,2,3,65536", "a,b,c,d", "-1,0,0,0"})
    EXPECT_EQ(FileVersion::parse(bad), std::nullopt) << bad;
}

TEST(VersionNoteTest, TheToolWritesAReStampedCopyThatOnlyDiffersInTheNote) {
  QTemporaryDir dir;
  const QString source = programDir() + "/Resources.dll";
  const QString copy = dir.path() + "/Resources.dll";
  QProcess tool;
  tool.start(programDir() + "/lumi-version", {"--stamp", "1.0.0.7", source, copy});
  ASSERT_TRUE(tool.waitForFinished(30000));
  ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
  EXPECT_EQ(FileVersionText(copy), "1,0,0,7");
  QFile a(source), b(copy);
  ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
  const QByteArray before = a.readAll(), after = b.readAll();
  ASSERT_EQ(before.size(), after.size());
  int differing = 0;
  for (qsizetype i = 0; i < before.size(); ++i) differing += before[i] != after[i];
  EXPECT_LE(differing, 8);

  tool.start(programDir() + "/lumi-version", {copy});
  ASSERT_TRUE(tool.waitForFinished(30000));
  EXPECT_EQ(tool.readAllStandardOutput(), (copy + ": 1,0,0,7\n").toUtf8());
}

TEST(VersionNoteTest, FilesWithoutANoteAndDamagedFilesAreZero) {
  QTemporaryDir dir;
  auto write = [&](const QString& name, const QByteArray& bytes) {
    QFile file(dir.path() + "/" + name);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return file.fileName();
  };
  EXPECT_EQ(FileVersionText(write("text.txt", "not a program")), "0,0,0,0");
  EXPECT_EQ(FileVersionText(dir.path() + "/missing"), "0,0,0,0");
  EXPECT_EQ(FileVersionText(dir.path()), "0,0,0,0");

  QFile program(programDir() + "/Resources.dll");
  ASSERT_TRUE(program.open(QIODevice::ReadOnly));
  const QByteArray good = program.readAll();
  const auto note = ReadVersionNote(program.fileName());
  ASSERT_TRUE(note);
  // Cut short anywhere, or with any header byte garbled: a version or none,
  // never a read outside the file.
  for (qsizetype cut = 0; cut < good.size(); cut += good.size() / 97 + 1)
    ReadVersionNote(write("cut", good.left(cut)));
  EXPECT_EQ(FileVersionText(write("cut", good.left(note->descriptorOffset + 4))), "0,0,0,0");
  for (int at = 0; at < 64; ++at) {
    QByteArray bad = good;
    bad[at] = char(bad[at] ^ 0xff);
    ReadVersionNote(write("garbled", bad));
  }
}

}  // namespace
}  // namespace lumi::version
