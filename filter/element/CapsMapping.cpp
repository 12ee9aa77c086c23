#include "filter/element/CapsMapping.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace lumi::caption {

namespace {

// GStreamer's formats the filter takes, in its order of preference. I420 is
// YV12 with the chroma planes stored the other way round; the pixel code
// addresses planes as Y, U, V wherever they lie, so I420 goes the YV12 way
// and decoders that produce I420 need no conversion in front of the filter.
struct GstFormat {
  const char* name;
  GstVideoFormat video;
  PixelFormat format;
};
constexpr GstFormat kGstFormats[] = {
    {"YUY2", GST_VIDEO_FORMAT_YUY2, PixelFormat::YUY2},     {"YV12", GST_VIDEO_FORMAT_YV12, PixelFormat::YV12},
    {"I420", GST_VIDEO_FORMAT_I420, PixelFormat::YV12},     {"RGB15", GST_VIDEO_FORMAT_RGB15, PixelFormat::RGB555},
    {"RGB16", GST_VIDEO_FORMAT_RGB16, PixelFormat::RGB565}, {"BGR", GST_VIDEO_FORMAT_BGR, PixelFormat::RGB24},
    {"BGRx", GST_VIDEO_FORMAT_BGRx, PixelFormat::RGB32},    {"BGRA", GST_VIDEO_FORMAT_BGRA, PixelFormat::ARGB32},
};

bool formatAllowed(const GstStructure* s, const char* name) {
  const GValue* v = gst_structure_get_value(s, "format");
  if (!v) return true;
  if (G_VALUE_HOLDS_STRING(v)) return g_strcmp0(g_value_get_string(v), name) == 0;
  if (GST_VALUE_HOLDS_LIST(v)) {
    for (guint i = 0; i < gst_value_list_get_size(v); ++i) {
      const GValue* item = gst_value_list_get_value(v, i);
      if (G_VALUE_HOLDS_STRING(item) && g_strcmp0(g_value_get_string(item), name) == 0) return true;
    }
  }
  return false;
}

bool isFixed(const GstStructure* s) {
  for (int i = 0; i < gst_structure_n_fields(s); ++i)
    if (!gst_value_is_fixed(gst_structure_get_value(s, gst_structure_nth_field_name(s, guint(i))))) return false;
  return true;
}

// The output structure for one fixed input structure, through the offered types.
GstStructure* offeredStructure(const GstStructure* in, const GstFormat& format) {
  GstStructure* out = gst_structure_copy(in);
  int w = 0, h = 0;
  if (gst_structure_get_int(in, "width", &w) && gst_structure_get_int(in, "height", &h)) {
    VideoType t;
    t.subtype = format.format;
    t.bih = makeHeader(format.format, w, isRgb(format.format) ? -h : h);
    const std::vector<VideoType> outputs = outputTypesFor(t);
    if (!outputs.empty()) {
      w = outputs.front().bih.biWidth;
      h = std::abs(outputs.front().bih.biHeight);
      gst_structure_set(out, "width", G_TYPE_INT, w, "height", G_TYPE_INT, h, nullptr);
    }
  }
  gst_structure_set(out, "format", G_TYPE_STRING, format.name, nullptr);
  return out;
}

// One format a structure, in the filter's order of preference; fixed sink-side
// structures go through the offered output types.
GstCaps* reorder(GstCaps* caps, bool offered) {
  GstCaps* result = gst_caps_new_empty();
  for (const GstFormat& f : kGstFormats) {
    for (guint i = 0; i < gst_caps_get_size(caps); ++i) {
      const GstStructure* s = gst_caps_get_structure(caps, i);
      GstCapsFeatures* features = gst_caps_get_features(caps, i);
      if (features && !gst_caps_features_is_equal(features, GST_CAPS_FEATURES_MEMORY_SYSTEM_MEMORY)) continue;
      if (!formatAllowed(s, f.name)) continue;
      GstStructure* out = nullptr;
      if (offered && isFixed(s)) {
        out = offeredStructure(s, f);
      } else {
        out = gst_structure_copy(s);
        gst_structure_set(out, "format", G_TYPE_STRING, f.name, nullptr);
      }
      result = gst_caps_merge_structure(result, out);
    }
  }
  return result;
}

}  // namespace

