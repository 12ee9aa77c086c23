#pragma once
// Starting the manager with the desktop (check box 1033): an XDG autostart
// entry, the desktop's counterpart of a shortcut in the start-up folder.
#include <QString>

namespace lumi::manager {

// $XDG_CONFIG_HOME/autostart, else ~/.config/autostart.
QString AutostartFolder();
// The entry's file: the shortcut's name (text 247) with ".desktop".
QString StartupEntryFile(const QString& name);
// Writes the entry (the folder is created when missing); `program` is the
// manager's program file.
bool CreateStartupEntry(const QString& name, const QString& program);
// True when no entry is left.
bool RemoveStartupEntry(const QString& name);

}  // namespace lumi::manager
