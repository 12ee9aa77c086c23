#include "shell/base/ShellContext.h"

#include "common/suite/PeerWindows.h"
#include "shell/base/CShellDialog.h"

namespace lumi::shell {

void ShellContext::SetCurrentWindow(CShellDialog* window) {
  current = window;
  if (window && !managerTitle.isEmpty()) suite::ClaimRemoteKeys(window->windowId(), managerTitle, *desktop);
}

}  // namespace lumi::shell
