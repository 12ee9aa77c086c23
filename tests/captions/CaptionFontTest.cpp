// The stored caption font: 60 bytes in the hive, the default written at once,
// unusable values replaced, the size commands' limits, and the font the
// caption filter gets for a movie smaller than the monitor.
#include <gtest/gtest.h>

#include <QFile>
#include <cstring>

#include "platform/registry/Registry.h"
#include "player/captions/CaptionLogFont.h"
#include "player/captions/CaptionQtFont.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TestPaths.h"

using namespace lumi::player;
using lumi::registry::Key;
using lumi::registry::Root;

namespace {

const QString kPlayerKey = QStringLiteral("Software\\Quelmar\\Lumicaster\\Cinevane");
const QString kFontKey = kPlayerKey + QStringLiteral("\\FONT");

QByteArray storedFont() {
  QByteArray bytes;
  Key::open(Root::CurrentUser, kFontKey).readBinary("LogFont", bytes);
  return bytes;
}

TEST(CaptionLogFont, DefaultIsWrittenAtOnceAs60Bytes) {
  lumi::test::PrivateEnvironment env;
  CaptionLogFont font(kPlayerKey);
  EXPECT_FALSE(font.load());
  const QByteArray bytes = storedFont();
  ASSERT_EQ(bytes.size(), 60);
  // lfHeight -37 little-endian, charset 1 at 23, quality 4 at 26, "굴림" at 28.
  EXPECT_EQ(bytes.left(4), QByteArray::fromHex("dbffffff"));
  EXPECT_EQ(bytes.at(23), 1);
  EXPECT_EQ(bytes.at(26), 4);
  EXPECT_EQ(bytes.mid(28, 7), QByteArray("굴림") + '\0');
  // The hive file itself holds the binary value (regedit's hex: form).
  QFile hive(lumi::registry::hiveFile(Root::CurrentUser));
  ASSERT_TRUE(hive.open(QIODevice::ReadOnly));
  EXPECT_TRUE(hive.readAll().contains("\"LogFont\"=hex:db,ff,ff,ff,00"));

  CaptionLogFont again(kPlayerKey);
  EXPECT_TRUE(again.load());
  EXPECT_EQ(logFontBytes(again.font()), bytes);
}

TEST(CaptionLogFont, UnusableValuesAreReplacedByTheDefault) {
  QByteArray noTerminator = logFontBytes(defaultCaptionFont());
  std::memset(noTerminator.data() + 28, 'A', 32);
  QByteArray hugeHeight = logFontBytes(defaultCaptionFont());
  hugeHeight.replace(0, 4, QByteArray::fromHex("00000080"));  // INT_MIN
  const std::pair<const char*, QByteArray> cases[] = {
      {"59 bytes", QByteArray(59, '\0')},
      {"61 bytes", logFontBytes(defaultCaptionFont()) + '\0'},
      {"face without its zero", noTerminator},
      {"height beyond any screen", hugeHeight},
  };
  for (const auto& [what, bytes] : cases) {
    lumi::test::PrivateEnvironment env;
    ASSERT_TRUE(Key::create(Root::CurrentUser, kFontKey).writeBinary("LogFont", bytes));
    CaptionLogFont font(kPlayerKey);
    EXPECT_FALSE(font.load()) << what;
    EXPECT_EQ(font.font().lfHeight, -37) << what;
    EXPECT_EQ(storedFont(), logFontBytes(defaultCaptionFont())) << what;
  }
  // A value of another type counts as missing.
  lumi::test::PrivateEnvironment env;
  ASSERT_TRUE(Key::create(Root::CurrentUser, kFontKey).writeDWord("LogFont", 5));
  CaptionLogFont font(kPlayerKey);
  EXPECT_FALSE(font.load());
  EXPECT_EQ(storedFont().size(), 60);
}

TEST(CaptionLogFont, SizeCommandsStopAtTheirLimits) {
  struct Case {
    int from;
    bool up;
    int to;
  };
  const Case cases[] = {
      {-37, true, -39},  {-69, true, -71}, {-70, true, -70}, {-71, true, -71},
      {-37, false, -35}, {-21, false, -19}, {-20, false, -20}, {-19, false, -19},
  };
  for (const Case& c : cases) {
    lumi::test::PrivateEnvironment env;
    CaptionLogFont font(kPlayerKey);
    font.load();
    LOGFONTA start = font.font();
    start.lfHeight = c.from;
    start.lfWidth = 12;
    font.setFont(start);
    const bool changed = c.up ? font.sizeUp() : font.sizeDown();
    EXPECT_EQ(changed, c.from != c.to) << c.from << (c.up ? " up" : " down");
    EXPECT_EQ(font.font().lfHeight, c.to) << c.from;
    if (changed) {
      EXPECT_EQ(font.font().lfWidth, 0);
    }
    // What the commands did is stored, still 60 bytes.
    const QByteArray bytes = storedFont();
    ASSERT_EQ(bytes.size(), 60);
    EXPECT_EQ(logFontFromBytes(bytes)->lfHeight, c.to);
  }
}

TEST(CaptionLogFont, FontDialogChoiceIsAlwaysAntialiased) {
  lumi::test::PrivateEnvironment env;
  CaptionLogFont font(kPlayerKey);
  font.load();
  LOGFONTA chosen = font.font();
  chosen.lfQuality = 3;
  std::memset(chosen.lfFaceName, 'B', sizeof chosen.lfFaceName);  // a name filling the field
  font.setFont(chosen);
  EXPECT_EQ(font.font().lfQuality, 4);
  CaptionLogFont reread(kPlayerKey);
  EXPECT_TRUE(reread.load());  // still a readable value
  EXPECT_EQ(std::string(reread.font().lfFaceName), std::string(31, 'B'));
}

// Multiplied before divided: a 480-line movie on a 768-line monitor keeps its
// caption (dividing first gives 480 / 768 = 0 and no caption at all).
TEST(CaptionLogFont, FilterFontScalesToTheMovie) {
  struct Case {
    int lfHeight, videoHeight, monitorHeight, expected;
  };
  const Case cases[] = {
      {-37, 480, 768, -30},    // trunc(-48.1) = -48; -48 * 480 / 768
      {-37, 240, 768, -15},
      {-37, 1080, 1080, -48},
      {-37, 1080, 720, -72},   // a movie taller than the monitor: larger
      {-70, 576, 600, -87},    // trunc(-91) * 576 / 600 = -87.36
      {-20, 120, 1080, -2},    // -26 * 120 / 1080 = -2.9
      {-37, 480, 0, -48},      // no monitor height: not scaled
  };
  for (const Case& c : cases) {
    LOGFONTA font = defaultCaptionFont();
    font.lfHeight = c.lfHeight;
    const LOGFONTA forFilter = filterFontFor(font, c.videoHeight, c.monitorHeight);
    EXPECT_EQ(forFilter.lfHeight, c.expected) << c.lfHeight << " " << c.videoHeight << "/" << c.monitorHeight;
    EXPECT_EQ(forFilter.lfWeight, 700);
    EXPECT_STREQ(forFilter.lfFaceName, font.lfFaceName);
  }
}

}  // namespace

