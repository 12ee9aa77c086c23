#pragma once
// The "open" action through xdg-open, started detached: the desktop's own
// choice of browser or viewer, living on when the caller exits.
#include "platform/open/OpenAction.h"

#include <QString>

namespace lumi::open {

class XdgOpenAction : public OpenAction {
 public:
  explicit XdgOpenAction(QString program = QStringLiteral("xdg-open")) : program_(std::move(program)) {}
  bool open(const QUrl& target) override;

 private:
  QString program_;
};

}  // namespace lumi::open
