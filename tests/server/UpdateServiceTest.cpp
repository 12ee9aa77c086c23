// The reference server's update service: the real lumicaster-server process
// with a catalogue folder, driven over real sockets by blocking clients.
#include "common/protocol/ServerMessage.h"
#include "common/transfer/SafeUnzip.h"
#include "common/version/VersionList.h"
#include "common/version/VersionNote.h"
#include "tests/support/TestPaths.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace lumi::server {
namespace {

using protocol::encodeMessage;
using protocol::MessageBuilder;

struct Message {
  qint32 code = -1;  // -1: the connection ended
  QByteArray payload;
};

// A client that reads and writes with blocking calls.
class Client {
 public:
  // tinyReceiveBuffer: the system holds almost nothing for this client, so
  // a client that stops reading is felt by the server at once.
  explicit Client(quint16 port, bool tinyReceiveBuffer = false) {
    if (!tinyReceiveBuffer) {
      socket_.connectToHost(QHostAddress::LocalHost, port);
      connected_ = socket_.waitForConnected(5000);
      return;
    }
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const int size = 4096;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                 socket_.setSocketDescriptor(fd);
  }
  bool connected() const { return connected_; }
  void send(const QByteArray& bytes) {
    socket_.write(bytes);
    socket_.waitForBytesWritten(5000);
  }
  bool readExactly(char* into, qint64 n, int ms) {
    while (n > 0) {
      if (socket_.bytesAvailable() == 0 && !socket_.waitForReadyRead(ms)) return false;
      const qint64 got = socket_.read(into, n);
      if (got < 0) return false;
      into += got;
      n -= got;
    }
    return true;
  }
  Message receive(int ms = 10000) {
    char header[8];
    if (!readExactly(header, 8, ms)) return {};
    Message m;
    std::memcpy(&m.code, header, 4);
    qint32 length = 0;
    std::memcpy(&length, header + 4, 4);
    m.payload.resize(length);
    if (length > 0 && !readExactly(m.payload.data(), length, ms)) return {};
    return m;
  }
  // The server closed on us (reads give nothing more).
  bool closedByServer(int ms = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
      if (socket_.state() == QAbstractSocket::UnconnectedState) return true;
      socket_.waitForReadyRead(100);
      socket_.readAll();
    }
    return false;
  }
  void listFiles(const QList<std::pair<QString, QString>>& files) {
    QByteArray all;
    for (const auto& [name, version] : files) all += protocol::installedFileMessage(name, version);
    send(all + encodeMessage(2067));
  }
  // From 2045 to the server's 2051: every archive received, by name.
  std::map<QString, QByteArray> download() {
    std::map<QString, QByteArray> files;
    send(encodeMessage(2045));
    QString name;
    for (;;) {
      const Message m = receive();
      protocol::PayloadReader reader(m.payload);
      switch (m.code) {
        case 2047:
          send(encodeMessage(2049));
          break;
        case 2038: {
          qint32 size = 0;
          reader.readCountedString(name);
          reader.readInt32(size);
          files[name].reserve(size);
          send(encodeMessage(2042));
          break;
        }
        case 2042:
        case 2043:
        case 2044: {
          QByteArray chunk;
          reader.readDataChunk(chunk);
          files[name] += chunk;
          send(encodeMessage(m.code == 2044 ? 2041 : 2043));
          break;
        }
        case 2041:
          send(encodeMessage(2049));
          break;
        case 2048:
          send(encodeMessage(2051));
          break;
        case 2051:
          return files;
        default:
          ADD_FAILURE() << "unexpected " << m.code;
          return files;
      }
    }
  }
  QTcpSocket& socket() { return socket_; }

 private:
  QTcpSocket socket_;
  bool connected_ = false;
};

QByteArray randomBytes(int n) {
  QByteArray bytes((n + 3) / 4 * 4, '\0');
  QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
  bytes.truncate(n);
  return bytes;
}

QByteArray readFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

