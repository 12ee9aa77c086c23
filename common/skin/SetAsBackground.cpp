#include "common/skin/SetAsBackground.h"

#include <QImageReader>

#include "common/suite/PeerWindows.h"
#include "common/suite/SuiteMessages.h"

namespace lumi::skin {

SetBackgroundResult SetAsBackground(const QString& picture, SkinSettings& mainSettings, BackgroundSwitchHost& host) {
  // Switching to a picture that cannot be shown would leave the user with an
  // empty screen and a stored design that stays so.
  QImageReader probe(picture);
  if (picture.isEmpty() || !probe.canRead()) {
    qWarning("skin: %s cannot be read as a picture; the background stays as it is", qPrintable(picture));
    return SetBackgroundResult::PictureUnreadable;
  }

  SkinSettings current(mainSettings.File());
  current.Load();
  if (!current.IsUserDesign()) host.ShowSwitchNotice(kSwitchToUserDesignText);

  const bool changeSaved = mainSettings.SetChange(1);
  const bool pictureSaved = mainSettings.SetBackgroundImage(picture);
  host.ReloadMainBackground();
  host.RepaintAsker();
  if (!changeSaved || !pictureSaved) return SetBackgroundResult::NotSaved;
  host.NotifyManager();
  return SetBackgroundResult::Switched;
}

bool NotifyManagerSkinChanged(desktop::WindowId asker, desktop::Desktop& desktop) {
  const desktop::WindowId manager = suite::FindPeerWindow(suite::managerTitle(), desktop);
  if (!manager) return false;
  desktop.sendCopyData(manager, asker, suite::kCopySkinChanged, {});
  return true;
}

}  // namespace lumi::skin
