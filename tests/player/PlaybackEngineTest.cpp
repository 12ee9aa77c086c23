// PlaybackEngine on real pipelines over generated media: what each build
// gives, the reactions to missing decoders, the caption filter placed through
// its registration, transport, seeks, volume and mute.
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QSignalSpy>

#include "platform/registry/Registry.h"
#include "platform/text/StringTable.h"
#include "player/core/MovieFiles.h"
#include "player/core/VolumeCurve.h"
#include "player/engine/PlaybackEngine.h"
#include "tests/player/PlayerMedia.h"
#include "tests/support/Eventually.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TestPaths.h"

using namespace lumi::player;
using lumi::registry::Key;
using lumi::registry::Root;

namespace {

constexpr std::int64_t kSecond = 10000000;
const QString kFilterKey = QStringLiteral("Software\\Classes\\CLSID\\{4327E616-CBF2-4FB3-A2A9-C792EA63B647}");

// The user: records what the engine shows and asks, answers as scripted.
class RecordingUi : public PlaybackUi {
 public:
  void showMessage(int first, int second) override {
    messages << first;
    if (second) messages << second;
  }
  void showText(const QString& text) override { texts << text; }
  bool ask(int id, const QStringList& args) override {
    questions << id;
    questionArgs << args;
    return answer;
  }
  bool downloadCodecs(bool, const QString&, int, const QString&, const QString&) override {
    ++downloads;
    return false;  // no codec installer yet
  }
  void quit(int exitCode) override { quitCode = exitCode; }
  quintptr videoWindow() override { return 0; }

  QList<int> messages, questions;
  QList<QStringList> questionArgs;
  QStringList texts;
  bool answer = false;
  int downloads = 0;
  int quitCode = -1;
};

class PlaybackEngineTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    qputenv("LUMICASTER_VIDEO_SINK", "fakevideosink");
    qputenv("LUMICASTER_AUDIO_SINK", "fakeaudiosink");
    // No X display: the overlay sink cannot open, as on a display without XVideo.
    qunsetenv("DISPLAY");
    lumi::text::setProgramStrings(lumi::text::StringTable::load(":/strings/player.tsv", lumi::text::Language::Korean));
  }
  void SetUp() override {
    ASSERT_TRUE(media().error.isEmpty()) << media().error.toStdString();
  }
  static const lumi::test::PlayerMedia& media() { return lumi::test::playerMedia(); }

  lumi::test::PrivateEnvironment env_;
  RecordingUi ui_;
  PlaybackEngine engine_{ui_, lumi::test::programDir()};
};

double playbinVolume(GstElement* playbin) {
  double v = -1;
  g_object_get(playbin, "volume", &v, nullptr);
  return v;
}

// The element the src pad of `element` feeds, seen through the ghost pads of bins.
GstElement* downstreamOf(GstElement* element) {
  GstPad* src = gst_element_get_static_pad(element, "src");
  if (!src) return nullptr;
  GstPad* pad = gst_pad_get_peer(src);
  gst_object_unref(src);
  while (pad) {
    if (GST_IS_GHOST_PAD(pad) && GST_PAD_IS_SINK(pad)) {  // into a bin
      GstPad* target = gst_ghost_pad_get_target(GST_GHOST_PAD(pad));
      gst_object_unref(pad);
      pad = target;
      continue;
    }
    GstObject* parent = gst_pad_get_parent(pad);
    gst_object_unref(pad);
    if (parent && GST_IS_GHOST_PAD(parent)) {  // out of a bin
      pad = gst_pad_get_peer(GST_PAD(parent));
      gst_object_unref(parent);
      continue;
    }
    return parent && GST_IS_ELEMENT(parent) ? GST_ELEMENT(parent) : nullptr;
  }
  return nullptr;
}

}  // namespace

