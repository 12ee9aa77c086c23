#include "shell/frame/ProductSite.h"

namespace lumi::shell {

void OpenProductSite(open::OpenAction& action) { action.open(QUrl(QString::fromLatin1(kProductSiteAddress))); }

}  // namespace lumi::shell