class UpdateService : public ::testing::Test {
 protected:
  void SetUp() override {
    catalogue_ = dir_.filePath("catalogue");
    QDir().mkpath(catalogue_);
    // A stamped program file and a plain one whose version the manifest gives.
    ASSERT_TRUE(version::WriteRestampedCopy(test::programDir() + "/Resources.dll", catalogue_ + "/Resources.dll",
                                            *version::FileVersion::parse("1.0.0.2")));
    writeFile(catalogue_ + "/Lumicaster Manager.exe", randomBytes(300 * 1024 + 7));
    ASSERT_TRUE(version::WriteVersionFile(catalogue_ + "/Version.vif", {{"Lumicaster Manager.exe", "1,0,0,2"}}));
  }
  void TearDown() override {
    if (process_.state() != QProcess::NotRunning) {
      process_.terminate();
      if (!process_.waitForFinished(3000)) process_.kill();
      process_.waitForFinished(3000);
    }
  }
  void start(QStringList extra = {}) {
    process_.start(test::binary("lumicaster-server"),
                   QStringList{"--port", "0", "--update-catalogue", catalogue_, "--chunk-size", "4096"} + extra);
    ASSERT_TRUE(process_.waitForStarted(5000));
    const QRegularExpression listening("listening on 127\\.0\\.0\\.1:(\\d+)");
    QElapsedTimer timer;
    timer.start();
    while (port_ == 0 && timer.elapsed() < 20000 && process_.state() == QProcess::Running) {
      process_.waitForReadyRead(100);
      stderr_ += process_.readAllStandardError();
      const auto match = listening.match(QString::fromUtf8(stderr_));
      if (match.hasMatch()) port_ = quint16(match.captured(1).toUInt());
    }
    ASSERT_NE(port_, 0) << stderr_.constData();
  }
  qint64 serverRssKiB() {
    QFile status(QString("/proc/%1/status").arg(process_.processId()));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    const auto match = QRegularExpression("VmRSS:\\s+(\\d+)").match(QString::fromLatin1(status.readAll()));
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
  }

  QTemporaryDir dir_;
  QString catalogue_;
  QProcess process_;
  QByteArray stderr_;
  quint16 port_ = 0;
};

TEST_F(UpdateService, OlderClientGetsTheVersionAndEveryArchiveUnpacksToTheCatalogueFile) {
  start();
  Client client(port_);
  ASSERT_TRUE(client.connected());
  client.listFiles({{"Resources.dll", "1,0,0,1"}, {"Lumicaster Manager.exe", "1,0,0,2"}, {"Other.txt", "0,0,0,0"}});
  const Message answer = client.receive();
  ASSERT_EQ(answer.code, 2033);
  protocol::PayloadReader reader(answer.payload);
  QString version, ignored;
  ASSERT_TRUE(reader.readCountedString(version) && reader.readCountedString(ignored) && reader.atEnd());
  EXPECT_EQ(version, "1,0,0,2");
  EXPECT_EQ(ignored, "");

  const auto files = client.download();
  ASSERT_EQ(files.size(), 1u);  // the manager is current
  ASSERT_TRUE(files.count("Resources.dll.zip"));
  const QString zipPath = dir_.filePath("Resources.dll.zip");
  writeFile(zipPath, files.at("Resources.dll.zip"));
  transfer::DownloadFolder out(dir_.filePath("out"));
  const auto result = transfer::SafeUnzip(zipPath, out);
  ASSERT_TRUE(result.opened);
  EXPECT_EQ(result.extracted, QStringList{"Resources.dll"});
  EXPECT_EQ(readFile(dir_.filePath("out/Resources.dll")), readFile(catalogue_ + "/Resources.dll"));
}

TEST_F(UpdateService, UnlistedFilesAreSentAndACurrentClientGetsNoUpdate) {
  start({"--update-answer", "new"});
  {
    Client client(port_);
    client.listFiles({});
    ASSERT_EQ(client.receive().code, 2068);
    const auto files = client.download();
    ASSERT_EQ(files.size(), 2u);
    const QString zipPath = dir_.filePath("m.zip");
    writeFile(zipPath, files.at("Lumicaster Manager.exe.zip"));
    transfer::DownloadFolder out(dir_.filePath("out"));
    ASSERT_TRUE(transfer::SafeUnzip(zipPath, out).opened);
    EXPECT_EQ(readFile(dir_.filePath("out/Lumicaster Manager.exe")), readFile(catalogue_ + "/Lumicaster Manager.exe"));
  }
  Client current(port_);
  current.listFiles({{"resources.dll", "1,0,0,3"}, {"Lumicaster Manager.exe", "1,0,0,2"}});
  EXPECT_EQ(current.receive().code, 2032);
}

