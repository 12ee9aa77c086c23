#include <gtest/gtest.h>

#include <QFileInfo>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/instance/RuntimeFolder.h"
#include "platform/instance/SingleInstance.h"
#include "tests/support/TestPaths.h"

using lumi::SingleInstanceLock;

namespace {

// A child process that takes the lock and keeps it until killed; its pid
// once it holds it, or -1 when it could not take it.
pid_t holdInChild(const QString& name) {
  int ready[2];
  if (pipe(ready) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    SingleInstanceLock lock(name);
    const char answer = lock.acquired() ? 'y' : 'n';
    (void)!write(ready[1], &answer, 1);
    if (lock.acquired()) pause();
    _exit(0);
  }
  char answer = 0;
  (void)!read(ready[0], &answer, 1);
  close(ready[0]);
  close(ready[1]);
  if (answer == 'y') return pid;
  waitpid(pid, nullptr, 0);
  return -1;
}

TEST(SingleInstance, OneHolderPerNameAndACrashedHolderLeavesItFree) {
  lumi::test::PrivateEnvironment env;
  for (const QString& name : {QString("LUMICASTER"), QString("Lumicaster Movie Player"), QString("Freshwell")}) {
    const pid_t holder = holdInChild(name);
    ASSERT_GT(holder, 0) << name.toStdString();
    EXPECT_FALSE(SingleInstanceLock(name).acquired()) << "a second instance of " << name.toStdString();
    EXPECT_EQ(holdInChild(name), -1);
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    SingleInstanceLock after(name);
    EXPECT_TRUE(after.acquired()) << "a killed holder leaves " << name.toStdString() << " free";
  }
  SingleInstanceLock a("LUMICASTER"), b("Freshwell");
  EXPECT_TRUE(a.acquired() && b.acquired()) << "names are independent";
  EXPECT_NE(SingleInstanceLock::lockFile("a/b"), SingleInstanceLock::lockFile("a_b"));
}

TEST(SingleInstance, ReleaseLetsTheNextOneIn) {
  lumi::test::PrivateEnvironment env;
  SingleInstanceLock first("Freshwell");
  ASSERT_TRUE(first.acquired());
  first.release();
  EXPECT_TRUE(SingleInstanceLock("Freshwell").acquired());
}

TEST(RuntimeFolder, IsPrivateAndRefusedWhenOthersCanGetIn) {
  lumi::test::PrivateEnvironment env;
  const QString folder = lumi::runtimeFolder();
  ASSERT_FALSE(folder.isEmpty());
  struct stat st{};
  ASSERT_EQ(stat(QFile::encodeName(folder).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  // Someone loosened it: it is tightened again rather than used as it is.
  chmod(QFile::encodeName(folder).constData(), 0777);
  EXPECT_EQ(lumi::runtimeFolder(), folder);
  ASSERT_EQ(stat(QFile::encodeName(folder).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

}  // namespace
