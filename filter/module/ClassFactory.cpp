#include "filter/module/ClassFactory.h"

#include <gst/gst.h>

#include <new>

#include "filter/com/ICaptionBlend.h"
#include "filter/element/CaptionBlendElement.h"
#include "filter/element/CaptionBlendFilter.h"
#include "filter/module/ModuleState.h"
#include "filter/module/PropertyPage.h"

namespace lumi::caption::module {

namespace {

IUnknown* createFilter() {
  // Hosts that create the filter by class id may not have set up GStreamer.
  if (!gst_is_initialized() && !gst_init_check(nullptr, nullptr, nullptr)) return nullptr;
  auto* element = GST_ELEMENT(g_object_new(LUMI_TYPE_CAPTION_BLEND, nullptr));
  if (!element) return nullptr;
  gst_object_ref_sink(element);  // this reference is the new object's first
  return static_cast<ICaptionBlend*>(filterOf(element));
}

IUnknown* createPage() { return new (std::nothrow) CaptionBlendPropertyPage(); }

const RegPinType kAnyVideo{MEDIATYPE_Video, GUID_NULL};

const RegFilter kFilterSetup{
    CLSID_CaptionBlend,
    "Caption Blend",
    MERIT_DO_NOT_USE,  // intelligent connect never picks it; the player adds it itself
    {
        {"Input", false, false, false, false, CLSID_NULL, "Output", {kAnyVideo}},
        {"Output", false, true, false, false, CLSID_NULL, "Input", {kAnyVideo}},
    }};

const FactoryTemplate kTemplates[] = {
    {"Caption Blend", CLSID_CaptionBlend, createFilter, &kFilterSetup},
    {"Caption Blend Property Page", CLSID_CaptionBlendPropertyPage, createPage, nullptr},
};

}  // namespace

const FactoryTemplate* factoryTemplates(int* count) {
  *count = int(std::size(kTemplates));
  return kTemplates;
}

const FactoryTemplate* findTemplate(const CLSID& clsid) {
  for (const FactoryTemplate& t : kTemplates)
    if (t.clsid == clsid) return &t;
  return nullptr;
}

ClassFactory::ClassFactory(const FactoryTemplate& t) : template_(t) { objectCreated(); }
ClassFactory::~ClassFactory() { objectDestroyed(); }

HRESULT ClassFactory::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (!(iid == IID_IUnknown || iid == IID_IClassFactory)) return E_NOINTERFACE;
  *object = static_cast<IClassFactory*>(this);
  AddRef();
  return S_OK;
}

ULONG ClassFactory::AddRef() { return ++refs_; }

ULONG ClassFactory::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  IUnknown* created = template_.create();
  if (!created) return E_OUTOFMEMORY;
  const HRESULT hr = created->QueryInterface(iid, object);
  created->Release();
  return hr;
}

HRESULT ClassFactory::LockServer(bool lock) {
  module::lockServer(lock);
  return S_OK;
}

}  // namespace lumi::caption::module
