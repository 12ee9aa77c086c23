#pragma once
// Where the programs find their server. The installation writes the
// address; the programs only read it.
#include <QString>

#include <optional>

namespace lumi::protocol {

// Under HKEY_CURRENT_USER.
inline constexpr char kServerKeyPath[] = "Software\\Quelmar\\Lumicaster\\Server";
inline constexpr char kPrimaryAddressValue[] = "URL0";
inline constexpr char kSecondaryAddressValue[] = "URL1";
// A server on this machine: the player's second try, and the default of
// every address the suite builds in.
inline constexpr char kLocalServerAddress[] = "127.0.0.1";

// "URL0", or "URL1" when "URL0" is absent; nothing when the key or both
// values are missing. The text is a dotted IPv4 address or a host name, as
// ServerConnection::connectToServer() takes it.
std::optional<QString> configuredServerAddress();

}  // namespace lumi::protocol
