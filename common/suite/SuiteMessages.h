#pragma once
// The vocabulary the suite's programs share across processes: message
// numbers, copy-data words, remote key codes and main window titles.
#include <QString>
#include <cstdint>
#include <optional>

#include "platform/text/Language.h"

namespace lumi::suite {

// Messages between the programs (and the manager's own, which share numbers
// with messages inside other programs).
inline constexpr std::uint32_t WM_REMOTE_KEY = 0x465;
inline constexpr std::uint32_t WM_TRAY_NOTIFY = 0x469;
inline constexpr std::uint32_t WM_SET_KEY_TARGET = 0x46F;
inline constexpr std::uint32_t WM_READER_OPEN_FAILED = 0x470;
inline constexpr std::uint32_t WM_READER_OPENED = 0x471;
inline constexpr std::uint32_t WM_UPDATER_CLOSED = 0x472;
inline constexpr std::uint32_t WM_UPDATE_FILES_PENDING = 0x473;
inline constexpr std::uint32_t WM_APPLY_PENDING_UPDATES = 0x474;
inline constexpr std::uint32_t WM_SUITE_PING = 0x475;

// Data words of WM_COPYDATA records.
inline constexpr std::uint64_t kCopyPlayerClosing = 1;       // player window is being destroyed (8 zero bytes)
inline constexpr std::uint64_t kCopyPlayerClosedByUser = 2;  // the user closed the player (8 zero bytes)
inline constexpr std::uint64_t kCopySecondStart = 12;        // a second shell: restore and come to the front
inline constexpr std::uint64_t kCopySkinChanged = 1121;      // the skin's background changed
inline constexpr std::uint64_t kCopyClaimKeys = 1135;        // send the remote keys to the sender

// Remote key codes (wParam of WM_REMOTE_KEY). 23, 29 and 36 are never sent.
enum KeyCode : int {
  KeyPower = 0,
  KeyPC = 1,
  KeyDigit1 = 2,
  KeyDigit2 = 3,
  KeyDigit3 = 4,
  KeyDigit4 = 5,
  KeyDigit5 = 6,
  KeyDigit6 = 7,
  KeyDigit7 = 8,
  KeyDigit8 = 9,
  KeyDigit9 = 10,
  KeyDigit0 = 11,
  KeyMenu = 12,
  KeyOk = 13,
  KeyExit = 14,
  KeyUp = 15,
  KeyDown = 16,
  KeyLeft = 17,
  KeyRight = 18,
  KeyHome = 19,
  KeyEnd = 20,
  KeyPageUp = 21,
  KeyPageDown = 22,
  KeyRewind = 24,
  KeyPlay = 25,
  KeyPause = 26,
  KeyStop = 27,
  KeyFastForward = 28,
  KeyRecord = 30,
  KeyVolumeUp = 31,
  KeyVolumeDown = 32,
  KeyChannelUp = 33,
  KeyChannelDown = 34,
  KeyMute = 35,
  KeyColourA = 37,
  KeyColourB = 38,
  KeyColourC = 39,
};

inline constexpr int kKeyCodeCount = 40;

// Short English names of the keys ("Down", "OK", "Vol+", "Digit1" ...), for
// tools and logs; nullopt for the unused codes 23, 29 and 36 and out-of-range ones.
std::optional<QString> keyName(int code);
// A key code from its number, or from its name in any case (the spellings of
// keyName and a few others such as "Enter", "FastForward", "VolumeUp").
std::optional<int> keyFromName(const QString& name);

// Main window titles, also the single-instance names of the shell, the
// player and the updater.
inline const QString kShellTitle = QStringLiteral("LUMICASTER");
inline const QString kPlayerTitle = QStringLiteral("Lumicaster Movie Player");
inline const QString kUpdaterTitle = QStringLiteral("Freshwell");
QString managerTitle(text::Language language = text::systemLanguage());

}  // namespace lumi::suite