const char* gstFormatName(PixelFormat format) {
  switch (format) {
    case PixelFormat::YUY2: return "YUY2";
    case PixelFormat::YV12: return "YV12";
    case PixelFormat::RGB555: return "RGB15";
    case PixelFormat::RGB565: return "RGB16";
    case PixelFormat::RGB24: return "BGR";
    case PixelFormat::RGB32: return "BGRx";
    case PixelFormat::ARGB32: return "BGRA";
  }
  return nullptr;
}

std::optional<PixelFormat> pixelFormatOf(GstVideoFormat format) {
  for (const GstFormat& f : kGstFormats)
    if (f.video == format) return f.format;
  return std::nullopt;
}

GstCaps* templateCaps() {
  std::string formats;
  for (const GstFormat& f : kGstFormats) formats += std::string(formats.empty() ? "" : ", ") + f.name;
  const std::string text = "video/x-raw, format=(string){ " + formats + " }, width=(int)[ 1, " +
                           std::to_string(kMaxPictureSide) + " ], height=(int)[ 1, " + std::to_string(kMaxPictureSide) +
                           " ], framerate=(fraction)[ 0/1, 2147483647/1 ]";
  return gst_caps_from_string(text.c_str());
}

VideoType videoTypeOf(const GstVideoInfo& info) {
  VideoType t;
  t.majorVideo = true;
  t.subtype = pixelFormatOf(GST_VIDEO_INFO_FORMAT(&info));
  const int w = GST_VIDEO_INFO_WIDTH(&info), h = GST_VIDEO_INFO_HEIGHT(&info);
  // Only a VideoInfo2 block carries a picture aspect ratio.
  const bool squarePixels = GST_VIDEO_INFO_PAR_N(&info) == GST_VIDEO_INFO_PAR_D(&info);
  t.block = squarePixels ? FormatBlock::VideoInfo : FormatBlock::VideoInfo2;
  if (!squarePixels) {
    t.pictAspectX = std::uint32_t(std::int64_t(w) * GST_VIDEO_INFO_PAR_N(&info));
    t.pictAspectY = std::uint32_t(std::int64_t(h) * GST_VIDEO_INFO_PAR_D(&info));
  }
  t.source = t.target = {0, 0, w, h};
  if (GST_VIDEO_INFO_FPS_N(&info) > 0)
    t.avgTimePerFrame = gint64(10000000) * GST_VIDEO_INFO_FPS_D(&info) / GST_VIDEO_INFO_FPS_N(&info);
  if (t.subtype) {
    t.bih = makeHeader(*t.subtype, w, isRgb(*t.subtype) ? -h : h);
    t.bih.biSizeImage = std::uint32_t(GST_VIDEO_INFO_SIZE(&info));
    // Its own FourCC, so that a switch between I420 and YV12 is a format change.
    if (GST_VIDEO_INFO_FORMAT(&info) == GST_VIDEO_FORMAT_I420) t.bih.biCompression = kFourccI420;
  }
  t.sampleSize = t.bih.biSizeImage;
  return t;
}

GstCaps* preferredOrder(GstCaps* caps) { return reorder(caps, false); }

GstCaps* transformCaps(GstPadDirection direction, GstCaps* caps, GstCaps* filter) {
  // Sizes pass unchanged under the filter's size rule, and the pixel format
  // never changes across the filter, so each format maps to itself.
  GstCaps* result = reorder(caps, direction == GST_PAD_SINK);
  if (filter) {
    GstCaps* intersected = gst_caps_intersect_full(result, filter, GST_CAPS_INTERSECT_FIRST);
    gst_caps_unref(result);
    result = intersected;
  }
  return result;
}

Picture pictureOf(const GstVideoFrame& frame) {
  Picture p;
  const auto format = pixelFormatOf(GST_VIDEO_FRAME_FORMAT(&frame));
  if (!format) return p;
  p.format = *format;
  p.width = GST_VIDEO_FRAME_WIDTH(&frame);
  p.height = GST_VIDEO_FRAME_HEIGHT(&frame);
  p.bottomUp = false;
  if (p.planeCount() == 1) {
    // Packed: the row start, not the first component's byte (R is not first in BGRx).
    p.planes[0].data = static_cast<std::uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0));
    p.planes[0].stride = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0);
    return p;
  }
  for (int c = 0; c < 3; ++c) {  // Y, U, V wherever their planes lie
    p.planes[c].data = static_cast<std::uint8_t*>(GST_VIDEO_FRAME_COMP_DATA(&frame, c));
    p.planes[c].stride = GST_VIDEO_FRAME_COMP_STRIDE(&frame, c);
  }
  return p;
}

}  // namespace lumi::caption
