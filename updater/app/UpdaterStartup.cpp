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

namespace lumi::updater {

namespace {

constexpr char kProgId[] = "Freshwell.Application";
constexpr char kClassId[] = "{D2946DF1-3372-410C-BAF3-0F7940A7B89D}";

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
    QMessageBox::critical(nullptr, QString(), QStringLiteral("Fail to create the Registry key"));
    return std::nullopt;
  }
  Key client = Key::create(Root::CurrentUser, suiteKey + QStringLiteral("\\Client"));
  if (!client.isOpen()) {
    QMessageBox::critical(nullptr, QString(), QStringLiteral("Fail to create the Registry [Client] section key"));
    return std::nullopt;
  }
  QString path;
  if (!client.readString(QStringLiteral("Path"), path) || path.isEmpty()) {
    path = QApplication::applicationDirPath() + QLatin1Char('/');
    if (!client.writeString(QStringLiteral("Path"), path)) {
      QMessageBox::critical(nullptr, QString(),
                            QStringLiteral("Fail to write the Registry default [Path] entry key in [Client] section key"));
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
    QMessageBox::critical(nullptr, QString(), QStringLiteral("Resources.dll이 없습니다."));
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
