#include "shell/base/CShellDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

#include "common/suite/PeerWindows.h"
#include "common/suite/SuiteMessages.h"
#include "platform/registry/Registry.h"
#include "shell/base/WindowPlacement.h"

namespace lumi::shell {

using desktop::WindowMessage;

namespace {
constexpr int kPointerHideMs = 6000;
constexpr int kPositionRestMs = 500;
}

CShellDialog::CShellDialog(CShellDialog* parent, ShellContext& context) : CShellDialog(parent, context, Layer::Screen) {}

CShellDialog::CShellDialog(CShellDialog* parent, ShellContext& context, Layer layer)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint |
                          (layer == Layer::Dialog && context.television() ? Qt::WindowStaysOnTopHint
                                                                          : Qt::WindowFlags())),
      context_(context),
      parent_(parent) {
  setFixedSize(kShellWindowSize);
  setAttribute(Qt::WA_DeleteOnClose, false);
  pointerTimer_.setInterval(kPointerHideMs);
  connect(&pointerTimer_, &QTimer::timeout, this, &CShellDialog::hidePointer);
  positionRest_.setSingleShot(true);
  positionRest_.setInterval(kPositionRestMs);
  connect(&positionRest_, &QTimer::timeout, this, &CShellDialog::savePosition);
  for (QTimer* t : {&indication223_, &indication224_}) {
    t->setSingleShot(true);
    connect(t, &QTimer::timeout, this, [this] { repaint(); });
  }
  qApp->installEventFilter(this);
  suiteWindow_ = std::make_unique<suite::SuiteWindow>(
      this, [this](const WindowMessage& m) { return handleMessage(m); }, suite::SuiteWindow::Ping::Answer,
      *context_.desktop);
}

CShellDialog::~CShellDialog() {
  if (positionRest_.isActive()) savePosition();
  pointerTimer_.stop();
  if (pointerHidden_) showPointer();
  if (context_.current == this) context_.SetCurrentWindow(parent_);
}

std::optional<std::int64_t> CShellDialog::handleMessage(const WindowMessage& m) {
  if (m.message == suite::WM_REMOTE_KEY && keepsRemoteKeys_) {
    context_.desktop->post(windowId(), WM_SHELL_KEY, m.wParam, 0);
    return 0;
  }
  if (m.message == suite::WM_REMOTE_KEY) {
    // While the movie player runs, the remote's keys are its keys.
    const desktop::WindowId player = suite::FindPeerWindow(context_.playerTitle, *context_.desktop);
    if (player != 0) return context_.desktop->sendCopyData(player, windowId(), m.wParam, {});
    if (CShellDialog* current = context_.current) context_.desktop->post(current->windowId(), WM_SHELL_KEY, m.wParam, 0);
    return 0;
  }
  if (m.message == WM_SHELL_KEY) {
    OnShellKey(static_cast<int>(m.wParam));
    return 0;
  }
  return OnMessage(m);
}

void CShellDialog::setVisible(bool visible) {
  // Placed before it appears, so that no other placement (a dialog centred
  // over its parent) ever shows or becomes the shell's position.
  if (visible && coversMain_ && context_.main && context_.main != this) move(context_.mainPosition);
  QDialog::setVisible(visible);
}

void CShellDialog::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (coversMain_ && context_.main && context_.main != this && pos() != context_.mainPosition) {
    move(context_.mainPosition);
    raise();
  }
  applyTelevisionLook();
  if (!initialised_) {
    initialised_ = true;
    context_.SetCurrentWindow(this);
    lastPointer_ = QCursor::pos();
    pointerTimer_.start();
    OnInitDialog();
  }
}

void CShellDialog::SetOwnPlacement(QSize size) {
  coversMain_ = false;
  setFixedSize(size);
}

void CShellDialog::DestroyWindow() {
  if (parent_) {
    parent_->show();
    context_.SetCurrentWindow(parent_);
  }
  pointerTimer_.stop();
  hide();
  deleteLater();
}

void CShellDialog::closeEvent(QCloseEvent* e) {
  // Closing any shell window ends the shell, the main window included (the
  // window manager's close, Alt+F4): through the main window's exit, which
  // gives the display back, never leaving an invisible shell behind.
  if (context_.main) context_.desktop->post(context_.main->windowId(), desktop::WM_CLOSE, 0, 0);
  QDialog::closeEvent(e);
}

void CShellDialog::Minimise() {
  displayModeChanging_ = true;
  if (context_.applyDisplayMode) context_.applyDisplayMode(false);
  if (context_.HasWindowManager()) {
    showMinimized();
  } else {
    hiddenAsMinimised_ = true;
    hide();
  }
  displayModeChanging_ = false;
}

void CShellDialog::Restore() {
  displayModeChanging_ = true;
  if (context_.applyDisplayMode) context_.applyDisplayMode(true);
  if (hiddenAsMinimised_) {
    hiddenAsMinimised_ = false;
    show();
    raise();
    activateWindow();
  } else if (isMinimized() || !isVisible()) {
    showNormal();
  }
  applyTelevisionLook();
  displayModeChanging_ = false;
}

