#pragma once
// The notice of a new input mode: the mode's text, white in a 30-pixel bold
// font on blue, centred on the screen. It closes after 1 second (timer 10) or
// at the next WM_REMOTE_KEY, answers the identity query (so that next key
// reaches it as a key code) and gives the window that was in front back
// its place when it goes.
#include <QPointer>
#include <QWidget>
#include <memory>

#include "manager/core/KeyMaps.h"
#include "platform/desktop/Desktop.h"

namespace lumi::suite {
class SuiteWindow;
}

namespace lumi::manager {

class TimerBank;

// The notice without its window.
class ModeNotice {
 public:
  static constexpr int kCloseTimer = 10;
  static constexpr int kCloseMs = 1000;
  static constexpr int kFontPixels = 30;
  // 0xE28C58 as a Windows colour value, which is blue-green-red.
  static constexpr QRgb kBackground = 0xff588ce2;

  explicit ModeNotice(InputMode mode) : mode_(mode) {}
  QString text() const { return modeText(mode_); }
  // True for a message that closes the notice.
  static bool closesOn(const desktop::WindowMessage& message);
  // Centred on `screen`, with room around the text.
  static QRect placement(QSize textSize, QRect screen);

 private:
  InputMode mode_;
};

class ModeWindow : public QWidget {
  Q_OBJECT

 public:
  // `previous` is the window that was in front, given back the focus on close.
  ModeWindow(InputMode mode, desktop::WindowId previous, desktop::Desktop& desktop);
  ~ModeWindow() override;

  desktop::WindowId id() const { return id_; }
  desktop::WindowId previous() const { return previous_; }
  QString text() const { return notice_.text(); }
  // Shows the window in front, modal, and starts its timer.
  void open();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  ModeNotice notice_;
  desktop::WindowId previous_;
  desktop::Desktop& desktop_;
  TimerBank* timers_;
  std::unique_ptr<suite::SuiteWindow> suite_;
  desktop::WindowId id_ = 0;
};

}  // namespace lumi::manager
