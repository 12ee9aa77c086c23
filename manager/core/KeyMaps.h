#pragma once
// What each remote code means. Four maps, one per receiver model and kind of
// window in front: a suite window (it answers the identity query) gets suite
// key codes, any other program keystrokes. The three input modes change only
// the digit keys. Every lookup also gives the text of the main page's
// "input value" line. Plain data: the dispatcher carries the actions out.
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "manager/core/RemoteModel.h"

namespace lumi::manager {

enum class TargetKind { Suite, Foreign };

// Stored as the character the mode is known by.
enum class InputMode : char { Number = '(', Move = ')', Mouse = '*' };
inline constexpr InputMode kInitialInputMode = InputMode::Move;
// "숫자 입력 모드", "이동 모드", "마우스 모드" (texts 131-133 of the
// manager's table, in the program's language).
QString modeText(InputMode mode);
int modeTextId(InputMode mode);
// Model A's mode key: number or move mode to mouse mode, mouse mode to number
// mode. Model B's: move, number, mouse, move ...
InputMode nextMode(RemoteModel model, InputMode mode);

// A foreign window with exactly this title gets other keys for Rewind, Fast
// forward, Stop and Menu.
inline const QString kAdrenalinTitle = QStringLiteral("Adrenalin");

// Windows virtual-key codes, which the keystrokes are written in.
namespace vk {
inline constexpr quint8 Tab = 0x09, Return = 0x0D, Escape = 0x1B, Space = 0x20, PageUp = 0x21, PageDown = 0x22,
                        End = 0x23, Home = 0x24, Left = 0x25, Up = 0x26, Right = 0x27, Down = 0x28, F4 = 0x73,
                        Period = 0xBE;
// Digits and letters are their own ASCII capitals: '0'..'9', 'M', 'S'.
}  // namespace vk
QString virtualKeyName(quint8 key);

struct Keystroke {
  quint8 key = 0;
  bool ctrl = false;
  bool alt = false;
  bool shift = false;
  // "Ctrl+Alt+3", "Shift+Tab", "Alt+F4", "Period".
  QString describe() const;
  bool operator==(const Keystroke&) const = default;
};

// Moves are 7 pixels; a diagonal is its two moves one after the other.
enum class MouseAction : quint8 { Up, Down, Left, Right, UpLeft, UpRight, DownLeft, DownRight, LeftClick, RightClick };
inline constexpr int kMouseStep = 7;
struct MouseMove {
  int dx = 0;
  int dy = 0;
  bool operator==(const MouseMove&) const = default;
};
// The relative moves of an action, in order; none for the clicks.
std::vector<MouseMove> mouseMoves(MouseAction action);
QString describe(MouseAction action);

struct KeyAction {
  enum class Kind : quint8 {
    Nothing,     // known, but does nothing
    SuiteKey,    // WM_REMOTE_KEY with `suiteKey`
    Keystroke,   // synthetic keyboard input: `keystroke`
    MenuKey,     // the target is posted a system key down and up of Alt
    Mouse,       // `mouse` at the pointer
    TaskSwitch,  // opens or closes the task-switch window
    Power,       // key code 0 to the shell, or starts it
    ModeChange,  // the input mode becomes `mode`
  };
  Kind kind = Kind::Nothing;
  int suiteKey = -1;
  Keystroke keystroke{};
  MouseAction mouse = MouseAction::LeftClick;
  InputMode mode = kInitialInputMode;

  QString describe() const;
  bool operator==(const KeyAction&) const = default;
};

struct KeyLookup {
  // False for a code the map in use does not know: the input-value line shows
  // text 105 ("Invalid key") and nothing else happens.
  bool known = false;
  // The input-value line; none leaves the line as it is (mouse moves, the
  // model B key "Display" for a foreign program, keys that do nothing in the
  // current mode). Power shows "Power", a mode key the new mode's text.
  std::optional<QString> text;
  KeyAction action;
  // Model A digits to a suite window: the digit's own keystroke ('0'..'9')
  // goes to the window before the key code.
  char typedDigit = 0;
};

// `adrenalin`: the foreign window in front is titled "Adrenalin".
KeyLookup lookupKey(RemoteModel model, TargetKind target, InputMode mode, quint32 code, bool adrenalin = false);

// What a key does on the manager's own dialog when that is in front, instead
// of being posted: model A by the key code its suite map gives (Up and Left
// back, Down and Right on, Play the power action), model B by its digit
// buttons 2 and 4 (back) and 6 and 8 (on), in number and move mode alike;
// OK presses the focused control on both.
enum class DialogAction { None, PreviousControl, NextControl, PressFocused, Power };
DialogAction dialogAction(RemoteModel model, quint32 code, int suiteKey);

// Model A delivers one signed byte per key, compared as its sign-extended
// 32-bit value: byte 0x82 is code 0xFFFFFF82.
constexpr quint32 modelACode(quint8 byte) { return quint32(qint32(qint8(byte))); }

// Every code that one of the model's maps knows, in the maps' order, with all
// the texts the maps show for it.
struct RemoteButton {
  quint32 code = 0;
  QStringList texts;
};
std::vector<RemoteButton> remoteButtons(RemoteModel model);

}  // namespace lumi::manager
