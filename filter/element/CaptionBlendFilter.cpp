#include "filter/element/CaptionBlendFilter.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "filter/core/FrameCopy.h"
#include "filter/element/CapsMapping.h"

GST_DEBUG_CATEGORY_EXTERN(lumi_caption_blend_debug);
#define GST_CAT_DEFAULT lumi_caption_blend_debug

namespace lumi::caption {

namespace {

std::atomic<long> g_liveObjects{0};

// A write mapping of a frame that downstream may still hold: its memory is
// mapped directly, which succeeds only while nobody else has it mapped.
class RedrawTarget {
 public:
  RedrawTarget(GstBuffer* buffer, const GstVideoInfo& info) {
    if (gst_buffer_n_memory(buffer) != 1) return;
    memory_ = gst_buffer_peek_memory(buffer, 0);
    if (!gst_memory_map(memory_, &map_, GST_MAP_READWRITE)) {
      memory_ = nullptr;
      return;
    }
    const auto format = pixelFormatOf(GST_VIDEO_INFO_FORMAT(&info));
    if (!format) return;
    const GstVideoMeta* meta = gst_buffer_get_video_meta(buffer);
    picture_.format = *format;
    picture_.width = GST_VIDEO_INFO_WIDTH(&info);
    picture_.height = GST_VIDEO_INFO_HEIGHT(&info);
    for (int c = 0; c < picture_.planeCount(); ++c) {
      const int plane = GST_VIDEO_INFO_COMP_PLANE(&info, c);
      const gsize offset = meta ? meta->offset[plane] : GST_VIDEO_INFO_PLANE_OFFSET(&info, plane);
      const gint stride = meta ? meta->stride[plane] : GST_VIDEO_INFO_PLANE_STRIDE(&info, plane);
      const gsize rows = gsize(picture_.planeHeight(c));
      if (stride <= 0 || offset + gsize(stride) * (rows - 1) + picture_.rowBytes(c) > map_.size) return;
      picture_.planes[c].data = map_.data + offset;
      picture_.planes[c].stride = stride;
    }
    valid_ = true;
  }
  ~RedrawTarget() {
    if (memory_) gst_memory_unmap(memory_, &map_);
  }
  bool valid() const { return valid_; }
  const Picture& picture() const { return picture_; }

