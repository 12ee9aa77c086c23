#pragma once
// Connecting the receiver: from the Connect button to "ready", with the
// identification, DTR pulses and initialisation that a model B receiver needs
// before it delivers keys. Window-free: the window that owns it carries out
// what it asks through ConnectionHost and feeds it the reader's notifications,
// remote code 77 and the ticks of its timers (113, 108, 110, kept by number).
#include <QString>
#include <QtGlobal>

#include "manager/core/PortFailure.h"
#include "manager/core/RemoteModel.h"
#include "platform/text/StringTable.h"

namespace lumi::manager {

class ConnectionHost {
 public:
  enum class PopupButton { Stop, Confirm };
  // The status popup. An empty text hides it. Without a percentage the bar is
  // full; the confirm button hides the popup after 3 seconds by itself.
  struct Popup {
    QString text;
    bool percentage = false;
    PopupButton button = PopupButton::Stop;
    int maximum = 0;
    int position = 0;
    bool operator==(const Popup&) const = default;
  };

  virtual ~ConnectionHost() = default;
  virtual void setStatusLine(const QString& text) = 0;      // main page, control 1001
  virtual void setInputValueLine(const QString& text) = 0;  // main page, control 1026
  virtual void showPopup(const Popup& popup) = 0;
  virtual void setConnectEnabled(bool on) = 0;               // button 1005
  virtual void setChangeButtonsEnabled(bool on) = 0;         // buttons 1006 (port) and 1010 (model)
  // Starts a reader thread on the configured port; one that runs is stopped first.
  virtual void startReader() = 0;
  // Stops the reader; also forgets one that has ended by itself.
  virtual void stopReader() = 0;
  virtual void setReaderDtr(bool on) = 0;
  // The window in front becomes the key target.
  virtual void takeForegroundAsKeyTarget() = 0;
  virtual void restoreIfMinimised() = 0;
  // Starts the updater without its window; this clears the status line and
  // hides the popup, so the procedure shows its last word after calling it.
  virtual void startUpdaterSilently() = 0;
  virtual void startTimer(int id, int periodMs) = 0;
  virtual void killTimer(int id) = 0;
  // Asks text 249 with Yes and No; true for Yes.
  virtual bool confirmStop() = 0;
};

class ConnectionProcedure {
 public:
  enum State : int {
    WaitingForConnection = 0,
    WaitingForIdentification = 1,
    Connected = 2,  // initialising or done
  };

  static constexpr int kIdentifyTimer = 113;
  static constexpr int kIdentifyPeriodMs = 1000;
  static constexpr int kPulseTimer = 108;
  static constexpr int kPulsePeriodMs = 100;
  static constexpr int kInitialiseTimer = 110;
  static constexpr int kInitialisePeriodMs = 100;
  // 'M': the receiver's answer to identification and to the pulses.
  static constexpr quint32 kAdvanceCode = 77;

  // `strings` is the manager's table (texts 107-127); it must outlive this.
  ConnectionProcedure(ConnectionHost& host, const text::StringTable& strings);

  // The Connect button, also run once at start-up.
  void connectReceiver(RemoteModel model);
  void readerOpened();
  // The status line and the popup say why: busy (text 123), no permission,
  // no such device, or a receiver that was unplugged.
  void readerOpenFailed(PortFailure failure = PortFailure::Busy);
  // True when the code belongs to the procedure (77) and is not a key.
  bool remoteCode(quint32 code);
  void timer(int id);
  // The popup's stop button.
  void stop();
  // The port or the model was changed in the settings.
  void settingsChanged();

  State state() const { return state_; }
  // The shell may be started.
  bool ready() const { return ready_; }
  // Set by Connect; the updater button clears it.
  bool busy() const { return busy_; }
  void clearBusy() { busy_ = false; }
  int counter() const { return counter_; }

 private:
  QString remote(int id, bool trailingBlank = false) const;
  void showStatus(const QString& text) { host_.setStatusLine(text); }
  void endWithNotice(int textId);
  void killProcedureTimers();

  ConnectionHost& host_;
  const text::StringTable& strings_;
  State state_ = WaitingForIdentification;
  RemoteModel model_ = RemoteModel::A;
  bool ready_ = false;
  bool busy_ = false;
  int counter_ = 0;
  bool dtr_ = true;
};

}  // namespace lumi::manager
