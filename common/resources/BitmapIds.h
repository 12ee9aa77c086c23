#pragma once
// The bitmaps of the built-in design that the programs take from
// "Resources.dll", by id. Ids named by the windows that use them are fixed;
// 661 (the shell's screen background) and 755-757 (list rows) are this
// library's own choice for pictures the windows need but do not number.
#include <QSize>
#include <span>

namespace lumi::resources {

enum BitmapId : int {
  // 64 x 64 media library icons with their own transparency: folder rows
  kFolderIcon = 145,
  // wide menu buttons, 290 x 55 (main window, "내 컴퓨터", DVD chooser)
  kMenuButtonPressed = 655,
  kMenuButtonNormal = 656,
  kMenuButtonFocused = 657,
  // short buttons, 160 x 46 (exit, "위 로", side buttons, chooser)
  kShortButtonPressed = 658,
  kShortButtonNormal = 659,
  kShortButtonFocused = 660,
  // 800 x 600 background of the main window and the shell pages
  kScreenBackground = 661,
  // 400 x 452 illustrations of the focused "내 컴퓨터" item, drawn at (360, 116)
  kIllustrationDisc = 662,   // "DVD" and "Video CD"
  kIllustrationMovie = 663,
  kIllustrationMusic = 664,
  kIllustrationPhoto = 665,
  // 64 x 64 drive icons: CD-ROM and fixed disk
  kDriveIconCdRom = 677,
  kDriveIconFixed = 679,
  // message dialog buttons, 120 x 46
  kDialogButtonNormal = 680,
  kDialogButtonPressed = 681,
  kDialogButtonFocused = 682,
  // 800 x 600 background of the DVD chooser
  kDvdChooserBackground = 739,
  // recent list: play a row (43 x 43), page down and page up (29 x 29)
  kPlayRowPressed = 744,
  kPlayRowNormal = 745,
  kPlayRowFocused = 746,
  kPageDownNormal = 749,
  kPageDownPressed = 750,
  kPageDownFocused = 751,
  kPageUpNormal = 752,
  kPageUpPressed = 753,
  kPageUpFocused = 754,
  // list view rows, 570 x 46
  kListRowPressed = 755,
  kListRowNormal = 756,
  kListRowFocused = 757,
  // 376 x 452 picture of the main window, drawn at (370, 105)
  kLogo = 758,
  // 64 x 64 icons: movie file rows, network drive
  kMovieFileIcon = 806,
  kDriveIconRemote = 814,
  // 611 x 345 message dialog background
  kMessageBackground = 2001,
  // 800 x 600 codec download background
  kCodecDownloadBackground = 2011,
  // 64 x 64 removable drive icon
  kDriveIconRemovable = 2021,
};

struct BitmapInfo {
  int id;
  QSize size;
  const char* role;
};

// Every bitmap above with its size, ascending by id.
std::span<const BitmapInfo> builtInBitmaps();

}  // namespace lumi::resources
