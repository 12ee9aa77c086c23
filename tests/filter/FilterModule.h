#pragma once
// The built "CaptionBlend.ax" as the tests reach it: its path, GStreamer set
// up once with the module loaded as a plugin, and small harness helpers.
#include <gst/check/gstharness.h>
#include <gst/gst.h>
#include <gst/video/video.h>

#include <string>
#include <vector>

#include "filter/com/ICaptionBlend.h"

namespace lumi::caption::test {

// Absolute path of the module in the programs folder.
std::string modulePath();

// gst_init and gst_plugin_load_file of the module, once per process.
void loadPlugin();

// The filter's ICaptionBlend from an element made by the plugin (referenced).
lumi::com::ICaptionBlend* captionBlendOf(GstElement* element);

// Video caps for a format in GStreamer's name.
GstCaps* videoCaps(const char* format, int width, int height);

// A buffer of the size of `caps` with reproducible content.
GstBuffer* makeFrame(GstCaps* caps, unsigned pattern);

// Picture bytes (no row padding) of a buffer of `caps`, plane after plane.
std::vector<std::uint8_t> pictureBytes(GstBuffer* buffer, GstCaps* caps);

}  // namespace lumi::caption::test
