#pragma once
// The top menu's web-site button: the product's site opens in the desktop's
// browser over the shell, which stays as it is (no hiding, no display
// change). Each press opens it again.
#include "platform/open/OpenAction.h"

namespace lumi::shell {

inline constexpr char kProductSiteAddress[] = "http://www.lumicaster.example/";

// Whether the browser could be started is not looked at: if it cannot, the
// menu simply stays.
void OpenProductSite(open::OpenAction& action);

}  // namespace lumi::shell
