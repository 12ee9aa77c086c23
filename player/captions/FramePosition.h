#pragma once
// Where the frames going through an element have got to, as a position for
// the caption clock. In the mixing method the caption filter draws into
// frames a queue's length before they are shown, so captions timed by the
// shown position come that many frames late. Timed instead by the frame the
// filter takes next, a caption set when its start comes is drawn into the
// first frame at or after that start.
#include <atomic>
#include <cstdint>
#include <mutex>

typedef struct _GstElement GstElement;
typedef struct _GstPad GstPad;
typedef struct _GstPadProbeInfo GstPadProbeInfo;

namespace lumi::player {

class FramePosition {
 public:
  // Watches what enters `element` through its "sink" pad.
  explicit FramePosition(GstElement* element);
  ~FramePosition();
  FramePosition(const FramePosition&) = delete;
  FramePosition& operator=(const FramePosition&) = delete;

  // The stream time (100 ns) at which the next frame through the element
  // starts: the last frame's start plus its duration. -1 before the first
  // frame and after a flush (a seek) until the next frame.
  std::int64_t nextFrame() const { return next_.load(); }

 private:
  friend void observeFrame(FramePosition& self, GstPadProbeInfo* info);

  GstPad* pad_ = nullptr;
  unsigned long probe_ = 0;
  std::mutex lock_;
  void* segment_ = nullptr;  // GstSegment, guarded by lock_
  std::int64_t lastStart_ = -1;
  std::atomic<std::int64_t> next_{-1};
};

}  // namespace lumi::player
