#pragma once
// The dispatcher's X11 side in one piece, on its own connection: what the
// main window (or a program that drives the dispatcher without one) hands to
// KeyDispatcher and DispatchWidgets.
#include "manager/dispatch/X11Connection.h"
#include "manager/dispatch/X11Input.h"
#include "manager/dispatch/X11ScreenPower.h"
#include "manager/dispatch/X11WindowInfo.h"

namespace lumi::manager {

struct X11DispatchPorts {
  // `display` empty: $DISPLAY. See connection.ok().
  explicit X11DispatchPorts(const QByteArray& display = {})
      : connection(display), input(connection), screen(connection), windows(connection) {}
  X11DispatchPorts(const X11DispatchPorts&) = delete;
  X11DispatchPorts& operator=(const X11DispatchPorts&) = delete;

  X11Connection connection;
  X11Input input;
  X11ScreenPower screen;
  X11WindowInfo windows;
};

}  // namespace lumi::manager
