#include "tests/filter/FilterModule.h"

#include <QDir>
#include <QFileInfo>
#include <random>

#include "tests/support/TestPaths.h"

namespace lumi::caption::test {

std::string modulePath() {
  QString dir = lumi::test::programDir();
  if (dir.isEmpty()) dir = QStringLiteral(LUMI_FILTER_PROGRAM_DIR);
  return QFileInfo(QDir(dir).filePath("CaptionBlend.ax")).canonicalFilePath().toStdString();
}

void loadPlugin() {
  static const bool loaded = [] {
    gst_init(nullptr, nullptr);
    GError* error = nullptr;
    GstPlugin* plugin = gst_plugin_load_file(modulePath().c_str(), &error);
    if (!plugin) {
      g_printerr("cannot load %s: %s\n", modulePath().c_str(), error ? error->message : "?");
      g_clear_error(&error);
      return false;
    }
    gst_object_unref(plugin);
    return true;
  }();
  (void)loaded;
}

lumi::com::ICaptionBlend* captionBlendOf(GstElement* element) {
  lumi::com::IUnknown* unknown = nullptr;
  g_object_get(element, "com-object", &unknown, nullptr);
  void* blend = nullptr;
  if (!unknown || lumi::com::failed(unknown->QueryInterface(lumi::com::IID_ICaptionBlend, &blend))) return nullptr;
  return static_cast<lumi::com::ICaptionBlend*>(blend);
}

GstCaps* videoCaps(const char* format, int width, int height) {
  return gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, format, "width", G_TYPE_INT, width, "height",
                             G_TYPE_INT, height, "framerate", GST_TYPE_FRACTION, 25, 1, nullptr);
}

GstBuffer* makeFrame(GstCaps* caps, unsigned pattern) {
  GstVideoInfo info;
  gst_video_info_from_caps(&info, caps);
  GstBuffer* buffer = gst_buffer_new_allocate(nullptr, GST_VIDEO_INFO_SIZE(&info), nullptr);
  GstMapInfo map;
  gst_buffer_map(buffer, &map, GST_MAP_WRITE);
  std::mt19937 rng(pattern);
  for (gsize i = 0; i < map.size; ++i) map.data[i] = std::uint8_t(rng());
  gst_buffer_unmap(buffer, &map);
  return buffer;
}

std::vector<std::uint8_t> pictureBytes(GstBuffer* buffer, GstCaps* caps) {
  GstVideoInfo info;
  gst_video_info_from_caps(&info, caps);
  GstVideoFrame frame;
  std::vector<std::uint8_t> bytes;
  if (!gst_video_frame_map(&frame, &info, buffer, GST_MAP_READ)) return bytes;
  for (guint p = 0; p < GST_VIDEO_FRAME_N_PLANES(&frame); ++p) {
    guint comp = 0;
    while (comp + 1 < GST_VIDEO_FRAME_N_COMPONENTS(&frame) && guint(GST_VIDEO_FRAME_COMP_PLANE(&frame, comp)) != p) ++comp;
    const int rowBytes = GST_VIDEO_FRAME_FORMAT(&frame) == GST_VIDEO_FORMAT_YUY2
                             ? (GST_VIDEO_FRAME_WIDTH(&frame) + 1) / 2 * 4
                             : GST_VIDEO_FRAME_COMP_WIDTH(&frame, comp) * GST_VIDEO_FRAME_COMP_PSTRIDE(&frame, comp);
    const auto* data = static_cast<const std::uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, p));
    for (int y = 0; y < GST_VIDEO_FRAME_COMP_HEIGHT(&frame, comp); ++y) {
      const std::uint8_t* row = data + std::ptrdiff_t(y) * GST_VIDEO_FRAME_PLANE_STRIDE(&frame, p);
      bytes.insert(bytes.end(), row, row + rowBytes);
    }
  }
  gst_video_frame_unmap(&frame);
  return bytes;
}

}  // namespace lumi::caption::test