 private:
  GstMemory* memory_ = nullptr;
  GstMapInfo map_{};
  Picture picture_;
  bool valid_ = false;
};

}  // namespace

long CaptionBlendFilter::liveObjects() { return g_liveObjects.load(); }

CaptionBlendFilter::CaptionBlendFilter(GstElement* element) : element_(element) { ++g_liveObjects; }

CaptionBlendFilter::~CaptionBlendFilter() {
  ForgetLastSamples();
  --g_liveObjects;
}

HRESULT CaptionBlendFilter::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (iid == IID_IUnknown || iid == IID_ICaptionBlend) *object = static_cast<ICaptionBlend*>(this);
  else if (iid == IID_IBaseFilter) *object = static_cast<IBaseFilter*>(this);
  else return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

ULONG CaptionBlendFilter::AddRef() {
  gst_object_ref(element_);
  return ULONG(GST_OBJECT_REFCOUNT_VALUE(element_));
}

ULONG CaptionBlendFilter::Release() {
  const ULONG remaining = ULONG(GST_OBJECT_REFCOUNT_VALUE(element_)) - 1;
  gst_object_unref(element_);  // may destroy this object
  return remaining;
}

HRESULT CaptionBlendFilter::SetText(const char* text) {
  captions_.setText(text);
  return S_OK;
}

HRESULT CaptionBlendFilter::SetPosition(int percent) {
  captions_.setPosition(percent);
  return S_OK;
}

HRESULT CaptionBlendFilter::SetFont(const LOGFONTA* font) {
  captions_.setFont(std::make_shared<const CaptionFont>(captionFontFrom(font ? *font : defaultCaptionLogFont())));
  return S_OK;
}

HRESULT CaptionBlendFilter::SetOverlayBitmap(const CaptionBitmap* bitmap) {
  if (!bitmap) captions_.clearOverlayBitmap();
  else captions_.setOverlayBitmap(bitmap->bits, bitmap->width, bitmap->height, bitmap->stride);
  return S_OK;
}

HRESULT CaptionBlendFilter::Redraw() {
  std::lock_guard lock(transformLock_);
  if (!lastIn || !lastOut) return S_OK;
  GstVideoFrame in;
  if (!gst_video_frame_map(&in, &lastInInfo_, lastIn, GST_MAP_READ)) return S_OK;
  {
    RedrawTarget out(lastOut, lastOutInfo_);
    if (out.valid()) TransformLocked(pictureOf(in), out.picture(), false);
    else GST_DEBUG_OBJECT(element_, "last frame is in use downstream, not redrawn");
  }
  gst_video_frame_unmap(&in);
  return S_OK;
}

HRESULT CaptionBlendFilter::GetElement(GstElement** element) {
  if (!element) return E_POINTER;
  *element = element_;
  return S_OK;
}

HRESULT CaptionBlendFilter::GetPages(CAUUID* pages) {
  if (!pages) return E_POINTER;
  pages->pElems = static_cast<GUID*>(std::malloc(sizeof(GUID)));
  if (!pages->pElems) {
    pages->cElems = 0;
    return E_OUTOFMEMORY;
  }
  pages->cElems = 1;
  pages->pElems[0] = CLSID_CaptionBlendPropertyPage;
  return S_OK;
}

bool CaptionBlendFilter::SetMediaTypes(const VideoType& in, const VideoType& out) {
  if (failed(checkInputType(in)) || failed(checkTransform(in, out))) return false;
  std::lock_guard lock(transformLock_);
  const bool changed = haveTypes_ && (m_mtIn.subtype != in.subtype || m_mtIn.bih != in.bih ||
                                      m_mtOut.subtype != out.subtype || m_mtOut.bih != out.bih);
  m_mtIn = in;
  m_mtOut = out;
  m_bihIn = in.bih;
  m_bihOut = out.bih;
  frameRate = frameRateOf(in);
  // The drawing surface: the input header at the output's size, 32 bits a pixel.
  const PictureSize size = outputSize(m_bihIn.biWidth, std::abs(m_bihIn.biHeight));
  const bool resized = m_bihSub.biWidth != size.width || m_bihSub.biHeight != size.height;
  m_bihSub = m_bihIn;
  m_bihSub.biWidth = size.width;
  m_bihSub.biHeight = size.height;
  m_bihSub.biSizeImage = std::uint32_t(4) * std::uint32_t(size.width) * std::uint32_t(size.height);
  if (composer_.started() && resized) composer_.start(m_bihSub.biWidth, m_bihSub.biHeight);
  if (changed) {
    formatChanged_ = true;
    // The kept frames are of the old format.
    if (lastIn) gst_buffer_unref(std::exchange(lastIn, nullptr));
    if (lastOut) gst_buffer_unref(std::exchange(lastOut, nullptr));
  }
  haveTypes_ = true;
  GST_DEBUG_OBJECT(element_, "input %s %dx%d, output %s %dx%d, %.3f frames/s%s", formatName(*in.subtype),
                   m_bihIn.biWidth, m_bihIn.biHeight, formatName(*out.subtype), m_bihOut.biWidth, m_bihOut.biHeight,
                   frameRate, changed ? ", format changed" : "");
  return true;
}

void CaptionBlendFilter::StartStreaming() {
  std::lock_guard lock(transformLock_);
  composer_.start(m_bihSub.biWidth, m_bihSub.biHeight);
  captions_.setFontIfUnset(std::make_shared<const CaptionFont>(captionFontFrom(defaultCaptionLogFont())));
}

void CaptionBlendFilter::StopStreaming() {
  ForgetLastSamples();
  std::lock_guard lock(transformLock_);
  composer_.stop();
  // Caps are negotiated afresh after a stop: that is no change in mid-stream.
  haveTypes_ = false;
  formatChanged_ = false;
}

void CaptionBlendFilter::ForgetLastSamples() {
  std::lock_guard lock(transformLock_);
  if (lastIn) gst_buffer_unref(std::exchange(lastIn, nullptr));
  if (lastOut) gst_buffer_unref(std::exchange(lastOut, nullptr));
}

void CaptionBlendFilter::RememberSamples(GstVideoFrame* in, GstVideoFrame* out) {
  gst_buffer_replace(&lastIn, in->buffer);
  gst_buffer_replace(&lastOut, out->buffer);
  lastInInfo_ = in->info;
  lastOutInfo_ = out->info;
}

GstFlowReturn CaptionBlendFilter::Transform(GstVideoFrame* in, GstVideoFrame* out) {
  std::lock_guard lock(transformLock_);
  RememberSamples(in, out);
  const bool skip = std::exchange(formatChanged_, false);
  GST_LOG_OBJECT(element_, "fSkipFrame : %d, m_bihSub.biHeight : %d, abs(m_bihOut.biHeight) : %d", skip,
                 m_bihSub.biHeight, std::abs(m_bihOut.biHeight));
  GST_LOG_OBJECT(element_, "Transform: %dx%d %dbpp 0x%08x", m_bihOut.biWidth, m_bihOut.biHeight, m_bihOut.biBitCount,
                 m_bihOut.biCompression);
  TransformLocked(pictureOf(*in), pictureOf(*out), skip);
  return GST_FLOW_OK;
}

void CaptionBlendFilter::TransformLocked(const Picture& in, const Picture& out, bool skip) {
  if (!skip && m_bihSub.biHeight == std::abs(m_bihOut.biHeight) && composer_.started()) {
    const auto state = captions_.snapshot();
    composer_.compose(in, out, *state);
  } else {
    fillBlack(out);
  }
}

}  // namespace lumi::caption
