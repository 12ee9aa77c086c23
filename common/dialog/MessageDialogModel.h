#pragma once
// What a message dialog shows and how it answers the remote and the
// keyboard, without a window: its buttons and focus, the five text lines with
// their rectangles and scroll state, and the effect of each key. The windows
// of the programs only carry out the outcomes and paint the model.
//
//   MessageDialogModel model(ShellForm(), kModeYesNo);
//   model.SetMessage("Stop music?");
//   model.MeasureLines(widthOfTextInTheButtonFont);
//   KeyOutcome o = model.OnKey(KeyRight);   // Focus: button 1
#include <QRect>
#include <QString>
#include <Qt>
#include <array>
#include <functional>
#include <vector>

#include "common/dialog/MessageForms.h"

namespace lumi::dialog {

// Button modes: one button "확 인"; "예" / "아니오"; every other value
// "확 인" / "취 소".
inline constexpr int kModeOneButton = 0;
inline constexpr int kModeYesNo = 4;
inline constexpr int kModeOkCancel = 1;

// DoModal's answers for the two standard buttons; cancelling answers 2 too.
inline constexpr int kResultFirst = 1;
inline constexpr int kResultCancel = 2;

inline constexpr int kLineCount = 5;
inline constexpr int kTitleLine = 0;
// Horizontal placement of a line's text.
inline constexpr Qt::Alignment kLeft = Qt::AlignLeft;
inline constexpr Qt::Alignment kCentred = Qt::AlignHCenter;

// A scrolling line enters at these offsets and wraps a copy to the right edge.
inline constexpr int kScrollLead = 300;
inline constexpr int kScrollStart = -100;
inline constexpr int kScrollWrap = -611;

// The rectangles of lines 0-4 in the 611 x 345 dialog.
QRect LineRect(int index);

struct MessageLine {
  QString text;
  Qt::Alignment format = kLeft;
  QRect rect;
  // Measured in the line font when the dialog initialises. A line wider than
  // its rectangle scrolls: two copies, drawn from rect.left() - offset[0] and
  // rect.left() - offset[1], move left one pixel per step.
  int width = 0;
  bool scrolling = false;
  int offset[2] = {0, 0};
};

struct DialogButton {
  int controlId = 0;
  QString caption;
  int result = 0;  // what DoModal answers when it is pressed
  QRect rect;
};

// A caption and a control id, for the choice menus.
struct ChoiceButton {
  int controlId;
  QString caption;
};

struct KeyOutcome {
  enum Kind {
    Ignore,  // nothing happens
    Pass,    // a keyboard key for the window's normal processing
    Focus,   // the focus moved from `previous` to `button`
    Press,   // press `button` (the focused one)
    Cancel,  // end with result 2
    Power,   // post WM_REMOTE_KEY 0 to the parent, then end with result 2
  } kind = Ignore;
  int button = -1;
  int previous = -1;
};

class MessageDialogModel {
 public:
  using Strings = std::function<QString(int)>;
  using TextWidth = std::function<int(const QString&)>;

  // A message dialog of a program's form; the captions and the product title
  // come from `strings` (the program's string table when empty).
  MessageDialogModel(const MessageForm& form, int buttonMode, Strings strings = {});
  // A choice menu of a form: the variant's buttons in order, each with the
  // caption and id given here (extra ones are dropped, missing buttons are
  // not made).
  MessageDialogModel(const MessageForm& form, const ChoiceVariant& variant, const std::vector<ChoiceButton>& buttons,
                     Strings strings = {});

  const MessageForm& Form() const { return *form_; }
  int ButtonMode() const { return buttonMode_; }
  bool IsChoiceMenu() const { return choice_; }
  // The form's template, or the choice menu's.
  int TemplateId() const { return templateId_; }
  const std::vector<DialogButton>& Buttons() const { return buttons_; }
  int ButtonCount() const { return static_cast<int>(buttons_.size()); }
  // The button of a control id, -1 for none.
  int IndexOf(int controlId) const;
  // What pressing a control answers: 1 and 2 for the form's two standard
  // buttons, the control id for every other.
  int ResultFor(int controlId) const;

  // Lines 1-4 first put the product title, centred, on line 0, so every
  // message carries it on top. An index outside 0-4 is ignored.
  void SetLine(const QString& text, int index, Qt::Alignment format = kCentred);
  // Splits at line feeds into at most four pieces (the fifth and later are
  // appended to the fourth) and centres them: one piece on line 2, two on 2
  // and 3, three on 1 to 3, four on 1 to 4.
  void SetMessage(const QString& text);
  const MessageLine& Line(int index) const { return lines_.at(static_cast<size_t>(index)); }
  QString ProductTitle() const;

  // Measures every line; a line wider than its rectangle starts scrolling
  // (offsets width + 300 and -100), the others stand still.
  void MeasureLines(const TextWidth& width);
  bool AnyLineScrolls() const;
  // One scroll step: both offsets of every scrolling line grow by 1; once
  // the smaller has passed width - 300 the larger becomes -611, so a new
  // copy enters at the right edge. Answers the lines that moved.
  std::vector<int> ScrollStep();

  int Focus() const { return focus_; }
  // Moves the focus to a button (the mouse over it); answers the move, or
  // Ignore when it was already there or there is no such button.
  KeyOutcome FocusButton(int index);

  // A key code (WM_SHELL_KEY). Previous and next stop at the ends.
  KeyOutcome OnKey(int code);
  // A keyboard key (Qt::Key): Backspace and Esc cancel, Enter presses, Left
  // and Up go to the previous button, Right and Down to the next, F10 is
  // swallowed, everything else passes.
  KeyOutcome OnKeyboard(int qtKey);

 private:
  KeyOutcome move(int delta);
  QString text(int id) const;

  const MessageForm* form_;
  int buttonMode_ = kModeOneButton;
  int templateId_ = 0;
  bool choice_ = false;
  Strings strings_;
  std::vector<DialogButton> buttons_;
  std::array<MessageLine, kLineCount> lines_;
  int focus_ = 0;
};

}  // namespace lumi::dialog
