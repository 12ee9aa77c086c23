// lumicaster-server: the reference server for the suite's server exchanges.
// Usage lines go to standard output (and the stats file); diagnostics, among
// them the address it listens on, go to standard error.
#include "common/protocol/MessageCodes.h"
#include "server/MessageServer.h"
#include "server/UsageLog.h"
#include "server/UsageReportHandler.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>

#include <cstdio>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("lumicaster-server"));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Reference server for the Lumicaster server exchanges."));
  parser.addHelpOption();
  const QCommandLineOption listenOption(QStringLiteral("listen"), QStringLiteral("Address to listen on."),
                                        QStringLiteral("ADDRESS"), QStringLiteral("127.0.0.1"));
  const QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("TCP port; 0 picks a free one."),
                                      QStringLiteral("N"), QString::number(lumi::protocol::kServerPort));
  const QCommandLineOption statsOption(QStringLiteral("stats-file"),
                                       QStringLiteral("Also append usage lines to this file."),
                                       QStringLiteral("PATH"));
  parser.addOptions({listenOption, portOption, statsOption});
  parser.process(app);

  const QHostAddress address(parser.value(listenOption));
  if (address.isNull()) {
    std::fprintf(stderr, "lumicaster-server: not an address: %s\n", qPrintable(parser.value(listenOption)));
    return 2;
  }
  bool portOk = false;
  const uint port = parser.value(portOption).toUInt(&portOk);
  if (!portOk || port > 65535) {
    std::fprintf(stderr, "lumicaster-server: not a port: %s\n", qPrintable(parser.value(portOption)));
    return 2;
  }

  lumi::server::UsageLog usageLog;
  if (parser.isSet(statsOption)) {
    QString error;
    if (!usageLog.openStatsFile(parser.value(statsOption), error)) {
      std::fprintf(stderr, "lumicaster-server: %s: %s\n", qPrintable(parser.value(statsOption)), qPrintable(error));
      return 2;
    }
  }

  lumi::server::MessageServer server;
  server.addExchange([&usageLog] { return std::make_unique<lumi::server::UsageReportHandler>(usageLog); });
  if (!server.listen(address, quint16(port))) {
    std::fprintf(stderr, "lumicaster-server: cannot listen on %s:%u: %s\n", qPrintable(address.toString()), port,
                 qPrintable(server.errorString()));
    return 1;
  }
  std::fprintf(stderr, "listening on %s:%u\n", qPrintable(server.address().toString()), unsigned(server.port()));
  std::fflush(stderr);
  return app.exec();
}
