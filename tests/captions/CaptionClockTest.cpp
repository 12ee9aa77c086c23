// The caption clock against a position it does not own: scripted positions
// (stalls, seeks, sync steps), a position running at another rate, and a real
// GStreamer pipeline playing at its own clock.
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <atomic>

#include "player/captions/CaptionClock.h"
#include "player/captions/FramePosition.h"
#include "tests/support/QtPrinters.h"

using namespace lumi::player;

namespace {

constexpr std::int64_t kMs = 10000;  // 100 ns units in a millisecond

std::vector<SamiEntry> track() {
  return {{1000, "안녕<br>하세요"}, {2500, "&nbsp;"}, {6000, "six"}, {7000, "&nbsp;"}};
}

struct Posted {
  QString text;
  qint64 startMs;
  std::int64_t positionMs;  // the movie's position when it was posted
};

// Records every caption event with the position it was posted at.
class Recorder {
 public:
  explicit Recorder(CaptionClock& clock, std::function<std::int64_t()> positionMs) {
    QObject::connect(&clock, &CaptionClock::captionEvent, [this, positionMs](const QString& text, qint64 start) {
      posted.push_back({text, start, positionMs()});
    });
  }
  std::vector<Posted> posted;
};

TEST(CaptionClock, SeeksAndSyncStepsPostTheEntryInForce) {
  std::int64_t positionMs = 0;
  CaptionClock clock([&] { return positionMs * kMs; });
  Recorder rec(clock, [&] { return positionMs; });
  EXPECT_FALSE(clock.stepSync(5000));  // no caption track yet
  EXPECT_EQ(clock.syncMs(), 0);

  clock.setTrack(track());
  struct Step {
    const char* what;
    std::int64_t moveTo;  // -1: no seek
    int sync;             // sync step, 0 none
    const char* posted;   // nullptr: nothing posted
  };
  const Step steps[] = {
      {"before the first entry", 500, 0, nullptr},
      {"into the first caption", 1200, 0, "안녕<br>하세요"},
      {"elsewhere in the same caption", 2400, 0, nullptr},
      {"into the blank", 3000, 0, "&nbsp;"},
      {"back to 1.5 s", 1500, 0, "안녕<br>하세요"},
      {"Ctrl+Insert: 5 s earlier, 1.5 s + 5 s is in 'six'", -1, 5000, "six"},
      {"a seek keeps the offset: 1.9 s + 5 s", 1900, 0, nullptr},
      {"2.1 s + 5 s is the blank after 'six'", 2100, 0, "&nbsp;"},
      {"Ctrl+Delete: back to the movie's 2.1 s", -1, -5000, "안녕<br>하세요"},
      {"Ctrl+Delete again: before the first entry", -1, -5000, nullptr},
      {"a seek to before the start", 0, 0, nullptr},
  };
  for (const Step& s : steps) {
    rec.posted.clear();
    if (s.moveTo >= 0) {
      positionMs = s.moveTo;
      clock.seeked();
    }
    if (s.sync) {
      EXPECT_TRUE(clock.stepSync(s.sync));
    }
    if (s.posted) {
      ASSERT_EQ(rec.posted.size(), 1u) << s.what;
      EXPECT_EQ(rec.posted[0].text, QString::fromUtf8(s.posted)) << s.what;
      EXPECT_GE(positionMs + clock.syncMs(), rec.posted[0].startMs) << s.what;
    } else {
      EXPECT_TRUE(rec.posted.empty()) << s.what;
    }
  }
  EXPECT_EQ(clock.syncMs(), -5000);
  clock.resetSync();
  EXPECT_EQ(clock.syncMs(), 0);
  clock.clearTrack();
  EXPECT_FALSE(clock.stepSync(500));
}

TEST(CaptionClock, EntryAtTable) {
  CaptionClock clock([] { return std::int64_t(0); });
  clock.setTrack({{2500, "b"}, {1000, "a"}, {1000, "a2"}});  // sorted, equal starts kept in order
  const std::pair<std::int64_t, int> cases[] = {{-1, -1}, {999, -1}, {1000, 1}, {2499, 1}, {2500, 2}, {99999, 2}};
  for (const auto& [ms, index] : cases) EXPECT_EQ(clock.entryAt(ms), index) << ms;
  EXPECT_EQ(clock.entries()[0].text, "a");
}

// While the decoder stalls the position stands still, and so do the captions:
// however long the wait, nothing is posted before the position reaches the
// entry; it is posted once it does.
TEST(CaptionClock, AStalledMovieHoldsTheNextCaption) {
  std::atomic<std::int64_t> positionMs{900};
  CaptionClock clock([&] { return positionMs.load() * kMs; });
  Recorder rec(clock, [&] { return positionMs.load(); });
  QSignalSpy spy(&clock, &CaptionClock::captionEvent);
  clock.setTrack(track());
  clock.play();
  EXPECT_FALSE(spy.wait(400));  // the timer fired after 100 ms and found the movie still at 0.9 s
  EXPECT_TRUE(rec.posted.empty());

  positionMs = 1000;
  ASSERT_TRUE(spy.wait(5000));
  ASSERT_EQ(rec.posted.size(), 1u);
  EXPECT_EQ(rec.posted[0].startMs, 1000);

  clock.pause();  // paused: the blank at 2.5 s waits however far the position says
  positionMs = 3000;
  EXPECT_FALSE(spy.wait(200));
  clock.play();  // posted at once on resuming
  ASSERT_EQ(rec.posted.size(), 2u);
  EXPECT_EQ(rec.posted[1].text, "&nbsp;");
}

// A seek the clock was not told of (another part of the player moved the
// movie) is noticed on the next look at the position, not a minute later
// when the next entry would have been due.
TEST(CaptionClock, ASeekNobodyReportedIsCaughtUp) {
  std::atomic<std::int64_t> positionMs{0};
  CaptionClock clock([&] { return positionMs.load() * kMs; });
  QSignalSpy spy(&clock, &CaptionClock::captionEvent);
  clock.setTrack({{60000, "a minute in"}, {62000, "&nbsp;"}});
  clock.play();
  positionMs = 61000;
  ASSERT_TRUE(spy.wait(10000));
  EXPECT_EQ(spy.at(0).at(0).toString(), "a minute in");
}

// A movie running at twice the speed: every entry comes, in order, never
// before the position reached it.
TEST(CaptionClock, FollowsTheRate) {
  QElapsedTimer wall;
  wall.start();
  auto positionMs = [&] { return std::int64_t(wall.nsecsElapsed() / 1000000 * 2); };
  CaptionClock clock([&] { return positionMs() * kMs; });
  Recorder rec(clock, positionMs);
  std::vector<SamiEntry> entries;
  for (int i = 1; i <= 8; ++i) entries.push_back({i * 130 + 7, QString::number(i)});
  clock.setTrack(entries);
  clock.setRate(2.0);
  clock.play();
  QTRY_COMPARE_WITH_TIMEOUT(rec.posted.size(), entries.size(), 10000);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(rec.posted[i].startMs, entries[i].startMs);
    EXPECT_GE(rec.posted[i].positionMs, entries[i].startMs);
  }
}

