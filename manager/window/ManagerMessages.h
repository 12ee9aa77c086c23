#pragma once
// The messages the manager's window accepts from the suite's programs (and
// from itself), and what each asks the manager to do. Window-free: the window
// carries the decision out and answers with its reply.
#include <cstdint>
#include <optional>

#include "platform/desktop/Desktop.h"

namespace lumi::manager {

enum class ManagerAction {
  None,                    // answered, nothing to do (the ping, unknown copy-data words)
  RemoteKey,               // a remote code for the dispatcher (argument: the code)
  SetKeyTarget,            // the keys go to a window (argument: the window, 0 = the one in front)
  ReloadSkin,              // the skin page reads the current skin again
  ShowWindow,              // a second start: the hidden manager comes back
  ReaderOpened,            // the reader's notices, for the connection procedure
  ReaderOpenFailed,
  UpdaterClosed,           // the updater says it has closed
  PostApplyPendingUpdates, // the updater left ".Update" copies: apply them on the event loop
  ApplyPendingUpdates,
  Exit,                    // the manager's exit, on the event loop (the sender may be the shell it waits for)
};

struct ManagerDecision {
  ManagerAction action = ManagerAction::None;
  std::uint64_t argument = 0;
  // The answer to the sender; none for a message the manager does not take.
  std::optional<std::int64_t> reply;

  bool operator==(const ManagerDecision&) const = default;
};

class ManagerMessages {
 public:
  static ManagerDecision decide(const desktop::WindowMessage& message);
};

}  // namespace lumi::manager
