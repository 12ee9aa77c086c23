// The "captionblend" element from the module file, driven frame by frame and
// in a running pipeline.
#include <gst/app/gstappsink.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <thread>

#include "tests/filter/FilterModule.h"

using namespace lumi::caption::test;
using namespace lumi::com;

namespace {

class Harness {
 public:
  Harness() {
    loadPlugin();
    h_ = gst_harness_new("captionblend");
    blend_ = captionBlendOf(h_->element);
  }
  ~Harness() {
    if (blend_) blend_->Release();
    gst_harness_teardown(h_);
  }
  GstHarness* get() const { return h_; }
  ICaptionBlend* blend() const { return blend_; }

  // Pushes `in` and returns what comes out (owned by the caller).
  GstBuffer* transform(GstBuffer* in) {
    if (gst_harness_push(h_, in) != GST_FLOW_OK) return nullptr;
    return gst_harness_pull(h_);
  }
  GstCaps* outputCaps() const { return gst_pad_get_current_caps(h_->sinkpad); }

 private:
  GstHarness* h_ = nullptr;
  ICaptionBlend* blend_ = nullptr;
};

const char* const kFormats[] = {"YUY2", "YV12", "I420", "RGB15", "RGB16", "BGR", "BGRx", "BGRA"};

}  // namespace

TEST(Element, LoadsFromTheModuleFile) {
  loadPlugin();
  GstPlugin* plugin = gst_registry_find_plugin(gst_registry_get(), "CaptionBlend");
  ASSERT_NE(plugin, nullptr);
  EXPECT_EQ(std::string(gst_plugin_get_filename(plugin)), modulePath());
  gst_object_unref(plugin);
  GstElementFactory* factory = gst_element_factory_find("captionblend");
  ASSERT_NE(factory, nullptr);
  gst_object_unref(factory);
}

TEST(Element, EveryFormatPassesUnchangedWithoutCaption) {
  for (const char* format : kFormats)
    for (auto [w, h] : {std::pair{64, 48}, std::pair{33, 17}}) {
      Harness harness;
      GstCaps* caps = videoCaps(format, w, h);
      gst_harness_set_src_caps(harness.get(), gst_caps_ref(caps));
      for (unsigned i = 0; i < 2; ++i) {
        GstBuffer* in = makeFrame(caps, i + 1);
        const auto expected = pictureBytes(in, caps);
        GstBuffer* out = harness.transform(in);
        ASSERT_NE(out, nullptr) << format;
        EXPECT_EQ(pictureBytes(out, caps), expected) << format << " " << w << "x" << h;
        gst_buffer_unref(out);
      }
      GstCaps* outCaps = harness.outputCaps();
      EXPECT_TRUE(gst_caps_is_equal(outCaps, caps)) << format;
      gst_caps_unref(outCaps);
      gst_caps_unref(caps);
    }
}

TEST(Element, FormatChangeGivesOneBlackFrame) {
  Harness harness;
  GstCaps* yuy2 = videoCaps("YUY2", 64, 48);
  GstCaps* yv12 = videoCaps("YV12", 32, 24);
  gst_harness_set_src_caps(harness.get(), gst_caps_ref(yuy2));
  GstBuffer* first = harness.transform(makeFrame(yuy2, 1));
  ASSERT_NE(first, nullptr);
  gst_buffer_unref(first);

  gst_harness_set_src_caps(harness.get(), gst_caps_ref(yv12));
  GstBuffer* changed = harness.transform(makeFrame(yv12, 2));
  ASSERT_NE(changed, nullptr);
  const auto black = pictureBytes(changed, yv12);
  ASSERT_EQ(black.size(), 32u * 24 + 2 * 16 * 12);
  EXPECT_TRUE(std::all_of(black.begin(), black.begin() + 32 * 24, [](auto b) { return b == 16; }));
  EXPECT_TRUE(std::all_of(black.begin() + 32 * 24, black.end(), [](auto b) { return b == 128; }));
  gst_buffer_unref(changed);

  GstBuffer* in = makeFrame(yv12, 3);
  const auto expected = pictureBytes(in, yv12);
  GstBuffer* next = harness.transform(in);
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(pictureBytes(next, yv12), expected);
  gst_buffer_unref(next);

  // Caps that repeat the current format change nothing.
  gst_harness_set_src_caps(harness.get(), gst_caps_ref(yv12));
  in = makeFrame(yv12, 4);
  const auto again = pictureBytes(in, yv12);
  next = harness.transform(in);
  EXPECT_EQ(pictureBytes(next, yv12), again);
  gst_buffer_unref(next);
  gst_caps_unref(yuy2);
  gst_caps_unref(yv12);
}

