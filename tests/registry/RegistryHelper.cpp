// A second program using the registry, started by the registry tests:
//   registry_helper write <id> <count>   interleaved writes, after <hive folder>/go appears
//   registry_helper churn                rewrites a large value forever (to be killed)
//   registry_helper set <name> <text>    one string value in ...\Lumicaster\Client
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QThread>
#include <cstdio>

#include "platform/registry/Registry.h"

using namespace lumi::registry;

namespace {

const QString kStress = QStringLiteral("Software\\Quelmar\\Lumicaster\\Stress");
const QString kBlob = QStringLiteral("Software\\Quelmar\\Lumicaster\\Blob");

int writeMany(int id, int count) {
  const QString go = QDir(hiveFolder(Root::CurrentUser)).filePath(QStringLiteral("go"));
  while (!QFile::exists(go)) QThread::usleep(500);
  Key key = Key::create(Root::CurrentUser, kStress);
  if (!key.isOpen()) return 2;
  int failures = 0;
  for (int i = 0; i < count; ++i) {
    if (!key.writeDWord(QStringLiteral("P%1_%2").arg(id).arg(i), quint32(i))) ++failures;
    if (i % 10 == 9) {
      if (!key.writeDWord(QStringLiteral("Last%1").arg(id), quint32(i))) ++failures;
      if (!key.writeString(QStringLiteral("Shared"), QStringLiteral("%1:%2").arg(id).arg(i))) ++failures;
    }
  }
  return failures == 0 ? 0 : 1;
}

// The blob's bytes follow from its first four, so a reader can tell a whole
// blob from a mixed or cut one.
QByteArray blob(quint32 generation, int size) {
  QByteArray data(size, Qt::Uninitialized);
  for (int i = 0; i < size; ++i) data[i] = char((generation * 31u + quint32(i)) & 0xff);
  for (int i = 0; i < 4; ++i) data[i] = char(generation >> (8 * i));
  return data;
}

int churn() {
  Key key = Key::create(Root::CurrentUser, kBlob);
  quint32 counter = 0;
  key.readDWord(QStringLiteral("Counter"), counter);
  bool announced = false;
  for (quint32 generation = counter + 1;; ++generation) {
    if (!key.writeBinary(QStringLiteral("Blob"), blob(generation, 1 << 20))) return 1;
    if (!key.writeDWord(QStringLiteral("Counter"), generation)) return 1;
    if (!announced) {
      std::puts("ready");
      std::fflush(stdout);
      announced = true;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() == 4 && args[1] == u"write") return writeMany(args[2].toInt(), args[3].toInt());
  if (args.size() == 2 && args[1] == u"churn") return churn();
  if (args.size() == 4 && args[1] == u"set")
    return Key::create(Root::CurrentUser, QStringLiteral("Software\\Quelmar\\Lumicaster\\Client"))
                   .writeString(args[2], args[3])
               ? 0
               : 1;
  std::fprintf(stderr, "usage: registry_helper write <id> <count> | churn | set <name> <text>\n");
  return 64;
}
