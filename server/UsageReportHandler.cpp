#include "server/UsageReportHandler.h"

#include "common/protocol/MessageCodes.h"
#include "server/ClientSession.h"
#include "server/UsageLog.h"

namespace lumi::server {

bool UsageReportHandler::handle(ClientSession& session, const protocol::ServerMessage& message) {
  if (message.code != protocol::code::UsageReport) return false;
  protocol::PayloadReader reader(message.payload);
  qint32 kind = 0;
  if (!reader.readInt32(kind)) {
    // A report without its number is no report: count nothing, and do not
    // keep talking to a client that does not speak the protocol.
    session.drop(QStringLiteral("usage report without a usage kind"));
    return true;
  }
  log_.record(kind);
  return true;
}

}  // namespace lumi::server
