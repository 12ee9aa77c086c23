#pragma once
// A suite-test-window process started by a test, with its log.
#include <QProcess>
#include <QStringList>

#include "platform/desktop/Desktop.h"

namespace lumi::test {

class PeerProcess {
 public:
  // Starts suite-test-window with --window-title and extra arguments, and waits
  // until it reports its window.
  PeerProcess(const QString& title, const QStringList& extra, const QString& logFile);
  ~PeerProcess();

  bool ready() const { return window_ != 0; }
  desktop::WindowId window() const { return window_; }
  qint64 pid() const { return process_.processId(); }
  QProcess& process() { return process_; }
  QStringList logLines() const;
  // Waits until the log holds a line starting with `prefix`.
  bool waitForLog(const QString& prefix, int timeoutMs = 5000) const;

 private:
  QProcess process_;
  QString log_;
  desktop::WindowId window_ = 0;
};

}  // namespace lumi::test
