// The real lumicaster-server process on a free port of 127.0.0.1, driven
// over real sockets.
#include "common/protocol/ServerConnection.h"
#include "tests/support/TestPaths.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace lumi::server {
namespace {

using protocol::encodeMessage;
using protocol::usageReportMessage;
using protocol::UsageKind;

bool waitUntil(const std::function<bool()>& done, int ms = 5000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > ms) return false;
    QEventLoop loop;
    QTimer::singleShot(5, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return true;
}

QByteArray header(qint32 code, qint32 length) {
  QByteArray bytes(8, '\0');
  for (int i = 0; i < 4; ++i) {
    bytes[i] = char(quint32(code) >> (8 * i));
    bytes[4 + i] = char(quint32(length) >> (8 * i));
  }
  return bytes;
}

class ServerProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    statsPath_ = dir_.filePath("stats.log");
    process_.setProgram(test::binary("lumicaster-server"));
    process_.setArguments({"--port", "0", "--stats-file", statsPath_});
    process_.start();
    ASSERT_TRUE(process_.waitForStarted(5000)) << qPrintable(process_.errorString());
    const QRegularExpression listening("listening on 127\\.0\\.0\\.1:(\\d+)");
    ASSERT_TRUE(waitUntil([&] {
      stderr_ += process_.readAllStandardError();
      const auto match = listening.match(QString::fromUtf8(stderr_));
      if (match.hasMatch()) port_ = quint16(match.captured(1).toUInt());
      return port_ != 0 || process_.state() == QProcess::NotRunning;
    }));
    ASSERT_NE(port_, 0) << stderr_.constData();
  }

  void TearDown() override {
    if (process_.state() != QProcess::NotRunning) {
      process_.terminate();
      if (!process_.waitForFinished(3000)) process_.kill();
      process_.waitForFinished(3000);
    }
  }

  QByteArray stats() const {
    QFile file(statsPath_);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  bool waitForStats(const QByteArray& expected) {
    return waitUntil([&] { return stats() == expected; });
  }

  // A raw client for bytes no well-behaved client would send.
  std::unique_ptr<QTcpSocket> rawClient() {
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(QHostAddress::LocalHost, port_);
    EXPECT_TRUE(socket->waitForConnected(3000));
    return socket;
  }
  static bool droppedByServer(QTcpSocket& socket) {
    return waitUntil([&] { return socket.state() == QAbstractSocket::UnconnectedState; }, 3000);
  }

  QTemporaryDir dir_;
  QString statsPath_;
  QProcess process_;
  QByteArray stderr_;
  quint16 port_ = 0;
};

// What the shell does: connect, one report, close.
TEST_F(ServerProcess, LogsOneLinePerReport) {
  QByteArray expected;
  for (UsageKind kind : {UsageKind::ShellStarted, UsageKind::Movie, UsageKind::Photo, UsageKind::Music,
                         UsageKind::Dvd, UsageKind::VideoCd}) {
    protocol::ServerConnection shell;
    protocol::ConnectOptions options;
    options.deadline = protocol::ConnectDeadline::after(protocol::kConnectTimeoutSeconds);
    ASSERT_EQ(shell.connectToServer("127.0.0.1", port_, options), protocol::ConnectResult::Connected);
    ASSERT_TRUE(shell.send(usageReportMessage(kind)));
    shell.close();
    expected += "usage " + QByteArray::number(int(kind)) + '\n';
    ASSERT_TRUE(waitForStats(expected)) << stats().constData();
  }
  QByteArray printed;  // read in pieces as the server writes them
  EXPECT_TRUE(waitUntil([&] { return (printed += process_.readAllStandardOutput()) == expected; })) << printed.constData();
}

TEST_F(ServerProcess, HostileClientsAreDroppedAndOthersCarryOn) {
  // A client that stays connected through all of it.
  auto patient = rawClient();
  // A client halfway through a message.
  auto halfway = rawClient();
  halfway->write(header(2074, 4) + "\x01");

  struct Hostile {
    const char* name;
    QByteArray bytes;
  };
  const Hostile hostile[] = {
      {"negative length", header(2074, -1) + "abcd"},
      {"length above the cap", header(2063, 64 * 1024 * 1024)},
      {"largest length", header(2074, INT32_MAX)},
      {"report without its number", header(2074, 2) + "ab"},
      {"garbage", QByteArray("\xde\xad\xbe\xef\xff\xff\xff\xff GET / HTTP/1.0\r\n\r\n", 30)},
  };
  std::vector<std::unique_ptr<QTcpSocket>> dropped;
  for (const Hostile& h : hostile) {
    dropped.push_back(rawClient());
    dropped.back()->write(h.bytes);
    dropped.back()->flush();
  }
  for (size_t i = 0; i < dropped.size(); ++i) EXPECT_TRUE(droppedByServer(*dropped[i])) << hostile[i].name;

  // An unknown code is read and ignored; the reports around it count, and
  // two messages in one write are both served.
  patient->write(usageReportMessage(UsageKind::Music) + encodeMessage(2099, "whatever") +
                 usageReportMessage(UsageKind::Dvd));
  ASSERT_TRUE(waitForStats("usage 3\nusage 4\n")) << stats().constData();
  halfway->write(QByteArray("\0\0\0", 3));
  ASSERT_TRUE(waitForStats("usage 3\nusage 4\nusage 1\n")) << stats().constData();
  EXPECT_EQ(patient->state(), QAbstractSocket::ConnectedState);
  EXPECT_EQ(halfway->state(), QAbstractSocket::ConnectedState);
  EXPECT_EQ(process_.state(), QProcess::Running);
}

struct BadStart {
  const char* name;
  QStringList arguments;
};

class ServerArguments : public ::testing::TestWithParam<BadStart> {};

TEST_P(ServerArguments, RefusesToStart) {
  QTemporaryDir dir;
  QProcess process;
  QStringList arguments = GetParam().arguments;
  arguments.replaceInStrings("DIR", dir.path());
  process.start(test::binary("lumicaster-server"), arguments);
  ASSERT_TRUE(process.waitForFinished(5000));
  EXPECT_NE(process.exitCode(), 0);
  EXPECT_FALSE(process.readAllStandardError().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Starts, ServerArguments,
    ::testing::Values(BadStart{"PortNotANumber", {"--port", "abc"}},
                      BadStart{"PortTooLarge", {"--port", "70000"}},
                      BadStart{"NotAnAddress", {"--listen", "nowhere", "--port", "0"}},
                      BadStart{"StatsFileInAMissingFolder", {"--port", "0", "--stats-file", "DIR/missing/stats.log"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace lumi::server
