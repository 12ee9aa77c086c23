#pragma once
// The suite's data directory: the string value "Path" of
// HKEY_CURRENT_USER\Software\Quelmar\Lumicaster\Client, the folder that holds
// the program files, "Skin.ini", "back.jpg", the catalogues and "Recent.dat".
// File names are appended to it directly, so it ends in "/".
#include <QString>

namespace lumi::skin {

inline constexpr char kClientKeyPath[] = "Software\\Quelmar\\Lumicaster\\Client";
inline constexpr char kClientPathValue[] = "Path";

// The value of "Path", with a "/" added when the stored value lacks it (a
// hand-edited registry); empty when the key or the value is missing, so that
// names are taken relative to the current folder.
QString GetClientPath();

// GetClientPath() followed directly by `name`.
QString ClientFile(const QString& name);

}  // namespace lumi::skin
