#pragma once
// The updater's side of the update exchange on one server connection: the
// file list, the server's answer, and the download into "Update" through
// the shared transfer session.
//
// A server that goes quiet ends the exchange as a lost connection after the
// inactivity time-out (counted from the last complete message), so the
// updater never waits for ever; LUMICASTER_TRANSFER_TIMEOUT_MS sets it.
#include "common/protocol/ServerConnection.h"
#include "common/transfer/TransferSession.h"
#include "common/version/VersionList.h"

#include <QObject>
#include <QTimer>

#include <memory>

namespace lumi::updater {

inline constexpr int kDefaultTransferTimeoutMs = 60000;

class UpdateSession : public QObject {
  Q_OBJECT

 public:
  UpdateSession(QString programFolder, QObject* parent = nullptr);
  ~UpdateSession() override;

  protocol::ConnectResult connectTo(const QString& address, quint16 port);
  void sendList(const QList<version::VersionEntry>& entries);
  // The user said yes: the download folder is emptied (leftovers of an
  // earlier run are never installed) and 2045 goes out.
  void accept();
  void close();
  const transfer::TransferSession* transfer() const { return transfer_.get(); }

 signals:
  void noUpdate();                        // 2032
  void serverVersion(const QString& v);   // 2033, blanks removed
  void newVersion();                      // 2068
  void serverEnds();                      // 2034, 2050
  void cannotOpen();                      // 2040
  void progress(const lumi::transfer::TransferStep& step);
  void downloaded();                      // 2051 with every file complete
  void failed(const QString& why);        // the transfer broke: nothing is installed
  void lost(const QString& text);         // "Connection closed" / "Socket Error"

 private:
  void onMessage(qint32 code, const QByteArray& payload);
  bool send(const QByteArray& bytes);

  QString programFolder_;
  protocol::ServerConnection connection_;
  std::unique_ptr<transfer::TransferSession> transfer_;
  QTimer inactivity_;
};

}  // namespace lumi::updater
