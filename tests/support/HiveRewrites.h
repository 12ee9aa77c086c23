#pragma once
// Counts how often a hive file is replaced, from outside the registry layer:
// every rewrite ends in a rename onto the file, which inotify reports as one
// IN_MOVED_TO in its folder.
#include <QDir>
#include <QFileInfo>
#include <QString>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>

#include "platform/registry/Registry.h"

namespace lumi::test {

class HiveRewrites {
 public:
  explicit HiveRewrites(lumi::registry::Root root) {
    const QFileInfo file(lumi::registry::hiveFile(root));
    QDir().mkpath(file.absolutePath());
    name_ = file.fileName().toUtf8();
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ >= 0) inotify_add_watch(fd_, QFile::encodeName(file.absolutePath()).constData(), IN_MOVED_TO | IN_CLOSE_WRITE);
  }
  ~HiveRewrites() {
    if (fd_ >= 0) ::close(fd_);
  }
  HiveRewrites(const HiveRewrites&) = delete;
  HiveRewrites& operator=(const HiveRewrites&) = delete;

  bool ok() const { return fd_ >= 0; }

  // Renames onto the hive file since the last call. The rename has completed
  // when the writing call returned, so its event is already queued.
  int take() {
    int count = 0;
    alignas(inotify_event) char buffer[8192];
    for (;;) {
      const ssize_t n = ::read(fd_, buffer, sizeof buffer);
      if (n <= 0) break;
      for (ssize_t at = 0; at < n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        if ((event->mask & IN_MOVED_TO) && event->len && name_ == event->name) ++count;
        at += ssize_t(sizeof(inotify_event) + event->len);
      }
    }
    return count;
  }

 private:
  int fd_ = -1;
  QByteArray name_;
};

}  // namespace lumi::test
