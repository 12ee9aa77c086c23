#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QThread>
#include <functional>
#include <sys/stat.h>
#include <thread>
#include <variant>
#include <vector>

#include "platform/registry/HiveFormat.h"
#include "platform/registry/Registry.h"
#include "tests/support/HiveRewrites.h"
#include "tests/support/TestPaths.h"

using namespace lumi::registry;

namespace {

const QString kLumi = QStringLiteral("Software\\Quelmar\\Lumicaster");
const QString kClient = kLumi + QStringLiteral("\\Client");

QString helperPath() {
  const QString found = lumi::test::binary(QStringLiteral("registry_helper"));
  if (QFileInfo(found).isAbsolute()) return found;
  return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("registry_helper"));
}

QByteArray fileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Replaces a file the way an editor that saves safely does; the new inode also
// makes this process read the hive again, as another process would.
void putFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path + QStringLiteral(".new"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ASSERT_EQ(f.write(bytes), bytes.size());
  f.close();
  ::rename(QFile::encodeName(f.fileName()).constData(), QFile::encodeName(path).constData());
}

void rereadFromDisk(Root root) { putFile(hiveFile(root), fileBytes(hiveFile(root))); }

format::Parsed parseFile(Root root) { return format::parse(fileBytes(hiveFile(root)), root); }

QByteArray utf16z(const QString& s) { return format::stringData(s); }

QByteArray toUtf16LeFile(const QString& text) {
  QByteArray out("\xFF\xFE", 2);
  for (QChar c : text) {
    out.append(char(c.unicode() & 0xff));
    out.append(char(c.unicode() >> 8));
  }
  return out;
}

