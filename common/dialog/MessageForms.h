#pragma once
// The message dialog as each program builds it. The shell, the movie player
// and the updater each carry a copy of the same dialog; they differ in
// template and button ids, caption strings, fonts, timer ids, where the
// resource library comes from and where the dialog is placed. The same
// window with more buttons is the suite's small choice menu; its variants
// differ only in the number, size and place of their buttons.
#include <QPoint>
#include <QRect>
#include <QSize>
#include <span>

namespace lumi::dialog {

inline constexpr QSize kMessageDialogSize{611, 345};
inline constexpr QSize kDialogButtonSize{120, 46};
inline constexpr QSize kChoiceButtonSize{200, 46};
inline constexpr int kScrollPeriodMs = 30;

enum class Program { Shell, Player, PlayerSide, Updater };

enum class Placement {
  MonitorCentre,  // left + (monitor width - 611) / 2, top + (monitor height - 345) / 2
  ScreenCentre,   // display width / 2 - 611 / 2, display height / 2 - 345 / 2
};

// A font the form fixes instead of taking the skin's button font. An empty
// face is the system's default face.
struct FixedFont {
  const char* face;
  int pixelHeight;
  int weight;
};

// The bitmaps of a dialog's buttons, by resource id.
struct ButtonBitmaps {
  int normal;
  int focused;
  int pressed;
};
inline constexpr ButtonBitmaps kDialogButtonBitmaps{680, 682, 681};
inline constexpr ButtonBitmaps kShortButtonBitmaps{659, 660, 658};

struct MessageForm {
  Program program;
  // Dialog template; 0 where the program gives its message dialog no number
  // of its own (the shell).
  int templateId;
  // The two standard buttons; they end the dialog with 1 and 2, every other
  // button with its own control id.
  int firstButtonId;
  int secondButtonId;
  // Caption strings of the program's table: "확 인", "취 소", "예", "아니오".
  int okString, cancelString, yesString, noString;
  // The product title put on line 0 by SetLine; 0 where the program's table
  // has none, and the product name "LUMICASTER" stands in.
  int titleString;

  // With the skin's button font the lines and captions follow "Skin.ini";
  // otherwise the form's fixed fonts, of which lineFont and captionFont are
  // the ones the lines and the captions use.
  bool skinButtonFont;
  std::span<const FixedFont> fixedFonts;
  int lineFont;
  int captionFont;

  int scrollTimerId;
  int otherTimerId;  // 0: none

  // The shell loads "Resources.dll" once at start; the other programs load
  // it when the dialog initialises, free it once the bitmaps are taken, and
  // show a system message box with this text when it is missing.
  bool loadsLibraryItself;
  const char* missingLibraryText;  // UTF-8; null in the shell

  Placement placement;
  QPoint oneButton;      // the single button of button mode 0
  QPoint twoButtons[2];  // the two buttons of the other modes
  QSize buttonSize;
  ButtonBitmaps bitmaps;

  // The updater's remote also moves with its transport keys: 24 and 25
  // focus the first button, 27 and 28 the second, 26 presses.
  bool transportKeys;
};

const MessageForm& ShellForm();
const MessageForm& PlayerForm();
// The player's form with the buttons in a column on the right.
const MessageForm& PlayerSideForm();
const MessageForm& UpdaterForm();
const MessageForm& FormOf(Program program);

// Where a form puts the dialog: `monitor` is the rectangle of the monitor the
// dialog is on, `display` the size of the whole display.
QPoint DialogPosition(const MessageForm& form, const QRect& monitor, QSize display,
                      QSize dialog = kMessageDialogSize);

// A choice menu: the message dialog with its own template and more buttons,
// each of which ends the dialog with its control id. Captions and meanings
// belong to the screen that opens it.
struct ChoiceVariant {
  int templateId;
  int buttonCount;
  QRect buttons[4];  // in focus order
  ButtonBitmaps bitmaps;
};

inline constexpr int kExitTemplate = 765;                // exit dialog: four in a row
inline constexpr int kBackgroundChooserTemplate = 821;   // background-settings chooser
inline constexpr int kItemMenuTemplate = 817;            // list item menus
inline constexpr int kMusicMenuTemplate = 819;           // music screen menu
inline constexpr int kPhotoMenuTemplate = 820;           // photo viewer menu

std::span<const ChoiceVariant> ChoiceVariants();
// The variant of a template; null for a template that is not a choice menu.
const ChoiceVariant* ChoiceVariantFor(int templateId);

}  // namespace lumi::dialog
