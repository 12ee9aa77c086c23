#include "shell/app/ShellStartup.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScopeGuard>
#include <QScreen>
#include <QTimer>

#include "common/resources/BitmapSource.h"
#include "common/resources/ResourceLibrary.h"
#include "common/skin/FontSet.h"
#include "common/skin/SuiteIcon.h"
#include "common/suite/ExitSignals.h"
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
// LUMICASTER_PORTS=xrandr switches the display of $DISPLAY for real (a
// private X server in tests) but keeps power-off and the browser recorded.
SystemPorts ports() {
  const QString choice = qEnvironmentVariable("LUMICASTER_PORTS");
  if (choice == QLatin1String("recording") || choice == QLatin1String("xrandr")) {
    SystemPorts recording = choice == QLatin1String("xrandr") ? makeSystemPorts() : SystemPorts{};
    if (!recording.display) recording.display = std::make_unique<display::RecordingDisplaySettings>();
    recording.power = std::make_unique<power::RecordingPowerControl>();
    recording.open = std::make_unique<open::RecordingOpenAction>();
    return recording;
  }
  return makeSystemPorts();
}

// Centred on the monitor; in windowed mode the stored position chooses the
// monitor (written centred when it is missing).
QPoint placement(const ShellContext& context) {
  const QPoint centred = CentredPosition(context.MonitorAt(QRect()));
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
  // The big and small icons of every shell window, for panels and switchers.
  QApplication::setWindowIcon(skin::SuiteIcon());
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

  // A session ending, the manager or the updater ending the shell, Ctrl+C:
  // the same way out as "종 료", so the display comes back.
  // Run from the event loop itself, so that a signal that came in during
  // start-up still ends the shell once the loop runs.
  CMainDlg* mainWindow = nullptr;
  suite::ExitSignals exitSignals;
  QObject::connect(&exitSignals, &suite::ExitSignals::exitRequested, &app, [&] {
    QTimer::singleShot(0, &app, [&] {
      if (mainWindow) mainWindow->Exit();
      else QApplication::quit();
    });
  });

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
  // Known before the first window is made: television mode shapes them.
  context.displayMode = display.ReadDisplayMode();
  if (!dynamic_cast<display::RecordingDisplaySettings*>(system.display.get())) {
    context.televisionMonitor = [&] {
      const QList<display::Monitor> monitors = system.display->monitors();
      return monitors.isEmpty() ? QRect() : monitors.first().geometry;
    };
  }
  context.applyDisplayMode = [&](bool television) {
    display.ApplyDisplayMode(television);
    context.displayMode = display.displayMode();
    // On the screen as it is after the switch, not as it was before.
    if (television && context.main) context.CentreOnMonitor();
  };

  media::MusicPlayerControl music;
  CMainDlg::Services services;
  services.music = &music;
  services.openProductSite = [&] { OpenProductSite(*system.open); };
  services.openExitDialog = [&] {
    ExitActions actions;
    actions.exit = [&] { mainWindow->Exit(); };
    actions.powerOff = [&] { TurnOff(*mainWindow, *system.power, [&] { mainWindow->Exit(); }); };
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
  const auto forgetMain = qScopeGuard([&] { mainWindow = nullptr; });
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
