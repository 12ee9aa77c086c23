#include "common/protocol/ServerAddress.h"

#include "platform/registry/Registry.h"

namespace lumi::protocol {

std::optional<QString> configuredServerAddress() {
  using registry::Key;
  const Key key = Key::open(registry::Root::CurrentUser, QString::fromLatin1(kServerKeyPath));
  if (!key.isOpen()) return std::nullopt;
  QString address;
  if (key.readString(QString::fromLatin1(kPrimaryAddressValue), address) ||
      key.readString(QString::fromLatin1(kSecondaryAddressValue), address))
    return address;
  return std::nullopt;
}

}  // namespace lumi::protocol
