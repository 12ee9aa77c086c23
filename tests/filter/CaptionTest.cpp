// Caption surface conversion, placement, text layout and fonts.
#include <gtest/gtest.h>

#include <glib.h>

#include <climits>
#include <cstring>

#include "filter/core/CaptionText.h"
#include "filter/core/FontFaces.h"
#include "filter/core/FrameComposer.h"
#include "tests/filter/TestFrames.h"

using namespace lumi::caption;
using lumi::caption::test::Frame;

TEST(CaptionStamp, OpaquePixelsInEveryFormat) {
  CaptionSurface surface;
  surface.reset(4, 1);
  surface.row(0)[1] = 0x00FFFFFF;  // white
  surface.row(0)[2] = 0x00FF0000;  // red
  surface.row(0)[3] = 0x00808080;  // grey
  struct Case {
    PixelFormat f;
    std::vector<std::uint8_t> row;  // display row 0 after stamping over 0x11 bytes
  };
  const Case cases[] = {
      {PixelFormat::YUY2, {0x11, 0x11, 235, 128, 81, 128, 126, 128}},
      {PixelFormat::RGB555, {0x11, 0x11, 0xFF, 0x7F, 0x00, 0x7C, 0x10, 0x42}},
      {PixelFormat::RGB565, {0x11, 0x11, 0xFF, 0xFF, 0x00, 0xF8, 0x10, 0x84}},
      {PixelFormat::RGB24, {0x11, 0x11, 0x11, 255, 255, 255, 0, 0, 255, 128, 128, 128}},
      {PixelFormat::RGB32, {0x11, 0x11, 0x11, 0x11, 255, 255, 255, 0, 0, 0, 255, 0, 128, 128, 128, 0}},
      {PixelFormat::ARGB32, {0x11, 0x11, 0x11, 0x11, 255, 255, 255, 255, 0, 0, 255, 255, 128, 128, 128, 255}},
  };
  for (const Case& c : cases)
    for (bool bottomUp : {false, true}) {
      Frame out(c.f, 4, 3, bottomUp);
      out.fill(0x11);
      CaptionStamp stamp;
      stamp.build(surface, {0, 0, 4, 1}, c.f);
      stamp.apply(out.picture());
      EXPECT_EQ(out.rowBytes(0, 0), c.row) << formatName(c.f) << (bottomUp ? " bottom-up" : "");
      EXPECT_EQ(out.rowBytes(0, 1), std::vector<std::uint8_t>(c.row.size(), 0x11));
    }
  // YV12: luma only, the chroma planes keep the picture's colour.
  Frame yv12(PixelFormat::YV12, 4, 2);
  yv12.fill(0x11);
  CaptionStamp stamp;
  stamp.build(surface, {0, 0, 4, 1}, PixelFormat::YV12);
  stamp.apply(yv12.picture());
  EXPECT_EQ(yv12.rowBytes(0, 0), (std::vector<std::uint8_t>{0x11, 235, 81, 126}));
  EXPECT_EQ(yv12.rowBytes(1, 0), std::vector<std::uint8_t>(2, 0x11));
  EXPECT_EQ(yv12.rowBytes(2, 0), std::vector<std::uint8_t>(2, 0x11));
}

