#pragma once
// The screen saver and display power of an X server: the core screen-saver
// settings with the MIT-SCREEN-SAVER extension's notices, and DPMS. A server
// without DPMS (Xvfb, for one) has no display power settings, so none is active.
#include <optional>

#include "manager/dispatch/DispatchPorts.h"
#include "manager/dispatch/X11Connection.h"

namespace lumi::manager {

class X11ScreenPower : public ScreenPowerPort {
 public:
  explicit X11ScreenPower(X11Connection& x);
  // Gives back what the manager switched off.
  ~X11ScreenPower() override;

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
  // Sets the standby and suspend timeouts to 0, keeping the off timeout: X
  // has two low-power stages where Windows has one setting, and one key
  // switches both, as one key does there.
  bool disableDisplayLowPower() override;

  // The screen-saver timeout and the display power timeouts as they were
  // before the manager first changed them; done at exit. Nothing when the
  // manager changed nothing.
  void restore();

 private:
  struct Timeouts {
    std::uint16_t standby = 0, suspend = 0, off = 0;
  };
  struct SaverSettings {
    std::int16_t timeout = 0, interval = 0;
    std::uint8_t preferBlanking = 0, allowExposures = 0;
  };
  void event(const xcb_generic_event_t* event);
  bool setTimeouts(Timeouts timeouts);
  std::optional<Timeouts> currentTimeouts();

  X11Connection& x_;
  int saverEventBase_ = -1;
  bool dpms_ = false;
  std::function<void()> starting_;
  std::optional<SaverSettings> savedSaver_;
  std::optional<Timeouts> savedTimeouts_;
};

}  // namespace lumi::manager
