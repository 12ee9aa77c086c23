#include "shell/library/MediaWalk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace lumi::library {

namespace {

enum class ItemKind : unsigned char { Folder, File };

struct Item {
  std::string name;
  ItemKind kind;
  qint64 size;
};

struct Frame {
  QByteArray path;
  bool listable = true;
  std::vector<Item> items;
  size_t next = 0;
  bool taken = false;
};

bool isSkippedFolder(const std::string& name) {
  // Hidden folders (caches, the desktop's trash) and the system folders of
  // disks that came from Windows.
  return name[0] == '.' || name == "$RECYCLE.BIN" || name == "System Volume Information";
}

bool rootUnchanged(const QByteArray& root, dev_t dev, ino_t ino) {
  struct stat st;
  return ::stat(root.constData(), &st) == 0 && st.st_dev == dev && st.st_ino == ino;
}

bool errnoMeansGone(int error) {
  return error == EIO || error == ENODEV || error == ENXIO || error == ENOTCONN || error == ESTALE ||
         error == ENOENT || error == ENOTDIR;
}

}  // namespace

bool IsListableName(const char* name, qsizetype length) {
  // Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF;
  // and no line breaks, which would split a playlist line.
  const auto* p = reinterpret_cast<const unsigned char*>(name);
  qsizetype i = 0;
  while (i < length) {
    const unsigned char c = p[i];
    if (c < 0x80) {
      if (c == '\n' || c == '\r') return false;
      ++i;
      continue;
    }
    int extra;
    unsigned int code, min;
    if ((c & 0xE0) == 0xC0) { extra = 1; code = c & 0x1F; min = 0x80; }
    else if ((c & 0xF0) == 0xE0) { extra = 2; code = c & 0x0F; min = 0x800; }
    else if ((c & 0xF8) == 0xF0) { extra = 3; code = c & 0x07; min = 0x10000; }
    else return false;
    if (i + extra >= length) return false;
    for (int k = 1; k <= extra; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) return false;
      code = (code << 6) | (p[i + k] & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}

MediaWalk::MediaWalk(QByteArray root, KeepGoing keepGoing, Visitor visitor)
    : root_(std::move(root)), keepGoing_(std::move(keepGoing)), visitor_(std::move(visitor)) {
  while (root_.size() > 1 && root_.endsWith('/')) root_.chop(1);
}

WalkEnd MediaWalk::run() {
  struct stat rootStat;
  if (::stat(root_.constData(), &rootStat) != 0 || !S_ISDIR(rootStat.st_mode)) return WalkEnd::Vanished;
  const dev_t rootDev = rootStat.st_dev;
  std::set<std::pair<dev_t, ino_t>> seen{{rootStat.st_dev, rootStat.st_ino}};
  bool vanished = false;

  // Reads a folder whole: its folders (same file system, not seen before)
  // and its regular files with their sizes, in the order readdir gives.
  auto readFolder = [&](Frame& frame) {
    DIR* dir = ::opendir(frame.path.constData());
    if (!dir) {
      if (errnoMeansGone(errno) && !rootUnchanged(root_, rootDev, rootStat.st_ino)) vanished = true;
      return;  // a folder that cannot be read counts as empty
    }
    const int fd = ::dirfd(dir);
    errno = 0;
    while (dirent* d = ::readdir(dir)) {
      const char* name = d->d_name;
      if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
      struct stat st;
      if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
      if (S_ISDIR(st.st_mode)) {
        if (st.st_dev != rootDev || !seen.insert({st.st_dev, st.st_ino}).second) continue;
        frame.items.push_back({name, ItemKind::Folder, 0});
      } else if (S_ISREG(st.st_mode)) {
        frame.items.push_back({name, ItemKind::File, qint64(st.st_size)});
      } else if (S_ISLNK(st.st_mode)) {
        // A link to a regular file counts as that file; links to folders,
        // devices or nothing are left alone.
        struct stat target;
        if (::fstatat(fd, name, &target, 0) == 0 && S_ISREG(target.st_mode)) {
          frame.items.push_back({name, ItemKind::File, qint64(target.st_size)});
        }
      }
      errno = 0;
    }
    const int readError = errno;
    ::closedir(dir);
    if (readError != 0 && errnoMeansGone(readError) && !rootUnchanged(root_, rootDev, rootStat.st_ino)) {
      vanished = true;
    }
  };

  std::vector<Frame> stack;
  stack.push_back(Frame{root_, true, {}, 0, false});
  readFolder(stack.back());
  while (!stack.empty() && !vanished) {
    Frame& frame = stack.back();
    if (frame.next >= frame.items.size()) {
      stack.pop_back();
      continue;
    }
    if (!keepGoing_()) return WalkEnd::Stopped;
    const Item& item = frame.items[frame.next++];
    if (item.kind == ItemKind::Folder) {
      if (isSkippedFolder(item.name)) continue;
      QByteArray path = frame.path;
      if (!path.endsWith('/')) path.append('/');
      path.append(item.name.data(), qsizetype(item.name.size()));
      const bool listable = frame.listable && IsListableName(item.name.data(), qsizetype(item.name.size()));
      stack.push_back(Frame{path, listable, {}, 0, false});
      readFolder(stack.back());  // `frame` may dangle from here on
      continue;
    }
    WalkFile file;
    file.folder = frame.path;
    // The name's bytes stay where they are for the visitor's call.
    file.name = QByteArray::fromRawData(item.name.data(), qsizetype(item.name.size()));
    file.size = item.size;
    file.listable = frame.listable && item.name[0] != '.' && IsListableName(item.name.data(), qsizetype(item.name.size()));
    file.folderTaken = frame.taken;
    if (visitor_(file)) frame.taken = true;
  }
  if (vanished || !rootUnchanged(root_, rootDev, rootStat.st_ino)) return WalkEnd::Vanished;
  return WalkEnd::Completed;
}

}  // namespace lumi::library
