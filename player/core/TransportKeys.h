#pragma once
// The timing rules of the fast-forward and rewind keys, on millisecond ticks
// the caller passes: a press more than 499 ms after the previous one is a new
// press; closer ones are the remote repeating a held key, which keeps a hold
// (20-second steps) alive until no press came for more than 999 ms.
#include <cstdint>

namespace lumi::player {

class TransportKeys {
 public:
  // Records a press; true for a new press, false for a repeat.
  bool press(std::int64_t now) {
    const bool fresh = now - lastKeyTick_ > 499;
    lastKeyTick_ = now;
    return fresh;
  }
  // The held key was let go.
  bool holdEnded(std::int64_t now) const { return now - lastKeyTick_ > 999; }

 private:
  std::int64_t lastKeyTick_ = -1000000;
};

}  // namespace lumi::player
