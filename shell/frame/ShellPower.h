#pragma once
// Switching the PC off through the power port. The exit dialog's "Turn off"
// (TurnOff) ends the shell only when the system accepted.
#include "platform/power/PowerControl.h"

namespace lumi::shell {

// True when the system accepted the request.
bool PowerOff(power::PowerControl& power);

}  // namespace lumi::shell
