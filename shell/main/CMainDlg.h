#pragma once
// The shell's main window "LUMICASTER": the top menu, the background music,
// the volume, the other programs' messages and the way out.
#include <functional>
#include <memory>

#include "shell/main/BackgroundMusic.h"
#include "shell/main/CMenuScreen.h"

namespace lumi::media {
class MusicPlayerControl;
}

namespace lumi::shell {

class ShellVolume;

class CMainDlg : public CMenuScreen {
  Q_OBJECT

 public:
  // What the main window needs from the program around it.
  struct Services {
    media::MusicPlayerControl* music = nullptr;
    std::function<void()> openProductSite;
    std::function<void()> openSettings;   // the background-settings chooser
    std::function<void()> openExitDialog;
    std::function<void()> openRecentList;
    std::function<bool()> confirmStopMusic;
  };

  CMainDlg(ShellContext& context, Services services);
  ~CMainDlg() override;

  BackgroundMusic& backgroundMusic() { return *music_; }
  ShellVolume& volume() { return *volume_; }
  // The keys every shell window hands to the main window: background music,
  // volume and mute. True when the code was one of them.
  bool FrameKey(int code);
  // Ends the shell: the display settings found at start come back first.
  void Exit();

  static constexpr int kCommandPowerKey = 32771;
  static constexpr int kCommandExit = 32772;

 protected:
  void OnButton(int index) override;
  void PaintContent(QPainter& painter) override;
  std::optional<std::int64_t> OnMessage(const desktop::WindowMessage& m) override;

 private:
  Services services_;
  std::unique_ptr<BackgroundMusic> music_;
  std::unique_ptr<ShellVolume> volume_;
  QImage logo_;
};

}  // namespace lumi::shell
