#include "filter/core/CaptionText.h"

#include <hb.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cstdint>

namespace lumi::caption {

namespace {

struct Pass {
  int dx, dy;
  double level;
};
constexpr Pass kPasses[] = {{-1, -1, 0.0}, {1, -1, 0.0}, {1, 1, 0.0}, {-1, 1, 0.0}, {0, 0, 1.0}};

}  // namespace

CaptionText::CaptionText() {
  // A private font map: Pango objects must not be shared with other threads'
  // drawing, and the filter may be driven from the player's thread too.
  fontMap_ = pango_cairo_font_map_new();
  context_ = pango_font_map_create_context(fontMap_);
  layout_ = pango_layout_new(context_);
  pango_layout_set_wrap(layout_, PANGO_WRAP_WORD_CHAR);
  pango_layout_set_alignment(layout_, PANGO_ALIGN_CENTER);
  setFont(captionFontFrom(defaultCaptionLogFont()));
}

CaptionText::~CaptionText() {
  g_object_unref(layout_);
  g_object_unref(context_);
  g_object_unref(fontMap_);
}

void CaptionText::setFont(const CaptionFont& font) {
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, font.antialias ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
  pango_cairo_context_set_font_options(context_, options);
  cairo_font_options_destroy(options);

  PangoFontDescription* desc = pango_font_description_new();
  pango_font_description_set_family(desc, font.families.c_str());
  pango_font_description_set_weight(desc, PangoWeight(std::clamp(font.weight, 100, 1000)));
  pango_font_description_set_style(desc, font.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);

  int em = font.height < 0 ? -font.height : font.height > 0 ? font.height : kDefaultEmPixels;
  em = std::clamp(em, 1, 2048);
  pango_font_description_set_absolute_size(desc, double(em) * PANGO_SCALE);
  if (font.height > 0) {
    // A positive height is the cell (ascent + descent), not the em.
    if (PangoFontMetrics* m = pango_context_get_metrics(context_, desc, nullptr)) {
      const int cell = pango_font_metrics_get_ascent(m) + pango_font_metrics_get_descent(m);
      pango_font_metrics_unref(m);
      if (cell > 0) em = std::clamp(int(std::int64_t(em) * em * PANGO_SCALE / cell), 1, 2048);
      pango_font_description_set_absolute_size(desc, double(em) * PANGO_SCALE);
    }
  }
  emPixels_ = em;

  // External leading: the font's line gap goes between lines.
  int lineGap = 0;
  if (PangoFont* loaded = pango_context_load_font(context_, desc)) {
    if (hb_font_t* hb = pango_font_get_hb_font(loaded)) {
      hb_font_extents_t extents{};
      if (hb_font_get_h_extents(hb, &extents)) {
        int xScale = 0, yScale = 0;
        hb_font_get_scale(hb, &xScale, &yScale);
        hb_face_t* face = hb_font_get_face(hb);
        const unsigned upem = face ? hb_face_get_upem(face) : 0;
        // Scale is in font units per em; express the gap in Pango units of this em.
        if (yScale > 0) lineGap = int(std::int64_t(extents.line_gap) * em * PANGO_SCALE / yScale);
        else if (upem > 0) lineGap = int(std::int64_t(extents.line_gap) * em * PANGO_SCALE / upem);
      }
    }
    g_object_unref(loaded);
  }
  pango_layout_set_spacing(layout_, std::max(lineGap, 0));

  pango_layout_set_font_description(layout_, desc);
  pango_font_description_free(desc);

  PangoAttrList* attrs = pango_attr_list_new();
  if (font.underline) pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
  if (font.strikeOut) pango_attr_list_insert(attrs, pango_attr_strikethrough_new(TRUE));
  pango_layout_set_attributes(layout_, attrs);
  pango_attr_list_unref(attrs);
  pango_layout_context_changed(layout_);
}

PictureSize CaptionText::measure(const std::string& text, int wrapWidth) {
  if (g_utf8_validate(text.data(), gssize(text.size()), nullptr)) {
    pango_layout_set_text(layout_, text.data(), int(text.size()));
  } else {
    gchar* valid = g_utf8_make_valid(text.data(), gssize(text.size()));
    pango_layout_set_text(layout_, valid, -1);
    g_free(valid);
  }
  pango_layout_set_width(layout_, std::max(wrapWidth, 1) * PANGO_SCALE);
  PangoRectangle logical{};
  pango_layout_get_pixel_extents(layout_, nullptr, &logical);
  logicalX_ = logical.x;
  logicalY_ = logical.y;
  logicalWidth_ = logical.width;
  logicalHeight_ = logical.height;
  if (text.empty()) return {};
  return {logical.width, logical.height};
}

PixelRect CaptionText::drawOutlined(CaptionSurface& surface, const PixelRect& rect) {
  const PixelRect area = rect.inflated(1);
  const PixelRect onSurface = area.clippedTo(surface.width(), surface.height());
  if (rect.empty() || onSurface.empty()) return {};

  cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, area.width(), area.height());
  cairo_t* cr = cairo_create(scratch);
  // Each line centred in the rectangle: Pango centres lines within the wrap
  // width, so the block is moved by where its widest line starts.
  const int originX = rect.left - logicalX_ + (rect.width() - logicalWidth_) / 2 - area.left;
  const int originY = rect.top - logicalY_ - area.top;
  for (const Pass& pass : kPasses) {
    cairo_save(cr);
    cairo_rectangle(cr, rect.left + pass.dx - area.left, rect.top + pass.dy - area.top, rect.width(), rect.height());
    cairo_clip(cr);
    cairo_set_source_rgb(cr, pass.level, pass.level, pass.level);
    cairo_move_to(cr, originX + pass.dx, originY + pass.dy);
    pango_cairo_show_layout(cr, layout_);
    cairo_restore(cr);
  }
  cairo_destroy(cr);
  cairo_surface_flush(scratch);

  // Every touched pixel becomes opaque with its colour over black, as text
  // drawn on the black-looking transparent surface would be.
  const unsigned char* data = cairo_image_surface_get_data(scratch);
  const int stride = cairo_image_surface_get_stride(scratch);
  for (int y = onSurface.top; y < onSurface.bottom; ++y) {
    const auto* src = reinterpret_cast<const std::uint32_t*>(data + std::ptrdiff_t(y - area.top) * stride);
    std::uint32_t* dst = surface.row(y);
    for (int x = onSurface.left; x < onSurface.right; ++x) {
      const std::uint32_t p = src[x - area.left];
      if (p >> 24) dst[x] = p & 0x00FFFFFFu;
    }
  }
  cairo_surface_destroy(scratch);
  return onSurface;
}

int CaptionText::lineCount() const { return pango_layout_get_line_count(layout_); }

int CaptionText::unknownGlyphs() const { return pango_layout_get_unknown_glyphs_count(layout_); }

std::string CaptionText::usedFamily() const {
  PangoLayoutIter* it = pango_layout_get_iter(layout_);
  std::string family;
  if (PangoLayoutRun* run = pango_layout_iter_get_run_readonly(it)) {
    PangoFontDescription* d = pango_font_describe(run->item->analysis.font);
    if (const char* f = pango_font_description_get_family(d)) family = f;
    pango_font_description_free(d);
  }
  pango_layout_iter_free(it);
  return family;
}

}  // namespace lumi::caption
