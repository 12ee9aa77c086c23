#pragma once
// The base of every full-screen shell window: 800 x 600 over the main window,
// the current window while it is in front, the manager's key target, keys
// forwarded to the movie player while it runs, the pointer hidden 6 seconds
// after it last moved, dragging and snapping in windowed mode.
//
// The message dialogs share all of it but their place and size: they are
// smaller, lie where they put themselves, can be dragged in every display
// mode and keep the remote's keys for themselves (see the protected setters).
#include <QDialog>
#include <QTimer>
#include <memory>
#include <optional>

#include "common/suite/SuiteWindow.h"
#include "shell/base/ShellContext.h"

namespace lumi::shell {

// The shell's own key command, posted to the current window.
inline constexpr std::uint32_t WM_SHELL_KEY = 0x470;
// A skinned button under the mouse (wParam = control id).
inline constexpr std::uint32_t WM_BUTTON_HOVER = 0x462;

class CShellDialog : public QDialog {
  Q_OBJECT

 public:
  CShellDialog(CShellDialog* parent, ShellContext& context);
  ~CShellDialog() override;

  // The place of a window of its own (the message dialogs): in television
  // mode kept above the desktop's panels, since only the screens that fill
  // the monitor can be full screen. Fixed at creation: a later change of the
  // flag would make a new native window.
  enum class Layer { Screen, Dialog };
  CShellDialog(CShellDialog* parent, ShellContext& context, Layer layer);

  ShellContext& context() const { return context_; }
  desktop::WindowId windowId() const { return suiteWindow_ ? suiteWindow_->id() : 0; }
  CShellDialog* parentShellWindow() const { return parent_; }
  // Lies over the main window (every screen but the message dialogs).
  bool coversMainWindow() const { return coversMain_; }

  // Leaves this screen: the parent is shown again and becomes current, then
  // this window is destroyed.
  void DestroyWindow();
  // Minimise restores the display settings found at start; restore switches
  // back to television mode. Without a window manager nothing could show the
  // window minimised, so minimising hides it.
  void Minimise();
  void Restore();
  bool IsMinimised() const { return isMinimized() || hiddenAsMinimised_; }
  // The power key: the current window is minimised (display given back,
  // pointer shown again) or, when it is minimised, restored and brought to
  // the front.
  void PowerKey();
  // Timers 223 and 224: take an on-screen indication away after `ms`.
  void StartIndicationTimer(int id, int ms = 5000);
  bool pointerHidden() const { return pointerHidden_; }

 protected:
  // The key-code handling of the screen (`WM_SHELL_KEY`). The base handles
  // what every shell window shares: the power key and the frame keys 24-39
  // (ShellContext::frameKeys). A screen handles its own codes and passes the
  // rest on to CShellDialog::OnShellKey; the message dialogs keep them all.
  virtual void OnShellKey(int code);
  // Messages other than the ones every shell window handles; nullopt leaves
  // them to the default handling.
  virtual std::optional<std::int64_t> OnMessage(const desktop::WindowMessage& message) { return std::nullopt; }
  // The window has been shown for the first time (dialog initialisation).
  virtual void OnInitDialog() {}

  // A window of its own size and place: not moved over the main window when
  // shown, and its moves are not the main window's position (nor "PosX" and
  // "PosY"). Call from the constructor.
  void SetOwnPlacement(QSize size);
  // Every point of the window drags it, in every display mode (otherwise
  // only in windowed mode).
  void SetDragAnywhere(bool on) { dragAnywhere_ = on; }
  // WM_REMOTE_KEY becomes this window's own WM_SHELL_KEY: never forwarded to
  // the movie player, never sent on to another current window.
  void SetKeepsRemoteKeys(bool on) { keepsRemoteKeys_ = on; }

  void setVisible(bool visible) override;
  bool event(QEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void changeEvent(QEvent* e) override;
  void moveEvent(QMoveEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private slots:
  void hidePointer();

 private:
  std::optional<std::int64_t> handleMessage(const desktop::WindowMessage& message);
  void pointerMoved(const QPoint& global);
  void showPointer();
  void applyTelevisionLook();
  void savePosition();

  ShellContext& context_;
  QPointer<CShellDialog> parent_;
  std::unique_ptr<suite::SuiteWindow> suiteWindow_;
  QTimer pointerTimer_;  // 210
  QTimer indication223_, indication224_;
  QPoint lastPointer_;
  bool pointerHidden_ = false;
  bool initialised_ = false;
  bool displayModeChanging_ = false;
  bool coversMain_ = true;
  bool dragAnywhere_ = false;
  bool keepsRemoteKeys_ = false;
  bool hiddenAsMinimised_ = false;
  std::optional<QPoint> dragOffset_;
  bool dragMoved_ = false;
  QTimer positionRest_;  // a move by the window manager has come to rest
};

}  // namespace lumi::shell
