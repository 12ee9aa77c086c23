#include "updater/app/FreshwellWindow.h"

#include "common/dialog/MessageDialogModel.h"
#include "common/protocol/ServerAddress.h"
#include "common/suite/PeerWindows.h"
#include "common/suite/SuiteMessages.h"
#include "common/suite/SuiteWindow.h"
#include "common/transfer/TransferSession.h"
#include "common/version/VersionCompare.h"
#include "platform/registry/Registry.h"
#include "platform/text/StringTable.h"
#include "updater/app/UpdaterMessageDlg.h"
#include "updater/core/UpdateList.h"
#include "updater/core/UpdaterStrings.h"

#include <QDir>
#include <QFile>
#include <QFutureWatcher>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace lumi::updater {

namespace {

constexpr char kClientKey[] = "Software\\Quelmar\\Lumicaster\\Client";

int noticeMs() {
  bool ok = false;
  const int ms = qEnvironmentVariableIntValue("LUMICASTER_UPDATER_NOTICE_MS", &ok);
  return ok && ms > 0 ? ms : 5000;
}

QString fileNameText(const QString& name) { return text::str(strings::FileNameFormat).replace(QLatin1String("%s"), name); }

QLabel* label(QWidget* parent, const QString& text, QRect rect, int pixels) {
  auto* l = new QLabel(text, parent);
  QFont font = l->font();
  font.setPixelSize(pixels);
  font.setBold(true);
  l->setFont(font);
  l->setGeometry(rect);
  l->setStyleSheet(QStringLiteral("color: white;"));
  return l;
}

}  // namespace

FreshwellWindow::FreshwellWindow(QString programFolder, bool show, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint),
      programFolder_(std::move(programFolder)),
      showSplash_(show),
      session_(programFolder_) {
  setWindowTitle(text::str(strings::WindowTitle));
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, QColor(16, 24, 48));
  setPalette(p);
  resize(800, 600);
  headline_ = label(this, text::str(strings::Headline), QRect(20, 20, 760, 70), 60);
  status_ = label(this, text::str(strings::Checking), QRect(20, 100, 700, 40), 30);
  fileLabel_ = label(this, text::str(strings::FileNameLabel), QRect(20, 290, 780, 35), 30);
  fileState_ = label(this, text::str(strings::FileStateLabel), QRect(20, 330, 700, 35), 30);
  totalState_ = label(this, text::str(strings::TotalStateLabel), QRect(20, 430, 700, 35), 30);
  fileBar_ = new QProgressBar(this);
  fileBar_->setGeometry(20, 370, 700, 40);
  totalBar_ = new QProgressBar(this);
  totalBar_->setGeometry(20, 470, 700, 40);
  for (QProgressBar* bar : {fileBar_, totalBar_}) {
    bar->setRange(0, 100);
    bar->setValue(0);
  }

  suiteWindow_ = std::make_unique<suite::SuiteWindow>(this, [this](const desktop::WindowMessage& m)
                                                                -> std::optional<std::int64_t> {
    if (m.message == suite::WM_REMOTE_KEY) {
      // The window itself ignores keys; its message dialogs act on them.
      if (UpdaterMessageDlg* dialog = CurrentMessageDialog()) dialog->remoteKey(int(m.wParam));
      return 0;
    }
    if (m.message == desktop::WM_CLOSE) {
      finish();
      return 0;
    }
    return std::nullopt;
  });

  connect(&session_, &UpdateSession::noUpdate, this, [this] { finish(); });
  connect(&session_, &UpdateSession::newVersion, this, [this] { ask(); });
  connect(&session_, &UpdateSession::serverVersion, this, [this](const QString& serverVersion) {
    QString recorded;
    registry::Key::open(registry::Root::CurrentUser, QLatin1String(kClientKey))
        .readString(QStringLiteral("Version"), recorded);
    if (version::IsNewerVersion(recorded, serverVersion)) {
      pendingVersion_ = serverVersion;
      ask();
    } else {
      session_.close();
      finish();
    }
  });
  // After the message the updater ends: before the offer it has no control
  // anyone could close it with, and the manager waits for its closing.
  connect(&session_, &UpdateSession::serverEnds, this, [this] { finish(); });
  connect(&session_, &UpdateSession::lost, this, [this](const QString& text) {
    notice(text);
    finish();
  });
  connect(&session_, &UpdateSession::cannotOpen, this, [this] {
    notice(text::str(strings::Disconnecting), text::str(strings::CannotOpenFile));
    finish();
  });
  connect(&session_, &UpdateSession::failed, this, [this](const QString& why) {
    qWarning("Freshwell: transfer failed: %s", qPrintable(why));
    notice(text::str(strings::InstallFailed));
    finish();
  });
  connect(&session_, &UpdateSession::progress, this, &FreshwellWindow::showProgress);
  connect(&session_, &UpdateSession::downloaded, this, &FreshwellWindow::install);
}

