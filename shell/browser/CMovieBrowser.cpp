#include "shell/browser/CMovieBrowser.h"

#include "common/skin/ClientPath.h"
#include "common/suite/RepaintPump.h"
#include "platform/text/StringTable.h"
#include "shell/frame/UsageReport.h"
#include "shell/launch/PlayerLaunch.h"
#include "shell/library/MovieFolder.h"
#include "shell/library/RecentList.h"

namespace lumi::shell {

using text::str;

CMovieBrowser::CMovieBrowser(CShellDialog* parent, ShellContext& context, QList<library::Drive> drives)
    : CMediaBrowser(parent, context, {library::MediaKind::Movie, 3279, {"AVI", "MPG", "ASF", "WMV"}, "MovieDrive", 8},
                    std::move(drives)) {}

QStringList CMovieBrowser::FileMarks() const { return library::MovieMarks(enabledTypes()); }

void CMovieBrowser::PlayFile(int index) {
  const QStringList& files = fileList();
  if (index < 0 || index >= files.size()) return;
  const QString chosen = files[index];
  switch (library::CheckReadable(chosen)) {
    case library::FileCheck::Missing: ShowMessage(3213); return;
    case library::FileCheck::Unreadable: ShowMessage(3214); return;
    case library::FileCheck::Readable: break;
  }
  const QString playlist = skin::ClientFile(str(3206));
  if (!library::WritePlaylist(playlist, library::BuildSeries(files, index))) {
    ShowMessage(3214);
    return;
  }
  StartPlayer(this, QStringLiteral("lst://") + playlist, true);
  library::RecentList recent(skin::ClientFile(QStringLiteral("Recent.dat")));
  recent.LoadRecent();
  recent.AddRecent(chosen.mid(chosen.lastIndexOf('/') + 1), str(3306), chosen);
  suite::RepaintOnly blocked;
  SendUsageReport(UsageKind::Movie, [&] { blocked.pump(); });
}

void OpenMovieBrowser(CShellDialog* parent) {
  auto* browser = new CMovieBrowser(parent, parent->context(), library::DetectDrives());
  browser->show();
  parent->hide();
}

}  // namespace lumi::shell
