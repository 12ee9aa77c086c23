#include "platform/desktop/LocalWindows.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace lumi::desktop {
namespace {

const QEvent::Type kPostedMessage = static_cast<QEvent::Type>(QEvent::registerEventType());

class PostedMessageEvent : public QEvent {
 public:
  explicit PostedMessageEvent(WindowMessage m) : QEvent(kPostedMessage), message(std::move(m)) {}
  WindowMessage message;
};

// Holds are per user-interface thread, like the loops they guard.
thread_local int holdDepth = 0;
thread_local std::vector<std::pair<QPointer<QObject>, WindowMessage>>* held = nullptr;

}  // namespace

// Lives as a child of the registered widget: the receiver of its posted
// messages and the watcher of its native window.
class LocalWindows::Slot : public QObject {
 public:
  Slot(LocalWindows* owner, WindowId id, QWidget* widget) : QObject(widget), owner_(owner), id_(id) {
    widget->installEventFilter(this);
  }
  WindowId id() const { return id_; }
  void setId(WindowId id) { id_ = id; }

 protected:
  bool event(QEvent* e) override {
    if (e->type() != kPostedMessage) return QObject::event(e);
    auto* posted = static_cast<PostedMessageEvent*>(e);
    if (holdDepth > 0) {
      held->emplace_back(this, std::move(posted->message));
      return true;
    }
    owner_->deliver(id_, posted->message);
    return true;
  }
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::WinIdChange && owner_->idChanged_) {
      const WindowId newId = owner_->idChanged_(id_, static_cast<QWidget*>(watched));
      if (newId != 0 && newId != id_) owner_->rekey(id_, newId);
    }
    return false;
  }

 private:
  LocalWindows* owner_;
  WindowId id_;
};

LocalWindows::LocalWindows(IdChanged idChanged, Gone gone)
    : idChanged_(std::move(idChanged)), gone_(std::move(gone)) {}

LocalWindows::~LocalWindows() {
  for (auto& [id, entry] : windows_) {
    if (entry.widget) {
      entry.widget->removeEventFilter(entry.slot);
      delete entry.slot;
    }
  }
}

void LocalWindows::add(WindowId id, QWidget* widget, MessageHandler handler) {
  remove(id);
  Entry entry;
  entry.widget = widget;
  entry.slot = new Slot(this, id, widget);
  entry.handler = std::move(handler);
  Slot* slot = entry.slot;
  QObject::connect(widget, &QObject::destroyed, slot, [this, slot] {
    const WindowId current = slot->id();
    windows_.erase(current);
    if (gone_) gone_(current);
  });
  windows_.emplace(id, std::move(entry));
}

void LocalWindows::remove(WindowId id) {
  auto it = windows_.find(id);
  if (it == windows_.end()) return;
  if (it->second.widget) {
    it->second.widget->removeEventFilter(it->second.slot);
    delete it->second.slot;
  }
  windows_.erase(it);
}

void LocalWindows::rekey(WindowId oldId, WindowId newId) {
  auto node = windows_.extract(oldId);
  if (node.empty()) return;
  node.key() = newId;
  node.mapped().slot->setId(newId);
  windows_.insert(std::move(node));
}

QWidget* LocalWindows::widget(WindowId id) const {
  auto it = windows_.find(id);
  return it == windows_.end() ? nullptr : it->second.widget.data();
}

std::vector<WindowId> LocalWindows::ids() const {
  std::vector<WindowId> out;
  for (const auto& [id, entry] : windows_) out.push_back(id);
  return out;
}

std::int64_t LocalWindows::deliver(WindowId id, const WindowMessage& message) {
  auto it = windows_.find(id);
  if (it == windows_.end() || !it->second.widget || !it->second.handler) return 0;
  // A copy: the handler may unregister or destroy its own window.
  MessageHandler handler = it->second.handler;
  return handler(message);
}

LocalWindows::HoldPosted::HoldPosted() {
  if (holdDepth++ == 0) held = new std::vector<std::pair<QPointer<QObject>, WindowMessage>>;
}

LocalWindows::HoldPosted::~HoldPosted() {
  if (--holdDepth > 0) return;
  // Back into the queue in their order; they come before anything posted later.
  for (auto& [slot, message] : *held)
    if (slot) QCoreApplication::postEvent(slot, new PostedMessageEvent(std::move(message)));
  delete held;
  held = nullptr;
}

bool LocalWindows::post(WindowId id, WindowMessage message) {
  auto it = windows_.find(id);
  if (it == windows_.end() || !it->second.widget) return false;
  message.posted = true;
  QCoreApplication::postEvent(it->second.slot, new PostedMessageEvent(std::move(message)));
  return true;
}

}  // namespace lumi::desktop
