#pragma once
// Freshwell's main window: hidden while the check runs, the 800 x 600
// progress window once the user accepts, and the installation after the
// download. Every way out runs finish(), which tells the manager that the
// updater has closed, so the manager always goes on.
#include "updater/app/UpdateSession.h"
#include "updater/core/ProgressTexts.h"
#include "updater/core/UpdateInstaller.h"

#include <QLabel>
#include <QProgressBar>
#include <QWidget>

#include <memory>

namespace lumi::suite {
class SuiteWindow;
}

namespace lumi::updater {

class FreshwellWindow : public QWidget {
  Q_OBJECT

 public:
  FreshwellWindow(QString programFolder, bool show, QWidget* parent = nullptr);
  ~FreshwellWindow() override;

  // Starts the check; the window closes itself when the updater is done.
  void start();

 signals:
  void finished();

 private:
  void ask();
  void showProgress(const transfer::TransferStep& step);
  void install();
  void stopPrograms();
  void notice(const QString& text, const QString& title = {});
  void finish();
  void setTexts(const QString& fileName, qint64 filePosition, qint64 fileSize, qint64 total, qint64 totalSize);

  QString programFolder_;
  bool showSplash_;
  std::unique_ptr<suite::SuiteWindow> suiteWindow_;
  std::unique_ptr<QWidget> splash_;
  UpdateSession session_;
  UpdateFlags flags_;
  bool finishing_ = false;
  bool installing_ = false;
  ChunkTextGate textGate_;
  QString pendingVersion_;

  QLabel* headline_;
  QLabel* status_;
  QLabel* fileLabel_;
  QLabel* fileState_;
  QLabel* totalState_;
  QProgressBar* fileBar_;
  QProgressBar* totalBar_;
};

}  // namespace lumi::updater
