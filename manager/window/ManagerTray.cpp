#include "manager/window/ManagerTray.h"

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

namespace lumi::manager {

ManagerTray::ManagerTray(QWidget& window, const text::StringTable& strings, std::function<bool()> available,
                         Actions actions)
    : QObject(&window), window_(window), strings_(strings), available_(std::move(available)),
      actions_(std::move(actions)) {}

void ManagerTray::add(const QIcon& picture) {
  if (icon_) return;
  icon_ = new QSystemTrayIcon(picture, &window_);
  icon_->setToolTip(strings_.text(230));
  auto* menu = new QMenu(&window_);
  QAction* open = menu->addAction(strings_.text(32772), this, [this] { actions_.open(); });
  menu->addAction(strings_.text(32771), this, [this] { actions_.exit(); });
  menu->setDefaultAction(open);
  icon_->setContextMenu(menu);
  connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::DoubleClick) actions_.open();
  });
  icon_->show();
}

void ManagerTray::remove() {
  if (icon_) icon_->hide();
}

bool ManagerTray::available() const {
  return available_ ? available_() : QSystemTrayIcon::isSystemTrayAvailable();
}

void ManagerTray::hideWindow() const {
  if (available()) window_.hide();
  else window_.showMinimized();
}

}  // namespace lumi::manager
