// The player's bitmap over the picture, and the BGRA-to-overlay conversion.
#include <gtest/gtest.h>

#include <random>

#include "filter/core/FrameComposer.h"
#include "filter/core/FrameCopy.h"
#include "filter/core/OverlayBlend.h"
#include "tests/filter/TestFrames.h"

using namespace lumi::caption;
using lumi::caption::test::Frame;

TEST(OverlayBlend, VectorBlendMatchesTheScalarOneExactly) {
  std::mt19937 rng(42);
  for (int pairs = 0; pairs <= 37; ++pairs) {
    std::vector<std::uint8_t> video(4 * std::size_t(pairs) + 1), bitmap(8 * std::size_t(pairs) + 1);
    for (int round = 0; round < 20; ++round) {
      for (auto& b : video) b = std::uint8_t(rng());
      for (std::size_t i = 0; i < bitmap.size(); ++i) {
        // Alpha bytes favour the edges, where the special cases are.
        const int pick = int(rng() % 4);
        bitmap[i] = i % 4 == 3 && pick < 2 ? (pick ? 0xFF : 0xFE) : std::uint8_t(rng());
      }
      std::vector<std::uint8_t> a(video.size()), b(video.size());
      blendYuy2(video.data(), bitmap.data(), a.data(), pairs);
      blendYuy2Scalar(video.data(), bitmap.data(), b.data(), pairs);
      ASSERT_EQ(a, b) << pairs << " pairs, round " << round;
    }
  }
}

