#pragma once
// The key maps are written in Windows virtual-key codes; X servers type by
// keycode, which each server maps to keysyms in its own way. The table here
// names the keysym of each virtual key, and KeyboardMapping finds the keycode
// that produces a keysym on the server at hand.
#include <QtGlobal>
#include <cstdint>
#include <vector>

namespace lumi::manager {

namespace vk {
// The modifiers, which the key maps hold as flags rather than as keys.
inline constexpr quint8 Shift = 0x10, Control = 0x11, Menu = 0x12;
}  // namespace vk

// The keysym a virtual key types without modifiers ('M' types "m", 0xBE "period");
// 0 for a virtual key that has no counterpart.
std::uint32_t keysymForVirtualKey(quint8 virtualKey);

// The reply of GetKeyboardMapping: keysymsPerKeycode keysyms for every keycode
// from minKeycode on.
struct KeyboardMapping {
  std::uint8_t minKeycode = 8;
  int keysymsPerKeycode = 0;
  std::vector<std::uint32_t> keysyms;

  // A keycode whose unshifted keysym is `keysym`, else one that has it in
  // any column; 0 when the server's keyboard cannot type it.
  std::uint8_t keycodeFor(std::uint32_t keysym) const;
};

}  // namespace lumi::manager
