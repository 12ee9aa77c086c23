#include "player/core/PlayerKeys.h"

namespace lumi::player {

KeyAction ActionForKey(int code, bool popup, bool osd) {
  using A = KeyAction;
  switch (code) {
    case 0: return A::StopAndClose;
    case 12: return A::ToggleOsd;
    case 13: return popup ? A::ForwardToPopup : osd ? A::OsdSelect : A::InfoDisplay;
    case 14: return popup ? A::ForwardToPopup : osd ? A::OsdBack : A::ExitToShell;
    case 15: return osd ? A::OsdUp : A::VolumeUp;
    case 16: return osd ? A::OsdDown : A::VolumeDown;
    case 17: return osd ? A::OsdLeft : popup ? A::ForwardToPopup : A::SeekBack;
    case 18: return osd ? A::OsdRight : popup ? A::ForwardToPopup : A::SeekForward;
    case 24: return popup ? A::ForwardToPopup : A::Rewind;
    case 25: return A::PlayPause;
    case 26: return A::PauseResume;
    case 27: return A::Stop;
    case 28: return popup ? A::ForwardToPopup : A::FastForward;
    case 31: return A::VolumeUp;
    case 32: return A::VolumeDown;
    case 33: return A::Previous;
    case 34: return A::Next;
    case 35: return A::Mute;
    case 37: return A::ControlBar;
    default: return A::Ignore;
  }
}

}  // namespace lumi::player
