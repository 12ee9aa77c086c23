#include "updater/app/UpdaterStartup.h"

#include "common/resources/ResourceLibrary.h"
#include "common/suite/PeerWindows.h"
#include "common/suite/SuiteMessages.h"
#include "platform/instance/SingleInstance.h"
#include "platform/registry/Registry.h"
#include "platform/text/StringTable.h"
#include "updater/app/FreshwellWindow.h"
#include "updater/core/UpdateInstaller.h"
#include "updater/core/UpdaterStrings.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTimer>

namespace lumi::updater {

namespace {

constexpr char kProgId[] = "Freshwell.Application";
constexpr char kClassId[] = "{D2946DF1-3372-410C-BAF3-0F7940A7B89D}";

// A start-up failure: the system message box, which also closes by itself
// (no remote reaches it), and the manager told that the updater has closed,
// so that it goes on as after any other end of the updater.
void startupFailure(const QString& text) {
  QMessageBox box(QMessageBox::Critical, QString(), text, QMessageBox::Ok);
  bool ok = false;
  const int ms = qEnvironmentVariableIntValue("LUMICASTER_UPDATER_NOTICE_MS", &ok);
  QTimer::singleShot(ok && ms > 0 ? ms : 5000, &box, [&box] { box.done(QMessageBox::Ok); });
  box.exec();
  if (const desktop::WindowId manager = suite::FindPeerWindow(suite::managerTitle()))
    desktop::Desktop::instance().send(manager, suite::WM_UPDATER_CLOSED, 0, 0);
}

// The automation class's registration entries, refreshed at every start.
void registerAutomationClass() {
  using registry::Key;
  using registry::Root;
  const QString classKey = QStringLiteral("Software\\Classes\\CLSID\\") + QLatin1String(kClassId);
  Key::create(Root::LocalMachine, QStringLiteral("Software\\Classes\\") + QLatin1String(kProgId) + QStringLiteral("\\CLSID"))
      .writeString(QString(), QLatin1String(kClassId));
  Key::create(Root::LocalMachine, classKey).writeString(QString(), QLatin1String(kProgId));
  Key::create(Root::LocalMachine, classKey + QStringLiteral("\\ProgID")).writeString(QString(), QLatin1String(kProgId));
  Key::create(Root::LocalMachine, classKey + QStringLiteral("\\LocalServer32"))
      .writeString(QString(), QApplication::applicationFilePath());
}

// "Path" (the program folder, with its trailing separator) and "Version".
std::optional<QString> prepareRegistry() {
  using registry::Key;
  using registry::Root;
  const QString suiteKey = text::str(strings::SuiteKey);
  if (!Key::create(Root::CurrentUser, suiteKey).isOpen()) {
    startupFailure(QStringLiteral("Fail to create the Registry key"));
    return std::nullopt;
  }
  Key client = Key::create(Root::CurrentUser, suiteKey + QStringLiteral("\\Client"));
  if (!client.isOpen()) {
    startupFailure(QStringLiteral("Fail to create the Registry [Client] section key"));
    return std::nullopt;
  }
  QString path;
  if (!client.readString(QStringLiteral("Path"), path) || path.isEmpty()) {
    path = QApplication::applicationDirPath() + QLatin1Char('/');
    if (!client.writeString(QStringLiteral("Path"), path)) {
      startupFailure(QStringLiteral("Fail to write the Registry default [Path] entry key in [Client] section key"));
      return std::nullopt;
    }
  }
  QString version;
  if (!client.readString(QStringLiteral("Version"), version)) client.writeString(QStringLiteral("Version"), QString());
  return path;
}

}  // namespace

int RunUpdater(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Freshwell"));
  QApplication::setQuitOnLastWindowClosed(false);
  text::setProgramStrings(loadUpdaterStrings());

  SingleInstanceLock instance(suite::kUpdaterTitle);
  if (!instance.acquired()) {
    if (const desktop::WindowId running = suite::FindPeerWindow(suite::kUpdaterTitle))
      suite::BringToForeground(running);
    return 0;
  }
  const QStringList arguments = app.arguments().mid(1);
  bool show = false;
  for (const QString& argument : arguments) show = show || argument.contains(QLatin1String("show"));
  registerAutomationClass();

  resources::ResourceLibrary resourceLibrary;
  if (!resourceLibrary.load(QApplication::applicationDirPath())) {
    startupFailure(QStringLiteral("Resources.dll이 없습니다."));
    return 1;
  }
  resources::ScopedBitmapSource bitmaps(&resourceLibrary);

  const std::optional<QString> programFolder = prepareRegistry();
  if (!programFolder) return 1;
  // Temporary files of an installation that was killed never count.
  RemoveInstallLeftovers(*programFolder);

  FreshwellWindow window(*programFolder, show);
  QObject::connect(&window, &FreshwellWindow::finished, &app, [] { QCoreApplication::exit(0); },
                   Qt::QueuedConnection);
  QMetaObject::invokeMethod(&window, [&window] { window.start(); }, Qt::QueuedConnection);
  return app.exec();
}

}  // namespace lumi::updater
