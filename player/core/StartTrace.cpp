#include "player/core/StartTrace.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace lumi::player {

void StartTrace(const char* step) {
  static const bool on = std::getenv("LUMICASTER_START_TRACE") != nullptr;
  if (!on) return;
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  std::fprintf(stderr, "[trace] %.3f %s\n", double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6, step);
  std::fflush(stderr);
}

}  // namespace lumi::player
