#pragma once
// Pseudo terminals in place of the receiver's port, and an owner that
// collects what a reader thread reports.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <utility>
#include <vector>

namespace lumi::manager {
class CSerialThread;
}

namespace lumi::test {

// A pseudo terminal pair: the reader opens path(), the test writes to the master.
class PtyLine {
 public:
  PtyLine();
  ~PtyLine();
  QString path() const { return path_; }
  bool write(const QByteArray& bytes);
  void closeMaster();
  // True while some program has the device end open.
  bool readerPresent() const;

 private:
  int master_ = -1;
  QString path_;
};

// Runs this thread's events until `done` holds or `timeoutMs` passes.
bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000);

class ReaderOwner : public QObject {
  Q_OBJECT

 public:
  explicit ReaderOwner(manager::CSerialThread& thread);
  std::vector<quint32> codes;
  std::vector<std::pair<int, bool>> reads;  // size, decoded
  int opened = 0;
  int failed = 0;
  std::vector<std::pair<int, QString>> failures;  // PortFailure, device
};

}  // namespace lumi::test
