#include "manager/dispatch/TaskSwitchWindow.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

#include "common/suite/SuiteMessages.h"
#include "common/suite/SuiteWindow.h"
#include "manager/core/TimerBank.h"

namespace lumi::manager {
namespace {

QFont titleFont() {
  // "Gulim" is substituted by an installed Korean face.
  QFont font(QStringLiteral("Gulim"));
  font.setPixelSize(30);
  font.setBold(true);
  return font;
}

// A Qt key as the virtual-key code TaskSwitchList reads; 0 for the others.
quint8 virtualKeyOf(const QKeyEvent* event) {
  const int key = event->key();
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return quint8('0' + (key - Qt::Key_0));
  switch (key) {
    case Qt::Key_Up: return 0x26;
    case Qt::Key_Down: return 0x28;
    case Qt::Key_Left: return 0x25;
    case Qt::Key_Right: return 0x27;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 0x0D;
    case Qt::Key_Escape: return 0x1B;
    default: return 0;
  }
}

}  // namespace

QImage placeholderIcon(int size) {
  const QIcon themed = QIcon::fromTheme(QStringLiteral("application-x-executable"));
  if (!themed.isNull()) return themed.pixmap(size, size).toImage();
  // A plain window: frame, title bar, body.
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF frame(1.5, 3.5, size - 3.0, size - 7.0);
  p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1.5));
  p.setBrush(QColor(0xf0, 0xf0, 0xf0));
  p.drawRoundedRect(frame, 2, 2);
  p.fillRect(QRectF(frame.left() + 1, frame.top() + 1, frame.width() - 2, size / 5.0), QColor(0x2a, 0x5d, 0xb0));
  return image;
}

TaskSwitchWindow::TaskSwitchWindow(desktop::WindowId noted, std::vector<TaskEntry> entries, desktop::Desktop& desktop,
                                   std::function<void(desktop::WindowId)> makeKeyTarget)
    : QWidget(nullptr, Qt::Dialog | Qt::FramelessWindowHint),
      list_(std::move(entries)),
      noted_(noted),
      desktop_(desktop),
      makeKeyTarget_(std::move(makeKeyTarget)),
      timers_(new TimerBank(this)) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowModality(Qt::ApplicationModal);
  setWindowTitle(kTaskSwitchTitle);
  setFocusPolicy(Qt::StrongFocus);
  QRect geometry(0, 0, kWidth, list_.windowHeight());
  if (QScreen* screen = QGuiApplication::primaryScreen()) geometry.moveCenter(screen->geometry().center());
  setGeometry(geometry);
  connect(timers_, &TimerBank::timeout, this, [this](int id) {
    timers_->kill(id);
    if (const int next = scroller_.tick(id))
      timers_->start(next, next == TitleScroller::kRestTimer ? TitleScroller::kRestMs : TitleScroller::kStepMs);
    update(titleRect());
  });
  // No identity answer: keys come as keystrokes, and WM_REMOTE_KEY only from
  // a second task-switch key (or a program that means it).
  suite_ = std::make_unique<suite::SuiteWindow>(
      this,
      [this](const desktop::WindowMessage& m) -> std::optional<std::int64_t> {
        if (m.message != suite::WM_REMOTE_KEY) return std::nullopt;
        apply(list_.remoteKey(int(m.wParam)));
        return 0;
      },
      suite::SuiteWindow::Ping::Ignore, desktop_);
  id_ = suite_->id();
  restartTitle();
}

TaskSwitchWindow::~TaskSwitchWindow() = default;

void TaskSwitchWindow::open() {
  show();
  desktop_.bringToFront(id_);
  setFocus();
  if (makeKeyTarget_) makeKeyTarget_(id_);
}

void TaskSwitchWindow::keyPressEvent(QKeyEvent* event) {
  const quint8 key = virtualKeyOf(event);
  if (key == 0) {
    QWidget::keyPressEvent(event);
    return;
  }
  apply(list_.keyDown(key));
}

void TaskSwitchWindow::apply(TaskSwitchList::Command command) {
  using Command = TaskSwitchList::Command;
  if (done_ || command == Command::None) return;
  if (command == Command::Moved) {
    restartTitle();
    update();
    return;
  }
  done_ = true;
  const desktop::WindowId chosen =
      command == Command::Choose && list_.selected() ? list_.selected()->window : desktop::WindowId(0);
  timers_->killAll();
  hide();
  // The chosen window comes back from minimised or hidden, in front with the
  // focus, and takes the keys; without a choice the noted window comes back.
  if (chosen != 0) {
    desktop_.bringToFront(chosen);
    if (makeKeyTarget_) makeKeyTarget_(chosen);
  } else if (noted_ != 0) {
    desktop_.bringToFront(noted_);
  }
  emit finished(chosen);
  close();
}

QRect TaskSwitchWindow::titleRect() const {
  const QRect grid = list_.gridRect(width());
  return QRect(20, grid.bottom() + 10, width() - 40, height() - grid.bottom() - 20);
}

void TaskSwitchWindow::restartTitle() {
  timers_->killAll();
  const TaskEntry* entry = list_.selected();
  const int textWidth = entry ? QFontMetrics(titleFont()).horizontalAdvance(entry->title) : 0;
  if (const int timer = scroller_.reset(textWidth, titleRect().width())) timers_->start(timer, TitleScroller::kRestMs);
}

void TaskSwitchWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(0x1c, 0x2a, 0x48));
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  const QImage placeholder = placeholderIcon(TaskSwitchList::kIconSize);
  for (int i = 0; i < list_.count(); ++i) {
    const QRect cell = list_.cellRect(i, width());
    const QRect icon(cell.center().x() - TaskSwitchList::kIconSize / 2, cell.top() + 16, TaskSwitchList::kIconSize,
                     TaskSwitchList::kIconSize);
    if (i == list_.selection()) p.fillRect(icon.adjusted(-8, -8, 8, 8), QColor(0x58, 0x8c, 0xe2));
    const QImage& picture = list_.entries()[std::size_t(i)].icon;
    p.drawImage(icon, picture.isNull() ? placeholder : picture);
  }
  if (const TaskEntry* entry = list_.selected()) {
    const QRect line = titleRect();
    p.setClipRect(line);
    p.setFont(titleFont());
    p.setPen(Qt::white);
    const int textWidth = QFontMetrics(titleFont()).horizontalAdvance(entry->title);
    if (textWidth <= line.width()) {
      p.drawText(line, Qt::AlignCenter, entry->title);
    } else {
      const QRect moving(line.x() - scroller_.offset(), line.y(), textWidth + 1, line.height());
      p.drawText(moving, Qt::AlignLeft | Qt::AlignVCenter, entry->title);
    }
  }
}

}  // namespace lumi::manager
