#pragma once
// The main window's background music: a playlist on the music control and
// what the remote's transport keys do to it in every shell window.
#include <QObject>
#include <QStringList>
#include <functional>

#include "platform/media/MusicPlayerControl.h"

namespace lumi::shell {

class BackgroundMusic : public QObject {
  Q_OBJECT

 public:
  explicit BackgroundMusic(media::MusicPlayerControl& control, QObject* parent = nullptr);

  media::MusicPlayerControl& control() { return control_; }
  void SetPlaylist(const QStringList& files, int current = 0);
  const QStringList& playlist() const { return playlist_; }
  int current() const { return current_; }
  bool playing() const { return playing_; }
  bool paused() const { return paused_; }
  bool stoppedByUser() const { return stoppedByUser_; }

  // Codes 24-28 (rewind, play, pause, stop, fast forward), 33/34 (previous
  // and next item) and 39 (stop after asking). True when the code is one of
  // them. `confirmStop` asks "음악 재생을 멈추시겠습니까?".
  bool OnKey(int code, const std::function<bool()>& confirmStop = {});

 signals:
  // Playing started or stopped: the main window shows "♬재생중" meanwhile.
  void playingChanged(bool playing);

 private:
  bool valid() const { return current_ >= 0 && current_ < playlist_.size(); }
  void openCurrent();
  void setPlaying(bool on);

  media::MusicPlayerControl& control_;
  QStringList playlist_;
  int current_ = 0;
  bool playing_ = false;
  bool paused_ = false;
  bool stoppedByUser_ = false;
};

}  // namespace lumi::shell
