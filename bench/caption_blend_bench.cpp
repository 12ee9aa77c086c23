// Frames per second of the caption filter ("CaptionBlend.ax", element
// "captionblend") on 1920 x 1080 and 720 x 480 frames in YUY2, YV12 and I420
// (what most decoders produce): with no caption, with a two-line caption and
// with an overlay bitmap; against
// GStreamer's textoverlay drawing the same text on the same frames, and against
// a plain memcpy of the frame, the limit for the copy. A summary with the
// ratios follows the table. Everything runs on the calling thread, so rates
// are per CPU second: other work on the machine does not skew them.
#include <benchmark/benchmark.h>
#include <gst/check/gstharness.h>
#include <gst/gst.h>
#include <gst/video/video.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "filter/com/ICaptionBlend.h"

using namespace lumi::com;

namespace {

const char* const kCaption = "첫 번째 줄의 자막입니다\r\nThe second line of the caption";
const char* const kOverlayCaption = "첫 번째 줄의 자막입니다\nThe second line of the caption";
constexpr int kFontPixels = 28;

struct Size {
  int width, height;
};
constexpr Size kSizes[] = {{1920, 1080}, {720, 480}};
const char* const kFormats[] = {"YUY2", "YV12", "I420"};

std::string moduleFile() {
  const char* dir = std::getenv("LUMI_PROGRAM_DIR");
  return std::string(dir && *dir ? dir : LUMI_PROGRAM_DIR) + "/CaptionBlend.ax";
}

GstCaps* capsFor(const char* format, Size size) {
  return gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, format, "width", G_TYPE_INT, size.width, "height",
                             G_TYPE_INT, size.height, "framerate", GST_TYPE_FRACTION, 25, 1, nullptr);
}

// A frame with some structure in it: a gradient in every plane.
GstBuffer* frameFor(GstCaps* caps) {
  GstVideoInfo info;
  gst_video_info_from_caps(&info, caps);
  GstBuffer* buffer = gst_buffer_new_allocate(nullptr, GST_VIDEO_INFO_SIZE(&info), nullptr);
  GstMapInfo map;
  gst_buffer_map(buffer, &map, GST_MAP_WRITE);
  for (gsize i = 0; i < map.size; ++i) map.data[i] = std::uint8_t((i / 7) ^ (i >> 11));
  gst_buffer_unmap(buffer, &map);
  return buffer;
}

// The player's menu: a panel over the left third, the rest transparent.
std::vector<std::uint8_t> menuBitmap(Size size) {
  std::vector<std::uint8_t> pixels(std::size_t(size.width) * size.height * 4);
  for (int y = 0; y < size.height; ++y)
    for (int x = 0; x < size.width; ++x) {
      std::uint8_t* p = &pixels[(std::size_t(y) * size.width + x) * 4];
      const bool panel = x < size.width / 3 && y > size.height / 8 && y < size.height * 7 / 8;
      // Overlay layout: U, Y, -, A per pixel; premultiplied, a quarter of the video shows through.
      p[0] = 128;
      p[1] = panel ? 60 : 16;
      p[2] = 0;
      p[3] = panel ? 0x40 : 0xFF;
    }
  return pixels;
}

ICaptionBlend* blendOf(GstElement* element) {
  IUnknown* unknown = nullptr;
  g_object_get(element, "com-object", &unknown, nullptr);
  void* blend = nullptr;
  if (!unknown || failed(unknown->QueryInterface(IID_ICaptionBlend, &blend))) return nullptr;
  return static_cast<ICaptionBlend*>(blend);
}

// Frames leaving the element are dropped on the spot, in the pushing thread,
// as a sink would take them; the harness's own queue would add a thread
// wake-up per frame that no real pipeline pays.
GstFlowReturn dropFrame(GstPad*, GstObject*, GstBuffer* buffer) {
  benchmark::DoNotOptimize(buffer);
  gst_buffer_unref(buffer);
  return GST_FLOW_OK;
}

// Pushes the same picture through an element frame after frame. Each frame is
// a new timestamped buffer sharing the picture's memory, so an element that
// draws in place must copy the picture first, as the filter does.
void runHarness(benchmark::State& state, GstHarness* h, GstCaps* caps) {
  gst_harness_set_src_caps(h, gst_caps_ref(caps));
  GstBuffer* picture = frameFor(caps);
  GstClockTime pts = 0;
  auto once = [&] {
    GstBuffer* frame = gst_buffer_copy(picture);
    GST_BUFFER_PTS(frame) = pts;
    GST_BUFFER_DURATION(frame) = GST_SECOND / 25;
    pts += GST_SECOND / 25;
    return gst_harness_push(h, frame) == GST_FLOW_OK;
  };
  // Warm up through the harness, checking that frames come out at all.
  bool ok = once();
  if (GstBuffer* out = ok ? gst_harness_try_pull(h) : nullptr) gst_buffer_unref(out);
  else ok = false;
  gst_pad_set_chain_function(h->sinkpad, dropFrame);
  for (int i = 0; ok && i < 3; ++i) ok = once();
  for (auto _ : state) {
    if (!ok || !(ok = once())) {
      state.SkipWithError("no frame came out");
      break;
    }
  }
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
  gst_buffer_unref(picture);
}

