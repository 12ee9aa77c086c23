#pragma once
// The shell's skinned push button and its toggle variant. The picture comes
// from PaintSkinButton() and the behaviour from SkinButtonLogic; this class
// only joins them to a widget, its timers and its parent.
//
// Messages to the parent are queued signals, as the posted messages they
// stand for: hovered(id) for WM_BUTTON_HOVER, command(id) for WM_COMMAND. Keys
// pressed while the button has the focus are left to the parent, so the
// window's own key handling applies.
#include <QFont>
#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "common/skin/SkinButtonLogic.h"
#include "common/skin/SkinPainter.h"

namespace lumi::resources {
class BitmapSource;
}

namespace lumi::skin {

class CSkinButton : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kHoverTimerId = 0;     // polls the cursor while hovered
  static constexpr int kHoverPeriodMs = 10;
  static constexpr int kPressTimerId = 222;   // ends a Press without wait
  static constexpr int kPressDelayMs = 100;

  explicit CSkinButton(QWidget* parent = nullptr, int controlId = 0);

  int ControlId() const { return controlId_; }
  void SetControlId(int id) { controlId_ = id; }

  // Bitmaps by id from `source` (the current bitmap source when null), 0 for
  // none. A missing id leaves that state without a bitmap. Without
  // `keepSize` the button takes the size of the normal bitmap. True when
  // every id asked for was found.
  bool SetBitmaps(int normalId, int focusedId, int pressedId = 0, int backgroundId = 0, bool keepSize = false,
                  const resources::BitmapSource* source = nullptr);
  void SetBitmapImages(const QImage& normal, const QImage& focused, const QImage& pressed = {},
                       const QImage& background = {}, bool keepSize = false);
  void SetFont(const QFont& font);
  void SetLayout(int layout);
  void SetCaption(const QString& caption);
  void SetIcon(const QImage& icon, const QImage& mask = {});
  void SetOffsetWhenPressed(bool on);
  // Redraws at once.
  void SetState(int state);
  // The remote's OK key: pressed now, `nextState` after 100 ms (a pause when
  // `wait`, else timer 222); posts the command either way.
  void Press(int nextState, bool wait);
  // Re-reads the skin: transparent (the user design's translucent box over
  // the window's background picture) when "Change" is 1. Answers the flag.
  bool SetTransparent();
  void SetTransparentFrom(const SkinSettings& skin);
  void EnableMouse(bool on);

  // The window's background picture, for the user design's box and for
  // bitmaps with transparent corners; the button's geometry in its parent
  // says which part lies under it.
  void SetBackgroundProvider(std::function<QImage()> provider);

  int State() const { return logic_.state(); }
  QString Caption() const { return caption_; }
  const QFont& Font() const { return font_; }
  bool IsTransparent() const { return transparent_; }
  bool IsMouseEnabled() const { return logic_.mouseEnabled(); }

  // The composed picture as the next paint shows it.
  QImage Render() const;

 signals:
  void hovered(int controlId);
  void command(int controlId);

 protected:
  // A mouse click finished: posts the command.
  virtual void OnClicked();
  void SwapNormalAndFocused();
  void Apply(const ButtonEffects& effects);

  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void postCommand();
  void hoverTick();

  int controlId_ = 0;
  SkinButtonLogic logic_;
  QImage normal_, focused_, pressed_, background_;
  QImage icon_, iconMask_;
  int layout_ = 0;
  bool hasCaption_ = false;
  QString caption_;
  QFont font_;
  bool offsetWhenPressed_ = true;
  bool transparent_ = false;
  BoxStyle box_;  // from the skin in the user design, else the built-in colours
  QColor skinTextColour_ = Qt::white;
  std::function<QImage()> backgroundProvider_;
  QTimer hoverTimer_;
  QTimer pressTimer_;
};

// With its toggle behaviour on, a click flips the toggle state, plays
// Press(focused, wait) and swaps the normal and focused bitmaps, so that the
// button shows its state. Off, it is a plain CSkinButton. While locked,
// clicks are ignored.
class CSkinToggleButton : public CSkinButton {
  Q_OBJECT

 public:
  using CSkinButton::CSkinButton;

  void SetToggle(bool on) { toggle_ = on; }
  bool Toggle() const { return toggle_; }
  void SetToggled(bool toggled) { toggled_ = toggled; }
  bool IsToggled() const { return toggled_; }
  void SetLock(bool locked) { locked_ = locked; }
  bool IsLocked() const { return locked_; }

 protected:
  void OnClicked() override;

 private:
  bool toggle_ = false;
  bool toggled_ = false;
  bool locked_ = false;
};

}  // namespace lumi::skin