FreshwellWindow::~FreshwellWindow() = default;

void FreshwellWindow::start() {
  // Invisible until an update is offered: placed at 0,0 with no size.
  setGeometry(0, 0, 0, 0);
  suite::ClaimRemoteKeys(suiteWindow_->id(), suite::managerTitle());
  if (showSplash_) {
    splash_ = std::make_unique<QWidget>(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    splash_->setWindowTitle(QStringLiteral("Freshwell Splash"));
    auto* layout = new QVBoxLayout(splash_.get());
    QLabel* text = label(splash_.get(), text::str(strings::Headline) + QLatin1Char('\n') + text::str(strings::Checking),
                         {}, 30);
    text->setAlignment(Qt::AlignCenter);
    layout->addWidget(text);
    splash_->setStyleSheet(QStringLiteral("background: rgb(16,24,48);"));
    splash_->resize(520, 160);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
      splash_->move(screen->geometry().center() - QPoint(260, 80));
    splash_->show();
  }
  const std::optional<QString> address = protocol::configuredServerAddress();
  if (!address) {
    notice(text::str(strings::RegistryError));
    return finish();
  }
  bool portOk = false;
  const int port = qEnvironmentVariableIntValue("LUMICASTER_SERVER_PORT", &portOk);
  if (session_.connectTo(*address, portOk ? quint16(port) : protocol::kServerPort) !=
      protocol::ConnectResult::Connected)
    return finish();
  session_.sendList(BuildUpdateList(programFolder_));
}

void FreshwellWindow::ask() {
  UpdaterMessageDlg question(dialog::kModeYesNo, text::str(strings::NewVersionQuestion),
                             text::str(strings::NewVersionTitle));
  if (RunMessageDialog(question) != dialog::kResultFirst) {
    session_.close();
    return finish();
  }
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QSize display = screen->size();
    setGeometry((display.width() - 800) / 2, (display.height() - 600) / 2, 800, 600);
  }
  show();
  raise();
  if (splash_) splash_->hide();
  status_->setText(text::str(strings::Downloading));
  session_.accept();
}

void FreshwellWindow::setTexts(const QString& fileName, qint64 filePosition, qint64 fileSize, qint64 total,
                               qint64 totalSize) {
  fileLabel_->setText(fileNameText(fileName));
  fileState_->setText(transfer::SizeText(filePosition) + QStringLiteral(" / ") + transfer::SizeText(fileSize));
  totalState_->setText(transfer::SizeText(total) + QStringLiteral(" / ") + transfer::SizeText(totalSize));
}

void FreshwellWindow::showProgress(const transfer::TransferStep& step) {
  const transfer::TransferSession* t = session_.transfer();
  using Kind = transfer::TransferStep::Kind;
  switch (step.kind) {
    case Kind::TransferStarted:
      totalBar_->setValue(0);
      return;
    case Kind::FileStarted:
      fileLabel_->setText(fileNameText(t->fileName()));
      fileBar_->setRange(0, 100);
      fileBar_->setValue(0);
      return;
    case Kind::Chunk:
    case Kind::FileCompleted: {
      if (textGate_.refresh(step.code)) setTexts(t->fileName(), t->filePosition(), t->fileSize(), t->totalReceived(), t->totalSize());
      if (auto percent = transfer::Percent(t->filePosition(), t->fileSize())) fileBar_->setValue(*percent);
      if (auto percent = transfer::Percent(t->totalReceived(), t->totalSize())) totalBar_->setValue(*percent);
      return;
    }
    default:
      return;
  }
}

