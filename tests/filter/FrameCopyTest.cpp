// Picture copy, borders, row order and black frames.
#include <gtest/gtest.h>

#include "filter/core/FrameComposer.h"
#include "filter/core/FrameCopy.h"
#include "tests/filter/TestFrames.h"

using namespace lumi::caption;
using lumi::caption::test::Frame;

namespace {
void copyAny(const Picture& in, const Picture& out) {
  if (out.format == PixelFormat::YV12) copyYV12(in, out);
  else copyPacked(in, out);
}
}  // namespace

// Without caption or bitmap every format comes out byte for byte, odd and
// degenerate sizes included, and nothing is written past the frame.
TEST(FrameCopy, EmptyCaptionKeepsEveryFormatByteForByte) {
  const int sizes[][2] = {{720, 480}, {7, 5}, {1, 1}, {2, 1}, {33, 17}, {0, 0}, {0, 4}, {6, 0}};
  FrameComposer composer;
  CaptionState noCaption;
  for (PixelFormat f : kAllPixelFormats)
    for (auto [w, h] : sizes) {
      Frame in(f, w, h), out(f, w, h);
      in.fillRandom(unsigned(w * 31 + h));
      out.fill(0x5A);
      composer.start(w, h);
      composer.compose(in.picture(), out.picture(), noCaption);
      EXPECT_EQ(out.pictureBytes(), in.pictureBytes()) << formatName(f) << " " << w << "x" << h;
      EXPECT_TRUE(out.guardIntact()) << formatName(f) << " " << w << "x" << h;
    }
}

TEST(FrameCopy, LargerOutputCentresThePictureOnBlack) {
  // YUY2 4x2 into 10x4: left border ((10 - 4) / 4) * 2 = 2 pixels, top 1 row.
  Frame in(PixelFormat::YUY2, 4, 2), out(PixelFormat::YUY2, 10, 4);
  in.fill(0x77);
  copyPacked(in.picture(), out.picture());
  const std::vector<std::uint8_t> black = {0x10, 0x80, 0x10, 0x80};
  auto expectRow = [&](int y, const std::vector<std::uint8_t>& pairs) {
    EXPECT_EQ(out.rowBytes(0, y), pairs) << "row " << y;
  };
  std::vector<std::uint8_t> borderRow, pictureRow;
  for (int i = 0; i < 5; ++i) borderRow.insert(borderRow.end(), black.begin(), black.end());
  pictureRow = black;
  pictureRow.insert(pictureRow.end(), 8, 0x77);
  for (int i = 0; i < 2; ++i) pictureRow.insert(pictureRow.end(), black.begin(), black.end());
  expectRow(0, borderRow);
  expectRow(1, pictureRow);
  expectRow(2, pictureRow);
  expectRow(3, borderRow);

  // RGB borders are 0; YV12 borders 16 and 128 with halved chroma offsets.
  Frame rgbIn(PixelFormat::RGB24, 2, 2), rgbOut(PixelFormat::RGB24, 6, 2);
  rgbIn.fill(0xEE);
  copyPacked(rgbIn.picture(), rgbOut.picture());
  EXPECT_EQ(rgbOut.rowBytes(0, 0), (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE,
                                                              0, 0, 0, 0, 0, 0}));
  Frame yIn(PixelFormat::YV12, 4, 4), yOut(PixelFormat::YV12, 8, 8);
  yIn.fill(0x55);
  copyYV12(yIn.picture(), yOut.picture());
  EXPECT_EQ(yOut.rowBytes(0, 0), std::vector<std::uint8_t>(8, 16));
  EXPECT_EQ(yOut.rowBytes(0, 2), (std::vector<std::uint8_t>{16, 16, 0x55, 0x55, 0x55, 0x55, 16, 16}));
  EXPECT_EQ(yOut.rowBytes(1, 0), std::vector<std::uint8_t>(4, 128));
  EXPECT_EQ(yOut.rowBytes(1, 1), (std::vector<std::uint8_t>{128, 0x55, 0x55, 128}));
  EXPECT_EQ(yOut.rowBytes(2, 2), (std::vector<std::uint8_t>{128, 0x55, 0x55, 128}));
  EXPECT_EQ(yOut.rowBytes(2, 3), std::vector<std::uint8_t>(4, 128));
}

