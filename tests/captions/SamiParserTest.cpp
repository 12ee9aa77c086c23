// The SAMI reader: language streams from the STYLE block, the Korean choice,
// the entries of each stream, the encodings caption files come in, and files
// that must be refused without harm.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <algorithm>

#include "player/captions/CaptionTrack.h"
#include "player/captions/SamiParser.h"
#include "tests/captions/SamiFixtures.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TestPaths.h"

using namespace lumi::player;

namespace lumi::player {
void PrintTo(const SamiEntry& e, std::ostream* os) { *os << e.startMs << ":\"" << e.text.toStdString() << '"'; }
}  // namespace lumi::player
using lumi::test::encodeSami;
using lumi::test::FileEncoding;
using lumi::test::koreanSamiText;

namespace {

QString writeFile(const lumi::test::PrivateEnvironment& env, const QString& name, const QByteArray& bytes) {
  QFile file(env.file(name));
  EXPECT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
  return file.fileName();
}

TEST(SamiParser, ClassesAreLanguageStreamsAndKoreanIsChosen) {
  const SamiFile file = readSami(koreanSamiText().toUtf8());
  ASSERT_TRUE(file.ok) << file.reason.toStdString();
  const SamiDocument& doc = file.document;
  ASSERT_EQ(doc.streams.size(), 2u);
  EXPECT_EQ(doc.streams[0].className, "ENCC");
  EXPECT_EQ(doc.streams[0].name, "English");
  EXPECT_EQ(doc.streams[1].name, "Korean");
  EXPECT_EQ(doc.streams[1].lang, "ko-KR");
  EXPECT_EQ(doc.syncCount, 4);

  const int chosen = chooseCaptionStream(doc);
  EXPECT_EQ(chosen, 1);
  EXPECT_EQ(captionStreamReport(doc, chosen),
            QStringList({"Stream count: 2", "Stream 0: English [DISABLED]", "Stream 1: Korean [ENABLED]"}));

  const std::vector<SamiEntry> korean = {{1000, "<font color=\"yellow\">안녕</font><br>하세요"},
                                         {2500, "&nbsp;"},
                                         {4000, "a<b"},
                                         {6000, "긴 자막, 다음 빈 자막이 없습니다"}};
  EXPECT_EQ(doc.streams[1].entries, korean);
  const std::vector<SamiEntry> english = {{1000, "Hello"}, {2500, "&nbsp;"}};
  EXPECT_EQ(doc.streams[0].entries, english);
}

TEST(SamiParser, StreamChoiceTable) {
  struct Case {
    const char* style;
    int chosen;
  };
  const Case cases[] = {
      {".A {Name: English;} .B {Name: French;}", 0},           // no Korean: stream 0
      {".KR {Name: Korean;} .EN {Name: English;}", 0},         // Korean first
      {".K1 {Name: Korean;} .K2 {Name: Korean (CC);}", 1},     // the last Korean wins
      {".KRCC {lang: ko-KR;} .ENCC {Name: English;}", 0},      // named by its class: "KRCC"
      {".X {Name: korean;} .Y {Name: English;}", 0},           // the name must say "Korean"
  };
  for (const Case& c : cases) {
    const QString text = QStringLiteral("<SAMI><HEAD><STYLE>%1</STYLE></HEAD><BODY><SYNC Start=0><P>x</BODY></SAMI>")
                             .arg(QString::fromUtf8(c.style));
    const SamiFile file = readSami(text.toUtf8());
    ASSERT_TRUE(file.ok) << c.style;
    EXPECT_EQ(chooseCaptionStream(file.document), c.chosen) << c.style;
  }
}

TEST(SamiParser, TheSameTextFromEveryEncoding) {
  const SamiFile reference = readSami(koreanSamiText().toUtf8());
  ASSERT_TRUE(reference.ok);
  const std::pair<FileEncoding, SamiEncoding> encodings[] = {
      {FileEncoding::Cp949, SamiEncoding::Ansi},           {FileEncoding::Utf8, SamiEncoding::Utf8},
      {FileEncoding::Utf8Bom, SamiEncoding::Utf8Bom},      {FileEncoding::Utf16LeBom, SamiEncoding::Utf16LeBom},
      {FileEncoding::Utf16Le, SamiEncoding::Utf16Le},      {FileEncoding::Utf16BeBom, SamiEncoding::Utf16BeBom},
      {FileEncoding::Utf16Be, SamiEncoding::Utf16Be}};
  lumi::test::PrivateEnvironment env;
  int n = 0;
  for (const auto& [encoding, detected] : encodings) {
    const QByteArray bytes = encodeSami(koreanSamiText(), encoding);
    ASSERT_FALSE(bytes.isEmpty());
    const SamiFile file = loadSamiFile(writeFile(env, QStringLiteral("c%1.smi").arg(n++), bytes));
    ASSERT_TRUE(file.ok) << int(encoding);
    EXPECT_EQ(file.encoding, detected) << int(encoding);
    ASSERT_EQ(file.document.streams.size(), 2u);
    for (int s = 0; s < 2; ++s)
      EXPECT_EQ(file.document.streams[s].entries, reference.document.streams[s].entries) << int(encoding);
  }
  // The CP949 file really is CP949: "안녕" as two double-byte characters.
  EXPECT_TRUE(encodeSami(koreanSamiText(), FileEncoding::Cp949).contains(QByteArray("\xBE\xC8\xB3\xE7")));
}

TEST(SamiParser, ParagraphsMarksAndLineEnds) {
  struct Case {
    const char* name;
    const char* body;
    std::vector<SamiEntry> stream0;
  };
  const Case cases[] = {
      {"no class goes to stream 0", "<SYNC Start=10><P>plain", {{10, "plain"}}},
      {"text straight after the mark", "<sync start=20>bare", {{20, "bare"}}},
      {"quoted start, closing tags", "<SYNC Start=\"30\"><P Class=A>q</P></SYNC>", {{30, "q"}}},
      {"unknown class dropped", "<SYNC Start=40><P Class=ZZ>gone<P Class=A>kept", {{40, "kept"}}},
      {"unreadable start skipped", "<SYNC Start=x><P>no<SYNC><P>no<SYNC Start=50><P>yes", {{50, "yes"}}},
      {"marks out of order are sorted", "<SYNC Start=900><P>b<SYNC Start=100><P>a", {{100, "a"}, {900, "b"}}},
      {"LF and CR line ends become CRLF", "<SYNC Start=60><P>one<br>\ntwo\rthree", {{60, "one<br>\r\ntwo\r\nthree"}}},
      {"a start beyond a year is no time", "<SYNC Start=99999999999999999999><P>x<SYNC Start=70><P>y", {{70, "y"}}},
  };
  for (const Case& c : cases) {
    const QString text = QStringLiteral("<SAMI><HEAD><STYLE>/* c */ .A {Name: A;}</STYLE></HEAD><BODY>%1</BODY></SAMI>")
                             .arg(QString::fromUtf8(c.body));
    const SamiDocument doc = parseSami(text);
    ASSERT_EQ(doc.streams.size(), 1u) << c.name;
    EXPECT_EQ(doc.streams[0].entries, c.stream0) << c.name;
  }
}

// Files that are damaged, hostile or not captions at all: refused with the
// player's two messages (or read as far as they make sense), never a crash.
TEST(SamiParser, BadFilesAreRefusedWith299And300) {
  lumi::test::PrivateEnvironment env;
  const QByteArray full = koreanSamiText().toUtf8();
  QByteArray randomBytes(64 * 1024, '\0');
  for (int i = 0; i < randomBytes.size(); ++i) randomBytes[i] = char((i * 7919 + 13) % 251);
  const std::pair<const char*, QByteArray> refusedFiles[] = {
      {"empty", QByteArray()},
      {"no SYNC", QByteArray("<SAMI><BODY><P Class=KRCC>text</BODY></SAMI>")},
      {"SYNC without a start", QByteArray("<SAMI><BODY><SYNC><P>text</BODY></SAMI>")},
      {"cut inside the first mark", full.left(full.indexOf("<SYNC") + 8)},
      {"random bytes", randomBytes},
      {"opening brackets only", QByteArray(4 * 1024 * 1024, '<')},
      {"one unfinished tag", QByteArray("<SYNC Start=1000") + QByteArray(1024 * 1024, 'x')},
  };
  int n = 0;
  for (const auto& [name, bytes] : refusedFiles) {
    const SamiFile file = loadSamiFile(writeFile(env, QStringLiteral("bad%1.smi").arg(n++), bytes));
    EXPECT_FALSE(file.ok) << name;
    EXPECT_EQ(file.messageId, 299) << name;
    EXPECT_EQ(file.detailId, 300) << name;
  }
  EXPECT_FALSE(loadSamiFile(env.file("missing.smi")).ok);
  EXPECT_FALSE(loadSamiFile(env.path()).ok);  // a folder

  // Cut short after some entries: what is complete still plays.
  const SamiFile cut = readSami(full.left(full.indexOf("<SYNC Start=4000") + 5));
  ASSERT_TRUE(cut.ok);
  EXPECT_EQ(cut.document.streams[1].entries.size(), 2u);
}

// Every cut of the file, and the file with bytes overwritten, in every
// encoding: read or refused, entries always in order, never more than written.
TEST(SamiParser, DamagedCopiesNeverBreakTheReader) {
  for (FileEncoding encoding : {FileEncoding::Cp949, FileEncoding::Utf8Bom, FileEncoding::Utf16LeBom}) {
    const QByteArray whole = encodeSami(koreanSamiText(), encoding);
    for (qsizetype cut = 0; cut <= whole.size(); cut += 3) {
      QByteArray damaged = whole.left(cut);
      if (cut % 2) damaged.replace(cut / 2, 1, QByteArray(1, char(cut % 256)));  // one byte overwritten as well
      const SamiFile file = readSami(damaged);
      if (!file.ok) {
        EXPECT_EQ(file.messageId, 299);
        continue;
      }
      std::size_t entries = 0;
      for (const SamiStream& stream : file.document.streams) {
        entries += stream.entries.size();
        EXPECT_TRUE(std::is_sorted(stream.entries.begin(), stream.entries.end(),
                                   [](const SamiEntry& a, const SamiEntry& b) { return a.startMs < b.startMs; }));
      }
      EXPECT_LE(entries, 6u) << int(encoding) << " cut at " << cut;
    }
  }
}

TEST(SamiParser, HugeFilesAreRefusedUnreadAndLongEntriesCut) {
  lumi::test::PrivateEnvironment env;
  // A sparse file just over the limit: refused by its size alone.
  QFile huge(env.file("huge.smi"));
  ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
  huge.write("<SAMI><BODY><SYNC Start=1><P>x");
  ASSERT_TRUE(huge.resize(kMaxSamiFileBytes + 1));
  huge.close();
  const SamiFile refused = loadSamiFile(huge.fileName());
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.messageId, 299);
  EXPECT_TRUE(refused.reason.contains("larger")) << refused.reason.toStdString();

