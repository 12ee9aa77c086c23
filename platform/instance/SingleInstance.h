#pragma once
#include <QString>

namespace lumi {

// A named lock that at most one process of the user holds at a time: the
// programs' "only one of me" rule. It is an flock on a file in the runtime
// folder, so the kernel releases it when the holder ends in any way, a crash
// or a kill included; a dead holder never leaves the name taken.
class SingleInstanceLock {
 public:
  explicit SingleInstanceLock(const QString& name);
  ~SingleInstanceLock();
  SingleInstanceLock(const SingleInstanceLock&) = delete;
  SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

  // True when this process now holds the name; false when another does (or
  // the runtime folder is unusable, which also keeps a second copy out).
  bool acquired() const { return fd_ >= 0; }
  void release();

  // The lock file's path for a name (names may hold any characters).
  static QString lockFile(const QString& name);

 private:
  int fd_ = -1;
};

}  // namespace lumi
