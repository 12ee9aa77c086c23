#pragma once
// The screen saver and display power of an X server: the core screen-saver
// settings with the MIT-SCREEN-SAVER extension's notices, and DPMS. A server
// without DPMS (Xvfb, for one) has no display power settings, so none is active.
#include "manager/dispatch/DispatchPorts.h"
#include "manager/dispatch/X11Connection.h"

namespace lumi::manager {

class X11ScreenPower : public ScreenPowerPort {
 public:
  explicit X11ScreenPower(X11Connection& x);

  bool hasScreenSaverNotices() const { return saverEventBase_ >= 0; }
  bool hasDpms() const { return dpms_; }

  void watchScreenSaver(std::function<void()> starting) override { starting_ = std::move(starting); }
  // Timeout 0 (the server's saver never starts by itself) and any running saver reset.
  bool disableScreenSaver() override;
  // Power-off: DPMS enabled with an off timeout; low power: with a standby or
  // suspend timeout.
  DisplayPower displayPower() override;
  // Sets the off timeout to 0, keeping the others.
  bool disableDisplayPowerOff() override;
  // Sets the standby and suspend timeouts to 0, keeping the off timeout.
  bool disableDisplayLowPower() override;

 private:
  struct Timeouts {
    std::uint16_t standby = 0, suspend = 0, off = 0;
  };
  void event(const xcb_generic_event_t* event);
  bool setTimeouts(Timeouts timeouts);

  X11Connection& x_;
  int saverEventBase_ = -1;
  bool dpms_ = false;
  std::function<void()> starting_;
};

}  // namespace lumi::manager
