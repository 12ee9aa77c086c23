// The client connection against a real server socket on loopback: framing
// of what arrives in pieces, hostile headers, the end of the connection, the
// bytes it sends, and the connect itself.
#include "common/protocol/ServerConnection.h"
#include "tests/protocol/ProtocolTestUtil.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <memory>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace lumi::protocol {
namespace {

using test::header;
using test::hex;
using test::runEventsFor;
using test::waitUntil;

// A listening socket on 127.0.0.1, one client connection to it, and the
// accepted server end, from which the test writes.
struct Loopback {
  QTcpServer server;
  ServerConnection client;
  QTcpSocket* peer = nullptr;
  std::vector<ServerMessage> received;
  std::optional<ConnectionLoss> loss;

  bool open() {
    if (!server.listen(QHostAddress::LocalHost, 0)) return false;
    if (client.connectToServer("127.0.0.1", server.serverPort()) != ConnectResult::Connected) return false;
    if (!server.waitForNewConnection(3000)) return false;
    peer = server.nextPendingConnection();
    QObject::connect(&client, &ServerConnection::messageReceived,
                     [this](qint32 code, const QByteArray& payload) { received.push_back({code, payload}); });
    QObject::connect(&client, &ServerConnection::connectionLost, [this](ConnectionLoss why) { loss = why; });
    return peer != nullptr;
  }

  void write(const QByteArray& bytes) {
    peer->write(bytes);
    while (peer->bytesToWrite() > 0 && peer->waitForBytesWritten(1000)) {
    }
  }

