#pragma once
// The statistics exchange: the shell connects, sends one usage report (2074,
// int32 usage kind) and closes. Nothing is answered.
#include "server/ExchangeHandler.h"

namespace lumi::server {

class UsageLog;

class UsageReportHandler : public ExchangeHandler {
 public:
  explicit UsageReportHandler(UsageLog& log) : log_(log) {}
  bool handle(ClientSession& session, const protocol::ServerMessage& message) override;

 private:
  UsageLog& log_;
};

}  // namespace lumi::server
