#include "shell/frame/UsageReport.h"

#include "common/protocol/ServerConnection.h"
#include "common/protocol/ServerMessage.h"

namespace lumi::shell {

QByteArray usageReportMessage(UsageKind kind) {
  return protocol::MessageBuilder(protocol::code::UsageReport).appendInt32(qint32(kind)).bytes();
}

bool SendUsageReport(UsageKind kind, const std::function<void()>& whileWaiting) {
  protocol::ConnectOptions options;
  options.deadline = protocol::ConnectDeadline::after(protocol::kConnectTimeoutSeconds);
  options.whileWaiting = whileWaiting;
  protocol::ServerConnection connection;
  if (connection.connectToServer(QString::fromLatin1(kStatisticsAddress), kStatisticsPort, options) !=
      protocol::ConnectResult::Connected)
    return false;
  const bool sent = connection.send(usageReportMessage(kind));
  connection.close();
  return sent;
}

}  // namespace lumi::shell
