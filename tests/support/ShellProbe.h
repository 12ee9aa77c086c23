#pragma once
// Reading the shell's screen from outside, as a person looking at the TV
// would: which top-menu button shows the focused (teal) look.
#include <xcb/xcb.h>

#include <cstdint>

namespace lumi::test {

// The index (0-4) of the highlighted top-menu button of the shell's main
// window, -1 when none shows the focused look (not painted yet).
int HighlightedTopMenuButton(xcb_connection_t* connection, std::uint64_t window);

}  // namespace lumi::test
