#include "player/app/PlayerMessageBox.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>

#include "common/suite/SuiteMessages.h"
#include "common/suite/SuiteWindow.h"
#include "platform/desktop/Desktop.h"
#include "platform/text/StringTable.h"

namespace lumi::player {
namespace {

PlayerMessageBox* g_current = nullptr;

QString fill(QString text, const QStringList& args) {
  for (const QString& arg : args) {
    const qsizetype at = text.indexOf(QLatin1String("%s"));
    if (at < 0) break;
    text.replace(at, 2, arg);
  }
  return text;
}

}  // namespace

PlayerMessageBox::PlayerMessageBox(QWidget* parent, const QStringList& lines, Buttons buttons,
                                   const QString& diagnostic)
    : QDialog(parent) {
  setWindowTitle(kTitle);
  setModal(true);
  setFixedSize(611, 345);
  setStyleSheet(QStringLiteral("QDialog { background: #10203a; } QLabel { color: white; font-size: 22px; }"
                               "QPushButton { min-width: 120px; min-height: 46px; font-size: 18px; }"
                               "QPushButton:focus { background: #3a8; }"));
  auto* layout = new QVBoxLayout(this);
  for (const QString& line : lines) {
    auto* label = new QLabel(line, this);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    layout->addWidget(label);
  }
  auto* row = new QHBoxLayout;
  const QStringList captions = buttons == OneButton ? QStringList{QStringLiteral("확 인")}
                               : buttons == YesNo   ? QStringList{QStringLiteral("예"), QStringLiteral("아니오")}
                                                    : QStringList{QStringLiteral("확 인"), QStringLiteral("취 소")};
  for (int i = 0; i < captions.size(); ++i) {
    auto* button = new QPushButton(captions[i], this);
    connect(button, &QPushButton::clicked, this, [this, i] { done(i + 1); });
    row->addWidget(button);
    buttons_.push_back(button);
  }
  layout->addLayout(row);
  std::fprintf(stderr, "[message] %s\n", diagnostic.toUtf8().constData());
  std::fflush(stderr);
  suiteWindow_ = std::make_unique<suite::SuiteWindow>(this, [this](const desktop::WindowMessage& m)
                                                                -> std::optional<std::int64_t> {
    if (m.message == suite::WM_REMOTE_KEY) remoteKey(int(m.wParam));
    else if (m.message == desktop::WM_COPYDATA) remoteKey(int(m.dataWord));
    else return std::nullopt;
    return 1;
  });
}

PlayerMessageBox::~PlayerMessageBox() {
  if (g_current == this) g_current = nullptr;
}

PlayerMessageBox* PlayerMessageBox::current() { return g_current; }

int PlayerMessageBox::run() {
  PlayerMessageBox* outer = g_current;
  g_current = this;
  focusButton(0);
  const int result = exec();
  g_current = outer;
  return result == 1 ? 1 : 2;
}

void PlayerMessageBox::focusButton(int index) {
  if (buttons_.empty()) return;
  focused_ = std::clamp(index, 0, int(buttons_.size()) - 1);
  buttons_[size_t(focused_)]->setFocus();
}

void PlayerMessageBox::remoteKey(int code) {
  switch (code) {
    case suite::KeyLeft:
    case suite::KeyUp: focusButton(focused_ - 1); break;
    case suite::KeyRight:
    case suite::KeyDown: focusButton(focused_ + 1); break;
    case suite::KeyOk: done(focused_ + 1); break;
    case suite::KeyExit:
    case suite::KeyPower: done(int(buttons_.size()) > 1 ? 2 : 1); break;
    default: break;
  }
}

void PlayerMessageBox::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Left: remoteKey(suite::KeyLeft); return;
    case Qt::Key_Right: remoteKey(suite::KeyRight); return;
    case Qt::Key_Return:
    case Qt::Key_Enter: remoteKey(suite::KeyOk); return;
    case Qt::Key_Escape: remoteKey(suite::KeyExit); return;
    default: QDialog::keyPressEvent(event);
  }
}

int PlayerMessageBox::show(QWidget* parent, int first, int second, Buttons buttons, const QStringList& args) {
  QStringList lines{fill(text::str(first), args)};
  if (second) lines << text::str(second);
  const QString ids = second ? QStringLiteral("%1 %2").arg(first).arg(second) : QString::number(first);
  PlayerMessageBox box(parent, lines, buttons, ids);
  return box.run();
}

int PlayerMessageBox::showText(QWidget* parent, const QString& text) {
  PlayerMessageBox box(parent, {text}, OneButton, text);
  return box.run();
}

}  // namespace lumi::player