TEST(Element, SwitchBetweenI420AndYV12IsAFormatChange) {
  Harness harness;
  GstCaps* i420 = videoCaps("I420", 32, 24);
  GstCaps* yv12 = videoCaps("YV12", 32, 24);
  gst_harness_set_src_caps(harness.get(), gst_caps_ref(i420));
  GstBuffer* in = makeFrame(i420, 1);
  const auto picture = pictureBytes(in, i420);
  GstBuffer* first = harness.transform(in);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(pictureBytes(first, i420), picture);
  gst_buffer_unref(first);

  gst_harness_set_src_caps(harness.get(), gst_caps_ref(yv12));
  GstBuffer* changed = harness.transform(makeFrame(yv12, 2));
  ASSERT_NE(changed, nullptr);
  const auto black = pictureBytes(changed, yv12);
  EXPECT_TRUE(std::all_of(black.begin(), black.begin() + 32 * 24, [](auto b) { return b == 16; }));
  EXPECT_TRUE(std::all_of(black.begin() + 32 * 24, black.end(), [](auto b) { return b == 128; }));
  gst_buffer_unref(changed);
  gst_caps_unref(i420);
  gst_caps_unref(yv12);
}

namespace {

// The same picture as I420: Y, then U and V in the other stored order.
GstBuffer* asI420(GstBuffer* yv12Buffer, GstCaps* yv12, GstCaps* i420) {
  GstVideoInfo from, to;
  gst_video_info_from_caps(&from, yv12);
  gst_video_info_from_caps(&to, i420);
  GstBuffer* result = gst_buffer_new_allocate(nullptr, GST_VIDEO_INFO_SIZE(&to), nullptr);
  GstVideoFrame src, dst;
  gst_video_frame_map(&src, &from, yv12Buffer, GST_MAP_READ);
  gst_video_frame_map(&dst, &to, result, GST_MAP_WRITE);
  for (int c = 0; c < 3; ++c)
    for (int y = 0; y < GST_VIDEO_FRAME_COMP_HEIGHT(&src, c); ++y)
      std::memcpy(GST_VIDEO_FRAME_COMP_DATA(&dst, c) + std::ptrdiff_t(y) * GST_VIDEO_FRAME_COMP_STRIDE(&dst, c),
                  GST_VIDEO_FRAME_COMP_DATA(&src, c) + std::ptrdiff_t(y) * GST_VIDEO_FRAME_COMP_STRIDE(&src, c),
                  std::size_t(GST_VIDEO_FRAME_COMP_WIDTH(&src, c)));
  gst_video_frame_unmap(&src);
  gst_video_frame_unmap(&dst);
  return result;
}

}  // namespace

