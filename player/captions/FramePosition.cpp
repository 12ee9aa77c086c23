#include "player/captions/FramePosition.h"

#include <gst/gst.h>

namespace lumi::player {

namespace {
GstPadProbeReturn onProbe(GstPad*, GstPadProbeInfo* info, gpointer self) {
  observeFrame(*static_cast<FramePosition*>(self), info);
  return GST_PAD_PROBE_OK;
}
}  // namespace

FramePosition::FramePosition(GstElement* element) {
  segment_ = gst_segment_new();
  gst_segment_init(static_cast<GstSegment*>(segment_), GST_FORMAT_TIME);
  pad_ = element ? gst_element_get_static_pad(element, "sink") : nullptr;
  if (!pad_) return;
  probe_ = gst_pad_add_probe(
      pad_, GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM | GST_PAD_PROBE_TYPE_EVENT_FLUSH),
      onProbe, this, nullptr);
}

FramePosition::~FramePosition() {
  if (pad_) {
    if (probe_) gst_pad_remove_probe(pad_, probe_);
    gst_object_unref(pad_);
  }
  gst_segment_free(static_cast<GstSegment*>(segment_));
}

void observeFrame(FramePosition& frames, GstPadProbeInfo* info) {
  FramePosition* self = &frames;
  std::lock_guard<std::mutex> guard(self->lock_);
  auto* segment = static_cast<GstSegment*>(self->segment_);
  if (GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_BUFFER) {
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    if (!GST_BUFFER_PTS_IS_VALID(buffer)) return;
    const guint64 start = gst_segment_to_stream_time(segment, GST_FORMAT_TIME, GST_BUFFER_PTS(buffer));
    if (start == GST_CLOCK_TIME_NONE) return;
    // Without a duration the gap from the frame before stands in for it.
    std::int64_t duration = GST_BUFFER_DURATION_IS_VALID(buffer) ? std::int64_t(GST_BUFFER_DURATION(buffer)) : 0;
    if (!duration && self->lastStart_ >= 0 && std::int64_t(start) > self->lastStart_)
      duration = std::int64_t(start) - self->lastStart_;
    self->lastStart_ = std::int64_t(start);
    self->next_ = (std::int64_t(start) + duration) / 100;
    return;
  }
  GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
  switch (GST_EVENT_TYPE(event)) {
    case GST_EVENT_SEGMENT: {
      const GstSegment* incoming = nullptr;
      gst_event_parse_segment(event, &incoming);
      if (incoming && incoming->format == GST_FORMAT_TIME) gst_segment_copy_into(incoming, segment);
      break;
    }
    case GST_EVENT_FLUSH_STOP:
      self->lastStart_ = -1;
      self->next_ = -1;
      break;
    default: break;
  }
}

}  // namespace lumi::player
