#include "tests/support/TestPaths.h"

#include <QDir>
#include <QFileInfo>

namespace lumi::test {

QString programDir() { return qEnvironmentVariable("LUMI_PROGRAM_DIR"); }
QString testBinDir() { return qEnvironmentVariable("LUMI_TEST_BIN_DIR"); }

QString binary(const QString& name) {
  for (const QString& dir : {programDir(), testBinDir()}) {
    const QString path = QDir(dir).filePath(name);
    if (!dir.isEmpty() && QFileInfo::exists(path)) return path;
  }
  return name;
}

QProcessEnvironment suiteProgramEnvironment() {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "xcb");
  env.insert("LUMICASTER_PORTS", "recording");
  env.insert("LUMICASTER_AUDIO_SINK", "fakeaudiosink");
  env.insert("LANG", "en_US.UTF-8");
  env.remove("LC_ALL");
  env.remove("LC_MESSAGES");
  return env;
}

PrivateEnvironment::PrivateEnvironment()
    : oldRegistry_(qgetenv("LUMICASTER_REGISTRY_DIR")), oldRuntime_(qgetenv("XDG_RUNTIME_DIR")) {
  QDir(dir_.path()).mkpath("registry");
  QDir(dir_.path()).mkpath("runtime");
  QFile::setPermissions(dir_.filePath("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  qputenv("LUMICASTER_REGISTRY_DIR", dir_.filePath("registry").toUtf8());
  qputenv("XDG_RUNTIME_DIR", dir_.filePath("runtime").toUtf8());
}

PrivateEnvironment::~PrivateEnvironment() {
  auto restore = [](const char* name, const QByteArray& value) {
    if (value.isEmpty()) qunsetenv(name); else qputenv(name, value);
  };
  restore("LUMICASTER_REGISTRY_DIR", oldRegistry_);
  restore("XDG_RUNTIME_DIR", oldRuntime_);
}

}  // namespace lumi::test