namespace {

// The font the caption bar paints with and the font dialog's choice.
TEST(CaptionQtFont, BetweenTheStoredFontAndQt) {
  const QFont shown = qFontFromLogFont(defaultCaptionFont());
  EXPECT_EQ(shown.family(), "굴림");
  EXPECT_EQ(shown.pixelSize(), 37);
  EXPECT_EQ(shown.weight(), QFont::Normal);
  EXPECT_EQ(shown.styleStrategy() & QFont::NoAntialias, 0);
  const LOGFONTA back = logFontFromQFont(shown, defaultCaptionFont());
  EXPECT_EQ(logFontBytes(back), logFontBytes(defaultCaptionFont()));

  LOGFONTA windows = defaultCaptionFont();
  std::memset(windows.lfFaceName, 0, sizeof windows.lfFaceName);
  std::memcpy(windows.lfFaceName, "\xB1\xBC\xB8\xB2", 4);  // "굴림" in CP949
  windows.lfQuality = 3;
  windows.lfItalic = 1;
  windows.lfWeight = 700;
  windows.lfHeight = 50;  // a cell height
  const QFont fromWindows = qFontFromLogFont(windows);
  EXPECT_EQ(fromWindows.family(), "굴림");
  EXPECT_EQ(fromWindows.pixelSize(), 40);
  EXPECT_TRUE(fromWindows.italic());
  EXPECT_EQ(fromWindows.weight(), QFont::Bold);
  EXPECT_NE(fromWindows.styleStrategy() & QFont::NoAntialias, 0);

  // A dialog's choice in points, with a face longer than the field.
  QFont chosen(QString(20, QChar(0xD55C)));  // 20 × "한": 60 bytes of UTF-8
  chosen.setPointSize(24);
  chosen.setUnderline(true);
  const LOGFONTA stored = logFontFromQFont(chosen, defaultCaptionFont());
  EXPECT_EQ(stored.lfHeight, -32);
  EXPECT_EQ(stored.lfUnderline, 1);
  EXPECT_EQ(std::string(stored.lfFaceName), QString(10, QChar(0xD55C)).toStdString());  // 30 bytes, whole characters
  EXPECT_TRUE(logFontFromBytes(logFontBytes(stored)).has_value());
}

}  // namespace
