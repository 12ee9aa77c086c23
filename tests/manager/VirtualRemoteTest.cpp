// The virtual remote: its packets decode to the codes of the buttons it
// names, and the program drives a real reader through a pseudo terminal.
#include <gtest/gtest.h>

#include <QProcess>

#include "manager/core/KeyMaps.h"
#include "manager/core/RemoteDecoder.h"
#include "manager/core/RemoteSettings.h"
#include "manager/core/SerialThread.h"
#include "tests/manager/ManagerTestSupport.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TestPaths.h"
#include "tools/virtual-remote/RemoteButtons.h"

using namespace lumi::manager;
using namespace lumi::virtualremote;
using Codes = std::vector<quint32>;

namespace {

quint32 decoded(RemoteModel model, const QByteArray& packet) {
  ReadBuffer buffer{};
  std::copy(packet.begin(), packet.end(), buffer.begin());
  const auto codes = decodeRead(buffer, int(packet.size()), model);
  EXPECT_EQ(codes.size(), 1u);
  return codes.empty() ? 0 : codes.front();
}

TEST(VirtualRemote, NamedButtonsDecodeToTheirCodes) {
  struct Case {
    RemoteModel model;
    const char* name;
    quint32 code;
  };
  const Case cases[] = {
      {RemoteModel::A, "Down", 0xFFFFFFD3},      {RemoteModel::A, "OK", 0x52},
      {RemoteModel::A, "Enter (OK)", 0x52},      {RemoteModel::A, "ent (ok) - enter", 0x52},
      {RemoteModel::A, "1", 0xFFFFFF82},         {RemoteModel::A, "1 (MP3)", 0xFFFFFF82},
      {RemoteModel::A, "Rew", 0x38},             {RemoteModel::A, "Power", 0xFFFFFFF0},
      {RemoteModel::A, "Mode", 0xFFFFFFF2},      {RemoteModel::A, "0xB0", 0xFFFFFFB0},
      {RemoteModel::A, "PC", 0xFFFFFFD4},        {RemoteModel::A, "Vol+", 0x60},
      {RemoteModel::B, "Up", 0x3F0245},          {RemoteModel::B, "OK", 0x3F0A45},
      {RemoteModel::B, "Rew", 0x3F1C44},         {RemoteModel::B, "Home", 0x3F0145},
      {RemoteModel::B, "5", 0x3F0545},           {RemoteModel::B, "Display", 0x3F1346},
      {RemoteModel::B, "Identify", 77},          {RemoteModel::B, "TaskSwitch", 0x3F1D45},
      {RemoteModel::B, "0x3F0245", 0x3F0245},    {RemoteModel::B, "Align Both", 0x3F2D45},
  };
  for (const Case& c : cases) {
    QString why;
    const auto press = pressFor(c.model, c.name, &why);
    ASSERT_TRUE(press) << c.name << ": " << why.toStdString();
    EXPECT_EQ(press->code, c.code) << c.name;
    EXPECT_EQ(decoded(c.model, press->bytes), c.code) << c.name;
  }
  EXPECT_EQ(pressFor(RemoteModel::B, "raw:45 02 3F")->bytes, QByteArray("\x45\x02\x3F", 3));
  for (const char* bad : {"Nope", "0x1234", "raw:4", "raw:zz", "", "Identify"})
    EXPECT_FALSE(pressFor(RemoteModel::A, bad)) << bad;
}

TEST(VirtualRemote, EveryListedButtonDecodesBackAndRewindIs24OnBothModels) {
  for (const RemoteModel model : {RemoteModel::A, RemoteModel::B}) {
    const auto list = buttonList(model);
    EXPECT_EQ(list.size(), 35u);
    for (const ButtonInfo& button : list) {
      EXPECT_FALSE(button.names.isEmpty()) << button.code;
      EXPECT_EQ(decoded(model, packetFor(model, button.code)), button.code);
      const auto byName = pressFor(model, button.names.first());
      ASSERT_TRUE(byName) << button.names.first().toStdString();
      EXPECT_EQ(byName->code, button.code) << button.names.first().toStdString();
    }
    const auto rewind = pressFor(model, "Rewind");
    ASSERT_TRUE(rewind);
    const KeyLookup key = lookupKey(model, TargetKind::Suite, kInitialInputMode, decoded(model, rewind->bytes));
    EXPECT_EQ(key.action, (KeyAction{.kind = KeyAction::Kind::SuiteKey, .suiteKey = 24}));
  }
}

TEST(VirtualRemote, TheProgramDrivesAReaderOnTheMappedPort) {
  lumi::test::PrivateEnvironment env;
  ASSERT_TRUE(writeRemoteModel(RemoteModel::B));
  ASSERT_TRUE(writeComPort(1));
  const QString before = env.file("no-receiver");
  ASSERT_TRUE(mapPort(2, before));
  QProcess remote;
  remote.start(lumi::test::binary("virtual-remote"),
               {"--model", "B", "--map", "COM2", "--gap", "80", "--linger", "200", "Up", "Rew", "Identify", "Nope"});
  ASSERT_TRUE(remote.waitForFinished(5000));
  EXPECT_EQ(remote.exitCode(), 2) << "an unknown name sends nothing";
  EXPECT_TRUE(remote.readAllStandardError().contains("Nope"));

  remote.start(lumi::test::binary("virtual-remote"),
               {"--model", "B", "--map", "COM2", "--gap", "80", "--linger", "200", "Up", "Rew", "Identify"});
  ASSERT_TRUE(remote.waitForStarted());
  ASSERT_TRUE(lumi::test::waitUntil([&] { return remote.canReadLine(); }));
  const QString device = QString::fromLocal8Bit(remote.readLine()).trimmed();
  EXPECT_TRUE(device.startsWith("/dev/pts/")) << device.toStdString();
  ASSERT_TRUE(lumi::test::waitUntil([&] { return portDevice(2) == device; }));

  CSerialThread thread;
  lumi::test::ReaderOwner owner(thread);
  thread.begin(0);
  ASSERT_TRUE(lumi::test::waitUntil([&] { return owner.codes.size() == 3; }, 10000));
  EXPECT_EQ(owner.codes, (Codes{0x3F0245, 0x3F1C44, 77})) << "each button goes out twice; the second is dropped";
  ASSERT_TRUE(remote.waitForFinished(5000));
  EXPECT_EQ(remote.exitCode(), 0);
  EXPECT_EQ(portDevice(2), before) << "the port points where it did before, not at the machine's own port";
  EXPECT_TRUE(lumi::test::waitUntil([&] { return owner.failed == 1; })) << "its end hangs the line up";
}

}  // namespace
