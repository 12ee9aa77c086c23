// What the manager decides for each message it may be sent: the action, its
// argument and the answer the sender gets. No window and no X server needed.
#include <gtest/gtest.h>

#include <ostream>

#include "common/suite/SuiteMessages.h"
#include "manager/window/ManagerMessages.h"

using namespace lumi;
using namespace lumi::manager;

namespace lumi::manager {
void PrintTo(const ManagerDecision& d, std::ostream* os) {
  *os << "{action " << static_cast<int>(d.action) << ", argument " << d.argument << ", reply ";
  if (d.reply) *os << *d.reply;
  else *os << "none";
  *os << "}";
}
}  // namespace lumi::manager

namespace {

struct Case {
  const char* name;
  std::uint32_t message;
  std::uint64_t wParam;
  std::uint64_t dataWord;
  ManagerDecision expected;
};

constexpr std::uint64_t kSender = 0x3a00007;

const Case kCases[] = {
    {"ping answers 1", suite::WM_SUITE_PING, 0, 0, {ManagerAction::None, 0, 1}},
    {"remote key", suite::WM_REMOTE_KEY, 17, 0, {ManagerAction::RemoteKey, 17, 0}},
    {"remote key: the power key is code 0", suite::WM_REMOTE_KEY, 0, 0, {ManagerAction::RemoteKey, 0, 0}},
    {"remote key: only the code's 32 bits", suite::WM_REMOTE_KEY, 0x1'0000'0005ull, 0, {ManagerAction::RemoteKey, 5, 0}},
    {"key target by message", suite::WM_SET_KEY_TARGET, kSender, 0, {ManagerAction::SetKeyTarget, kSender, 0}},
    {"key target 0: the window in front", suite::WM_SET_KEY_TARGET, 0, 0, {ManagerAction::SetKeyTarget, 0, 0}},
    {"copy-data 1135 claims the keys for its sender", desktop::WM_COPYDATA, kSender, suite::kCopyClaimKeys,
     {ManagerAction::SetKeyTarget, kSender, 1}},
    {"copy-data 1121 reloads the skin", desktop::WM_COPYDATA, kSender, suite::kCopySkinChanged,
     {ManagerAction::ReloadSkin, 0, 1}},
    {"copy-data 12 shows the window", desktop::WM_COPYDATA, kSender, suite::kCopySecondStart,
     {ManagerAction::ShowWindow, 0, 1}},
    {"copy-data the manager does not know answers 0", desktop::WM_COPYDATA, kSender, suite::kCopyPlayerClosing,
     {ManagerAction::None, 0, 0}},
    {"copy-data word 0 answers 0", desktop::WM_COPYDATA, kSender, 0, {ManagerAction::None, 0, 0}},
    {"reader opened", suite::WM_READER_OPENED, 0, 0, {ManagerAction::ReaderOpened, 0, 0}},
    {"reader open failed", suite::WM_READER_OPEN_FAILED, 0, 0, {ManagerAction::ReaderOpenFailed, 0, 0}},
    {"updater closed", suite::WM_UPDATER_CLOSED, 0, 0, {ManagerAction::UpdaterClosed, 0, 0}},
    {"update files pending: applied later, not inside the send", suite::WM_UPDATE_FILES_PENDING, 0, 0,
     {ManagerAction::PostApplyPendingUpdates, 0, 0}},
    {"apply pending updates", suite::WM_APPLY_PENDING_UPDATES, 0, 0, {ManagerAction::ApplyPendingUpdates, 0, 0}},
    {"close: the manager's exit", desktop::WM_CLOSE, 0, 0, {ManagerAction::Exit, 0, 0}},
    {"a tray notice is not the manager's message", suite::WM_TRAY_NOTIFY, 0, 0, {ManagerAction::None, 0, std::nullopt}},
    {"WM_USER is not taken", desktop::WM_USER, 0, 0, {ManagerAction::None, 0, std::nullopt}},
    {"an unknown number is not taken", 0x7fff, 1, 1, {ManagerAction::None, 0, std::nullopt}},
};

TEST(ManagerMessages, EachMessageGetsItsActionArgumentAndAnswer) {
  for (const Case& c : kCases) {
    for (bool posted : {false, true}) {
      desktop::WindowMessage m;
      m.message = c.message;
      m.wParam = c.wParam;
      m.dataWord = c.dataWord;
      m.posted = posted;
      EXPECT_EQ(ManagerMessages::decide(m), c.expected) << c.name << (posted ? " (posted)" : " (sent)");
    }
  }
}

TEST(ManagerMessages, OnlyCopyDataReadsTheDataWord) {
  // A data word left over on another message changes nothing.
  for (const Case& c : kCases) {
    if (c.message == desktop::WM_COPYDATA) continue;
    desktop::WindowMessage m;
    m.message = c.message;
    m.wParam = c.wParam;
    m.dataWord = suite::kCopySecondStart;
    EXPECT_EQ(ManagerMessages::decide(m), c.expected) << c.name;
  }
}

TEST(ManagerMessages, TheLowParameterAndTheRecordsBytesDoNotChangeTheDecision) {
  for (const Case& c : kCases) {
    desktop::WindowMessage m;
    m.message = c.message;
    m.wParam = c.wParam;
    m.dataWord = c.dataWord;
    m.lParam = -1;
    m.data = QByteArray(64, '\xff');
    EXPECT_EQ(ManagerMessages::decide(m), c.expected) << c.name;
  }
}

}  // namespace
