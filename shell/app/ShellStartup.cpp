#include "shell/app/ShellStartup.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

#include "common/resources/BitmapSource.h"
#include "common/resources/ResourceLibrary.h"
#include "common/skin/FontSet.h"
#include "common/suite/PeerWindows.h"
#include "common/suite/RepaintPump.h"
#include "common/suite/SuiteMessages.h"
#include "platform/display/RecordingDisplaySettings.h"
#include "platform/instance/SingleInstance.h"
#include "platform/media/MusicPlayerControl.h"
#include "platform/open/OpenAction.h"
#include "platform/power/PowerControl.h"
#include "platform/registry/Registry.h"
#include "platform/text/StringTable.h"
#include "shell/base/WindowPlacement.h"
#include "shell/frame/ProductSite.h"
#include "shell/frame/ShellDisplay.h"
#include "shell/frame/SystemPorts.h"
#include "shell/frame/UsageReport.h"
#include "shell/dialogs/CBackgroundChooserDlg.h"
#include "shell/dialogs/CExitDlg.h"
#include "shell/dialogs/CMessageDlg.h"
#include "shell/frame/ShellPower.h"
#include "shell/main/CMainDlg.h"

namespace lumi::shell {
namespace {

// LUMICASTER_PORTS=recording keeps the shell away from the real display
// settings, power-off and browser: for tests and demos on a shared machine.
SystemPorts ports() {
  if (qEnvironmentVariable("LUMICASTER_PORTS") == QLatin1String("recording")) {
    SystemPorts recording;
    recording.display = std::make_unique<display::RecordingDisplaySettings>();
    recording.power = std::make_unique<power::RecordingPowerControl>();
    recording.open = std::make_unique<open::RecordingOpenAction>();
    return recording;
  }
  return makeSystemPorts();
}

// Centred on the monitor of the window; in windowed mode the stored position
// chooses the monitor (written centred when it is missing).
QPoint placement(const ShellContext& context) {
  const QScreen* primary = QGuiApplication::primaryScreen();
  const QPoint centred = primary ? CentredPosition(primary->geometry()) : QPoint(0, 0);
  if (!context.windowed()) return centred;
  registry::Key root = registry::Key::open(registry::Root::CurrentUser, kRegistryRoot);
  if (!root.isOpen()) root = registry::Key::create(registry::Root::CurrentUser, kRegistryRoot);
  quint32 x = centred.x(), y = centred.y();
  if (!root.readDWord("PosX", x)) root.writeDWord("PosX", x);
  if (!root.readDWord("PosY", y)) root.writeDWord("PosY", y);
  const QPoint stored(static_cast<qint32>(x), static_cast<qint32>(y));
  const QScreen* on = QGuiApplication::screenAt(QRect(stored, kShellWindowSize).center());
  return on ? CentredPosition(on->geometry()) : stored;
}

}  // namespace

int RunShell(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  skin::InstallFontSubstitutions();
  text::setProgramStrings(text::StringTable::load(QStringLiteral(":/strings/shell.tsv")));
  const QString title = text::str(3190);

  SingleInstanceLock instance(title);
  if (!instance.acquired()) {
    // A second start: the running shell comes back to the front instead.
    if (const desktop::WindowId running = suite::FindPeerWindow(title)) {
      desktop::Desktop::instance().sendCopyData(running, 0, suite::kCopySecondStart, {});
      suite::BringToForeground(running);
    }
    return 0;
  }

  resources::ResourceLibrary library;
  if (!library.loadFromProgramFolder()) {
    QMessageBox::critical(nullptr, title, text::str(3312));
    return 1;
  }
  resources::ScopedBitmapSource bitmaps(&library);

  SystemPorts system = ports();
  ShellDisplay display(*system.display);
  display.SaveDisplaySettings();

  ShellContext context;
  context.managerTitle = text::str(3230);
  context.applyDisplayMode = [&](bool television) {
    display.ApplyDisplayMode(television);
    context.displayMode = display.displayMode();
  };

  media::MusicPlayerControl music;
  CMainDlg* mainWindow = nullptr;
  CMainDlg::Services services;
  services.music = &music;
  services.openProductSite = [&] { OpenProductSite(*system.open); };
  services.openExitDialog = [&] {
    ExitActions actions;
    actions.exit = [&] { mainWindow->Exit(); };
    actions.powerOff = [&] {
      PowerOff(*system.power);
      mainWindow->Exit();
    };
    ShowExitDialog(*mainWindow, actions);
  };
  // "배경그림 변경" leads to the photo browser, which comes with the media library.
  services.openSettings = [&] { ShowBackgroundChooser(*mainWindow); };
  services.confirmStopMusic = [&] {
    CMessageDlg question(context.current ? context.current.data() : mainWindow, context, dialog::kModeYesNo);
    question.SetLine(text::str(3175), 2);
    return question.DoModal() == 1;
  };
  CMainDlg main(context, services);
  mainWindow = &main;
  {
    suite::RepaintOnly blocked;
    SendUsageReport(UsageKind::Start, [&] { blocked.pump(); });
  }
  context.applyDisplayMode(true);
  context.mainPosition = placement(context);
  main.move(context.mainPosition);
  main.show();
  main.raise();
  main.activateWindow();

  const int code = app.exec();
  display.ApplyDisplayMode(false);
  return code;
}

}  // namespace lumi::shell
