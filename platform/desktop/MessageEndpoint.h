#pragma once
// How window messages travel between processes: every process with suite
// windows listens on a Unix socket in the user's runtime folder and
// advertises its path on each of its windows. A message is one connection:
// the sender writes one request and, for a sent message, reads one answer.
//
// Only processes of the same user get through: the runtime folder is private
// (0700) and the receiver checks the peer's credentials on every connection.
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/desktop/Desktop.h"

class QSocketNotifier;

namespace lumi::desktop {

class MessageEndpoint {
 public:
  // Answers a sent message for one of this process's windows.
  using Answer = std::function<std::int64_t(WindowId target, const WindowMessage& message)>;
  // Queues a posted message for one of this process's windows.
  using Queue = std::function<void(WindowId target, WindowMessage message)>;

  MessageEndpoint(Answer answer, Queue queue);
  ~MessageEndpoint();
  MessageEndpoint(const MessageEndpoint&) = delete;
  MessageEndpoint& operator=(const MessageEndpoint&) = delete;

  bool listening() const { return listenFd_ >= 0; }
  QString path() const { return path_; }

  // Handles every connection that waits on the listening socket. Called by
  // the event loop, and by the wait for an answer so that a waiting program
  // still answers the messages sent to it.
  void serveWaiting();

  enum class Outcome { Answered, TimedOut, Refused };
  // Delivers a message to the endpoint at `path` and, unless it is posted,
  // waits up to timeoutMs for the answer. `self` (may be null) is served
  // meanwhile.
  static Outcome deliver(const QString& path, WindowId target, const WindowMessage& message, int timeoutMs,
                         MessageEndpoint* self, std::int64_t* answer);

  // True when `path` may be an endpoint of this user: inside the runtime
  // folder. A window property can name any path; nothing else is connected to.
  static bool acceptablePath(const QString& path);

  // While a suspension is alive, the event loop leaves every endpoint of this
  // process alone: messages from other programs wait in the socket's queue
  // (their senders may give up) until the user-interface thread is free.
  class Suspend {
   public:
    Suspend();
    ~Suspend();
    Suspend(const Suspend&) = delete;
    Suspend& operator=(const Suspend&) = delete;
  };

  // Largest copy-data record accepted, so that a broken peer cannot make the
  // receiver allocate without bound.
  static constexpr std::uint32_t kMaxData = 16u << 20;

 private:
  void serveConnection(int fd);
  static void removeStaleEndpoints(const QString& folder);

  Answer answer_;
  Queue queue_;
  int listenFd_ = -1;
  QString path_;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace lumi::desktop