void FreshwellWindow::install() {
  installing_ = true;
  // The version is recorded before the installation: a failed installation
  // is not offered again for the same server version.
  if (!pendingVersion_.isEmpty() &&
      !registry::Key::create(registry::Root::CurrentUser, QLatin1String(kClientKey))
           .writeString(QStringLiteral("Version"), pendingVersion_))
    notice(text::str(strings::RegistryError));
  const QString downloads = QDir(programFolder_).filePath(QStringLiteral("Update"));
  fileBar_->hide();
  fileState_->hide();
  fileBar_->setValue(0);
  totalBar_->setValue(0);
  status_->setText(text::str(strings::Unpacking));

  auto report = [this](const InstallProgress& p) {
    QMetaObject::invokeMethod(this, [this, p] {
      if (!p.fileName.isEmpty()) totalState_->setText(fileNameText(p.fileName));
      fileBar_->setValue(p.filePercent);
      totalBar_->setValue(p.totalPercent);
    });
  };
  auto* unpacking = new QFutureWatcher<UnpackResult>(this);
  connect(unpacking, &QFutureWatcher<UnpackResult>::finished, this, [this, unpacking, downloads, report] {
    const UnpackResult unpacked = unpacking->result();
    unpacking->deleteLater();
    flags_ = unpacked.flags;
    for (const QString& archive : unpacked.failedArchives) notice(QStringLiteral("Open failed"), archive);
    stopPrograms();
    status_->setText(text::str(strings::Installing));
    fileBar_->show();
    fileState_->show();
    auto* copying = new QFutureWatcher<InstallResult>(this);
    connect(copying, &QFutureWatcher<InstallResult>::finished, this, [this, copying] {
      const InstallResult result = copying->result();
      copying->deleteLater();
      if (result.ok) {
        notice(text::str(strings::InstallDone));
        // A program stopped for the installation ends before its file is
        // swapped; its new file was renamed into place already unless it was
        // in use, which leaves a ".Update" copy for the manager.
      } else {
        qWarning("Freshwell: installation failed: %s", qPrintable(result.error));
        notice(text::str(strings::InstallFailed));
      }
      installing_ = false;
      finish();
    });
    copying->setFuture(QtConcurrent::run([downloads, folder = programFolder_, report] {
      return InstallUpdate(downloads, folder, report);
    }));
  });
  unpacking->setFuture(QtConcurrent::run([downloads, report] { return UnpackUpdate(downloads, report); }));
}

void FreshwellWindow::stopPrograms() {
  totalBar_->setValue(0);
  fileBar_->setValue(0);
  fileLabel_->clear();
  totalState_->clear();
  status_->setText(text::str(strings::Stopping));
  auto stop = [](const QString& title, bool& flag) {
    if (!flag) return;
    const desktop::WindowId window = suite::FindPeerWindow(title);
    if (!window) {
      flag = false;  // not running: nothing to stop, nothing to restart
      return;
    }
    // A program that will not end in time is not waited for: its file is
    // replaced by rename all the same, and the program runs on the old one.
    suite::CloseSuiteProgram(window, suite::GoneWhen::WindowGone, 10000);
  };
  stop(suite::managerTitle(), flags_.stopManager);
  stop(suite::kShellTitle, flags_.stopShell);
}

void FreshwellWindow::notice(const QString& text, const QString& title) {
  UpdaterMessageDlg dialog(dialog::kModeOneButton, text, title, noticeMs());
  RunMessageDialog(dialog);
}

void FreshwellWindow::finish() {
  if (finishing_ || installing_) return;
  finishing_ = true;
  session_.close();
  desktop::Desktop& desktop = desktop::Desktop::instance();
  if (flags_.stopManager) {
    const QString manager = QDir(programFolder_).filePath(text::str(strings::ManagerFile));
    QProcess::startDetached(manager, {}, programFolder_);
  }
  if (flags_.pendingRename) {
    if (const desktop::WindowId manager = suite::FindPeerWindow(suite::managerTitle()))
      desktop.send(manager, suite::WM_UPDATE_FILES_PENDING, 0, 0);
  }
  if (const desktop::WindowId manager = suite::FindPeerWindow(suite::managerTitle()))
    desktop.send(manager, suite::WM_UPDATER_CLOSED, 0, 0);
  splash_.reset();
  hide();
  emit finished();
}

}  // namespace lumi::updater
