#include "common/dialog/MessageDialogModel.h"

#include <algorithm>

// Only the key code names are taken from the suite's vocabulary.
#include "common/suite/SuiteMessages.h"
#include "platform/text/StringTable.h"

namespace lumi::dialog {

using namespace suite;

namespace {

constexpr QRect kLineRects[kLineCount] = {
    QRect(QPoint(20, 12), QPoint(589, 44)),   QRect(QPoint(20, 70), QPoint(589, 109)),
    QRect(QPoint(20, 120), QPoint(589, 159)), QRect(QPoint(20, 170), QPoint(589, 209)),
    QRect(QPoint(20, 220), QPoint(589, 259)),
};

}  // namespace

QRect LineRect(int index) {
  if (index < 0 || index >= kLineCount) return {};
  return kLineRects[index];
}

MessageDialogModel::MessageDialogModel(const MessageForm& form, int buttonMode, Strings strings)
    : form_(&form), buttonMode_(buttonMode), templateId_(form.templateId), strings_(std::move(strings)) {
  for (int i = 0; i < kLineCount; ++i) lines_[i].rect = kLineRects[i];
  const QSize size = form.buttonSize;
  if (buttonMode == kModeOneButton) {
    buttons_.push_back({form.firstButtonId, text(form.okString), kResultFirst, QRect(form.oneButton, size)});
    return;
  }
  const bool yesNo = buttonMode == kModeYesNo;
  buttons_.push_back({form.firstButtonId, text(yesNo ? form.yesString : form.okString), kResultFirst,
                      QRect(form.twoButtons[0], size)});
  buttons_.push_back({form.secondButtonId, text(yesNo ? form.noString : form.cancelString), kResultCancel,
                      QRect(form.twoButtons[1], size)});
}

MessageDialogModel::MessageDialogModel(const MessageForm& form, const ChoiceVariant& variant,
                                       const std::vector<ChoiceButton>& buttons, Strings strings)
    : form_(&form), buttonMode_(-1), templateId_(variant.templateId), choice_(true), strings_(std::move(strings)) {
  for (int i = 0; i < kLineCount; ++i) lines_[i].rect = kLineRects[i];
  const int count = std::min<int>(variant.buttonCount, static_cast<int>(buttons.size()));
  for (int i = 0; i < count; ++i)
    buttons_.push_back({buttons[i].controlId, buttons[i].caption, ResultFor(buttons[i].controlId), variant.buttons[i]});
}

QString MessageDialogModel::text(int id) const { return strings_ ? strings_(id) : text::str(id); }

QString MessageDialogModel::ProductTitle() const {
  return form_->titleString != 0 ? text(form_->titleString) : kShellTitle;
}

int MessageDialogModel::IndexOf(int controlId) const {
  for (int i = 0; i < ButtonCount(); ++i)
    if (buttons_[i].controlId == controlId) return i;
  return -1;
}

int MessageDialogModel::ResultFor(int controlId) const {
  if (controlId == form_->firstButtonId) return kResultFirst;
  if (controlId == form_->secondButtonId) return kResultCancel;
  return controlId;
}

void MessageDialogModel::SetLine(const QString& text, int index, Qt::Alignment format) {
  if (index < 0 || index >= kLineCount) return;
  if (index != kTitleLine) {
    lines_[kTitleLine].text = ProductTitle();
    lines_[kTitleLine].format = kCentred;
  }
  lines_[index].text = text;
  lines_[index].format = format;
}

void MessageDialogModel::SetMessage(const QString& text) {
  QStringList pieces = text.split(QChar(10));
  // A line feed inside a line would break its single-line drawing, so the
  // pieces past the fourth are joined to it as they are.
  while (pieces.size() > 4) pieces[3] += pieces.takeAt(4);
  static const std::vector<int> kPlaces[] = {{2}, {2, 3}, {1, 2, 3}, {1, 2, 3, 4}};
  const std::vector<int>& places = kPlaces[pieces.size() - 1];
  for (int i = 0; i < pieces.size(); ++i) SetLine(pieces[i], places[i], kCentred);
}

void MessageDialogModel::MeasureLines(const TextWidth& width) {
  for (MessageLine& line : lines_) {
    line.width = line.text.isEmpty() ? 0 : width(line.text);
    line.scrolling = line.width > line.rect.width();
    if (line.scrolling) {
      line.offset[0] = line.width + kScrollLead;
      line.offset[1] = kScrollStart;
    } else {
      line.offset[0] = line.offset[1] = 0;
    }
  }
}

bool MessageDialogModel::AnyLineScrolls() const {
  return std::any_of(lines_.begin(), lines_.end(), [](const MessageLine& l) { return l.scrolling; });
}

std::vector<int> MessageDialogModel::ScrollStep() {
  std::vector<int> moved;
  for (int i = 0; i < kLineCount; ++i) {
    MessageLine& line = lines_[i];
    if (!line.scrolling) continue;
    ++line.offset[0];
    ++line.offset[1];
    int& smaller = line.offset[0] < line.offset[1] ? line.offset[0] : line.offset[1];
    int& larger = &smaller == &line.offset[0] ? line.offset[1] : line.offset[0];
    if (smaller > line.width - kScrollLead) larger = kScrollWrap;
    moved.push_back(i);
  }
  return moved;
}

KeyOutcome MessageDialogModel::FocusButton(int index) {
  if (index < 0 || index >= ButtonCount() || index == focus_) return {};
  const int previous = focus_;
  focus_ = index;
  return {KeyOutcome::Focus, index, previous};
}

KeyOutcome MessageDialogModel::move(int delta) {
  if (ButtonCount() == 0) return {};
  return FocusButton(std::clamp(focus_ + delta, 0, ButtonCount() - 1));
}

KeyOutcome MessageDialogModel::OnKey(int code) {
  const bool transport = form_->transportKeys;
  switch (code) {
    case KeyPower:
      return {KeyOutcome::Power};
    case KeyDigit2:  // "3"
    case KeyDigit4:  // "5"
    case KeyUp:
    case KeyLeft:
      return move(-1);
    case KeyDigit6:  // "7"
    case KeyDigit8:  // "9"
    case KeyDown:
    case KeyRight:
      return move(+1);
    case KeyOk:
      return ButtonCount() == 0 ? KeyOutcome{} : KeyOutcome{KeyOutcome::Press, focus_};
    case KeyExit:
      return {KeyOutcome::Cancel};
    case KeyRewind:
    case KeyPlay:
      return transport ? move(-1) : KeyOutcome{};
    case KeyStop:
    case KeyFastForward:
      return transport ? move(+1) : KeyOutcome{};
    case KeyPause:
      return transport && ButtonCount() > 0 ? KeyOutcome{KeyOutcome::Press, focus_} : KeyOutcome{};
    default:
      return {};
  }
}

KeyOutcome MessageDialogModel::OnKeyboard(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Backspace:
    case Qt::Key_Escape:
      return {KeyOutcome::Cancel};
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return ButtonCount() == 0 ? KeyOutcome{} : KeyOutcome{KeyOutcome::Press, focus_};
    case Qt::Key_Left:
    case Qt::Key_Up:
      return move(-1);
    case Qt::Key_Right:
    case Qt::Key_Down:
      return move(+1);
    case Qt::Key_F10:
      return {};
    default:
      return {KeyOutcome::Pass};
  }
}

}  // namespace lumi::dialog
