// A notification area for tests: takes the system tray selection of screen 0
// as a panel does (freedesktop system tray protocol), announces itself with
// the MANAGER message, and embeds every icon that asks to dock. Prints
// "docked 0x<window>" for each, so a test sees an icon appear.
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
  xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
  const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
  std::free(r);
  return a;
}

}  // namespace

int main() {
  int screenNumber = 0;
  xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
  if (xcb_connection_has_error(c)) return 1;
  xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;

  // The panel: a mapped window the icons are embedded into.
  const xcb_window_t panel = xcb_generate_id(c);
  const std::uint32_t events = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_create_window(c, XCB_COPY_FROM_PARENT, panel, screen->root, 0, 0, 200, 32, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                    screen->root_visual, XCB_CW_EVENT_MASK, &events);
  xcb_map_window(c, panel);

  const xcb_atom_t selection = atom(c, "_NET_SYSTEM_TRAY_S0");
  const xcb_atom_t opcode = atom(c, "_NET_SYSTEM_TRAY_OPCODE");
  const xcb_atom_t orientation = atom(c, "_NET_SYSTEM_TRAY_ORIENTATION");
  const std::uint32_t horizontal = 0;
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, panel, orientation, XCB_ATOM_CARDINAL, 32, 1, &horizontal);
  xcb_set_selection_owner(c, panel, selection, XCB_CURRENT_TIME);

  xcb_client_message_event_t manager{};
  manager.response_type = XCB_CLIENT_MESSAGE;
  manager.format = 32;
  manager.window = screen->root;
  manager.type = atom(c, "MANAGER");
  manager.data.data32[0] = XCB_CURRENT_TIME;
  manager.data.data32[1] = selection;
  manager.data.data32[2] = panel;
  xcb_send_event(c, 0, screen->root, XCB_EVENT_MASK_STRUCTURE_NOTIFY, reinterpret_cast<const char*>(&manager));
  xcb_flush(c);
  std::printf("ready\n");
  std::fflush(stdout);

  int x = 0;
  while (xcb_generic_event_t* event = xcb_wait_for_event(c)) {
    if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
      const auto* m = reinterpret_cast<const xcb_client_message_event_t*>(event);
      // SYSTEM_TRAY_REQUEST_DOCK is opcode 0; the icon's window is data[2].
      if (m->type == opcode && m->data.data32[1] == 0) {
        const xcb_window_t icon = m->data.data32[2];
        xcb_reparent_window(c, icon, panel, x, 0);
        x += 32;
        xcb_map_window(c, icon);
        xcb_flush(c);
        std::printf("docked 0x%x\n", icon);
        std::fflush(stdout);
      }
    }
    std::free(event);
  }
  return 0;
}