// I420 is drawn into exactly as YV12: the same luma, the chroma of the picture
// kept, the block at the top or at the bottom.
TEST(Element, CaptionsInI420AsInYV12) {
  const int w = 320, h = 240;
  const std::size_t lumaBytes = std::size_t(w) * h;
  GstCaps* yv12 = videoCaps("YV12", w, h);
  GstCaps* i420 = videoCaps("I420", w, h);
  for (int position : {0, 100}) {
    std::vector<std::uint8_t> luma[2];
    int n = 0;
    for (GstCaps* caps : {yv12, i420}) {
      Harness harness;
      ASSERT_EQ(harness.blend()->SetText("Caption gy\r\n두 줄"), S_OK);
      ASSERT_EQ(harness.blend()->SetPosition(position), S_OK);
      gst_harness_set_src_caps(harness.get(), gst_caps_ref(caps));
      GstBuffer* source = makeFrame(yv12, 11);
      GstBuffer* in = caps == yv12 ? source : asI420(source, yv12, i420);
      if (in != source) gst_buffer_unref(source);
      const auto picture = pictureBytes(in, caps);
      GstBuffer* out = harness.transform(in);
      ASSERT_NE(out, nullptr);
      const auto result = pictureBytes(out, caps);
      gst_buffer_unref(out);
      ASSERT_EQ(result.size(), picture.size());
      EXPECT_TRUE(std::equal(result.begin() + std::ptrdiff_t(lumaBytes), result.end(),
                             picture.begin() + std::ptrdiff_t(lumaBytes)))
          << "chroma changed, position " << position;
      int top = INT_MAX, bottom = INT_MIN;
      for (std::size_t i = 0; i < lumaBytes; ++i)
        if (result[i] != picture[i]) {
          top = std::min(top, int(i) / w);
          bottom = std::max(bottom, int(i) / w);
        }
      ASSERT_NE(top, INT_MAX) << "no caption, position " << position;
      if (position == 0) {
        EXPECT_GE(top, 9);
        EXPECT_LT(bottom, h / 2);
      } else {
        EXPECT_GT(top, h / 2);
        EXPECT_LT(bottom, h);
      }
      luma[n++].assign(result.begin(), result.begin() + std::ptrdiff_t(lumaBytes));
    }
    EXPECT_EQ(luma[0], luma[1]) << "position " << position;
  }
  gst_caps_unref(yv12);
  gst_caps_unref(i420);
}

// A decoder's I420 reaches the filter as it is: no conversion is needed in
// front of it, and what it sends on is I420 too.
TEST(Element, I420NegotiatesWithoutConversion) {
  loadPlugin();
  GError* error = nullptr;
  GstElement* pipeline = gst_parse_launch(
      "videotestsrc num-buffers=2 ! video/x-raw,format=I420,width=64,height=48,framerate=25/1 ! "
      "captionblend name=blend ! appsink name=out sync=false",
      &error);
  ASSERT_NE(pipeline, nullptr) << (error ? error->message : "");
  GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "out");
  ASSERT_NE(gst_element_set_state(pipeline, GST_STATE_PLAYING), GST_STATE_CHANGE_FAILURE);
  GstSample* sample = gst_app_sink_try_pull_sample(GST_APP_SINK(sink), 10 * GST_SECOND);
  ASSERT_NE(sample, nullptr);
  GstVideoInfo info;
  ASSERT_TRUE(gst_video_info_from_caps(&info, gst_sample_get_caps(sample)));
  EXPECT_EQ(GST_VIDEO_INFO_FORMAT(&info), GST_VIDEO_FORMAT_I420);
  gst_sample_unref(sample);
  gst_element_set_state(pipeline, GST_STATE_NULL);
  gst_object_unref(sink);
  gst_object_unref(pipeline);
}

TEST(Element, RedrawRepaintsTheLastFrame) {
  for (const char* format : {"YUY2", "I420"}) {
    Harness harness;
    ASSERT_NE(harness.blend(), nullptr);
    EXPECT_EQ(harness.blend()->Redraw(), S_OK);  // no frame yet: nothing to do

    GstCaps* caps = videoCaps(format, 160, 120);
    gst_harness_set_src_caps(harness.get(), gst_caps_ref(caps));
    GstBuffer* in = makeFrame(caps, 5);
    const auto picture = pictureBytes(in, caps);
    GstBuffer* out = harness.transform(in);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(pictureBytes(out, caps), picture);

    EXPECT_EQ(harness.blend()->SetText("Redrawn"), S_OK);
    EXPECT_EQ(harness.blend()->Redraw(), S_OK);
    const auto redrawn = pictureBytes(out, caps);
    EXPECT_NE(redrawn, picture) << format;
    EXPECT_EQ(harness.blend()->SetText(""), S_OK);
    EXPECT_EQ(harness.blend()->Redraw(), S_OK);
    EXPECT_EQ(pictureBytes(out, caps), picture) << format;
    gst_buffer_unref(out);
    gst_caps_unref(caps);
  }
}

