#pragma once
// The object model shared by the suite's in-process servers: reference-counted
// objects that hand out interfaces by id, and the class objects that create
// them. The layout follows COM so that the filter's module keeps the entry
// points and contracts the player was written against.
#include <cstdint>

#include "filter/com/Guid.h"
#include "filter/com/HResult.h"

#define STDMETHODCALLTYPE

namespace lumi::com {

using ULONG = std::uint32_t;

constexpr IID IID_IUnknown = guid("{00000000-0000-0000-C000-000000000046}");
constexpr IID IID_IClassFactory = guid("{00000001-0000-0000-C000-000000000046}");

struct IUnknown {
  virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) = 0;
  virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
  virtual ULONG STDMETHODCALLTYPE Release() = 0;

 protected:
  ~IUnknown() = default;  // objects go away through Release, never through delete
};

struct IClassFactory : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) = 0;
  virtual HRESULT STDMETHODCALLTYPE LockServer(bool lock) = 0;

 protected:
  ~IClassFactory() = default;
};

// The four entry points every in-process server module exports (extern "C").
using DllRegisterServerFn = HRESULT (*)();
using DllUnregisterServerFn = HRESULT (*)();
using DllGetClassObjectFn = HRESULT (*)(REFCLSID clsid, REFIID iid, void** object);
using DllCanUnloadNowFn = HRESULT (*)();

}  // namespace lumi::com
