#pragma once
// Monitor modes on the tests' private X server: Xvfb's output lists only the
// size it started with, so a test adds the modes a real monitor would list.
#include <QString>
#include <cstdint>
#include <ostream>

namespace lumi::test {

struct ModeTiming {
  const char* name;
  std::uint16_t width, height;
  std::uint32_t dotClock;
  std::uint16_t hsyncStart, hsyncEnd, htotal, vsyncStart, vsyncEnd, vtotal;
};

// The VESA timings of 800 x 600 at 60 and at 75 Hz.
inline constexpr ModeTiming kVesa800x600at60{"800x600_60", 800, 600, 40000000, 840, 968, 1056, 601, 605, 628};
inline constexpr ModeTiming kVesa800x600at75{"800x600_75", 800, 600, 49500000, 816, 896, 1056, 601, 604, 625};

// Adds the mode to every output of the X server `display`. False when the
// server refuses.
bool AddOutputMode(const QString& display, const ModeTiming& mode);

// The size of the first active output's mode on `display` (empty when none).
struct OutputSize {
  int width = 0, height = 0;
  friend bool operator==(const OutputSize&, const OutputSize&) = default;
};
inline void PrintTo(const OutputSize& s, std::ostream* os) { *os << s.width << "x" << s.height; }
OutputSize CurrentOutputSize(const QString& display);

}  // namespace lumi::test
