#pragma once
// Resume points: one DWORD per movie under the player's key, "Bookmark", named
// by the movie's file name, holding whole seconds.
#include <QString>
#include <cstdint>

namespace lumi::player {

class Bookmarks {
 public:
  // `playerKey`: the player's key under HKEY_CURRENT_USER.
  explicit Bookmarks(QString playerKey);

  // 0 when there is none.
  quint32 read(const QString& moviePath) const;
  // What closing a movie keeps: at its end the point is removed; a position
  // of zero leaves the earlier point alone; anything else is written in whole
  // seconds (100 ns units, truncated).
  void save(const QString& moviePath, std::int64_t position100ns, std::int64_t stop100ns);
  void remove(const QString& moviePath);

 private:
  QString key_;
};

}  // namespace lumi::player