TEST(OverlayBlend, Yuy2PairCases) {
  struct Case {
    const char* what;
    std::uint8_t video[4];   // Y0 U Y1 V
    std::uint8_t bitmap[8];  // U Y0 - A0 V Y1 - A1
    std::uint8_t expected[4];
  };
  const Case cases[] = {
      {"transparent pair keeps the video", {200, 90, 201, 160}, {128, 16, 0, 0xFF, 128, 16, 0, 0xFF}, {200, 90, 201, 160}},
      {"opaque pair shows the bitmap alone", {200, 90, 201, 160}, {100, 50, 0, 0, 150, 60, 0, 0}, {50, 100, 60, 150}},
      // a = (0xFF + 0xFD) / 2 = 254: still blended, chroma weight 127.
      {"nearly transparent", {216, 228, 16, 28}, {128, 16, 0, 0xFF, 128, 16, 0, 0xFD}, {214, 227, 16, 28}},
      // Half: weight 64 -> half of (video - base) added to the bitmap.
      {"half", {116, 228, 16, 128}, {28, 66, 0, 0x80, 128, 16, 0, 0x80}, {116, 78, 16, 128}},
      {"saturates at 255", {255, 255, 255, 255}, {250, 250, 0, 0x80, 250, 250, 0, 0x80}, {255, 255, 255, 255}},
      {"saturates at 0", {0, 0, 0, 0}, {0, 0, 0, 0xC0, 0, 0, 0, 0xC0}, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    std::uint8_t out[4];
    blendYuy2Scalar(c.video, c.bitmap, out, 1);
    EXPECT_EQ(std::vector<std::uint8_t>(out, out + 4), std::vector<std::uint8_t>(c.expected, c.expected + 4)) << c.what;
  }
}

TEST(OverlayBlend, RgbCases) {
  struct Case {
    PixelFormat f;
    std::vector<std::uint8_t> video, bitmap, expected;
  };
  const Case cases[] = {
      {PixelFormat::RGB32, {10, 20, 30, 0x44}, {1, 2, 3, 0xFF}, {10, 20, 30, 0x44}},
      {PixelFormat::RGB32, {10, 20, 30, 0x44}, {1, 2, 3, 0}, {1, 2, 3, 0x44}},
      {PixelFormat::RGB32, {200, 100, 0, 0}, {10, 20, 30, 0x80}, {110, 70, 30, 0}},
      {PixelFormat::RGB24, {200, 100, 0}, {10, 20, 30, 0x80}, {110, 70, 30}},
      // Not premultiplied: the sum stops at the top instead of wrapping round.
      {PixelFormat::RGB24, {255, 255, 255}, {255, 255, 255, 0x80}, {255, 255, 255}},
      // RGB565 white video, bitmap (B 0x08, G 0x10, R 0x20) at half: 1+15, 4+31, 4+15.
      {PixelFormat::RGB565, {0xFF, 0xFF}, {0x08, 0x10, 0x20, 0x80}, {0x70, 0x9C}},
      // RGB555 keeps its top bit; 31 + 31/2 stops at 31.
      {PixelFormat::RGB555, {0xFF, 0xFF}, {0xF8, 0xF8, 0xF8, 0x80}, {0xFF, 0xFF}},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> out(c.video.size());
    blendRow(c.f, c.video.data(), c.bitmap.data(), 1, out.data(), 0, 1);
    EXPECT_EQ(out, c.expected) << formatName(c.f);
  }
}

TEST(OverlayBlend, BgraConversion) {
  // B G R A per pixel; two pixels make a pair.
  std::vector<std::uint8_t> px = {
      255, 255, 255, 0,    255, 255, 255, 0,     // white pair
      0,   0,   255, 0,    0,   0,   255, 0,     // red pair
      9,   9,   9,   0xFF, 7,   7,   7,   0xFF,  // fully transparent pair
      0,   0,   0,   0x80, 9,   9,   9,   0xFF,  // one transparent pixel is still converted
      255, 255, 255, 0};                         // lone last pixel: V in its spare byte
  convertBgraToOverlay(px.data(), 9, 1, std::ptrdiff_t(px.size()));
  const std::vector<std::uint8_t> expected = {
      128, 235, 255, 0,    128, 235, 255, 0,
      91,  81,  255, 0,    240, 81,  255, 0,
      128, 16,  9,   0xFF, 128, 16,  7,   0xFF,
      128, 16,  0,   0x80, 128, 24,  9,   0xFF,
      128, 235, 128, 0};
  EXPECT_EQ(px, expected);
}

TEST(OverlayBlend, FramesBlendOnlyWhatFits) {
  const int w = 9, h = 4;
  std::vector<std::uint8_t> bgra(std::size_t(w) * h * 4);
  for (int i = 0; i < w * h; ++i) {
    bgra[4 * i + 0] = 255, bgra[4 * i + 1] = 255, bgra[4 * i + 2] = 255;
    bgra[4 * i + 3] = i % w < 4 ? 0 : 0xFF;  // left part opaque white
  }
  convertBgraToOverlay(bgra.data(), w, h, w * 4);
  CaptionSettings settings;
  settings.setOverlayBitmap(bgra.data(), w, h, w * 4);
  FrameComposer composer;

  Frame in(PixelFormat::YUY2, w, h), out(PixelFormat::YUY2, w, h);
  in.fill(0x40);
  composer.compose(in.picture(), out.picture(), *settings.snapshot());
  EXPECT_EQ(out.rowBytes(0, 0),
            (std::vector<std::uint8_t>{235, 128, 235, 128, 235, 128, 235, 128, 0x40, 0x40, 0x40, 0x40, 0x40, 0x40,
                                       0x40, 0x40, 0x40, 0x40, 0x40, 0x40}));
  EXPECT_TRUE(out.guardIntact());

  // YV12 output ignores the bitmap; so does a frame of another size.
  Frame yIn(PixelFormat::YV12, w, h), yOut(PixelFormat::YV12, w, h);
  yIn.fillRandom(5);
  composer.compose(yIn.picture(), yOut.picture(), *settings.snapshot());
  EXPECT_EQ(yOut.pictureBytes(), yIn.pictureBytes());
  Frame big(PixelFormat::YUY2, w + 2, h), bigOut(PixelFormat::YUY2, w + 2, h);
  big.fillRandom(6);
  composer.compose(big.picture(), bigOut.picture(), *settings.snapshot());
  EXPECT_EQ(bigOut.pictureBytes(), big.pictureBytes());

  // Border rows show the bitmap over black, side borders stay black.
  Frame small(PixelFormat::YUY2, 4, 2), framed(PixelFormat::YUY2, w + 3, h + 2);
  small.fill(0x40);
  std::vector<std::uint8_t> bg2(std::size_t(w + 3) * (h + 2) * 4, 0);
  for (std::size_t i = 3; i < bg2.size(); i += 4) bg2[i] = 0xFF;
  bg2[3] = 0;  // one opaque black pixel (U 0, Y 0) in the top border row
  settings.setOverlayBitmap(bg2.data(), w + 3, h + 2, (w + 3) * 4);
  composer.compose(small.picture(), framed.picture(), *settings.snapshot());
  EXPECT_EQ(framed.rowBytes(0, 0)[0], 0);    // Y0 from the bitmap
  EXPECT_EQ(framed.rowBytes(0, 0)[4], 0x10);  // black elsewhere
  EXPECT_EQ(framed.rowBytes(0, 2)[0], 0x10);  // left border of a picture row
  EXPECT_EQ(framed.rowBytes(0, 2)[8], 0x40);  // the picture
  EXPECT_TRUE(framed.guardIntact());

  // A bitmap that cannot be one stops the blending.
  settings.setOverlayBitmap(bgra.data(), w, h, 3);
  EXPECT_EQ(settings.snapshot()->overlayBitmap, nullptr);
}
