#include "common/protocol/ServerConnection.h"

#include <QTcpSocket>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace lumi::protocol {

qint64 ConnectDeadline::steadyMilliseconds() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

ConnectDeadline ConnectDeadline::after(int seconds, Clock clock) {
  ConnectDeadline deadline;
  deadline.deadline_ = clock() / 1000 + seconds;
  deadline.clock_ = std::move(clock);
  return deadline;
}

bool ConnectDeadline::passed() const { return clock_ && clock_() / 1000 >= deadline_; }

namespace {

// Runs the caller's pump between slices of waiting; false once the deadline
// has passed.
bool keepWaiting(const ConnectOptions& options) {
  if (options.whileWaiting) options.whileWaiting();
  return !options.deadline.passed();
}

int waitSlice(const ConnectOptions& options) { return options.waitSliceMs > 0 ? options.waitSliceMs : 15; }

// getaddrinfo() cannot be interrupted, so it runs on a thread of its own
// while the caller keeps pumping; a lookup abandoned at the deadline finishes
// into state nobody reads any more.
struct Lookup {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  std::vector<in_addr> addresses;
};

enum class LookupResult { Found, NotFound, TimedOut };

LookupResult resolve(const QString& address, const ConnectOptions& options, std::vector<in_addr>& out) {
  in_addr literal{};
  const QByteArray host = address.trimmed().toUtf8();
  if (inet_pton(AF_INET, host.constData(), &literal) == 1) {
    out = {literal};
    return LookupResult::Found;
  }
  if (host.isEmpty()) return LookupResult::NotFound;

  auto lookup = std::make_shared<Lookup>();
  std::thread([lookup, host] {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    std::vector<in_addr> found;
    if (getaddrinfo(host.constData(), nullptr, &hints, &list) == 0) {
      for (addrinfo* entry = list; entry; entry = entry->ai_next) {
        const in_addr a = reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr;
        bool seen = false;
        for (const in_addr& b : found) seen = seen || b.s_addr == a.s_addr;
        if (!seen) found.push_back(a);
      }
      freeaddrinfo(list);
    }
    std::lock_guard lock(lookup->mutex);
    lookup->addresses = std::move(found);
    lookup->finished = true;
    lookup->done.notify_all();
  }).detach();

  for (;;) {
    {
      std::unique_lock lock(lookup->mutex);
      if (lookup->done.wait_for(lock, std::chrono::milliseconds(waitSlice(options)), [&] { return lookup->finished; })) {
        out = lookup->addresses;
        break;
      }
    }
    if (!keepWaiting(options)) return LookupResult::TimedOut;
  }
  return out.empty() ? LookupResult::NotFound : LookupResult::Found;
}

enum class TcpResult { Connected, Failed, TimedOut };

// A non-blocking connect polled in slices, so that the pump runs and the
// deadline is checked while the handshake is under way.
TcpResult connectTcp(in_addr address, quint16 port, const ConnectOptions& options, int& fdOut) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return TcpResult::Failed;
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(port);
  target.sin_addr = address;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&target), sizeof target) != 0) {
    if (errno != EINPROGRESS) {
      ::close(fd);
      return TcpResult::Failed;
    }
    for (;;) {
      pollfd watch{fd, POLLOUT, 0};
      const int ready = ::poll(&watch, 1, waitSlice(options));
      if (ready > 0) break;
      if (ready < 0 && errno != EINTR) {
        ::close(fd);
        return TcpResult::Failed;
      }
      if (!keepWaiting(options)) {
        ::close(fd);
        return TcpResult::TimedOut;
      }
    }
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) {
      ::close(fd);
      return TcpResult::Failed;
    }
  }
  fdOut = fd;
  return TcpResult::Connected;
}

}  // namespace

ServerConnection::ServerConnection(QObject* parent) : QObject(parent) {}

ServerConnection::~ServerConnection() = default;

ConnectResult ServerConnection::connectToServer(const QString& address, quint16 port,
                                                const ConnectOptions& options) {
  close(CloseMode::Silent);
  if (options.deadline.passed()) return ConnectResult::TimedOut;

  std::vector<in_addr> addresses;
  switch (resolve(address, options, addresses)) {
    case LookupResult::Found:
      break;
    case LookupResult::NotFound:
      return ConnectResult::HostNotFound;
    case LookupResult::TimedOut:
      return ConnectResult::TimedOut;
  }

  for (const in_addr& candidate : addresses) {
    int fd = -1;
    switch (connectTcp(candidate, port, options, fd)) {
      case TcpResult::Failed:
        continue;
      case TcpResult::TimedOut:
        return ConnectResult::TimedOut;
      case TcpResult::Connected:
        break;
    }
    auto* socket = new QTcpSocket;
    if (!socket->setSocketDescriptor(fd, QAbstractSocket::ConnectedState, QIODevice::ReadWrite)) {
      delete socket;
      ::close(fd);
      continue;
    }
    channel_ = new MessageChannel(socket, options.maxPayload, this);
    connect(channel_, &MessageChannel::messageReceived, this, &ServerConnection::messageReceived);
    connect(channel_, &MessageChannel::lost, this, [this](ConnectionLoss reason) {
      if (channel_) channel_->deleteLater();
      channel_ = nullptr;
      emit connectionLost(reason);
    });
    return ConnectResult::Connected;
  }
  return ConnectResult::Failed;
}

bool ServerConnection::send(const QByteArray& message) { return channel_ && channel_->send(message); }

void ServerConnection::close(CloseMode mode) {
  if (!channel_) return;
  if (mode == CloseMode::SendFinished) channel_->send(encodeMessage(code::FileReceived));
  if (!channel_) return;  // the send itself may have ended the connection
  channel_->close();
  channel_->deleteLater();
  channel_ = nullptr;
}

}  // namespace lumi::protocol