ino_t inodeOf(const QString& path) {
  struct stat st {};
  return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

QStringList tempFiles(const QString& folder) {
  return QDir(folder).entryList({QStringLiteral("*.tmp-*")}, QDir::Files | QDir::Hidden);
}

class RegistryTest : public ::testing::Test {
 protected:
  lumi::test::PrivateEnvironment env_;
};

// --- values and keys --------------------------------------------------------

using Typed = std::variant<QString, quint32, QByteArray>;

ValueType typeOf(const Typed& v) {
  return std::holds_alternative<QString>(v) ? ValueType::String
         : std::holds_alternative<quint32>(v) ? ValueType::DWord
                                              : ValueType::Binary;
}

bool writeTyped(Key& key, const QString& name, const Typed& v) {
  if (auto s = std::get_if<QString>(&v)) return key.writeString(name, *s);
  if (auto d = std::get_if<quint32>(&v)) return key.writeDWord(name, *d);
  return key.writeBinary(name, std::get<QByteArray>(v));
}

void expectTyped(const Key& key, const QString& name, const Typed& v) {
  SCOPED_TRACE(name.toStdString());
  ValueType type;
  ASSERT_TRUE(key.valueType(name, type));
  EXPECT_EQ(type, typeOf(v));
  if (auto s = std::get_if<QString>(&v)) {
    QString out;
    ASSERT_TRUE(key.readString(name, out));
    EXPECT_EQ(out, *s);
  } else if (auto d = std::get_if<quint32>(&v)) {
    quint32 out = 0;
    ASSERT_TRUE(key.readDWord(name, out));
    EXPECT_EQ(out, *d);
  } else {
    QByteArray out("untouched");
    ASSERT_TRUE(key.readBinary(name, out));
    EXPECT_EQ(out, std::get<QByteArray>(v));
  }
}

TEST_F(RegistryTest, TypedValuesRoundTripThroughTheFile) {
  QByteArray allBytes, big;
  for (int i = 0; i < 256; ++i) allBytes.append(char(i));
  for (int i = 0; i < 5000; ++i) big.append(char(QRandomGenerator::global()->bounded(256)));
  const std::vector<std::pair<QString, Typed>> cases = {
      {"Path", QString("/home/tv/Lumicaster")},
      {"Empty", QString()},
      {"Escapes", QString(R"(say "hi" \ C:\dir\)")},
      {"Korean", QString::fromUtf8("루미캐스터 한글")},
      {"Beyond16Bits", QString::fromUtf8("영화 🎬 𝄞")},
      {"Lines", QString("first\nsecond\r\nthird")},
      {"Nul", QString::fromUtf16(u"a\0b", 3)},
      {"LoneSurrogate", QString(QChar(0xD800))},
      {"", QString("the default value")},
      {"@", QString("a value really named @")},
      {"Name \"quoted\" \\", quint32(7)},
      {"Zero", quint32(0)},
      {"Max", quint32(0xffffffffu)},
      {"Resolution", quint32(2)},
      {"NoBytes", QByteArray()},
      {"AllBytes", allBytes},
      {"Big", big},
  };
  Key key = Key::create(Root::CurrentUser, kClient);
  ASSERT_TRUE(key.isOpen());
  for (const auto& [name, value] : cases) ASSERT_TRUE(writeTyped(key, name, value)) << name.toStdString();

  for (const auto& [name, value] : cases) expectTyped(key, name, value);
  rereadFromDisk(Root::CurrentUser);
  for (const auto& [name, value] : cases) expectTyped(Key::open(Root::CurrentUser, kClient), name, value);
  EXPECT_TRUE(lastLoadIssues(Root::CurrentUser).isEmpty());

  const QString text = QString::fromUtf8(fileBytes(hiveFile(Root::CurrentUser)));
  EXPECT_TRUE(text.startsWith("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software]\n"));
  EXPECT_FALSE(text.contains('\r'));
  for (const char* line : {"\n[HKEY_CURRENT_USER\\Software\\Quelmar\\Lumicaster\\Client]\n",
                           "\n\"Path\"=\"/home/tv/Lumicaster\"\n", "\n\"Resolution\"=dword:00000002\n",
                           "\n@=\"the default value\"\n", "\n\"@\"=\"a value really named @\"\n",
                           "\n\"Escapes\"=\"say \\\"hi\\\" \\\\ C:\\\\dir\\\\\"\n",
                           "\n\"Korean\"=\"루미캐스터 한글\"\n", "\n\"Beyond16Bits\"=\"영화 🎬 𝄞\"\n", "\n\"Lines\"=hex(1):", "\n\"NoBytes\"=hex:\n",
                           "\n\"AllBytes\"=hex:00,01,02,"})
    EXPECT_TRUE(text.contains(QString::fromUtf8(line))) << line;
  for (const QString& line : text.split('\n')) EXPECT_LE(line.size(), 80) << line.toStdString();
}

TEST_F(RegistryTest, FailedReadsLeaveTheTargetUnchanged) {
  Key key = Key::create(Root::CurrentUser, kClient);
  ASSERT_TRUE(key.writeString("Path", "/home/tv"));
  ASSERT_TRUE(key.writeDWord("Resolution", 1));
  ASSERT_TRUE(key.writeBinary("LogFont", QByteArray("\x01\x02", 2)));

  const Key missingKey = Key::open(Root::CurrentUser, kLumi + "\\Nowhere");
  EXPECT_FALSE(missingKey.isOpen());
  struct Case {
    const char* label;
    Key key;
    QString name;
    ValueType actual;  // None: nothing to read
  };
  const std::vector<Case> cases = {
      {"never opened", Key(), "Path", ValueType::None},
      {"missing key", missingKey, "Path", ValueType::None},
      {"missing value", key, "Nothing", ValueType::None},
      {"string read as other types", key, "Path", ValueType::String},
      {"dword read as other types", key, "Resolution", ValueType::DWord},
      {"binary read as other types", key, "LogFont", ValueType::Binary},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    QString s = "unchanged";
    quint32 d = 12345;
    QByteArray b = "unchanged";
    ValueType t = ValueType::QWord;
    ValueType actual = ValueType::None;
    c.key.valueType(c.name, actual);
    ASSERT_EQ(actual, c.actual);
    // Every read but the one of the value's own type must fail.
    if (actual != ValueType::String) {
      EXPECT_FALSE(c.key.readString(c.name, s));
    }
    if (actual != ValueType::DWord) {
      EXPECT_FALSE(c.key.readDWord(c.name, d));
    }
    if (actual != ValueType::Binary) {
      EXPECT_FALSE(c.key.readBinary(c.name, b));
    }
    if (c.actual == ValueType::None) {
      EXPECT_FALSE(c.key.valueType(c.name, t));
    }
    EXPECT_EQ(s, "unchanged");
    EXPECT_EQ(d, 12345u);
    EXPECT_EQ(b, "unchanged");
    EXPECT_EQ(t, ValueType::QWord);
  }
}

TEST_F(RegistryTest, WritesCreateKeysEvenAfterAnotherProgramRemovedThem) {
  EXPECT_FALSE(Key::exists(Root::CurrentUser, kClient));
  Key client = Key::create(Root::CurrentUser, kClient);
  ASSERT_TRUE(client.isOpen());
  for (const QString& path : {QString(), QString("Software"), QString("Software\\Quelmar"), kLumi, kClient})
    EXPECT_TRUE(Key::exists(Root::CurrentUser, path)) << path.toStdString();

  // Creating what exists, or writing what is already there, leaves the file alone.
  ASSERT_TRUE(client.writeString("", {}));
  const ino_t before = inodeOf(hiveFile(Root::CurrentUser));
  EXPECT_TRUE(Key::create(Root::CurrentUser, kClient).isOpen());
  EXPECT_TRUE(Key::open(Root::CurrentUser, kClient).writeValue("", ValueType::String, format::stringData({})));
  EXPECT_EQ(before, inodeOf(hiveFile(Root::CurrentUser)));

  ASSERT_TRUE(Key::remove(Root::CurrentUser, kLumi));
  EXPECT_FALSE(Key::exists(Root::CurrentUser, kClient));
  QString out = "unchanged";
  EXPECT_FALSE(client.readString("Path", out));
  EXPECT_TRUE(client.subKeyNames().isEmpty());
  EXPECT_FALSE(client.removeValue("Path"));

  ASSERT_TRUE(client.writeString("Path", "/home/tv"));
  EXPECT_TRUE(Key::exists(Root::CurrentUser, kClient));
  ASSERT_TRUE(client.readString("Path", out));
  EXPECT_EQ(out, "/home/tv");
  EXPECT_TRUE(client.removeValue("path"));
  EXPECT_FALSE(client.readString("Path", out));

  // Names the file cannot carry are refused instead of corrupting it.
  EXPECT_FALSE(client.writeString("two\nlines", "x"));
  EXPECT_FALSE(Key::create(Root::CurrentUser, "Software\\bad\nname").isOpen());
  EXPECT_FALSE(Key().writeString("Path", "x"));
  EXPECT_TRUE(parseFile(Root::CurrentUser).issues.isEmpty());
}

TEST_F(RegistryTest, RemovingAKeyRemovesItsSubtree) {
  for (const char* path : {"Software\\A\\B\\C", "Software\\A\\B\\D", "Software\\A\\E"})
    ASSERT_TRUE(Key::create(Root::CurrentUser, path).writeDWord("V", 1));
  EXPECT_TRUE(Key::remove(Root::CurrentUser, "software\\a\\b"));
  EXPECT_FALSE(Key::exists(Root::CurrentUser, "Software\\A\\B"));
  EXPECT_FALSE(Key::exists(Root::CurrentUser, "Software\\A\\B\\C"));
  EXPECT_TRUE(Key::exists(Root::CurrentUser, "Software\\A\\E"));
  EXPECT_FALSE(Key::remove(Root::CurrentUser, "Software\\A\\B"));
  EXPECT_FALSE(Key::remove(Root::CurrentUser, ""));  // never the whole hive
  rereadFromDisk(Root::CurrentUser);
  EXPECT_EQ(Key::open(Root::CurrentUser, "Software\\A").subKeyNames(), QStringList{"E"});
}

TEST_F(RegistryTest, NamesCompareWithoutCaseAndKeepTheirSpelling) {
  for (const char* child : {"CONFIG", "Bookmark", "FONT", "CodecDesc"})
    ASSERT_TRUE(Key::create(Root::CurrentUser, kLumi + "\\Cinevane\\" + child).isOpen());
  ASSERT_TRUE(Key::create(Root::CurrentUser, "SOFTWARE\\quelmar\\LUMICASTER\\cinevane\\config").isOpen());
  const Key cinevane = Key::open(Root::CurrentUser, "software\\QUELMAR\\lumicaster\\CINEVANE");
  ASSERT_TRUE(cinevane.isOpen());
  EXPECT_EQ(cinevane.subKeyNames(), (QStringList{"Bookmark", "CodecDesc", "CONFIG", "FONT"}));

  Key config = Key::open(Root::CurrentUser, kLumi + "\\Cinevane\\Config");
  ASSERT_TRUE(config.writeDWord("nVolume", 1));
  ASSERT_TRUE(config.writeDWord("bEnableBookmark", 1));
  ASSERT_TRUE(config.writeDWord("NVOLUME", 2));
  ASSERT_TRUE(config.writeString("", "default"));
  rereadFromDisk(Root::CurrentUser);
  EXPECT_EQ(config.valueNames(), (QStringList{"nVolume", "bEnableBookmark", ""}));
  quint32 volume = 0;
  ASSERT_TRUE(config.readDWord("nvolume", volume));
  EXPECT_EQ(volume, 2u);
  EXPECT_EQ(Key::open(Root::CurrentUser, "").subKeyNames(), QStringList{"Software"});
}

TEST_F(RegistryTest, HiveFilesLiveWhereTheEnvironmentSays) {
  const QByteArray home = qgetenv("HOME"), shared = qgetenv("LUMICASTER_REGISTRY_DIR");
  const QByteArray config = qgetenv("XDG_CONFIG_HOME"), data = qgetenv("XDG_DATA_HOME");
  struct Case {
    const char *shared, *config, *data, *user, *machine;
  };
  const Case cases[] = {
      {"/srv/reg", "/cfg", "/data", "/srv/reg/HKEY_CURRENT_USER.reg", "/srv/reg/HKEY_LOCAL_MACHINE.reg"},
      {"", "/cfg", "/data", "/cfg/quelmar/HKEY_CURRENT_USER.reg", "/data/lumicaster/HKEY_LOCAL_MACHINE.reg"},
      {"", "", "", "/home/tv/.config/quelmar/HKEY_CURRENT_USER.reg",
       "/home/tv/.local/share/lumicaster/HKEY_LOCAL_MACHINE.reg"},
      {"", "relative", "relative", "/home/tv/.config/quelmar/HKEY_CURRENT_USER.reg",
       "/home/tv/.local/share/lumicaster/HKEY_LOCAL_MACHINE.reg"},
  };
  qputenv("HOME", "/home/tv");
  for (const Case& c : cases) {
    qputenv("LUMICASTER_REGISTRY_DIR", c.shared);
    qputenv("XDG_CONFIG_HOME", c.config);
    qputenv("XDG_DATA_HOME", c.data);
    EXPECT_EQ(hiveFile(Root::CurrentUser), c.user);
    EXPECT_EQ(hiveFile(Root::LocalMachine), c.machine);
    EXPECT_EQ(hiveFolder(Root::CurrentUser), QFileInfo(c.user).path());
  }
  qputenv("HOME", home);
  qputenv("LUMICASTER_REGISTRY_DIR", shared);
  qputenv("XDG_CONFIG_HOME", config);
  qputenv("XDG_DATA_HOME", data);

  // Both hives in one folder, each with its own root.
  ASSERT_TRUE(Key::create(Root::LocalMachine, "Software\\Classes\\CLSID").writeString("", "x"));
  ASSERT_TRUE(Key::create(Root::CurrentUser, kClient).writeString("Path", "y"));
  EXPECT_TRUE(fileBytes(hiveFile(Root::LocalMachine)).contains("[HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID]\n@=\"x\"\n"));
  EXPECT_FALSE(fileBytes(hiveFile(Root::CurrentUser)).contains("HKEY_LOCAL_MACHINE"));
  EXPECT_FALSE(Key::exists(Root::CurrentUser, "Software\\Classes"));
}

TEST_F(RegistryTest, AHiveBehindASymbolicLinkStaysThere) {
  const QString real = env_.file("dotfiles/HKEY_CURRENT_USER.reg");
  putFile(real, "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software]\n\"A\"=dword:00000001\n");
  ASSERT_TRUE(QFile::link(real, hiveFile(Root::CurrentUser)));
  ASSERT_TRUE(Key::open(Root::CurrentUser, "Software").writeDWord("B", 2));
  EXPECT_TRUE(QFileInfo(hiveFile(Root::CurrentUser)).isSymLink());
  EXPECT_TRUE(fileBytes(real).contains("\"B\"=dword:00000002"));
}

TEST_F(RegistryTest, AHiveThatCannotBeReadIsNeverReplaced) {
  ASSERT_TRUE(QDir().mkpath(hiveFile(Root::CurrentUser)));  // a folder where the file should be
  EXPECT_FALSE(Key::create(Root::CurrentUser, kClient).isOpen());
  EXPECT_TRUE(QFileInfo(hiveFile(Root::CurrentUser)).isDir());
}

// --- several programs and threads -------------------------------------------

TEST_F(RegistryTest, FourProcessesWritingAtOnceLoseNothing) {
  constexpr int kProcesses = 4, kWrites = 500;
  std::vector<std::unique_ptr<QProcess>> helpers;
  for (int id = 0; id < kProcesses; ++id) {
    helpers.push_back(std::make_unique<QProcess>());
    helpers.back()->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    helpers.back()->start(helperPath(), {"write", QString::number(id), QString::number(kWrites)});
    ASSERT_TRUE(helpers.back()->waitForStarted()) << helperPath().toStdString();
  }
  QFile go(QDir(hiveFolder(Root::CurrentUser)).filePath("go"));
  ASSERT_TRUE(go.open(QIODevice::WriteOnly));
  go.close();
  for (auto& helper : helpers) {
    ASSERT_TRUE(helper->waitForFinished(60000));
    EXPECT_EQ(helper->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(helper->exitCode(), 0);
  }

  EXPECT_TRUE(parseFile(Root::CurrentUser).issues.isEmpty());
  const Key stress = Key::open(Root::CurrentUser, kLumi + "\\Stress");
  EXPECT_EQ(stress.valueNames().size(), kProcesses * kWrites + kProcesses + 1);
  for (int id = 0; id < kProcesses; ++id) {
    for (int i = 0; i < kWrites; ++i) {
      quint32 v = 0xdeadbeef;
      ASSERT_TRUE(stress.readDWord(QString("P%1_%2").arg(id).arg(i), v)) << id << " " << i;
      ASSERT_EQ(v, quint32(i));
    }
    quint32 last = 0;
    ASSERT_TRUE(stress.readDWord(QString("Last%1").arg(id), last));
    EXPECT_EQ(last, quint32(kWrites - 1));
  }
  QString shared;
  ASSERT_TRUE(stress.readString("Shared", shared));
  // Whichever process wrote last, it wrote its final value.
  EXPECT_TRUE(QRegularExpression(QString("^[0-3]:%1$").arg(kWrites - 1)).match(shared).hasMatch())
      << shared.toStdString();
}

TEST_F(RegistryTest, ChangesByAnotherProcessAreSeen) {
  Key client = Key::create(Root::CurrentUser, kClient);
  ASSERT_TRUE(client.writeString("Name", "one"));
  QString name;
  ASSERT_TRUE(client.readString("Name", name));
  // The same size on purpose: only the file's identity tells the change.
  ASSERT_EQ(QProcess::execute(helperPath(), {"set", "Name", "two"}), 0);
  ASSERT_TRUE(client.readString("Name", name));
  EXPECT_EQ(name, "two");
}

TEST_F(RegistryTest, ThreadsOfOneProcessLoseNothing) {
  constexpr int kThreads = 4, kWrites = 50;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([t] {
      Key key = Key::create(Root::CurrentUser, "Software\\Threads");
      for (int i = 0; i < kWrites; ++i) key.writeDWord(QString("T%1_%2").arg(t).arg(i), quint32(i));
    });
  for (auto& t : threads) t.join();
  rereadFromDisk(Root::CurrentUser);
  EXPECT_EQ(Key::open(Root::CurrentUser, "Software\\Threads").valueNames().size(), kThreads * kWrites);
}

TEST_F(RegistryTest, AKilledWriterNeverLeavesAHalfWrittenHive) {
  ASSERT_TRUE(Key::create(Root::CurrentUser, "Software\\Aa").writeString("First", "yes"));
  ASSERT_TRUE(Key::create(Root::CurrentUser, "Software\\Zz").writeString("Last", "yes"));
  const QString folder = hiveFolder(Root::CurrentUser);
  int killedMidWrite = 0;
  quint32 previous = 0;
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE(round);
    QProcess writer;
    writer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    writer.start(helperPath(), {"churn"});
    ASSERT_TRUE(writer.waitForStarted());
    ASSERT_TRUE(writer.waitForReadyRead(20000));
    QThread::msleep(QRandomGenerator::global()->bounded(60));
    writer.kill();
    ASSERT_TRUE(writer.waitForFinished());
    if (!tempFiles(folder).isEmpty()) ++killedMidWrite;

    const format::Parsed hive = parseFile(Root::CurrentUser);
    ASSERT_TRUE(hive.issues.isEmpty()) << hive.issues.first().line << ": " << hive.issues.first().message.toStdString();
    ASSERT_TRUE(hive.tree.find({"Software", "Aa"}) && hive.tree.find({"Software", "Aa"})->value("First"));
    ASSERT_TRUE(hive.tree.find({"Software", "Zz"}) && hive.tree.find({"Software", "Zz"})->value("Last"));
    const KeyNode* key = hive.tree.find({"Software", "Quelmar", "Lumicaster", "Blob"});
    ASSERT_TRUE(key && key->value("Blob") && key->value("Counter"));
    const QByteArray blob = key->value("Blob")->data;
    ASSERT_EQ(blob.size(), 1 << 20);
    const quint32 generation = *format::dwordValue(blob.left(4));
    QByteArray whole(blob.size(), Qt::Uninitialized);
    for (int i = 0; i < whole.size(); ++i) whole[i] = char((generation * 31u + quint32(i)) & 0xff);
    ASSERT_TRUE(blob.mid(4) == whole.mid(4)) << "a blob mixed from two writes";
    const quint32 counter = *format::dwordValue(key->value("Counter")->data);
    EXPECT_TRUE(generation == counter || generation == counter + 1) << generation << " " << counter;
    EXPECT_GT(counter, previous);
    previous = counter;
  }
  std::printf("writer killed while a temporary file existed: %d of 20\n", killedMidWrite);
  // The next write clears what killed writers left behind.
  ASSERT_TRUE(Key::open(Root::CurrentUser, "Software\\Aa").writeString("First", "again"));
  EXPECT_TRUE(tempFiles(folder).isEmpty()) << tempFiles(folder).join(' ').toStdString();
}

// --- files made elsewhere ---------------------------------------------------

struct Expect {
  QString path, name;
  ValueType type = ValueType::None;
  QByteArray data;
  bool present = true;
};
Expect str(QString path, QString name, QString text) { return {path, name, ValueType::String, utf16z(text)}; }
Expect dword(QString path, QString name, quint32 v) { return {path, name, ValueType::DWord, format::dwordData(v)}; }
Expect raw(QString path, QString name, ValueType t, QByteArray d) { return {path, name, t, d}; }
Expect absent(QString path, QString name = {}) { return {path, name, ValueType::None, {}, false}; }

void checkExpectations(const std::vector<Expect>& expects) {
  for (const Expect& e : expects) {
    SCOPED_TRACE((e.path + " / " + e.name).toStdString());
    const Key key = Key::open(Root::CurrentUser, e.path);
    ValueType type = ValueType::None;
    QByteArray data;
    if (!e.present) {
      if (e.name.isEmpty())
        EXPECT_FALSE(key.isOpen());
      else
        EXPECT_FALSE(key.readValue(e.name, type, data));
      continue;
    }
    ASSERT_TRUE(key.readValue(e.name, type, data));
    EXPECT_EQ(type, e.type);
    EXPECT_EQ(data.toHex(' '), e.data.toHex(' '));
  }
}

TEST_F(RegistryTest, FilesFromRegeditAndFromPeopleLoad) {
  const QString client = kClient, font = kLumi + "\\Cinevane\\FONT", keys = kLumi + "\\Keywarden";
  const QByteArray logFont = QByteArray::fromHex(
      "f4ffffff000000000000000000000000900100000000000000000000000000810000000000000000000000000000000000");
  QString cp949Name = QString::fromLatin1("\xc7\xd1\xb1\xdb");
  if (QStringDecoder("windows-949").isValid()) cp949Name = QString::fromUtf8("한글");

  struct Case {
    const char* label;
    QByteArray file;
    std::vector<Expect> expects;
    QStringList writtenLines = {};  // some lines the hive holds once written back
  };
  const std::vector<Case> cases = {
      {"regedit 5 export: UTF-16LE, BOM, CRLF",
       toUtf16LeFile(QString::fromUtf8(
           "Windows Registry Editor Version 5.00\r\n\r\n"
           "[HKEY_CURRENT_USER\\Software\\Quelmar\\Lumicaster]\r\n"
           "\"PosX\"=dword:00000064\r\n"
           "\"CurrentMonitor\"=\"\\\\\\\\.\\\\DISPLAY1\"\r\n\r\n"
           "[HKEY_CURRENT_USER\\Software\\Quelmar\\Lumicaster\\Client]\r\n"
           "\"Path\"=\"C:\\\\Program Files\\\\Lumicaster\"\r\n"
           "\"Name\"=\"루미캐스터\"\r\n"
           "@=\"기본값\"\r\n\r\n"
           "[HKEY_CURRENT_USER\\Software\\Quelmar\\Lumicaster\\Cinevane\\FONT]\r\n"
           "\"LogFont\"=hex:f4,ff,ff,ff,00,00,00,00,00,00,00,00,00,00,00,00,90,01,00,00,00,\\\r\n"
           "  00,00,00,00,00,00,00,00,00,00,81,00,00,00,00,00,00,00,00,00,00,00,00,00,00,\\\r\n"
           "  00,00,00\r\n"
           "\"TempDir\"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,00,00\r\n"
           "\"Codecs\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
           "\"Size\"=hex(b):01,00,00,00,00,00,00,00\r\n"
           "\"Odd\"=hex(4):01,02\r\n\r\n")),
       {dword(kLumi, "PosX", 100), str(kLumi, "CurrentMonitor", "\\\\.\\DISPLAY1"),
        str(client, "Path", "C:\\Program Files\\Lumicaster"), str(client, "Name", QString::fromUtf8("루미캐스터")),
        str(client, "", QString::fromUtf8("기본값")), raw(font, "LogFont", ValueType::Binary, logFont),
        raw(font, "TempDir", ValueType::ExpandString, utf16z("%TEMP%")),
        raw(font, "Codecs", ValueType::MultiString, QByteArray("a\0\0\0b\0\0\0\0\0", 10)),
        raw(font, "Size", ValueType::QWord, QByteArray("\x01\0\0\0\0\0\0\0", 8)),
        raw(font, "Odd", ValueType::DWord, QByteArray("\x01\x02", 2))},
       {"\"TempDir\"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,00,00", "\"Codecs\"=hex(7):61,00,00,00,62,00,00,00,00,00",
        "\"Size\"=hex(b):01,00,00,00,00,00,00,00", "\"Odd\"=hex(4):01,02", "\"PosX\"=dword:00000064"}},
      {"REGEDIT4 export in the Korean ANSI code page",
       QByteArray("REGEDIT4\r\n\r\n"
                  "[HKEY_CURRENT_USER\\Software\\Quelmar\\Lumicaster\\Keywarden]\r\n"
                  "\"Name\"=\"\xc7\xd1\xb1\xdb\"\r\n"
                  "\"ComPort\"=dword:00000001\r\n"
                  "\"Desc\"=hex(2):25,54,45,4d,50,25,00\r\n\r\n"),
       {str(keys, "Name", cp949Name), dword(keys, "ComPort", 1),
        raw(keys, "Desc", ValueType::ExpandString, utf16z("%TEMP%"))}},
      {"REGEDIT4 written in UTF-8",
       QByteArray("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Quelmar\\Lumicaster\\Keywarden]\n\"Name\"=\"") +
           QString::fromUtf8("한글").toUtf8() + "\"\n",
       {str(keys, "Name", QString::fromUtf8("한글"))}},
      {"edited by hand: BOM, LF, HKCU, spacing, comments, deletions",
       QByteArray("\xEF\xBB\xBFWindows Registry Editor Version 5.00\n"
                  "; settings of the TV PC\n"
                  "\n"
                  "[HKCU\\Software\\Quelmar\\Lumicaster\\Client]\n"
                  "  \"Path\" = \"/home/tv/Lumicaster\"   ; where the programs are\n"
                  "\"Resolution\"=DWORD:0000000A\n"
                  "\"Gone\"=\"x\"\n"
                  "\"GONE\"=-\n"
                  "\"Blob\" = hex: 01 ,2,\\\n"
                  "      03,\\\n"
                  "\n"
                  "[hkey_current_user\\Software\\Quelmar\\Lumicaster\\Old]\n"
                  "\"X\"=dword:1\n"
                  "\t[-HKEY_CURRENT_USER\\Software\\Quelmar\\Lumicaster\\Old]   \n"),
       {str(client, "Path", "/home/tv/Lumicaster"), dword(client, "Resolution", 10), absent(client, "Gone"),
        raw(client, "Blob", ValueType::Binary, QByteArray("\x01\x02\x03", 3)), absent(kLumi + "\\Old")}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    QFile::remove(hiveFile(Root::CurrentUser) + ".bak");
    putFile(hiveFile(Root::CurrentUser), c.file);
    checkExpectations(c.expects);
    for (const ParseIssue& i : lastLoadIssues(Root::CurrentUser))
      ADD_FAILURE() << i.line << ": " << i.message.toStdString() << ": " << i.text.toStdString();
    // Writing the hive back keeps every value as it was.
    ASSERT_TRUE(Key::create(Root::CurrentUser, "Software\\Touched").writeDWord("Yes", 1));
    const QStringList written = QString::fromUtf8(fileBytes(hiveFile(Root::CurrentUser))).split('\n');
    for (const QString& line : c.writtenLines) EXPECT_TRUE(written.contains(line)) << line.toStdString();
    rereadFromDisk(Root::CurrentUser);
    checkExpectations(c.expects);
    EXPECT_FALSE(QFile::exists(hiveFile(Root::CurrentUser) + ".bak"));
  }
}

TEST_F(RegistryTest, MalformedLinesAreReportedAndTheOriginalIsKept) {
  const QByteArray original =
      "Windows Registry Editor Version 5.00\n"                          // 1
      "\"Early\"=\"before any key\"\n"                                   // 2
      "[HKEY_CURRENT_USER\\Software\\Quelmar\\Lumicaster\\Client]\n"     // 3
      "\"Path\"=\"/home/tv\"\n"                                         // 4
      "\"Resolution\"=dword:xyz\n"                                      // 5
      "\n"                                                              // 6
      "[HKEY_LOCAL_MACHINE\\Software\\Elsewhere]\n"                     // 7
      "\"Intruder\"=\"x\"\n"                                            // 8
      "\n"                                                              // 9
      "[HKEY_CURRENT_USER\\Software\\Quelmar\\Lumicaster\\Keywarden\n"    // 10
      "\"Lost\"=dword:00000001\n"                                       // 11
      "Name=unquoted\n"                                                 // 12
      "[HKEY_CURRENT_USER\\Software\\Quelmar\\Lumicaster\\Keywarden]\n"   // 13
      "\"ComPort\"=dword:00000002\n"                                    // 14
      "\"Broken\"=\"no end\n"                                            // 15
      "\"Bytes\"=hex:01,zz,\\\n"                                        // 16
      "  02\n"                                                          // 17
      "\"Cut\"=hex:01,\\\n";                                            // 18
  putFile(hiveFile(Root::CurrentUser), original);

  static QStringList warnings;
  warnings.clear();
  const QtMessageHandler previous = qInstallMessageHandler(
      [](QtMsgType, const QMessageLogContext&, const QString& message) { warnings.append(message); });
  checkExpectations({str(kClient, "Path", "/home/tv"), absent(kClient, "Resolution"),
                     dword(kLumi + "\\Keywarden", "ComPort", 2), absent(kLumi + "\\Keywarden", "Lost"),
                     absent(kLumi + "\\Keywarden", "Bytes"), absent("Software\\Elsewhere")});
  qInstallMessageHandler(previous);

  QList<int> lines;
  for (const ParseIssue& i : lastLoadIssues(Root::CurrentUser)) lines.append(i.line);
  EXPECT_EQ(lines, (QList<int>{2, 5, 7, 10, 12, 15, 16, 18}));
  ASSERT_EQ(warnings.size(), 8);
  EXPECT_TRUE(warnings[1].contains("HKEY_CURRENT_USER.reg:5:")) << warnings[1].toStdString();
  EXPECT_TRUE(warnings[2].contains(":7:") && warnings[2].contains("outside")) << warnings[2].toStdString();

  const QString backup = hiveFile(Root::CurrentUser) + ".bak";
  EXPECT_FALSE(QFile::exists(backup));  // reading alone changes nothing
  ASSERT_TRUE(Key::open(Root::CurrentUser, kClient).writeDWord("Resolution", 1));
  EXPECT_EQ(fileBytes(backup), original);
  const format::Parsed rewritten = parseFile(Root::CurrentUser);
  EXPECT_TRUE(rewritten.issues.isEmpty());
  ASSERT_TRUE(Key::open(Root::CurrentUser, kClient).writeDWord("Resolution", 2));
  EXPECT_EQ(fileBytes(backup), original);  // a clean file never replaces the kept one
  rereadFromDisk(Root::CurrentUser);
  checkExpectations({str(kClient, "Path", "/home/tv"), dword(kClient, "Resolution", 2),
                     dword(kLumi + "\\Keywarden", "ComPort", 2)});
}


// --- batches ------------------------------------------------------------------

TEST_F(RegistryTest, ABatchAppliesAllItsChangesInOneRewrite) {
  const QString classes = QStringLiteral("Software\\Classes\\CLSID\\{X}");
  ASSERT_TRUE(Key::create(Root::LocalMachine, classes + "\\Pins\\Old").isOpen());
  ASSERT_TRUE(Key::create(Root::LocalMachine, kLumi).writeDWord("Keep", 7));
  lumi::test::HiveRewrites rewrites(Root::LocalMachine);
  ASSERT_TRUE(rewrites.ok());

  Batch batch(Root::LocalMachine);
  batch.writeString(classes, "", "Caption Blend");
  batch.removeKey(classes + "\\Pins");
  batch.createKey(classes + "\\Pins\\Input\\Types\\{A}\\{B}");
  batch.writeDWord(classes + "\\Pins\\Input", "Direction", 0);
  batch.writeBinary(classes + "\\Instance", "FilterData", QByteArray("\x02\x00", 2));
  batch.writeDWord(kLumi, "Gone", 1);
  batch.removeValue(kLumi, "Gone");
  batch.removeValue(kLumi, "NeverThere");
  batch.removeKey(kLumi + "\\NeverThere");
  ASSERT_TRUE(batch.apply());
  EXPECT_EQ(rewrites.take(), 1);

  rereadFromDisk(Root::LocalMachine);
  rewrites.take();  // the test's own replacement of the file
  expectTyped(Key::open(Root::LocalMachine, classes), "", QStringLiteral("Caption Blend"));
  expectTyped(Key::open(Root::LocalMachine, classes + "\\Pins\\Input"), "Direction", quint32(0));
  expectTyped(Key::open(Root::LocalMachine, classes + "\\Instance"), "FilterData", QByteArray("\x02\x00", 2));
  EXPECT_TRUE(Key::exists(Root::LocalMachine, classes + "\\Pins\\Input\\Types\\{A}\\{B}"));
  EXPECT_FALSE(Key::exists(Root::LocalMachine, classes + "\\Pins\\Old"));
  const Key lumi = Key::open(Root::LocalMachine, kLumi);
  EXPECT_EQ(lumi.valueNames(), QStringList{"Keep"});

  // A batch that finds everything as it asks leaves the file alone.
  Batch same(Root::LocalMachine);
  same.writeString(classes, "", "Caption Blend");
  same.createKey(classes + "\\Pins\\Input");
  same.removeValue(kLumi, "Gone");
  same.removeKey(kLumi + "\\NeverThere");
  ASSERT_TRUE(same.apply());
  EXPECT_EQ(rewrites.take(), 0);
}

TEST_F(RegistryTest, ABatchWithAnInvalidStepWritesNothing) {
  ASSERT_TRUE(Key::create(Root::CurrentUser, kClient).writeDWord("A", 1));
  lumi::test::HiveRewrites rewrites(Root::CurrentUser);
  const struct {
    const char* what;
    std::function<void(Batch&)> bad;
  } cases[] = {
      {"line break in a value name", [](Batch& b) { b.writeDWord(kClient, "bad\nname", 1); }},
      {"line break in a key name", [](Batch& b) { b.createKey(kClient + "\\bad\nkey"); }},
      {"removing the root", [](Batch& b) { b.removeKey(""); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Batch batch(Root::CurrentUser);
    batch.writeDWord(kClient, "A", 2);
    c.bad(batch);
    batch.removeValue(kClient, "A");
    EXPECT_FALSE(batch.apply());
    EXPECT_EQ(rewrites.take(), 0);
    rereadFromDisk(Root::CurrentUser);
    rewrites.take();
    expectTyped(Key::open(Root::CurrentUser, kClient), "A", quint32(1));
  }
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