TEST_F(PlaybackEngineTest, EachKindOfMovieBuilds) {
  const struct {
    QString path;
    QSize picture;
  } cases[] = {{media().mjpegAvi, {320, 240}}, {media().mpeg4Avi, {320, 240}}, {media().mpeg1, {352, 288}},
               {media().mpeg2AsMpg, {352, 288}}, {media().mp3, {0, 0}},
               {media().wav, {0, 0}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path.toStdString());
    ui_ = RecordingUi();
    QSignalSpy sized(&engine_, &PlaybackEngine::videoSizeChanged);
    ASSERT_EQ(engine_.Open(c.path, {3, true}), lumi::com::S_OK);
    EXPECT_EQ(engine_.graphState, PlaybackEngine::Stopped);
    EXPECT_EQ(engine_.hasVideoStream(), !c.picture.isEmpty());
    // A picture whose format settles after the preroll reports its size then.
    if (engine_.hasVideoStream() && !engine_.hasVideo()) {
      engine_.Run();
      EXPECT_TRUE(sized.wait(10000));
    }
    EXPECT_EQ(engine_.videoSize(), c.picture);
    // An MP3 without a frame index tells its length only while it plays.
    if (!c.picture.isEmpty()) EXPECT_GT(engine_.duration, kSecond);
    EXPECT_TRUE(engine_.mixingMode);
    EXPECT_FALSE(engine_.overlayMode);
    // The overlay was chosen but cannot be used: the user is told, except for
    // sound alone, which has no picture for captions.
    EXPECT_EQ(ui_.messages, (c.picture.isEmpty() ? QList<int>{} : QList<int>{297, 298}));
    EXPECT_EQ(ui_.quitCode, -1);
    engine_.Close();
    EXPECT_EQ(engine_.graphState, PlaybackEngine::NoGraph);
  }
}

// The file-type test on the generated media: an MPEG-2 program stream saved
// as ".mpg" is a "VOB" for the codec questions.
TEST_F(PlaybackEngineTest, FileTypesOfGeneratedMedia) {
  const std::pair<QString, QString> cases[] = {{media().mjpegAvi, "AVI"}, {media().mpeg4Avi, "AVI"},
                                               {media().mpeg1, "MPG"},    {media().mpeg2AsMpg, "VOB"},
                                               {media().wmv, "WMV"},      {media().mp3, ""},
                                               {media().wav, "AVI"},      {media().notAMovie, ""}};
  for (const auto& [path, type] : cases) EXPECT_EQ(FileTypeOf(path), type) << path.toStdString();
}

TEST_F(PlaybackEngineTest, CaptionBlendSitsBeforeTheRendererAndIsRegisteredOnlyWhileBuilding) {
  ASSERT_EQ(engine_.Open(media().mjpegAvi, {3, false}), lumi::com::S_OK);
  EXPECT_TRUE(ui_.messages.isEmpty());  // mixing was chosen: no overlay message
  GstElement* blend = gst_bin_get_by_name(GST_BIN(engine_.pipeline()), "Caption Blend");
  GstElement* renderer = gst_bin_get_by_name(GST_BIN(engine_.pipeline()), "Video Renderer");
  ASSERT_NE(blend, nullptr);
  ASSERT_NE(renderer, nullptr);
  // Downstream of the filter, through queues and converters, the renderer.
  QStringList path;
  GstElement* at = GST_ELEMENT(gst_object_ref(blend));
  auto arrived = [&] { return at == renderer || gst_object_has_as_ancestor(GST_OBJECT(at), GST_OBJECT(renderer)); };
  for (int hops = 0; hops < 20 && at && !arrived(); ++hops) {
    GstElement* next = downstreamOf(at);
    gst_object_unref(at);
    at = next;
    if (at) path << QString::fromUtf8(GST_OBJECT_NAME(at));
  }
  EXPECT_TRUE(at && arrived()) << path.join(" -> ").toStdString();
  if (at) gst_object_unref(at);
  EXPECT_TRUE(engine_.pipelineDescription().contains("Caption_Blend"));
  gst_object_unref(blend);
  gst_object_unref(renderer);
  // The class was registered for the build only.
  EXPECT_FALSE(Key::exists(Root::LocalMachine, kFilterKey));
  EXPECT_EQ(engine_.Run(), lumi::com::S_OK);
  EXPECT_EQ(engine_.graphState, PlaybackEngine::Running);
}

TEST_F(PlaybackEngineTest, MissingDecodersAskForCodecs) {
  const struct {
    QString path;
    bool answer;
    int question;
    lumi::com::HRESULT result;
    int quitCode;
  } cases[] = {
      // No video decoder: the question, and ending the player on either
      // answer until a codec installer can fetch it.
      {media().unknownVideoAvi, false, 286, VFW_E_NO_ACCEPTABLE_TYPES, 1},
      {media().unknownVideoAvi, true, 286, VFW_E_NO_ACCEPTABLE_TYPES, 1},
      // No audio decoder: without the codec the picture plays without sound.
      {media().unknownAudioAvi, false, 291, lumi::com::S_OK, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path.toStdString());
    ui_ = RecordingUi();
    ui_.answer = c.answer;
    const auto result = engine_.Open(c.path, {3, false});
    EXPECT_EQ(ui_.questions, QList<int>{c.question});
    EXPECT_EQ(ui_.quitCode, c.quitCode);
    EXPECT_EQ(lumi::com::succeeded(result), lumi::com::succeeded(c.result));
    if (lumi::com::succeeded(result)) {
      gint audios = -1;
      g_object_get(engine_.pipeline(), "n-audio", &audios, nullptr);
      EXPECT_EQ(audios, 0);
      EXPECT_EQ(engine_.videoSize(), QSize(320, 240));
    } else {
      EXPECT_EQ(engine_.graphState, PlaybackEngine::NoGraph);
    }
    EXPECT_FALSE(Key::exists(Root::LocalMachine, kFilterKey));  // unregistered on every way out
    engine_.Close();
  }
}

