#include "filter/com/InprocServer.h"

#include <dlfcn.h>

#include "platform/registry/Registry.h"

namespace lumi::com {

namespace {

void* loadModule(const std::string& path) {
  if (path.empty()) return nullptr;
  return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

}  // namespace

std::string classKeyPath(const CLSID& clsid) { return "Software\\Classes\\CLSID\\" + guidToString(clsid); }

std::string inprocServerPath(const CLSID& clsid) {
  using namespace lumi::registry;
  const Key key = Key::open(Root::LocalMachine, QString::fromStdString(classKeyPath(clsid) + "\\InprocServer32"));
  QString path;
  if (!key.isOpen() || !key.readString(QString(), path)) return {};
  return path.toStdString();
}

HRESULT callRegistrationEntry(const std::string& modulePath, const char* entry) {
  void* module = loadModule(modulePath);
  if (!module) return E_FAIL;
  auto fn = reinterpret_cast<DllRegisterServerFn>(dlsym(module, entry));
  const HRESULT hr = fn ? fn() : E_NOTIMPL;
  dlclose(module);
  return hr;
}

HRESULT getClassObject(const CLSID& clsid, REFIID iid, void** object, const std::string& modulePath) {
  if (!object) return E_POINTER;
  *object = nullptr;
  void* module = loadModule(modulePath.empty() ? inprocServerPath(clsid) : modulePath);
  if (!module) return REGDB_E_CLASSNOTREG;
  auto fn = reinterpret_cast<DllGetClassObjectFn>(dlsym(module, "DllGetClassObject"));
  if (!fn) return REGDB_E_CLASSNOTREG;
  return fn(clsid, iid, object);
}

HRESULT createInstance(const CLSID& clsid, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  IClassFactory* factory = nullptr;
  HRESULT hr = getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
  if (failed(hr)) return hr == CLASS_E_CLASSNOTAVAILABLE ? REGDB_E_CLASSNOTREG : hr;
  hr = factory->CreateInstance(nullptr, iid, object);
  factory->Release();
  return hr;
}

}  // namespace lumi::com
