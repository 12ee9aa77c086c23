#pragma once
// Stand-ins for the dispatcher's surroundings: the main window's dialog,
// recording ports, and a foreign program in front (input-recorder).
#include <QPoint>
#include <QProcess>
#include <QStringList>
#include <functional>

#include "manager/dispatch/DispatchPorts.h"
#include "manager/dispatch/KeyDispatcher.h"

namespace lumi::test {

// Runs the event loop until `condition` holds; false after timeoutMs.
bool eventually(const std::function<bool()>& condition, int timeoutMs = 5000);
// Runs the event loop for a while.
void settle(int ms);

class FakeDialog : public manager::ManagerDialog {
 public:
  void showKeyTarget(const QString& title) override { keyTargets << title; }
  void showInputValue(const QString& text) override { inputValues << text; }
  void focusPreviousControl() override { actions << "previous"; }
  void focusNextControl() override { actions << "next"; }
  void pressFocusedControl() override { actions << "press"; }

  QStringList keyTargets, inputValues, actions;
};

// Records what would be injected: "focus", "down 0x12", "up 0x73", "move -7,0",
// "button left down".
class FakeInput : public manager::InputPort {
 public:
  void focus(desktop::WindowId) override { events << "focus"; }
  bool key(quint8 key, bool down) override {
    events << QStringLiteral("%1 0x%2").arg(down ? "down" : "up").arg(key, 2, 16, QLatin1Char('0'));
    return true;
  }
  void moveBy(int dx, int dy) override { events << QStringLiteral("move %1,%2").arg(dx).arg(dy); }
  void button(Button button, bool down) override {
    events << QStringLiteral("button %1 %2").arg(button == Button::Left ? "left" : "right", down ? "down" : "up");
  }
  QStringList events;
};

// Settings that switch off when asked, unless told to fail; records the asks.
class FakeScreen : public manager::ScreenPowerPort {
 public:
  void watchScreenSaver(std::function<void()> starting) override { starting_ = std::move(starting); }
  bool disableScreenSaver() override {
    calls << "saver";
    return saverWorks;
  }
  DisplayPower displayPower() override { return power; }
  bool disableDisplayPowerOff() override {
    calls << "power-off";
    if (displayWorks) power.powerOffActive = false;
    return displayWorks;
  }
  bool disableDisplayLowPower() override {
    calls << "low-power";
    if (displayWorks) power.lowPowerActive = false;
    return displayWorks;
  }
  void saverStarts() {
    if (starting_) starting_();
  }

  DisplayPower power;
  bool saverWorks = true;
  bool displayWorks = true;
  QStringList calls;

 private:
  std::function<void()> starting_;
};

// A foreign program's window that logs the key and button events it gets.
class Recorder {
 public:
  // `icons`: "W:H:RRGGBB" sizes of its _NET_WM_ICON.
  Recorder(const QString& title, QPoint at, const QString& logFile, const QStringList& icons = {});
  ~Recorder();

  bool ready() const { return window_ != 0; }
  desktop::WindowId window() const { return window_; }
  QStringList lines() const;
  // The lines after the first `from`, once there are `count` of them (or what
  // there is after the time-out).
  QStringList waitForLines(int from, int count, int timeoutMs = 5000) const;

 private:
  QProcess process_;
  QString log_;
  desktop::WindowId window_ = 0;
};

}  // namespace lumi::test
