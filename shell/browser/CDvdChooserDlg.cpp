#include "shell/browser/CDvdChooserDlg.h"

#include <QKeyEvent>
#include <QPainter>

#include "common/resources/BitmapIds.h"
#include "common/skin/BackgroundPicture.h"
#include "common/skin/ClientPath.h"
#include "common/skin/SkinPainter.h"
#include "common/suite/RepaintPump.h"
#include "common/suite/SuiteMessages.h"
#include "platform/text/StringTable.h"
#include "shell/base/WindowPlacement.h"
#include "shell/browser/CListView.h"
#include "shell/dialogs/CMessageDlg.h"
#include "shell/frame/UsageReport.h"
#include "shell/launch/PlayerLaunch.h"
#include "shell/library/RecentList.h"

namespace lumi::shell {

using text::str;

namespace {
constexpr std::uint32_t WM_COMMAND = 0x0111;

void sendUsage(UsageKind kind) {
  suite::RepaintOnly blocked;
  SendUsageReport(kind, [&] { blocked.pump(); });
}

void showNoDisc(CShellDialog* parent, int stringId) {
  CMessageDlg dlg(parent, parent->context());
  dlg.SetLine(str(stringId), 2);
  dlg.DoModal();
}
}  // namespace

CDvdChooserDlg::CDvdChooserDlg(CShellDialog* parent, ShellContext& context, const QList<library::Drive>& drives)
    : CShellDialog(parent, context), skin_(CurrentSkin()), fonts_(skin_), discs_(drives) {
  setWindowTitle(str(3128));
  background_ = skin::LoadWindowBackground(skin_, resources::kDvdChooserBackground);
  if (background_.isNull()) background_ = skin::LoadWindowBackground(skin_, resources::kScreenBackground);
  for (int i = 0; i < kButtons; ++i) {
    auto* b = new skin::CSkinButton(this, kFirstButton + i);
    b->SetBitmaps(resources::kMenuButtonNormal, resources::kMenuButtonFocused, resources::kMenuButtonPressed, 0, true);
    b->setGeometry(44, 102 + 55 * i, 290, 55);
    b->SetFont(fonts_.Button());
    b->SetLayout(0);
    b->SetCaption(i < discs_.dvdCount() ? discs_.dvdRoots[i] : QString());
    b->SetBackgroundProvider([this] { return background_; });
    b->SetTransparentFrom(skin_);
    connect(b, &skin::CSkinButton::hovered, this, [this](int id) { setFocusIndex(id - kFirstButton); });
    connect(b, &skin::CSkinButton::command, this, [this](int id) { PlayDvd(id - kFirstButton); });
    buttons_.append(b);
  }
  setFocusIndex(0);
}

void CDvdChooserDlg::setFocusIndex(int index) {
  focus_ = index;
  for (int i = 0; i < buttons_.size(); ++i) buttons_[i]->SetState(i == index ? 1 : 0);
}

void CDvdChooserDlg::PlayDvd(int index) {
  if (index < 0 || index >= discs_.dvdCount()) return;
  const QString root = discs_.dvdRoots[index];
  library::RecentList recent(skin::ClientFile(QStringLiteral("Recent.dat")));
  recent.LoadRecent();
  recent.AddRecent(discs_.dvdLabels[index], str(3309), root);
  sendUsage(UsageKind::Dvd);
  StartPlayer(this, QStringLiteral("dvd://") + root, false);
}

void CDvdChooserDlg::OnShellKey(int code) {
  switch (code) {
    case 3:
    case 5:
    case suite::KeyUp:
      if (focus_ > 0) setFocusIndex(focus_ - 1);
      return;
    case 7:
    case 9:
    case suite::KeyDown:
      if (focus_ < kButtons - 1) setFocusIndex(focus_ + 1);
      return;
    case suite::KeyOk: buttons_[focus_]->Press(1, true); return;
    case suite::KeyExit: DestroyWindow(); return;
    case suite::KeyLeft:
    case suite::KeyRight: return;
    default: CShellDialog::OnShellKey(code);
  }
}

std::optional<std::int64_t> CDvdChooserDlg::OnMessage(const desktop::WindowMessage& m) {
  if (m.message != WM_COMMAND) return std::nullopt;
  const int id = int(m.wParam & 0xFFFF);
  if (id == 100) DestroyWindow();
  else if (id >= kFirstButton && id < kFirstButton + kButtons) PlayDvd(id - kFirstButton);
  return 0;
}

void CDvdChooserDlg::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Escape: OnShellKey(suite::KeyExit); break;
    case Qt::Key_Return:
    case Qt::Key_Enter: OnShellKey(suite::KeyOk); break;
    case Qt::Key_Up: OnShellKey(suite::KeyUp); break;
    case Qt::Key_Down: OnShellKey(suite::KeyDown); break;
    case Qt::Key_F9: OnShellKey(suite::KeyPower); break;
    default: break;  // every other key is swallowed
  }
}

void CDvdChooserDlg::paintEvent(QPaintEvent*) {
  QImage frame(kShellWindowSize, QImage::Format_RGB32);
  frame.fill(Qt::black);
  QPainter painter(&frame);
  painter.drawImage(0, 0, background_);
  painter.setFont(fonts_.Title());
  painter.setPen(Qt::white);
  painter.drawText(QRect(QPoint(430, 20), QPoint(749, 119)), Qt::AlignRight | Qt::AlignVCenter, str(3157));
  painter.end();
  QPainter(this).drawImage(0, 0, frame);
}

QImage CDvdChooserDlg::Render() { return grab().toImage(); }

void PlayDvd(CShellDialog* menu) {
  const QList<library::Drive> drives = library::DetectDrives();
  DiscScanner discs(drives);
  if (discs.dvdCount() == 0) {
    showNoDisc(menu, 3233);
  } else if (discs.dvdCount() == 1) {
    WriteCurrentMonitor(menu);
    StartPlayer(menu, QStringLiteral("dvd://") + discs.dvdRoots[0], false);
    sendUsage(UsageKind::Dvd);
  } else {
    auto* chooser = new CDvdChooserDlg(menu, menu->context(), drives);
    chooser->show();
    menu->hide();
  }
}

void PlayVideoCd(CShellDialog* menu) {
  DiscScanner discs(library::DetectDrives());
  if (discs.vcdCount() == 0) {
    showNoDisc(menu, 3238);
    return;
  }
  // With several Video CDs the first in letter order plays.
  WriteCurrentMonitor(menu);
  StartPlayer(menu, QStringLiteral("vcd://") + discs.vcdRoots[0], false);
  sendUsage(UsageKind::VideoCd);
}

}  // namespace lumi::shell
