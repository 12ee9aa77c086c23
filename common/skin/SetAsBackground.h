#pragma once
// Making a picture the user design's background (the photo viewer's "배경으로
// 지정"). What needs windows (the message dialog, the main window's picture,
// the repaint, the message to the manager) is the caller's, through
// BackgroundSwitchHost, so that this needs no desktop.
#include <QString>

#include "common/skin/SkinSettings.h"
#include "platform/desktop/Desktop.h"

namespace lumi::skin {

// "사용자 선택화면 디자인으로 전환합니다.\n관리자에서 자세하게 설정하실 수 있습니다."
inline constexpr int kSwitchToUserDesignText = 3317;

class BackgroundSwitchHost {
 public:
  virtual ~BackgroundSwitchHost() = default;
  // The message dialog with one button and string `textId`; returns when closed.
  virtual void ShowSwitchNotice(int textId) = 0;
  // The main window replaces its background picture from its settings
  // (LoadWindowBackground).
  virtual void ReloadMainBackground() = 0;
  // The window that asked repaints.
  virtual void RepaintAsker() = 0;
  // Tells the manager that the skin changed (NotifyManagerSkinChanged).
  virtual void NotifyManager() = 0;
};

enum class SetBackgroundResult {
  Switched,           // "Skin.ini" names the picture, the user design is on
  PictureUnreadable,  // nothing changed: the picture cannot be shown
  NotSaved,           // shown for this run, but "Skin.ini" could not be written
};

// While the built-in design is on, shows the switch notice first; then sets
// "Change" to 1 and "BackgroundImage" to the picture in "Skin.ini" and in
// `mainSettings`, reloads the main window's background, repaints the window
// that asked, and tells the manager.
SetBackgroundResult SetAsBackground(const QString& picture, SkinSettings& mainSettings, BackgroundSwitchHost& host);

// WM_COPYDATA with data word 1121 and no data, from `asker`, to the
// manager's window when it runs. False when it does not.
bool NotifyManagerSkinChanged(desktop::WindowId asker, desktop::Desktop& desktop = desktop::Desktop::instance());

}  // namespace lumi::skin