TEST(Element, OverlayBitmapIsBlendedIntoYUY2AndIgnoredForYV12) {
  for (const char* format : {"YUY2", "YV12", "I420"}) {
    Harness harness;
    const int w = 48, h = 32;
    std::vector<std::uint8_t> pixels(std::size_t(w) * h * 4, 0);  // opaque black everywhere
    const CaptionBitmap bitmap{w, h, w * 4, pixels.data()};
    ASSERT_EQ(harness.blend()->SetOverlayBitmap(&bitmap), S_OK);
    pixels.assign(pixels.size(), 0xFF);  // the filter took its own copy
    GstCaps* caps = videoCaps(format, w, h);
    gst_harness_set_src_caps(harness.get(), gst_caps_ref(caps));
    GstBuffer* in = makeFrame(caps, 8);
    const auto picture = pictureBytes(in, caps);
    GstBuffer* out = harness.transform(in);
    ASSERT_NE(out, nullptr);
    const auto result = pictureBytes(out, caps);
    if (std::string(format) != "YUY2") {
      EXPECT_EQ(result, picture);
    } else {
      // U 0, Y 0 in every bitmap pixel: the bitmap alone shows.
      EXPECT_TRUE(std::all_of(result.begin(), result.end(), [](auto b) { return b == 0; }));
    }
    gst_buffer_unref(out);
    gst_caps_unref(caps);
  }
}

TEST(Element, BadInputFromThePlayer) {
  Harness harness;
  ICaptionBlend* b = harness.blend();
  ASSERT_NE(b, nullptr);
  GstCaps* caps = videoCaps("YUY2", 64, 48);
  gst_harness_set_src_caps(harness.get(), gst_caps_ref(caps));

  LOGFONTA unterminated{};
  unterminated.lfHeight = -18;
  std::memset(unterminated.lfFaceName, 'Z', sizeof unterminated.lfFaceName);
  std::vector<std::uint8_t> small(8 * 8 * 4, 0);
  CaptionBitmap wrongSize{8, 8, 32, small.data()};
  CaptionBitmap noBits{64, 48, 256, nullptr};
  EXPECT_EQ(b->SetText(nullptr), S_OK);
  EXPECT_EQ(b->SetFont(&unterminated), S_OK);
  EXPECT_EQ(b->SetOverlayBitmap(&wrongSize), S_OK);
  EXPECT_EQ(b->SetOverlayBitmap(&noBits), S_OK);
  EXPECT_EQ(b->SetOverlayBitmap(&wrongSize), S_OK);
  EXPECT_EQ(b->SetPosition(INT_MIN), S_OK);
  EXPECT_EQ(b->SetFont(nullptr), S_OK);

  // A null text draws nothing and a bitmap of another size is not blended.
  GstBuffer* in = makeFrame(caps, 6);
  const auto picture = pictureBytes(in, caps);
  GstBuffer* out = harness.transform(in);
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(pictureBytes(out, caps), picture);
  gst_buffer_unref(out);

  // Text under an unterminated face name and a position far off the picture.
  EXPECT_EQ(b->SetFont(&unterminated), S_OK);
  EXPECT_EQ(b->SetText("Off the picture"), S_OK);
  out = harness.transform(makeFrame(caps, 7));
  ASSERT_NE(out, nullptr);
  gst_buffer_unref(out);
  gst_caps_unref(caps);

  // Sizes the filter cannot take are refused when caps are negotiated.
  Harness zero;
  gst_harness_set_src_caps(zero.get(), videoCaps("YUY2", 0, 0));
  EXPECT_NE(gst_harness_push(zero.get(), gst_buffer_new()), GST_FLOW_OK);
}