  // Everything the client sent, once `size` bytes are in.
  QByteArray readFromClient(qsizetype size) {
    QByteArray in;
    while (in.size() < size && (peer->bytesAvailable() > 0 || peer->waitForReadyRead(3000))) in += peer->readAll();
    return in;
  }
};

struct ReceiveCase {
  const char* name;
  // Written one after the other with pauses between them.
  std::vector<QByteArray> writes;
  // Messages handled once each write has had time to arrive.
  std::vector<size_t> handledAfterWrite;
  bool closeAfterwards;
  std::vector<qint32> codes;  // in order
  std::optional<ConnectionLoss> loss;
};

class Receiving : public ::testing::TestWithParam<ReceiveCase> {};

TEST_P(Receiving, DispatchesWhatArrives) {
  const ReceiveCase& c = GetParam();
  Loopback net;
  ASSERT_TRUE(net.open());
  QByteArray all;
  for (size_t i = 0; i < c.writes.size(); ++i) {
    net.write(c.writes[i]);
    all += c.writes[i];
    const size_t expected = c.handledAfterWrite[i];
    if (expected > net.received.size()) waitUntil([&] { return net.received.size() >= expected; });
    runEventsFor(30);  // room for anything handled too early or twice
    EXPECT_EQ(net.received.size(), expected) << "after write " << i;
  }
  if (c.closeAfterwards) net.peer->disconnectFromHost();
  if (c.loss) EXPECT_TRUE(waitUntil([&] { return net.loss.has_value(); }));
  else runEventsFor(30);

  std::vector<qint32> codes;
  for (const ServerMessage& m : net.received) codes.push_back(m.code);
  EXPECT_EQ(codes, c.codes);
  EXPECT_EQ(net.loss, c.loss);
  EXPECT_EQ(net.client.isConnected(), !c.loss.has_value());

  // Every payload arrived intact: reassemble and compare with what was sent.
  QByteArray framed;
  for (const ServerMessage& m : net.received) framed += encodeMessage(m.code, m.payload);
  EXPECT_TRUE(all.startsWith(framed));
}

const QByteArray kChunk = encodeMessage(2042, "first chunk");
const QByteArray kBig = encodeMessage(2043, QByteArray(1 << 20, 'b'));

INSTANTIATE_TEST_SUITE_P(
    Arrivals, Receiving,
    ::testing::Values(
        ReceiveCase{"HeaderSplitThreeAndFive", {kChunk.left(3), kChunk.mid(3, 5), kChunk.mid(8)}, {0, 0, 1}, false,
                    {2042}, std::nullopt},
        ReceiveCase{"ZeroLengthAtOnce", {header(2048, 0)}, {1}, false, {2048}, std::nullopt},
        ReceiveCase{"ZeroLengthSplit", {header(2048, 0).left(3), header(2048, 0).mid(3)}, {0, 1}, false, {2048},
                    std::nullopt},
        ReceiveCase{"TwoMessagesInOneWrite", {kChunk + header(2041, 0)}, {2}, false, {2042, 2041}, std::nullopt},
        ReceiveCase{"ThreeMessagesAndAPartInOneWrite",
                    {header(2047, 0) + kChunk + header(2044, 0) + kChunk.left(10), kChunk.mid(10)},
                    {3, 4},
                    false,
                    {2047, 2042, 2044, 2042},
                    std::nullopt},
        ReceiveCase{"PayloadInPieces", {kChunk.left(9), kChunk.mid(9, 2), kChunk.mid(11)}, {0, 0, 1}, false, {2042},
                    std::nullopt},
        ReceiveCase{"OneMebibyteInOneWrite", {kBig}, {1}, false, {2043}, std::nullopt},
        ReceiveCase{"MessageThenClose", {encodeMessage(2034, QByteArray(352, 'z'))}, {1}, true, {2034},
                    ConnectionLoss::Closed},
        ReceiveCase{"CloseInsideAMessage", {kChunk.left(12)}, {0}, true, {}, ConnectionLoss::Closed},
        ReceiveCase{"NegativeLength", {header(2042, -5) + "abcde"}, {0}, false, {}, ConnectionLoss::SocketError},
        ReceiveCase{"LengthAboveTheCap", {header(2063, MessageReceiver::kDefaultMaxPayload + 1)}, {0}, false, {},
                    ConnectionLoss::SocketError},
        ReceiveCase{"GoodMessageThenBadHeaderInOneWrite", {kChunk + header(2043, -1)}, {1}, false, {2042},
                    ConnectionLoss::SocketError}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ServerConnection, MessagesSentJustBeforeTheCloseAreStillHandled) {
  Loopback net;
  ASSERT_TRUE(net.open());
  net.peer->write(encodeMessage(2041) + encodeMessage(2051) + encodeMessage(2050));
  net.peer->disconnectFromHost();
  ASSERT_TRUE(waitUntil([&] { return net.loss.has_value(); }));
  ASSERT_EQ(net.received.size(), 3u);
  EXPECT_EQ(net.received[2].code, 2050);
  EXPECT_EQ(net.loss, ConnectionLoss::Closed);
  EXPECT_EQ(lossText(*net.loss), "Connection closed");
  EXPECT_EQ(lossText(ConnectionLoss::SocketError), "Socket Error");
}

// A handler that opens a message box runs a nested event loop; messages
// that arrive meanwhile wait until it returns, and order is kept.
TEST(ServerConnection, HandlerWithNestedEventLoopIsNotReentered) {
  Loopback net;
  ASSERT_TRUE(net.open());
  int depth = 0, deepest = 0;
  std::vector<qint32> order;
  QObject::connect(&net.client, &ServerConnection::messageReceived, [&](qint32 code, const QByteArray&) {
    ++depth;
    deepest = std::max(deepest, depth);
    order.push_back(code);
    if (code == 2047) {
      net.write(encodeMessage(2039, "late"));  // arrives during the nested loop
      QEventLoop nested;
      QTimer::singleShot(100, &nested, &QEventLoop::quit);
      nested.exec();
    }
    --depth;
  });
  // 2047 is the second of the write, so it is handled on a later pass than
  // the read notification, and fresh bytes during its nested loop announce
  // themselves anew.
  net.write(encodeMessage(2037) + encodeMessage(2047) + encodeMessage(2038));
  ASSERT_TRUE(waitUntil([&] { return order.size() == 4; }));
  EXPECT_EQ(order, (std::vector<qint32>{2037, 2047, 2038, 2039}));
  EXPECT_EQ(deepest, 1);
}

TEST(ServerConnection, HandlerMayCloseTheConnection) {
  Loopback net;
  ASSERT_TRUE(net.open());
  QObject::connect(&net.client, &ServerConnection::messageReceived, [&](qint32 code, const QByteArray&) {
    if (code == 2051) net.client.close(ServerConnection::CloseMode::SendFinished);
  });
  net.write(encodeMessage(2051) + encodeMessage(2048));
  ASSERT_TRUE(waitUntil([&] { return !net.received.empty(); }));
  EXPECT_EQ(net.readFromClient(8).toHex(' '), hex("F9 07 00 00 00 00 00 00").toHex(' '));
  runEventsFor(50);
  ASSERT_EQ(net.received.size(), 1u);  // nothing after the close
  EXPECT_FALSE(net.client.isConnected());
  EXPECT_FALSE(net.loss.has_value());  // a deliberate close is no loss
  EXPECT_FALSE(net.client.send(encodeMessage(2049)));
}

struct SendCase {
  const char* name;
  QByteArray message;
  const char* bytes;
};

class Sending : public ::testing::TestWithParam<SendCase> {};

TEST_P(Sending, PutsExactBytesOnTheWire) {
  Loopback net;
  ASSERT_TRUE(net.open());
  const QByteArray expected = hex(GetParam().bytes);
  ASSERT_TRUE(net.client.send(GetParam().message));
  EXPECT_EQ(net.readFromClient(expected.size()).toHex(' '), expected.toHex(' '));
}

INSTANTIATE_TEST_SUITE_P(
    Messages, Sending,
    ::testing::Values(
        SendCase{"InstalledFile", installedFileMessage("Tool.exe", "1,0,0,1"),
                 "12 08 00 00 17 00 00 00 08 00 00 00 54 6F 6F 6C 2E 65 78 65 07 00 00 00 31 2C 30 2C 30 2C 31"},
        SendCase{"UsageReportDvd", usageReportMessage(UsageKind::Dvd), "1A 08 00 00 04 00 00 00 04 00 00 00"},
        SendCase{"Continue", encodeMessage(2049), "01 08 00 00 00 00 00 00"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ServerConnection, LargeSendBlocksUntilTheSystemTookItAll) {
  Loopback net;
  ASSERT_TRUE(net.open());
  const QByteArray big = encodeMessage(2063, QByteArray(8 << 20, 'q'));
  // More than the socket buffers hold: send() returns only once a reader
  // has drained the rest, and this thread is blocked meanwhile, so the
  // reader runs on a thread of its own.
  QByteArray got;
  std::thread reader([&] {
    const int fd = int(net.peer->socketDescriptor());
    char buffer[65536];
    while (got.size() < big.size()) {
      pollfd watch{fd, POLLIN, 0};
      if (::poll(&watch, 1, 5000) <= 0) break;
      const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      got.append(buffer, n);
    }
  });
  EXPECT_TRUE(net.client.send(big));
  reader.join();
  EXPECT_EQ(got.size(), big.size());
  EXPECT_TRUE(got == big);
}

TEST(ServerConnection, ConnectToAClosedPortFailsQuickly) {
  quint16 port;
  {
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    port = probe.serverPort();
  }
  ServerConnection client;
  QElapsedTimer timer;
  timer.start();
  ConnectOptions options;
  options.deadline = ConnectDeadline::after(kConnectTimeoutSeconds);
  EXPECT_EQ(client.connectToServer("127.0.0.1", port, options), ConnectResult::Failed);
  EXPECT_LT(timer.elapsed(), 2000);
  EXPECT_FALSE(client.isConnected());
}

TEST(ServerConnection, HostNameIsResolved) {
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
  ServerConnection client;
  EXPECT_EQ(client.connectToServer("localhost", server.serverPort()), ConnectResult::Connected);
  EXPECT_TRUE(client.isConnected());
  EXPECT_EQ(client.connectToServer("", server.serverPort()), ConnectResult::HostNotFound);
}

struct DeadlineCase {
  const char* name;
  qint64 startMs;
  qint64 nowMs;
  bool passed;
};

class Deadline : public ::testing::TestWithParam<DeadlineCase> {};

TEST_P(Deadline, CountsWholeSeconds) {
  const DeadlineCase& c = GetParam();
  qint64 now = c.startMs;
  const ConnectDeadline deadline = ConnectDeadline::after(kConnectTimeoutSeconds, [&] { return now; });
  EXPECT_EQ(deadline.deadlineSecond(), c.startMs / 1000 + 15);
  now = c.nowMs;
  EXPECT_EQ(deadline.passed(), c.passed);
}

INSTANTIATE_TEST_SUITE_P(
    Clock, Deadline,
    ::testing::Values(DeadlineCase{"AtStart", 1000000, 1000000, false},
                      DeadlineCase{"JustBefore", 1000000, 1014999, false},
                      DeadlineCase{"FifteenSeconds", 1000000, 1015000, true},
                      // Started late in a second: the deadline is still whole seconds.
                      DeadlineCase{"LateStartBeforeDeadline", 1000999, 1014999, false},
                      DeadlineCase{"LateStartAtDeadline", 1000999, 1015000, true},
                      DeadlineCase{"LongAfter", 1000500, 1100000, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ConnectDeadline, NoDeadlineNeverPasses) {
  ConnectDeadline none;
  EXPECT_FALSE(none.isSet());
  EXPECT_FALSE(none.passed());
}

// A listening socket with a full accept queue does not answer further
// handshakes, so a connect to it stays pending: the deadline ends it. The
// fake clock moves a second on each pump, so 15 s pass in a few slices.
TEST(ServerConnection, PendingConnectGivesUpAtTheDeadline) {
  const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(listener, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), size), 0);
  ASSERT_EQ(::listen(listener, 0), 0);
  ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size), 0);
  const quint16 port = ntohs(address.sin_port);

  // Fill the queue; the first connection that stays pending proves the
  // queue is full.
  std::vector<int> fillers;
  bool pending = false;
  for (int i = 0; i < 8 && !pending; ++i) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    fillers.push_back(fd);
    pollfd watch{fd, POLLOUT, 0};
    pending = ::poll(&watch, 1, 300) == 0;
  }
  if (!pending) {
    for (int fd : fillers) ::close(fd);
    ::close(listener);
    GTEST_SKIP() << "this network stack answers handshakes beyond the accept queue";
  }

  qint64 now = 5000300;
  int pumps = 0;
  ConnectOptions options;
  options.deadline = ConnectDeadline::after(kConnectTimeoutSeconds, [&] { return now; });
  options.whileWaiting = [&] {
    ++pumps;
    now += 1000;
  };
  ServerConnection client;
  QElapsedTimer timer;
  timer.start();
  EXPECT_EQ(client.connectToServer("127.0.0.1", port, options), ConnectResult::TimedOut);
  EXPECT_EQ(pumps, 15);
  EXPECT_LT(timer.elapsed(), 3000);
  EXPECT_FALSE(client.isConnected());

  // A deadline that passed before the start fails without trying.
  EXPECT_EQ(client.connectToServer("127.0.0.1", port, options), ConnectResult::TimedOut);
  EXPECT_EQ(pumps, 15);

  for (int fd : fillers) ::close(fd);
  ::close(listener);
}

}  // namespace
}  // namespace lumi::protocol
