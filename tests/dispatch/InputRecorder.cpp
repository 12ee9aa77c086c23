// input-recorder: a plain X client standing in for a foreign program. It
// shows one window and logs the key and button events it receives, with the
// keysym each key has on the server's keyboard:
//   key-down Alt_L / key-up F4 / button-down 1 / button-up 3
// Options: --title T, --log FILE, --at X,Y, --icon W:H:RRGGBB (repeatable:
// sizes of _NET_WM_ICON). Prints "ready 0x<window>" once the window is mapped.
#include <xcb/xcb.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
  xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
  const xcb_atom_t a = r ? r->atom : 0;
  std::free(r);
  return a;
}

std::string keysymName(std::uint32_t keysym) {
  struct Name {
    std::uint32_t keysym;
    const char* name;
  };
  static const Name names[] = {
      {0xffe9, "Alt_L"},    {0xffea, "Alt_R"},     {0xffe3, "Control_L"}, {0xffe4, "Control_R"}, {0xffe1, "Shift_L"},
      {0xffe2, "Shift_R"},  {0xffc1, "F4"},        {0xff09, "Tab"},       {0xff0d, "Return"},    {0xff1b, "Escape"},
      {0x0020, "space"},    {0xff55, "Page_Up"},   {0xff56, "Page_Down"}, {0xff57, "End"},       {0xff50, "Home"},
      {0xff51, "Left"},     {0xff52, "Up"},        {0xff53, "Right"},     {0xff54, "Down"},      {0x002e, "period"},
  };
  for (const Name& n : names)
    if (n.keysym == keysym) return n.name;
  if ((keysym >= '0' && keysym <= '9') || (keysym >= 'a' && keysym <= 'z')) return std::string(1, char(keysym));
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%x", keysym);
  return buf;
}

}  // namespace

int main(int argc, char** argv) {
  std::string title = "input-recorder", logPath;
  int x = 0, y = 0;
  std::vector<std::uint32_t> icon;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i], value = argv[i + 1];
    if (option == "--title") {
      title = value;
    } else if (option == "--log") {
      logPath = value;
    } else if (option == "--at") {
      std::sscanf(value.c_str(), "%d,%d", &x, &y);
    } else if (option == "--icon") {
      unsigned w = 0, h = 0, rgb = 0;
      if (std::sscanf(value.c_str(), "%u:%u:%x", &w, &h, &rgb) == 3) {
        icon.push_back(w);
        icon.push_back(h);
        icon.insert(icon.end(), std::size_t(w) * h, 0xff000000u | rgb);
      }
    }
  }
  FILE* log = logPath.empty() ? nullptr : std::fopen(logPath.c_str(), "a");
  auto write = [&](const std::string& line) {
    if (!log) return;
    std::fprintf(log, "%s\n", line.c_str());
    std::fflush(log);
  };

  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) return 1;
  const xcb_setup_t* setup = xcb_get_setup(c);
  const xcb_screen_t* screen = xcb_setup_roots_iterator(setup).data;

  xcb_get_keyboard_mapping_reply_t* mapping = xcb_get_keyboard_mapping_reply(
      c, xcb_get_keyboard_mapping(c, setup->min_keycode, setup->max_keycode - setup->min_keycode + 1), nullptr);
  auto keysymOf = [&](xcb_keycode_t code) -> std::uint32_t {
    if (!mapping || code < setup->min_keycode) return 0;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(mapping);
    const int index = (code - setup->min_keycode) * mapping->keysyms_per_keycode;
    return index < xcb_get_keyboard_mapping_keysyms_length(mapping) ? syms[index] : 0;
  };

  const xcb_window_t w = xcb_generate_id(c);
  const std::uint32_t mask = XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK;
  const std::uint32_t values[] = {screen->white_pixel, XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE |
                                                           XCB_EVENT_MASK_BUTTON_PRESS |
                                                           XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_EXPOSURE};
  xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, std::int16_t(x), std::int16_t(y), 200, 150, 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, mask, values);
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, title.size(), title.data());
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, atom(c, "_NET_WM_NAME"), atom(c, "UTF8_STRING"), 8, title.size(),
                      title.data());
  const std::uint32_t pid = std::uint32_t(getpid());
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, atom(c, "_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, 1, &pid);
  const xcb_atom_t deleteWindow = atom(c, "WM_DELETE_WINDOW");
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, atom(c, "WM_PROTOCOLS"), XCB_ATOM_ATOM, 32, 1, &deleteWindow);
  if (!icon.empty())
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, atom(c, "_NET_WM_ICON"), XCB_ATOM_CARDINAL, 32, icon.size(),
                        icon.data());
  xcb_map_window(c, w);
  xcb_flush(c);

  bool ready = false;
  while (xcb_generic_event_t* e = xcb_wait_for_event(c)) {
    const std::uint8_t type = e->response_type & 0x7f;
    if (type == XCB_EXPOSE && !ready) {
      ready = true;
      std::printf("ready 0x%x\n", w);
      std::fflush(stdout);
    } else if (type == XCB_KEY_PRESS || type == XCB_KEY_RELEASE) {
      const auto* k = reinterpret_cast<xcb_key_press_event_t*>(e);
      write(std::string(type == XCB_KEY_PRESS ? "key-down " : "key-up ") + keysymName(keysymOf(k->detail)));
    } else if (type == XCB_BUTTON_PRESS || type == XCB_BUTTON_RELEASE) {
      const auto* b = reinterpret_cast<xcb_button_press_event_t*>(e);
      write(std::string(type == XCB_BUTTON_PRESS ? "button-down " : "button-up ") + std::to_string(b->detail));
    } else if (type == XCB_CLIENT_MESSAGE) {
      const auto* m = reinterpret_cast<xcb_client_message_event_t*>(e);
      if (m->data.data32[0] == deleteWindow) {
        std::free(e);
        break;
      }
    }
    std::free(e);
  }
  std::free(mapping);
  xcb_disconnect(c);
  return 0;
}
