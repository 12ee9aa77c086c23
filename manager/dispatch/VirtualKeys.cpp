#include "manager/dispatch/VirtualKeys.h"

#include <utility>

namespace lumi::manager {
namespace {

// Virtual keys that are not digits or letters. The left-hand modifier stands
// for the generic one, as it does on a Windows keyboard.
constexpr std::pair<quint8, std::uint32_t> kKeysyms[] = {
    {0x08, 0xff08},  // Back: BackSpace
    {0x09, 0xff09},  // Tab
    {0x0C, 0xff0b},  // Clear
    {0x0D, 0xff0d},  // Return
    {0x10, 0xffe1},  // Shift: Shift_L
    {0x11, 0xffe3},  // Control: Control_L
    {0x12, 0xffe9},  // Menu: Alt_L
    {0x13, 0xff13},  // Pause
    {0x14, 0xffe5},  // Capital: Caps_Lock
    {0x1B, 0xff1b},  // Escape
    {0x20, 0x0020},  // Space: space
    {0x21, 0xff55},  // Prior: Page_Up
    {0x22, 0xff56},  // Next: Page_Down
    {0x23, 0xff57},  // End
    {0x24, 0xff50},  // Home
    {0x25, 0xff51},  // Left
    {0x26, 0xff52},  // Up
    {0x27, 0xff53},  // Right
    {0x28, 0xff54},  // Down
    {0x29, 0xff60},  // Select
    {0x2A, 0xff61},  // Print
    {0x2B, 0xff62},  // Execute
    {0x2C, 0xff61},  // Snapshot: Print
    {0x2D, 0xff63},  // Insert
    {0x2E, 0xffff},  // Delete
    {0x2F, 0xff6a},  // Help
    {0x5B, 0xffeb},  // LWin: Super_L
    {0x5C, 0xffec},  // RWin: Super_R
    {0x5D, 0xff67},  // Apps: Menu
    {0x6A, 0xffaa},  // Multiply: KP_Multiply
    {0x6B, 0xffab},  // Add: KP_Add
    {0x6C, 0xffac},  // Separator: KP_Separator
    {0x6D, 0xffad},  // Subtract: KP_Subtract
    {0x6E, 0xffae},  // Decimal: KP_Decimal
    {0x6F, 0xffaf},  // Divide: KP_Divide
    {0x90, 0xff7f},  // NumLock: Num_Lock
    {0x91, 0xff14},  // Scroll: Scroll_Lock
    {0xA0, 0xffe1},  // LShift: Shift_L
    {0xA1, 0xffe2},  // RShift: Shift_R
    {0xA2, 0xffe3},  // LControl: Control_L
    {0xA3, 0xffe4},  // RControl: Control_R
    {0xA4, 0xffe9},  // LMenu: Alt_L
    {0xA5, 0xffea},  // RMenu: Alt_R
    {0xAD, 0x1008ff12},  // VolumeMute: XF86AudioMute
    {0xAE, 0x1008ff11},  // VolumeDown: XF86AudioLowerVolume
    {0xAF, 0x1008ff13},  // VolumeUp: XF86AudioRaiseVolume
    {0xB0, 0x1008ff17},  // MediaNextTrack: XF86AudioNext
    {0xB1, 0x1008ff16},  // MediaPrevTrack: XF86AudioPrev
    {0xB2, 0x1008ff15},  // MediaStop: XF86AudioStop
    {0xB3, 0x1008ff14},  // MediaPlayPause: XF86AudioPlay
    {0xBA, 0x003b},  // Oem1: semicolon
    {0xBB, 0x003d},  // OemPlus: equal (the "=+" key)
    {0xBC, 0x002c},  // OemComma: comma
    {0xBD, 0x002d},  // OemMinus: minus
    {0xBE, 0x002e},  // OemPeriod: period
    {0xBF, 0x002f},  // Oem2: slash
    {0xC0, 0x0060},  // Oem3: grave
    {0xDB, 0x005b},  // Oem4: bracketleft
    {0xDC, 0x005c},  // Oem5: backslash
    {0xDD, 0x005d},  // Oem6: bracketright
    {0xDE, 0x0027},  // Oem7: apostrophe
};

}  // namespace

std::uint32_t keysymForVirtualKey(quint8 key) {
  if (key >= '0' && key <= '9') return key;                 // XK_0 .. XK_9
  if (key >= 'A' && key <= 'Z') return key - 'A' + 'a';     // XK_a .. XK_z
  if (key >= 0x60 && key <= 0x69) return 0xffb0 + (key - 0x60);  // Numpad0..9: KP_0..KP_9
  if (key >= 0x70 && key <= 0x87) return 0xffbe + (key - 0x70);  // F1..F24
  for (const auto& [virtualKey, keysym] : kKeysyms)
    if (virtualKey == key) return keysym;
  return 0;
}

std::uint8_t KeyboardMapping::keycodeFor(std::uint32_t keysym) const {
  if (keysym == 0 || keysymsPerKeycode <= 0) return 0;
  const std::size_t per = std::size_t(keysymsPerKeycode);
  const std::size_t codes = keysyms.size() / per;
  // The unshifted column first: a key typed there needs no modifier the key
  // map did not ask for.
  for (std::size_t column = 0; column < per; ++column)
    for (std::size_t i = 0; i < codes; ++i)
      if (keysyms[i * per + column] == keysym && minKeycode + i <= 255) return std::uint8_t(minKeycode + i);
  return 0;
}

}  // namespace lumi::manager
