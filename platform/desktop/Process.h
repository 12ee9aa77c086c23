#pragma once
// Other processes of the user: whether they run, ending them, waiting for them.
#include <cstdint>

namespace lumi::desktop {

bool processRunning(std::int64_t pid);
// Ends a process of this user at once: SIGTERM, then SIGKILL when it is still
// there after graceMs (a program that is hung or ignores SIGTERM ends all the
// same). Processes of other users and this process itself are never touched.
bool terminateProcess(std::int64_t pid, int graceMs = 500);
// Waits until the process has ended; false when it still runs after timeoutMs.
bool waitForProcessEnd(std::int64_t pid, int timeoutMs);

}  // namespace lumi::desktop
