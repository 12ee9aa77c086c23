#pragma once
// What the player sees of the caption filter: its identities, the base-filter
// interface that hands over the GStreamer element, `ICaptionBlend`, and the
// property-page interfaces of its module.
#include <cstdint>

#include "filter/com/Unknown.h"
#include "filter/core/LogFont.h"

typedef struct _GstElement GstElement;

namespace lumi::com {

using lumi::caption::LOGFONTA;

constexpr CLSID CLSID_CaptionBlend = guid("{4327E616-CBF2-4FB3-A2A9-C792EA63B647}");
constexpr CLSID CLSID_CaptionBlendPropertyPage = guid("{DC3288AC-F39E-4708-AAF9-A43057A100F2}");
constexpr IID IID_ICaptionBlend = guid("{D25BE3C1-9CDD-478E-A2E2-FA7623F719AB}");
constexpr IID IID_IBaseFilter = guid("{56A86895-0AD4-11CE-B03A-0020AF0BA770}");
constexpr IID IID_ISpecifyPropertyPages = guid("{B196B28B-BAB4-101A-B69C-00AA00341D07}");
constexpr IID IID_IPropertyPage = guid("{B196B28D-BAB4-101A-B69C-00AA00341D07}");

// The filter as a graph member. The element stays valid while the caller holds
// a reference to the filter; adding it to a bin gives the bin its own.
struct IBaseFilter : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetElement(GstElement** element) = 0;

 protected:
  ~IBaseFilter() = default;
};

// A 32-bit bitmap lent by the player: rows top-down, 4 bytes a pixel, `stride`
// bytes from row to row. For YUY2 output it holds the overlay layout (see
// convertBgraToOverlay), for RGB output premultiplied BGRA; an alpha byte of
// 0xFF is transparent and 0 opaque.
struct CaptionBitmap {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t stride = 0;
  const std::uint8_t* bits = nullptr;
};

// Every method returns S_OK. Calls come from the player's thread and take
// effect from the next frame the filter handles.
struct ICaptionBlend : IUnknown {
  // Caption text in the system code page (UTF-8); empty or null draws nothing.
  virtual HRESULT STDMETHODCALLTYPE SetText(const char* text) = 0;
  // Vertical place of the caption block: 0 top, 100 bottom (not clamped).
  virtual HRESULT STDMETHODCALLTYPE SetPosition(int percent) = 0;
  // The font to draw captions with; null goes back to the default font.
  virtual HRESULT STDMETHODCALLTYPE SetFont(const LOGFONTA* font) = 0;
  // The bitmap to blend over the picture; the filter copies it during the
  // call, so the player may redraw or free its bitmap right afterwards and
  // hands it over again after each change. Null stops the blending.
  virtual HRESULT STDMETHODCALLTYPE SetOverlayBitmap(const CaptionBitmap* bitmap) = 0;
  // Draws the last frame again with the current caption and bitmap, so that a
  // paused picture shows a change on its next repaint.
  virtual HRESULT STDMETHODCALLTYPE Redraw() = 0;

 protected:
  ~ICaptionBlend() = default;
};

// A counted list of GUIDs; `pElems` is allocated with malloc and belongs to the
// caller, who frees it with free().
struct CAUUID {
  ULONG cElems = 0;
  GUID* pElems = nullptr;
};

struct ISpecifyPropertyPages : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetPages(CAUUID* pages) = 0;

 protected:
  ~ISpecifyPropertyPages() = default;
};

// One control of a property page's dialog, in dialog units.
struct PageControl {
  int id;
  const char* kind;  // "button"
  const char* text;
  int x, y, width, height;
};

// A property page's dialog: the host builds its widgets from this.
struct PageTemplate {
  int resourceId;
  int width, height;  // dialog units
  std::uint32_t style;
  const PageControl* controls;
  int controlCount;
};

struct PROPPAGEINFO {
  const char* title = nullptr;
  int width = 0, height = 0;  // pixels
  const char* docString = nullptr;
  const char* helpFile = nullptr;
};

struct IPropertyPage : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetPageInfo(PROPPAGEINFO* info) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPageTemplate(const PageTemplate** pageTemplate) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetObjects(ULONG count, IUnknown** objects) = 0;
  virtual HRESULT STDMETHODCALLTYPE Activate(void* parentWindow, bool modal) = 0;
  virtual HRESULT STDMETHODCALLTYPE Deactivate() = 0;
  virtual HRESULT STDMETHODCALLTYPE IsPageDirty() = 0;
  virtual HRESULT STDMETHODCALLTYPE Apply() = 0;

 protected:
  ~IPropertyPage() = default;
};

}  // namespace lumi::com
