#include "shell/base/MenuNavigation.h"

#include <Qt>

#include "common/suite/SuiteMessages.h"

namespace lumi::shell {

using namespace suite;

void MenuNavigation::SetFocus(int index) {
  if (index >= 0 && index < count_) focus_ = index;
}

std::optional<MenuNavigation::Step> MenuNavigation::OnKey(int code) {
  if (count_ <= 0) return std::nullopt;
  switch (code) {
    case KeyOk:
      return Step{focus_, true};
    case KeyExit:
      focus_ = count_ - 1;
      return Step{focus_, true};
    case KeyUp:
    case KeyLeft:
      focus_ = focus_ == 0 ? count_ - 1 : focus_ - 1;
      return Step{focus_};
    case KeyDown:
    case KeyRight:
      focus_ = focus_ == count_ - 1 ? 0 : focus_ + 1;
      return Step{focus_};
    case KeyChannelUp:
      focus_ = 0;
      return Step{focus_};
    case KeyChannelDown:
      focus_ = count_ - 1;
      return Step{focus_};
    default:
      return std::nullopt;
  }
}

MenuKey TranslateMenuKey(int qtKey) {
  auto code = [](int c) { return MenuKey{MenuKey::Code, c}; };
  switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return code(KeyOk);
    case Qt::Key_Escape:
      return code(KeyExit);
    case Qt::Key_PageUp:
    case Qt::Key_Home:
      return code(KeyChannelUp);
    case Qt::Key_PageDown:
    case Qt::Key_End:
      return code(KeyChannelDown);
    case Qt::Key_Left:
    case Qt::Key_Up:
      return code(KeyUp);
    case Qt::Key_Right:
    case Qt::Key_Down:
      return code(KeyDown);
    case Qt::Key_F9:
      return code(KeyPower);
    case Qt::Key_F1:
      return MenuKey{MenuKey::Swallow};
    default:
      break;
  }
  // Digits of the main keyboard and of the keypad (Qt tells them apart by
  // modifier only): 1-9 are codes 2-10, 0 is 11.
  if (qtKey >= Qt::Key_1 && qtKey <= Qt::Key_9) return code(KeyDigit1 + (qtKey - Qt::Key_1));
  if (qtKey == Qt::Key_0) return code(KeyDigit0);
  return {};
}

}  // namespace lumi::shell
