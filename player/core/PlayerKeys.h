#pragma once
// What a remote key code does in the player, given what is on screen.
namespace lumi::player {

enum class KeyAction {
  Ignore,
  ForwardToPopup,   // a message or codec dialog is up: it gets the key
  StopAndClose,     // 0: stop, close, tell the shell the user closed
  ToggleOsd,        // 12 (32832)
  OsdSelect,        // 13 with the menu open (32837)
  InfoDisplay,      // 13 otherwise (32882)
  OsdBack,          // 14 with the menu open (32839)
  ExitToShell,      // 14 otherwise: stop, close, tell the shell, end
  OsdUp, OsdDown, OsdLeft, OsdRight,
  VolumeUp, VolumeDown,
  SeekBack, SeekForward,  // 10 s
  Rewind,           // 32776
  PlayPause,
  PauseResume,
  Stop,             // 40021
  FastForward,
  Previous, Next,   // 32853 / 32854
  Mute,             // 32777
  ControlBar,       // 37
};

KeyAction ActionForKey(int code, bool popupVisible, bool osdOpen);

}  // namespace lumi::player
