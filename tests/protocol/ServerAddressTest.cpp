// Finding the server address in the registry (a private hive folder).
#include "common/protocol/ServerAddress.h"
#include "common/protocol/ServerConnection.h"
#include "platform/registry/Registry.h"
#include "tests/support/TestPaths.h"

#include <QTcpServer>

#include <gtest/gtest.h>

#include <optional>

namespace lumi::protocol {
namespace {

using registry::Key;
using registry::Root;

struct AddressCase {
  const char* name;
  bool createKey;
  const char* url0;  // nullptr: value absent
  const char* url1;
  std::optional<QString> expected;
};

class ServerAddress : public ::testing::TestWithParam<AddressCase> {};

TEST_P(ServerAddress, PrefersUrl0ThenUrl1) {
  const AddressCase& c = GetParam();
  test::PrivateEnvironment environment;
  if (c.createKey) {
    Key key = Key::create(Root::CurrentUser, kServerKeyPath);
    ASSERT_TRUE(key.isOpen());
    if (c.url0) {
      ASSERT_TRUE(key.writeString("URL0", c.url0));
    }
    if (c.url1) {
      ASSERT_TRUE(key.writeString("URL1", c.url1));
    }
  }
  EXPECT_EQ(configuredServerAddress(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Registry, ServerAddress,
    ::testing::Values(AddressCase{"Both", true, "127.0.0.2", "127.0.0.3", QString("127.0.0.2")},
                      AddressCase{"OnlyUrl0", true, "updates.local", nullptr, QString("updates.local")},
                      AddressCase{"OnlyUrl1", true, nullptr, "127.0.0.3", QString("127.0.0.3")},
                      AddressCase{"KeyWithoutValues", true, nullptr, nullptr, std::nullopt},
                      AddressCase{"NoKey", false, nullptr, nullptr, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ServerAddress, NonStringUrl0CountsAsAbsent) {
  test::PrivateEnvironment environment;
  Key key = Key::create(Root::CurrentUser, kServerKeyPath);
  ASSERT_TRUE(key.writeDWord("URL0", 7));
  ASSERT_TRUE(key.writeString("URL1", "127.0.0.1"));
  EXPECT_EQ(configuredServerAddress(), QString("127.0.0.1"));
}

TEST(ServerAddress, ConfiguredAddressConnects) {
  test::PrivateEnvironment environment;
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
  ASSERT_TRUE(Key::create(Root::CurrentUser, kServerKeyPath).writeString("URL1", "localhost"));
  const std::optional<QString> address = configuredServerAddress();
  ASSERT_TRUE(address.has_value());
  ServerConnection client;
  EXPECT_EQ(client.connectToServer(*address, server.serverPort()), ConnectResult::Connected);
}

}  // namespace
}  // namespace lumi::protocol
