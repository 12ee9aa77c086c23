#include "manager/core/KeyMaps.h"

#include "manager/core/ManagerStrings.h"

#include <algorithm>
#include <array>
#include <span>

#include "common/suite/SuiteMessages.h"

namespace lumi::manager {
namespace {

using Kind = KeyAction::Kind;
using M = MouseAction;
namespace s = suite;

constexpr KeyAction code(int key) { return {.kind = Kind::SuiteKey, .suiteKey = key}; }
constexpr KeyAction key(quint8 vk, bool ctrl = false, bool alt = false, bool shift = false) {
  return {.kind = Kind::Keystroke, .keystroke = {.key = vk, .ctrl = ctrl, .alt = alt, .shift = shift}};
}
constexpr KeyAction shifted(quint8 vk) { return key(vk, false, false, true); }
constexpr KeyAction mouse(MouseAction action) { return {.kind = Kind::Mouse, .mouse = action}; }
constexpr KeyAction kNothing{.kind = Kind::Nothing};
constexpr KeyAction kMenuKey{.kind = Kind::MenuKey};
constexpr KeyAction kTaskSwitch{.kind = Kind::TaskSwitch};
constexpr KeyAction kPower{.kind = Kind::Power};
constexpr KeyAction kModeKey{.kind = Kind::ModeChange};

// One code of a map. Model A codes are written as the byte the receiver sends.
struct Row {
  quint32 code;
  const char* text;  // none: the action decides (power, mode) or the line stays
  KeyAction action;
  std::optional<KeyAction> adrenalin = {};
  std::optional<MouseAction> mouse = {};  // the digit's meaning in mouse mode
};

// Model A, a foreign program in front. Number and move mode type the digits alike.
constexpr std::array kModelAKeyboard{
    Row{0x02, "0", key('0'), {}, M::RightClick},
    Row{0x82, "1 (MP3)", key('1'), {}, M::UpLeft},
    Row{0x42, "2 (DVD)", key('2'), {}, M::Up},
    Row{0xC2, "3 (CD)", key('3'), {}, M::UpRight},
    Row{0x22, "4", key('4'), {}, M::Left},
    Row{0xA2, "5", key('5'), {}, M::LeftClick},
    Row{0x62, "6", key('6'), {}, M::Right},
    Row{0xE2, "7", key('7'), {}, M::DownLeft},
    Row{0x12, "8", key('8'), {}, M::Down},
    Row{0x92, "9", key('9'), {}, M::DownRight},
    Row{0x38, "Rewind", key(vk::Left), key('3', true, true)},
    Row{0x3A, "A - Shift + TAB", shifted(vk::Tab)},
    Row{0x40, "Channel + (On) - Page Up", key(vk::PageUp)},
    Row{0x52, "Ent (OK) - Enter", key(vk::Return)},
    Row{0x60, "Volume + (Brt)", key(vk::Up)},
    Row{0x70, "Stop", key(vk::Period), key('S')},
    Row{0x72, "Pause", key(vk::Space)},
    Row{0xA0, "Mute (All Off) - Close", key('M')},
    Row{0xB0, "Play", key(vk::Space)},
    Row{0xB6, "Menu", kMenuKey, mouse(M::RightClick)},
    Row{0xB8, "Fast Forward", key(vk::Right), key('3', true)},
    Row{0xBA, "AB - Task Switch", kTaskSwitch},
    Row{0xC0, "Channel - (Off) - Page Down", key(vk::PageDown)},
    Row{0xC9, "Exit - Escape", key(vk::Escape)},
    Row{0xD1, "Right", key(vk::Right)},
    Row{0xD2, "Left", key(vk::Left)},
    Row{0xD3, "Down", key(vk::Down)},
    Row{0xD5, "Up", key(vk::Up)},
    Row{0xD6, "C - Close", key(vk::F4, false, true)},
    Row{0xD8, "B - TAB", key(vk::Tab)},
    Row{0xE0, "Volume - (Dim)", key(vk::Down)},
    Row{0xF0, nullptr, kPower},
    Row{0xF2, nullptr, kModeKey},
};

// Model A, a suite window in front. In mouse mode the digits act as in the keyboard map.
constexpr std::array kModelASuite{
    Row{0x02, "0", code(s::KeyDigit0)},
    Row{0x82, "1 (MP3)", code(s::KeyDigit1)},
    Row{0x42, "2 (DVD)", code(s::KeyDigit2)},
    Row{0xC2, "3 (CD)", code(s::KeyDigit3)},
    Row{0x22, "4", code(s::KeyDigit4)},
    Row{0xA2, "5", code(s::KeyDigit5)},
    Row{0x62, "6", code(s::KeyDigit6)},
    Row{0xE2, "7", code(s::KeyDigit7)},
    Row{0x12, "8", code(s::KeyDigit8)},
    Row{0x92, "9", code(s::KeyDigit9)},
    Row{0x38, "Rew", code(s::KeyRewind)},
    Row{0x3A, "A", code(s::KeyColourA)},
    Row{0x40, "Channel + (On)", code(s::KeyChannelUp)},
    Row{0x52, "Enter (OK)", code(s::KeyOk)},
    Row{0x60, "Volume + (Brt)", code(s::KeyVolumeUp)},
    Row{0x70, "Stop", code(s::KeyStop)},
    Row{0x72, "Pause", code(s::KeyPause)},
    Row{0xA0, "M (All Off)", code(s::KeyMute)},
    Row{0xB0, "Play", code(s::KeyPlay)},
    Row{0xB6, "Menu", code(s::KeyMenu)},
    Row{0xB8, "FF", code(s::KeyFastForward)},
    Row{0xBA, "AB - Task Switch", kTaskSwitch},
    Row{0xC0, "Channel - (Off)", code(s::KeyChannelDown)},
    Row{0xC9, "Exit", code(s::KeyExit)},
    Row{0xD1, "Right", code(s::KeyRight)},
    Row{0xD2, "Left", code(s::KeyLeft)},
    Row{0xD3, "Down", code(s::KeyDown)},
    Row{0xD4, "PC (D)", code(s::KeyPC)},
    Row{0xD5, "Up", code(s::KeyUp)},
    Row{0xD6, "C", code(s::KeyColourC)},
    Row{0xD8, "B", code(s::KeyColourB)},
    Row{0xE0, "Volume - (Dim)", code(s::KeyVolumeDown)},
    Row{0xF0, nullptr, kPower},
    Row{0xF2, nullptr, kModeKey},
    Row{0xFF, "Rec", code(s::KeyRecord)},
};

// Model B digits, both maps: number mode, move mode (none: the key does
// nothing there) and mouse mode.
struct DigitRow {
  quint32 code;
  const char* numberText;
  quint8 digit;
  int numberKey;
  const char* moveText;
  quint8 moveVk;
  int moveKey;
  MouseAction mouse;
};
constexpr std::array kModelBDigits{
    DigitRow{0x3F0045, "0", '0', s::KeyDigit0, nullptr, 0, -1, M::RightClick},
    DigitRow{0x3F0145, "1", '1', s::KeyDigit1, "Home", vk::Home, s::KeyHome, M::UpLeft},
    DigitRow{0x3F0245, "2", '2', s::KeyDigit2, "Up", vk::Up, s::KeyUp, M::Up},
    DigitRow{0x3F0345, "3", '3', s::KeyDigit3, "Page Up", vk::PageUp, s::KeyPageUp, M::UpRight},
    DigitRow{0x3F0445, "4", '4', s::KeyDigit4, "Left", vk::Left, s::KeyLeft, M::Left},
    DigitRow{0x3F0545, "5", '5', s::KeyDigit5, nullptr, 0, -1, M::LeftClick},
    DigitRow{0x3F0645, "6", '6', s::KeyDigit6, "Right", vk::Right, s::KeyRight, M::Right},
    DigitRow{0x3F0745, "7", '7', s::KeyDigit7, "End", vk::End, s::KeyEnd, M::DownLeft},
    DigitRow{0x3F0845, "8", '8', s::KeyDigit8, "Down", vk::Down, s::KeyDown, M::Down},
    DigitRow{0x3F0945, "9", '9', s::KeyDigit9, "Page Down", vk::PageDown, s::KeyPageDown, M::DownRight},
};

// Model B, a foreign program in front. PC, CD, Web, F1, REC, Align Right and
// Align Both are not here, so they are unknown keys.
constexpr std::array kModelBKeyboard{
    Row{0x3F0244, "Channel - (Off) - Shift + TAB", shifted(vk::Tab)},
    Row{0x3F0344, "Channel + (On) - TAB", key(vk::Tab)},
    Row{0x3F0544, "Mute (All Off) - Close", key('M')},
    Row{0x3F0644, "Volume Up - Up", key(vk::Up)},
    Row{0x3F0744, "Volume Down - Down", key(vk::Down)},
    Row{0x3F0A45, "Enter - Return", key(vk::Return)},
    Row{0x3F0B45, nullptr, kModeKey},
    Row{0x3F0D44, "Play", key(vk::Space)},
    Row{0x3F0E44, "Stop", key(vk::Period), key('S')},
    Row{0x3F0E45, "Pause", key(vk::Space)},
    Row{0x3F0F44, nullptr, kPower},
    Row{0x3F1346, nullptr, kNothing},  // "Display": the line stays, nothing is sent
    Row{0x3F1B44, "Close", key(vk::F4, false, true)},
    Row{0x3F1C44, "Rewind", key(vk::Left), key('3', true, true)},
    Row{0x3F1C45, "Menu", kMenuKey, mouse(M::RightClick)},
    Row{0x3F1D44, "Fast Forward", key(vk::Right), key('3', true)},
    Row{0x3F1D45, "AB - Task Switch", kTaskSwitch},
    Row{0x3F2B45, "Exit - Escape", key(vk::Escape)},
};

// Model B, a suite window in front. The channel pair reads the other way
// round from the keyboard map.
constexpr std::array kModelBSuite{
    Row{0x3F0244, "Channel + (On)", code(s::KeyChannelUp)},
    Row{0x3F0344, "Channel - (Off)", code(s::KeyChannelDown)},
    Row{0x3F0544, "Mute (All Off)", code(s::KeyMute)},
    Row{0x3F0644, "Volume + (Brt)", code(s::KeyVolumeUp)},
    Row{0x3F0744, "Volume - (Dim)", code(s::KeyVolumeDown)},
    Row{0x3F0A45, "Enter", code(s::KeyOk)},
    Row{0x3F0B45, nullptr, kModeKey},
    Row{0x3F0B46, "Web", kNothing},
    Row{0x3F0B47, "F1", kNothing},
    Row{0x3F0D44, "Play", code(s::KeyPlay)},
    Row{0x3F0E44, "Stop", code(s::KeyStop)},
    Row{0x3F0E45, "Pause", code(s::KeyPause)},
    Row{0x3F0F44, nullptr, kPower},
    Row{0x3F0F45, "Align Right", code(s::KeyColourB)},
    Row{0x3F1346, "Display", kNothing},
    Row{0x3F1B44, "Display -", code(s::KeyColourC)},
    Row{0x3F1C44, "Rew", code(s::KeyRewind)},
    Row{0x3F1C45, "Menu", code(s::KeyMenu)},
    Row{0x3F1D44, "FF", code(s::KeyFastForward)},
    Row{0x3F1D45, "AB - Task Switch", kTaskSwitch},
    Row{0x3F2B44, "PC", code(s::KeyPC)},
    Row{0x3F2B45, "Exit", code(s::KeyExit)},
    Row{0x3F2B46, "CD", kNothing},
    Row{0x3F2D45, "Align Both", code(s::KeyColourA)},
    Row{0x3F3F47, "REC", code(s::KeyRecord)},
};

quint32 rowCode(RemoteModel model, const Row& row) {
  return model == RemoteModel::A ? modelACode(quint8(row.code)) : row.code;
}

const Row* find(RemoteModel model, std::span<const Row> map, quint32 code) {
  for (const Row& row : map)
    if (rowCode(model, row) == code) return &row;
  return nullptr;
}

std::span<const Row> mapOf(RemoteModel model, TargetKind target) {
  if (model == RemoteModel::A) {
    if (target == TargetKind::Foreign) return kModelAKeyboard;
    return kModelASuite;
  }
  if (target == TargetKind::Foreign) return kModelBKeyboard;
  return kModelBSuite;
}

std::optional<QString> textOf(const char* text) {
  if (!text) return std::nullopt;
  return QString::fromUtf8(text);
}

KeyLookup known(const char* text, KeyAction action) { return {true, textOf(text), action}; }

KeyLookup lookupDigitB(const DigitRow& row, TargetKind target, InputMode mode) {
  const bool suiteTarget = target == TargetKind::Suite;
  switch (mode) {
    case InputMode::Number:
      return known(row.numberText, suiteTarget ? code(row.numberKey) : key(row.digit));
    case InputMode::Move:
      if (!row.moveText) return known(nullptr, kNothing);
      return known(row.moveText, suiteTarget ? code(row.moveKey) : key(row.moveVk));
    case InputMode::Mouse:
      break;
  }
  return known(nullptr, mouse(row.mouse));
}

char digitOf(int suiteKey) {
  if (suiteKey == s::KeyDigit0) return '0';
  if (suiteKey >= s::KeyDigit1 && suiteKey <= s::KeyDigit9) return char('1' + suiteKey - s::KeyDigit1);
  return 0;
}

}  // namespace

int modeTextId(InputMode mode) {
  switch (mode) {
    case InputMode::Number:
      return textid::kNumberMode;
    case InputMode::Move:
      return textid::kMoveMode;
    case InputMode::Mouse:
      break;
  }
  return textid::kMouseMode;
}

QString modeText(InputMode mode) {
  // The program's table in its language; the Korean text where none is loaded.
  const int id = modeTextId(mode);
  if (text::programStrings().contains(id)) return text::str(id);
  switch (mode) {
    case InputMode::Number:
      return QStringLiteral("숫자 입력 모드");
    case InputMode::Move:
      return QStringLiteral("이동 모드");
    case InputMode::Mouse:
      break;
  }
  return QStringLiteral("마우스 모드");
}

InputMode nextMode(RemoteModel model, InputMode mode) {
  if (model == RemoteModel::A) return mode == InputMode::Mouse ? InputMode::Number : InputMode::Mouse;
  switch (mode) {
    case InputMode::Move:
      return InputMode::Number;
    case InputMode::Number:
      return InputMode::Mouse;
    case InputMode::Mouse:
      break;
  }
  return InputMode::Move;
}

QString virtualKeyName(quint8 key) {
  switch (key) {
    case vk::Tab: return QStringLiteral("Tab");
    case vk::Return: return QStringLiteral("Enter");
    case vk::Escape: return QStringLiteral("Escape");
    case vk::Space: return QStringLiteral("Space");
    case vk::PageUp: return QStringLiteral("Page Up");
    case vk::PageDown: return QStringLiteral("Page Down");
    case vk::End: return QStringLiteral("End");
    case vk::Home: return QStringLiteral("Home");
    case vk::Left: return QStringLiteral("Left");
    case vk::Up: return QStringLiteral("Up");
    case vk::Right: return QStringLiteral("Right");
    case vk::Down: return QStringLiteral("Down");
    case vk::F4: return QStringLiteral("F4");
    case vk::Period: return QStringLiteral("Period");
    default: break;
  }
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return QString(QChar(key));
  return QStringLiteral("0x%1").arg(key, 2, 16, QLatin1Char('0'));
}

QString Keystroke::describe() const {
  QStringList parts;
  if (ctrl) parts << QStringLiteral("Ctrl");
  if (alt) parts << QStringLiteral("Alt");
  if (shift) parts << QStringLiteral("Shift");
  parts << virtualKeyName(key);
  return parts.join(QLatin1Char('+'));
}

std::vector<MouseMove> mouseMoves(MouseAction action) {
  constexpr MouseMove up{0, -kMouseStep}, down{0, kMouseStep}, left{-kMouseStep, 0}, right{kMouseStep, 0};
  switch (action) {
    case M::Up: return {up};
    case M::Down: return {down};
    case M::Left: return {left};
    case M::Right: return {right};
    case M::UpLeft: return {up, left};
    case M::UpRight: return {up, right};
    case M::DownLeft: return {down, left};
    case M::DownRight: return {down, right};
    case M::LeftClick:
    case M::RightClick: break;
  }
  return {};
}

QString describe(MouseAction action) {
  switch (action) {
    case M::Up: return QStringLiteral("mouse up");
    case M::Down: return QStringLiteral("mouse down");
    case M::Left: return QStringLiteral("mouse left");
    case M::Right: return QStringLiteral("mouse right");
    case M::UpLeft: return QStringLiteral("mouse up, then left");
    case M::UpRight: return QStringLiteral("mouse up, then right");
    case M::DownLeft: return QStringLiteral("mouse down, then left");
    case M::DownRight: return QStringLiteral("mouse down, then right");
    case M::LeftClick: return QStringLiteral("left click");
    case M::RightClick: break;
  }
  return QStringLiteral("right click");
}

QString KeyAction::describe() const {
  switch (kind) {
    case Kind::Nothing: return QStringLiteral("nothing");
    case Kind::SuiteKey: return QStringLiteral("key code %1").arg(suiteKey);
    case Kind::Keystroke: return keystroke.describe();
    case Kind::MenuKey: return QStringLiteral("menu key (Alt)");
    case Kind::Mouse: return manager::describe(mouse);
    case Kind::TaskSwitch: return QStringLiteral("task switch");
    case Kind::Power: return QStringLiteral("power");
    case Kind::ModeChange: break;
  }
  return QStringLiteral("mode: ") + modeText(mode);
}

KeyLookup lookupKey(RemoteModel model, TargetKind target, InputMode mode, quint32 code, bool adrenalin) {
  KeyLookup result;
  if (model == RemoteModel::B) {
    for (const DigitRow& row : kModelBDigits)
      if (row.code == code) return lookupDigitB(row, target, mode);
  } else if (mode == InputMode::Mouse) {
    // The digits move and click alike for both kinds of window.
    const Row* row = find(model, kModelAKeyboard, code);
    if (row && row->mouse) return known(nullptr, mouse(*row->mouse));
  }

  const Row* row = find(model, mapOf(model, target), code);
  if (!row) return result;
  const bool alternative = target == TargetKind::Foreign && adrenalin && row->adrenalin;
  result = known(row->text, alternative ? *row->adrenalin : row->action);
  if (model == RemoteModel::A && target == TargetKind::Suite && result.action.kind == Kind::SuiteKey)
    result.typedDigit = digitOf(result.action.suiteKey);
  if (result.action.kind == Kind::Power) {
    result.text = QStringLiteral("Power");
  } else if (result.action.kind == Kind::ModeChange) {
    result.action.mode = nextMode(model, mode);
    result.text = modeText(result.action.mode);
  }
  return result;
}

DialogAction dialogAction(RemoteModel model, quint32 code, int suiteKey) {
  if (suiteKey == s::KeyOk) return DialogAction::PressFocused;
  if (model == RemoteModel::A) {
    switch (suiteKey) {
      case s::KeyUp:
      case s::KeyLeft:
        return DialogAction::PreviousControl;
      case s::KeyDown:
      case s::KeyRight:
        return DialogAction::NextControl;
      case s::KeyPlay:
        return DialogAction::Power;
      default:
        return DialogAction::None;
    }
  }
  switch (code) {
    case 0x3F0245:  // 2
    case 0x3F0445:  // 4
      return DialogAction::PreviousControl;
    case 0x3F0645:  // 6
    case 0x3F0845:  // 8
      return DialogAction::NextControl;
    default:
      return DialogAction::None;
  }
}

std::vector<RemoteButton> remoteButtons(RemoteModel model) {
  std::vector<RemoteButton> buttons;
  auto add = [&](quint32 code, const char* text) {
    auto it = std::find_if(buttons.begin(), buttons.end(), [code](const RemoteButton& b) { return b.code == code; });
    if (it == buttons.end()) it = buttons.insert(buttons.end(), RemoteButton{code, {}});
    if (text && !it->texts.contains(QString::fromUtf8(text))) it->texts << QString::fromUtf8(text);
  };
  if (model == RemoteModel::B) {
    for (const DigitRow& row : kModelBDigits) {
      add(row.code, row.numberText);
      add(row.code, row.moveText);
    }
  }
  for (const TargetKind target : {TargetKind::Foreign, TargetKind::Suite})
    for (const Row& row : mapOf(model, target)) add(rowCode(model, row), row.text);
  return buttons;
}

}  // namespace lumi::manager
