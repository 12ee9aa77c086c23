#pragma once
// Keeps the machine from sleeping while the player runs: a logind "sleep"
// and "idle" inhibitor lock in block mode, held as long as this object
// lives. Without logind (or without the system bus) nothing happens.
#include <QDBusUnixFileDescriptor>

namespace lumi::player {

class SleepInhibitor {
 public:
  SleepInhibitor();
  bool held() const { return lock_.isValid(); }

 private:
  QDBusUnixFileDescriptor lock_;
};

}  // namespace lumi::player
