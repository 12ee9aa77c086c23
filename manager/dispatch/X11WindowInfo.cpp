#include "manager/dispatch/X11WindowInfo.h"

#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

namespace lumi::manager {
namespace {

// A window may offer big icons; more than this (16 MB) is not read.
constexpr std::uint32_t kMaxIconWords = 4u << 20;
constexpr std::uint32_t kMaxIconSide = 1024;
constexpr std::uint32_t kIconicState = 3;

std::vector<std::uint32_t> cardinals(X11Connection& x, xcb_window_t window, xcb_atom_t property, std::uint32_t maxWords) {
  std::vector<std::uint32_t> out;
  xcb_get_property_reply_t* r = xcb_get_property_reply(
      x.get(), xcb_get_property(x.get(), 0, window, property, XCB_ATOM_ANY, 0, maxWords), nullptr);
  if (r && r->format == 32) {
    const auto* words = static_cast<const std::uint32_t*>(xcb_get_property_value(r));
    out.assign(words, words + xcb_get_property_value_length(r) / 4);
  }
  std::free(r);
  return out;
}

}  // namespace

bool X11WindowInfo::isVisible(desktop::WindowId window) {
  if (!x_.ok()) return false;
  const auto w = static_cast<xcb_window_t>(window);
  xcb_get_window_attributes_reply_t* a =
      xcb_get_window_attributes_reply(x_.get(), xcb_get_window_attributes(x_.get(), w), nullptr);
  // Pop-ups (menus, tooltips, a window manager's helpers) bypass the window
  // manager and are nobody's main window.
  const bool viewable = a && a->map_state == XCB_MAP_STATE_VIEWABLE;
  const bool popup = a && a->override_redirect;
  std::free(a);
  if (popup) return false;
  if (viewable) return true;
  // A minimised window is unmapped on X but still one of the running programs.
  const std::vector<std::uint32_t> state = cardinals(x_, w, x_.atom("WM_STATE"), 2);
  x_.pump();
  return !state.empty() && state[0] == kIconicState;
}

bool X11WindowInfo::isDesktopShell(desktop::WindowId window) {
  if (!x_.ok()) return false;
  const auto w = static_cast<xcb_window_t>(window);
  const std::vector<std::uint32_t> check = cardinals(x_, x_.root(), x_.atom("_NET_SUPPORTING_WM_CHECK"), 1);
  if (!check.empty() && check[0] == w) return true;
  const std::vector<std::uint32_t> types = cardinals(x_, w, x_.atom("_NET_WM_WINDOW_TYPE"), 16);
  x_.pump();
  const xcb_atom_t desktop = x_.atom("_NET_WM_WINDOW_TYPE_DESKTOP"), dock = x_.atom("_NET_WM_WINDOW_TYPE_DOCK");
  for (const std::uint32_t type : types)
    if (type == desktop || type == dock) return true;
  return false;
}

QImage X11WindowInfo::icon(desktop::WindowId window, int size) {
  if (!x_.ok()) return {};
  const std::vector<std::uint32_t> value =
      cardinals(x_, static_cast<xcb_window_t>(window), x_.atom("_NET_WM_ICON"), kMaxIconWords);
  x_.pump();
  return iconFromNetWmIcon(value, size);
}

QImage iconFromNetWmIcon(std::span<const std::uint32_t> value, int size) {
  struct Candidate {
    std::size_t offset = 0;
    std::uint32_t width = 0, height = 0;
  };
  std::optional<Candidate> best;
  std::size_t i = 0;
  while (value.size() - i >= 2) {
    const std::uint32_t width = value[i], height = value[i + 1];
    if (width == 0 || height == 0 || width > kMaxIconSide || height > kMaxIconSide) break;
    const std::size_t pixels = std::size_t(width) * height;
    if (value.size() - i - 2 < pixels) break;  // cut short
    const Candidate c{i + 2, width, height};
    const auto side = [](const Candidate& k) { return std::min(k.width, k.height); };
    const std::uint32_t wanted = std::uint32_t(size);
    if (!best) {
      best = c;
    } else if (side(c) >= wanted) {
      if (side(*best) < wanted || side(c) < side(*best)) best = c;
    } else if (side(*best) < wanted && side(c) > side(*best)) {
      best = c;
    }
    i += 2 + pixels;
  }
  if (!best) return {};
  QImage picture(int(best->width), int(best->height), QImage::Format_ARGB32);
  for (std::uint32_t y = 0; y < best->height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(picture.scanLine(int(y)));
    for (std::uint32_t x = 0; x < best->width; ++x) line[x] = value[best->offset + std::size_t(y) * best->width + x];
  }
  if (picture.width() == size && picture.height() == size) return picture;
  const QImage scaled = picture.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  QImage square(size, size, QImage::Format_ARGB32);
  square.fill(Qt::transparent);
  QPainter painter(&square);
  painter.drawImage((size - scaled.width()) / 2, (size - scaled.height()) / 2, scaled);
  return square;
}

}  // namespace lumi::manager
