#include "shell/frame/ShellPower.h"

namespace lumi::shell {

bool PowerOff(power::PowerControl& power) { return power.powerOff(); }

}  // namespace lumi::shell
