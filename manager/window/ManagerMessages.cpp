#include "manager/window/ManagerMessages.h"

#include "common/suite/SuiteMessages.h"

namespace lumi::manager {

namespace {

ManagerDecision decision(ManagerAction action, std::int64_t reply, std::uint64_t argument = 0) {
  return {action, argument, reply};
}

// Copy-data records answer 1 when the data word is one the manager knows.
ManagerDecision copyData(const desktop::WindowMessage& m) {
  switch (m.dataWord) {
    case suite::kCopyClaimKeys:
      return decision(ManagerAction::SetKeyTarget, 1, m.wParam);
    case suite::kCopySkinChanged:
      return decision(ManagerAction::ReloadSkin, 1);
    case suite::kCopySecondStart:
      return decision(ManagerAction::ShowWindow, 1);
    default:
      return decision(ManagerAction::None, 0);
  }
}

}  // namespace

ManagerDecision ManagerMessages::decide(const desktop::WindowMessage& m) {
  switch (m.message) {
    case suite::WM_SUITE_PING:
      return decision(ManagerAction::None, 1);
    case suite::WM_REMOTE_KEY:
      // Remote codes are 32-bit; whatever else rides in the word is not part of the code.
      return decision(ManagerAction::RemoteKey, 0, static_cast<std::uint32_t>(m.wParam));
    case suite::WM_SET_KEY_TARGET:
      return decision(ManagerAction::SetKeyTarget, 0, m.wParam);
    case desktop::WM_COPYDATA:
      return copyData(m);
    case suite::WM_READER_OPENED:
      return decision(ManagerAction::ReaderOpened, 0);
    case suite::WM_READER_OPEN_FAILED:
      return decision(ManagerAction::ReaderOpenFailed, 0);
    case suite::WM_UPDATER_CLOSED:
      return decision(ManagerAction::UpdaterClosed, 0);
    case suite::WM_UPDATE_FILES_PENDING:
      return decision(ManagerAction::PostApplyPendingUpdates, 0);
    case suite::WM_APPLY_PENDING_UPDATES:
      return decision(ManagerAction::ApplyPendingUpdates, 0);
    case desktop::WM_CLOSE:
      return decision(ManagerAction::Exit, 0);
    default:
      return {};
  }
}

}  // namespace lumi::manager
