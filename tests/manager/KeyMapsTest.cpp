// The four key maps, the input modes and the "Adrenalin" bindings.
#include <gtest/gtest.h>

#include <set>

#include "common/suite/SuiteMessages.h"
#include "manager/core/KeyMaps.h"
#include "tests/support/QtPrinters.h"

using namespace lumi::manager;
using Kind = KeyAction::Kind;

namespace {

KeyAction suiteKey(int code) { return {.kind = Kind::SuiteKey, .suiteKey = code}; }
KeyAction keystroke(quint8 key, bool ctrl = false, bool alt = false, bool shift = false) {
  return {.kind = Kind::Keystroke, .keystroke = {key, ctrl, alt, shift}};
}
KeyAction mouse(MouseAction action) { return {.kind = Kind::Mouse, .mouse = action}; }
KeyAction kind(Kind k) { return {.kind = k}; }
KeyAction modeChange(InputMode mode) { return {.kind = Kind::ModeChange, .mode = mode}; }

constexpr auto A = RemoteModel::A;
constexpr auto B = RemoteModel::B;
constexpr auto Suite = TargetKind::Suite;
constexpr auto Foreign = TargetKind::Foreign;
constexpr auto Number = InputMode::Number;
constexpr auto Move = InputMode::Move;
constexpr auto Mouse = InputMode::Mouse;

struct Case {
  const char* what;
  RemoteModel model;
  TargetKind target;
  InputMode mode;
  quint32 code;
  bool adrenalin;
  bool known;
  std::optional<QString> text;
  KeyAction action;
  char typedDigit = 0;
};

TEST(KeyMaps, LookupGivesTextAndAction) {
  const Case cases[] = {
      {"A digit 1, suite, number mode", A, Suite, Number, 0xFFFFFF82, false, true, "1 (MP3)", suiteKey(2), '1'},
      {"A digit 0, suite, move mode", A, Suite, Move, 0x02, false, true, "0", suiteKey(11), '0'},
      {"A digit 1, foreign, move mode", A, Foreign, Move, 0xFFFFFF82, false, true, "1 (MP3)", keystroke('1')},
      {"A digit 1, foreign, mouse mode", A, Foreign, Mouse, 0xFFFFFF82, false, true, {}, mouse(MouseAction::UpLeft)},
      {"A digit 5, suite, mouse mode", A, Suite, Mouse, 0xFFFFFFA2, false, true, {}, mouse(MouseAction::LeftClick)},
      {"A Rewind, suite", A, Suite, Move, 0x38, false, true, "Rew", suiteKey(24)},
      {"B Rewind, suite", B, Suite, Move, 0x3F1C44, false, true, "Rew", suiteKey(24)},
      {"A Rewind, foreign", A, Foreign, Move, 0x38, false, true, "Rewind", keystroke(vk::Left)},
      {"A Rewind, Adrenalin", A, Foreign, Move, 0x38, true, true, "Rewind", keystroke('3', true, true)},
      {"B Fast forward, Adrenalin", B, Foreign, Move, 0x3F1D44, true, true, "Fast Forward", keystroke('3', true)},
      {"A Stop, foreign", A, Foreign, Move, 0x70, false, true, "Stop", keystroke(vk::Period)},
      {"A Stop, Adrenalin", A, Foreign, Move, 0x70, true, true, "Stop", keystroke('S')},
      {"A Stop, suite ignores Adrenalin", A, Suite, Move, 0x70, true, true, "Stop", suiteKey(27)},
      {"A Menu, foreign", A, Foreign, Move, 0xFFFFFFB6, false, true, "Menu", kind(Kind::MenuKey)},
      {"B Menu, Adrenalin", B, Foreign, Move, 0x3F1C45, true, true, "Menu", mouse(MouseAction::RightClick)},
      {"A Play is 0xB0 sign-extended", A, Suite, Move, 0xFFFFFFB0, false, true, "Play", suiteKey(25)},
      {"A 0xB0 unextended is no code", A, Suite, Move, 0xB0, false, false, {}, {}},
      {"A C - Close", A, Foreign, Move, 0xFFFFFFD6, false, true, "C - Close", keystroke(vk::F4, false, true)},
      {"A A - Shift + TAB", A, Foreign, Number, 0x3A, false, true, "A - Shift + TAB", keystroke(vk::Tab, false, false, true)},
      {"A PC, foreign: unknown", A, Foreign, Move, 0xFFFFFFD4, false, false, {}, {}},
      {"A PC, suite", A, Suite, Move, 0xFFFFFFD4, false, true, "PC (D)", suiteKey(1)},
      {"A Rec, foreign: unknown", A, Foreign, Move, 0xFFFFFFFF, false, false, {}, {}},
      {"A Rec, suite", A, Suite, Move, 0xFFFFFFFF, false, true, "Rec", suiteKey(30)},
      {"A task switch", A, Suite, Move, 0xFFFFFFBA, false, true, "AB - Task Switch", kind(Kind::TaskSwitch)},
      {"A power", A, Foreign, Move, 0xFFFFFFF0, false, true, "Power", kind(Kind::Power)},
      {"A mode key, move mode", A, Foreign, Move, 0xFFFFFFF2, false, true, "마우스 모드", modeChange(Mouse)},
      {"A mode key, number mode", A, Suite, Number, 0xFFFFFFF2, false, true, "마우스 모드", modeChange(Mouse)},
      {"A mode key, mouse mode", A, Suite, Mouse, 0xFFFFFFF2, false, true, "숫자 입력 모드", modeChange(Number)},
      {"B mode key, move mode", B, Foreign, Move, 0x3F0B45, false, true, "숫자 입력 모드", modeChange(Number)},
      {"B mode key, number mode", B, Suite, Number, 0x3F0B45, false, true, "마우스 모드", modeChange(Mouse)},
      {"B mode key, mouse mode", B, Suite, Mouse, 0x3F0B45, false, true, "이동 모드", modeChange(Move)},
      {"B 1, foreign, move mode", B, Foreign, Move, 0x3F0145, false, true, "Home", keystroke(vk::Home)},
      {"B 1, foreign, number mode", B, Foreign, Number, 0x3F0145, false, true, "1", keystroke('1')},
      {"B 1, suite, move mode", B, Suite, Move, 0x3F0145, false, true, "Home", suiteKey(19)},
      {"B 9, suite, move mode", B, Suite, Move, 0x3F0945, false, true, "Page Down", suiteKey(22)},
      {"B 2, suite, number mode", B, Suite, Number, 0x3F0245, false, true, "2", suiteKey(3)},
      {"B 0, move mode: nothing", B, Foreign, Move, 0x3F0045, false, true, {}, kind(Kind::Nothing)},
      {"B 0, suite, move mode: nothing", B, Suite, Move, 0x3F0045, false, true, {}, kind(Kind::Nothing)},
      {"B 0, mouse mode", B, Foreign, Mouse, 0x3F0045, false, true, {}, mouse(MouseAction::RightClick)},
      {"B 7, mouse mode", B, Suite, Mouse, 0x3F0745, false, true, {}, mouse(MouseAction::DownLeft)},
      {"B channel, foreign", B, Foreign, Move, 0x3F0244, false, true, "Channel - (Off) - Shift + TAB",
       keystroke(vk::Tab, false, false, true)},
      {"B channel, suite", B, Suite, Move, 0x3F0244, false, true, "Channel + (On)", suiteKey(33)},
      {"B other channel, foreign", B, Foreign, Move, 0x3F0344, false, true, "Channel + (On) - TAB", keystroke(vk::Tab)},
      {"B other channel, suite", B, Suite, Move, 0x3F0344, false, true, "Channel - (Off)", suiteKey(34)},
      {"B Display, foreign: line stays", B, Foreign, Move, 0x3F1346, false, true, {}, kind(Kind::Nothing)},
      {"B Display, suite", B, Suite, Move, 0x3F1346, false, true, "Display", kind(Kind::Nothing)},
      {"B Web, suite", B, Suite, Move, 0x3F0B46, false, true, "Web", kind(Kind::Nothing)},
      {"B Web, foreign: unknown", B, Foreign, Move, 0x3F0B46, false, false, {}, {}},
      {"B PC, foreign: unknown", B, Foreign, Move, 0x3F2B44, false, false, {}, {}},
      {"B Align Both, suite", B, Suite, Move, 0x3F2D45, false, true, "Align Both", suiteKey(37)},
      {"B REC, suite", B, Suite, Move, 0x3F3F47, false, true, "REC", suiteKey(30)},
      {"B power", B, Suite, Move, 0x3F0F44, false, true, "Power", kind(Kind::Power)},
      {"B Close, foreign", B, Foreign, Move, 0x3F1B44, false, true, "Close", keystroke(vk::F4, false, true)},
      {"B identification code is no key", B, Suite, Move, 77, false, false, {}, {}},
  };
  for (const Case& c : cases) {
    const KeyLookup found = lookupKey(c.model, c.target, c.mode, c.code, c.adrenalin);
    EXPECT_EQ(found.known, c.known) << c.what;
    if (!c.known) continue;
    EXPECT_EQ(found.text, c.text) << c.what;
    EXPECT_EQ(found.action, c.action) << c.what << ": " << found.action.describe().toStdString();
    EXPECT_EQ(found.typedDigit, c.typedDigit) << c.what;
  }
}

TEST(KeyMaps, EveryCodeOfEveryMapIsASuiteKeyOrAnAction) {
  for (const RemoteModel model : {A, B}) {
    const auto buttons = remoteButtons(model);
    EXPECT_EQ(buttons.size(), 35u) << "codes known to the model " << int(model) << " maps";
    std::set<int> keys;
    for (const RemoteButton& button : buttons)
      for (const InputMode mode : {Number, Move})
        for (const TargetKind target : {Suite, Foreign}) {
          const KeyLookup found = lookupKey(model, target, mode, button.code);
          if (found.action.kind != Kind::SuiteKey) continue;
          keys.insert(found.action.suiteKey);
          EXPECT_TRUE(lumi::suite::keyName(found.action.suiteKey)) << found.action.suiteKey;
        }
    // Every key code the suite knows but Power (sent for the power action) and
    // Home/End/Page keys (model B only) is reachable.
    for (int key = 1; key < lumi::suite::kKeyCodeCount; ++key) {
      if (!lumi::suite::keyName(key)) continue;
      const bool modelBOnly = key >= lumi::suite::KeyHome && key <= lumi::suite::KeyPageDown;
      EXPECT_EQ(keys.count(key), (model == A && modelBOnly) ? 0u : 1u) << "model " << int(model) << " key " << key;
    }
  }
}

TEST(KeyMaps, MouseMovesAndKeystrokeTexts) {
  EXPECT_EQ(mouseMoves(MouseAction::UpLeft), (std::vector<MouseMove>{{0, -7}, {-7, 0}}));
  EXPECT_EQ(mouseMoves(MouseAction::DownRight), (std::vector<MouseMove>{{0, 7}, {7, 0}}));
  EXPECT_TRUE(mouseMoves(MouseAction::LeftClick).empty());
  EXPECT_EQ(Keystroke({'3', true, true}).describe(), "Ctrl+Alt+3");
  EXPECT_EQ(Keystroke({vk::Tab, false, false, true}).describe(), "Shift+Tab");
  EXPECT_EQ(Keystroke({vk::F4, false, true}).describe(), "Alt+F4");
  EXPECT_EQ(nextMode(B, nextMode(B, nextMode(B, kInitialInputMode))), kInitialInputMode);
  EXPECT_EQ(char(kInitialInputMode), ')');
}

}  // namespace

