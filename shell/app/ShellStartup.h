#pragma once
// Start-up of the shell program, in order: single instance (a second start
// hands over to the running shell), the resource library, the ports to the
// system, the main window and its placement.
#include <memory>

namespace lumi::shell {

// Runs the shell; the process's exit code.
int RunShell(int argc, char** argv);

}  // namespace lumi::shell
