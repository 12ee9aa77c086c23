// An installation killed at every stage leaves each program file either its
// old or its new version, never partial or missing; after the manager's
// pending step a run killed after the commit has converged to the new one.
#include "tests/updater/FileChecksum.h"
#include "manager/core/PendingUpdates.h"
#include "tests/support/TestPaths.h"
#include "tests/transfer/ZipFixture.h"
#include "updater/core/UpdateInstaller.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

namespace lumi::updater {
namespace {

QByteArray bytes(int n, quint32 salt) {
  QByteArray data((n + 3) / 4 * 4, '\0');
  QRandomGenerator(salt).fillRange(reinterpret_cast<quint32*>(data.data()), data.size() / 4);
  data.truncate(n);
  return data;
}

const QStringList kFiles = {"Lumicaster.exe", "Lumicaster Manager.exe", "Freshwell.exe", "Cinevane.exe",
                            "CaptionBlend.ax"};

struct Fixture {
  QTemporaryDir dir;
  std::map<QString, QByteArray> oldSha, newSha;
  QString programs() const { return dir.path() + "/programs"; }
  QString downloads() const { return programs() + "/Update"; }
  Fixture() {
    QDir().mkpath(downloads());
    for (int i = 0; i < kFiles.size(); ++i) {
      const QString name = kFiles[i];
      QFile old(programs() + "/" + name);
      old.open(QIODevice::WriteOnly);
      old.write(bytes(60000 + 7000 * i, quint32(i)));
      old.close();
      oldSha[name] = sha(old.fileName());
      const QByteArray fresh = bytes(50000 + 9000 * i, quint32(100 + i));
      newSha[name] = QCryptographicHash::hash(fresh, QCryptographicHash::Sha256).toHex();
      test::WriteZip(downloads() + "/" + name + ".zip", {{name.toUtf8(), fresh, 0100755}});
    }
  }
  // Each program file is its old or its new version; returns how many are new.
  int check(const char* when) const {
    int fresh = 0;
    for (const QString& name : kFiles) {
      const QByteArray now = sha(programs() + "/" + name);
      EXPECT_TRUE(now == oldSha.at(name) || now == newSha.at(name)) << when << ": " << name.toStdString();
      fresh += now == newSha.at(name);
    }
    return fresh;
  }
};

int runHelper(const Fixture& f, long killAt, QByteArray* out = nullptr) {
  QProcess helper;
  helper.start(test::binary("install-kill-helper"), {f.downloads(), f.programs(), QString::number(killAt)});
  helper.waitForFinished(60000);
  if (out) *out = helper.readAllStandardOutput();
  return helper.exitStatus() == QProcess::CrashExit ? -1 : helper.exitCode();
}

TEST(InstallKill, EveryProgramFileIsOldOrNewWhereverTheInstallationDies) {
  long total = 0;
  {
    Fixture whole;
    QByteArray out;
    ASSERT_EQ(runHelper(whole, 0, &out), 0);
    total = out.trimmed().toLong();
    ASSERT_GT(total, 40);
    manager::ApplyPendingUpdates(whole.programs());
    EXPECT_EQ(whole.check("uninterrupted"), kFiles.size());
  }
  // Thirty points spread over unpacking, staging and the commit, and the
  // last few steps one by one (the commit renames).
  std::vector<long> points;
  for (int i = 1; i <= 30; ++i) points.push_back(std::max(1L, total * i / 31));
  for (long k = total - 6; k <= total; ++k) points.push_back(k);
  int killed = 0;
  for (long point : points) {
    SCOPED_TRACE(point);
    Fixture f;
    if (runHelper(f, point) == -1) ++killed;
    f.check("killed");
    // What the next start does: leftovers removed, the manager's step run.
    RemoveInstallLeftovers(f.programs());
    manager::ApplyPendingUpdates(f.programs());
    const int fresh = f.check("after the restart");
    for (const QString& name : QDir(f.programs()).entryList(QDir::Files | QDir::Hidden))
      EXPECT_FALSE(name.startsWith(".lumi-part-") || name.endsWith(".Update")) << name.toStdString();
    // Killed after every file was renamed into place: all new.
    if (point == total) EXPECT_EQ(fresh, kFiles.size());
  }
  EXPECT_GE(killed, 30);
}

}  // namespace
}  // namespace lumi::updater
