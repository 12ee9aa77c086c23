#include "platform/text/Language.h"

#include <QByteArray>
#include <QtGlobal>

namespace lumi::text {

Language systemLanguage() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const QByteArray value = qgetenv(name);
    if (!value.isEmpty()) return value.startsWith("ko") ? Language::Korean : Language::English;
  }
  return Language::English;
}

}  // namespace lumi::text
