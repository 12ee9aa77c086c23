#pragma once
// What DllRegisterServer writes and DllUnregisterServer removes. The classes
// root of Windows lives in HKEY_LOCAL_MACHINE "Software\Classes":
//   CLSID\{class}                    "" = name, InprocServer32 "" = module path,
//                                    "ThreadingModel" = "Both"
//   CLSID\{filter}                   "Merit", Pins\<name> with the pin's flags,
//                                    connections and Types\{major}\{minor}
//   CLSID\{083863F1-...}\Instance\{filter}
//                                    "FriendlyName", "CLSID", "FilterData"
#include "filter/com/HResult.h"

namespace lumi::caption::module {

lumi::com::HRESULT registerServer();
lumi::com::HRESULT unregisterServer();

}  // namespace lumi::caption::module
