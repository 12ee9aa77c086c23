// lumictl: the suite's windows and messages from a shell prompt, for scripting
// a TV PC and for driving the programs from outside in tests and demos.
#include <xcb/xcb.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QImage>
#include <QTextStream>
#include <cstdio>
#include <cstdlib>

#include "common/suite/PeerWindows.h"
#include "common/suite/SuiteMessages.h"
#include "platform/desktop/Desktop.h"
#include "platform/desktop/X11Desktop.h"

using namespace lumi;
using desktop::Desktop;
using desktop::WindowId;

namespace {

QTextStream& out() {
  static QTextStream stream(stdout);
  return stream;
}

int fail(const QString& text, int code = 2) {
  QTextStream(stderr) << "lumictl: " << text << Qt::endl;
  return code;
}

std::optional<qint64> number(const QString& text) {
  bool ok = false;
  const qint64 value = text.startsWith("0x", Qt::CaseInsensitive) ? text.mid(2).toLongLong(&ok, 16) : text.toLongLong(&ok);
  return ok ? std::optional<qint64>(value) : std::nullopt;
}

// A window by title (the suite's search) or, for "0x..." / digits, by id.
WindowId target(Desktop& d, const QString& spec) {
  if (spec.startsWith("0x", Qt::CaseInsensitive)) return number(spec).value_or(0);
  return suite::FindPeerWindow(spec, d);
}

// The screen, or one window as the screen shows it, into a picture file.
int screenshot(Desktop& d, const QString& file, WindowId window) {
  auto* x11 = dynamic_cast<desktop::X11Desktop*>(&d);
  xcb_connection_t* c = x11->connection();
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  const xcb_drawable_t drawable = window ? static_cast<xcb_drawable_t>(window) : screen->root;
  xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, drawable), nullptr);
  if (!geometry) return fail("no such window");
  const int width = geometry->width, height = geometry->height;
  std::free(geometry);
  xcb_get_image_reply_t* image = xcb_get_image_reply(
      c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, 0, 0, width, height, ~0u), nullptr);
  if (!image || xcb_get_image_data_length(image) < width * height * 4) {
    std::free(image);
    return fail("the window cannot be read (is it on screen?)");
  }
  const QImage picture(xcb_get_image_data(image), width, height, width * 4, QImage::Format_RGB32);
  const bool saved = picture.copy().save(file);
  std::free(image);
  return saved ? 0 : fail(QStringLiteral("cannot write %1").arg(file));
}

