#pragma once
// The captions of one movie: the caption file beside it, read, and the entries
// of the stream captions are shown from.
#include <QString>
#include <QStringList>
#include <vector>

#include "player/captions/SamiParser.h"

namespace lumi::player {

struct CaptionTrack {
  // Whether the movie has a caption file at all; without one there is no
  // track and the caption bar stays hidden.
  bool exists = false;
  // Whether it could be read; when not, the player shows messageId and
  // detailId (299, 300) and plays the movie without captions.
  bool ok = false;
  int messageId = 0;
  int detailId = 0;
  QString path;
  int stream = -1;
  std::vector<SamiEntry> entries;
  // "Stream count: N" and one line per stream, or why the file was refused.
  QStringList diagnostics;
};

// The caption file is the movie's name with its last extension replaced by
// ".smi", in any case ("movie.SMI" too).
CaptionTrack openCaptionTrack(const QString& moviePath);

}  // namespace lumi::player
