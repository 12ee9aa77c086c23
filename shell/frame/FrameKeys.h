#pragma once
// Where the shell frame keeps its settings in HKEY_CURRENT_USER.
#include <QString>

namespace lumi::shell {

inline const QString kFrameRootKey = QStringLiteral("Software\\Quelmar\\Lumicaster");
inline const QString kFrameClientKey = QStringLiteral("Software\\Quelmar\\Lumicaster\\Client");

}  // namespace lumi::shell
