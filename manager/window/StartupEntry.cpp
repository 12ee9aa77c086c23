#include "manager/window/StartupEntry.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace lumi::manager {
namespace {

// Exec lines split on blanks: quote the path and escape what the quoting
// itself gives meaning to.
QString execQuoted(const QString& program) {
  QString escaped = program;
  for (const char* c : {"\\", "\"", "`", "$"}) escaped.replace(QLatin1String(c), QLatin1String("\\") + QLatin1String(c));
  // The key file format reads backslashes once more before the Exec rules do.
  escaped.replace(QLatin1String("\\"), QLatin1String("\\\\"));
  // A percent sign would be a field code.
  escaped.replace(QLatin1String("%"), QLatin1String("%%"));
  return QLatin1Char('"') + escaped + QLatin1Char('"');
}

// A name with a slash would point outside the folder.
QString fileNameOf(const QString& name) {
  QString safe = name;
  safe.replace(QLatin1Char('/'), QLatin1Char('_'));
  return safe + QStringLiteral(".desktop");
}

}  // namespace

QString AutostartFolder() {
  QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
  // The basedir rules ignore a relative path.
  if (config.isEmpty() || !QDir::isAbsolutePath(config)) config = QDir::homePath() + QStringLiteral("/.config");
  return config + QStringLiteral("/autostart");
}

QString StartupEntryFile(const QString& name) { return AutostartFolder() + QLatin1Char('/') + fileNameOf(name); }

bool CreateStartupEntry(const QString& name, const QString& program) {
  if (!QDir().mkpath(AutostartFolder())) return false;
  QString visible = name;
  visible.replace(QLatin1Char('\n'), QLatin1Char(' '));
  const QString text = QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=%2\nTerminal=false\n")
                           .arg(visible, execQuoted(program));
  QSaveFile file(StartupEntryFile(name));
  if (!file.open(QIODevice::WriteOnly)) return false;
  file.write(text.toUtf8());
  return file.commit();
}

bool RemoveStartupEntry(const QString& name) {
  const QString file = StartupEntryFile(name);
  return !QFile::exists(file) || QFile::remove(file);
}

}  // namespace lumi::manager
