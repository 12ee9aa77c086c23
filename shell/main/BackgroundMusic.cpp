#include "shell/main/BackgroundMusic.h"

#include "common/suite/SuiteMessages.h"

namespace lumi::shell {

using namespace suite;

BackgroundMusic::BackgroundMusic(media::MusicPlayerControl& control, QObject* parent)
    : QObject(parent), control_(control) {}

void BackgroundMusic::SetPlaylist(const QStringList& files, int current) {
  playlist_ = files;
  current_ = current;
}

void BackgroundMusic::setPlaying(bool on) {
  if (playing_ == on) return;
  playing_ = on;
  emit playingChanged(on);
}

void BackgroundMusic::openCurrent() {
  if (!valid()) return;
  control_.Open(playlist_[current_]);
  setPlaying(true);
}

bool BackgroundMusic::OnKey(int code, const std::function<bool()>& confirmStop) {
  switch (code) {
    case KeyRewind: {
      const double position = control_.CurrentPosition();
      control_.setCurrentPosition(position > 10 ? position - 10 : 0);
      return true;
    }
    case KeyFastForward:
      control_.setCurrentPosition(control_.CurrentPosition() + 10);
      return true;
    case KeyPlay:
      if (!valid()) return true;
      if (paused_) {
        paused_ = false;
        if (control_.FileName() != playlist_[current_]) control_.Open(playlist_[current_]);
        else control_.Play();
        setPlaying(true);
      } else if (!playing_) {
        openCurrent();
      }
      return true;
    case KeyPause:
      if (!paused_) {
        if (playing_) {
          paused_ = true;
          control_.Pause();
        }
        return true;
      }
      return OnKey(KeyPlay, confirmStop);
    case KeyStop:
      stoppedByUser_ = true;
      paused_ = false;
      setPlaying(false);
      control_.Stop();
      return true;
    case KeyChannelUp:
      if (!playlist_.isEmpty() && current_ > 0) {
        --current_;
        if (playing_ && !paused_) openCurrent();
      }
      return true;
    case KeyChannelDown:
      if (!playlist_.isEmpty()) {
        current_ = current_ + 1 < playlist_.size() ? current_ + 1 : 0;
        if (playing_ && !paused_) openCurrent();
      }
      return true;
    case KeyColourC:
      if (playing_ && (!confirmStop || confirmStop())) {
        control_.Open(QString());
        paused_ = false;
        setPlaying(false);
      }
      return true;
    default:
      return false;
  }
}

}  // namespace lumi::shell
