#pragma once
// The one argument the shell starts the player with: what to play and how.
#include <QString>

namespace lumi::player {

struct StartRequest {
  enum class Kind {
    None,      // empty: the player cannot run on its own
    Dvd,       // path = the disc's VIDEO_TS folder
    VideoCd,   // path = the disc root
    Stream,    // path = the address, opened as it stands
    Playlist,  // path = the playlist file
    File,      // path = the movie file
  };
  Kind kind = Kind::None;
  QString path;
  // Only playlists and plain files offer to resume where the movie was left.
  bool resumable() const { return kind == Kind::Playlist || kind == Kind::File; }
};

// Prefixes compare without case, in the order "dvd://", "vcd://", "mms",
// "lst://"; everything else is a file path.
StartRequest ParseCommandLine(const QString& argument);

// The argument as the shell passes it: argv[1..] joined by spaces, so a path
// with spaces split by a caller that did not quote it still arrives whole.
QString JoinArguments(int argc, char** argv);

}  // namespace lumi::player
