#include "shell/frame/ShellDisplay.h"

#include "platform/registry/Registry.h"

namespace lumi::shell {

using registry::Key;
using registry::Root;

ShellDisplay::ShellDisplay(display::DisplaySettings& settings, QString clientKey)
    : settings_(settings), clientKey_(std::move(clientKey)) {}

bool ShellDisplay::SaveDisplaySettings() {
  saved_ = settings_.currentMode();
  return saved_.has_value();
}

void ShellDisplay::readDisplayMode() {
  quint32 value = 0;
  if (Key::open(Root::CurrentUser, clientKey_).readDWord(QStringLiteral("Resolution"), value))
    displayMode_ = qint32(value);
}

void ShellDisplay::ApplyDisplayMode(bool televisionMode) {
  readDisplayMode();
  if (televisionMode) {
    if (displayMode_ != kTelevisionMode) return;
    const std::optional<display::DisplayMode> current = settings_.currentMode();
    if (!current) return;
    if (current->width != kTelevisionWidth && current->height != kTelevisionHeight) {
      if (settings_.changeMode({kTelevisionWidth, kTelevisionHeight, current->refreshHz})) switched_ = true;
    }
    return;
  }
  // A display this shell switched is given back even when "Resolution" was
  // changed to windowed meanwhile: the setting governs switching, and must
  // not strand the desktop at 800 x 600 after the shell is gone.
  if (displayMode_ != kTelevisionMode && !switched_) return;
  if (!saved_) return;
  if (settings_.changeMode(*saved_)) switched_ = false;
}

}  // namespace lumi::shell