TEST(KeyMaps, KeysOnTheManagersOwnDialog) {
  struct Case {
    RemoteModel model;
    InputMode mode;
    quint32 code;
    DialogAction action;
  };
  for (const Case& c : {
           Case{RemoteModel::A, InputMode::Move, modelACode(0xD5), DialogAction::PreviousControl},  // Up
           Case{RemoteModel::A, InputMode::Move, modelACode(0xD2), DialogAction::PreviousControl},  // Left
           Case{RemoteModel::A, InputMode::Move, modelACode(0xD3), DialogAction::NextControl},      // Down
           Case{RemoteModel::A, InputMode::Move, modelACode(0xD1), DialogAction::NextControl},      // Right
           Case{RemoteModel::A, InputMode::Move, modelACode(0x52), DialogAction::PressFocused},     // Enter
           Case{RemoteModel::A, InputMode::Move, modelACode(0xB0), DialogAction::Power},            // Play
           Case{RemoteModel::A, InputMode::Number, modelACode(0x42), DialogAction::None},           // 2
           Case{RemoteModel::B, InputMode::Number, 0x3F0245, DialogAction::PreviousControl},        // 2
           Case{RemoteModel::B, InputMode::Move, 0x3F0445, DialogAction::PreviousControl},          // 4
           Case{RemoteModel::B, InputMode::Move, 0x3F0645, DialogAction::NextControl},              // 6
           Case{RemoteModel::B, InputMode::Number, 0x3F0845, DialogAction::NextControl},            // 8
           Case{RemoteModel::B, InputMode::Move, 0x3F0A45, DialogAction::PressFocused},             // Enter
           Case{RemoteModel::B, InputMode::Move, 0x3F0D44, DialogAction::None},                     // Play
       }) {
    const KeyLookup found = lookupKey(c.model, TargetKind::Suite, c.mode, c.code);
    EXPECT_EQ(dialogAction(c.model, c.code, found.action.suiteKey), c.action) << std::hex << c.code;
  }
}
