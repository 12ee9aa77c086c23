// virtual-remote: stands in for the manager's infrared receiver. It opens a
// pseudo terminal pair (or a serial device given with --device), prints the
// device to map to a COM port, optionally maps it in the registry, and puts
// model A or model B packets on the line for the buttons named on the command
// line, or, without buttons, for the names typed on standard input.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/signalfd.h>
#include <termios.h>
#include <unistd.h>

#include "manager/core/KeyMaps.h"
#include "manager/core/RemoteSettings.h"
#include "tools/virtual-remote/RemoteButtons.h"

using namespace lumi;
using manager::RemoteModel;
using virtualremote::Press;

namespace {

QTextStream out(stdout);
QTextStream err(stderr);

// SIGINT, SIGTERM and SIGHUP arrive here, so that the mapping is always undone.
int signalFd = -1;

bool interrupted(int waitMs) {
  pollfd p{signalFd, POLLIN, 0};
  return ::poll(&p, 1, waitMs) > 0;
}

QString hex(quint32 code) { return QStringLiteral("0x") + QString::number(code, 16).toUpper(); }

bool writeAll(int fd, const QByteArray& bytes) {
  qsizetype done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += n;
  }
  return true;
}

// Raw 8-bit line (7 bits for model B on a real port) at the model's speed:
// nothing may translate a packet byte such as 0x0D on its way.
void makeRaw(int fd, RemoteModel model) {
  termios tio {};
  if (::tcgetattr(fd, &tio) != 0) return;
  ::cfmakeraw(&tio);
  const manager::LineSettings line = manager::lineSettings(model);
  ::cfsetspeed(&tio, line.baud == 1200 ? B1200 : B9600);
  tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
  tio.c_cflag |= (line.dataBits == 7 ? CS7 : CS8) | CLOCAL | CREAD;
  ::tcsetattr(fd, TCSANOW, &tio);
}

// A pseudo terminal's master hangs up while no one has the other end open.
bool readerPresent(int master) {
  pollfd p{master, 0, 0};
  return ::poll(&p, 1, 0) >= 0 && !(p.revents & POLLHUP);
}

struct Line {
  int fd = -1;
  bool pty = false;
  QString device;
  int mappedPort = 0;
  QString previousMapping;

  ~Line() {
    // A stale mapping would point the manager at a pseudo terminal that the
    // system may hand to someone's terminal next.
    // The port goes back to what it pointed at before (in tests: a device that
    // does not exist), never to the machine's own serial port by default.
    if (pty && mappedPort && manager::portDevice(mappedPort) == device) manager::mapPort(mappedPort, previousMapping);
    if (fd >= 0) ::close(fd);
  }
};

bool send(const Line& line, const Press& press, int repeat, int gapMs) {
  for (int i = 0; i < repeat; ++i) {
    if (!writeAll(line.fd, press.bytes)) {
      err << "virtual-remote: cannot write to " << line.device << ": " << strerror(errno) << Qt::endl;
      return false;
    }
    if (interrupted(gapMs)) return false;
  }
  out << "sent " << press.label;
  if (press.code) out << " " << hex(*press.code);
  out << " (" << press.bytes.toHex(' ') << ")" << Qt::endl;
  return true;
}

