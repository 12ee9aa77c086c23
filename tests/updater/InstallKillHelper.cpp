// Unpacks and installs an update like Freshwell's workers do, and kills
// itself (SIGKILL, as a power cut or the task manager would) at the n-th
// step it reports: a progress report or a commit step. With n = 0 it runs
// to the end and prints how many steps there were.
//
//   install-kill-helper DOWNLOADS PROGRAMS N
#include "updater/core/UpdateInstaller.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <csignal>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 4) return 2;
  const QString downloads = QString::fromLocal8Bit(argv[1]);
  const QString programs = QString::fromLocal8Bit(argv[2]);
  const long killAt = std::strtol(argv[3], nullptr, 10);
  long steps = 0;
  auto step = [&] {
    if (++steps == killAt) std::raise(SIGKILL);
  };
  lumi::updater::UnpackUpdate(downloads, [&](const lumi::updater::InstallProgress&) { step(); });
  lumi::updater::InstallOptions options;
  options.inUse = [](const QString& path) { return QFileInfo(path).fileName() == "Freshwell.exe"; };
  options.checkpoint = [&](const QString&) { step(); };
  const auto result =
      lumi::updater::InstallUpdate(downloads, programs, [&](const lumi::updater::InstallProgress&) { step(); }, options);
  std::printf("%ld\n", steps);
  return result.ok ? 0 : 1;
}
