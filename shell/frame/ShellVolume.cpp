#include "shell/frame/ShellVolume.h"

#include "platform/registry/Registry.h"

#include <algorithm>

namespace lumi::shell {

using registry::Key;
using registry::Root;

namespace {
const QString kVolumeValue = QStringLiteral("Volume");
}

ShellVolume::ShellVolume(media::AudioLevel& control, QString rootKey)
    : control_(control), rootKey_(std::move(rootKey)) {}

void ShellVolume::LoadVolume() {
  Key root = Key::open(Root::CurrentUser, rootKey_);
  if (!root.isOpen()) {
    Key::create(Root::CurrentUser, rootKey_).writeDWord(kVolumeValue, stored_);
  } else if (!root.readDWord(kVolumeValue, stored_)) {
    root.writeDWord(kVolumeValue, stored_);
  }
  // A hand-edited value beyond silence plays silent instead of wrapping round.
  control_.setVolume(media::clampLevel(-static_cast<long long>(stored_)));
}

void ShellVolume::releaseMuteKey() {
  // Leaving the mute key's silence still keeps the silent step silent.
  control_.setMute(control_.Volume() == kSilentStep);
  muteFlag_ = false;
}

void ShellVolume::VolumeUp() {
  const int before = control_.Volume();
  if (muteFlag_) {
    releaseMuteKey();
  } else if (before == kSilentStep) {
    control_.setMute(false);
  }
  control_.setVolume(before < -kStep ? before + kStep : 0);
  // Releasing the mute key at the silent step mutes again (above); the step
  // up that follows must still make the music audible.
  if (before == kSilentStep) control_.setMute(false);
  store();
}

void ShellVolume::VolumeDown() {
  if (muteFlag_) releaseMuteKey();
  const int before = control_.Volume();
  // Never below the silent step, so the step that reaches it is always the
  // one that mutes, whatever odd value the registry started from.
  if (before > kSilentStep) control_.setVolume(std::max(before - kStep, kSilentStep));
  store();
  if (control_.Volume() == kSilentStep) control_.setMute(true);
}

void ShellVolume::ToggleMute() {
  if (muteFlag_) {
    releaseMuteKey();
  } else {
    control_.setMute(true);
    muteFlag_ = true;
  }
}

void ShellVolume::store() {
  stored_ = quint32(-static_cast<long long>(control_.Volume()));
  Key::create(Root::CurrentUser, rootKey_).writeDWord(kVolumeValue, stored_);
}

}  // namespace lumi::shell
