#pragma once
// The volume of the shell's music: the remote's volume and mute keys, and
// the magnitude kept in the DWORD "Volume" under the shell's root key (1000,
// that is -10 dB, when there is none) so that it survives restarts.
//
// Steps are 200 (2 dB). -4000 is the lowest step and is silent: the control
// is muted there. The mute key's own flag lives only while the shell runs.
#include "platform/media/AudioLevel.h"
#include "shell/frame/FrameKeys.h"

#include <QString>
#include <QtGlobal>

namespace lumi::shell {

class ShellVolume {
 public:
  static constexpr int kStep = 200;
  static constexpr int kSilentStep = -4000;
  static constexpr quint32 kDefaultVolume = 1000;

  explicit ShellVolume(media::AudioLevel& control, QString rootKey = kFrameRootKey);

  // Once at start: reads "Volume" (writing the default when the key or value
  // is missing) and gives the control minus that.
  void LoadVolume();
  void VolumeUp();
  void VolumeDown();
  void ToggleMute();

  // The mute key's flag (not the control's Mute, which the silent step and
  // other pages also set).
  bool muteFlag() const { return muteFlag_; }
  // The magnitude last read or stored.
  quint32 storedVolume() const { return stored_; }

 private:
  void releaseMuteKey();
  void store();

  media::AudioLevel& control_;
  QString rootKey_;
  quint32 stored_ = kDefaultVolume;
  bool muteFlag_ = false;
};

}  // namespace lumi::shell
