#pragma once
// The manager's main window: the seven buttons, the property sheet, the
// status popup (StatusPopup), the tray (ManagerTray) and the launches
// (ProgramLauncher) around the receiver (CSerialThread), its
// ConnectionProcedure and the KeyDispatcher. Messages from other programs
// are decided by ManagerMessages and carried out here. Everything runs on the
// user-interface thread; the reader only reaches it through queued signals.
#include <QPointer>
#include <QWidget>
#include <memory>

#include "common/skin/XPButton.h"
#include "common/suite/SuiteWindow.h"
#include "manager/core/ConnectionProcedure.h"
#include "manager/core/PendingUpdates.h"
#include "manager/core/ReceiverReturnWatch.h"
#include "manager/core/SerialThread.h"
#include "manager/core/TimerBank.h"
#include "manager/dispatch/DispatchWidgets.h"
#include "manager/dispatch/KeyDispatcher.h"
#include "manager/dispatch/X11DispatchPorts.h"
#include "manager/window/CPageMain.h"
#include "manager/window/CPageSkin.h"
#include "manager/window/KeywardenSettings.h"
#include "manager/window/ManagerTray.h"
#include "manager/window/ProgramLauncher.h"
#include "manager/window/StatusPopup.h"

class QLabel;
class QMenu;
class QProgressBar;
class QSystemTrayIcon;
class QTabWidget;

namespace lumi::manager {

class CKeywardenDlg : public QWidget, public ConnectionHost, public ManagerDialog {
  Q_OBJECT

 public:
  struct Options {
    QString programFolder;  // ends in "/"
    // Whether a notification area is there right now (a panel may start
    // after the manager, or go away): QSystemTrayIcon::isSystemTrayAvailable
    // unless a test says otherwise.
    std::function<bool()> trayAvailable;
  };
  CKeywardenDlg(const text::StringTable& strings, const KeywardenSettings& settings, Options options);
  ~CKeywardenDlg() override;

  // The steps after the window exists: the tray icon, then Connect.
  void start();
  // Button 1 and the tray's exit: writes the settings, stops the reader,
  // ends the shell and quits.
  void exitManager();
  void launchShell();
  // The skin page's Apply: the shell reads the skin only when it starts.
  void restartShell();
  void launchUpdater(bool visible);
  // Button 2, the window's close command and the launches with
  // "ToTrayOnLaunch": into the tray, or minimised where there is no tray to
  // come back from.
  void hideToTray();
  ProgramLauncher& launcher() { return *launcher_; }

  desktop::WindowId windowId() const { return suiteWindow_ ? suiteWindow_->id() : 0; }
  CPageMain* page() const { return page_; }
  CPageSkin* skinPage() const { return skinPage_; }
  QSystemTrayIcon* trayIcon() const { return tray_->icon(); }
  StatusPopup* statusPopup() const { return popup_; }
  // The window's menu (what a title bar's system menu holds): hide, then a
  // separator and "Keywarden 정보(&A)..." (101). Opened by a right click.
  QMenu* systemMenu() const { return systemMenu_; }
  void openAbout();
  KeyDispatcher& dispatcher() { return *dispatcher_; }

  // ConnectionHost
  void setStatusLine(const QString& text) override;
  void setInputValueLine(const QString& text) override;
  void showPopup(const Popup& popup) override;
  void setConnectEnabled(bool on) override;
  void setChangeButtonsEnabled(bool on) override;
  void startReader() override;
  void stopReader() override;
  void setReaderDtr(bool on) override;
  void takeForegroundAsKeyTarget() override;
  void restoreIfMinimised() override;
  void startUpdaterSilently() override;
  void startTimer(int id, int periodMs) override;
  void killTimer(int id) override;
  bool confirmStop() override;

  // ManagerDialog
  void showKeyTarget(const QString& title) override;
  void showInputValue(const QString& text) override;
  void focusPreviousControl() override;
  void focusNextControl() override;
  void pressFocusedControl() override;

 signals:
  // WM_COPYDATA 1121: the skin page re-reads the current skin.
  void skinChanged();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Carries out what ManagerMessages decides and gives its answer.
  std::optional<std::int64_t> message(const desktop::WindowMessage& m);
  void connectReceiver();
  // ".Update" copies the updater left behind, put in place.
  void applyPendingUpdates();
  void showPortAndModel();
  void changePort();
  void changeModel();
  void settingsChangedByUser();
  void openFromTray();
  void checkBox(QCheckBox* box, quint32 KeywardenSettings::* field, const char* name);
  void toggleStartup(bool on);
  void hideForLaunch();
  // The updater has closed: it said so, it ended without saying so, or it
  // is not there to start.
  void updaterClosed();

  const text::StringTable& strings_;
  KeywardenSettings settings_;
  Options options_;
  CPageMain* page_ = nullptr;
  CPageSkin* skinPage_ = nullptr;
  QTabWidget* sheet_ = nullptr;
  skin::CXPButton* connectButton_ = nullptr;
  StatusPopup* popup_ = nullptr;
  QMenu* systemMenu_ = nullptr;
  ManagerTray* tray_ = nullptr;
  TimerBank timers_;
  CSerialThread reader_;
  ReceiverReturnWatch receiverReturn_;
  std::unique_ptr<ProgramLauncher> launcher_;
  std::unique_ptr<PendingUpdateRun> pendingUpdates_;
  bool readerRunning_ = false;
  std::unique_ptr<ConnectionProcedure> procedure_;
  std::unique_ptr<X11DispatchPorts> ports_;
  std::unique_ptr<KeyDispatcher> dispatcher_;
  std::unique_ptr<DispatchWidgets> dispatchWidgets_;
  std::unique_ptr<suite::SuiteWindow> suiteWindow_;
  QPoint dragOffset_;
  bool exiting_ = false;
};

}  // namespace lumi::manager
