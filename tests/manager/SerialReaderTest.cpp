// The reader thread on real pseudo terminals: decoding, the alternation rule,
// a model change in the registry, garbage on the line, open failures and a
// device that goes away while it is read.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "manager/core/PortFailure.h"
#include "manager/core/ReceiverReturnWatch.h"
#include "manager/core/RemoteDecoder.h"
#include "manager/core/SerialDevices.h"
#include "manager/core/RemoteSettings.h"
#include "manager/core/SerialThread.h"
#include "platform/registry/Registry.h"
#include "tests/manager/ManagerTestSupport.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TestPaths.h"

namespace lumi::manager {
inline void PrintTo(const SerialDevice& d, std::ostream* os) {
  *os << "{" << d.path.toStdString() << ", " << d.description.toStdString() << "}";
}
}  // namespace lumi::manager

using namespace lumi::manager;
using lumi::test::PtyLine;
using lumi::test::ReaderOwner;
using lumi::test::waitUntil;
using Codes = std::vector<quint32>;
using Reads = std::vector<std::pair<int, bool>>;

namespace {

QByteArray packetA(quint8 code) {
  QByteArray packet(10, '\0');
  packet[3] = char(code);
  return packet;
}

QByteArray bytes(std::initializer_list<int> values) {
  QByteArray out;
  for (int v : values) out += char(v);
  return out;
}

// A reader on COM1, which the registry maps to a fresh pseudo terminal.
struct Receiver {
  explicit Receiver(RemoteModel model) {
    EXPECT_FALSE(line.path().isEmpty());
    EXPECT_TRUE(mapPort(1, line.path()));
    EXPECT_TRUE(writeComPort(0));
    EXPECT_TRUE(writeRemoteModel(model));
    thread.begin(3);
  }
  // Writes, then waits until the reader has taken one more read.
  void send(const QByteArray& data) {
    const size_t before = owner.reads.size();
    ASSERT_TRUE(line.write(data));
    ASSERT_TRUE(waitUntil([&] { return owner.reads.size() > before; })) << "no read after " << data.toHex().toStdString();
  }

