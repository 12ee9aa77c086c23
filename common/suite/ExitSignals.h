#pragma once
// The signals that ask a program to end (SIGTERM from a logout or another
// program, SIGINT from a terminal, SIGHUP when the session goes away) turned
// into a Qt signal on the user-interface thread, so that the program leaves
// through its own exit steps instead of dying in the middle of its work.
#include <QObject>

class QSocketNotifier;

namespace lumi::suite {

class ExitSignals : public QObject {
  Q_OBJECT

 public:
  // Takes SIGTERM, SIGINT and SIGHUP for this process; one object at a time.
  explicit ExitSignals(QObject* parent = nullptr);
  // Gives the signals their default handling back.
  ~ExitSignals() override;

 signals:
  // Delivered through the event loop; the number of the signal that came.
  void exitRequested(int signal);

 private:
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace lumi::suite