void list(RemoteModel model) {
  out << manager::modelName(model) << Qt::endl;
  for (const virtualremote::ButtonInfo& b : virtualremote::buttonList(model))
    out << qSetFieldWidth(12) << Qt::left << hex(b.code) << qSetFieldWidth(0) << b.names.join(" / ") << "  [suite: "
        << b.suiteAction << "; keyboard: " << b.keyboardAction << "]" << Qt::endl;
  if (model == RemoteModel::B) out << qSetFieldWidth(12) << Qt::left << "'M'" << qSetFieldWidth(0)
                                   << "Identify  [the receiver's answer while connecting]" << Qt::endl;
  out << "Aliases: the digits, Power, Mode, TaskSwitch and the key names Up, Down, Left, Right, OK, Exit, Menu, Play,\n"
         "Pause, Stop, Rew, FF, Rec, Vol+, Vol-, Ch+, Ch-, Mute, A, B, C, Home, End, PageUp, PageDown, PC.\n"
         "Also a code in hex (0xB0, 0x3F0245) or raw bytes (raw:45023F)."
      << Qt::endl;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("virtual-remote"));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Stands in for the manager's infrared receiver: opens a pseudo terminal (or --device), prints the device to\n"
      "map to a COM port and sends the packets of the named buttons, each twice (the reader takes every other\n"
      "read). Without buttons, reads button names from standard input, one or more a line."));
  parser.addHelpOption();
  const QCommandLineOption modelOption({"m", "model"}, "Receiver model, A (default) or B.", "A|B", "A");
  const QCommandLineOption deviceOption("device", "Write to this serial device instead of a new pseudo terminal.", "path");
  const QCommandLineOption mapOption("map", "Map this port to the device in the registry (the previous mapping comes back at exit for a pseudo terminal).", "COMn");
  const QCommandLineOption gapOption("gap", "Pause after every packet, in milliseconds (default 60).", "ms", "60");
  const QCommandLineOption onceOption("once", "Send every button once instead of twice.");
  const QCommandLineOption waitOption("wait", "Seconds to wait for a reader to open the pseudo terminal (default 30).", "s", "30");
  const QCommandLineOption lingerOption("linger", "Milliseconds to keep the line open after the last button (default 300).", "ms", "300");
  const QCommandLineOption listOption("list", "List the model's buttons and exit.");
  parser.addOptions({modelOption, deviceOption, mapOption, gapOption, onceOption, waitOption, lingerOption, listOption});
  parser.addPositionalArgument("buttons", "Button names, codes (0xB0) or raw bytes (raw:45023F).", "[button...]");
  parser.process(app);

  const QString modelName = parser.value(modelOption).toUpper();
  if (modelName != "A" && modelName != "B" && modelName != "0" && modelName != "1") {
    err << "virtual-remote: --model is A or B" << Qt::endl;
    return 2;
  }
  const RemoteModel model = (modelName == "B" || modelName == "1") ? RemoteModel::B : RemoteModel::A;
  if (parser.isSet(listOption)) {
    list(model);
    return 0;
  }
  auto number = [&](const QCommandLineOption& option, int fallback) {
    bool ok = false;
    const int value = parser.value(option).toInt(&ok);
    return ok && value >= 0 ? value : fallback;
  };
  const int gapMs = number(gapOption, 60);
  const int waitS = number(waitOption, 30);
  const int lingerMs = number(lingerOption, 300);
  const int repeat = parser.isSet(onceOption) ? 1 : 2;
  int mapPort = 0;
  if (parser.isSet(mapOption) && !(mapPort = manager::portNumberFromName(parser.value(mapOption)))) {
    err << "virtual-remote: --map takes COM1 to COM4" << Qt::endl;
    return 2;
  }

  // Every name is checked before anything is opened or sent.
  std::vector<Press> presses;
  for (const QString& name : parser.positionalArguments()) {
    QString why;
    const auto press = virtualremote::pressFor(model, name, &why);
    if (!press) {
      err << "virtual-remote: " << why << Qt::endl;
      return 2;
    }
    presses.push_back(*press);
  }

  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stopSignals, s);
  sigprocmask(SIG_BLOCK, &stopSignals, nullptr);
  signalFd = signalfd(-1, &stopSignals, SFD_CLOEXEC);

  Line line;
  if (parser.isSet(deviceOption)) {
    line.device = parser.value(deviceOption);
    line.fd = ::open(QFile::encodeName(line.device).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (line.fd < 0) {
      err << "virtual-remote: cannot open " << line.device << ": " << strerror(errno) << Qt::endl;
      return 1;
    }
    if (::isatty(line.fd)) makeRaw(line.fd, model);
  } else {
    int slave = -1;
    char name[256] = {};
    if (::openpty(&line.fd, &slave, name, nullptr, nullptr) != 0) {
      err << "virtual-remote: cannot open a pseudo terminal: " << strerror(errno) << Qt::endl;
      return 1;
    }
    ::fcntl(line.fd, F_SETFD, FD_CLOEXEC);
    makeRaw(slave, model);
    // Closed here, so that the master shows when a reader opens the device.
    ::close(slave);
    line.pty = true;
    line.device = QString::fromLocal8Bit(name);
  }
  out << line.device << Qt::endl;
  if (mapPort) {
    line.previousMapping = manager::portMapping(mapPort);
    if (!manager::mapPort(mapPort, line.device)) {
      err << "virtual-remote: cannot write the registry" << Qt::endl;
      return 1;
    }
    line.mappedPort = mapPort;
    err << manager::portName(mapPort) << " -> " << line.device << Qt::endl;
  }

  if (!presses.empty()) {
    if (line.pty) {
      int waited = 0;
      while (!readerPresent(line.fd)) {
        if (interrupted(20)) return 1;
        if ((waited += 20) > waitS * 1000) {
          err << "virtual-remote: no reader opened " << line.device << Qt::endl;
          return 1;
        }
      }
    }
    for (const Press& press : presses)
      if (!send(line, press, repeat, gapMs)) return 1;
    interrupted(lingerMs);
    return 0;
  }

  err << "Type button names (--list shows them), one or more a line; end with Ctrl+D." << Qt::endl;
  QByteArray pending;
  for (;;) {
    pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {signalFd, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0 && errno != EINTR) return 1;
    if (fds[1].revents) return 0;
    if (!fds[0].revents) continue;
    char buffer[512];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return 0;
    pending.append(buffer, n);
    qsizetype end;
    while ((end = pending.indexOf('\n')) >= 0) {
      const QString text = QString::fromUtf8(pending.left(end)).trimmed();
      pending.remove(0, end + 1);
      if (text.isEmpty()) continue;
      // The whole line names one button ("Enter (OK)"), else each word does.
      std::vector<Press> typed;
      QString why;
      if (const auto press = virtualremote::pressFor(model, text, &why)) {
        typed.push_back(*press);
      } else {
        for (const QString& word : text.split(' ', Qt::SkipEmptyParts)) {
          const auto one = virtualremote::pressFor(model, word, &why);
          if (!one) {
            err << why << Qt::endl;
            typed.clear();
            break;
          }
          typed.push_back(*one);
        }
      }
      // Bytes wait in the pseudo terminal until a reader opens it, and then
      // arrive as one read.
      if (!typed.empty() && line.pty && !readerPresent(line.fd))
        err << "no reader has " << line.device << " open yet; the packets wait for one" << Qt::endl;
      for (const Press& press : typed)
        if (!send(line, press, repeat, gapMs)) return 1;
    }
  }
}
