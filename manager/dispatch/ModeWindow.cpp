#include "manager/dispatch/ModeWindow.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "common/suite/SuiteMessages.h"
#include "common/suite/SuiteWindow.h"
#include "manager/core/TimerBank.h"

namespace lumi::manager {
namespace {

QFont noticeFont() {
  QFont font;
  font.setPixelSize(ModeNotice::kFontPixels);
  font.setBold(true);
  return font;
}

}  // namespace

bool ModeNotice::closesOn(const desktop::WindowMessage& message) { return message.message == suite::WM_REMOTE_KEY; }

QRect ModeNotice::placement(QSize textSize, QRect screen) {
  const QSize size(textSize.width() + 80, textSize.height() + 50);
  QRect rect(QPoint(0, 0), size);
  rect.moveCenter(screen.center());
  return rect;
}

ModeWindow::ModeWindow(InputMode mode, desktop::WindowId previous, desktop::Desktop& desktop)
    : QWidget(nullptr, Qt::Dialog | Qt::FramelessWindowHint),
      notice_(mode),
      previous_(previous),
      desktop_(desktop),
      timers_(new TimerBank(this)) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowModality(Qt::ApplicationModal);
  QScreen* screen = QGuiApplication::primaryScreen();
  const QSize textSize = QFontMetrics(noticeFont()).size(Qt::TextSingleLine, notice_.text());
  setGeometry(ModeNotice::placement(textSize, screen ? screen->geometry() : QRect(0, 0, 800, 600)));
  connect(timers_, &TimerBank::timeout, this, [this](int id) {
    if (id == ModeNotice::kCloseTimer) close();
  });
  suite_ = std::make_unique<suite::SuiteWindow>(
      this,
      [this](const desktop::WindowMessage& m) -> std::optional<std::int64_t> {
        if (!ModeNotice::closesOn(m)) return std::nullopt;
        close();
        return 0;
      },
      suite::SuiteWindow::Ping::Answer, desktop_);
  id_ = suite_->id();
}

ModeWindow::~ModeWindow() = default;

void ModeWindow::open() {
  show();
  desktop_.bringToFront(id_);
  timers_->start(ModeNotice::kCloseTimer, ModeNotice::kCloseMs);
}

void ModeWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor::fromRgb(ModeNotice::kBackground));
  painter.setPen(Qt::white);
  painter.setFont(noticeFont());
  painter.drawText(rect(), Qt::AlignCenter, notice_.text());
}

void ModeWindow::closeEvent(QCloseEvent* event) {
  timers_->killAll();
  // The notice borrowed the focus; the window it took it from gets it back,
  // unless the user has gone elsewhere meanwhile.
  const desktop::WindowId front = desktop_.foregroundWindow();
  hide();
  if (previous_ != 0 && (front == 0 || front == id_)) desktop_.bringToFront(previous_);
  event->accept();
}

}  // namespace lumi::manager