namespace {

// Rows of a YUY2 frame whose luma is not the black picture's.
std::pair<int, int> inkRows(GstBuffer* buffer, int width, int height) {
  GstMapInfo map;
  gst_buffer_map(buffer, &map, GST_MAP_READ);
  int top = INT_MAX, bottom = INT_MIN;
  const int stride = width * 2;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (map.data[y * stride + 2 * x] != 16) {
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  gst_buffer_unmap(buffer, &map);
  return {top, bottom};
}

}  // namespace

// videotestsrc through the filter to a sink while the player's thread keeps
// changing the caption: every frame carries one whole caption block or none.
TEST(Element, PipelineWhileAnotherThreadChangesTheCaption) {
  loadPlugin();
  const int w = 320, h = 240, frames = 120;
  GError* error = nullptr;
  GstElement* pipeline = gst_parse_launch(
      "videotestsrc num-buffers=120 pattern=black ! video/x-raw,format=YUY2,width=320,height=240,framerate=25/1 ! "
      "captionblend name=blend ! appsink name=out sync=false max-buffers=1000",
      &error);
  ASSERT_NE(pipeline, nullptr) << (error ? error->message : "");
  GstElement* element = gst_bin_get_by_name(GST_BIN(pipeline), "blend");
  GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "out");
  ICaptionBlend* blend = captionBlendOf(element);
  ASSERT_NE(blend, nullptr);

  std::atomic<bool> done{false};
  std::thread player([&] {
    std::vector<std::uint8_t> bitmap(std::size_t(w) * h * 4, 0xFF);  // all transparent
    CaptionBitmap menu{w, h, w * 4, bitmap.data()};
    LOGFONTA font{};
    font.lfHeight = -24;
    std::strcpy(font.lfFaceName, "굴림");
    for (int i = 0; !done; ++i) {
      switch (i % 6) {
        case 0: blend->SetText("자막 Caption\r\n두 줄"); break;
        case 1: blend->SetPosition(i % 12 < 6 ? 0 : 100); break;
        case 2: blend->SetFont(&font); font.lfHeight = -16 - i % 20; break;
        case 3: blend->SetOverlayBitmap(i % 4 ? &menu : nullptr); break;
        case 4: blend->Redraw(); break;
        case 5: blend->SetText(i % 3 ? "Short" : ""); break;
      }
      std::this_thread::yield();
    }
  });

  ASSERT_EQ(gst_element_set_state(pipeline, GST_STATE_PLAYING), GST_STATE_CHANGE_ASYNC);
  int received = 0, captioned = 0;
  while (GstSample* sample = gst_app_sink_try_pull_sample(GST_APP_SINK(sink), 10 * GST_SECOND)) {
    auto [top, bottom] = inkRows(gst_sample_get_buffer(sample), w, h);
    if (top != INT_MAX) {
      ++captioned;
      EXPECT_LT(bottom - top, 2 * 24 * 2 + 10) << "frame " << received;
    }
    gst_sample_unref(sample);
    ++received;
  }
  done = true;
  player.join();
  EXPECT_EQ(received, frames);
  EXPECT_GT(captioned, 0);
  EXPECT_TRUE(gst_app_sink_is_eos(GST_APP_SINK(sink)));
  GstBus* bus = gst_element_get_bus(pipeline);
  GstMessage* failure = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR);
  EXPECT_EQ(failure, nullptr);
  if (failure) gst_message_unref(failure);
  gst_object_unref(bus);

  blend->Release();
  gst_element_set_state(pipeline, GST_STATE_NULL);
  gst_object_unref(element);
  gst_object_unref(sink);
  gst_object_unref(pipeline);
}
