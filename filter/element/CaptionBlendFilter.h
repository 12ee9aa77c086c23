#pragma once
// The caption-mixing filter behind the GStreamer element: its formats, the
// caption values handed over from the player, the per-frame Transform and
// the interfaces the player reaches it through.
//
// The object lives inside its element and shares the element's reference
// count: AddRef and Release are the element's ref and unref.
#include <gst/gst.h>
#include <gst/video/video.h>

#include <mutex>

#include "filter/com/ICaptionBlend.h"
#include "filter/core/CaptionState.h"
#include "filter/core/FrameComposer.h"
#include "filter/core/VideoType.h"

namespace lumi::caption {

using namespace lumi::com;

class CaptionBlendFilter final : public ICaptionBlend, public IBaseFilter, public ISpecifyPropertyPages {
 public:
  explicit CaptionBlendFilter(GstElement* element);
  ~CaptionBlendFilter();
  CaptionBlendFilter(const CaptionBlendFilter&) = delete;
  CaptionBlendFilter& operator=(const CaptionBlendFilter&) = delete;

  // Live filter objects in this process, for the module's unload check.
  static long liveObjects();

  // IUnknown: ICaptionBlend and the base filter; ISpecifyPropertyPages is
  // deliberately not handed out, so property frames show no page.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // ICaptionBlend
  HRESULT STDMETHODCALLTYPE SetText(const char* text) override;
  HRESULT STDMETHODCALLTYPE SetPosition(int percent) override;
  HRESULT STDMETHODCALLTYPE SetFont(const LOGFONTA* font) override;
  HRESULT STDMETHODCALLTYPE SetOverlayBitmap(const CaptionBitmap* bitmap) override;
  HRESULT STDMETHODCALLTYPE Redraw() override;

  // IBaseFilter
  HRESULT STDMETHODCALLTYPE GetElement(GstElement** element) override;

  // ISpecifyPropertyPages: the one (empty) property page.
  HRESULT STDMETHODCALLTYPE GetPages(CAUUID* pages) override;

  // Element side, on the streaming thread.
  // Input and output formats as negotiated; false when the filter cannot copy
  // between them. A change while streaming makes the next frame black.
  bool SetMediaTypes(const VideoType& in, const VideoType& out);
  void StartStreaming();
  void StopStreaming();
  GstFlowReturn Transform(GstVideoFrame* in, GstVideoFrame* out);
  // Lets go of the frames kept for Redraw (flushes, stop).
  void ForgetLastSamples();
  void NotifyAllocator(bool ownPool) { usesOwnAllocator = ownPool; }

  CaptionSettings& captions() { return captions_; }

 private:
  void RememberSamples(GstVideoFrame* in, GstVideoFrame* out);
  void TransformLocked(const Picture& in, const Picture& out, bool skip);

  GstElement* element_;
  BitmapInfoHeader m_bihIn{}, m_bihSub{}, m_bihOut{};
  VideoType m_mtIn, m_mtOut;
  bool haveTypes_ = false;
  bool formatChanged_ = false;  // fSkipFrame for the next frame
  double frameRate = 25.0;
  bool usesOwnAllocator = false;

  // captionText, captionPosition, captionFont and overlayBitmap
  CaptionSettings captions_;

  std::mutex transformLock_;  // frames and Redraw, one at a time
  FrameComposer composer_;    // memoryDC and subBitmap
  GstBuffer* lastIn = nullptr;
  GstBuffer* lastOut = nullptr;
  GstVideoInfo lastInInfo_{}, lastOutInfo_{};
};

}  // namespace lumi::caption
