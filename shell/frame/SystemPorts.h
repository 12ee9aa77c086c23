#pragma once
// The real display, power and "open" ports of the running shell. Only the
// program links this (target lumi_shell_frame_system); tests build the frame
// on the recording ports instead, so they cannot reach the machine's display,
// power or browser.
#include "platform/display/DisplaySettings.h"
#include "platform/open/OpenAction.h"
#include "platform/power/PowerControl.h"

#include <memory>

namespace lumi::shell {

struct SystemPorts {
  std::unique_ptr<display::DisplaySettings> display;  // XRandR on $DISPLAY
  std::unique_ptr<power::PowerControl> power;         // logind
  std::unique_ptr<open::OpenAction> open;             // xdg-open
};

SystemPorts makeSystemPorts();

}  // namespace lumi::shell