enum class Mode { None, Caption, Overlay };

void benchFilter(benchmark::State& state, const char* format, Size size, Mode mode) {
  GstHarness* h = gst_harness_new("captionblend");
  ICaptionBlend* blend = blendOf(h->element);
  std::vector<std::uint8_t> bitmap;
  if (mode == Mode::Caption) {
    LOGFONTA font{};
    font.lfHeight = -kFontPixels;
    font.lfCharSet = 1;
    font.lfOutPrecision = 2;
    font.lfQuality = 4;
    std::strcpy(font.lfFaceName, "굴림");
    blend->SetFont(&font);
    blend->SetText(kCaption);
  } else if (mode == Mode::Overlay) {
    bitmap = menuBitmap(size);
    const CaptionBitmap menu{size.width, size.height, size.width * 4, bitmap.data()};
    blend->SetOverlayBitmap(&menu);
  }
  GstCaps* caps = capsFor(format, size);
  runHarness(state, h, caps);
  gst_caps_unref(caps);
  blend->Release();
  gst_harness_teardown(h);
}

void benchTextOverlay(benchmark::State& state, const char* format, Size size) {
  GstHarness* h = gst_harness_new_with_padnames("textoverlay", "video_sink", "src");
  const std::string font = "NanumGothic " + std::to_string(kFontPixels) + "px";
  g_object_set(h->element, "text", kOverlayCaption, "font-desc", font.c_str(), "auto-resize", FALSE, "draw-shadow",
               FALSE, "draw-outline", TRUE, "halignment", 1 /* center */, "valignment", 2 /* bottom */, nullptr);
  GstCaps* caps = capsFor(format, size);
  runHarness(state, h, caps);
  gst_caps_unref(caps);
  gst_harness_teardown(h);
}

void benchMemcpy(benchmark::State& state, const char* format, Size size) {
  GstCaps* caps = capsFor(format, size);
  GstVideoInfo info;
  gst_video_info_from_caps(&info, caps);
  gst_caps_unref(caps);
  std::vector<std::uint8_t> src(GST_VIDEO_INFO_SIZE(&info), 0x5A), dst(src.size());
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), src.size());
    benchmark::ClobberMemory();
  }
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

std::string nameOf(const char* what, const char* format, Size size) {
  return std::string(what) + "/" + format + "/" + std::to_string(size.width) + "x" + std::to_string(size.height);
}

// The console table, then the frame rates side by side with their ratios.
class SummaryReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs)
      if (auto it = run.counters.find("fps"); it != run.counters.end() && !run.error_occurred)
        fps_[run.benchmark_name()] = it->second.value;  // aggregates carry "_median" etc.
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%-16s %10s %10s %10s %10s %10s   %-14s %-14s\n", "frames/s", "memcpy", "none", "caption",
                "overlay", "textoverlay", "none/memcpy", "caption/textov");
    for (const char* format : kFormats)
      for (Size size : kSizes) {
        // The median of repeated runs when there are repetitions, else the one run.
        auto get = [&](const char* what) {
          const std::string base = nameOf(what, format, size);
          auto it = fps_.find(base + "_median");
          if (it == fps_.end()) it = fps_.find(base);
          return it == fps_.end() ? 0.0 : it->second;
        };
        const double copy = get("memcpy"), none = get("filter_none"), caption = get("filter_caption"),
                     overlay = get("filter_overlay"), text = get("textoverlay");
        const std::string label = std::string(format) + " " + std::to_string(size.width) + "x" + std::to_string(size.height);
        std::printf("%-16s %10.1f %10.1f %10.1f %10.1f %10.1f   %-14.2f %-14.2f\n", label.c_str(), copy, none,
                    caption, overlay, text, copy > 0 ? none / copy : 0.0, text > 0 ? caption / text : 0.0);
      }
    std::printf("targets: none/memcpy >= 0.70, caption/textoverlay >= 2.00\n");
  }

 private:
  std::map<std::string, double> fps_;
};

}  // namespace

int main(int argc, char** argv) {
  gst_init(&argc, &argv);
  GError* error = nullptr;
  GstPlugin* plugin = gst_plugin_load_file(moduleFile().c_str(), &error);
  if (!plugin) {
    std::fprintf(stderr, "cannot load %s: %s\n", moduleFile().c_str(), error ? error->message : "?");
    return 1;
  }
  gst_object_unref(plugin);

  for (const char* format : kFormats)
    for (Size size : kSizes) {
      benchmark::RegisterBenchmark(nameOf("memcpy", format, size).c_str(), benchMemcpy, format, size);
      benchmark::RegisterBenchmark(nameOf("filter_none", format, size).c_str(), benchFilter, format, size, Mode::None);
      benchmark::RegisterBenchmark(nameOf("filter_caption", format, size).c_str(), benchFilter, format, size,
                                   Mode::Caption);
      benchmark::RegisterBenchmark(nameOf("filter_overlay", format, size).c_str(), benchFilter, format, size,
                                   Mode::Overlay);
      benchmark::RegisterBenchmark(nameOf("textoverlay", format, size).c_str(), benchTextOverlay, format, size);
    }

  benchmark::Initialize(&argc, argv);
  SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
