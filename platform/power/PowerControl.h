#pragma once
// Switching the machine off. The real one asks logind; tests use the
// recording one, so no test can ever reach the real machine's power.
namespace lumi::power {

class PowerControl {
 public:
  virtual ~PowerControl() = default;
  // Asks the system to power off now. True when the request was accepted; the
  // machine then goes down whatever the programs still running think of it.
  virtual bool powerOff() = 0;
};

class RecordingPowerControl : public PowerControl {
 public:
  explicit RecordingPowerControl(bool accept = true) : accept_(accept) {}
  bool powerOff() override {
    ++requests_;
    return accept_;
  }
  int requests() const { return requests_; }
  void setAccept(bool accept) { accept_ = accept; }

 private:
  bool accept_;
  int requests_ = 0;
};

}  // namespace lumi::power
