#pragma once
// The update exchange, server side, for one client:
//
//   U 2066 × n, 2067        the installed files and their versions
//   S 2032                  nothing to update (the client ends), or
//   S 2033 {version, ""}    / 2068: an update exists
//   U 2045                  the user accepts (a close is a "no")
//   S 2047 {files, 0, total}; U 2049
//   per out-of-date file:   S 2038 "<File>.zip", size; U 2042;
//                           S 2042 / 2043 … / 2044 chunks, one per client
//                           2042/2043; U 2041; S 2041; U 2049
//   S 2048; U 2051; S 2051  the client installs
//
// Messages out of order are logged and ignored; a 2051 from the client
// during the transfer is its abort and ends the session, as does a list of
// more than kMaxListedFiles entries.
#include "server/ExchangeHandler.h"
#include "server/UpdateCatalogue.h"

#include <QList>
#include <QString>

namespace lumi::server {

class UpdateExchangeHandler : public ExchangeHandler {
 public:
  static constexpr int kMaxListedFiles = 10000;
  // While the question is on the television the client is silent for as
  // long as the user takes; the session waits up to this long for 2045.
  static constexpr int kAnswerTimeoutMs = 3600 * 1000;

  UpdateExchangeHandler(const UpdateCatalogue& catalogue, int chunkSize)
      : catalogue_(catalogue), chunkSize_(chunkSize > 0 ? chunkSize : 1) {}
  bool handle(ClientSession& session, const protocol::ServerMessage& message) override;

 private:
  enum class State {
    Listing,
    Offered,
    AwaitTransferGo,  // 2047 sent
    AwaitReady,       // 2038 sent
    Sending,          // a chunk sent, more to come
    AwaitFileAck,     // 2044 sent
    AwaitStepGo,      // 2041 sent
    AwaitFinishAck,   // 2048 sent
    Done,
  };

  void offer(ClientSession& session);
  void nextFileOrEnd(ClientSession& session);
  void sendChunk(ClientSession& session, qint32 code);
  void ignore(ClientSession& session, qint32 code);

  const UpdateCatalogue& catalogue_;
  int chunkSize_;
  State state_ = State::Listing;
  QList<std::pair<QString, QString>> listed_;
  QList<const CatalogueFile*> pending_;
  qsizetype fileIndex_ = -1;
  qint64 offset_ = 0;
  bool reportedDisorder_ = false;
  int idleBeforeOffer_ = 0;
};

}  // namespace lumi::server
