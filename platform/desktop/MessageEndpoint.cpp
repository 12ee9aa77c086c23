#include "platform/desktop/MessageEndpoint.h"

#include "platform/instance/RuntimeFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <csignal>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace lumi::desktop {
namespace {

constexpr std::uint32_t kRequestMagic = 0x47534D4C;  // "LMSG"
constexpr std::uint32_t kAnswerMagic = 0x5345524C;   // "LRES"
constexpr std::uint8_t kVersion = 1;
enum Kind : std::uint8_t { kSend = 1, kPost = 2 };

// Fixed little-endian layout; the data bytes of a copy-data record follow.
struct RequestHeader {
  std::uint32_t magic;
  std::uint8_t version;
  std::uint8_t kind;
  std::uint16_t reserved;
  std::uint32_t message;
  std::uint32_t dataLength;
  std::uint64_t target;
  std::uint64_t wParam;
  std::int64_t lParam;
  std::uint64_t dataWord;
};
static_assert(sizeof(RequestHeader) == 48);

struct AnswerRecord {
  std::uint32_t magic;
  std::uint32_t reserved;
  std::int64_t result;
};
static_assert(sizeof(AnswerRecord) == 16);

// How long a receiver waits for the rest of a request whose connection it
// accepted. Senders write the whole request at once, so this only guards
// against a broken peer.
constexpr int kRequestReadMs = 1000;

int remainingMs(const QElapsedTimer& timer, int limitMs) {
  const qint64 left = limitMs - timer.elapsed();
  return left > 0 ? static_cast<int>(left) : 0;
}

bool readFully(int fd, void* buffer, size_t size, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  auto* p = static_cast<char*>(buffer);
  while (size > 0) {
    const ssize_t n = recv(fd, p, size, MSG_DONTWAIT);
    if (n > 0) {
      p += n;
      size -= static_cast<size_t>(n);
      continue;
    }
    if (n == 0) return false;
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
    pollfd pfd{fd, POLLIN, 0};
    const int left = remainingMs(timer, timeoutMs);
    if (left == 0 || poll(&pfd, 1, left) <= 0) return false;
  }
  return true;
}

bool writeFully(int fd, const void* buffer, size_t size, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  auto* p = static_cast<const char*>(buffer);
  while (size > 0) {
    const ssize_t n = send(fd, p, size, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      p += n;
      size -= static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
    pollfd pfd{fd, POLLOUT, 0};
    const int left = remainingMs(timer, timeoutMs);
    if (left == 0 || poll(&pfd, 1, left) <= 0) return false;
  }
  return true;
}

bool fillAddress(const QString& path, sockaddr_un& address) {
  const QByteArray encoded = QFile::encodeName(path);
  if (encoded.size() >= static_cast<qsizetype>(sizeof address.sun_path)) return false;
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, encoded.constData(), encoded.size());
  return true;
}

std::atomic<int> endpointCounter{0};

// The endpoints of this process and the suspensions alive; touched only on
// the user-interface thread.
std::vector<QSocketNotifier*> liveNotifiers;
int suspensions = 0;

}  // namespace

MessageEndpoint::MessageEndpoint(Answer answer, Queue queue) : answer_(std::move(answer)), queue_(std::move(queue)) {
  const QString folder = runtimeFolder();
  if (folder.isEmpty()) {
    qWarning("desktop: no private runtime folder; this program's windows cannot receive messages");
    return;
  }
  removeStaleEndpoints(folder);
  path_ = QDir(folder).filePath(QStringLiteral("endpoint-%1-%2.sock").arg(getpid()).arg(endpointCounter++));
  sockaddr_un address;
  if (!fillAddress(path_, address)) return;
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  unlink(address.sun_path);
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 128) != 0) {
    qWarning("desktop: cannot listen on %s: %s", qPrintable(path_), strerror(errno));
    close(fd);
    return;
  }
  chmod(address.sun_path, 0600);
  listenFd_ = fd;
  if (QCoreApplication::instance()) {
    notifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { serveWaiting(); });
    notifier_->setEnabled(suspensions == 0);
    liveNotifiers.push_back(notifier_.get());
  }
}

MessageEndpoint::Suspend::Suspend() {
  if (suspensions++ == 0)
    for (QSocketNotifier* n : liveNotifiers) n->setEnabled(false);
}

MessageEndpoint::Suspend::~Suspend() {
  if (--suspensions == 0)
    for (QSocketNotifier* n : liveNotifiers) n->setEnabled(true);
}

MessageEndpoint::~MessageEndpoint() {
  std::erase(liveNotifiers, notifier_.get());
  notifier_.reset();
  if (listenFd_ >= 0) {
    close(listenFd_);
    unlink(QFile::encodeName(path_).constData());
  }
}

