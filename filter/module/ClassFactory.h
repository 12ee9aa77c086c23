#pragma once
// The module's two classes and the class objects that create them.
#include <atomic>

#include "filter/com/FilterData.h"
#include "filter/com/Unknown.h"

namespace lumi::caption::module {

using namespace lumi::com;

struct FactoryTemplate {
  const char* name;
  CLSID clsid;
  // A new object with one reference, or null when it cannot be made.
  IUnknown* (*create)();
  const RegFilter* setup;  // filter registration, or null
};

// In this order: "Caption Blend", then "Caption Blend Property Page".
const FactoryTemplate* factoryTemplates(int* count);
const FactoryTemplate* findTemplate(const CLSID& clsid);

class ClassFactory final : public IClassFactory {
 public:
  explicit ClassFactory(const FactoryTemplate& t);
  ~ClassFactory();

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
  HRESULT STDMETHODCALLTYPE LockServer(bool lock) override;

 private:
  const FactoryTemplate& template_;
  std::atomic<ULONG> refs_{1};
};

}  // namespace lumi::caption::module
