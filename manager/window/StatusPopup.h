#pragma once
// The status popup of the connection procedure: a small borderless window at
// the bottom-right corner of the work area, a bar that draws the status text
// over itself (30-pixel bold "Gulim", white on blue) and one button, "중지"
// (250) or "확인" (251). Sized to its text and grown leftwards and upwards
// from its corner; it can be dragged anywhere, and a double click sends it
// back to the corner.
#include <QPoint>
#include <QRect>
#include <QWidget>
#include <optional>

#include "common/skin/XPButton.h"
#include "manager/core/ConnectionProcedure.h"
#include "platform/text/StringTable.h"

namespace lumi::manager {

struct StatusPopupLayout {
  static constexpr int kBarMargin = 15;
  static constexpr int kButtonWidth = 55;
  static constexpr int kHeightMargin = 10;

  QRect window;  // in screen coordinates
  QRect bar;     // in the window
  QRect button;  // in the window

  // `corner`: the bottom-right point the popup grows from (the work area's
  // corner until the user drags it elsewhere).
  static StatusPopupLayout place(QSize text, QRect workArea, QPoint corner);
};

class StatusPopup : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kFontPixels = 30;
  // 0xE28C58 as a Windows colour value, which is blue-green-red.
  static constexpr QRgb kBackground = 0xff588ce2;
  static constexpr int kConfirmHideMs = 3000;

  explicit StatusPopup(const text::StringTable& strings, QWidget* parent = nullptr);
  void show(const ConnectionHost::Popup& popup);
  ConnectionHost::Popup current() const { return popup_; }
  // The text drawn on the bar: the status text, with the percentage when shown.
  QString barText() const;
  skin::CXPButton* button() const { return button_; }

 signals:
  void stopClicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  QRect workArea() const;
  void place();

  const text::StringTable& strings_;
  ConnectionHost::Popup popup_;
  skin::CXPButton* button_ = nullptr;
  int generation_ = 0;
  std::optional<QPoint> dragged_;  // the corner the user dragged it to
  QPoint grab_;
  QRect bar_;
};

}  // namespace lumi::manager
