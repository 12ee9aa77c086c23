#pragma once
// The about dialog (100), opened from the window's menu: the manager's icon,
// its name and the version note of its own program file.
#include <QDialog>

#include "platform/text/StringTable.h"

class QLabel;

namespace lumi::manager {

class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  // `programFile` is read for its version note ("0,0,0,0" without one).
  AboutDialog(const text::StringTable& strings, const QString& programFile, const QIcon& icon,
              QWidget* parent = nullptr);
  QString versionLine() const;

 private:
  QLabel* version_ = nullptr;
};

}  // namespace lumi::manager
