#pragma once
// The manager's notification-area icon: tool tip, the two-item menu
// ("open" as the default, "exit") and a double click that opens the window.
// The icon is added whether or not a notification area is there: it docks by
// itself when a panel starts later. Hiding the window goes through here, so
// the window is never hidden into a tray that does not exist.
#include <QObject>
#include <functional>

#include "platform/text/StringTable.h"

class QIcon;
class QSystemTrayIcon;
class QWidget;

namespace lumi::manager {

class ManagerTray : public QObject {
  Q_OBJECT

 public:
  struct Actions {
    std::function<void()> open;
    std::function<void()> exit;
  };
  // `available` says whether a notification area is there right now; empty
  // means ask the desktop (QSystemTrayIcon::isSystemTrayAvailable). The tray
  // and its menu belong to `window`.
  ManagerTray(QWidget& window, const text::StringTable& strings, std::function<bool()> available, Actions actions);

  // Shows the icon with `icon` (the style's computer icon while the window
  // has no picture of its own). Once only; later calls do nothing.
  void add(const QIcon& icon);
  // Takes the icon out of the notification area (the manager's exit).
  void remove();
  bool available() const;
  // Into the tray where there is one to come back from, else minimised.
  void hideWindow() const;

  QSystemTrayIcon* icon() const { return icon_; }

 private:
  QWidget& window_;
  const text::StringTable& strings_;
  std::function<bool()> available_;
  Actions actions_;
  QSystemTrayIcon* icon_ = nullptr;
};

}  // namespace lumi::manager
