#include "player/app/PlayerStartup.h"

#include <QApplication>
#include <gst/gst.h>

#include <dlfcn.h>
#include <fontconfig/fontconfig.h>

#include <filesystem>
#include <thread>

#include "common/suite/SuiteMessages.h"
#include "platform/instance/SingleInstance.h"
#include "platform/text/StringTable.h"
#include "player/app/CCinevaneDlg.h"
#include "player/core/CommandLine.h"
#include "player/core/StartTrace.h"

namespace lumi::player {

int RunPlayer(int argc, char** argv) {
  // The shell passes one argument; read it before Qt takes its own options.
  StartTrace("main");
  const QString commandLine = JoinArguments(argc, argv);
  // GStreamer's start (reading its plugin registry, loading the plugins every
  // movie needs) and Qt's (its connection to the display) need nothing of
  // each other: they run side by side, and GStreamer is used only after both.
  std::thread gstreamerStart([] {
    gst_init(nullptr, nullptr);
    for (const char* name : {"coreelements", "playback", "typefindfunctions", "ximagesink", "videoconvertscale",
                             "volume", "audioconvert", "audioresample", "autodetect"})
      if (GstPlugin* plugin = gst_plugin_load_by_name(name)) gst_object_unref(plugin);
    // The caption filter's module and its text libraries, and fontconfig's
    // configuration that its first text layout reads: loaded here, they are
    // ready when the filter is registered and started. The handle is kept;
    // the module stays loaded while the player runs in any case.
    std::error_code error;
    const auto module = std::filesystem::read_symlink("/proc/self/exe", error).parent_path() / "CaptionBlend.ax";
    if (!error) dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
    FcInit();
    StartTrace("gst_init");
  });
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  StartTrace("application");
  gstreamerStart.join();
  text::setProgramStrings(text::StringTable::load(QStringLiteral(":/strings/player.tsv")));

  // A second start leaves the running player as it is, silently.
  SingleInstanceLock instance(suite::kPlayerTitle);
  if (!instance.acquired()) return 0;
  StartTrace("instance lock");

  int code = 0;
  {
    CCinevaneDlg window(commandLine, QCoreApplication::applicationDirPath());
    StartTrace("window constructed");
    if (window.start()) code = app.exec();
    else code = window.exitCode();
    if (window.exitCode() != 0) code = window.exitCode();
  }
  return code;
}

}  // namespace lumi::player
