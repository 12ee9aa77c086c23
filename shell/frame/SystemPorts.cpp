#include "shell/frame/SystemPorts.h"

#include "platform/display/XRandrDisplaySettings.h"
#include "platform/open/XdgOpenAction.h"
#include "platform/power/LogindPowerControl.h"

namespace lumi::shell {

SystemPorts makeSystemPorts() {
  SystemPorts ports;
  ports.display = std::make_unique<display::XRandrDisplaySettings>();
  ports.power = std::make_unique<power::LogindPowerControl>();
  ports.open = std::make_unique<open::XdgOpenAction>();
  return ports;
}

}  // namespace lumi::shell
