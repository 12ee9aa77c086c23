#pragma once
// One hive as this process sees it: the cached tree of its file, brought up to
// date before every operation, and the only code that writes the file.
//
// Reads need no lock: the file is only ever replaced by rename, so a reader
// sees either the old or the new complete file. Writes are serialised between
// processes by an flock on "<hive>.reg.lock" and between threads by a mutex.
#include <QList>
#include <QMutex>
#include <QString>
#include <functional>
#include <sys/stat.h>

#include "platform/registry/HiveTree.h"
#include "platform/registry/Registry.h"

namespace lumi::registry {

enum class Change { Failed, Unchanged, Changed };

class HiveStore {
 public:
  static HiveStore& of(Root root);

  // Runs `read` on the current state of the hive.
  template <class F>
  auto read(F&& read) {
    QMutexLocker lock(&mutex_);
    refresh();
    return read(std::as_const(tree_));
  }

  // Runs `change` on the freshest state under the hive lock and, when it
  // changed anything, replaces the file. False when `change` failed or the
  // file could not be read or written.
  bool modify(const std::function<Change(KeyNode&)>& change);

  QList<ParseIssue> lastLoadIssues();

 private:
  // What identifies one version of the file; a rename always gives a new
  // inode and every write here gives a later modification time.
  struct Stamp {
    bool known = false;   // false: must look at the file again
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    timespec mtime{};
    timespec ctime{};
    static Stamp of(const struct stat& st);
    bool sameFile(const Stamp& other) const;
  };

  explicit HiveStore(Root root) : root_(root) {}
  void refresh();
  void load(const QString& path);
  void becomeEmpty(const Stamp& stamp);
  void becomeUnreadable(const QString& path, int error);

  QMutex mutex_;
  const Root root_;
  QString path_;            // the file the cache belongs to
  Stamp stamp_;
  KeyNode tree_;
  bool damaged_ = false;    // the file on disk has issues: keep it before replacing it
  bool unreadable_ = false; // never replace what could not be read
  QList<ParseIssue> lastIssues_;
};

}  // namespace lumi::registry
