#pragma once
// How the remote moves through a menu screen: a column of buttons with one
// highlighted, arrows moving the highlight round, OK pressing it, Back
// pressing the last button (the screen's way out).
#include <optional>

namespace lumi::shell {

class MenuNavigation {
 public:
  explicit MenuNavigation(int buttonsInUse) : count_(buttonsInUse) {}

  struct Step {
    int focus;             // the button highlighted after the key
    bool press = false;    // and whether it is pressed
  };
  // The effect of a key code on a menu screen; nullopt for codes a menu
  // screen leaves to others (digits, transport keys, ...).
  std::optional<Step> OnKey(int code);

  int focus() const { return focus_; }
  int count() const { return count_; }
  void SetFocus(int index);

 private:
  int count_;
  int focus_ = 0;
};

// A keyboard key on a menu screen, for use without the remote: Enter, Esc,
// arrows, Page Up/Down, Home/End, digits and F9 become key codes; F1 is
// swallowed; every other key is left to normal processing.
struct MenuKey {
  enum Kind { Pass, Swallow, Code } kind = Pass;
  int code = 0;
};
MenuKey TranslateMenuKey(int qtKey);

}  // namespace lumi::shell
