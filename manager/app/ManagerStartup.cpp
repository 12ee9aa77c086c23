#include "manager/app/ManagerStartup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QMessageBox>
#include <QSystemTrayIcon>

#include "common/skin/FontSet.h"
#include "common/suite/AutomationClass.h"
#include "common/suite/ExitSignals.h"
#include "common/suite/PeerWindows.h"
#include "common/suite/SuiteMessages.h"
#include "manager/core/ManagerStrings.h"
#include "manager/window/CKeywardenDlg.h"
#include "manager/window/KeywardenSettings.h"
#include "manager/window/ManagerWindowStrings.h"
#include "platform/instance/SingleInstance.h"

namespace lumi::manager {
namespace {

constexpr int kWindowWaitMs = 10000;

// A second start: the running manager shows itself (it may be hidden in the
// tray, where only its own toolkit can map it as a working window), then
// comes to the front.
void handOver(desktop::WindowId running) {
  desktop::Desktop::instance().sendCopyData(running, 0, suite::kCopySecondStart, {});
  suite::BringToForeground(running);
}

// The English messages of a failed registry check; start-up goes on.
void checkClientPath(const QString& folder, const QString& title, const text::StringTable& strings) {
  const ClientPathResult result = EnsureClientPath(folder);
  if (result != ClientPathResult::Ok) QMessageBox::warning(nullptr, title, strings.text(ClientPathMessageId(result)));
}

}  // namespace

int RunManager(int argc, char** argv) {
  QApplication app(argc, argv);
  // Hidden in the tray is still running.
  QApplication::setQuitOnLastWindowClosed(false);
  skin::InstallFontSubstitutions();
  const text::StringTable strings = loadWindowStrings();
  text::setProgramStrings(strings);
  const QString title = strings.text(230);

  if (const desktop::WindowId running = suite::FindPeerWindow(title)) {
    handOver(running);
    return 0;
  }
  // The window alone leaves a gap: a manager that is still starting has no
  // window yet, and two managers would fight over the receiver's port. The
  // lock closes it; the one that loses waits for the winner's window.
  SingleInstanceLock instance(QStringLiteral("Lumicaster Manager"));
  if (!instance.acquired()) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < kWindowWaitMs) {
      if (const desktop::WindowId running = suite::FindPeerWindow(title)) {
        handOver(running);
        break;
      }
      QThread::msleep(50);
    }
    return 0;
  }

  // The automation class, refreshed at every start; started for automation
  // ("Embedding", "Automation") the manager starts up as usual.
  suite::RegisterAutomationClass({QStringLiteral("Keywarden.Application"),
                                  QStringLiteral("{51EB4732-E3FE-42A4-8707-F0D58762C45A}"),
                                  QStringLiteral("{7C305F12-0351-4327-A79F-76022A7875C9}")},
                                 QCoreApplication::applicationFilePath());

  const QString folder = QCoreApplication::applicationDirPath() + QLatin1Char('/');
  checkClientPath(folder, title, strings);

  KeywardenSettings settings;
  if (!KeywardenSettings::LoadOrCreate(title, settings))
    QMessageBox::warning(nullptr, title, strings.text(ClientPathMessageId(ClientPathResult::NoSuiteKey)));

  CKeywardenDlg::Options options;
  options.programFolder = folder;
  int code = 0;
  {
    CKeywardenDlg window(strings, settings, options);
    // A logout, the updater or a terminal ending the manager: the same exit
    // as the Exit button (settings written, the shell ended, the port closed).
    suite::ExitSignals exitSignals;
    QObject::connect(&exitSignals, &suite::ExitSignals::exitRequested, &window, [&window] { window.exitManager(); });
    window.show();
    window.start();
    code = app.exec();
  }
  checkClientPath(folder, title, strings);
  return code;
}

}  // namespace lumi::manager
