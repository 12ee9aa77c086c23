#include "tests/support/ShellProbe.h"

#include <cstdlib>

namespace lumi::test {

int HighlightedTopMenuButton(xcb_connection_t* c, std::uint64_t window) {
  // One pixel inside each button, left of its caption.
  const int rows[] = {155, 215, 275, 335, 411};
  int best = -1, bestScore = 40;
  for (int i = 0; i < 5; ++i) {
    xcb_get_image_reply_t* image = xcb_get_image_reply(
        c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, static_cast<xcb_drawable_t>(window), 80, rows[i], 1, 1, ~0u),
        nullptr);
    if (!image) continue;
    const std::uint8_t* px = xcb_get_image_data(image);  // blue, green, red, unused
    const int score = int(px[1]) - int(px[2]);           // teal: far more green than red
    std::free(image);
    if (score > bestScore) best = i, bestScore = score;
  }
  return best;
}

}  // namespace lumi::test
