#pragma once
// The depth-first walk of a drive that a catalogue scan makes, with the care
// a Linux tree needs: symbolic links to folders are never followed, a folder
// met twice (bind mounts) is walked once, the walk stays on the root's file
// system, only regular files (or links to them) are visited, dot-folders are
// not walked, and each folder is read whole and closed before the walk goes
// into it, so that deep trees hold one descriptor at a time.
//
// Items are visited in the order the file system returns them; a folder is
// walked at once where it comes, as the catalogue order depends on it.
#include <QByteArray>

#include <functional>

namespace lumi::library {

struct WalkFile {
  QByteArray folder;  // the file's folder, no trailing "/"
  QByteArray name;  // valid during the visitor's call only
  qint64 size = 0;
  // False for names a catalogue cannot hold: dot-files, names that are not
  // UTF-8 or hold a line break, files below such folders.
  bool listable = true;
  // Whether a file of this folder was already taken (see Visitor).
  bool folderTaken = false;
};

enum class WalkEnd { Completed, Stopped, Vanished };

class MediaWalk {
 public:
  // Called for every regular file; returns true when it took the file, which
  // marks its folder as taken for the files after it.
  using Visitor = std::function<bool(const WalkFile&)>;
  // Asked before every item; false stops the walk.
  using KeepGoing = std::function<bool()>;

  MediaWalk(QByteArray root, KeepGoing keepGoing, Visitor visitor);

  // Completed, Stopped when keepGoing said no, or Vanished when the root is no
  // longer the file system it was at the start (media unplugged, unmounted).
  WalkEnd run();

  // The root without its trailing "/" ("/" stays "/").
  const QByteArray& root() const { return root_; }

 private:
  QByteArray root_;
  KeepGoing keepGoing_;
  Visitor visitor_;
};

// Valid UTF-8 without CR or LF.
bool IsListableName(const char* name, qsizetype length);

}  // namespace lumi::library