QString describe(Desktop& d, WindowId w) {
  return QStringLiteral("0x%1\t%2\t%3\t%4")
      .arg(w, 8, 16, QChar('0'))
      .arg(d.windowProcess(w))
      .arg(d.send(w, suite::WM_SUITE_PING, 0, 0))
      .arg(d.windowTitle(w));
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName("lumictl");
  QCommandLineParser parser;
  parser.setApplicationDescription(
      "Lists the suite's windows and sends them messages.\n\n"
      "Commands:\n"
      "  list [--all]                 suite windows (id, pid, ping answer, title), top first\n"
      "  ping TITLE                   prints the identity query's answer (1 for a suite window)\n"
      "  key TITLE KEY                posts WM_REMOTE_KEY; KEY is a code 0-39 or a name (Down, OK, Exit...)\n"
      "  copydata TITLE WORD [TEXT]   sends WM_COPYDATA with a data word (and TEXT, or --hex bytes)\n"
      "  send TITLE MSG [W [L]]       sends a message and prints the answer\n"
      "  post TITLE MSG [W [L]]       posts a message\n"
      "  close TITLE                  ends the program (terminate, WM_CLOSE, wait until gone)\n"
      "  wait-gone TITLE              waits until the window stops answering\n"
      "  front TITLE                  brings the window to the front\n"
      "  foreground                   the foreground window\n"
      "  screenshot FILE [TITLE]      the screen (or one window) as a picture (PNG)\n"
      "TITLE may also be a window id such as 0x1a00003. Numbers may be hex (0x...).");
  parser.addHelpOption();
  parser.addPositionalArgument("command", "what to do");
  QCommandLineOption all("all", "list every top-level window, suite or not");
  QCommandLineOption timeout("timeout", "milliseconds a send waits for its answer", "ms", "5000");
  QCommandLineOption hex("hex", "copy-data bytes in hex", "bytes");
  QCommandLineOption from("from", "sender window id for WM_COPYDATA", "id", "0");
  parser.addOptions({all, timeout, hex, from});
  parser.process(app);

  const QStringList args = parser.positionalArguments();
  if (args.isEmpty()) parser.showHelp(2);
  Desktop& d = Desktop::instance();
  if (d.backendName() != "x11") return fail("no X display (is DISPLAY set?)");
  d.setSendTimeout(static_cast<int>(number(parser.value(timeout)).value_or(5000)));

  const QString command = args[0];
  auto needs = [&](int n) { return args.size() >= n + 1; };

  if (command == "list") {
    for (WindowId w : d.topLevelWindows()) {
      if (parser.isSet(all) || suite::AnswersPing(w, d)) out() << describe(d, w) << Qt::endl;
    }
    return 0;
  }
  if (command == "foreground") {
    const WindowId w = d.foregroundWindow();
    if (w == 0) return fail("no foreground window", 1);
    out() << describe(d, w) << Qt::endl;
    return 0;
  }
  if (command == "screenshot") {
    if (!needs(1)) return fail("missing picture file");
    const WindowId w = needs(2) ? target(d, args[2]) : 0;
    if (needs(2) && w == 0) return fail(QStringLiteral("no suite window titled \"%1\"").arg(args[2]), 1);
    return screenshot(d, args[1], w);
  }
  if (!needs(1)) return fail("missing window title");
  const QString title = args[1];

  if (command == "ping") {
    // A title that only foreign windows carry answers 0.
    const WindowId w = target(d, title);
    const qint64 answer = w ? d.send(w, suite::WM_SUITE_PING, 0, 0) : 0;
    out() << answer << Qt::endl;
    return answer == 1 ? 0 : 1;
  }
  const WindowId w = target(d, title);
  if (w == 0) return fail(QStringLiteral("no suite window titled \"%1\"").arg(title), 1);

  if (command == "key") {
    if (!needs(2)) return fail("missing key");
    const std::optional<int> key = suite::keyFromName(args[2]);
    if (!key) return fail(QStringLiteral("unknown key \"%1\"").arg(args[2]));
    return d.post(w, suite::WM_REMOTE_KEY, static_cast<quint64>(*key), 0) ? 0 : 1;
  }
  if (command == "copydata") {
    if (!needs(2)) return fail("missing data word");
    const std::optional<qint64> word = number(args[2]);
    if (!word) return fail("the data word must be a number");
    QByteArray data = needs(3) ? args[3].toUtf8() : QByteArray();
    if (parser.isSet(hex)) data = QByteArray::fromHex(parser.value(hex).toLatin1());
    const qint64 answer = d.sendCopyData(w, number(parser.value(from)).value_or(0), *word, data);
    out() << answer << Qt::endl;
    return d.lastSendTimedOut() ? 1 : 0;
  }
  if (command == "send" || command == "post") {
    if (!needs(2)) return fail("missing message number");
    const auto message = number(args[2]);
    const auto wParam = needs(3) ? number(args[3]) : std::optional<qint64>(0);
    const auto lParam = needs(4) ? number(args[4]) : std::optional<qint64>(0);
    if (!message || !wParam || !lParam) return fail("message, wParam and lParam must be numbers");
    if (command == "post") return d.post(w, *message, *wParam, *lParam) ? 0 : 1;
    out() << d.send(w, *message, *wParam, *lParam) << Qt::endl;
    return d.lastSendTimedOut() ? 1 : 0;
  }
  if (command == "close") return suite::CloseSuiteProgram(w) ? 0 : 1;
  if (command == "wait-gone") return suite::WaitUntilGone(w, static_cast<int>(number(parser.value(timeout)).value_or(-1))) ? 0 : 1;
  if (command == "front") return suite::BringToForeground(w, d) ? 0 : 1;
  return fail(QStringLiteral("unknown command \"%1\"").arg(command));
}
