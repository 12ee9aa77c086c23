#include "filter/element/CaptionBlendElement.h"

#include <gst/video/gstvideofilter.h>
#include <gst/video/video.h>

#include <utility>

#include "filter/element/CaptionBlendFilter.h"
#include "filter/element/CapsMapping.h"

GST_DEBUG_CATEGORY(lumi_caption_blend_debug);
#define GST_CAT_DEFAULT lumi_caption_blend_debug

using lumi::caption::CaptionBlendFilter;

struct LumiCaptionBlend {
  GstVideoFilter parent;
  CaptionBlendFilter* filter;
  GstBufferPool* proposedPool;  // the pool offered upstream, to tell whether it is used
};

struct LumiCaptionBlendClass {
  GstVideoFilterClass parent_class;
};

G_DEFINE_TYPE(LumiCaptionBlend, lumi_caption_blend, GST_TYPE_VIDEO_FILTER)

namespace {

enum { PROP_0, PROP_COM_OBJECT, PROP_TEXT, PROP_POSITION };

LumiCaptionBlend* self(gpointer object) { return reinterpret_cast<LumiCaptionBlend*>(object); }

gboolean onSetInfo(GstVideoFilter* vf, GstCaps*, GstVideoInfo* inInfo, GstCaps*, GstVideoInfo* outInfo) {
  return self(vf)->filter->SetMediaTypes(lumi::caption::videoTypeOf(*inInfo), lumi::caption::videoTypeOf(*outInfo));
}

GstFlowReturn onTransformFrame(GstVideoFilter* vf, GstVideoFrame* in, GstVideoFrame* out) {
  LumiCaptionBlend* s = self(vf);
  s->filter->NotifyAllocator(s->proposedPool && in->buffer->pool == s->proposedPool);
  return s->filter->Transform(in, out);
}

gboolean onStart(GstBaseTransform* bt) {
  self(bt)->filter->StartStreaming();
  return TRUE;
}

gboolean onStop(GstBaseTransform* bt) {
  LumiCaptionBlend* s = self(bt);
  s->filter->StopStreaming();
  if (s->proposedPool) gst_object_unref(std::exchange(s->proposedPool, nullptr));
  return TRUE;
}

GstCaps* onTransformCaps(GstBaseTransform*, GstPadDirection direction, GstCaps* caps, GstCaps* filter) {
  return lumi::caption::transformCaps(direction, caps, filter);
}

gboolean onProposeAllocation(GstBaseTransform* bt, GstQuery* decideQuery, GstQuery* query) {
  if (!GST_BASE_TRANSFORM_CLASS(lumi_caption_blend_parent_class)->propose_allocation(bt, decideQuery, query))
    return FALSE;
  LumiCaptionBlend* s = self(bt);
  GstBufferPool* pool = nullptr;
  if (gst_query_get_n_allocation_pools(query) > 0) gst_query_parse_nth_allocation_pool(query, 0, &pool, nullptr, nullptr, nullptr);
  if (s->proposedPool) gst_object_unref(s->proposedPool);
  s->proposedPool = pool;  // takes the reference the query handed out
  return TRUE;
}

// Caps queries answer in the filter's order (YUY2, then YV12, then the RGB
// formats) rather than the asker's, so that upstream moves to the formats the
// filter prefers whenever it can produce them.
gboolean onQuery(GstBaseTransform* bt, GstPadDirection direction, GstQuery* query) {
  auto* parent = GST_BASE_TRANSFORM_CLASS(lumi_caption_blend_parent_class);
  if (GST_QUERY_TYPE(query) != GST_QUERY_CAPS) return parent->query(bt, direction, query);
  GstCaps* filter = nullptr;
  gst_query_parse_caps(query, &filter);
  GstQuery* unfiltered = gst_query_new_caps(nullptr);
  const gboolean ok = parent->query(bt, direction, unfiltered);
  if (ok) {
    GstCaps* caps = nullptr;
    gst_query_parse_caps_result(unfiltered, &caps);
    GstCaps* ordered = gst_caps_is_any(caps) ? gst_caps_ref(caps) : lumi::caption::preferredOrder(caps);
    GstCaps* result = filter ? gst_caps_intersect_full(ordered, filter, GST_CAPS_INTERSECT_FIRST) : gst_caps_ref(ordered);
    gst_caps_unref(ordered);
    gst_query_set_caps_result(query, result);
    gst_caps_unref(result);
  }
  gst_query_unref(unfiltered);
  return ok;
}

gboolean onSinkEvent(GstBaseTransform* bt, GstEvent* event) {
  if (GST_EVENT_TYPE(event) == GST_EVENT_FLUSH_STOP) self(bt)->filter->ForgetLastSamples();
  return GST_BASE_TRANSFORM_CLASS(lumi_caption_blend_parent_class)->sink_event(bt, event);
}

void onSetProperty(GObject* object, guint id, const GValue* value, GParamSpec* param) {
  CaptionBlendFilter* f = self(object)->filter;
  switch (id) {
    case PROP_TEXT: f->SetText(g_value_get_string(value)); break;
    case PROP_POSITION: f->SetPosition(g_value_get_int(value)); break;
    default: G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, param);
  }
}