  // A single entry of 4 MiB: kept to the entry limit.
  const QByteArray longEntry = QByteArray("<SYNC Start=5><P>") + QByteArray(4 * 1024 * 1024, 'a');
  const SamiFile file = readSami(longEntry);
  ASSERT_TRUE(file.ok);
  ASSERT_EQ(file.document.streams[0].entries.size(), 1u);
  EXPECT_EQ(file.document.streams[0].entries[0].text.size(), kMaxSamiEntryChars);

  // Many marks: read up to the entry limit, the rest left out.
  QByteArray many;
  for (int i = 0; i < 150000; ++i) many += "<SYNC Start=" + QByteArray::number(i * 10) + "><P>x\r\n";
  const SamiFile manyFile = readSami(many);
  ASSERT_TRUE(manyFile.ok);
  ASSERT_EQ(manyFile.document.streams[0].entries.size(), std::size_t(kMaxSamiEntries));
  EXPECT_EQ(manyFile.document.streams[0].entries.back().startMs, (kMaxSamiEntries - 1) * 10);
}

}  // namespace

namespace {

// The caption file beside a movie: found by its name in any case, read, and
// the Korean stream's entries handed on; a bad one asks for 299/300.
TEST(CaptionTrack, TheFileBesideTheMovie) {
  lumi::test::PrivateEnvironment env;
  QDir().mkpath(env.file("Film.v2"));
  writeFile(env, "Film.v2/movie.avi", "RIFF");
  writeFile(env, "Film.v2/movie.SMI", encodeSami(koreanSamiText(), FileEncoding::Cp949));
  writeFile(env, "bad.avi", "RIFF");
  writeFile(env, "bad.smi", "<SAMI><BODY><P>no marks</BODY></SAMI>");
  writeFile(env, "plain.avi", "RIFF");

  const CaptionTrack track = openCaptionTrack(env.file("Film.v2/movie.avi"));
  EXPECT_TRUE(track.exists);
  ASSERT_TRUE(track.ok);
  EXPECT_EQ(track.path, env.file("Film.v2/movie.SMI"));
  EXPECT_EQ(track.stream, 1);
  ASSERT_EQ(track.entries.size(), 4u);
  EXPECT_EQ(track.entries[0].text, "<font color=\"yellow\">안녕</font><br>하세요");
  EXPECT_EQ(track.diagnostics.last(), "Stream 1: Korean [ENABLED]");

  const CaptionTrack bad = openCaptionTrack(env.file("bad.avi"));
  EXPECT_TRUE(bad.exists);
  EXPECT_FALSE(bad.ok);
  EXPECT_EQ(bad.messageId, 299);
  EXPECT_EQ(bad.detailId, 300);
  EXPECT_TRUE(bad.entries.empty());

  const CaptionTrack none = openCaptionTrack(env.file("plain.avi"));
  EXPECT_FALSE(none.exists);
  EXPECT_FALSE(none.ok);
  EXPECT_EQ(none.messageId, 0);
}

}  // namespace
