#pragma once
// A menu screen of the shell: a column of skinned buttons with one
// highlighted, driven by key codes, the keyboard and the mouse, over a
// background with the screen's title in the top right corner.
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

#include "common/skin/FontSet.h"
#include "common/skin/SkinButton.h"
#include "common/skin/SkinSettings.h"
#include "shell/base/CShellDialog.h"
#include "shell/base/MenuNavigation.h"

namespace lumi::shell {

class CMenuScreen : public CShellDialog {
  Q_OBJECT

 public:
  struct ButtonSpec {
    int stringId;
    QRect rect;
    bool shortButton;  // the exit / "위 로" look (159 x 46) instead of the wide one
  };
  static constexpr int kFirstControlId = 1304;

  CMenuScreen(CShellDialog* parent, ShellContext& context, const QList<ButtonSpec>& buttons);

  int focusIndex() const { return navigation_.focus(); }
  skin::CSkinButton* button(int index) const { return buttons_.value(index); }
  const QImage& background() const { return background_; }
  // The screen as it paints (tests and screenshots).
  QImage Render();

 protected:
  // The action of the button at `index` (its control id is 1304 + index).
  virtual void OnButton(int index) = 0;
  // What the screen draws over its background: title, pictures, texts.
  virtual void PaintContent(QPainter& painter) = 0;
  void OnShellKey(int code) override;
  void SetFocusIndex(int index);
  // Title right-aligned in (0, 20)-(750, 80) with the drop shadow.
  void PaintTitle(QPainter& painter, const QString& title, const QFont& font);
  QColor TextColour() const;
  QColor ShadowColour() const;

  skin::SkinSettings skin_;
  skin::FontSet fonts_;

  void paintEvent(QPaintEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  void press(int index);

  QList<skin::CSkinButton*> buttons_;
  MenuNavigation navigation_;
  QImage background_;
};

}  // namespace lumi::shell
