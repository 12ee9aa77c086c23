#pragma once
// For an operation that blocks the user-interface thread (a server connect
// that may take 15 seconds): the windows keep painting, while input, timers,
// messages from the other programs (sent and posted) wait until it is over.
// Other socket notifiers of the program may still fire: Qt's glib event
// dispatcher does not honour ExcludeSocketNotifiers.
#include "platform/desktop/LocalWindows.h"
#include "platform/desktop/MessageEndpoint.h"

namespace lumi::suite {

class RepaintOnly {
 public:
  // Paints what is due; call it every few milliseconds while blocked.
  void pump();

 private:
  desktop::LocalWindows::HoldPosted hold_;
  desktop::MessageEndpoint::Suspend suspend_;
};

}  // namespace lumi::suite
