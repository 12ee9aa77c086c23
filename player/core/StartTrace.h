#pragma once
// Time stamps of the player's start path, for finding where the time to the
// first picture goes. Off unless LUMICASTER_START_TRACE is set; then each
// step prints "[trace] <CLOCK_MONOTONIC ms> <step>" on stderr, so a measuring
// script can set the steps against its own clock.
namespace lumi::player {
void StartTrace(const char* step);
}  // namespace lumi::player
