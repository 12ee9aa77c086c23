#include "player/captions/CaptionTrack.h"

#include "player/core/MovieFiles.h"

namespace lumi::player {

CaptionTrack openCaptionTrack(const QString& moviePath) {
  CaptionTrack track;
  track.path = FindCaptionFile(moviePath);
  if (track.path.isEmpty()) return track;
  track.exists = true;

  SamiFile file = loadSamiFile(track.path);
  if (!file.ok) {
    track.messageId = file.messageId;
    track.detailId = file.detailId;
    track.diagnostics << QStringLiteral("Bad caption file %1: %2").arg(track.path, file.reason);
    return track;
  }
  track.ok = true;
  track.stream = chooseCaptionStream(file.document);
  track.diagnostics = captionStreamReport(file.document, track.stream);
  if (track.stream >= 0) track.entries = std::move(file.document.streams[std::size_t(track.stream)].entries);
  return track;
}

}  // namespace lumi::player
