#pragma once
// The rounded push button of the player's and the manager's ordinary
// dialogs: a push button in every respect, painted by PaintXPButton() with a
// warm frame and a light gradient while the mouse is over it, and a cool
// frame while it has the keyboard focus.
#include <QImage>
#include <QPushButton>

namespace lumi::skin {

class CXPButton : public QPushButton {
  Q_OBJECT

 public:
  explicit CXPButton(QWidget* parent = nullptr);
  explicit CXPButton(const QString& text, QWidget* parent = nullptr);

  bool IsHovered() const { return hovered_; }
  QImage Render() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  bool hovered_ = false;
};

}  // namespace lumi::skin
