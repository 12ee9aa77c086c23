#pragma once
// Times the caption entries of the chosen stream against the movie. The clock
// has no time of its own: it reads the movie's position whenever it decides,
// so a stalled decoder, a seek, a rate change or a pause can never make the
// captions drift. Caption time = movie position + the sync offset; an entry is
// in force from its start until the next entry's start.
//
// While the movie plays, one precise single-shot timer is armed for the next
// entry's start (scaled by the rate). When it fires the position is read
// again: an entry is posted only once the position has reached it, otherwise
// the timer is armed again for what is left (at most half a second ahead, so
// that a seek the clock was not told of is noticed all the same). Entries
// passed over together (after a stall, a seek or a sync step) give one event:
// the one in force.
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <vector>

#include "player/captions/SamiParser.h"

namespace lumi::player {

class CaptionClock : public QObject {
  Q_OBJECT

 public:
  // The movie's position in 100 ns units: the shown picture's (the engine's
  // CurrentPosition()), or, when captions are drawn into the frames, that of
  // the next frame the caption filter takes (FramePosition).
  using PositionSource = std::function<std::int64_t()>;

  explicit CaptionClock(PositionSource position, QObject* parent = nullptr);

  // The entries to time (by start time), replacing any earlier track. The
  // clock starts paused, with the sync offset 0 and nothing posted.
  void setTrack(std::vector<SamiEntry> entries);
  // No caption track (the item has no caption file, or it was closed).
  void clearTrack();
  bool hasTrack() const { return hasTrack_; }

  // The movie's transport. Each reads the position afresh.
  void play();
  void pause();
  bool playing() const { return playing_; }
  // After a seek (or a stop, which rewinds): the entry in force at the new
  // place is posted when it differs from the one posted last.
  void seeked();
  // The movie's rate changed (1.0 normal); the next entry is re-armed.
  void setRate(double rate);
  double rate() const { return rate_; }

  // The sync offset in milliseconds: positive shows every caption earlier.
  // A step succeeds only while there is a caption track; the entry in force
  // at the new caption time is posted as after a seek.
  bool stepSync(int ms);
  // Back to the movie's own timing.
  void resetSync();
  int syncMs() const { return syncMs_; }

  // The caption time now, in ms (movie position + sync offset).
  std::int64_t captionTimeMs() const;
  // The index of the entry in force at `ms`, -1 before the first one.
  int entryAt(std::int64_t ms) const;
  int lastPosted() const { return posted_; }
  const std::vector<SamiEntry>& entries() const { return entries_; }

 signals:
  // One caption event: the entry's text as the file holds it, and when it
  // was due. The window's caption bar cleans and shows it.
  void captionEvent(const QString& rawText, qint64 startMs);

 private:
  void rearm();
  void onTimer();
  void postInForce(std::int64_t nowMs, bool onlyIfChanged);

  PositionSource position_;
  std::vector<SamiEntry> entries_;
  bool hasTrack_ = false;
  bool playing_ = false;
  double rate_ = 1.0;
  int syncMs_ = 0;
  int posted_ = -1;
  QTimer timer_;
};

}  // namespace lumi::player
