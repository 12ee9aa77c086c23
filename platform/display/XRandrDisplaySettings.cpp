#include "platform/display/XRandrDisplaySettings.h"

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <QtDebug>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

namespace lumi::display {
namespace {

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

double refreshOf(const xcb_randr_mode_info_t& mode) {
  if (mode.htotal == 0 || mode.vtotal == 0) return 0.0;
  double lines = mode.vtotal;
  if (mode.mode_flags & XCB_RANDR_MODE_FLAG_DOUBLE_SCAN) lines *= 2;
  if (mode.mode_flags & XCB_RANDR_MODE_FLAG_INTERLACE) lines /= 2;
  return double(mode.dot_clock) / (double(mode.htotal) * lines);
}

bool rotatedSideways(uint16_t rotation) {
  return rotation & (XCB_RANDR_ROTATION_ROTATE_90 | XCB_RANDR_ROTATION_ROTATE_270);
}

struct Output {
  xcb_randr_output_t id = 0;
  QString name;
  Reply<xcb_randr_get_output_info_reply_t> info;
  Reply<xcb_randr_get_crtc_info_reply_t> crtc;
};

// One connection and the screen's present configuration.
class Session {
 public:
  explicit Session(const QByteArray& display) {
    connection_ = xcb_connect(display.isEmpty() ? nullptr : display.constData(), &screenNumber_);
    if (xcb_connection_has_error(connection_)) return;
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(connection_, &xcb_randr_id);
    if (!ext || !ext->present) return;
    Reply<xcb_randr_query_version_reply_t> version(
        xcb_randr_query_version_reply(connection_, xcb_randr_query_version(connection_, 1, 3), nullptr));
    if (!version || (version->major_version == 1 && version->minor_version < 2)) return;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber_ && it.rem; ++i) xcb_screen_next(&it);
    if (!it.rem) return;
    screen_ = it.data;
    resources_.reset(xcb_randr_get_screen_resources_current_reply(
        connection_, xcb_randr_get_screen_resources_current(connection_, screen_->root), nullptr));
  }
  ~Session() { xcb_disconnect(connection_); }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  bool ok() const { return resources_ != nullptr; }
  xcb_connection_t* connection() const { return connection_; }
  xcb_screen_t* screen() const { return screen_; }
  const xcb_randr_get_screen_resources_current_reply_t* resources() const { return resources_.get(); }

  const xcb_randr_mode_info_t* modeInfo(xcb_randr_mode_t id) const {
    const xcb_randr_mode_info_t* modes = xcb_randr_get_screen_resources_current_modes(resources_.get());
    const int count = xcb_randr_get_screen_resources_current_modes_length(resources_.get());
    for (int i = 0; i < count; ++i)
      if (modes[i].id == id) return &modes[i];
    return nullptr;
  }

  Reply<xcb_randr_get_crtc_info_reply_t> crtcInfo(xcb_randr_crtc_t crtc) const {
    return Reply<xcb_randr_get_crtc_info_reply_t>(xcb_randr_get_crtc_info_reply(
        connection_, xcb_randr_get_crtc_info(connection_, crtc, resources_->config_timestamp), nullptr));
  }

  // Outputs that drive a CRTC with a mode, in the server's order.
  std::vector<Output> activeOutputs() const {
    std::vector<Output> list;
    const xcb_randr_output_t* ids = xcb_randr_get_screen_resources_current_outputs(resources_.get());
    const int count = xcb_randr_get_screen_resources_current_outputs_length(resources_.get());
    for (int i = 0; i < count; ++i) {
      Output out;
      out.id = ids[i];
      out.info.reset(xcb_randr_get_output_info_reply(
          connection_, xcb_randr_get_output_info(connection_, ids[i], resources_->config_timestamp), nullptr));
      if (!out.info || out.info->crtc == XCB_NONE) continue;
      out.crtc = crtcInfo(out.info->crtc);
      if (!out.crtc || out.crtc->mode == XCB_NONE) continue;
      out.name = QString::fromUtf8(reinterpret_cast<const char*>(xcb_randr_get_output_info_name(out.info.get())),
                                   xcb_randr_get_output_info_name_length(out.info.get()));
      list.push_back(std::move(out));
    }
    return list;
  }

