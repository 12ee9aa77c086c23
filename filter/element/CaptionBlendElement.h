#pragma once
// The GStreamer element "captionblend": a video filter whose every frame goes
// through CaptionBlendFilter. Properties: "com-object" (the filter's IUnknown,
// not referenced), and "text" and "position" for pipelines built by hand.
#include <gst/gst.h>

G_BEGIN_DECLS

GType lumi_caption_blend_get_type(void);
#define LUMI_TYPE_CAPTION_BLEND (lumi_caption_blend_get_type())

G_END_DECLS

namespace lumi::caption {
class CaptionBlendFilter;
// The filter inside an element of this type (null for other elements).
CaptionBlendFilter* filterOf(GstElement* element);
}  // namespace lumi::caption
