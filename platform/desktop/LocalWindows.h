#pragma once
// The suite windows of this process: what a backend needs to answer a message
// addressed to one of them, whichever way the message came in.
#include <QObject>
#include <QPointer>
#include <functional>
#include <map>

#include "platform/desktop/Desktop.h"

namespace lumi::desktop {

class LocalWindows {
 public:
  // Called when Qt gives a registered widget a new native window (it does so
  // when some window flags change), so the backend can move its bookkeeping.
  using IdChanged = std::function<WindowId(WindowId oldId, QWidget* widget)>;
  using Gone = std::function<void(WindowId id)>;

  LocalWindows(IdChanged idChanged, Gone gone);
  ~LocalWindows();

  void add(WindowId id, QWidget* widget, MessageHandler handler);
  void remove(WindowId id);
  bool contains(WindowId id) const { return windows_.count(id) != 0; }
  QWidget* widget(WindowId id) const;
  std::vector<WindowId> ids() const;

  // Runs the handler now (a sent message); 0 when there is no such window.
  std::int64_t deliver(WindowId id, const WindowMessage& message);
  // Queues the message as a posted Qt event on the window's thread; posted
  // messages reach the handler in the order they were posted, and are lost
  // when the window is destroyed first.
  bool post(WindowId id, WindowMessage message);

  // While a hold is alive, posted messages that come up in the event loop
  // wait (in order) instead of reaching their handlers: the user-interface
  // thread is blocked in an operation that lets only painting through.
  class HoldPosted {
   public:
    HoldPosted();
    ~HoldPosted();
    HoldPosted(const HoldPosted&) = delete;
    HoldPosted& operator=(const HoldPosted&) = delete;
  };

 private:
  class Slot;
  struct Entry {
    QPointer<QWidget> widget;
    Slot* slot = nullptr;
    MessageHandler handler;
  };
  void rekey(WindowId oldId, WindowId newId);

  IdChanged idChanged_;
  Gone gone_;
  std::map<WindowId, Entry> windows_;
};

}  // namespace lumi::desktop