TEST(CaptionLayout, Placement) {
  struct Case {
    int tw, th, W, H, position;
    PixelRect expected;
  };
  const Case cases[] = {
      {100, 40, 720, 480, 0, {320, 10, 420, 50}},      // top 10 below the edge, 10 right of centre
      {100, 40, 720, 480, 100, {320, 440, 420, 480}},  // bottom on the bottom edge
      {100, 40, 720, 480, 50, {320, 225, 420, 265}},
      {101, 41, 720, 480, 75, {319, 331, 420, 372}},
      {800, 40, 720, 480, 100, {15, 440, 725, 480}},   // wider: clipped to the surface, then centred
      {100, 600, 720, 480, 0, {320, 10, 420, 480}},    // taller: clipped to the surface
      {100, 40, 720, 480, -20, {320, -76, 420, -36}},  // not clamped
      {100, 40, 720, 480, 300, {320, 1300, 420, 1340}},
      {100, 40, 8, 8, 50, {}},                          // no room at all
      {0, 40, 720, 480, 50, {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(placeCaption(c.tw, c.th, c.W, c.H, c.position), c.expected) << c.tw << "x" << c.th << " @" << c.position;
  // Any int is safe.
  EXPECT_GT(placeCaption(100, 40, 720, 480, INT_MAX).top, 480);
  EXPECT_LT(placeCaption(100, 40, 720, 480, INT_MIN).bottom, 0);
  EXPECT_EQ(captionWrapWidth(720), 700);
}

namespace {

CaptionState captionState(const char* text, int position, LOGFONTA font = defaultCaptionLogFont()) {
  CaptionState s;
  s.captionText = text;
  s.captionPosition = position;
  s.captionFont = std::make_shared<CaptionFont>(captionFontFrom(font));
  return s;
}

// Rows and columns where out differs from in (plane 0 bytes).
PixelRect changedArea(const Frame& in, const Frame& out) {
  PixelRect r{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  const Picture& p = in.picture();
  const int bpp = p.format == PixelFormat::YV12 ? 1 : bytesPerPixel(p.format);
  for (int y = 0; y < p.height; ++y) {
    const auto a = in.rowBytes(0, y), b = out.rowBytes(0, y);
    for (std::size_t i = 0; i < a.size(); ++i)
      if (a[i] != b[i]) {
        const int x = int(i) / bpp;
        r = {std::min(r.left, x), std::min(r.top, y), std::max(r.right, x + 1), std::max(r.bottom, y + 1)};
      }
  }
  return r.left == INT_MAX ? PixelRect{} : r;
}

}  // namespace

TEST(CaptionDrawing, PositionPlacesTheBlock) {
  const int W = 320, H = 240;
  FrameComposer composer;
  composer.start(W, H);
  for (int position : {0, 100}) {
    Frame in(PixelFormat::YUY2, W, H), out(PixelFormat::YUY2, W, H);
    in.fill(0x10);
    composer.compose(in.picture(), out.picture(), captionState("Caption gy", position));
    const PixelRect block = composer.captionRect();
    ASSERT_FALSE(block.empty());
    const int centredLeft = (W - block.width()) / 2;
    EXPECT_EQ(block.left, centredLeft + 10);
    if (position == 0) EXPECT_EQ(block.top, 10);
    else EXPECT_EQ(block.bottom, H);
    const PixelRect ink = changedArea(in, out);
    ASSERT_FALSE(ink.empty()) << position;
    // The outline may reach one pixel beyond the block, never further.
    EXPECT_GE(ink.top, block.top - 1);
    EXPECT_LE(ink.bottom, block.bottom + 1);
    EXPECT_GE(ink.left, block.left - 1);
    EXPECT_LE(ink.right, block.right + 1);
  }
  // Places off the picture draw nothing there and write nothing outside it.
  for (int position : {-500, 250, INT_MAX, INT_MIN}) {
    Frame in(PixelFormat::RGB24, W, H, true), out(PixelFormat::RGB24, W, H, true);
    in.fillRandom(1);
    composer.compose(in.picture(), out.picture(), captionState("Off the picture", position));
    EXPECT_TRUE(out.guardIntact()) << position;
  }
}

TEST(CaptionDrawing, WhiteCaptionsKeepYV12ChromaAndAreNeutralInYUY2) {
  const int W = 200, H = 100;
  FrameComposer composer;
  composer.start(W, H);
  const CaptionState caption = captionState("HHHH", 50);

  Frame yIn(PixelFormat::YV12, W, H), yOut(PixelFormat::YV12, W, H);
  yIn.fillRandom(9);
  composer.compose(yIn.picture(), yOut.picture(), caption);
  for (int p = 1; p < 3; ++p)
    for (int y = 0; y < yIn.picture().planeHeight(p); ++y) ASSERT_EQ(yOut.rowBytes(p, y), yIn.rowBytes(p, y));
  EXPECT_FALSE(changedArea(yIn, yOut).empty());

  Frame in(PixelFormat::YUY2, W, H), out(PixelFormat::YUY2, W, H);
  in.fillRandom(10);
  composer.compose(in.picture(), out.picture(), caption);
  int white = 0, changed = 0;
  for (int y = 0; y < H; ++y) {
    const auto a = in.rowBytes(0, y), b = out.rowBytes(0, y);
    for (int x = 0; x < W; ++x) {
      if (a[2 * x] == b[2 * x] && a[2 * x + 1] == b[2 * x + 1]) continue;
      ++changed;
      EXPECT_EQ(b[2 * x + 1], 128) << x << "," << y;
      white += b[2 * x] == 235;
    }
  }
  EXPECT_GT(changed, 50);
  EXPECT_GT(white, 10);

  // Taking the caption away leaves nothing behind.
  composer.compose(in.picture(), out.picture(), CaptionState{});
  EXPECT_EQ(out.pictureBytes(), in.pictureBytes());
}

TEST(CaptionText, DrawTextBehaviour) {
  CaptionText text;
  text.setFont(captionFontFrom(defaultCaptionLogFont()));
  const PictureSize one = text.measure("Line", 1000);
  ASSERT_GT(one.height, 0);
  EXPECT_EQ(text.lineCount(), 1);

  // Word break: lines no wider than the wrap width, broken between words.
  const PictureSize wrapped = text.measure("one two three four five six seven", 120);
  EXPECT_LE(wrapped.width, 120);
  EXPECT_GE(text.lineCount(), 3);
  // A word that alone is too wide is broken rather than cut off.
  const PictureSize longWord = text.measure("Supercalifragilisticexpialidocious", 100);
  EXPECT_LE(longWord.width, 100);
  EXPECT_GE(text.lineCount(), 2);

  // Line breaks and external leading: each extra line adds a full line height.
  const PictureSize two = text.measure("Line\r\nLine", 1000);
  EXPECT_EQ(text.lineCount(), 2);
  EXPECT_GE(two.height, 2 * one.height);
  EXPECT_LE(two.height, 2 * one.height + one.height / 2);

  // No prefix: "&" is drawn as itself, "&&" as two.
  const int amp = text.measure("&", 1000).width;
  EXPECT_GT(amp, 0);
  EXPECT_GT(text.measure("A&B", 1000).width, text.measure("AB", 1000).width);
  EXPECT_NEAR(text.measure("&&", 1000).width, 2 * amp, 1);

  // Centring: a short line sits in the middle of the block.
  const PictureSize block = text.measure("WWWWWWWWWW\nI", 1000);
  CaptionSurface surface;
  surface.reset(400, 200);
  const PixelRect rect{50, 20, 50 + block.width, 20 + block.height};
  text.drawOutlined(surface, rect);
  int lo = INT_MAX, hi = INT_MIN;
  for (int y = 20 + block.height / 2 + 2; y < rect.bottom; ++y)
    for (int x = 0; x < 400; ++x)
      if (CaptionSurface::isOpaque(surface.pixel(x, y))) lo = std::min(lo, x), hi = std::max(hi, x);
  ASSERT_LE(lo, hi);
  EXPECT_NEAR((lo + hi) / 2.0, rect.left + block.width / 2.0, 2.0);
  // Drawn pixels: white core, black outline, nothing with partial transparency.
  bool sawWhite = false, sawBlack = false;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 400; ++x) {
      const std::uint32_t p = surface.pixel(x, y);
      if (!CaptionSurface::isOpaque(p)) continue;
      ASSERT_EQ(p >> 24, 0u);
      sawWhite |= p == 0x00FFFFFF;
      sawBlack |= p == 0;
    }
  EXPECT_TRUE(sawWhite);
  EXPECT_TRUE(sawBlack);
}

TEST(CaptionFonts, FacesMapToInstalledFontsAndKoreanRenders) {
  EXPECT_EQ(installedFamiliesFor("굴림"), "NanumGothic,NanumGothic,DejaVu Sans");
  EXPECT_EQ(installedFamiliesFor("arial"), "DejaVu Sans,NanumGothic,DejaVu Sans");
  EXPECT_EQ(installedFamiliesFor(""), "NanumGothic,DejaVu Sans");
  EXPECT_EQ(installedFamiliesFor("Odd,Name"), "Odd Name,NanumGothic,DejaVu Sans");

  CaptionText text;
  for (const char* face : {"굴림", "HY견고딕", "HY울릉도M", "Arial", "No Such Face"}) {
    LOGFONTA lf = defaultCaptionLogFont();
    std::memset(lf.lfFaceName, 0, sizeof lf.lfFaceName);
    std::strncpy(lf.lfFaceName, face, sizeof lf.lfFaceName - 1);
    text.setFont(captionFontFrom(lf));
    text.measure("안녕하세요 자막입니다", 1000);
    EXPECT_EQ(text.unknownGlyphs(), 0) << face;
    EXPECT_EQ(text.usedFamily().rfind("Nanum", 0), 0u) << face << ": " << text.usedFamily();
  }
}

TEST(CaptionFonts, LogFontDescriptions) {
  const LOGFONTA def = defaultCaptionLogFont();
  EXPECT_EQ(def.lfHeight, -20);
  EXPECT_EQ(def.lfWeight, 0);
  EXPECT_EQ(def.lfCharSet, 1);
  EXPECT_EQ(def.lfOutPrecision, 2);
  EXPECT_EQ(def.lfClipPrecision, 0);
  EXPECT_EQ(def.lfQuality, 4);
  EXPECT_EQ(faceNameOf(def), "굴림");
  const CaptionFont font = captionFontFrom(def);
  EXPECT_EQ(font.weight, 400);
  EXPECT_TRUE(font.antialias);

  // A face name filling the field without a terminator stops at the field.
  struct {
    LOGFONTA lf;
    char after[8];
  } unterminated;
  std::memset(unterminated.lf.lfFaceName, 'A', sizeof unterminated.lf.lfFaceName);
  std::memset(unterminated.after, 'B', sizeof unterminated.after);
  EXPECT_EQ(faceNameOf(unterminated.lf), std::string(32, 'A'));
  // Names written in CP949 are read as such.
  LOGFONTA cp949{};
  const char gulim[] = {char(0xB1), char(0xBC), char(0xB8), char(0xB2), 0};
  std::memcpy(cp949.lfFaceName, gulim, sizeof gulim);
  EXPECT_EQ(faceNameOf(cp949), "굴림");

  // Heights: negative is the character height, positive the cell height.
  CaptionText text;
  LOGFONTA lf = def;
  lf.lfHeight = -40;
  text.setFont(captionFontFrom(lf));
  EXPECT_EQ(text.emPixels(), 40);
  lf.lfHeight = 40;
  text.setFont(captionFontFrom(lf));
  EXPECT_LT(text.emPixels(), 40);
  EXPECT_GT(text.emPixels(), 25);
  lf.lfHeight = 0;
  text.setFont(captionFontFrom(lf));
  EXPECT_EQ(text.emPixels(), kDefaultEmPixels);
}

TEST(CaptionSettings, TextHandOver) {
  CaptionSettings settings;
  const auto before = settings.snapshot();
  EXPECT_EQ(before->captionPosition, 100);
  EXPECT_TRUE(before->captionText.empty());
  settings.setText("first");
  settings.setText(nullptr);
  EXPECT_TRUE(settings.snapshot()->captionText.empty());
  settings.setText("bad \xFF\xFE bytes");
  EXPECT_TRUE(g_utf8_validate(settings.snapshot()->captionText.c_str(), -1, nullptr));
  settings.setPosition(-7);
  EXPECT_EQ(settings.snapshot()->captionPosition, -7);
  // A state once taken never changes.
  EXPECT_TRUE(before->captionText.empty());
  EXPECT_EQ(before->captionPosition, 100);
}
