#pragma once
// Power-off through systemd-logind on the system bus:
// org.freedesktop.login1.Manager.PowerOff(interactive = false). logind ends
// every session itself, so the programs still running do not get a say, and
// with interactive false it never stops to ask for a password: a user who
// may not power the machine off gets a refusal at once.
#include "platform/power/PowerControl.h"

namespace lumi::power {

class LogindPowerControl : public PowerControl {
 public:
  // How long to wait for logind's answer before giving up on it.
  explicit LogindPowerControl(int timeoutMs = 5000) : timeoutMs_(timeoutMs) {}
  bool powerOff() override;

 private:
  int timeoutMs_;
};

}  // namespace lumi::power
