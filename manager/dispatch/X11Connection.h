#pragma once
// The dispatcher's own connection to the X server. Synthetic input, the
// screen saver and display power, and the task-switch window's look at other
// windows go through it rather than through the toolkit's connection, so that
// none of it waits behind the toolkit's requests or needs a window.
#include <xcb/xcb.h>

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <functional>
#include <vector>

class QSocketNotifier;

namespace lumi::manager {

class X11Connection : public QObject {
  Q_OBJECT

 public:
  // Opens `display`, or $DISPLAY when empty; see ok().
  explicit X11Connection(const QByteArray& display = {}, QObject* parent = nullptr);
  ~X11Connection() override;
  X11Connection(const X11Connection&) = delete;
  X11Connection& operator=(const X11Connection&) = delete;

  bool ok() const { return connection_ != nullptr; }
  xcb_connection_t* get() const { return connection_; }
  xcb_window_t root() const { return root_; }
  xcb_atom_t atom(const char* name);

  // Events for the ports (screen-saver notices, keyboard mapping changes).
  using EventHandler = std::function<void(const xcb_generic_event_t* event)>;
  void addEventHandler(EventHandler handler);
  // Hands every event that has arrived to the handlers. The socket notifier
  // runs it; so does sync(), because events read while a request waited for
  // its reply sit in the library's queue where the notifier cannot see them.
  void pump();
  // Returns once the server has handled every request sent so far.
  void sync();

 private:
  xcb_connection_t* connection_ = nullptr;
  xcb_window_t root_ = 0;
  QSocketNotifier* notifier_ = nullptr;
  QHash<QByteArray, xcb_atom_t> atoms_;
  std::vector<EventHandler> handlers_;
  bool pumping_ = false;
};

}  // namespace lumi::manager