// A real pipeline playing against its own clock: the clock reads the position
// GStreamer reports, so each entry is posted once that position has reached
// it; after a seek the entry in force at the new place comes at once.
TEST(CaptionClock, SlavedToARealPipeline) {
  GError* error = nullptr;
  GstElement* pipeline = gst_parse_launch(
      "videotestsrc num-buffers=75 pattern=black ! video/x-raw,width=160,height=120,framerate=25/1 ! "
      "fakevideosink sync=true",
      &error);
  ASSERT_TRUE(pipeline) << (error ? error->message : "");
  auto position = [pipeline]() -> std::int64_t {
    gint64 ns = 0;
    return gst_element_query_position(pipeline, GST_FORMAT_TIME, &ns) ? ns / 100 : 0;
  };
  CaptionClock clock(position);
  Recorder rec(clock, [&] { return position() / kMs; });
  const std::vector<SamiEntry> entries = {{130, "a"}, {470, "&nbsp;"}, {1010, "b"}, {1530, "&nbsp;"}, {2270, "c"}};
  clock.setTrack(entries);

  ASSERT_NE(gst_element_set_state(pipeline, GST_STATE_PLAYING), GST_STATE_CHANGE_FAILURE);
  gst_element_get_state(pipeline, nullptr, nullptr, 5 * GST_SECOND);
  clock.play();
  QTRY_COMPARE_WITH_TIMEOUT(rec.posted.size(), entries.size(), 10000);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(rec.posted[i].startMs, entries[i].startMs);
    EXPECT_GE(rec.posted[i].positionMs, entries[i].startMs) << i;
  }

  // Back to 1.2 s, paused: "b" is in force there.
  rec.posted.clear();
  gst_element_set_state(pipeline, GST_STATE_PAUSED);
  clock.pause();
  gst_element_seek_simple(pipeline, GST_FORMAT_TIME, GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                          1200 * GST_MSECOND);
  gst_element_get_state(pipeline, nullptr, nullptr, 5 * GST_SECOND);
  clock.seeked();
  ASSERT_EQ(rec.posted.size(), 1u);
  EXPECT_EQ(rec.posted[0].text, "b");

  gst_element_set_state(pipeline, GST_STATE_NULL);
  gst_object_unref(pipeline);
}

}  // namespace

namespace {

// The frame an element takes next: after a preroll the second frame's start
// (the first frame went through), the same after a seek; frames a queue
// holds back are counted as gone through, which is the point.
TEST(FramePosition, FollowsTheFramesThroughAnElement) {
  GError* error = nullptr;
  GstElement* pipeline = gst_parse_launch(
      "videotestsrc num-buffers=75 pattern=black ! video/x-raw,width=160,height=120,framerate=25/1 ! "
      "identity name=filter ! queue max-size-buffers=3 ! fakevideosink sync=true",
      &error);
  ASSERT_TRUE(pipeline) << (error ? error->message : "");
  GstElement* filter = gst_bin_get_by_name(GST_BIN(pipeline), "filter");
  {
    FramePosition frames(filter);
    EXPECT_EQ(frames.nextFrame(), -1);
    gst_element_set_state(pipeline, GST_STATE_PAUSED);
    ASSERT_EQ(gst_element_get_state(pipeline, nullptr, nullptr, 5 * GST_SECOND), GST_STATE_CHANGE_SUCCESS);
    // The paused sink holds the first frame; the queue filled up behind it.
    EXPECT_GE(frames.nextFrame(), 40 * kMs);
    EXPECT_LE(frames.nextFrame(), 5 * 40 * kMs);

    gst_element_seek_simple(pipeline, GST_FORMAT_TIME, GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                            2 * GST_SECOND);
    ASSERT_EQ(gst_element_get_state(pipeline, nullptr, nullptr, 5 * GST_SECOND), GST_STATE_CHANGE_SUCCESS);
    EXPECT_GE(frames.nextFrame(), 2040 * kMs);
    EXPECT_LE(frames.nextFrame(), 2000 * kMs + 5 * 40 * kMs);
    gst_element_set_state(pipeline, GST_STATE_NULL);
  }
  gst_object_unref(filter);
  gst_object_unref(pipeline);
}

}  // namespace
