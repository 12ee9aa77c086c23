#include "player/core/CaptionKeys.h"

#include <Qt>

namespace lumi::player {

int CaptionCommandForKey(int qtKey, bool ctrl, bool alt, bool shift) {
  if (shift) return 0;
  if (alt && !ctrl) return qtKey == Qt::Key_H ? kCaptionToggleCommand : 0;
  if (!ctrl || alt) return 0;
  switch (qtKey) {
    case Qt::Key_Insert: return 32871;
    case Qt::Key_Delete: return 32872;
    case Qt::Key_End: return 32873;
    case Qt::Key_Home: return 32874;
    case Qt::Key_G: return 32875;
    case Qt::Key_PageUp: return 32772;
    case Qt::Key_PageDown: return 32773;
    case Qt::Key_Up: return kCaptionMoveUpCommand;
    case Qt::Key_Down: return kCaptionMoveDownCommand;
    default: return 0;
  }
}

}  // namespace lumi::player
