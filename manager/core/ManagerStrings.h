#pragma once
// The manager's string table (manager/strings.tsv, compiled in as
// ":/strings/manager.tsv") and the ids the manager's code uses.
#include "platform/text/StringTable.h"

namespace lumi::manager {

namespace textid {
inline constexpr int kInvalidKey = 105;          // input-value line for a code no map knows
inline constexpr int kRemote = 107;              // "리모콘", the first word of every status line
inline constexpr int kSuiteKey = 108;            // registry root of the suite
inline constexpr int kInitialising = 109;
inline constexpr int kInitialised = 111;
inline constexpr int kConnecting = 112;
inline constexpr int kConnected = 116;
inline constexpr int kIdentifying = 117;
inline constexpr int kIdentified = 118;
inline constexpr int kNotConnected = 119;
inline constexpr int kPressRemote = 120;
inline constexpr int kPortInUse = 123;
inline constexpr int kConnectAgain = 124;
inline constexpr int kPortNoPermission = 125;   // the user is not in the "dialout" group
inline constexpr int kPortMissing = 126;        // no such device
inline constexpr int kReceiverUnplugged = 128;  // the receiver went away; it connects again when back
inline constexpr int kWaitForInitialising = 127;
inline constexpr int kNumberMode = 131;
inline constexpr int kMoveMode = 132;
inline constexpr int kMouseMode = 133;
inline constexpr int kStopQuestion = 249;
inline constexpr int kStopButton = 250;
inline constexpr int kConfirmButton = 251;
}  // namespace textid

inline const QString kManagerStringsFile = QStringLiteral(":/strings/manager.tsv");

text::StringTable loadManagerStrings(text::Language language = text::systemLanguage());

}  // namespace lumi::manager
