#include "player/app/PlayerStartup.h"

#include <QApplication>
#include <gst/gst.h>

#include "common/suite/SuiteMessages.h"
#include "platform/instance/SingleInstance.h"
#include "platform/text/StringTable.h"
#include "player/app/CCinevaneDlg.h"
#include "player/core/CommandLine.h"

namespace lumi::player {

int RunPlayer(int argc, char** argv) {
  // The shell passes one argument; read it before Qt takes its own options.
  const QString commandLine = JoinArguments(argc, argv);
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  gst_init(nullptr, nullptr);
  text::setProgramStrings(text::StringTable::load(QStringLiteral(":/strings/player.tsv")));

  // A second start leaves the running player as it is, silently.
  SingleInstanceLock instance(suite::kPlayerTitle);
  if (!instance.acquired()) return 0;

  int code = 0;
  {
    CCinevaneDlg window(commandLine, QCoreApplication::applicationDirPath());
    if (window.start()) code = app.exec();
    else code = window.exitCode();
    if (window.exitCode() != 0) code = window.exitCode();
  }
  return code;
}

}  // namespace lumi::player
