#pragma once
// The filter's seven formats in GStreamer's names, media types from and to
// negotiated video info, and the caps the filter offers on one side for caps
// on the other.
//
//   YUY2 -> "YUY2", YV12 -> "YV12" and "I420", RGB555 -> "RGB15",
//   RGB565 -> "RGB16", RGB24 -> "BGR", RGB32 -> "BGRx", ARGB32 -> "BGRA"
// (GStreamer's RGB rows are top-down, so their headers carry negative heights;
// I420 is handled as YV12 with its chroma planes swapped, and its header
// carries the FourCC "I420".)
#include <gst/gst.h>
#include <gst/video/video.h>

#include <optional>

#include "filter/core/Picture.h"
#include "filter/core/VideoType.h"

namespace lumi::caption {

const char* gstFormatName(PixelFormat format);
std::optional<PixelFormat> pixelFormatOf(GstVideoFormat format);

// The caps of both pad templates, YUY2, YV12 and I420 first.
GstCaps* templateCaps();

VideoType videoTypeOf(const GstVideoInfo& info);

// Caps on the other side of the filter, best first: the pixel format never
// changes across it, YUY2, YV12 and I420 lead, and a fixed input goes through the
// filter's offered output types.
GstCaps* transformCaps(GstPadDirection direction, GstCaps* caps, GstCaps* filter);

// The same caps, one format a structure, in the filter's order of preference.
GstCaps* preferredOrder(GstCaps* caps);

// A mapped frame as the pixel code addresses it.
Picture pictureOf(const GstVideoFrame& frame);

}  // namespace lumi::caption
