#pragma once
// The client side of the file transfer that the updater and the player share,
// apart from any socket or window: the program hands in each server message
// and gets back the replies to send and what happened, and shows progress
// from the session's counters.
//
//   2047 total size            -> 2049
//   2039 folder                -> create it, 2049
//   2037 / 2038 name, size     -> start the file, 2042
//   2042 / 2043 chunk          -> append, 2043
//   2044 last chunk            -> append, complete the file, 2041
//   2041                       -> 2049
//   2048 (updater)             -> 2051
//   2051                       -> the program installs what it received
//   2040                       -> the server cannot open the file
//
// A server is not trusted. Every name is confined to the download folder
// (DownloadFolder), sizes are capped per file and per session and checked
// against the free space before anything is created, and a file takes its
// name only when exactly the announced bytes have arrived. A file that cannot
// be created is answered with 2051 alone (the server is told to stop, and no
// data is asked for). A message that breaks the exchange (a chunk without a
// file, bytes beyond the announced size, a short last chunk, a new file or
// the end while a file is incomplete, a malformed payload) ends the session
// the same way: 2051, the incomplete file removed. After such an end the
// session takes no more messages.
#include "common/transfer/DownloadFolder.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace lumi::transfer {

struct TransferLimits {
  qint64 maxFileBytes = qint64(1) << 30;
  qint64 maxSessionBytes = qint64(2) << 30;
};

enum class TransferRole { Updater, Player };

struct TransferStep {
  enum class Kind {
    NotTransfer,       // not a transfer message: the program's own
    Ignored,           // the session has ended
    TransferStarted,   // 2047
    FolderCreated,     // 2039
    FileStarted,       // 2037, 2038
    Chunk,             // 2042, 2043
    FileCompleted,     // 2044
    StepFinished,      // 2041
    AllFilesSent,      // 2048
    Finished,          // 2051: install
    ServerCannotOpen,  // 2040
    FileRefused,       // a file or folder could not be made: `error` says why
    ProtocolError,     // the server broke the exchange: `error` says how
  };
  Kind kind = Kind::NotTransfer;
  qint32 code = 0;
  // To send, in order.
  QList<QByteArray> replies;
  QString error;
  // The player's 2051: the package file named by the server.
  QString packageName;

  bool ends() const {
    return kind == Kind::ServerCannotOpen || kind == Kind::FileRefused || kind == Kind::ProtocolError;
  }
};

class TransferSession {
 public:
  TransferSession(QString downloadFolder, TransferRole role, TransferLimits limits = {});
  ~TransferSession();

  TransferStep handle(qint32 code, const QByteArray& payload);
  // The connection is gone: the incomplete file is removed.
  void abandon();

  bool ended() const { return ended_; }
  bool fileOpen() const { return file_.has_value(); }

  // Progress: the current (or last) file and the whole transfer. Sizes are
  // what the server announced; counts are bytes actually stored.
  const QString& fileName() const { return fileName_; }
  qint64 fileSize() const { return fileSize_; }
  qint64 filePosition() const { return filePosition_; }
  qint64 totalSize() const { return totalSize_; }
  qint64 totalReceived() const { return totalReceived_; }
  // Chunk messages (2042-2044) handled so far in this session.
  qint64 chunkMessages() const { return chunkMessages_; }
  // Names of the files completed in this session, as the server gave them.
  const QStringList& receivedFiles() const { return receivedFiles_; }
  DownloadFolder& folder() { return folder_; }

 private:
  TransferStep fail(TransferStep step, TransferStep::Kind kind, const QString& error);
  TransferStep startFile(TransferStep step, const QByteArray& payload);
  TransferStep chunk(TransferStep step, const QByteArray& payload);

  DownloadFolder folder_;
  TransferRole role_;
  TransferLimits limits_;
  bool ended_ = false;
  std::optional<PartialFile> file_;
  QString fileName_;
  qint64 fileSize_ = 0;
  qint64 filePosition_ = 0;
  qint64 totalSize_ = 0;
  qint64 totalReceived_ = 0;
  qint64 announced_ = 0;
  qint64 chunkMessages_ = 0;
  QStringList receivedFiles_;
};

// part × 100 / whole in 64 bits, kept within 0..100; nothing when whole is 0
// or less (a bar keeps its position then).
std::optional<int> Percent(qint64 part, qint64 whole);

// "%d Bytes" below 1024, "%d KB" (rounded down) up to 1048575, "%.2lf MB" above.
QString SizeText(qint64 bytes);

}  // namespace lumi::transfer
