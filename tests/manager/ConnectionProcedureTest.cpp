// The connection procedure as a state machine: a host that records what it
// is asked, timers ticked by hand, texts from the manager's own table.
#include <gtest/gtest.h>

#include <map>

#include "manager/core/ConnectionProcedure.h"
#include "manager/core/ManagerStrings.h"
#include "manager/core/RemoteSettings.h"
#include "tests/support/QtPrinters.h"

namespace lumi::manager {
inline void PrintTo(const ConnectionHost::Popup& p, std::ostream* os) {
  *os << "{\"" << p.text.toStdString() << "\"" << (p.percentage ? " %" : "") << (p.button == ConnectionHost::PopupButton::Stop ? " stop" : " confirm") << " "
      << p.position << "/" << p.maximum << "}";
}
}  // namespace lumi::manager

using namespace lumi::manager;
using lumi::text::Language;
using Popup = ConnectionHost::Popup;
using PopupButton = ConnectionHost::PopupButton;
using Procedure = ConnectionProcedure;

namespace {

struct Host : ConnectionHost {
  QString status, input;
  Popup popup;
  bool connectEnabled = true, changeEnabled = true;
  std::map<int, int> timers;  // id -> period
  std::vector<bool> dtr;
  int readerStarts = 0, readerStops = 0, updaterStarts = 0, keyTargetClaims = 0, restores = 0;
  bool answerYes = true;
  QStringList log;  // the order of what the procedure showed and started

