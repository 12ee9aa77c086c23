#include "common/resources/BitmapIds.h"

namespace lumi::resources {

namespace {
constexpr QSize kScreen(800, 600);
constexpr QSize kMenuButton(290, 55);
constexpr QSize kShortButton(160, 46);
constexpr QSize kDialogButton(120, 46);
constexpr QSize kIllustration(400, 452);

const BitmapInfo kInfos[] = {
    {kFolderIcon, QSize(64, 64), "folder row icon"},
    {kMenuButtonPressed, kMenuButton, "menu button, pressed"},
    {kMenuButtonNormal, kMenuButton, "menu button"},
    {kMenuButtonFocused, kMenuButton, "menu button, focused"},
    {kShortButtonPressed, kShortButton, "short button, pressed"},
    {kShortButtonNormal, kShortButton, "short button"},
    {kShortButtonFocused, kShortButton, "short button, focused"},
    {kScreenBackground, kScreen, "screen background"},
    {kIllustrationDisc, kIllustration, "DVD / Video CD illustration"},
    {kIllustrationMovie, kIllustration, "movie illustration"},
    {kIllustrationMusic, kIllustration, "music illustration"},
    {kIllustrationPhoto, kIllustration, "photo illustration"},
    {kDriveIconCdRom, QSize(64, 64), "CD-ROM drive icon"},
    {kDriveIconFixed, QSize(64, 64), "fixed disk icon"},
    {kDialogButtonNormal, kDialogButton, "dialog button"},
    {kDialogButtonPressed, kDialogButton, "dialog button, pressed"},
    {kDialogButtonFocused, kDialogButton, "dialog button, focused"},
    {kDvdChooserBackground, kScreen, "DVD chooser background"},
    {kPlayRowPressed, QSize(43, 43), "play row, pressed"},
    {kPlayRowNormal, QSize(43, 43), "play row"},
    {kPlayRowFocused, QSize(43, 43), "play row, focused"},
    {kPageDownNormal, QSize(29, 29), "page down"},
    {kPageDownPressed, QSize(29, 29), "page down, pressed"},
    {kPageDownFocused, QSize(29, 29), "page down, focused"},
    {kPageUpNormal, QSize(29, 29), "page up"},
    {kPageUpPressed, QSize(29, 29), "page up, pressed"},
    {kPageUpFocused, QSize(29, 29), "page up, focused"},
    {kListRowPressed, QSize(570, 46), "list row, pressed"},
    {kListRowNormal, QSize(570, 46), "list row"},
    {kListRowFocused, QSize(570, 46), "list row, focused"},
    {kLogo, QSize(376, 452), "main window picture"},
    {kMovieFileIcon, QSize(64, 64), "movie file row icon"},
    {kDriveIconRemote, QSize(64, 64), "network drive icon"},
    {kMessageBackground, QSize(611, 345), "message dialog background"},
    {kCodecDownloadBackground, kScreen, "codec download background"},
    {kDriveIconRemovable, QSize(64, 64), "removable drive icon"},
};
}  // namespace

std::span<const BitmapInfo> builtInBitmaps() { return kInfos; }

}  // namespace lumi::resources
