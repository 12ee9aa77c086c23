#include "common/skin/SkinButtonLogic.h"

#include <algorithm>

namespace lumi::skin {

ButtonEffects SkinButtonLogic::change(int state) {
  ButtonEffects effects;
  state = std::clamp(state, int(kStateNormal), int(kStatePressed));
  effects.redraw = state != state_;
  state_ = state;
  return effects;
}

ButtonEffects SkinButtonLogic::setState(int state) {
  ButtonEffects effects = change(state);
  effects.redraw = true;  // the window asks for a redraw at once
  return effects;
}

ButtonEffects SkinButtonLogic::mouseMoved(QPoint position, bool inside) {
  if (!mouseEnabled_ || (lastPosition_ && *lastPosition_ == position)) return {};
  lastPosition_ = position;
  if (!inside) return {};
  ButtonEffects effects = heldByMouse_ ? ButtonEffects{} : change(kStateFocused);
  effects.postHover = true;
  effects.startHoverTimer = true;
  return effects;
}

ButtonEffects SkinButtonLogic::hoverTick(bool inside) {
  if (inside) return {};
  ButtonEffects effects = change(kStateNormal);
  effects.stopHoverTimer = true;
  return effects;
}

ButtonEffects SkinButtonLogic::leftDown() {
  if (!mouseEnabled_ || state_ == kStatePressed) return {};
  heldByMouse_ = true;
  return change(kStatePressed);
}

ButtonEffects SkinButtonLogic::leftUp(bool inside) {
  if (!heldByMouse_) return {};
  heldByMouse_ = false;
  // Released outside, the press is withdrawn, as with any push button.
  ButtonEffects effects = change(inside ? kStateFocused : kStateNormal);
  effects.clicked = inside;
  return effects;
}

ButtonEffects SkinButtonLogic::press(int nextState, bool wait) {
  ButtonEffects effects = change(kStatePressed);
  effects.redraw = true;
  pendingState_ = std::clamp(nextState, int(kStateNormal), int(kStatePressed));
  effects.pauseThenFinish = wait;
  effects.startPressTimer = !wait;
  effects.postCommand = true;
  return effects;
}

ButtonEffects SkinButtonLogic::finishPress() {
  if (!pendingState_) return {};
  const int next = *pendingState_;
  pendingState_.reset();
  return change(next);
}

}  // namespace lumi::skin
