// suite-test-window: a suite window with scripted behaviour, standing in for
// a suite program in cross-process tests. It prints "ready 0x<id>" once its
// window can be found, and logs every message it handles.
#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QMap>
#include <QThread>
#include <QWidget>
#include <cstdio>

#include "common/suite/PeerWindows.h"
#include "common/suite/SuiteMessages.h"
#include "common/suite/SuiteWindow.h"

using namespace lumi;

namespace {

quint32 number(const QString& text) {
  bool ok = false;
  return text.startsWith("0x") ? text.mid(2).toUInt(&ok, 16) : text.toUInt(&ok);
}

// "MSG=VALUE" pairs.
QMap<quint32, qint64> pairs(const QStringList& values) {
  QMap<quint32, qint64> out;
  for (const QString& v : values) out.insert(number(v.section('=', 0, 0)), v.section('=', 1).toLongLong());
  return out;
}

struct Relay {
  QString peer;
  quint32 message;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QCommandLineParser parser;
  // Not "--title": Qt's X11 platform takes that one for itself.
  QCommandLineOption title("window-title", "window title", "text");
  QCommandLineOption noPing("no-ping", "do not answer the identity query");
  QCommandLineOption ignoreClose("ignore-close", "ignore WM_CLOSE");
  QCommandLineOption log("log", "append handled messages to this file", "file");
  QCommandLineOption hang("hang", "hang for ever on this message", "msg");
  QCommandLineOption answer("answer", "answer MSG with VALUE", "MSG=VALUE");
  QCommandLineOption delay("delay", "wait MS before answering MSG", "MSG=MS");
  QCommandLineOption relay("relay", "on MSG send MSG2 to PEER, answer its answer + 1", "MSG:PEER:MSG2");
  QCommandLineOption hidden("hidden", "never show the window");
  parser.addOptions({title, noPing, ignoreClose, log, hang, answer, delay, relay, hidden});
  parser.process(app);

  QFile logFile(parser.value(log));
  if (parser.isSet(log)) logFile.open(QIODevice::Append | QIODevice::Text | QIODevice::Unbuffered);
  auto write = [&](const QByteArray& line) {
    if (logFile.isOpen()) logFile.write(line + '\n');
  };

  const quint32 hangOn = parser.isSet(hang) ? number(parser.value(hang)) : 0;
  const QMap<quint32, qint64> answers = pairs(parser.values(answer));
  const QMap<quint32, qint64> delays = pairs(parser.values(delay));
  QMap<quint32, Relay> relays;
  for (const QString& r : parser.values(relay))
    relays.insert(number(r.section(':', 0, 0)), Relay{r.section(':', 1, 1), number(r.section(':', 2, 2))});

  QWidget window;
  window.setWindowTitle(parser.value(title));
  window.resize(200, 120);

  suite::SuiteWindow suiteWindow(
      &window,
      [&](const desktop::WindowMessage& m) -> std::optional<std::int64_t> {
        write(QStringLiteral("%1 0x%2 %3 %4 %5 %6")
                  .arg(m.posted ? "post" : "send")
                  .arg(m.message, 0, 16)
                  .arg(m.wParam)
                  .arg(m.lParam)
                  .arg(m.dataWord)
                  .arg(QString::fromLatin1(m.data.toHex()))
                  .toUtf8());
        if (m.message == hangOn && hangOn != 0) QThread::sleep(3600);
        if (delays.contains(m.message)) QThread::msleep(delays.value(m.message));
        if (relays.contains(m.message)) {
          const Relay r = relays.value(m.message);
          const desktop::WindowId peer = suite::FindPeerWindow(r.peer);
          const std::int64_t result = desktop::Desktop::instance().send(peer, r.message, 0, 0) + 1;
          write("relay-result " + QByteArray::number(static_cast<qlonglong>(result)));
          return result;
        }
        if (answers.contains(m.message)) return answers.value(m.message);
        if (m.message == desktop::WM_CLOSE && parser.isSet(ignoreClose)) return 0;
        return std::nullopt;
      },
      parser.isSet(noPing) ? suite::SuiteWindow::Ping::Ignore : suite::SuiteWindow::Ping::Answer);

  if (!parser.isSet(hidden)) window.show();
  std::printf("ready 0x%llx\n", static_cast<unsigned long long>(suiteWindow.id()));
  std::fflush(stdout);
  return app.exec();
}
