#include "tests/support/RandrModes.h"

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace lumi::test {

bool AddOutputMode(const QString& display, const ModeTiming& m) {
  xcb_connection_t* c = xcb_connect(display.toUtf8().constData(), nullptr);
  if (xcb_connection_has_error(c)) {
    xcb_disconnect(c);
    return false;
  }
  xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  xcb_randr_mode_info_t info{};
  info.width = m.width;
  info.height = m.height;
  info.dot_clock = m.dotClock;
  info.hsync_start = m.hsyncStart;
  info.hsync_end = m.hsyncEnd;
  info.htotal = m.htotal;
  info.vsync_start = m.vsyncStart;
  info.vsync_end = m.vsyncEnd;
  info.vtotal = m.vtotal;
  info.name_len = uint16_t(std::strlen(m.name));
  info.mode_flags = XCB_RANDR_MODE_FLAG_HSYNC_POSITIVE | XCB_RANDR_MODE_FLAG_VSYNC_POSITIVE;
  xcb_randr_create_mode_reply_t* mode =
      xcb_randr_create_mode_reply(c, xcb_randr_create_mode(c, root, info, info.name_len, m.name), nullptr);
  bool ok = mode != nullptr;
  xcb_randr_get_screen_resources_current_reply_t* res =
      xcb_randr_get_screen_resources_current_reply(c, xcb_randr_get_screen_resources_current(c, root), nullptr);
  if (ok && res) {
    const xcb_randr_output_t* outputs = xcb_randr_get_screen_resources_current_outputs(res);
    for (int i = 0; i < res->num_outputs; ++i) {
      xcb_generic_error_t* error = xcb_request_check(c, xcb_randr_add_output_mode_checked(c, outputs[i], mode->mode));
      ok = ok && !error;
      std::free(error);
    }
  }
  std::free(res);
  std::free(mode);
  xcb_disconnect(c);
  return ok;
}

OutputSize CurrentOutputSize(const QString& display) {
  OutputSize size;
  xcb_connection_t* c = xcb_connect(display.toUtf8().constData(), nullptr);
  if (xcb_connection_has_error(c)) {
    xcb_disconnect(c);
    return size;
  }
  xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  xcb_randr_get_screen_resources_current_reply_t* res =
      xcb_randr_get_screen_resources_current_reply(c, xcb_randr_get_screen_resources_current(c, root), nullptr);
  if (res) {
    const xcb_randr_crtc_t* crtcs = xcb_randr_get_screen_resources_current_crtcs(res);
    for (int i = 0; i < res->num_crtcs && size.width == 0; ++i) {
      xcb_randr_get_crtc_info_reply_t* crtc = xcb_randr_get_crtc_info_reply(
          c, xcb_randr_get_crtc_info(c, crtcs[i], res->config_timestamp), nullptr);
      if (crtc && crtc->mode != XCB_NONE) size = {crtc->width, crtc->height};
      std::free(crtc);
    }
  }
  std::free(res);
  xcb_disconnect(c);
  return size;
}

}  // namespace lumi::test