TEST_F(PlaybackEngineTest, UnknownFilesEndThePlayer) {
  EXPECT_TRUE(lumi::com::failed(engine_.Open(media().notAMovie, {3, false})));
  EXPECT_EQ(ui_.messages, (QList<int>{284, 285}));
  EXPECT_EQ(ui_.quitCode, 1);
}

// The overlay method on a sink that opens (the seam stands in for Xv): no
// caption filter, the colour key, and the colour controls on the sink's
// GstColorBalance with its range mapped onto the curve.
TEST_F(PlaybackEngineTest, TheOverlayMethodUsesTheSinksColourControls) {
  qputenv("LUMICASTER_OVERLAY_SINK", "videobalance name=balance ! fakevideosink");
  ASSERT_EQ(engine_.Open(media().mjpegAvi, {3, true}), lumi::com::S_OK);
  qunsetenv("LUMICASTER_OVERLAY_SINK");
  EXPECT_TRUE(engine_.overlayMode);
  EXPECT_FALSE(engine_.mixingMode);
  EXPECT_EQ(engine_.colorKey, 0x040404u);
  EXPECT_TRUE(ui_.messages.isEmpty());
  GstElement* blend = gst_bin_get_by_name(GST_BIN(engine_.pipeline()), "Caption Blend");
  EXPECT_EQ(blend, nullptr);
  if (blend) gst_object_unref(blend);
  // videobalance: brightness -1..1 around 0, contrast and saturation 0..2 around 1.
  EXPECT_EQ(engine_.defaultBrightness, 5000);
  EXPECT_EQ(engine_.defaultContrast, 10000);
  GstElement* balance = gst_bin_get_by_name(GST_BIN(engine_.pipeline()), "balance");
  ASSERT_NE(balance, nullptr);
  engine_.SetColorControls(100, 50, 0);
  double brightness = 0, contrast = 0, saturation = 0;
  g_object_get(balance, "brightness", &brightness, "contrast", &contrast, "saturation", &saturation, nullptr);
  EXPECT_NEAR(brightness, 1.0, 0.01);   // 9999 of 10000
  EXPECT_NEAR(contrast, 1.0, 0.01);     // 9999 of 20000: the default
  EXPECT_NEAR(saturation, 0.0, 0.01);
  gst_object_unref(balance);
}

TEST_F(PlaybackEngineTest, SeeksStayWithinTheMovie) {
  ASSERT_EQ(engine_.Open(media().mjpegAvi, {3, false}), lumi::com::S_OK);
  const std::int64_t duration = engine_.duration;
  ASSERT_GT(duration, 2 * kSecond);
  auto settled = [&](std::int64_t expected) {
    gst_element_get_state(engine_.pipeline(), nullptr, nullptr, GST_CLOCK_TIME_NONE);
    EXPECT_NEAR(double(engine_.CurrentPosition()), double(expected), 0.05 * kSecond);
  };
  engine_.SeekTo(1);
  settled(kSecond);
  engine_.SeekRelative(-5000);  // before the start: the start, not a wrapped time at the end
  settled(0);
  engine_.SeekStep(true);  // ten seconds on a three-second movie: its end
  settled(duration);
  engine_.SeekStep(false);
  settled(0);
  QSignalSpy status(&engine_, &PlaybackEngine::status);
  engine_.SeekFraction(1);
  settled(duration / 2);
  ASSERT_EQ(status.size(), 1);
  EXPECT_EQ(status[0][0].toString(), "중간으로");
  EXPECT_EQ(engine_.BarTimeText(), "00:00:01/00:00:03");
}

