#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#include <QTemporaryDir>

#include "manager/core/PendingUpdates.h"
#include "tests/manager/ManagerTestSupport.h"
#include "tests/support/QtPrinters.h"

using lumi::manager::ApplyPendingUpdates;

namespace {

void write(const QString& path, const QByteArray& content) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(content);
}

QByteArray read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

TEST(PendingUpdates, ReplacementCopiesTakeTheirTargetsPlace) {
  QTemporaryDir dir;
  const QDir folder(dir.path());
  write(folder.filePath("Freshwell.exe"), "old updater");
  write(folder.filePath("Freshwell.exe.Update"), "new updater");
  write(folder.filePath("Resources.dll.Update"), "new resources");  // no old one: simply appears
  write(folder.filePath("Skin.ini"), "kept");
  write(folder.filePath(".Update"), "no target name");
  folder.mkpath("Movies.Update");  // a folder is not a replacement copy

  int waits = 0, pauses = 0;
  const QStringList replaced =
      ApplyPendingUpdates(dir.path() + "/", {[&] { ++waits; }, [&] { ++pauses; }});

  EXPECT_EQ(replaced, QStringList({"Freshwell.exe", "Resources.dll"}));
  EXPECT_EQ(read(folder.filePath("Freshwell.exe")), "new updater");
  EXPECT_EQ(read(folder.filePath("Resources.dll")), "new resources");
  EXPECT_FALSE(QFile::exists(folder.filePath("Freshwell.exe.Update")));
  EXPECT_EQ(read(folder.filePath("Skin.ini")), "kept");
  EXPECT_TRUE(QFile::exists(folder.filePath(".Update")));
  EXPECT_TRUE(QDir(folder.filePath("Movies.Update")).exists());
  EXPECT_EQ(waits, 1) << "the updater is waited for before its files are touched";
  EXPECT_EQ(pauses, 2);
  EXPECT_TRUE(ApplyPendingUpdates(dir.path()).isEmpty()) << "nothing is left to do the second time";
}

TEST(PendingUpdates, TheRunOnTheEventLoopWaitsForTheUpdaterToEndFirst) {
  QTemporaryDir dir;
  const QDir folder(dir.path());
  write(folder.filePath("Freshwell.exe"), "old updater");
  write(folder.filePath("Freshwell.exe.Update"), "new updater");
  write(folder.filePath("Resources.dll.Update"), "new resources");
  QProcess updater;  // stands for the running updater
  updater.start("sleep", {"30"});
  ASSERT_TRUE(updater.waitForStarted());

  lumi::manager::PendingUpdateRun run([&] { return updater.processId(); }, 10);
  bool done = false;
  run.start(dir.path() + "/", [&] { done = true; });
  EXPECT_TRUE(run.running()) << "it came back at once";
  EXPECT_TRUE(run.waitingForUpdater());
  EXPECT_EQ(read(folder.filePath("Freshwell.exe")), "old updater") << "not while the updater runs";
  EXPECT_FALSE(done);

  updater.kill();
  ASSERT_TRUE(lumi::test::waitUntil([&] { return done; }));
  EXPECT_EQ(run.replaced(), QStringList({"Freshwell.exe", "Resources.dll"}));
  EXPECT_EQ(read(folder.filePath("Freshwell.exe")), "new updater");
  EXPECT_EQ(read(folder.filePath("Resources.dll")), "new resources");
}

TEST(ProcessEndWatch, AnEndedProcessCountsOnceEvenWhileNobodyReapsIt) {
  // A program the manager started detached belongs to someone else, who may
  // never reap it: here a parent that sleeps while its child ends.
  int pipe[2];
  ASSERT_EQ(::pipe(pipe), 0);
  const pid_t parent = ::fork();
  ASSERT_GE(parent, 0);
  if (parent == 0) {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    [[maybe_unused]] const ssize_t n = ::write(pipe[1], &child, sizeof child);
    ::pause();
    ::_exit(0);
  }
  pid_t child = 0;
  ASSERT_EQ(::read(pipe[0], &child, sizeof child), ssize_t(sizeof child));
  ::close(pipe[0]);
  ::close(pipe[1]);

  lumi::manager::ProcessEndWatch watch;
  int ended = 0;
  QObject::connect(&watch, &lumi::manager::ProcessEndWatch::ended, [&](qint64 pid) {
    ++ended;
    EXPECT_EQ(pid, child);
  });
  watch.watch(child);
  EXPECT_TRUE(lumi::test::waitUntil([&] { return ended == 1; })) << "a zombie has ended";
  EXPECT_FALSE(watch.watching());
  ::kill(parent, SIGKILL);
  ::waitpid(parent, nullptr, 0);
  EXPECT_EQ(ended, 1);
}

}  // namespace
