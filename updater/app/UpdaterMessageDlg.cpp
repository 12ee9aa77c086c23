#include "updater/app/UpdaterMessageDlg.h"

#include "common/dialog/MessageDialogPainter.h"
#include "common/resources/BitmapIds.h"
#include "common/resources/BitmapSource.h"
#include "platform/text/StringTable.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>

#include <vector>

namespace lumi::updater {

namespace {
std::vector<QPointer<UpdaterMessageDlg>> openDialogs;

QFont lineFont() {
  const dialog::FixedFont& f = dialog::UpdaterForm().fixedFonts[size_t(dialog::UpdaterForm().lineFont)];
  QFont font(QString::fromUtf8(f.face));
  font.setPixelSize(f.pixelHeight);
  font.setWeight(QFont::Weight(f.weight / 1));
  return font;
}
QFont captionFont() {
  const dialog::FixedFont& f = dialog::UpdaterForm().fixedFonts[size_t(dialog::UpdaterForm().captionFont)];
  QFont font(QString::fromUtf8(f.face));
  font.setPixelSize(f.pixelHeight);
  font.setWeight(QFont::Weight(f.weight / 1));
  return font;
}
}  // namespace

UpdaterMessageDlg::UpdaterMessageDlg(int buttonMode, const QString& message, const QString& title, int selfCloseMs,
                                     QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      model_(dialog::UpdaterForm(), buttonMode, [](int id) { return text::str(id); }) {
  setWindowTitle(QStringLiteral("MessageDlg"));
  setFixedSize(dialog::kMessageDialogSize);
  setMask(dialog::MessageDialogRegion());
  if (!title.isEmpty()) model_.SetLine(title, 1);
  if (title.isEmpty())
    model_.SetMessage(message);
  else
    model_.SetLine(message, 3);
  const QFontMetrics metrics(lineFont());
  model_.MeasureLines([&](const QString& text) { return metrics.horizontalAdvance(text); });
  if (const resources::BitmapSource* source = resources::currentBitmapSource()) {
    background_ = source->bitmap(resources::kMessageBackground);
    buttonNormal_ = source->bitmap(dialog::UpdaterForm().bitmaps.normal);
    buttonFocused_ = source->bitmap(dialog::UpdaterForm().bitmaps.focused);
  }
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QSize display = screen ? screen->size() : QSize(800, 600);
  move(dialog::DialogPosition(dialog::UpdaterForm(), QRect(QPoint(), display), display));
  if (selfCloseMs > 0) {
    selfClose_.setSingleShot(true);
    selfClose_.setInterval(selfCloseMs);
    connect(&selfClose_, &QTimer::timeout, this, [this] { done(dialog::kResultFirst); });
    selfClose_.start();
  }
}

void UpdaterMessageDlg::remoteKey(int code) { apply(model_.OnKey(code)); }

void UpdaterMessageDlg::keyPressEvent(QKeyEvent* event) {
  const dialog::KeyOutcome outcome = model_.OnKeyboard(event->key());
  if (outcome.kind == dialog::KeyOutcome::Pass) return QDialog::keyPressEvent(event);
  apply(outcome);
}

void UpdaterMessageDlg::apply(const dialog::KeyOutcome& outcome) {
  switch (outcome.kind) {
    case dialog::KeyOutcome::Focus:
      update();
      break;
    case dialog::KeyOutcome::Press:
      done(model_.Buttons().at(size_t(outcome.button)).result);
      break;
    case dialog::KeyOutcome::Cancel:
    case dialog::KeyOutcome::Power:
      done(dialog::kResultCancel);
      break;
    default:
      break;
  }
}

void UpdaterMessageDlg::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, dialog::PaintMessageDialog(model_, background_, lineFont()));
  painter.setFont(captionFont());
  for (int i = 0; i < model_.ButtonCount(); ++i) {
    const dialog::DialogButton& button = model_.Buttons().at(size_t(i));
    const QImage& picture = i == model_.Focus() ? buttonFocused_ : buttonNormal_;
    if (!picture.isNull()) {
      painter.drawImage(button.rect, picture);
    } else {
      painter.fillRect(button.rect, i == model_.Focus() ? QColor(70, 110, 200) : QColor(40, 40, 60));
    }
    painter.setPen(Qt::white);
    painter.drawText(button.rect, Qt::AlignCenter, button.caption);
  }
}

int RunMessageDialog(UpdaterMessageDlg& dialog) {
  openDialogs.push_back(&dialog);
  const int result = dialog.exec();
  std::erase_if(openDialogs, [&](const QPointer<UpdaterMessageDlg>& d) { return !d || d == &dialog; });
  return result;
}

UpdaterMessageDlg* CurrentMessageDialog() {
  for (auto it = openDialogs.rbegin(); it != openDialogs.rend(); ++it)
    if (*it) return *it;
  return nullptr;
}

}  // namespace lumi::updater
