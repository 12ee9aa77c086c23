#include "player/core/Bookmarks.h"

#include "platform/registry/Registry.h"
#include "player/core/MovieFiles.h"

namespace lumi::player {

using registry::Key;
using registry::Root;

Bookmarks::Bookmarks(QString playerKey) : key_(std::move(playerKey) + QStringLiteral("\\Bookmark")) {}

quint32 Bookmarks::read(const QString& moviePath) const {
  quint32 seconds = 0;
  Key::open(Root::CurrentUser, key_).readDWord(BookmarkName(moviePath), seconds);
  return seconds;
}

void Bookmarks::save(const QString& moviePath, std::int64_t position100ns, std::int64_t stop100ns) {
  if (moviePath.isEmpty()) return;
  if (position100ns == stop100ns) {
    remove(moviePath);
    return;
  }
  if (position100ns <= 0) return;
  Key::create(Root::CurrentUser, key_).writeDWord(BookmarkName(moviePath), quint32(position100ns / 10000000));
}

void Bookmarks::remove(const QString& moviePath) {
  Key key = Key::open(Root::CurrentUser, key_);
  if (key.isOpen()) key.removeValue(BookmarkName(moviePath));
}

}  // namespace lumi::player
