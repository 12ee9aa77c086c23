#pragma once
// The filter's property page: a dialog with only OK and Cancel that neither
// reads nor writes anything.
#include <atomic>

#include "filter/com/ICaptionBlend.h"

namespace lumi::caption::module {

using namespace lumi::com;

class CaptionBlendPropertyPage final : public IPropertyPage {
 public:
  CaptionBlendPropertyPage();
  ~CaptionBlendPropertyPage();

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE GetPageInfo(PROPPAGEINFO* info) override;
  HRESULT STDMETHODCALLTYPE GetPageTemplate(const PageTemplate** pageTemplate) override;
  HRESULT STDMETHODCALLTYPE SetObjects(ULONG count, IUnknown** objects) override;
  HRESULT STDMETHODCALLTYPE Activate(void* parentWindow, bool modal) override;
  HRESULT STDMETHODCALLTYPE Deactivate() override;
  HRESULT STDMETHODCALLTYPE IsPageDirty() override;
  HRESULT STDMETHODCALLTYPE Apply() override;

 private:
  std::atomic<ULONG> refs_{1};
  bool active_ = false;
};

}  // namespace lumi::caption::module
