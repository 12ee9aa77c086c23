#pragma once
// What the caption bar shows, apart from any window: the caption now shown
// and the last one worth showing again, whether captions are on, the caption's
// vertical place, and timer 126, which takes a caption away five seconds after
// it came unless the next caption event came first.
//
// The window paints `currentText` on shown() (overlay method) or hands it to
// the caption filter's SetText (mixing method), and hands positionChanged()
// to SetPosition.
#include <QObject>
#include <QString>
#include <QTimer>

namespace lumi::player {

class CaptionBarState : public QObject {
  Q_OBJECT

 public:
  static constexpr int kHideTimerId = 126;
  static constexpr int kHideTimerMs = 1000;
  // The caption goes on the tick on which the count was already this.
  static constexpr int kHideOnTick = 4;

  // `tickMs`: the period of timer 126 (tests shorten it).
  explicit CaptionBarState(QObject* parent = nullptr, int tickMs = kHideTimerMs);

  // A caption event with its text as the caption file holds it. With captions
  // on and a text left after cleaning, it becomes `currentText` (and
  // `lastText` when visible), and timer 126 is toggled: started when it was
  // not armed, stopped when it was.
  void captionEvent(const QString& rawText);
  // After a sync, position or size change: the last visible caption again,
  // for five seconds.
  void reshow();
  // The caption goes (stop, close, captions switched off in the mixing method).
  void clear();
  // One tick of timer 126 (the timer calls it; so can the window's own timer).
  void hideTick();

  bool captionsOn() const { return captionsOn_; }
  void setCaptionsOn(bool on) { captionsOn_ = on; }

  // 0 top ... 100 bottom, clamped.
  int positionPercent() const { return positionPercent_; }
  void setPositionPercent(int percent);
  // Ctrl+Up / Ctrl+Down: 2 up or down, then the last caption again.
  void moveUp();
  void moveDown();

  const QString& currentText() const { return currentText_; }
  const QString& lastText() const { return lastText_; }
  bool hideTimerArmed() const { return hideTimerArmed_; }
  int hideTicks() const { return hideTicks_; }

 signals:
  // The bar repaints: `currentText` is what it shows (empty = nothing).
  void shown(const QString& currentText);
  void positionChanged(int percent);

 private:
  void startHideTimer();
  void stopHideTimer();

  QString currentText_;
  QString lastText_;
  bool captionsOn_ = true;
  int positionPercent_ = 100;
  bool hideTimerArmed_ = false;
  int hideTicks_ = 0;
  QTimer hideTimer_;
};

}  // namespace lumi::player
