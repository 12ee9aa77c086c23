#include "manager/core/ConnectionProcedure.h"

#include "manager/core/ManagerStrings.h"

namespace lumi::manager {

using Popup = ConnectionHost::Popup;
using PopupButton = ConnectionHost::PopupButton;

namespace {

constexpr int kIdentifyTicks = 10;     // about 10 s of identification
constexpr int kPulseSteps = 30;        // the popup's range while pulsing
constexpr int kInitialiseSteps = 160;  // 16 s of initialisation ...
constexpr int kInitialisedShown = 20;  // ... then 2 s of "initializing complete."

}  // namespace

ConnectionProcedure::ConnectionProcedure(ConnectionHost& host, const text::StringTable& strings)
    : host_(host), strings_(strings) {}

QString ConnectionProcedure::remote(int id, bool trailingBlank) const {
  QString line = strings_.text(textid::kRemote) + QLatin1Char(' ') + strings_.text(id);
  if (trailingBlank) line += QLatin1Char(' ');
  return line;
}

void ConnectionProcedure::killProcedureTimers() {
  host_.killTimer(kIdentifyTimer);
  host_.killTimer(kPulseTimer);
  host_.killTimer(kInitialiseTimer);
}

void ConnectionProcedure::connectReceiver(RemoteModel model) {
  busy_ = true;
  model_ = model;
  // A procedure still under way is replaced by this one.
  killProcedureTimers();
  if (model == RemoteModel::B) {
    state_ = WaitingForIdentification;
    host_.stopReader();
  }
  host_.setConnectEnabled(false);
  host_.setChangeButtonsEnabled(false);
  ready_ = false;
  host_.startReader();
  host_.takeForegroundAsKeyTarget();

  // Only the Windows 95 family skipped model B's identification; here it
  // always runs, as on the NT family.
  if (model == RemoteModel::A) {
    ready_ = true;
    host_.setInputValueLine(strings_.text(textid::kPressRemote));
    host_.setChangeButtonsEnabled(true);
    host_.startUpdaterSilently();
    return;
  }
  host_.setInputValueLine(strings_.text(textid::kWaitForInitialising));
  showStatus(remote(textid::kIdentifying));
  counter_ = 0;
  host_.startTimer(kIdentifyTimer, kIdentifyPeriodMs);
}

void ConnectionProcedure::readerOpened() {
  ready_ = true;
  host_.setConnectEnabled(false);
}

void ConnectionProcedure::readerOpenFailed(PortFailure failure) {
  // All three: a port lost in the middle of pulsing or initialising would
  // otherwise go on to announce a receiver that is not there.
  killProcedureTimers();
  host_.restoreIfMinimised();
  const QString text = strings_.text(portFailureText(failure));
  showStatus(text);
  host_.showPopup(Popup{text, false, PopupButton::Confirm});
  host_.setConnectEnabled(true);
  host_.setChangeButtonsEnabled(true);
  host_.stopReader();
  ready_ = false;
}

void ConnectionProcedure::endWithNotice(int textId) {
  // The updater start clears the status line and the popup: the notice comes after it.
  host_.startUpdaterSilently();
  const QString text = strings_.text(textId);
  showStatus(text);
  host_.showPopup(Popup{text, false, PopupButton::Confirm});
}

bool ConnectionProcedure::remoteCode(quint32 code) {
  if (code != kAdvanceCode) return false;
  // Only model B has a procedure to advance; for model A the code is simply not a key.
  if (model_ != RemoteModel::B) return true;
  switch (state_) {
    case WaitingForIdentification:
      state_ = WaitingForConnection;
      showStatus(remote(textid::kIdentified));
      host_.killTimer(kIdentifyTimer);
      counter_ = 0;
      dtr_ = true;
      host_.startTimer(kPulseTimer, kPulsePeriodMs);
      break;
    case WaitingForConnection:
      state_ = Connected;
      showStatus(remote(textid::kConnected));
      host_.killTimer(kPulseTimer);
      counter_ = 0;
      host_.startTimer(kInitialiseTimer, kInitialisePeriodMs);
      break;
    case Connected:
      break;
  }
  return true;
}

void ConnectionProcedure::timer(int id) {
  if (id == kIdentifyTimer) {
    if (++counter_ > kIdentifyTicks) {
      host_.killTimer(kIdentifyTimer);
      counter_ = 0;
      endWithNotice(textid::kNotConnected);
      host_.restoreIfMinimised();
      host_.setConnectEnabled(true);
      // So that the user can try another port or model, as the notice suggests.
      host_.setChangeButtonsEnabled(true);
      return;
    }
    if (state_ == WaitingForConnection) {
      host_.killTimer(kIdentifyTimer);
      counter_ = 0;
      host_.startUpdaterSilently();
      return;
    }
    const QString text = remote(textid::kIdentifying, true);
    showStatus(text);
    host_.showPopup(Popup{text, false, PopupButton::Stop});
  } else if (id == kPulseTimer) {
    dtr_ = !dtr_;  // the first tick clears DTR
    host_.setReaderDtr(dtr_);
    ++counter_;
    const QString text = remote(textid::kConnecting);
    showStatus(text);
    host_.showPopup(Popup{text, true, PopupButton::Stop, kPulseSteps, counter_});
  } else if (id == kInitialiseTimer) {
    ++counter_;
    if (counter_ <= kInitialiseSteps) {
      const QString text = remote(textid::kInitialising, true);
      showStatus(text);
      host_.showPopup(Popup{text, true, PopupButton::Stop, kInitialiseSteps, counter_});
    } else if (counter_ == kInitialiseSteps + 1) {
      host_.setInputValueLine(strings_.text(textid::kPressRemote));
      const QString text = remote(textid::kInitialised);
      showStatus(text);
      host_.showPopup(Popup{text, false, PopupButton::Confirm});
      // The procedure is over: as after a model A Connect, the settings may change again.
      host_.setChangeButtonsEnabled(true);
    } else if (counter_ > kInitialiseSteps + kInitialisedShown) {
      host_.killTimer(kInitialiseTimer);
      host_.showPopup(Popup{});
      host_.startUpdaterSilently();
    }
  }
}

void ConnectionProcedure::stop() {
  if (!host_.confirmStop()) return;
  killProcedureTimers();
  host_.stopReader();
  host_.startUpdaterSilently();
  host_.showPopup(Popup{});
  host_.setConnectEnabled(true);
  host_.setChangeButtonsEnabled(true);
  showStatus(QString());
  host_.setInputValueLine(QString());
}

void ConnectionProcedure::settingsChanged() {
  // The reader stops, so nothing of a running procedure can follow.
  killProcedureTimers();
  showStatus(strings_.text(textid::kConnectAgain));
  host_.setConnectEnabled(true);
  state_ = WaitingForIdentification;
  host_.stopReader();
}

}  // namespace lumi::manager