  void setStatusLine(const QString& text) override {
    status = text;
    log << "status " + text;
  }
  void setInputValueLine(const QString& text) override { input = text; }
  void showPopup(const Popup& p) override { popup = p; }
  void setConnectEnabled(bool on) override { connectEnabled = on; }
  void setChangeButtonsEnabled(bool on) override { changeEnabled = on; }
  void startReader() override { ++readerStarts; }
  void stopReader() override { ++readerStops; }
  void setReaderDtr(bool on) override { dtr.push_back(on); }
  void takeForegroundAsKeyTarget() override { ++keyTargetClaims; }
  void restoreIfMinimised() override { ++restores; }
  void startUpdaterSilently() override {
    // As the window does it: the status line and the popup are cleared.
    ++updaterStarts;
    status.clear();
    popup = {};
    log << "updater";
  }
  void startTimer(int id, int periodMs) override { timers[id] = periodMs; }
  void killTimer(int id) override { timers.erase(id); }
  bool confirmStop() override { return answerYes; }
};

using Timers = std::map<int, int>;

void tick(Procedure& p, Host& host, int id, int times) {
  for (int i = 0; i < times; ++i) {
    ASSERT_TRUE(host.timers.count(id)) << "timer " << id << " is not running at tick " << i;
    p.timer(id);
  }
}

TEST(ManagerStrings, TableHoldsEveryTextInBothLanguages) {
  const auto ko = loadManagerStrings(Language::Korean);
  const auto en = loadManagerStrings(Language::English);
  EXPECT_EQ(ko.size(), 23);
  for (int id : {105, 107, 108, 109, 111, 112, 116, 117, 118, 119, 120, 123, 124, 125, 126, 127, 128, 131, 132, 133,
                 249, 250, 251})
    EXPECT_TRUE(ko.contains(id) && en.contains(id)) << id;
  EXPECT_EQ(ko.text(108), kSuiteKey);
  EXPECT_EQ(en.text(108), kSuiteKey);
  EXPECT_EQ(ko.text(123), "시리얼 포트가 사용 중입니다.");
  EXPECT_EQ(en.text(117), "identifing...");
  EXPECT_EQ(ko.text(250), "중지");
  EXPECT_EQ(en.text(250), "Stop");
  EXPECT_EQ(en.text(133), "Mouse mode");
}

TEST(ConnectionProcedure, ModelBIdentifiesPulsesInitialisesAndStartsTheUpdater) {
  const auto strings = loadManagerStrings(Language::Korean);
  Host host;
  Procedure p(host, strings);
  p.connectReceiver(RemoteModel::B);
  EXPECT_EQ(p.state(), Procedure::WaitingForIdentification);
  EXPECT_TRUE(p.busy());
  EXPECT_EQ(host.readerStarts, 1);
  EXPECT_EQ(host.keyTargetClaims, 1);
  EXPECT_FALSE(host.connectEnabled || host.changeEnabled);
  EXPECT_EQ(host.input, "리모콘이 초기화될 때까지 기다려 주십시요.");
  EXPECT_EQ(host.status, "리모콘 확인 중...");
  EXPECT_EQ(host.timers, (Timers{{113, 1000}}));

  p.readerOpened();
  EXPECT_TRUE(p.ready());
  tick(p, host, 113, 3);
  EXPECT_EQ(host.popup, (Popup{"리모콘 확인 중... ", false, PopupButton::Stop}));

  EXPECT_TRUE(p.remoteCode(77));
  EXPECT_EQ(p.state(), Procedure::WaitingForConnection);
  EXPECT_EQ(host.status, "리모콘 확인 완료.");
  EXPECT_EQ(host.timers, (Timers{{108, 100}}));
  tick(p, host, 108, 4);
  EXPECT_EQ(host.dtr, (std::vector<bool>{false, true, false, true})) << "the first pulse clears DTR";
  EXPECT_EQ(host.status, "리모콘 연결 중...");
  EXPECT_EQ(host.popup, (Popup{"리모콘 연결 중...", true, PopupButton::Stop, 30, 4}));

  EXPECT_TRUE(p.remoteCode(77));
  EXPECT_EQ(p.state(), Procedure::Connected);
  EXPECT_EQ(host.status, "리모콘 연결 완료.");
  EXPECT_EQ(host.timers, (Timers{{110, 100}}));
  EXPECT_TRUE(p.remoteCode(77)) << "connected: 77 is still no key, and changes nothing";
  EXPECT_FALSE(p.remoteCode(0x3F0245));
  EXPECT_EQ(host.timers, (Timers{{110, 100}}));

  tick(p, host, 110, 160);
  EXPECT_EQ(host.status, "리모콘 초기화 중... ");
  EXPECT_EQ(host.popup, (Popup{"리모콘 초기화 중... ", true, PopupButton::Stop, 160, 160}));
  EXPECT_FALSE(host.changeEnabled);
  tick(p, host, 110, 1);
  EXPECT_EQ(host.input, "리모콘을 누르십시요.");
  EXPECT_EQ(host.status, "리모콘 초기화 완료.");
  EXPECT_EQ(host.popup, (Popup{"리모콘 초기화 완료.", false, PopupButton::Confirm}));
  EXPECT_TRUE(host.changeEnabled) << "the procedure is over: port and model may change again";
  EXPECT_FALSE(host.connectEnabled);
  tick(p, host, 110, 19);
  EXPECT_EQ(host.updaterStarts, 0);
  tick(p, host, 110, 1);
  EXPECT_TRUE(host.timers.empty());
  EXPECT_EQ(host.popup, Popup{});
  EXPECT_EQ(host.updaterStarts, 1);
  EXPECT_TRUE(p.ready());
}

TEST(ConnectionProcedure, ModelBThatNeverAnswersGivesUpAfterTenSeconds) {
  const auto strings = loadManagerStrings(Language::English);
  Host host;
  Procedure p(host, strings);
  p.connectReceiver(RemoteModel::B);
  EXPECT_EQ(host.status, "Remote identifing...");
  tick(p, host, 113, 10);
  EXPECT_EQ(host.timers, (Timers{{113, 1000}}));
  tick(p, host, 113, 1);
  EXPECT_TRUE(host.timers.empty());
  EXPECT_EQ(host.updaterStarts, 1);
  const QString notice = "Remote not connected. Check connection.";
  EXPECT_EQ(host.status, notice) << "the notice outlives the updater start";
  EXPECT_EQ(host.popup, (Popup{notice, false, PopupButton::Confirm}));
  EXPECT_EQ(host.log.mid(host.log.size() - 2), QStringList({"updater", "status " + notice}));
  EXPECT_TRUE(host.connectEnabled && host.changeEnabled);
  EXPECT_EQ(host.restores, 1);
  EXPECT_EQ(p.counter(), 0);
}

TEST(ConnectionProcedure, ABusyOrLostPortShowsText123AndEnablesConnect) {
  const auto strings = loadManagerStrings(Language::English);
  const QString busy = "COM port is already used by other program. Close other program.";
  struct Case {
    const char* what;
    RemoteModel model;
    int codesBeforeFailure;  // how far the procedure got: 0, 1 (pulsing) or 2 (initialising)
  };
  for (const Case c : {Case{"model A, port busy", RemoteModel::A, 0}, Case{"model B, port busy", RemoteModel::B, 0},
                       Case{"model B, lost while pulsing", RemoteModel::B, 1},
                       Case{"model B, lost while initialising", RemoteModel::B, 2}}) {
    Host host;
    Procedure p(host, strings);
    p.connectReceiver(c.model);
    for (int i = 0; i < c.codesBeforeFailure; ++i) p.remoteCode(77);
    const int stopsBefore = host.readerStops;
    p.readerOpenFailed();
    EXPECT_EQ(host.status, busy) << c.what;
    EXPECT_EQ(host.popup, (Popup{busy, false, PopupButton::Confirm})) << c.what;
    EXPECT_TRUE(host.connectEnabled && host.changeEnabled) << c.what;
    EXPECT_FALSE(p.ready()) << c.what;
    EXPECT_TRUE(host.timers.empty()) << c.what;
    EXPECT_EQ(host.readerStops, stopsBefore + 1) << c.what << ": the reader is forgotten";
    EXPECT_EQ(host.restores, 1) << c.what;
  }
}

TEST(ConnectionProcedure, AFailedPortSaysWhy) {
  const auto strings = loadManagerStrings(Language::English);
  struct Case {
    PortFailure failure;
    QString text;
  };
  for (const Case& c : {Case{PortFailure::Busy, "COM port is already used by other program. Close other program."},
                        Case{PortFailure::NoPermission,
                             "No permission to open the COM port. Add the user to the \"dialout\" group."},
                        Case{PortFailure::NoDevice, "The COM port does not exist. Change the port or plug in the receiver."},
                        Case{PortFailure::Lost, "The receiver was unplugged. It connects again when it is plugged back in."}}) {
    Host host;
    Procedure p(host, strings);
    p.connectReceiver(RemoteModel::A);
    p.readerOpenFailed(c.failure);
    EXPECT_EQ(host.status, c.text);
    EXPECT_EQ(host.popup, (Popup{c.text, false, PopupButton::Confirm}));
    EXPECT_TRUE(host.connectEnabled && host.changeEnabled);
  }
}

TEST(ConnectionProcedure, ModelAIsReadyAtOnce) {
  const auto strings = loadManagerStrings(Language::English);
  Host host;
  Procedure p(host, strings);
  p.connectReceiver(RemoteModel::A);
  EXPECT_TRUE(p.ready() && p.busy());
  EXPECT_EQ(host.input, "Press remote.");
  EXPECT_TRUE(host.changeEnabled);
  EXPECT_FALSE(host.connectEnabled);
  EXPECT_EQ(host.updaterStarts, 1);
  EXPECT_EQ(host.readerStops, 0);
  EXPECT_TRUE(host.timers.empty());
  p.readerOpened();
  EXPECT_FALSE(host.connectEnabled);
  EXPECT_TRUE(p.remoteCode(77)) << "never a key";
  EXPECT_TRUE(host.timers.empty()) << "model A has nothing to advance";
  p.clearBusy();
  EXPECT_FALSE(p.busy());
}

TEST(ConnectionProcedure, StopAsksFirst) {
  const auto strings = loadManagerStrings(Language::English);
  Host host;
  Procedure p(host, strings);
  p.connectReceiver(RemoteModel::B);
  p.remoteCode(77);
  tick(p, host, 108, 2);
  host.answerYes = false;
  p.stop();
  EXPECT_EQ(host.timers, (Timers{{108, 100}}));
  EXPECT_EQ(host.updaterStarts, 0);

  host.answerYes = true;
  const int stopsBefore = host.readerStops;
  p.stop();
  EXPECT_TRUE(host.timers.empty());
  EXPECT_EQ(host.readerStops, stopsBefore + 1);
  EXPECT_EQ(host.updaterStarts, 1);
  EXPECT_EQ(host.popup, Popup{});
  EXPECT_TRUE(host.connectEnabled && host.changeEnabled);
  EXPECT_TRUE(host.status.isEmpty() && host.input.isEmpty());
}

TEST(ConnectionProcedure, ChangingPortOrModelAsksForAnotherConnect) {
  const auto strings = loadManagerStrings(Language::Korean);
  Host host;
  Procedure p(host, strings);
  p.connectReceiver(RemoteModel::B);
  p.remoteCode(77);
  p.remoteCode(77);
  tick(p, host, 110, 165);
  p.settingsChanged();
  EXPECT_EQ(host.status, "리모콘을 다시 [연결] 하십시오.");
  EXPECT_TRUE(host.connectEnabled);
  EXPECT_EQ(p.state(), Procedure::WaitingForIdentification);
  EXPECT_TRUE(host.timers.empty()) << "nothing of the old procedure follows";
  EXPECT_EQ(host.updaterStarts, 0);

  // The next Connect starts over, stopping a reader that still runs.
  const int stopsBefore = host.readerStops;
  p.connectReceiver(RemoteModel::B);
  EXPECT_EQ(host.readerStops, stopsBefore + 1);
  EXPECT_EQ(host.timers, (Timers{{113, 1000}}));
}

}  // namespace
