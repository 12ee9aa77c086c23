#include "manager/dispatch/ModeWindow.h"

#include <xcb/xcb.h>

#include <QCloseEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <cstdlib>
#include <cstring>

#include "common/suite/SuiteMessages.h"
#include "common/suite/SuiteWindow.h"
#include "manager/core/TimerBank.h"

namespace lumi::manager {
namespace {

// The notice has no title, so that the key target line keeps the name of the
// program the keys are for while the notice borrows the focus. Qt never
// leaves a window untitled (it falls back to the application's name), so the
// X properties are emptied once the native window exists.
void clearTitle(QWidget* window) {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (!x11 || !x11->connection()) return;
  xcb_connection_t* c = x11->connection();
  auto intern = [c](const char* name) {
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t atom = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(r);
    return atom;
  };
  const auto w = static_cast<xcb_window_t>(window->winId());
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, nullptr);
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, intern("_NET_WM_NAME"), intern("UTF8_STRING"), 8, 0, nullptr);
  xcb_flush(c);
}

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
  clearTitle(this);
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