void CShellDialog::applyTelevisionLook() {
  // In television mode no panel or dock may cover the picture: a screen that
  // fills its monitor exactly (the display was switched to 800 x 600) asks to
  // be full screen, which puts it above the panels without changing its
  // size. It is not kept above everything: the product site's browser and
  // the movie player open over it. Where the monitor kept its size the
  // window stays a plain 800 x 600 one.
  if (!windowHandle() || !context_.television()) return;
  if (coversMain_ && !isMinimized() && !(windowState() & Qt::WindowFullScreen) &&
      context_.MonitorAt(frameGeometry()) == QRect(pos(), size()))
    setWindowState(windowState() | Qt::WindowFullScreen);
}

void CShellDialog::OnShellKey(int code) {
  if (code == suite::KeyPower) PowerKey();
  else if (context_.frameKeys) context_.frameKeys(code);
}

void CShellDialog::PowerKey() {
  CShellDialog* current = context_.current ? context_.current.data() : this;
  if (current->IsMinimised()) {
    current->Restore();
    suite::BringToForeground(current->windowId(), *context_.desktop);
    return;
  }
  current->Minimise();
  // The desktop behind gets a pointer to work with.
  current->showPointer();
  current->pointerTimer_.start();
}

void CShellDialog::changeEvent(QEvent* e) {
  QDialog::changeEvent(e);
  if (e->type() != QEvent::WindowStateChange || displayModeChanging_ || !context_.applyDisplayMode) return;
  // Minimised or restored by the window manager (its buttons, a panel).
  const auto* change = static_cast<QWindowStateChangeEvent*>(e);
  const bool wasMinimised = change->oldState() & Qt::WindowMinimized;
  if (isMinimized() && !wasMinimised) context_.applyDisplayMode(false);
  else if (!isMinimized() && wasMinimised) context_.applyDisplayMode(true);
}

void CShellDialog::moveEvent(QMoveEvent* e) {
  QDialog::moveEvent(e);
  if (!isVisible() || !coversMain_) return;
  context_.mainPosition = pos();
  // The stored position is the one the window comes to rest at: written once
  // when a drag ends, and for a move the window manager makes (keyboard
  // moves, its own drags) once the window has stayed put for a moment. Only
  // windowed mode keeps a position; elsewhere the shell is centred.
  if (context_.windowed() && !dragOffset_) positionRest_.start();
}

void CShellDialog::savePosition() {
  positionRest_.stop();
  if (!context_.windowed() || !coversMain_) return;
  registry::Key root = registry::Key::create(registry::Root::CurrentUser, kRegistryRoot);
  root.writeDWord("PosX", static_cast<quint32>(context_.mainPosition.x()));
  root.writeDWord("PosY", static_cast<quint32>(context_.mainPosition.y()));
}

bool CShellDialog::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate && context_.current && context_.current != this) {
    // Whatever brought a shell window forward, the current one belongs in front.
    suite::BringToForeground(context_.current->windowId(), *context_.desktop);
    context_.current->setFocus();
  }
  return QDialog::event(e);
}

void CShellDialog::keyPressEvent(QKeyEvent* e) {
  // F10 would open a window menu on some desktops; Esc must not close the
  // dialog behind the screen's own handling.
  if (e->key() == Qt::Key_F10 || e->key() == Qt::Key_Escape) return;
  QDialog::keyPressEvent(e);
}

void CShellDialog::mousePressEvent(QMouseEvent* e) {
  if ((context_.windowed() || dragAnywhere_) && e->button() == Qt::LeftButton) dragOffset_ = e->globalPosition().toPoint() - pos();
  QDialog::mousePressEvent(e);
}

void CShellDialog::mouseMoveEvent(QMouseEvent* e) {
  if (dragOffset_ && (e->buttons() & Qt::LeftButton)) {
    const QScreen* screen = this->screen();
    const QSize monitor = screen ? screen->geometry().size() : QSize(kShellWindowSize);
    const int panel = screen ? screen->geometry().height() - screen->availableGeometry().height() : 0;
    const QRect proposed(e->globalPosition().toPoint() - *dragOffset_, size());
    const QPoint to = SnapToEdges(proposed, monitor, panel).topLeft();
    if (to != pos()) {
      dragMoved_ = true;
      move(to);
    }
  }
  QDialog::mouseMoveEvent(e);
}

void CShellDialog::mouseReleaseEvent(QMouseEvent* e) {
  if (dragOffset_ && dragMoved_) savePosition();
  dragOffset_.reset();
  dragMoved_ = false;
  QDialog::mouseReleaseEvent(e);
}

bool CShellDialog::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::MouseMove) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && widget->window() == this) pointerMoved(static_cast<QMouseEvent*>(e)->globalPosition().toPoint());
  }
  return false;
}

void CShellDialog::pointerMoved(const QPoint& global) {
  if (global == lastPointer_) return;
  lastPointer_ = global;
  showPointer();
  pointerTimer_.start();
}

void CShellDialog::hidePointer() {
  if (!isActiveWindow() || !isVisible() || isMinimized()) return;
  pointerTimer_.stop();
  if (!pointerHidden_) {
    QApplication::setOverrideCursor(Qt::BlankCursor);
    pointerHidden_ = true;
  }
}

void CShellDialog::showPointer() {
  if (!pointerHidden_) return;
  QApplication::restoreOverrideCursor();
  pointerHidden_ = false;
}

void CShellDialog::StartIndicationTimer(int id, int ms) {
  (id == 224 ? indication224_ : indication223_).start(ms);
}

}  // namespace lumi::shell
