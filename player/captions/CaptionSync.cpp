#include "player/captions/CaptionSync.h"

#include "platform/text/StringTable.h"

namespace lumi::player {

std::optional<int> syncStepOfCommand(int command) {
  switch (command) {
    case kSyncBack5Command: return -5000;
    case kSyncForward5Command: return 5000;
    case kSyncBack10Command: return -10000;
    case kSyncForward10Command: return 10000;
    default: return std::nullopt;
  }
}

QString syncOffsetText(int syncMs, const text::StringTable& texts) {
  if (syncMs == 0) return texts.text(218);
  // The texts hold "%0.1f" where the seconds go; it is filled in as text, so
  // a table with another conversion cannot reach printf.
  QString shown = texts.text(syncMs > 0 ? 216 : 217);
  return shown.replace(QStringLiteral("%0.1f"), QString::asprintf("%0.1f", syncMs * 0.001));
}

}  // namespace lumi::player
