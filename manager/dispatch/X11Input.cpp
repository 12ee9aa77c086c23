#include "manager/dispatch/X11Input.h"

#include <xcb/xtest.h>

#include <cstdlib>

namespace lumi::manager {

X11Input::X11Input(X11Connection& x) : x_(x) {
  if (!x_.ok()) return;
  const xcb_query_extension_reply_t* test = xcb_get_extension_data(x_.get(), &xcb_test_id);
  available_ = test && test->present;
  if (!available_) qWarning("dispatch: the X server has no XTEST extension; foreign programs get no keys");
  x_.addEventHandler([this](const xcb_generic_event_t* event) {
    if ((event->response_type & 0x7f) == XCB_MAPPING_NOTIFY) mappingStale_ = true;
  });
}

void X11Input::loadMapping() {
  mappingStale_ = false;
  const xcb_setup_t* setup = xcb_get_setup(x_.get());
  const std::uint8_t count = setup->max_keycode - setup->min_keycode + 1;
  xcb_get_keyboard_mapping_reply_t* r = xcb_get_keyboard_mapping_reply(
      x_.get(), xcb_get_keyboard_mapping(x_.get(), setup->min_keycode, count), nullptr);
  if (!r) return;
  mapping_.minKeycode = setup->min_keycode;
  mapping_.keysymsPerKeycode = r->keysyms_per_keycode;
  const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(r);
  mapping_.keysyms.assign(keysyms, keysyms + xcb_get_keyboard_mapping_keysyms_length(r));
  std::free(r);
}

bool X11Input::holdsFocus(xcb_window_t window) {
  xcb_get_input_focus_reply_t* focus =
      xcb_get_input_focus_reply(x_.get(), xcb_get_input_focus(x_.get()), nullptr);
  if (!focus) return false;
  xcb_window_t w = focus->focus;
  std::free(focus);
  // The focus may sit on a child of the top-level window; that counts.
  while (w != XCB_NONE && w != XCB_INPUT_FOCUS_POINTER_ROOT && w != x_.root()) {
    if (w == window) return true;
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(x_.get(), xcb_query_tree(x_.get(), w), nullptr);
    if (!tree) return false;
    w = tree->parent;
    std::free(tree);
  }
  return false;
}

void X11Input::focus(desktop::WindowId window) {
  if (!x_.ok() || window == 0) return;
  const auto w = static_cast<xcb_window_t>(window);
  if (holdsFocus(w)) return;
  xcb_set_input_focus(x_.get(), XCB_INPUT_FOCUS_PARENT, w, XCB_CURRENT_TIME);
  x_.sync();
}

bool X11Input::key(quint8 virtualKey, bool down) {
  if (!available_) return false;
  x_.pump();
  if (mappingStale_) loadMapping();
  const std::uint8_t keycode = mapping_.keycodeFor(keysymForVirtualKey(virtualKey));
  if (keycode == 0) {
    qWarning("dispatch: the keyboard has no key for virtual key 0x%02x", virtualKey);
    return false;
  }
  xcb_test_fake_input(x_.get(), down ? XCB_KEY_PRESS : XCB_KEY_RELEASE, keycode, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
  return true;
}

void X11Input::moveBy(int dx, int dy) {
  if (!available_) return;
  // Detail 1 makes the motion relative to where the pointer is.
  xcb_test_fake_input(x_.get(), XCB_MOTION_NOTIFY, 1, XCB_CURRENT_TIME, XCB_NONE, std::int16_t(dx), std::int16_t(dy),
                      0);
}

void X11Input::button(Button button, bool down) {
  if (!available_) return;
  const std::uint8_t number = button == Button::Left ? 1 : 3;
  xcb_test_fake_input(x_.get(), down ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE, number, XCB_CURRENT_TIME, XCB_NONE, 0, 0,
                      0);
}

void X11Input::flush() { x_.sync(); }

}  // namespace lumi::manager
