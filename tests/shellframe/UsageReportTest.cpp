// The usage report against a real listener on the statistics port: the
// exact bytes for every kind, one message per connection, and a refused
// connection that costs nothing.
#include "shell/frame/UsageReport.h"
#include "tests/support/QtPrinters.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

namespace lumi::shell {
namespace {

struct ReportCase {
  const char* name;
  UsageKind kind;
  const char* wire;
};

class UsageReportBytes : public ::testing::TestWithParam<ReportCase> {};

TEST_P(UsageReportBytes, TwelveBytesThenTheConnectionCloses) {
  EXPECT_EQ(usageReportMessage(GetParam().kind).toHex(' '), QByteArray(GetParam().wire));

  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress(QString::fromLatin1(kStatisticsAddress)), kStatisticsPort))
      << server.errorString().toStdString();
  int pumps = 0;
  EXPECT_TRUE(SendUsageReport(GetParam().kind, [&] { ++pumps; }));

  ASSERT_TRUE(server.waitForNewConnection(3000));
  QTcpSocket* peer = server.nextPendingConnection();
  ASSERT_NE(peer, nullptr);
  QByteArray received;
  // Everything up to the client's close: exactly one message, nothing after.
  while (peer->state() == QAbstractSocket::ConnectedState && peer->waitForReadyRead(3000)) received += peer->readAll();
  received += peer->readAll();
  EXPECT_EQ(received.toHex(' '), QByteArray(GetParam().wire));
  EXPECT_NE(peer->state(), QAbstractSocket::ConnectedState);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, UsageReportBytes,
    ::testing::Values(ReportCase{"Start", UsageKind::Start, "1a 08 00 00 04 00 00 00 00 00 00 00"},
                      ReportCase{"Movie", UsageKind::Movie, "1a 08 00 00 04 00 00 00 01 00 00 00"},
                      ReportCase{"Photo", UsageKind::Photo, "1a 08 00 00 04 00 00 00 02 00 00 00"},
                      ReportCase{"Music", UsageKind::Music, "1a 08 00 00 04 00 00 00 03 00 00 00"},
                      ReportCase{"Dvd", UsageKind::Dvd, "1a 08 00 00 04 00 00 00 04 00 00 00"},
                      ReportCase{"VideoCd", UsageKind::VideoCd, "1a 08 00 00 04 00 00 00 05 00 00 00"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UsageReport, RefusedConnectionReturnsAtOnce) {
  {
    // Nothing may be listening: take the port once and give it back.
    QTcpServer probe;
    if (!probe.listen(QHostAddress(QString::fromLatin1(kStatisticsAddress)), kStatisticsPort))
      GTEST_SKIP() << "something outside the tests listens on the statistics port";
  }
  QElapsedTimer clock;
  clock.start();
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(SendUsageReport(UsageKind::Start));
  EXPECT_LT(clock.elapsed(), 1000);
}

}  // namespace
}  // namespace lumi::shell