TEST(FrameCopy, SmallerOutputKeepsTheMiddleAndStaysInside) {
  for (PixelFormat f : kAllPixelFormats) {
    Frame in(f, 16, 12), out(f, 8, 6);
    in.fillRandom(7);
    copyAny(in.picture(), out.picture());
    EXPECT_TRUE(out.guardIntact()) << formatName(f);
    // The output's first row is input row 3; YUY2 drops whole pairs on the left.
    const auto want = in.rowBytes(0, 3);
    const auto got = out.rowBytes(0, 0);
    const std::size_t droppedBytes = 4 * std::size_t(bytesPerPixel(f));  // four pixels on the left
    EXPECT_TRUE(std::equal(got.begin(), got.end(), want.begin() + std::ptrdiff_t(droppedBytes))) << formatName(f);
  }
}

TEST(FrameCopy, RowsAreReversedOnlyBetweenOppositeRowOrders) {
  struct Case {
    bool inBottomUp, outBottomUp;
  };
  for (Case c : {Case{true, false}, Case{false, true}, Case{true, true}, Case{false, false}}) {
    Frame in(PixelFormat::RGB32, 3, 4, c.inBottomUp), out(PixelFormat::RGB32, 3, 4, c.outBottomUp);
    for (int y = 0; y < 4; ++y) std::fill_n(in.picture().row(0, y), 12, std::uint8_t(y + 1));
    copyPacked(in.picture(), out.picture());
    // Display rows match whatever the storage order: row 0 is always the top.
    for (int y = 0; y < 4; ++y) EXPECT_EQ(out.picture().row(0, y)[0], y + 1);
    const bool stored = out.data()[0] == (c.inBottomUp == c.outBottomUp ? in.data()[0] : in.data()[12 * 3]);
    EXPECT_TRUE(stored) << c.inBottomUp << c.outBottomUp;
  }
}

TEST(FrameCopy, BlackFrames) {
  struct Case {
    PixelFormat f;
    std::vector<std::uint8_t> firstBytes;
  };
  const Case cases[] = {{PixelFormat::YUY2, {0x10, 0x80, 0x10, 0x80}}, {PixelFormat::RGB555, {0, 0, 0, 0}},
                        {PixelFormat::RGB565, {0, 0, 0, 0}},           {PixelFormat::RGB24, {0, 0, 0, 0}},
                        {PixelFormat::RGB32, {0, 0, 0, 0}},            {PixelFormat::ARGB32, {0, 0, 0, 0xFF}}};
  for (const Case& c : cases) {
    Frame out(c.f, 5, 3);
    out.fill(0x33);
    fillBlack(out.picture());
    for (int y = 0; y < 3; ++y) {
      const auto row = out.rowBytes(0, y);
      for (std::size_t i = 0; i < row.size(); ++i) ASSERT_EQ(row[i], c.firstBytes[i % 4]) << formatName(c.f) << i;
    }
    EXPECT_TRUE(out.guardIntact());
  }
  Frame yv12(PixelFormat::YV12, 5, 3);
  yv12.fill(0x33);
  fillBlack(yv12.picture());
  for (int p = 0; p < 3; ++p)
    for (int y = 0; y < yv12.picture().planeHeight(p); ++y)
      EXPECT_EQ(yv12.rowBytes(p, y), std::vector<std::uint8_t>(std::size_t(yv12.picture().planeWidth(p)), p ? 128 : 16));
  EXPECT_TRUE(yv12.guardIntact());

  // Pixel formats that differ are never copied into each other.
  Frame in(PixelFormat::RGB32, 4, 4), out(PixelFormat::YUY2, 4, 4);
  in.fillRandom(3);
  FrameComposer composer;
  composer.compose(in.picture(), out.picture(), CaptionState{});
  EXPECT_EQ(out.rowBytes(0, 0), (std::vector<std::uint8_t>{0x10, 0x80, 0x10, 0x80, 0x10, 0x80, 0x10, 0x80}));
}