  xcb_randr_output_t primary() const {
    Reply<xcb_randr_get_output_primary_reply_t> reply(xcb_randr_get_output_primary_reply(
        connection_, xcb_randr_get_output_primary(connection_, screen_->root), nullptr));
    return reply ? reply->output : XCB_NONE;
  }

  // The named output, or for an empty name the primary one (else the first
  // active one).
  std::optional<Output> find(const QString& name) const {
    std::vector<Output> outputs = activeOutputs();
    if (outputs.empty()) return std::nullopt;
    if (name.isEmpty()) {
      const xcb_randr_output_t want = primary();
      for (Output& out : outputs)
        if (out.id == want) return std::move(out);
      return std::move(outputs.front());
    }
    for (Output& out : outputs)
      if (out.name == name) return std::move(out);
    return std::nullopt;
  }

 private:
  xcb_connection_t* connection_ = nullptr;
  int screenNumber_ = 0;
  xcb_screen_t* screen_ = nullptr;
  Reply<xcb_randr_get_screen_resources_current_reply_t> resources_;
};

uint32_t millimetres(int pixels, int oldPixels, int oldMillimetres) {
  if (oldPixels > 0 && oldMillimetres > 0) return uint32_t(std::lround(double(pixels) * oldMillimetres / oldPixels));
  return uint32_t(std::lround(pixels * 25.4 / 96.0));
}

}  // namespace

XRandrDisplaySettings::XRandrDisplaySettings(QByteArray displayName) : displayName_(std::move(displayName)) {}

std::optional<DisplayMode> XRandrDisplaySettings::currentMode(const QString& monitor) {
  Session session(displayName_);
  if (!session.ok()) return std::nullopt;
  std::optional<Output> output = session.find(monitor);
  if (!output) return std::nullopt;
  const xcb_randr_mode_info_t* mode = session.modeInfo(output->crtc->mode);
  if (!mode) return std::nullopt;
  return DisplayMode{mode->width, mode->height, refreshOf(*mode)};
}