  lumi::test::PrivateEnvironment env;
  PtyLine line;
  CSerialThread thread;
  ReaderOwner owner{thread};
};

TEST(SerialSettings, PortsMapToDevicesAndComPortIsCreatedWhenMissing) {
  lumi::test::PrivateEnvironment env;
  EXPECT_EQ(portDevice(1), "/dev/ttyS0");
  EXPECT_EQ(portDevice(4), "/dev/ttyS3");
  EXPECT_EQ(portDevice(0), "");
  EXPECT_EQ(portDevice(5), "");
  EXPECT_TRUE(mapPort(2, "ttyUSB0"));
  EXPECT_TRUE(mapPort(3, "/dev/pts/7"));
  EXPECT_EQ(portDevice(2), "/dev/ttyUSB0");
  EXPECT_EQ(portDevice(3), "/dev/pts/7");
  EXPECT_TRUE(mapPort(3, ""));
  EXPECT_EQ(portDevice(3), "/dev/ttyS2");
  EXPECT_EQ(portNumberFromName("com4"), 4);
  EXPECT_EQ(portNumberFromName("COM5"), 0);

  EXPECT_EQ(readOrCreateComPort(2), 2u);
  quint32 stored = 0;
  EXPECT_TRUE(lumi::registry::Key::open(lumi::registry::Root::CurrentUser, kKeywardenKey).readDWord("ComPort", stored));
  EXPECT_EQ(stored, 2u);
  EXPECT_EQ(readOrCreateComPort(0), 2u) << "a stored value wins";
  EXPECT_EQ(readRemoteModel(RemoteModel::B), RemoteModel::B) << "missing: the current model stays";
  writeRemoteModel(RemoteModel::A);
  EXPECT_EQ(readRemoteModel(RemoteModel::B), RemoteModel::A);
}

TEST(ReadSettle, WholePacketsAtOnceTheRestWhenTheLineIsQuiet) {
  struct Step {
    qint64 now;
    qint64 waiting;
    bool take;
  };
  struct Case {
    RemoteModel model;
    std::vector<Step> steps;
  };
  const Case cases[] = {
      {RemoteModel::A, {{0, 10, true}, {1, 20, true}, {2, 1024, true}, {3, 2000, true}}},
      {RemoteModel::A, {{0, 3, false}, {1, 7, false}, {5, 7, false}, {6, 10, true}}},
      {RemoteModel::A, {{0, 5, false}, {4, 5, false}, {5, 5, true}}},
      {RemoteModel::B, {{0, 1, false}, {8, 2, false}, {16, 3, true}, {17, 4, true}}},
      {RemoteModel::B, {{0, 1, false}, {29, 1, false}, {30, 1, true}}},
      {RemoteModel::B, {{0, 0, false}, {100, 0, false}}},
  };
  for (const Case& c : cases) {
    ReadSettle settle;
    for (const Step& s : c.steps)
      EXPECT_EQ(settle.ready(s.waiting, c.model, s.now), s.take)
          << "model " << int(c.model) << " at " << s.now << " ms with " << s.waiting << " bytes";
  }
}

TEST(SerialReader, ModelATwoPacketsInOneReadThenTheNextReadIsDropped) {
  Receiver r(RemoteModel::A);
  ASSERT_TRUE(waitUntil([&] { return r.owner.opened == 1; }));
  r.send(packetA(0x52) + packetA(0xB0));
  EXPECT_EQ(r.owner.codes, (Codes{0x52, 0xFFFFFFB0})) << "offsets 3 and 13, sign-extended";
  r.send(packetA(0xD3));
  r.send(packetA(0x38));
  r.send(packetA(0xD5));
  EXPECT_EQ(r.owner.codes, (Codes{0x52, 0xFFFFFFB0, 0x38}));
  EXPECT_EQ(r.owner.reads, (Reads{{20, true}, {10, false}, {10, true}, {10, false}}));
  EXPECT_EQ(r.owner.failed, 0);
}

TEST(SerialReader, ModelBKeysAndIdentification) {
  Receiver r(RemoteModel::B);
  ASSERT_TRUE(waitUntil([&] { return r.owner.opened == 1; }));
  r.thread.setDataTerminalReady(false);  // a pseudo terminal has no DTR: nothing happens
  r.send(bytes({0x45, 0x02, 0x3F}));
  r.send(bytes({0x44, 0x1C, 0x3F}));
  r.send("M");
  EXPECT_EQ(r.owner.codes, (Codes{0x3F0245, 77}));
  EXPECT_EQ(r.owner.reads, (Reads{{3, true}, {3, false}, {1, true}}));
}

TEST(SerialReader, AModelChangeInTheRegistryDecodesTheNextReadTheNewWay) {
  Receiver r(RemoteModel::A);
  ASSERT_TRUE(waitUntil([&] { return r.owner.opened == 1; }));
  r.send(packetA(0xD5));
  ASSERT_TRUE(writeRemoteModel(RemoteModel::B));
  r.send(packetA(0xD5));
  r.send(bytes({0x45, 0x02, 0x3F}));
  EXPECT_EQ(r.owner.codes, (Codes{0xFFFFFFD5, 0x3F0245}));
  EXPECT_EQ(r.owner.opened, 1) << "without reopening";
}

TEST(SerialReader, GarbageAndCutPacketsFollowTheDecodingRules) {
  Receiver r(RemoteModel::A);
  ASSERT_TRUE(waitUntil([&] { return r.owner.opened == 1; }));
  r.send(bytes({0, 0, 0, 0xD5, 0}));         // half a packet: its offset 3 still counts
  r.send(bytes({0xFF, 0xFF}));               // dropped
  r.send(bytes({0x11, 0x0D, 0x13, 0x13}));   // XON, CR and XOFF pass untouched
  r.send(QByteArray(1030, char(0xB0)));      // more than one read holds
  ASSERT_TRUE(waitUntil([&] { return r.owner.reads.size() == 5; }));
  EXPECT_EQ(r.owner.reads, (Reads{{5, true}, {2, false}, {4, true}, {1024, false}, {6, true}}));
  EXPECT_EQ(r.owner.codes, (Codes{0xFFFFFFD5, 0x13, 0xFFFFFFB0}));
  r.send(bytes({1, 2}));  // dropped
  r.send(bytes({1, 2}));  // shorter than offset 3: the zeroed buffer gives 0
  EXPECT_EQ(r.owner.codes.back(), 0u);
}

TEST(SerialReader, ADeviceThatGoesAwayEndsTheReaderWithItsFailure) {
  Receiver r(RemoteModel::A);
  ASSERT_TRUE(waitUntil([&] { return r.owner.opened == 1; }));
  r.send(packetA(0xD3));
  r.line.closeMaster();
  ASSERT_TRUE(waitUntil([&] { return r.owner.failed == 1 && r.thread.isFinished(); }));
  EXPECT_EQ(r.owner.codes, (Codes{0xFFFFFFD3}));
  EXPECT_EQ(r.owner.failures.at(0), std::make_pair(int(PortFailure::Lost), r.line.path()));
  r.thread.stop();
  EXPECT_EQ(r.owner.failed, 1);
}

TEST(SerialReader, PortsThatCannotBeOpenedFail) {
  lumi::test::PrivateEnvironment env;
  QFile plain(env.file("not-a-tty"));
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.write("keep me");
  plain.close();
  PtyLine line;
  CSerialThread holder;
  ReaderOwner holding(holder);
  ASSERT_TRUE(mapPort(2, line.path()));
  holder.begin(1);
  ASSERT_TRUE(waitUntil([&] { return holding.opened == 1; }));

  // The holder's start created "ComPort" as COM2; the cases are on COM1.
  ASSERT_TRUE(writeComPort(0));
  struct Case {
    const char* what;
    QString device;
    PortFailure failure;
  };
  for (const Case& c : {Case{"missing device", env.file("gone"), PortFailure::NoDevice},
                        Case{"not a terminal", plain.fileName(), PortFailure::NoDevice},
                        Case{"in use by another reader", line.path(), PortFailure::Busy}}) {
    ASSERT_TRUE(mapPort(1, c.device));
    CSerialThread thread;
    ReaderOwner owner(thread);
    thread.begin(0);
    EXPECT_TRUE(waitUntil([&] { return owner.failed == 1 && thread.isFinished(); })) << c.what;
    EXPECT_EQ(owner.opened, 0) << c.what;
    EXPECT_EQ(owner.failures.at(0), std::make_pair(int(c.failure), c.device)) << c.what;
  }
  QFile check(plain.fileName());
  ASSERT_TRUE(check.open(QIODevice::ReadOnly));
  EXPECT_EQ(check.readAll(), "keep me");

  // The reader that holds the port still reads.
  ASSERT_TRUE(line.write(packetA(0x52)));
  EXPECT_TRUE(waitUntil([&] { return holding.codes == Codes{0x52}; }));
  EXPECT_EQ(holding.failed, 0);

  // An index outside COM1..COM4 has no device.
  ASSERT_TRUE(writeComPort(9));
  CSerialThread far;
  ReaderOwner farOwner(far);
  far.begin(0);
  EXPECT_TRUE(waitUntil([&] { return farOwner.failed == 1; }));
  EXPECT_EQ(far.comPort(), 9u);
  EXPECT_EQ(farOwner.failures.at(0).first, int(PortFailure::NoDevice));
}

TEST(PortFailure, TheUserIsToldWhyAPortDoesNotOpen) {
  struct Case {
    const char* what;
    OpenFacts facts;
    PortFailure failure;
  };
  for (const Case& c : {
           Case{"nothing at the path", {false, false, false, false}, PortFailure::NoDevice},
           Case{"not a device", {true, false, false, false}, PortFailure::NoDevice},
           Case{"no UART behind a ttyS device", {true, true, false, true}, PortFailure::NoDevice},
           Case{"not in the dialout group", {true, true, true, false}, PortFailure::NoPermission},
           Case{"held by another program", {true, true, false, false}, PortFailure::Busy},
       })
    EXPECT_EQ(classifyOpenFailure(c.facts), c.failure) << c.what;
  EXPECT_EQ(portFailureText(PortFailure::Busy), 123) << "the busy port keeps its own text";
}

TEST(ReceiverReturnWatch, AnUnpluggedReceiverIsNoticedWhenItComesBack) {
  lumi::test::PrivateEnvironment env;
  const QString link = env.file("usb-receiver");
  ReceiverReturnWatch watch;
  int returned = 0;
  QObject::connect(&watch, &ReceiverReturnWatch::returned, [&] { ++returned; });

  PtyLine present;
  ASSERT_TRUE(QFile::link(present.path(), link));
  EXPECT_FALSE(watch.watch(link)) << "a device that is there does not come back by waiting";

  ASSERT_TRUE(QFile::remove(link));
  ASSERT_TRUE(watch.watch(link));
  PtyLine back;
  ASSERT_TRUE(QFile::link(back.path(), link));
  EXPECT_TRUE(waitUntil([&] { return returned == 1; }, 5000));
  EXPECT_FALSE(watch.watching());
}

TEST(SerialDevices, StableNamesFirstEachWithWhatItIs) {
  lumi::test::PrivateEnvironment env;
  QDir(env.path()).mkpath("by-id");
  QFile usb(env.file("ttyUSB0"));
  ASSERT_TRUE(usb.open(QIODevice::WriteOnly));
  usb.close();
  ASSERT_TRUE(QFile::link("../ttyUSB0", env.file("by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0")));
  // Only the plugged-in adapter exists; the other names stand in a folder
  // that does not, as the system's list can name ports that are gone.
  const QString gone = env.file("gone") + "/";
  const std::vector<PortFacts> ports = {
      {env.file("ttyUSB0"), "FT232R USB UART", "FTDI"},
      {gone + "ttyS10", "", ""},
      {gone + "ttyS2", "", ""},
      {gone + "ttyACM0", "", ""},
      {gone + "rfcomm0", "Bluetooth", ""},
  };
  const std::vector<SerialDevice> expected = {
      {env.file("by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"),
       "FT232R USB UART (FTDI), " + env.file("ttyUSB0")},
      {gone + "ttyACM0", "USB modem (CDC ACM)"},
      {gone + "ttyS2", "built-in serial port"},
      {gone + "ttyS10", "built-in serial port"},
      {env.file("ttyUSB0"), "FT232R USB UART (FTDI)"},
  };
  EXPECT_EQ(listSerialDevices(ports, env.file("by-id")), expected);
}

}  // namespace
