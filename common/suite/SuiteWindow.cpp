#include "common/suite/SuiteWindow.h"

#include "common/suite/SuiteMessages.h"

namespace lumi::suite {

SuiteWindow::SuiteWindow(QWidget* window, SuiteMessageHandler handler, Ping ping, desktop::Desktop& desktop)
    : desktop_(desktop), window_(window) {
  QPointer<QWidget> target(window);
  id_ = desktop_.registerWindow(window, [handler = std::move(handler), ping, target](const desktop::WindowMessage& m) {
    // The identity query is answered at once, with no side effects.
    if (m.message == WM_SUITE_PING && ping == Ping::Answer) return std::int64_t{1};
    std::optional<std::int64_t> answer = handler ? handler(m) : std::nullopt;
    if (answer) return *answer;
    if (m.message == desktop::WM_CLOSE && target) target->close();
    return std::int64_t{0};
  });
}

SuiteWindow::~SuiteWindow() {
  if (window_) desktop_.unregisterWindow(id_);
}

}  // namespace lumi::suite