TEST_F(PlaybackEngineTest, VolumeMuteAndRate) {
  ASSERT_EQ(engine_.Open(media().mjpegAvi, {3, false}), lumi::com::S_OK);
  EXPECT_EQ(engine_.attenuation, -1000);  // every build starts at -1000
  engine_.SetVolume(50);
  EXPECT_EQ(engine_.attenuation, -751);
  EXPECT_NEAR(playbinVolume(engine_.pipeline()), 0.42121, 0.0001);
  engine_.ToggleMute();
  EXPECT_EQ(playbinVolume(engine_.pipeline()), 0.0);
  engine_.ToggleMute();
  EXPECT_EQ(engine_.attenuation, -751);
  // A step while muted is heard, and the next mute mutes.
  engine_.ToggleMute();
  engine_.SetVolume(55);
  EXPECT_FALSE(engine_.muted);
  EXPECT_EQ(engine_.attenuation, -676);
  engine_.ToggleMute();
  EXPECT_EQ(engine_.attenuation, lumi::player::kSilence);

  EXPECT_EQ(engine_.Run(), lumi::com::S_OK);
  EXPECT_TRUE(engine_.FastForward());
  EXPECT_EQ(engine_.rate(), 2.0);
}

TEST_F(PlaybackEngineTest, TheEndIsReported) {
  ASSERT_EQ(engine_.Open(media().mjpegAvi, {3, false}), lumi::com::S_OK);
  QSignalSpy ended(&engine_, &PlaybackEngine::endOfMovie);
  engine_.SeekTo(2);
  ASSERT_EQ(engine_.Run(), lumi::com::S_OK);
  EXPECT_TRUE(ended.wait(20000));
  engine_.Stop();
  gst_element_get_state(engine_.pipeline(), nullptr, nullptr, GST_CLOCK_TIME_NONE);
  EXPECT_EQ(engine_.graphState, PlaybackEngine::Stopped);
  EXPECT_LT(engine_.CurrentPosition(), kSecond / 10);
}

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  gst_init(&argc, &argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

// The early start: BeginOpen leaves the pipeline prerolling with the filter
// registered; the Open of the same movie finishes that build (the same
// pipeline, no second one) and unregisters. A movie that cannot start early
// says nothing then, and the Open that follows reports it as any Open would.
TEST_F(PlaybackEngineTest, AnEarlyStartIsFinishedByTheOpenOfTheSameMovie) {
  ASSERT_TRUE(engine_.BeginOpen(media().mjpegAvi, {3, false}));
  EXPECT_TRUE(Key::exists(Root::LocalMachine, kFilterKey));
  GstElement* early = engine_.pipeline();
  ASSERT_NE(early, nullptr);
  ASSERT_EQ(engine_.Open(media().mjpegAvi, {3, false}), lumi::com::S_OK);
  EXPECT_EQ(engine_.pipeline(), early);
  EXPECT_FALSE(Key::exists(Root::LocalMachine, kFilterKey));
  EXPECT_EQ(engine_.videoSize(), QSize(320, 240));
  EXPECT_EQ(engine_.graphState, PlaybackEngine::Stopped);
  EXPECT_TRUE(engine_.pipelineDescription().contains("Caption Blend"));
  EXPECT_TRUE(ui_.messages.isEmpty());

  // Another movie, or other options, build afresh.
  // (Held, so that a new pipeline cannot take the freed one's address.)
  ASSERT_TRUE(engine_.BeginOpen(media().mjpegAvi, {3, false}));
  early = GST_ELEMENT(gst_object_ref(engine_.pipeline()));
  ASSERT_EQ(engine_.Open(media().mpeg1, {3, false}), lumi::com::S_OK);
  EXPECT_NE(engine_.pipeline(), early);
  gst_object_unref(early);
  EXPECT_EQ(engine_.videoSize(), QSize(352, 288));
  EXPECT_FALSE(Key::exists(Root::LocalMachine, kFilterKey));

  // Closing an early start unregisters too.
  ASSERT_TRUE(engine_.BeginOpen(media().mjpegAvi, {3, false}));
  engine_.Close();
  EXPECT_FALSE(Key::exists(Root::LocalMachine, kFilterKey));
  EXPECT_EQ(engine_.graphState, PlaybackEngine::NoGraph);

  // A file that is not a movie: the early start prerolls into an error it
  // keeps to itself; the Open judges it and the user hears of it.
  ASSERT_TRUE(engine_.BeginOpen(media().notAMovie, {3, false}));
  EXPECT_TRUE(ui_.messages.isEmpty());
  EXPECT_TRUE(lumi::com::failed(engine_.Open(media().notAMovie, {3, false})));
  EXPECT_EQ(ui_.messages, (QList<int>{284, 285}));
  EXPECT_EQ(ui_.quitCode, 1);
  EXPECT_FALSE(Key::exists(Root::LocalMachine, kFilterKey));
}
