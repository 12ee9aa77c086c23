#include "common/dialog/MessageForms.h"

#include <algorithm>

namespace lumi::dialog {

namespace {

// Which fixed font draws the lines and which the captions is not written in
// the programs' forms; these pick the 30-pixel bold face for the lines (the
// size the shell's skin font has by default) and the 27-pixel one for the
// captions, which must fit 120 x 46 buttons.
constexpr FixedFont kPlayerFonts[] = {
    {"HY울릉도M", 40, 700}, {"HY울릉도M", 30, 700}, {"굴림", 30, 100}, {"굴림", 27, 700}};
constexpr FixedFont kPlayerSideFonts[] = {{"HY울릉도M", 30, 700}, {"굴림", 30, 100}, {"굴림", 27, 700}};
// The updater names sizes and weights only: its faces are the system's.
constexpr FixedFont kUpdaterFonts[] = {{"", 40, 700}, {"", 30, 700}, {"", 30, 100}, {"", 27, 700}};

const MessageForm kShell{
    .program = Program::Shell,
    .templateId = 0,
    .firstButtonId = 1271,
    .secondButtonId = 1255,
    .okString = 3117,
    .cancelString = 3118,
    .yesString = 3188,
    .noString = 3189,
    .titleString = 3231,
    .skinButtonFont = true,
    .fixedFonts = {},
    .lineFont = -1,
    .captionFont = -1,
    .scrollTimerId = 215,
    .otherTimerId = 0,
    .loadsLibraryItself = false,
    .missingLibraryText = nullptr,
    .placement = Placement::MonitorCentre,
    .oneButton = {235, 270},
    .twoButtons = {{150, 270}, {360, 270}},
    .buttonSize = kDialogButtonSize,
    .bitmaps = kDialogButtonBitmaps,
    .transportKeys = false,
};

const MessageForm kPlayer{
    .program = Program::Player,
    .templateId = 200,
    .firstButtonId = 1041,
    .secondButtonId = 1042,
    .okString = 117,
    .cancelString = 118,
    .yesString = 188,
    .noString = 189,
    .titleString = 0,
    .skinButtonFont = false,
    .fixedFonts = kPlayerFonts,
    .lineFont = 1,
    .captionFont = 3,
    .scrollTimerId = 51,
    .otherTimerId = 50,
    .loadsLibraryItself = true,
    .missingLibraryText = "Resources.dll이 없습니다.",
    .placement = Placement::MonitorCentre,
    .oneButton = {235, 270},
    .twoButtons = {{150, 270}, {360, 270}},
    .buttonSize = kDialogButtonSize,
    .bitmaps = kDialogButtonBitmaps,
    .transportKeys = false,
};

// The column on the right starts at (440, 80); the second button keeps the
// 60-pixel pitch of the shell's button columns.
const MessageForm kPlayerSide{
    .program = Program::PlayerSide,
    .templateId = 200,
    .firstButtonId = 1041,
    .secondButtonId = 1042,
    .okString = 117,
    .cancelString = 118,
    .yesString = 188,
    .noString = 189,
    .titleString = 0,
    .skinButtonFont = false,
    .fixedFonts = kPlayerSideFonts,
    .lineFont = 0,
    .captionFont = 2,
    .scrollTimerId = 51,
    .otherTimerId = 50,
    .loadsLibraryItself = true,
    .missingLibraryText = "에러 : Resources.dll 파일을 찾을 수 없습니다.",
    .placement = Placement::MonitorCentre,
    .oneButton = {440, 80},
    .twoButtons = {{440, 80}, {440, 140}},
    .buttonSize = kDialogButtonSize,
    .bitmaps = kDialogButtonBitmaps,
    .transportKeys = false,
};

const MessageForm kUpdater{
    .program = Program::Updater,
    .templateId = 200,
    .firstButtonId = 1041,
    .secondButtonId = 1042,
    .okString = 117,
    .cancelString = 118,
    .yesString = 188,
    .noString = 189,
    .titleString = 0,
    .skinButtonFont = false,
    .fixedFonts = kUpdaterFonts,
    .lineFont = 1,
    .captionFont = 3,
    .scrollTimerId = 215,
    .otherTimerId = 214,
    .loadsLibraryItself = true,
    .missingLibraryText = "Resources.dll이 없습니다.",
    .placement = Placement::ScreenCentre,
    .oneButton = {235, 270},
    .twoButtons = {{150, 270}, {360, 270}},
    .buttonSize = kDialogButtonSize,
    .bitmaps = kDialogButtonBitmaps,
    .transportKeys = true,
};

constexpr ChoiceVariant kVariants[] = {
    {kExitTemplate,
     4,
     {QRect(QPoint(20, 250), kDialogButtonSize), QRect(QPoint(170, 250), kDialogButtonSize),
      QRect(QPoint(320, 250), kDialogButtonSize), QRect(QPoint(470, 250), kDialogButtonSize)},
     kDialogButtonBitmaps},
    {kBackgroundChooserTemplate,
     2,
     {QRect(QPoint(205, 130), kChoiceButtonSize), QRect(QPoint(205, 200), kChoiceButtonSize)},
     kShortButtonBitmaps},
    // The column menus of the media pages take the chooser's short buttons:
    // the same 200 x 46 size in the same column.
    {kItemMenuTemplate,
     3,
     {QRect(QPoint(205, 120), kChoiceButtonSize), QRect(QPoint(205, 170), kChoiceButtonSize),
      QRect(QPoint(205, 220), kChoiceButtonSize)},
     kShortButtonBitmaps},
    {kMusicMenuTemplate,
     3,
     {QRect(QPoint(205, 120), kChoiceButtonSize), QRect(QPoint(205, 170), kChoiceButtonSize),
      QRect(QPoint(205, 220), kChoiceButtonSize)},
     kShortButtonBitmaps},
    {kPhotoMenuTemplate,
     4,
     {QRect(QPoint(205, 120), kChoiceButtonSize), QRect(QPoint(205, 170), kChoiceButtonSize),
      QRect(QPoint(205, 220), kChoiceButtonSize), QRect(QPoint(205, 270), kChoiceButtonSize)},
     kShortButtonBitmaps},
};

}  // namespace

const MessageForm& ShellForm() { return kShell; }
const MessageForm& PlayerForm() { return kPlayer; }
const MessageForm& PlayerSideForm() { return kPlayerSide; }
const MessageForm& UpdaterForm() { return kUpdater; }

const MessageForm& FormOf(Program program) {
  switch (program) {
    case Program::Player:
      return kPlayer;
    case Program::PlayerSide:
      return kPlayerSide;
    case Program::Updater:
      return kUpdater;
    case Program::Shell:
      break;
  }
  return kShell;
}

QPoint DialogPosition(const MessageForm& form, const QRect& monitor, QSize display, QSize dialog) {
  if (form.placement == Placement::ScreenCentre)
    return {display.width() / 2 - dialog.width() / 2, display.height() / 2 - dialog.height() / 2};
  return {monitor.left() + (monitor.width() - dialog.width()) / 2,
          monitor.top() + (monitor.height() - dialog.height()) / 2};
}

std::span<const ChoiceVariant> ChoiceVariants() { return kVariants; }

const ChoiceVariant* ChoiceVariantFor(int templateId) {
  const auto found =
      std::find_if(std::begin(kVariants), std::end(kVariants), [&](const ChoiceVariant& v) { return v.templateId == templateId; });
  return found == std::end(kVariants) ? nullptr : &*found;
}

}  // namespace lumi::dialog
