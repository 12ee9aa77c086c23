#pragma once
// The caption sync commands and the on-screen menu's sync steps, and the text
// that shows the offset.
#include <QString>
#include <optional>

namespace lumi::text {
class StringTable;
}

namespace lumi::player {

constexpr int kSyncBack5Command = 32872;      // Ctrl+Delete
constexpr int kSyncForward5Command = 32871;   // Ctrl+Insert
constexpr int kSyncBack10Command = 32873;     // Ctrl+End
constexpr int kSyncForward10Command = 32874;  // Ctrl+Home
constexpr int kSyncResetCommand = 32875;      // Ctrl+G

// The on-screen menu's steps, in the order of their labels 219-222.
constexpr int kOnScreenSyncSteps[] = {-500, 500, -2000, 2000};
constexpr int kFirstSyncStepLabel = 219;

// The step of a sync command in milliseconds (positive: captions earlier);
// empty for any other command, Ctrl+G included.
std::optional<int> syncStepOfCommand(int command);

// The offset as the on-screen menu shows it, from the program's texts 216
// (positive), 217 (negative) and 218 (zero), in seconds with one decimal.
QString syncOffsetText(int syncMs, const text::StringTable& texts);

}  // namespace lumi::player
