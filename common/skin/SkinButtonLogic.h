#pragma once
// The state machine of the skinned push button, without a window: which
// state it shows, and what the widget must do (redraw, post a message, start
// or stop a timer) after each mouse event, tick or call.
#include <QPoint>
#include <optional>

namespace lumi::skin {

enum ButtonState : int { kStateNormal = 0, kStateFocused = 1, kStatePressed = 2 };

struct ButtonEffects {
  bool redraw = false;
  bool postHover = false;        // WM_BUTTON_HOVER with the control id to the parent
  bool postCommand = false;      // WM_COMMAND with the control id to the parent
  bool clicked = false;          // a mouse click ended (the widget posts the command)
  bool startHoverTimer = false;  // timer 0, every 10 ms
  bool stopHoverTimer = false;
  bool startPressTimer = false;  // timer 222, once after 100 ms, then finishPress()
  bool pauseThenFinish = false;  // pause 100 ms, then finishPress()
};

class SkinButtonLogic {
 public:
  int state() const { return state_; }
  bool mouseEnabled() const { return mouseEnabled_; }
  // When off, the mouse neither highlights nor presses the button.
  void enableMouse(bool on) { mouseEnabled_ = on; }

  ButtonEffects setState(int state);

  // The cursor at a position (any coordinates, compared with the last one
  // seen): a real move inside highlights the button, tells the parent and
  // starts the hover timer. A button held down with the mouse stays pressed.
  ButtonEffects mouseMoved(QPoint position, bool inside);
  // Hover timer tick: once the cursor is outside, back to normal.
  ButtonEffects hoverTick(bool inside);
  ButtonEffects leftDown();
  // Ends a press made with leftDown(); released inside it is a click.
  ButtonEffects leftUp(bool inside);

  // The remote's OK: pressed at once, `nextState` after 100 ms, either by a
  // pause (`wait`) or by timer 222; the command is posted either way.
  ButtonEffects press(int nextState, bool wait);
  ButtonEffects finishPress();

 private:
  ButtonEffects change(int state);

  int state_ = kStateNormal;
  bool mouseEnabled_ = true;
  bool heldByMouse_ = false;
  std::optional<QPoint> lastPosition_;
  std::optional<int> pendingState_;
};

}  // namespace lumi::skin
