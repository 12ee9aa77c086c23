#include "manager/dispatch/X11Connection.h"

#include <QSocketNotifier>
#include <cstdlib>

namespace lumi::manager {

X11Connection::X11Connection(const QByteArray& display, QObject* parent) : QObject(parent) {
  int screen = 0;
  xcb_connection_t* c = xcb_connect(display.isEmpty() ? nullptr : display.constData(), &screen);
  if (xcb_connection_has_error(c)) {
    xcb_disconnect(c);
    qWarning("dispatch: cannot open the X display %s", display.isEmpty() ? "$DISPLAY" : display.constData());
    return;
  }
  connection_ = c;
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
  for (int i = 0; i < screen && it.rem > 1; ++i) xcb_screen_next(&it);
  root_ = it.data->root;
  notifier_ = new QSocketNotifier(xcb_get_file_descriptor(c), QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &X11Connection::pump);
}

X11Connection::~X11Connection() {
  delete notifier_;
  if (connection_) xcb_disconnect(connection_);
}

xcb_atom_t X11Connection::atom(const char* name) {
  if (!connection_) return XCB_ATOM_NONE;
  const QByteArray key(name);
  if (auto it = atoms_.constFind(key); it != atoms_.constEnd()) return *it;
  xcb_intern_atom_reply_t* r =
      xcb_intern_atom_reply(connection_, xcb_intern_atom(connection_, 0, key.size(), name), nullptr);
  const xcb_atom_t value = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
  std::free(r);
  if (value != XCB_ATOM_NONE) atoms_.insert(key, value);
  return value;
}

void X11Connection::addEventHandler(EventHandler handler) { handlers_.push_back(std::move(handler)); }

void X11Connection::pump() {
  if (!connection_ || pumping_) return;
  pumping_ = true;
  // Errors arrive here too: requests about windows that vanished meanwhile,
  // which the ports expect and ignore.
  while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
    if (event->response_type != 0)
      for (const EventHandler& handler : handlers_) handler(event);
    std::free(event);
  }
  pumping_ = false;
}

void X11Connection::sync() {
  if (!connection_) return;
  std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
  pump();
}

}  // namespace lumi::manager
