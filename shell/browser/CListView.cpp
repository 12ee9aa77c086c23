#include "shell/browser/CListView.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>

#include "common/resources/BitmapIds.h"
#include "common/resources/BitmapSource.h"
#include "common/skin/SkinPainter.h"

namespace lumi::shell {

namespace {
constexpr int kScrollStartMs = 500;
constexpr int kScrollTickMs = 35;
constexpr int kActivationMs = 100;
constexpr int kTextMargin = 12;
constexpr int kIconSize = 36;
constexpr int kScrollGap = 50;
}  // namespace

skin::SkinSettings CurrentSkin() {
  skin::SkinSettings skin;
  skin.Load();
  return skin;
}

CListView::CListView(int controlId, QWidget* parent)
    : QWidget(parent), id_(controlId), skin_(CurrentSkin()), fonts_(skin_) {
  setMouseTracking(true);
  scrollStart_.setSingleShot(true);
  scrollStart_.setInterval(kScrollStartMs);
  scrollTick_.setInterval(kScrollTickMs);
  activation_.setSingleShot(true);
  activation_.setInterval(kActivationMs);
  connect(&scrollStart_, &QTimer::timeout, this, [this] {
    scrolling_ = true;
    scrollOffset_ = 0;
    scrollTick_.start();
  });
  connect(&scrollTick_, &QTimer::timeout, this, &CListView::tick);
  connect(&activation_, &QTimer::timeout, this, &CListView::activatePressed);
}

void CListView::BuildRows(int rows, bool dim) {
  model_.SetRowsPerPage(rows);
  dim_ = dim;
  update();
}

void CListView::SetRowGeometry(QRect firstRow, int pitch) {
  firstRow_ = firstRow;
  pitch_ = pitch;
  update();
}

void CListView::SetItems(const QStringList& items) {
  model_.SetItems(items);
  pressedRow_ = -1;
  focusChangedInternally();
}

void CListView::SetRowIcon(const QImage& icon, const QImage& mask) {
  icon_ = icon;
  mask_ = mask;
  update();
}

void CListView::SetPageBackground(const QImage& page) {
  page_ = page;
  update();
}

bool CListView::FocusItem(int index) {
  if (!model_.FocusItem(index)) return false;
  focusChangedInternally();
  return true;
}

bool CListView::Move(int key) {
  if (!model_.Move(key)) return false;
  focusChangedInternally();
  return true;
}

void CListView::ActivateFocused() {
  if (model_.rowItem(model_.focusedRow()) < 0) return;
  pressedRow_ = model_.focusedRow();
  update();
  activation_.start();
}

void CListView::FinishActivation() {
  if (!activation_.isActive()) return;
  activation_.stop();
  activatePressed();
}

void CListView::activatePressed() {
  const int item = model_.rowItem(pressedRow_);
  pressedRow_ = -1;
  update();
  if (item >= 0) emit activated(id_, item);
}

void CListView::SetHasFocus(bool on) {
  hasFocus_ = on;
  restartScroll();
  update();
}

void CListView::focusChangedInternally() {
  restartScroll();
  update();
  if (model_.count() > 0) emit focusChanged(id_, model_.focusedItem());
}

// The focused row's text scrolls only when it is wider than its room; it
// starts half a second after the row got the focus.
void CListView::restartScroll() {
  scrollStart_.stop();
  scrollTick_.stop();
  scrolling_ = false;
  scrollOffset_ = 0;
  const int row = model_.focusedRow();
  if (!hasFocus_ || model_.rowItem(row) < 0) return;
  const QFontMetrics metrics(fonts_.List());
  stripWidth_ = metrics.horizontalAdvance(model_.rowText(row));
  if (stripWidth_ > textRect(row).width()) scrollStart_.start();
}

void CListView::tick() {
  // In front: the active window, or no window of the program has the focus
  // (a display without a window manager gives none).
  const bool inFront = window()->isActiveWindow() || !QGuiApplication::focusWindow();
  if (!hasFocus_ || !inFront) {
    restartScroll();
    update();
    return;
  }
  --scrollOffset_;
  if (scrollOffset_ < -(stripWidth_ + kScrollGap)) scrollOffset_ += stripWidth_ + kScrollGap;
  update(rowRect(model_.focusedRow()));
}

QRect CListView::rowRect(int row) const { return firstRow_.translated(0, row * pitch_); }

QRect CListView::textRect(int row) const {
  QRect r = rowRect(row).adjusted(kTextMargin, 0, -kTextMargin, 0);
  if (!icon_.isNull()) r.setLeft(r.left() + kIconSize + 8);
  return r;
}

int CListView::rowAt(QPoint p) const {
  for (int row = 0; row < model_.rowsPerPage(); ++row) {
    if (model_.rowItem(row) >= 0 && rowRect(row).contains(p)) return row;
  }
  return -1;
}

void CListView::PaintRows(QPainter& painter, const QImage& background) {
  const bool user = skin_.IsUserDesign();
  const skin::BoxStyle style = skin::BoxStyle::Current();
  const resources::BitmapSource* source = resources::currentBitmapSource();
  for (int row = 0; row < model_.rowsPerPage(); ++row) {
    if (model_.rowItem(row) < 0) continue;
    const QRect r = rowRect(row);
    const bool focused = hasFocus_ && row == model_.focusedRow();
    const int state = row == pressedRow_ ? 2 : focused ? 1 : 0;
    QImage image(r.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
      QPainter p(&image);
      if (!background.isNull()) p.drawImage(QPoint(0, 0), background, r.translated(pos()));
    }
    if (user || !source) {
      skin::PaintHighlightBox(image, image.rect(), state ? skin::HighlightLook::Focused : skin::HighlightLook::Normal,
                              style, 100);
    } else {
      const int id = state == 2 ? resources::kListRowPressed : state == 1 ? resources::kListRowFocused
                                                                          : resources::kListRowNormal;
      QImage bitmap = source->bitmap(id);
      QImage rowImage = image;
      QPainter p(&rowImage);
      if (!bitmap.isNull()) p.drawImage(rowImage.rect(), bitmap);
      p.end();
      if (dim_ && state == 0) {
        // Unfocused rows lie half-seen over the page.
        QPainter blend(&image);
        blend.setOpacity(200 / 255.0);
        blend.drawImage(0, 0, rowImage);
      } else {
        image = rowImage;
      }
    }
    if (!icon_.isNull()) {
      QImage icon = icon_.scaled(kIconSize, kIconSize);
      QImage mask = mask_.isNull() ? QImage() : mask_.scaled(kIconSize, kIconSize);
      skin::DrawMaskedIcon(image, QPoint(kTextMargin, (r.height() - kIconSize) / 2), icon, mask);
    }
    QPainter p(&image);
    p.setFont(fonts_.List());
    const QRect text = textRect(row).translated(-r.topLeft());
    const QColor colour = user ? skin::ToQColor(skin_.FontColor()) : QColor(Qt::white);
    const QColor shadow = skin::ShadowToneAt(image, QPoint(5, 22));
    const int shift = state == 2 ? 2 : 1;
    const QString label = model_.rowText(row);
    if (focused && scrolling_) {
      p.setClipRect(text);
      for (int copy = 0; copy < 2; ++copy) {
        const int x = text.left() + scrollOffset_ + copy * (stripWidth_ + kScrollGap);
        const QRect strip(x, text.top(), stripWidth_ + 2, text.height());
        skin::DrawShadowedText(p, strip.translated(shift - 1, shift - 1), Qt::AlignLeft | Qt::AlignVCenter, label,
                               colour, shadow);
      }
    } else {
      const QString shown = QFontMetrics(fonts_.List()).elidedText(label, Qt::ElideRight, text.width());
      skin::DrawShadowedText(p, text.translated(shift - 1, shift - 1), Qt::AlignLeft | Qt::AlignVCenter, shown,
                             colour, shadow);
    }
    p.end();
    painter.drawImage(r.topLeft(), image);
  }
}

void CListView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintRows(painter, page_);
}

void CListView::mouseMoveEvent(QMouseEvent* e) {
  const int row = rowAt(e->position().toPoint());
  if (row < 0 || (row == model_.focusedRow() && hasFocus_)) return;
  model_.FocusRow(row);
  hasFocus_ = true;
  focusChangedInternally();
  emit hovered(id_, model_.focusedItem());
}

void CListView::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  pressedRow_ = rowAt(e->position().toPoint());
  update();
}

void CListView::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  const int row = rowAt(e->position().toPoint());
  const bool same = row >= 0 && row == pressedRow_;
  pressedRow_ = -1;
  update();
  if (same) {
    model_.FocusRow(row);
    emit activated(id_, model_.rowItem(row));
  }
}

void CListView::mouseDoubleClickEvent(QMouseEvent* e) {
  const int row = rowAt(e->position().toPoint());
  if (row < 0) return;
  model_.FocusRow(row);
  ActivateFocused();
}

}  // namespace lumi::shell
