// lumicaster-server: the reference server for the suite's server exchanges.
// Usage lines go to standard output (and the stats file); diagnostics, among
// them the address it listens on, go to standard error.
#include "common/protocol/MessageCodes.h"
#include "server/MessageServer.h"
#include "server/UpdateCatalogue.h"
#include "server/UpdateExchangeHandler.h"
#include "server/UsageLog.h"
#include "server/UsageReportHandler.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>

#include <cstdio>
#include <optional>

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
  const QCommandLineOption catalogueOption(QStringLiteral("update-catalogue"),
                                           QStringLiteral("Serve updates: the release's program files."),
                                           QStringLiteral("DIR"));
  const QCommandLineOption versionOption(QStringLiteral("update-version"),
                                         QStringLiteral("The release's version (default: the newest file's)."),
                                         QStringLiteral("a,b,c,d"));
  const QCommandLineOption modeOption(QStringLiteral("update-answer"),
                                      QStringLiteral("'version' (2033, the default) or 'new' (2068)."),
                                      QStringLiteral("MODE"), QStringLiteral("version"));
  const QCommandLineOption chunkOption(QStringLiteral("chunk-size"), QStringLiteral("Bytes per data chunk."),
                                       QStringLiteral("N"), QStringLiteral("65536"));
  const QCommandLineOption idleOption(QStringLiteral("idle-timeout"),
                                      QStringLiteral("Drop a client silent this many seconds (0: never)."),
                                      QStringLiteral("S"), QStringLiteral("120"));
  const QCommandLineOption sessionsOption(QStringLiteral("max-sessions"), QStringLiteral("Clients served at once."),
                                          QStringLiteral("N"), QStringLiteral("1000"));
  parser.addOptions({listenOption, portOption, statsOption, catalogueOption, versionOption, modeOption, chunkOption,
                     idleOption, sessionsOption});
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

  const int chunkSize = parser.value(chunkOption).toInt();
  const int idleSeconds = parser.value(idleOption).toInt();
  const int maxSessions = parser.value(sessionsOption).toInt();
  if (chunkSize <= 0 || chunkSize > 16 * 1024 * 1024 || idleSeconds < 0 || maxSessions <= 0) {
    std::fprintf(stderr, "lumicaster-server: bad --chunk-size, --idle-timeout or --max-sessions\n");
    return 2;
  }
  std::optional<lumi::server::UpdateCatalogue> catalogue;
  if (parser.isSet(catalogueOption)) {
    const QString mode = parser.value(modeOption);
    if (mode != QLatin1String("version") && mode != QLatin1String("new")) {
      std::fprintf(stderr, "lumicaster-server: --update-answer is 'version' or 'new'\n");
      return 2;
    }
    QString error;
    catalogue = lumi::server::UpdateCatalogue::load(
        parser.value(catalogueOption), parser.value(versionOption).remove(QLatin1Char(' ')),
        mode == QLatin1String("new") ? lumi::server::UpdateAnswer::NewVersion : lumi::server::UpdateAnswer::Version,
        &error);
    if (!catalogue) {
      std::fprintf(stderr, "lumicaster-server: update catalogue: %s\n", qPrintable(error));
      return 2;
    }
    std::fprintf(stderr, "update catalogue: version %s, %lld files\n", qPrintable(catalogue->serverVersion),
                 static_cast<long long>(catalogue->files.size()));
  }

  lumi::server::MessageServer server;
  server.setIdleTimeout(idleSeconds * 1000);
  server.setMaxSessions(maxSessions);
  server.setMaxUnsentBytes(4 * qint64(chunkSize) + 1024);
  server.addExchange([&usageLog] { return std::make_unique<lumi::server::UsageReportHandler>(usageLog); });
  if (catalogue)
    server.addExchange([&catalogue, chunkSize] {
      return std::make_unique<lumi::server::UpdateExchangeHandler>(*catalogue, chunkSize);
    });
  if (!server.listen(address, quint16(port))) {
    std::fprintf(stderr, "lumicaster-server: cannot listen on %s:%u: %s\n", qPrintable(address.toString()), port,
                 qPrintable(server.errorString()));
    return 1;
  }
  std::fprintf(stderr, "listening on %s:%u\n", qPrintable(server.address().toString()), unsigned(server.port()));
  std::fflush(stderr);
  return app.exec();
}
