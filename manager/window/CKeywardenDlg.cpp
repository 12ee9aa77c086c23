#include "manager/window/CKeywardenDlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainterPath>
#include <QProcess>
#include <QProgressBar>
#include <QRadioButton>
#include <QThread>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "common/suite/PeerWindows.h"
#include "common/suite/SuiteMessages.h"
#include "manager/core/ManagerStrings.h"
#include "manager/core/RemoteModel.h"
#include "manager/core/RemoteSettings.h"
#include "manager/core/PendingUpdates.h"
#include "manager/window/AboutDialog.h"
#include "manager/window/ManagerMessages.h"
#include "manager/window/PortDialog.h"
#include "manager/window/StartupEntry.h"

namespace lumi::manager {

namespace {
constexpr int kCornerRadius = 5;
}  // namespace

CKeywardenDlg::CKeywardenDlg(const text::StringTable& strings, const KeywardenSettings& settings, Options options)
    : QWidget(nullptr, Qt::FramelessWindowHint), strings_(strings), settings_(settings), options_(std::move(options)) {
  setWindowTitle(strings_.text(230));
  auto* layout = new QHBoxLayout(this);
  auto* buttons = new QVBoxLayout;
  auto button = [&](int id) {
    auto* b = new skin::CXPButton(strings_.text(id), this);
    buttons->addWidget(b);
    return b;
  };
  skin::CXPButton* shell = button(231);
  skin::CXPButton* updater = button(1015);
  skin::CXPButton* taskSwitch = button(1009);
  connectButton_ = button(1005);
  skin::CXPButton* help = button(57670);
  skin::CXPButton* hideButton = button(2);
  skin::CXPButton* exit = button(1);
  help->setEnabled(false);
  buttons->addStretch(1);
  layout->addLayout(buttons);

  sheet_ = new QTabWidget(this);
  page_ = new CPageMain(strings_, sheet_);
  page_->ShowUsers(options_.programFolder, settings_.selUser);
  sheet_->addTab(page_, strings_.text(155));
  skinPage_ = new CPageSkin(strings_, [this] { restartShell(); }, sheet_);
  sheet_->addTab(skinPage_, strings_.text(157));
  connect(this, &CKeywardenDlg::skinChanged, skinPage_, &CPageSkin::reload);
  layout->addWidget(sheet_, 1);
  resize(640, 420);

  popup_ = new StatusPopup(strings_, this);
  tray_ = new ManagerTray(*this, strings_, options_.trayAvailable,
                          {.open = [this] { openFromTray(); }, .exit = [this] { exitManager(); }});
  // The system menu gets a separator and the about item.
  systemMenu_ = new QMenu(this);
  systemMenu_->addAction(strings_.text(2), this, [this] { hideToTray(); });
  systemMenu_->addSeparator();
  systemMenu_->addAction(strings_.text(101), this, [this] { openAbout(); });
  launcher_ = std::make_unique<ProgramLauncher>(options_.programFolder, strings_.text(202));
  pendingUpdates_ = std::make_unique<PendingUpdateRun>([] {
    const desktop::WindowId updater = suite::FindPeerWindow(suite::kUpdaterTitle);
    return updater ? desktop::Desktop::instance().windowProcess(updater) : 0;
  });
  connect(launcher_.get(), &ProgramLauncher::updaterEndedSilently, this, [this] { updaterClosed(); });
  procedure_ = std::make_unique<ConnectionProcedure>(*this, strings_);
  ports_ = std::make_unique<X11DispatchPorts>();
  dispatcher_ = std::make_unique<KeyDispatcher>(desktop::Desktop::instance(), ports_->input, ports_->screen, *this, strings_);
  dispatchWidgets_ = std::make_unique<DispatchWidgets>(*dispatcher_, desktop::Desktop::instance(), ports_->windows);
  dispatcher_->setModel(settings_.remote == 1 ? RemoteModel::B : RemoteModel::A);
  // Power with no shell: it is started only once the receiver is ready.
  dispatcher_->setShellLauncher([this] {
    if (procedure_->ready()) launchShell();
  });
  dispatcher_->setConnectionHandler([this](quint32 code) { procedure_->remoteCode(code); });

  connect(&timers_, &TimerBank::timeout, this, [this](int id) { procedure_->timer(id); });
  connect(popup_, &StatusPopup::stopClicked, this, [this] { procedure_->stop(); });
  connect(&reader_, &CSerialThread::opened, this, [this] { procedure_->readerOpened(); });
  connect(&reader_, &CSerialThread::openFailed, this, [this](int failure, const QString& device) {
    procedure_->readerOpenFailed(PortFailure(failure));
    // An unplugged receiver connects again by itself once it is back.
    receiverReturn_.watch(device);
  });
  connect(&receiverReturn_, &ReceiverReturnWatch::returned, this, [this] { connectReceiver(); });
  connect(&reader_, &CSerialThread::remoteKey, this, [this](quint32 code) { dispatcher_->remoteCode(code); });

  connect(shell, &QAbstractButton::clicked, this, [this] { launchShell(); });
  connect(updater, &QAbstractButton::clicked, this, [this] {
    procedure_->clearBusy();
    launchUpdater(true);
  });
  connect(taskSwitch, &QAbstractButton::clicked, this, [this] { dispatcher_->taskSwitch(); });
  connect(connectButton_, &QAbstractButton::clicked, this, [this] { connectReceiver(); });
  connect(hideButton, &QAbstractButton::clicked, this, [this] { hideToTray(); });
  connect(exit, &QAbstractButton::clicked, this, [this] { exitManager(); });
  connect(page_->changePort, &QAbstractButton::clicked, this, [this] { changePort(); });
  connect(page_->changeModel, &QAbstractButton::clicked, this, [this] { changeModel(); });

  page_->launchAfterConnect->setChecked(settings_.launchAfterConnect == 1);
  page_->startup->setChecked(settings_.startup == 1);
  page_->resolution->setChecked(settings_.resolution == 1);
  page_->toTrayOnLaunch->setChecked(settings_.toTrayOnLaunch == 1);
  page_->keyboardMessage->setChecked(settings_.keyboardMessage == 1);
  page_->toTrayOnPower->setChecked(settings_.toTrayOnPower == 1);
  checkBox(page_->launchAfterConnect, &KeywardenSettings::launchAfterConnect, "LaunchAfterConnect");
  checkBox(page_->toTrayOnLaunch, &KeywardenSettings::toTrayOnLaunch, "ToTrayOnLaunch");
  checkBox(page_->keyboardMessage, &KeywardenSettings::keyboardMessage, "KeyboardMessage");
  checkBox(page_->toTrayOnPower, &KeywardenSettings::toTrayOnPower, "ToTrayOnPower");
  connect(page_->resolution, &QAbstractButton::clicked, this, [this](bool on) {
    settings_.resolution = on ? 1 : 0;
    KeywardenSettings::WriteResolution(settings_.resolution);
  });
  connect(page_->startup, &QAbstractButton::clicked, this, [this](bool on) { toggleStartup(on); });
  showPortAndModel();

  // Registered last: from here on other programs can reach the window.
  suiteWindow_ = std::make_unique<suite::SuiteWindow>(
      this, [this](const desktop::WindowMessage& m) { return message(m); });
  dispatcher_->setOwnWindow(suiteWindow_->id());
}

CKeywardenDlg::~CKeywardenDlg() {
  timers_.killAll();
  reader_.stop();
  dispatchWidgets_.reset();
}

void CKeywardenDlg::applyPendingUpdates() { pendingUpdates_->start(options_.programFolder); }

void CKeywardenDlg::start() {
  // Until the manager has a picture of its own, the style's computer icon.
  tray_->add(windowIcon().isNull() || windowIcon().availableSizes().isEmpty()
                 ? style()->standardIcon(QStyle::SP_ComputerIcon)
                 : windowIcon());
  // Without a tray the manager still owns the receiver: a desktop without a
  // notification area is no reason to leave the remote dead. The copies go
  // in place first, on the event loop, so the window answers meanwhile.
  pendingUpdates_->start(options_.programFolder, [this] {
    if (!exiting_) connectReceiver();
  });
}

void CKeywardenDlg::connectReceiver() {
  receiverReturn_.cancel();
  procedure_->connectReceiver(settings_.remote == 1 ? RemoteModel::B : RemoteModel::A);
}

std::optional<std::int64_t> CKeywardenDlg::message(const desktop::WindowMessage& m) {
  const ManagerDecision decision = ManagerMessages::decide(m);
  switch (decision.action) {
    case ManagerAction::None:
      break;
    case ManagerAction::RemoteKey:
      dispatcher_->remoteCode(static_cast<quint32>(decision.argument));
      break;
    case ManagerAction::SetKeyTarget:
      dispatcher_->setKeyTarget(decision.argument);
      break;
    case ManagerAction::ReloadSkin:
      emit skinChanged();
      break;
    case ManagerAction::ShowWindow:
      openFromTray();
      break;
    case ManagerAction::ReaderOpened:
      procedure_->readerOpened();
      break;
    case ManagerAction::ReaderOpenFailed:
      procedure_->readerOpenFailed();
      break;
    case ManagerAction::UpdaterClosed:
      launcher_->updaterSaidClosed();
      updaterClosed();
      break;
    case ManagerAction::PostApplyPendingUpdates:
      desktop::Desktop::instance().post(windowId(), suite::WM_APPLY_PENDING_UPDATES, 0, 0);
      break;
    case ManagerAction::ApplyPendingUpdates:
      applyPendingUpdates();
      break;
    case ManagerAction::Exit:
      // Not inside the handler: exit waits for the shell, which may be
      // the very program that sent this.
      QTimer::singleShot(0, this, [this] { exitManager(); });
      break;
  }
  return decision.reply;
}

void CKeywardenDlg::exitManager() {
  if (exiting_) return;
  exiting_ = true;
  receiverReturn_.cancel();
  settings_.SaveAtExit();
  timers_.kill(ConnectionProcedure::kIdentifyTimer);
  timers_.kill(ConnectionProcedure::kPulseTimer);
  timers_.kill(ConnectionProcedure::kInitialiseTimer);
  popup_->hide();
  stopReader();
  hide();
  launcher_->closeShell([this] {
    tray_->remove();
    QApplication::quit();
  });
}

void CKeywardenDlg::hideForLaunch() {
  if (!isMinimized() && settings_.toTrayOnLaunch == 1) hideToTray();
}

void CKeywardenDlg::hideToTray() { tray_->hideWindow(); }

void CKeywardenDlg::launchShell() {
  setStatusLine({});
  popup_->hide();
  if (!procedure_->ready()) return;
  hideForLaunch();
  launcher_->startShell();
}

void CKeywardenDlg::restartShell() {
  const bool wasRunning = suite::FindPeerWindow(suite::kShellTitle) != 0;
  launcher_->closeShell([this, wasRunning] {
    // The launcher waits for a connected receiver; a shell the user had
    // running without one must not vanish for a change of colours.
    if (wasRunning && !procedure_->ready()) launcher_->startShell();
    else launchShell();
  });
}

void CKeywardenDlg::launchUpdater(bool visible) {
  setStatusLine({});
  popup_->hide();
  hideForLaunch();
  // Without an updater to run, nobody will say WM_UPDATER_CLOSED.
  if (!launcher_->startUpdater(visible)) updaterClosed();
}

void CKeywardenDlg::updaterClosed() {
  if (procedure_->busy() && settings_.launchAfterConnect == 1) launchShell();
}

void CKeywardenDlg::setStatusLine(const QString& text) { page_->statusLine->setText(text); }
void CKeywardenDlg::setInputValueLine(const QString& text) { page_->inputValue->setText(text); }
void CKeywardenDlg::showPopup(const Popup& popup) { popup_->show(popup); }
void CKeywardenDlg::setConnectEnabled(bool on) { connectButton_->setEnabled(on); }
void CKeywardenDlg::setChangeButtonsEnabled(bool on) {
  page_->changePort->setEnabled(on);
  page_->changeModel->setEnabled(on);
}

void CKeywardenDlg::startReader() {
  reader_.begin(settings_.comPort);
  settings_.comPort = reader_.comPort();
  readerRunning_ = true;
}

void CKeywardenDlg::stopReader() {
  reader_.stop();
  readerRunning_ = false;
}

void CKeywardenDlg::setReaderDtr(bool on) { reader_.setDataTerminalReady(on); }
void CKeywardenDlg::takeForegroundAsKeyTarget() { dispatcher_->setKeyTarget(0); }

void CKeywardenDlg::restoreIfMinimised() {
  if (isMinimized()) showNormal();
}

void CKeywardenDlg::startUpdaterSilently() { launchUpdater(false); }
void CKeywardenDlg::startTimer(int id, int periodMs) { timers_.start(id, periodMs); }
void CKeywardenDlg::killTimer(int id) { timers_.kill(id); }

bool CKeywardenDlg::confirmStop() {
  return QMessageBox::question(this, windowTitle(), strings_.text(textid::kStopQuestion),
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void CKeywardenDlg::showKeyTarget(const QString& title) { page_->keyTarget->setText(title); }
void CKeywardenDlg::showInputValue(const QString& text) { page_->inputValue->setText(text); }
void CKeywardenDlg::focusPreviousControl() { focusNextPrevChild(false); }
void CKeywardenDlg::focusNextControl() { focusNextPrevChild(true); }

void CKeywardenDlg::pressFocusedControl() {
  if (auto* b = qobject_cast<QAbstractButton*>(QApplication::focusWidget()); b && isAncestorOf(b)) b->click();
}

void CKeywardenDlg::showPortAndModel() {
  const int number = static_cast<int>(settings_.comPort) + 1;
  const QString mapped = portMapping(number);
  page_->portName->setText(mapped.isEmpty() ? portName(number) : QStringLiteral("%1 (%2)").arg(portName(number), mapped));
  page_->modelName->setText(modelName(settings_.remote == 1 ? RemoteModel::B : RemoteModel::A));
}

void CKeywardenDlg::settingsChangedByUser() {
  receiverReturn_.cancel();
  showPortAndModel();
  procedure_->settingsChanged();
}

// A choice among a few radio buttons, the port and the model dialogs alike.
static int choose(QWidget* owner, const QString& title, const QStringList& names, int current) {
  QDialog dialog(owner);
  dialog.setWindowTitle(title);
  auto* layout = new QVBoxLayout(&dialog);
  QButtonGroup group(&dialog);
  for (int i = 0; i < names.size(); ++i) {
    auto* radio = new QRadioButton(names[i], &dialog);
    radio->setChecked(i == current);
    group.addButton(radio, i);
    layout->addWidget(radio);
  }
  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(box, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(box, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(box);
  return dialog.exec() == QDialog::Accepted ? group.checkedId() : -1;
}

void CKeywardenDlg::changePort() {
  dispatcher_->setKeyTarget(windowId());
  const PortChoice before = storedPortChoice(settings_.comPort);
  PortDialog dialog(strings_, before, availableSerialDevices(), this);
  if (dialog.exec() != QDialog::Accepted || dialog.choice() == before) return;
  const PortChoice chosen = dialog.choice();
  storePortChoice(chosen);
  settings_.comPort = chosen.comPort;
  settingsChangedByUser();
}

void CKeywardenDlg::changeModel() {
  dispatcher_->setKeyTarget(windowId());
  const int chosen = choose(this, strings_.text(152), {modelName(RemoteModel::A), modelName(RemoteModel::B)},
                            static_cast<int>(settings_.remote));
  if (chosen < 0 || static_cast<quint32>(chosen) == settings_.remote) return;
  settings_.remote = static_cast<quint32>(chosen);
  writeRemoteModel(chosen == 1 ? RemoteModel::B : RemoteModel::A);
  dispatcher_->setModel(chosen == 1 ? RemoteModel::B : RemoteModel::A);
  settingsChangedByUser();
}

void CKeywardenDlg::checkBox(QCheckBox* box, quint32 KeywardenSettings::* field, const char* name) {
  connect(box, &QAbstractButton::clicked, this, [this, field, name](bool on) {
    settings_.*field = on ? 1 : 0;
    KeywardenSettings::WriteValue(QString::fromLatin1(name), settings_.*field);
  });
}

void CKeywardenDlg::toggleStartup(bool on) {
  settings_.startup = on ? 1 : 0;
  KeywardenSettings::WriteValue(QStringLiteral("Startup"), settings_.startup);
  if (on) CreateStartupEntry(strings_.text(247), options_.programFolder + strings_.text(245));
  else RemoveStartupEntry(strings_.text(247));
}

void CKeywardenDlg::openFromTray() {
  showNormal();
  raise();
  activateWindow();
}

void CKeywardenDlg::contextMenuEvent(QContextMenuEvent* event) {
  // Only the window's own surface: the controls keep their own menus.
  if (childAt(event->pos())) return;
  systemMenu_->popup(event->globalPos());
}

void CKeywardenDlg::openAbout() {
  auto* about = new AboutDialog(strings_, QCoreApplication::applicationFilePath(), windowIcon(), this);
  about->setAttribute(Qt::WA_DeleteOnClose);
  about->setObjectName(QStringLiteral("about"));
  about->open();
}

void CKeywardenDlg::closeEvent(QCloseEvent* event) {
  // The window's own close command hides it; the manager lives on in the tray.
  if (!exiting_) {
    event->ignore();
    hideToTray();
    return;
  }
  QWidget::closeEvent(event);
}

void CKeywardenDlg::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
  QWidget::mousePressEvent(event);
}

void CKeywardenDlg::mouseMoveEvent(QMouseEvent* event) {
  if (event->buttons() & Qt::LeftButton) move(event->globalPosition().toPoint() - dragOffset_);
  QWidget::mouseMoveEvent(event);
}

void CKeywardenDlg::resizeEvent(QResizeEvent* event) {
  QPainterPath path;
  path.addRoundedRect(rect(), kCornerRadius, kCornerRadius);
  setMask(QRegion(path.toFillPolygon().toPolygon()));
  QWidget::resizeEvent(event);
}

}  // namespace lumi::manager
