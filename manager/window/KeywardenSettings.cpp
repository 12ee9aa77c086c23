#include "manager/window/KeywardenSettings.h"

#include "manager/core/RemoteSettings.h"
#include "platform/registry/Registry.h"

namespace lumi::manager {
namespace {

using registry::Key;
using registry::Root;

struct Entry {
  const char* name;
  quint32 KeywardenSettings::* field;
};

constexpr Entry kEntries[] = {
    {"ComPort", &KeywardenSettings::comPort},
    {"Remote", &KeywardenSettings::remote},
    {"LaunchAfterConnect", &KeywardenSettings::launchAfterConnect},
    {"Startup", &KeywardenSettings::startup},
    {"ToTrayOnLaunch", &KeywardenSettings::toTrayOnLaunch},
    {"ToTrayOnPower", &KeywardenSettings::toTrayOnPower},
    {"KeyboardMessage", &KeywardenSettings::keyboardMessage},
};

}  // namespace

bool KeywardenSettings::LoadOrCreate(const QString& windowTitle, KeywardenSettings& out, bool* created) {
  out = KeywardenSettings{};
  Key key = Key::open(Root::CurrentUser, kKeywardenKey);
  const bool fresh = !key.isOpen();
  if (created) *created = fresh;
  if (fresh) {
    key = Key::create(Root::CurrentUser, kKeywardenKey);
    if (!key.isOpen()) return false;
  }
  // A value that is missing gets its default written, not only on a fresh
  // key: mapping a port ("\Ports") creates the key before the manager first
  // runs, and the other programs read these values too.
  for (const Entry& e : kEntries)
    if (!key.readDWord(QString::fromLatin1(e.name), out.*e.field)) key.writeDWord(QString::fromLatin1(e.name), out.*e.field);
  quint32 sel = 0;
  if (key.readDWord(QStringLiteral("SelUser"), sel)) out.selUser = static_cast<qint32>(sel);
  else key.writeDWord(QStringLiteral("SelUser"), static_cast<quint32>(out.selUser));
  key.writeString(QStringLiteral("Name"), windowTitle);
  const Key client = Key::open(Root::CurrentUser, kClientKey);
  if (client.isOpen()) client.readDWord(QStringLiteral("Resolution"), out.resolution);
  return true;
}

bool KeywardenSettings::SaveAtExit() const {
  Key key = Key::create(Root::CurrentUser, kKeywardenKey);
  if (!key.isOpen()) return false;
  bool ok = true;
  for (const char* name : {"ToTrayOnLaunch", "ToTrayOnPower", "KeyboardMessage", "LaunchAfterConnect", "ComPort", "Remote"})
    for (const Entry& e : kEntries)
      if (qstrcmp(e.name, name) == 0) ok &= key.writeDWord(QString::fromLatin1(name), this->*e.field);
  return WriteResolution(resolution) && ok;
}

bool KeywardenSettings::WriteValue(const QString& name, quint32 value) {
  Key key = Key::create(Root::CurrentUser, kKeywardenKey);
  return key.isOpen() && key.writeDWord(name, value);
}

bool KeywardenSettings::WriteResolution(quint32 value) {
  Key key = Key::create(Root::CurrentUser, kClientKey);
  return key.isOpen() && key.writeDWord(QStringLiteral("Resolution"), value);
}

ClientPathResult EnsureClientPath(const QString& programFolder) {
  if (!Key::create(Root::CurrentUser, kSuiteKey).isOpen()) return ClientPathResult::NoSuiteKey;
  Key client = Key::create(Root::CurrentUser, kClientKey);
  if (!client.isOpen()) return ClientPathResult::NoClientKey;
  QString path;
  if (client.readString(QStringLiteral("Path"), path) && !path.isEmpty()) return ClientPathResult::Ok;
  QString folder = programFolder;
  if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
  return client.writeString(QStringLiteral("Path"), folder) ? ClientPathResult::Ok : ClientPathResult::NoPath;
}

int ClientPathMessageId(ClientPathResult result) {
  switch (result) {
    case ClientPathResult::Ok: return 0;
    case ClientPathResult::NoSuiteKey: return 260;
    case ClientPathResult::NoClientKey: return 261;
    case ClientPathResult::NoPath: return 262;
  }
  return 0;
}

}  // namespace lumi::manager
