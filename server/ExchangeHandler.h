#pragma once
// One exchange of the server (usage report, update, codec download) as seen
// from one client connection. Every session gets fresh handlers from the
// server's factories, so an exchange keeps its per-connection state (where a
// file transfer stands, which files the client listed) in its handler.
#include "common/protocol/ServerMessage.h"

#include <functional>
#include <memory>

namespace lumi::server {

class ClientSession;

class ExchangeHandler {
 public:
  virtual ~ExchangeHandler() = default;
  // The session offers each message to its handlers in turn; true when this
  // exchange took it. A handler answers through session.send() and ends the
  // connection with session.drop() when the client breaks the exchange.
  virtual bool handle(ClientSession& session, const protocol::ServerMessage& message) = 0;
};

using ExchangeFactory = std::function<std::unique_ptr<ExchangeHandler>()>;

}  // namespace lumi::server
