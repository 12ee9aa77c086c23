#pragma once
// The loudness controls of a player, in the units of the shell's stored
// "Volume": hundredths of a decibel, 0 the loudest, negative quieter, -10000
// silent. The shell's volume keys work through this alone, so they run the
// same against the music control and against a stand-in.
namespace lumi::media {

inline constexpr int kLoudest = 0;
inline constexpr int kSilent = -10000;

class AudioLevel {
 public:
  virtual ~AudioLevel() = default;

  // What was last set, clamped to [kSilent, kLoudest]: read back exactly, so
  // that callers can compare with the steps they set.
  virtual int Volume() const = 0;
  virtual void setVolume(int hundredthsOfDecibel) = 0;
  virtual bool Mute() const = 0;
  virtual void setMute(bool mute) = 0;
};

// Amplitude factor for a level in hundredths of a decibel: 10^(v / 2000), so
// -2000 is a tenth of the amplitude; kSilent and below are exactly 0, and
// levels above kLoudest count as kLoudest.
double linearVolume(int hundredthsOfDecibel);

// Clamps a level into [kSilent, kLoudest], also for values that come from
// outside as 64-bit numbers (a stored magnitude negated).
int clampLevel(long long hundredthsOfDecibel);

}  // namespace lumi::media
