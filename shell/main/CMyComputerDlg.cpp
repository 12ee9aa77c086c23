#include "shell/main/CMyComputerDlg.h"

#include <QPainter>

#include "common/resources/BitmapIds.h"
#include "common/resources/BitmapSource.h"
#include "common/suite/SuiteMessages.h"
#include "platform/text/StringTable.h"
#include "shell/main/CMainDlg.h"
#include "shell/main/MenuLayouts.h"
#include "shell/browser/CDvdChooserDlg.h"
#include "shell/browser/CMovieBrowser.h"

namespace lumi::shell {

using namespace resources;

namespace {
// The illustration of each item, in button order ("위 로" has none).
constexpr int kIllustrations[] = {kIllustrationMovie, kIllustrationPhoto, kIllustrationMusic, kIllustrationDisc,
                                  kIllustrationDisc};
const QRect kIllustrationArea(360, 116, 400, 452);
}  // namespace

CMyComputerDlg::CMyComputerDlg(CShellDialog* parent, ShellContext& context, Actions actions)
    : CMenuScreen(parent, context, MyComputerButtons()), actions_(std::move(actions)) {
  setWindowTitle(text::str(3122));
  // The media library's screens unless the caller brings its own.
  if (!actions_.movies) actions_.movies = OpenMovieBrowser;
  if (!actions_.dvd) actions_.dvd = PlayDvd;
  if (!actions_.videoCd) actions_.videoCd = PlayVideoCd;
  const BitmapSource* source = currentBitmapSource();
  if (!skin_.IsUserDesign() && source)
    for (int id : kIllustrations)
      if (!illustrations_.contains(id)) illustrations_.insert(id, source->bitmap(id));
}

void CMyComputerDlg::OnButton(int index) {
  SetFocusIndex(index);
  const std::function<void(CShellDialog*)>* action = nullptr;
  switch (index) {
    case 0: action = &actions_.movies; break;
    case 1: action = &actions_.photos; break;
    case 2: action = &actions_.music; break;
    case 3: action = &actions_.dvd; break;
    case 4: action = &actions_.videoCd; break;
    default:
      DestroyWindow();  // "위 로": back to the main window
      return;
  }
  if (*action) (*action)(this);
}

void CMyComputerDlg::PaintContent(QPainter& painter) {
  PaintTitle(painter, text::str(3122), fonts_.Title());
  if (skin_.IsUserDesign() || focusIndex() >= 5) return;
  const QImage picture = illustrations_.value(kIllustrations[focusIndex()]);
  if (!picture.isNull()) painter.drawImage(kIllustrationArea.topLeft(), picture);
}

}  // namespace lumi::shell
