#pragma once
// "Turn off" in the exit dialog. The caller closes the main window afterwards
// whatever the answer: a refused power-off still ends the shell.
#include "platform/power/PowerControl.h"

namespace lumi::shell {

// True when the system accepted the request.
bool PowerOff(power::PowerControl& power);

}  // namespace lumi::shell
