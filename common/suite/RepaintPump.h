#pragma once
// For an operation that blocks the user-interface thread (a server connect
// that may take 15 seconds): the windows keep painting, while input, timers,
// socket notifications and posted suite messages wait until it is over.
#include "platform/desktop/LocalWindows.h"

namespace lumi::suite {

class RepaintOnly {
 public:
  // Paints what is due; call it every few milliseconds while blocked.
  void pump();

 private:
  desktop::LocalWindows::HoldPosted hold_;
};

}  // namespace lumi::suite
