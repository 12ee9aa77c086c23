#include "common/skin/ClientPath.h"

#include "platform/registry/Registry.h"

namespace lumi::skin {

QString GetClientPath() {
  using registry::Key;
  QString path;
  const Key key = Key::open(registry::Root::CurrentUser, QString::fromLatin1(kClientKeyPath));
  if (!key.isOpen() || !key.readString(QString::fromLatin1(kClientPathValue), path)) return {};
  if (!path.isEmpty() && !path.endsWith('/')) path += '/';
  return path;
}

QString ClientFile(const QString& name) { return GetClientPath() + name; }

}  // namespace lumi::skin
