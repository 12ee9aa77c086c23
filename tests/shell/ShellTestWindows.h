#pragma once
// Windows for tests of the shell's screens on the in-process desktop: a shell
// screen that records its key commands, and another program's window that
// records the messages it gets.
#include <QWidget>
#include <memory>
#include <vector>

#include "common/suite/SuiteMessages.h"
#include "common/suite/SuiteWindow.h"
#include "shell/base/CShellDialog.h"

namespace lumi::test {

// A screen with no keys of its own: it records each key command and passes
// it on to the base window, as every screen does with the codes it leaves alone.
class RecordingScreen : public shell::CShellDialog {
 public:
  using CShellDialog::CShellDialog;
  std::vector<int> keys;

 protected:
  void OnShellKey(int code) override {
    keys.push_back(code);
    CShellDialog::OnShellKey(code);
  }
};

struct RecordingPeer {
  RecordingPeer(desktop::Desktop& d, const QString& title, std::int64_t answer = 1) {
    widget.setWindowTitle(title);
    window = std::make_unique<suite::SuiteWindow>(
        &widget,
        [this, answer](const desktop::WindowMessage& m) -> std::optional<std::int64_t> {
          received.push_back(m);
          return answer;
        },
        suite::SuiteWindow::Ping::Answer, d);
  }
  // The windows announced as the key target (WM_COPYDATA 1135), in order.
  std::vector<std::uint64_t> keyTargets() const {
    std::vector<std::uint64_t> out;
    for (const desktop::WindowMessage& m : received)
      if (m.message == desktop::WM_COPYDATA && m.dataWord == suite::kCopyClaimKeys) out.push_back(m.wParam);
    return out;
  }
  QWidget widget;
  std::unique_ptr<suite::SuiteWindow> window;
  std::vector<desktop::WindowMessage> received;
};

}  // namespace lumi::test
