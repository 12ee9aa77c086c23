// Output-size rule, type checks and the offered output types.
#include <gtest/gtest.h>

#include "filter/core/OutputSize.h"
#include "filter/core/VideoType.h"

using namespace lumi::caption;
using namespace lumi::com;

TEST(OutputSize, RuleTable) {
  struct Case {
    SizeRuleSettings s;
    int w, h;
    PictureSize expected;
  };
  const Case cases[] = {
      {{}, 720, 480, {720, 480}},                      // the filter's fixed settings: unchanged
      {{}, 7, 3, {7, 3}},
      {{1, 0, 0, 384, 288}, 320, 240, {640, 480}},     // always double
      {{2, 0, 0, 384, 288}, 384, 288, {768, 576}},     // double up to the threshold
      {{2, 0, 0, 384, 288}, 385, 288, {385, 288}},
      {{0, 1, 0, 384, 288}, 640, 240, {640, 360}},     // at least 16:9
      {{0, 1, 0, 384, 288}, 640, 480, {640, 480}},     // already taller
      {{0, 2, 0, 384, 288}, 350, 100, {350, 264}},     // 262 rounded up to 264
      {{0, 3, 0, 384, 288}, 720, 400, {720, 480}},
      {{0, 4, 0, 384, 288}, 720, 480, {720, 576}},
      {{0, 0x83, 0, 384, 288}, 720, 576, {720, 480}},  // forced even when larger
      {{0, 0, 1, 384, 288}, 700, 480, {704, 480}},     // width to a multiple of 32
      {{1, 0x81, 1, 384, 288}, 350, 100, {704, 396}},  // all three steps
  };
  for (const Case& c : cases)
    EXPECT_EQ(outputSize(c.w, c.h, c.s), c.expected) << c.w << "x" << c.h << " aspect " << c.s.aspectMode;
}

namespace {
VideoType typeOf(PixelFormat f, int w, int h, FormatBlock block = FormatBlock::VideoInfo) {
  VideoType t;
  t.subtype = f;
  t.block = block;
  t.bih = makeHeader(f, w, h);
  t.source = {0, 0, w, h};
  t.target = {0, 0, w, h};
  t.avgTimePerFrame = 400000;
  t.sampleSize = t.bih.biSizeImage;
  return t;
}
}  // namespace

TEST(VideoType, InputChecks) {
  for (PixelFormat f : kAllPixelFormats) {
    EXPECT_EQ(checkInputType(typeOf(f, 720, 480)), S_OK) << formatName(f);
    EXPECT_EQ(checkInputType(typeOf(f, 720, 480, FormatBlock::VideoInfo2)), S_OK) << formatName(f);
  }
  VideoType t = typeOf(PixelFormat::YUY2, 720, 480);
  struct Bad {
    const char* what;
    void (*spoil)(VideoType&);
  };
  const Bad bad[] = {
      {"audio", [](VideoType& v) { v.majorVideo = false; }},
      {"unknown subtype", [](VideoType& v) { v.subtype.reset(); }},
      {"no video-info block", [](VideoType& v) { v.block = FormatBlock::None; }},
      {"zero width", [](VideoType& v) { v.bih.biWidth = 0; }},
      {"zero height", [](VideoType& v) { v.bih.biHeight = 0; }},
      {"negative width", [](VideoType& v) { v.bih.biWidth = -720; }},
      {"huge", [](VideoType& v) { v.bih.biWidth = 100000; }},
  };
  for (const Bad& b : bad) {
    VideoType v = t;
    b.spoil(v);
    EXPECT_EQ(checkInputType(v), E_FAIL) << b.what;
  }
}