void MessageEndpoint::removeStaleEndpoints(const QString& folder) {
  // Endpoints of processes that died without cleaning up.
  const QStringList names = QDir(folder).entryList({"endpoint-*.sock"}, QDir::System | QDir::Files);
  for (const QString& name : names) {
    const pid_t pid = name.section('-', 1, 1).toInt();
    if (pid > 0 && kill(pid, 0) != 0 && errno == ESRCH) QFile::remove(QDir(folder).filePath(name));
  }
}

bool MessageEndpoint::acceptablePath(const QString& path) {
  const QString folder = runtimeFolder();
  if (folder.isEmpty() || path.contains(QLatin1String(".."))) return false;
  const QFileInfo info(path);
  return info.absolutePath() == QDir(folder).absolutePath() && info.fileName().startsWith("endpoint-");
}

void MessageEndpoint::serveWaiting() {
  if (listenFd_ < 0) return;
  for (;;) {
    const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR) continue;
      return;  // EAGAIN: nothing more waits
    }
    serveConnection(fd);
    close(fd);
  }
}

void MessageEndpoint::serveConnection(int fd) {
  ucred peer{};
  socklen_t length = sizeof peer;
  if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || peer.uid != geteuid()) {
    qWarning("desktop: refused a message from another user (uid %u)", peer.uid);
    return;
  }
  RequestHeader header{};
  if (!readFully(fd, &header, sizeof header, kRequestReadMs)) return;
  if (header.magic != kRequestMagic || header.version != kVersion || header.dataLength > kMaxData ||
      (header.kind != kSend && header.kind != kPost)) {
    qWarning("desktop: dropped a malformed message request");
    return;
  }
  WindowMessage message;
  message.message = header.message;
  message.wParam = header.wParam;
  message.lParam = header.lParam;
  message.dataWord = header.dataWord;
  message.posted = header.kind == kPost;
  if (header.dataLength > 0) {
    message.data.resize(header.dataLength);
    if (!readFully(fd, message.data.data(), header.dataLength, kRequestReadMs)) return;
  }
  if (message.posted) {
    queue_(header.target, std::move(message));
    return;
  }
  AnswerRecord record{kAnswerMagic, 0, answer_(header.target, message)};
  writeFully(fd, &record, sizeof record, kRequestReadMs);
}

MessageEndpoint::Outcome MessageEndpoint::deliver(const QString& path, WindowId target, const WindowMessage& message,
                                                  int timeoutMs, MessageEndpoint* self, std::int64_t* answer) {
  *answer = 0;
  sockaddr_un address;
  if (!acceptablePath(path) || !fillAddress(path, address)) return Outcome::Refused;
  if (message.data.size() > static_cast<qsizetype>(kMaxData)) return Outcome::Refused;
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return Outcome::Refused;
  struct Closer {
    int fd;
    ~Closer() { close(fd); }
  } closer{fd};
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    // A full listen queue: the receiver is not taking messages.
    return errno == EAGAIN ? Outcome::TimedOut : Outcome::Refused;
  }
  RequestHeader header{kRequestMagic,
                       kVersion,
                       message.posted ? kPost : kSend,
                       0,
                       message.message,
                       static_cast<std::uint32_t>(message.data.size()),
                       target,
                       message.wParam,
                       message.lParam,
                       message.dataWord};
  QByteArray request(reinterpret_cast<const char*>(&header), sizeof header);
  request += message.data;
  QElapsedTimer timer;
  timer.start();
  if (!writeFully(fd, request.constData(), request.size(), timeoutMs)) {
    return timer.elapsed() >= timeoutMs ? Outcome::TimedOut : Outcome::Refused;
  }
  if (message.posted) return Outcome::Answered;

  AnswerRecord record{};
  size_t got = 0;
  while (got < sizeof record) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {self ? self->listenFd_ : -1, POLLIN, 0}};
    const int left = remainingMs(timer, timeoutMs);
    if (left == 0) return Outcome::TimedOut;
    const int ready = poll(fds, self && self->listenFd_ >= 0 ? 2 : 1, left);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return Outcome::TimedOut;
    if (fds[1].revents & POLLIN) self->serveWaiting();
    if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
      const ssize_t n = recv(fd, reinterpret_cast<char*>(&record) + got, sizeof record - got, MSG_DONTWAIT);
      if (n == 0) return Outcome::Answered;  // the window went away while answering: 0
      if (n < 0) {
        if (errno == EAGAIN || errno == EINTR) continue;
        return Outcome::Refused;
      }
      got += static_cast<size_t>(n);
    }
  }
  if (record.magic != kAnswerMagic) return Outcome::Refused;
  *answer = record.result;
  return Outcome::Answered;
}

}  // namespace lumi::desktop
