#pragma once
// A program's top-level window as a suite window: findable by its title,
// answering the identity query and receiving the suite's messages.
#include <QPointer>
#include <QWidget>
#include <functional>
#include <optional>

#include "platform/desktop/Desktop.h"

namespace lumi::suite {

// Answers one message; nullopt leaves it to the default handling: WM_CLOSE
// closes the window, anything else answers 0.
using SuiteMessageHandler = std::function<std::optional<std::int64_t>(const desktop::WindowMessage&)>;

class SuiteWindow {
 public:
  enum class Ping { Answer, Ignore };

  SuiteWindow(QWidget* window, SuiteMessageHandler handler, Ping ping = Ping::Answer,
              desktop::Desktop& desktop = desktop::Desktop::instance());
  ~SuiteWindow();
  SuiteWindow(const SuiteWindow&) = delete;
  SuiteWindow& operator=(const SuiteWindow&) = delete;

  desktop::WindowId id() const { return id_; }

 private:
  desktop::Desktop& desktop_;
  QPointer<QWidget> window_;
  desktop::WindowId id_ = 0;
};

}  // namespace lumi::suite