TEST(VideoType, TransformNeedsTheSamePixelFormatAndRowOrder) {
  const VideoType yuy2 = typeOf(PixelFormat::YUY2, 320, 240);
  EXPECT_EQ(checkTransform(yuy2, yuy2), S_OK);
  EXPECT_EQ(checkTransform(yuy2, typeOf(PixelFormat::YV12, 320, 240)), VFW_E_TYPE_NOT_ACCEPTED);
  EXPECT_EQ(checkTransform(typeOf(PixelFormat::RGB32, 320, 240), yuy2), VFW_E_TYPE_NOT_ACCEPTED);
  EXPECT_EQ(checkTransform(typeOf(PixelFormat::RGB32, 320, -240), typeOf(PixelFormat::RGB32, 320, -240)), S_OK);
  EXPECT_EQ(checkTransform(typeOf(PixelFormat::RGB32, 320, 240), typeOf(PixelFormat::RGB32, 320, -240)),
            VFW_E_TYPE_NOT_ACCEPTED);
  VideoType audio = yuy2;
  audio.majorVideo = false;
  EXPECT_EQ(checkTransform(audio, yuy2), VFW_E_TYPE_NOT_ACCEPTED);
}

TEST(VideoType, OfferedOutputTypesInOrder) {
  VideoType in = typeOf(PixelFormat::RGB24, 640, 360, FormatBlock::VideoInfo2);
  in.pictAspectX = 16;
  in.pictAspectY = 9;
  struct Expected {
    PixelFormat subtype;
    FormatBlock block;
    int bits;
  };
  const Expected expected[] = {{PixelFormat::YUY2, FormatBlock::VideoInfo2, 16},
                               {PixelFormat::YUY2, FormatBlock::VideoInfo, 16},
                               {PixelFormat::YV12, FormatBlock::VideoInfo2, 12},
                               {PixelFormat::YV12, FormatBlock::VideoInfo, 12}};
  for (int pos = 0; pos < 4; ++pos) {
    VideoType out;
    ASSERT_EQ(offeredOutputType(&in, pos, out), S_OK) << pos;
    EXPECT_EQ(out.subtype, expected[pos].subtype) << pos;
    EXPECT_EQ(out.block, expected[pos].block) << pos;
    EXPECT_EQ(out.bih.biBitCount, expected[pos].bits) << pos;
    EXPECT_EQ(out.bih.biWidth, 640);
    EXPECT_EQ(out.bih.biHeight, 360);
    EXPECT_EQ(out.bih.biSizeImage, std::uint32_t(expected[pos].bits * 640 * 360 / 8));
    EXPECT_EQ(out.sampleSize, out.bih.biSizeImage);
    EXPECT_EQ(out.source, in.source);
    EXPECT_EQ(out.target, in.target);
    EXPECT_EQ(out.avgTimePerFrame, in.avgTimePerFrame);
    if (out.block == FormatBlock::VideoInfo2) {
      EXPECT_EQ(out.pictAspectX, 16u);
      EXPECT_EQ(out.pictAspectY, 9u);
    }
  }
  VideoType out;
  EXPECT_EQ(offeredOutputType(&in, 4, out), VFW_S_NO_MORE_ITEMS);
  EXPECT_EQ(offeredOutputType(nullptr, 0, out), E_UNEXPECTED);

  // What the filter produces keeps the pixel format; RGB stays RGB.
  const auto yuy2 = outputTypesFor(typeOf(PixelFormat::YUY2, 720, 480));
  ASSERT_EQ(yuy2.size(), 2u);
  EXPECT_EQ(yuy2[0].block, FormatBlock::VideoInfo);
  EXPECT_EQ(yuy2[1].block, FormatBlock::VideoInfo2);
  const auto rgb = outputTypesFor(typeOf(PixelFormat::RGB565, 720, -480));
  ASSERT_EQ(rgb.size(), 1u);
  EXPECT_EQ(rgb[0].subtype, PixelFormat::RGB565);
  EXPECT_EQ(rgb[0].bih.biHeight, -480);
  EXPECT_DOUBLE_EQ(frameRateOf(yuy2[0]), 25.0);
  VideoType unknownRate = yuy2[0];
  unknownRate.avgTimePerFrame = 0;
  EXPECT_DOUBLE_EQ(frameRateOf(unknownRate), 25.0);
  unknownRate.avgTimePerFrame = 333667;
  EXPECT_NEAR(frameRateOf(unknownRate), 29.97, 0.01);
}
