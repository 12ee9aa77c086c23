#include "manager/dispatch/X11ScreenPower.h"

#include <xcb/dpms.h>
#include <xcb/screensaver.h>

#include <cstdlib>

namespace lumi::manager {
namespace {

bool succeeded(xcb_connection_t* c, xcb_void_cookie_t cookie) {
  xcb_generic_error_t* error = xcb_request_check(c, cookie);
  std::free(error);
  return error == nullptr;
}

}  // namespace

X11ScreenPower::X11ScreenPower(X11Connection& x) : x_(x) {
  if (!x_.ok()) return;
  xcb_connection_t* c = x_.get();
  const xcb_query_extension_reply_t* saver = xcb_get_extension_data(c, &xcb_screensaver_id);
  if (saver && saver->present) {
    std::free(xcb_screensaver_query_version_reply(c, xcb_screensaver_query_version(c, 1, 1), nullptr));
    if (succeeded(c, xcb_screensaver_select_input_checked(c, x_.root(), XCB_SCREENSAVER_EVENT_NOTIFY_MASK)))
      saverEventBase_ = saver->first_event;
  }
  const xcb_query_extension_reply_t* dpms = xcb_get_extension_data(c, &xcb_dpms_id);
  if (dpms && dpms->present) {
    std::free(xcb_dpms_get_version_reply(c, xcb_dpms_get_version(c, 1, 1), nullptr));
    xcb_dpms_capable_reply_t* capable = xcb_dpms_capable_reply(c, xcb_dpms_capable(c), nullptr);
    dpms_ = capable && capable->capable;
    std::free(capable);
  }
  x_.addEventHandler([this](const xcb_generic_event_t* e) { event(e); });
}

X11ScreenPower::~X11ScreenPower() { restore(); }

void X11ScreenPower::restore() {
  if (!x_.ok()) return;
  xcb_connection_t* c = x_.get();
  if (savedSaver_) {
    xcb_set_screen_saver(c, savedSaver_->timeout, savedSaver_->interval, savedSaver_->preferBlanking,
                         savedSaver_->allowExposures);
    savedSaver_.reset();
  }
  if (savedTimeouts_) {
    // Only the timeouts: the display itself stays awake until they run out again.
    xcb_dpms_set_timeouts(c, savedTimeouts_->standby, savedTimeouts_->suspend, savedTimeouts_->off);
    savedTimeouts_.reset();
  }
  std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

std::optional<X11ScreenPower::Timeouts> X11ScreenPower::currentTimeouts() {
  xcb_connection_t* c = x_.get();
  xcb_dpms_get_timeouts_reply_t* t = xcb_dpms_get_timeouts_reply(c, xcb_dpms_get_timeouts(c), nullptr);
  if (!t) return std::nullopt;
  const Timeouts now{t->standby_timeout, t->suspend_timeout, t->off_timeout};
  std::free(t);
  return now;
}

void X11ScreenPower::event(const xcb_generic_event_t* e) {
  if (saverEventBase_ < 0 || (e->response_type & 0x7f) != saverEventBase_ + XCB_SCREENSAVER_NOTIFY) return;
  const auto* notice = reinterpret_cast<const xcb_screensaver_notify_event_t*>(e);
  if (notice->state != XCB_SCREENSAVER_STATE_ON) return;
  // The manager does not let the screen saver start: X cannot refuse the
  // start, so the saver that has just come on is reset at once, and the next
  // remote key switches it off for good.
  xcb_force_screen_saver(x_.get(), XCB_SCREEN_SAVER_RESET);
  xcb_flush(x_.get());
  if (starting_) starting_();
}

bool X11ScreenPower::disableScreenSaver() {
  if (!x_.ok()) return false;
  xcb_connection_t* c = x_.get();
  xcb_get_screen_saver_reply_t* now = xcb_get_screen_saver_reply(c, xcb_get_screen_saver(c), nullptr);
  if (!now) return false;
  if (!savedSaver_)
    savedSaver_ = SaverSettings{std::int16_t(now->timeout), std::int16_t(now->interval), now->prefer_blanking,
                                now->allow_exposures};
  const bool set = succeeded(c, xcb_set_screen_saver_checked(c, 0, std::int16_t(now->interval), now->prefer_blanking,
                                                             now->allow_exposures));
  std::free(now);
  const bool reset = succeeded(c, xcb_force_screen_saver_checked(c, XCB_SCREEN_SAVER_RESET));
  x_.pump();
  return set && reset;
}

ScreenPowerPort::DisplayPower X11ScreenPower::displayPower() {
  DisplayPower power;
  if (!dpms_) return power;
  xcb_connection_t* c = x_.get();
  xcb_dpms_info_reply_t* info = xcb_dpms_info_reply(c, xcb_dpms_info(c), nullptr);
  const bool enabled = info && info->state;
  std::free(info);
  xcb_dpms_get_timeouts_reply_t* t = xcb_dpms_get_timeouts_reply(c, xcb_dpms_get_timeouts(c), nullptr);
  if (enabled && t) {
    power.powerOffActive = t->off_timeout > 0;
    power.lowPowerActive = t->standby_timeout > 0 || t->suspend_timeout > 0;
  }
  std::free(t);
  x_.pump();
  return power;
}

bool X11ScreenPower::setTimeouts(Timeouts timeouts) {
  xcb_connection_t* c = x_.get();
  if (!succeeded(c, xcb_dpms_set_timeouts_checked(c, timeouts.standby, timeouts.suspend, timeouts.off))) return false;
  // A display that has already gone dark would stay so until someone touches
  // the real keyboard or mouse: the key that switched the setting off wakes it.
  xcb_dpms_info_reply_t* info = xcb_dpms_info_reply(c, xcb_dpms_info(c), nullptr);
  bool ok = info != nullptr;
  if (info && info->power_level != XCB_DPMS_DPMS_MODE_ON)
    ok = succeeded(c, xcb_dpms_force_level_checked(c, XCB_DPMS_DPMS_MODE_ON));
  std::free(info);
  x_.pump();
  return ok;
}

bool X11ScreenPower::disableDisplayPowerOff() {
  if (!dpms_) return false;
  const std::optional<Timeouts> now = currentTimeouts();
  if (!now) return false;
  if (!savedTimeouts_) savedTimeouts_ = now;
  return setTimeouts({now->standby, now->suspend, 0});
}

bool X11ScreenPower::disableDisplayLowPower() {
  if (!dpms_) return false;
  const std::optional<Timeouts> now = currentTimeouts();
  if (!now) return false;
  if (!savedTimeouts_) savedTimeouts_ = now;
  return setTimeouts({0, 0, now->off});
}

}  // namespace lumi::manager
