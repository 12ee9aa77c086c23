// A caption file through the whole window-free chain into real frames: the
// caption track of a black movie, the clock, the caption bar's state and the
// caption filter as playbin's video filter. The picture is looked at paused,
// after a seek, so what is checked does not depend on how fast the machine is:
// the first seek places the clock (which hands the caption to the filter), a
// second seek to the same place draws that frame again with it.
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

#include "filter/com/ICaptionBlend.h"
#include "player/captions/CaptionBarState.h"
#include "player/captions/CaptionClock.h"
#include "player/captions/CaptionLogFont.h"
#include "player/captions/CaptionSync.h"
#include "player/captions/CaptionTrack.h"
#include "tests/captions/SamiFixtures.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TestPaths.h"

using namespace lumi::player;

namespace {

// Rows of the frame with caption pixels (white on the black movie), as bands
// of consecutive rows: one band per line of text.
struct Look {
  int bands = 0;
  int brightPixels = 0;
};

Look lookAt(GstElement* capture) {
  Look look;
  GstSample* sample = nullptr;
  g_object_get(capture, "last-sample", &sample, nullptr);
  if (!sample) return look;
  GstBuffer* buffer = gst_sample_get_buffer(sample);
  GstStructure* s = gst_caps_get_structure(gst_sample_get_caps(sample), 0);
  int width = 0, height = 0;
  gst_structure_get_int(s, "width", &width);
  gst_structure_get_int(s, "height", &height);
  GstMapInfo map;
  if (gst_buffer_map(buffer, &map, GST_MAP_READ)) {
    const int stride = (width + 3) & ~3;  // GRAY8 rows are 4-byte aligned
    bool inBand = false;
    for (int y = 0; y < height && std::size_t((y + 1) * stride) <= map.size; ++y) {
      int bright = 0;
      for (int x = 0; x < width; ++x) bright += map.data[y * stride + x] > 128;
      look.brightPixels += bright;
      if (bright && !inBand) ++look.bands;
      inBand = bright > 0;
    }
    gst_buffer_unmap(buffer, &map);
  }
  gst_sample_unref(sample);
  return look;
}

class CaptionFramesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GError* error = nullptr;
    const QString module = lumi::test::programDir() + "/CaptionBlend.ax";
    GstPlugin* plugin = gst_plugin_load_file(module.toUtf8().constData(), &error);
    ASSERT_TRUE(plugin) << (error ? error->message : "");
    gst_object_unref(plugin);

    movie_ = env_.file("black.avi");
    QProcess make;
    make.start("gst-launch-1.0", {"-q", "-e", "videotestsrc", "num-buffers=200", "pattern=black", "!",
                                  "video/x-raw,width=320,height=240,framerate=25/1", "!", "jpegenc", "!", "avimux", "!",
                                  "filesink", "location=" + movie_});
    ASSERT_TRUE(make.waitForFinished(60000) && make.exitCode() == 0) << make.readAllStandardError().toStdString();
    QFile sami(env_.file("black.smi"));
    ASSERT_TRUE(sami.open(QIODevice::WriteOnly));
    sami.write(lumi::test::encodeSami(lumi::test::koreanSamiText(), lumi::test::FileEncoding::Utf16LeBom));
  }

  lumi::test::PrivateEnvironment env_;
  QString movie_;
};