void onGetProperty(GObject* object, guint id, GValue* value, GParamSpec* param) {
  CaptionBlendFilter* f = self(object)->filter;
  switch (id) {
    case PROP_COM_OBJECT: g_value_set_pointer(value, static_cast<lumi::com::ICaptionBlend*>(f)); break;
    case PROP_TEXT: g_value_set_string(value, f->captions().snapshot()->captionText.c_str()); break;
    case PROP_POSITION: g_value_set_int(value, f->captions().snapshot()->captionPosition); break;
    default: G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, param);
  }
}

void onFinalize(GObject* object) {
  LumiCaptionBlend* s = self(object);
  delete std::exchange(s->filter, nullptr);
  if (s->proposedPool) gst_object_unref(std::exchange(s->proposedPool, nullptr));
  G_OBJECT_CLASS(lumi_caption_blend_parent_class)->finalize(object);
}

}  // namespace

static void lumi_caption_blend_class_init(LumiCaptionBlendClass* klass) {
  GObjectClass* objectClass = G_OBJECT_CLASS(klass);
  GstElementClass* elementClass = GST_ELEMENT_CLASS(klass);
  GstBaseTransformClass* btClass = GST_BASE_TRANSFORM_CLASS(klass);
  GstVideoFilterClass* vfClass = GST_VIDEO_FILTER_CLASS(klass);

  objectClass->set_property = onSetProperty;
  objectClass->get_property = onGetProperty;
  objectClass->finalize = onFinalize;
  g_object_class_install_property(
      objectClass, PROP_COM_OBJECT,
      g_param_spec_pointer("com-object", "COM object", "The filter's IUnknown (no reference taken)",
                           GParamFlags(G_PARAM_READABLE | G_PARAM_STATIC_STRINGS)));
  g_object_class_install_property(
      objectClass, PROP_TEXT,
      g_param_spec_string("text", "Text", "Caption text (UTF-8)", "",
                          GParamFlags(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS)));
  g_object_class_install_property(
      objectClass, PROP_POSITION,
      g_param_spec_int("position", "Position", "Vertical place of the caption in percent (0 top, 100 bottom)",
                       G_MININT, G_MAXINT, 100, GParamFlags(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS)));

  gst_element_class_set_static_metadata(elementClass, "Caption Blend", "Filter/Effect/Video",
                                        "Draws captions and the player's on-screen menu into the picture",
                                        "Quelmar Lumicaster");
  GstCaps* caps = lumi::caption::templateCaps();
  gst_element_class_add_pad_template(elementClass, gst_pad_template_new("sink", GST_PAD_SINK, GST_PAD_ALWAYS, caps));
  gst_element_class_add_pad_template(elementClass, gst_pad_template_new("src", GST_PAD_SRC, GST_PAD_ALWAYS, caps));
  gst_caps_unref(caps);

  btClass->start = onStart;
  btClass->stop = onStop;
  btClass->transform_caps = onTransformCaps;
  btClass->propose_allocation = onProposeAllocation;
  btClass->sink_event = onSinkEvent;
  btClass->query = onQuery;
  vfClass->set_info = onSetInfo;
  vfClass->transform_frame = onTransformFrame;

  GST_DEBUG_CATEGORY_INIT(lumi_caption_blend_debug, "captionblend", 0, "Caption Blend filter");
}

static void lumi_caption_blend_init(LumiCaptionBlend* s) {
  s->filter = new CaptionBlendFilter(GST_ELEMENT(s));
  s->proposedPool = nullptr;
}

namespace lumi::caption {
CaptionBlendFilter* filterOf(GstElement* element) {
  if (!element || !G_TYPE_CHECK_INSTANCE_TYPE(element, LUMI_TYPE_CAPTION_BLEND)) return nullptr;
  return reinterpret_cast<LumiCaptionBlend*>(element)->filter;
}
}  // namespace lumi::caption
