#include "common/suite/AutomationClass.h"

#include "platform/registry/Registry.h"

namespace lumi::suite {

using registry::Key;
using registry::Root;

bool RegisterAutomationClass(const AutomationClass& cls, const QString& programFile) {
  const QString classes = QStringLiteral("Software\\Classes\\");
  const QString classKey = classes + QStringLiteral("CLSID\\") + cls.classId;
  bool ok = Key::create(Root::LocalMachine, classes + cls.progId).writeString(QString(), cls.progId);
  ok &= Key::create(Root::LocalMachine, classes + cls.progId + QStringLiteral("\\CLSID")).writeString(QString(), cls.classId);
  ok &= Key::create(Root::LocalMachine, classKey).writeString(QString(), cls.progId);
  ok &= Key::create(Root::LocalMachine, classKey + QStringLiteral("\\ProgID")).writeString(QString(), cls.progId);
  ok &= Key::create(Root::LocalMachine, classKey + QStringLiteral("\\LocalServer32")).writeString(QString(), programFile);
  if (!cls.interfaceId.isEmpty()) {
    const QString interfaceKey = classes + QStringLiteral("Interface\\") + cls.interfaceId;
    ok &= Key::create(Root::LocalMachine, interfaceKey).writeString(QString(), cls.progId);
  }
  return ok;
}

bool StartedForAutomation(const QStringList& arguments) {
  for (QString argument : arguments) {
    // "/Embedding", "-Embedding" and "Embedding" alike, in any case.
    while (argument.startsWith(QLatin1Char('/')) || argument.startsWith(QLatin1Char('-'))) argument.remove(0, 1);
    if (argument.compare(QLatin1String("Embedding"), Qt::CaseInsensitive) == 0 ||
        argument.compare(QLatin1String("Automation"), Qt::CaseInsensitive) == 0)
      return true;
  }
  return false;
}

}  // namespace lumi::suite
