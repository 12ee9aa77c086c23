#include "filter/module/PropertyPage.h"

#include "filter/module/ModuleState.h"

namespace lumi::caption::module {

namespace {

// Dialog 3000, 187 x 101 dialog units, a child window.
constexpr PageControl kControls[] = {
    {1, "button", "OK", 130, 7, 50, 14},
    {2, "button", "Cancel", 130, 24, 50, 14},
};
constexpr std::uint32_t kChildStyle = 0x40000000;  // WS_CHILD
constexpr PageTemplate kTemplate{3000, 187, 101, kChildStyle, kControls, int(std::size(kControls))};

// String 1 of the module's table.
constexpr const char* kTitle = "Caption Blend Properties";

// Dialog units to pixels with the dialog font's base units (6 x 13 pixels).
constexpr int kBaseUnitX = 6, kBaseUnitY = 13;

}  // namespace

CaptionBlendPropertyPage::CaptionBlendPropertyPage() { objectCreated(); }
CaptionBlendPropertyPage::~CaptionBlendPropertyPage() { objectDestroyed(); }

HRESULT CaptionBlendPropertyPage::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (!(iid == IID_IUnknown || iid == IID_IPropertyPage)) return E_NOINTERFACE;
  *object = static_cast<IPropertyPage*>(this);
  AddRef();
  return S_OK;
}

ULONG CaptionBlendPropertyPage::AddRef() { return ++refs_; }

ULONG CaptionBlendPropertyPage::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT CaptionBlendPropertyPage::GetPageInfo(PROPPAGEINFO* info) {
  if (!info) return E_POINTER;
  *info = {};
  info->title = kTitle;
  info->width = kTemplate.width * kBaseUnitX / 4;
  info->height = kTemplate.height * kBaseUnitY / 8;
  return S_OK;
}

HRESULT CaptionBlendPropertyPage::GetPageTemplate(const PageTemplate** pageTemplate) {
  if (!pageTemplate) return E_POINTER;
  *pageTemplate = &kTemplate;
  return S_OK;
}

HRESULT CaptionBlendPropertyPage::SetObjects(ULONG, IUnknown**) { return S_OK; }

HRESULT CaptionBlendPropertyPage::Activate(void*, bool) {
  active_ = true;
  return S_OK;
}

HRESULT CaptionBlendPropertyPage::Deactivate() {
  if (!active_) return E_UNEXPECTED;
  active_ = false;
  return S_OK;
}

HRESULT CaptionBlendPropertyPage::IsPageDirty() { return S_FALSE; }

HRESULT CaptionBlendPropertyPage::Apply() { return S_OK; }

}  // namespace lumi::caption::module