TEST_F(UpdateService, AClientThatStopsReadingIsDroppedWithoutDelayingAnother) {
  // More than the system's socket buffers hold.
  writeFile(catalogue_ + "/Lumicaster Manager.exe", randomBytes(12 * 1024 * 1024));
  start({"--chunk-size", "65536"});
  Client greedy(port_, true);
  ASSERT_TRUE(greedy.connected());
  greedy.listFiles({});
  ASSERT_EQ(greedy.receive().code, 2033);
  greedy.send(encodeMessage(2045) + encodeMessage(2049));
  ASSERT_EQ(greedy.receive().code, 2047);
  ASSERT_EQ(greedy.receive().code, 2038);
  // Asks for every chunk at once and reads none of them.
  greedy.socket().setReadBufferSize(1);
  QByteArray requests = encodeMessage(2042);
  for (int i = 0; i < 400; ++i) requests += encodeMessage(2043);
  greedy.send(requests);

  Client polite(port_);
  polite.listFiles({});
  ASSERT_EQ(polite.receive().code, 2033);
  EXPECT_EQ(polite.download().size(), 2u) << (stderr_ + process_.readAllStandardError()).constData();
  greedy.socket().setReadBufferSize(0);
  EXPECT_TRUE(greedy.closedByServer()) << (stderr_ + process_.readAllStandardError()).constData();
}

TEST_F(UpdateService, SilentClientsCostNoMemoryAndAreDroppedWhenIdle) {
  start({"--idle-timeout", "2"});
  const qint64 before = serverRssKiB();
  std::vector<std::unique_ptr<Client>> silent;
  for (int i = 0; i < 300; ++i) {
    silent.push_back(std::make_unique<Client>(port_));
    ASSERT_TRUE(silent.back()->connected());
    // Announces the largest payload a client may send, then says nothing.
    MessageBuilder header(2066);
    QByteArray bytes = header.bytes();
    const qint32 length = 1024 * 1024;
    std::memcpy(bytes.data() + 4, &length, 4);
    silent.back()->send(bytes + "abc");
  }
  QThread::msleep(300);
  const qint64 during = serverRssKiB();
  EXPECT_LT(during - before, 64 * 1024) << "RSS grew from " << before << " KiB to " << during << " KiB";
  for (auto& client : silent) EXPECT_TRUE(client->closedByServer(15000));
}

TEST_F(UpdateService, TheOfferWaitsForTheUserLongerThanTheIdleTimeout) {
  start({"--idle-timeout", "1"});
  Client client(port_);
  client.listFiles({});
  ASSERT_EQ(client.receive().code, 2033);
  QThread::msleep(2500);
  EXPECT_EQ(client.download().size(), 2u);
}

TEST_F(UpdateService, SessionsBeyondTheCapAreClosedAtOnce) {
  start({"--max-sessions", "2"});
  Client a(port_), b(port_);
  ASSERT_TRUE(a.connected() && b.connected());
  Client c(port_);
  EXPECT_TRUE(c.closedByServer());
  a.listFiles({});
  EXPECT_EQ(a.receive().code, 2033);
}

TEST_F(UpdateService, OutOfOrderMessagesAreIgnoredAndAnAbortEndsTheSession) {
  start();
  Client client(port_);
  client.send(encodeMessage(2043) + encodeMessage(2049) + encodeMessage(2045));
  client.listFiles({});
  EXPECT_EQ(client.receive().code, 2033);
  client.send(encodeMessage(2045) + encodeMessage(2049));
  EXPECT_EQ(client.receive().code, 2047);
  EXPECT_EQ(client.receive().code, 2038);
  client.send(encodeMessage(2051));
  EXPECT_TRUE(client.closedByServer());
}

}  // namespace
}  // namespace lumi::server
