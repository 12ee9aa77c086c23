#pragma once
// The list control of the media pages: a panel of rows showing one page of
// items, a focused row, icons, the dim look of unfocused rows, the scrolling
// of a focused text too long for its row (timers 217 and 218), and the
// activation 100 ms after OK or a double click (timer 219). Focus changes and
// activations go to the page as signals carrying the list's control id.
#include <QImage>
#include <QTimer>
#include <QWidget>

#include "common/skin/FontSet.h"
#include "common/skin/SkinSettings.h"
#include "shell/browser/ListViewModel.h"

namespace lumi::shell {

// "Skin.ini" as it is now.
skin::SkinSettings CurrentSkin();

class CListView : public QWidget {
  Q_OBJECT
 public:
  CListView(int controlId, QWidget* parent);

  // Builds `rows` rows of 570 x 46 pixels, 51 apart below a 51-pixel band;
  // `dim` blends unfocused rows over the page (every browser list).
  void BuildRows(int rows, bool dim = true);
  // A row rectangle of the page's own (all rows move together).
  void SetRowGeometry(QRect firstRow, int pitch);
  void SetItems(const QStringList& items);
  void SetRowIcon(const QImage& icon, const QImage& mask);
  // The page's 800 x 600 background, which the rows lie over.
  void SetPageBackground(const QImage& page);
  bool FocusItem(int index);
  // Keys 33-36, 38, 40; false when nothing moved.
  bool Move(int key);
  // As OK: the focused row looks pressed and is activated 100 ms later.
  void ActivateFocused();
  // An activation still waiting for its 100 ms happens now: a key that
  // comes before it never overtakes it.
  void FinishActivation();
  // Whether the page shows the focus in this list.
  void SetHasFocus(bool on);
  bool hasListFocus() const { return hasFocus_; }

  int controlId() const { return id_; }
  const ListViewModel& model() const { return model_; }
  int focusedItem() const { return model_.focusedItem(); }
  int count() const { return model_.count(); }
  bool scrolling() const { return scrolling_; }

  // The rows as they paint, over `background` (tests, screenshots).
  void PaintRows(QPainter& painter, const QImage& background);

 signals:
  void hovered(int controlId, int item);
  void activated(int controlId, int item);
  void focusChanged(int controlId, int item);

 protected:
  void paintEvent(QPaintEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;

 private:
  QRect rowRect(int row) const;
  QRect textRect(int row) const;
  int rowAt(QPoint p) const;
  void focusChangedInternally();
  void activatePressed();
  void restartScroll();
  void tick();

  int id_;
  ListViewModel model_;
  skin::SkinSettings skin_;
  skin::FontSet fonts_;
  QRect firstRow_{0, 51, 570, 46};
  int pitch_ = 51;
  bool dim_ = true;
  bool hasFocus_ = false;
  int pressedRow_ = -1;
  QImage icon_, mask_;
  QImage page_;
  QTimer scrollStart_;  // 217
  QTimer scrollTick_;   // 218
  QTimer activation_;   // 219
  bool scrolling_ = false;
  int scrollOffset_ = 0;
  int stripWidth_ = 0;
};

}  // namespace lumi::shell
