#pragma once
#include <QString>

namespace lumi {

// The user's private folder for message endpoints and single-instance locks:
// $XDG_RUNTIME_DIR/lumicaster, or /tmp/lumicaster-<uid> where the session has
// no runtime folder. Created with mode 0700; a folder that another user owns
// or that others can enter is refused (empty result), since whoever can write
// there could impersonate the suite's programs.
QString runtimeFolder();

}  // namespace lumi