TEST_F(CaptionFramesTest, KoreanCaptionOnTwoLinesFromOneToTwoAndAHalfSecondsAndCtrlInsert) {
  const CaptionTrack track = openCaptionTrack(movie_);
  ASSERT_TRUE(track.ok);

  GError* error = nullptr;
  GstElement* sink = gst_parse_bin_from_description(
      "videoconvert ! video/x-raw,format=GRAY8 ! fakesink name=capture enable-last-sample=true sync=true", TRUE, &error);
  ASSERT_TRUE(sink) << (error ? error->message : "");
  GstElement* capture = gst_bin_get_by_name(GST_BIN(sink), "capture");
  GstElement* playbin = gst_element_factory_make("playbin", nullptr);
  GstElement* blendElement = gst_element_factory_make("captionblend", nullptr);
  ASSERT_TRUE(blendElement);
  gpointer object = nullptr;
  g_object_get(blendElement, "com-object", &object, nullptr);
  auto* blend = static_cast<lumi::com::ICaptionBlend*>(object);
  ASSERT_TRUE(blend);
  gchar* uri = gst_filename_to_uri(movie_.toUtf8().constData(), nullptr);
  g_object_set(playbin, "uri", uri, "video-sink", sink, "video-filter", blendElement, "flags", 0x1, nullptr);
  g_free(uri);

  {
    // The player's font, scaled from a 768-line monitor to the movie.
    CaptionLogFont font(QStringLiteral("Software\\Quelmar\\Lumicaster\\Cinevane"));
    font.load();
    const LOGFONTA forFilter = filterFontFor(font.font(), 240, 768);
    blend->SetFont(&forFilter);

    CaptionClock clock([&]() -> std::int64_t {
      gint64 ns = 0;
      return gst_element_query_position(playbin, GST_FORMAT_TIME, &ns) ? ns / 100 : 0;
    });
    CaptionBarState bar;
    QObject::connect(&clock, &CaptionClock::captionEvent, &bar,
                     [&bar](const QString& text, qint64) { bar.captionEvent(text); });
    QObject::connect(&bar, &CaptionBarState::shown,
                     [blend](const QString& text) { blend->SetText(text.toUtf8().constData()); });
    clock.setTrack(track.entries);

    ASSERT_NE(gst_element_set_state(playbin, GST_STATE_PAUSED), GST_STATE_CHANGE_FAILURE);
    ASSERT_EQ(gst_element_get_state(playbin, nullptr, nullptr, 10 * GST_SECOND), GST_STATE_CHANGE_SUCCESS);
    auto seek = [&](int ms) {
      gst_element_seek_simple(playbin, GST_FORMAT_TIME, GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                              ms * GST_MSECOND);
      gst_element_get_state(playbin, nullptr, nullptr, 10 * GST_SECOND);
    };
    // At each place: whether the shown frame carries the caption, in how many lines.
    struct Place {
      int ms;
      int bands;
    };
    const Place places[] = {{960, 0}, {1000, 2}, {1720, 2}, {2480, 2}, {2500, 0}, {3000, 0}, {1040, 2}};
    for (const Place& p : places) {
      seek(p.ms);
      clock.seeked();
      seek(p.ms);
      const Look look = lookAt(capture);
      EXPECT_EQ(look.bands, p.bands) << p.ms << " ms";
      if (p.bands) {
        EXPECT_GT(look.brightPixels, 50) << p.ms << " ms";
      }
    }

    // Ctrl+Insert: the caption due at 6.0 s shows at the movie's 1.0 s.
    clock.setTrack({{6000, "여섯"}, {6500, "&nbsp;"}});
    bar.clear();
    const Place synced[] = {{1000, 0}, {5980, 0}, {6000, 1}};
    for (const Place& p : synced) {
      seek(p.ms);
      clock.seeked();
      seek(p.ms);
      EXPECT_EQ(lookAt(capture).bands, p.bands) << p.ms << " ms before the sync step";
    }
    ASSERT_TRUE(clock.stepSync(*syncStepOfCommand(kSyncForward5Command)));
    const Place earlier[] = {{960, 0}, {1000, 1}, {1480, 1}, {1500, 0}};
    for (const Place& p : earlier) {
      seek(p.ms);
      clock.seeked();
      seek(p.ms);
      EXPECT_EQ(lookAt(capture).bands, p.bands) << p.ms << " ms after Ctrl+Insert";
    }
    gst_element_set_state(playbin, GST_STATE_NULL);
  }
  gst_object_unref(capture);
  gst_object_unref(playbin);
}

}  // namespace
