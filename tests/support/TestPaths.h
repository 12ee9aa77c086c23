#pragma once
// Where the test programs find the suite's built program files and the test
// helper programs, and a private folder for everything a test writes.
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

namespace lumi::test {

// Folder of the suite's program files (Lumicaster.exe, CaptionBlend.ax, ...).
QString programDir();
// Folder of the test programs and their helper programs.
QString testBinDir();
// Full path of a program in programDir() or testBinDir(), whichever has it.
QString binary(const QString& name);

// The environment for a suite program a test or a measurement starts: a real
// X client, recording stand-ins for display settings, power-off and the
// browser, no sound, English texts.
QProcessEnvironment suiteProgramEnvironment();

// A private folder that also becomes the registry hive folder and the runtime
// folder of every process the test starts, so that tests running side by side
// never see each other's hives, locks or message endpoints.
class PrivateEnvironment {
 public:
  PrivateEnvironment();
  ~PrivateEnvironment();
  QString path() const { return dir_.path(); }
  QString file(const QString& name) const { return dir_.filePath(name); }

 private:
  QTemporaryDir dir_;
  QByteArray oldRegistry_, oldRuntime_;
};

}  // namespace lumi::test