bool XRandrDisplaySettings::changeMode(const DisplayMode& wanted, const QString& monitor) {
  Session session(displayName_);
  if (!session.ok()) return false;
  std::optional<Output> output = session.find(monitor);
  if (!output) return false;

  // The output lists its preferred modes first; among the modes of the size
  // asked for, the nearest refresh wins and a tie keeps the earlier one.
  const xcb_randr_mode_t* ids = xcb_randr_get_output_info_modes(output->info.get());
  const int count = xcb_randr_get_output_info_modes_length(output->info.get());
  const xcb_randr_mode_info_t* chosen = nullptr;
  for (int i = 0; i < count; ++i) {
    const xcb_randr_mode_info_t* candidate = session.modeInfo(ids[i]);
    if (!candidate || candidate->width != wanted.width || candidate->height != wanted.height) continue;
    if (!chosen) {
      chosen = candidate;
    } else if (wanted.refreshHz > 0 &&
               std::abs(refreshOf(*candidate) - wanted.refreshHz) < std::abs(refreshOf(*chosen) - wanted.refreshHz)) {
      chosen = candidate;
    }
  }
  if (!chosen) return false;
  if (chosen->id == output->crtc->mode) return true;

  xcb_connection_t* c = session.connection();
  xcb_screen_t* screen = session.screen();
  const xcb_randr_crtc_t crtc = output->info->crtc;
  const bool sideways = rotatedSideways(output->crtc->rotation);
  const int newWidth = sideways ? chosen->height : chosen->width;
  const int newHeight = sideways ? chosen->width : chosen->height;

  // The screen must hold every monitor: the bounding box of all CRTCs with
  // this one at its new size.
  int boxWidth = output->crtc->x + newWidth;
  int boxHeight = output->crtc->y + newHeight;
  {
    const xcb_randr_crtc_t* crtcs = xcb_randr_get_screen_resources_current_crtcs(session.resources());
    const int crtcCount = xcb_randr_get_screen_resources_current_crtcs_length(session.resources());
    for (int i = 0; i < crtcCount; ++i) {
      if (crtcs[i] == crtc) continue;
      auto info = session.crtcInfo(crtcs[i]);
      if (!info || info->mode == XCB_NONE) continue;
      boxWidth = std::max(boxWidth, info->x + int(info->width));
      boxHeight = std::max(boxHeight, info->y + int(info->height));
    }
  }
  Reply<xcb_randr_get_screen_size_range_reply_t> range(
      xcb_randr_get_screen_size_range_reply(c, xcb_randr_get_screen_size_range(c, screen->root), nullptr));
  if (range && (boxWidth > range->max_width || boxHeight > range->max_height)) return false;
  if (range) {
    boxWidth = std::max<int>(boxWidth, range->min_width);
    boxHeight = std::max<int>(boxHeight, range->min_height);
  }

  const int oldWidth = screen->width_in_pixels, oldHeight = screen->height_in_pixels;
  const int oldMmWidth = screen->width_in_millimeters, oldMmHeight = screen->height_in_millimeters;
  auto resize = [&](int w, int h) {
    xcb_void_cookie_t cookie = xcb_randr_set_screen_size_checked(c, screen->root, w, h,
                                                                 millimetres(w, oldWidth, oldMmWidth),
                                                                 millimetres(h, oldHeight, oldMmHeight));
    xcb_generic_error_t* error = xcb_request_check(c, cookie);
    const bool ok = !error;
    std::free(error);
    return ok;
  };

  xcb_grab_server(c);
  bool ok = true;
  // Grow first so the CRTC fits, shrink last so nothing is cut off meanwhile.
  const int growWidth = std::max(oldWidth, boxWidth), growHeight = std::max(oldHeight, boxHeight);
  const bool grew = growWidth != oldWidth || growHeight != oldHeight;
  if (grew) ok = resize(growWidth, growHeight);
  if (ok) {
    const xcb_randr_output_t* outputs = xcb_randr_get_crtc_info_outputs(output->crtc.get());
    const int outputCount = xcb_randr_get_crtc_info_outputs_length(output->crtc.get());
    Reply<xcb_randr_set_crtc_config_reply_t> reply(xcb_randr_set_crtc_config_reply(
        c,
        xcb_randr_set_crtc_config(c, crtc, XCB_CURRENT_TIME, session.resources()->config_timestamp,
                                  output->crtc->x, output->crtc->y, chosen->id, output->crtc->rotation,
                                  outputCount, outputs),
        nullptr));
    ok = reply && reply->status == XCB_RANDR_SET_CONFIG_SUCCESS;
    if (!ok) qWarning("display: the X server refused mode %dx%d on %s", wanted.width, wanted.height,
                      qPrintable(output->name));
  }
  if (ok && (boxWidth != growWidth || boxHeight != growHeight)) resize(boxWidth, boxHeight);
  if (!ok && grew) resize(oldWidth, oldHeight);
  xcb_ungrab_server(c);
  xcb_flush(c);
  return ok;
}

QList<Monitor> XRandrDisplaySettings::monitors() {
  Session session(displayName_);
  if (!session.ok()) return {};
  const xcb_randr_output_t primary = session.primary();
  QList<Monitor> list;
  for (const Output& out : session.activeOutputs()) {
    Monitor m{out.name, QRect(out.crtc->x, out.crtc->y, out.crtc->width, out.crtc->height), out.id == primary};
    if (m.primary) list.prepend(m); else list.append(m);
  }
  // A server without a primary output: the first one stands for it.
  if (!list.isEmpty() && !list.first().primary) list.first().primary = true;
  return list;
}

}  // namespace lumi::display
