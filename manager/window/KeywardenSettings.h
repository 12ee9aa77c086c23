#pragma once
// The manager's own settings under HKCU "Software\Quelmar\Lumicaster":
//
//   \Keywarden  "ComPort" "Remote" "LaunchAfterConnect" "Startup" "ToTrayOnLaunch"
//               "ToTrayOnPower" "KeyboardMessage" "SelUser"   DWORD
//               "Name"                                         string, the window title
//   \Client     "Path"        string, the suite's program folder ending in "/"
//               "Resolution"  DWORD, read by the shell
//
// ComPort and Remote belong to the receiver (RemoteSettings.h); they are read
// and written here too so that the window has every value in one place.
#include <QString>
#include <QtGlobal>

namespace lumi::manager {

inline const QString kClientKey = QStringLiteral("Software\\Quelmar\\Lumicaster\\Client");

struct KeywardenSettings {
  quint32 comPort = 0;
  quint32 remote = 0;
  quint32 launchAfterConnect = 0;
  quint32 startup = 0;
  quint32 toTrayOnLaunch = 0;
  quint32 toTrayOnPower = 0;
  quint32 keyboardMessage = 0;
  // -1: nobody; there is no user to select before the key exists.
  qint32 selUser = -1;
  quint32 resolution = 0;

  // Reads "\Keywarden", creating it when it is missing; every missing value
  // is written with its default, and "Name" is written either way. `created`
  // tells whether the key was new. False when the key could not be created.
  static bool LoadOrCreate(const QString& windowTitle, KeywardenSettings& out, bool* created = nullptr);
  // The values the window writes again at exit.
  bool SaveAtExit() const;
  // One check box, written as soon as it is clicked.
  static bool WriteValue(const QString& name, quint32 value);
  static bool WriteResolution(quint32 value);
};

enum class ClientPathResult { Ok, NoSuiteKey, NoClientKey, NoPath };
// Makes sure the suite key and "\Client" exist and that "Path" has a value,
// writing `programFolder` (with a trailing "/") when it has none.
ClientPathResult EnsureClientPath(const QString& programFolder);
// The English message of a failed check (texts 260-262), empty for Ok.
int ClientPathMessageId(ClientPathResult result);

}  // namespace lumi::manager
