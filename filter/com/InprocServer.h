#pragma once
// Reaching in-process server modules: calling their registration entry
// points, and creating a registered class from the module the registry names
// for it (HKEY_LOCAL_MACHINE "Software\Classes\CLSID\{...}\InprocServer32",
// where the classes root lives).
#include <string>

#include "filter/com/Unknown.h"

namespace lumi::com {

// "Software\Classes\CLSID\{...}" of a class, relative to HKEY_LOCAL_MACHINE.
std::string classKeyPath(const CLSID& clsid);

// The module file registered for a class; empty when none is.
std::string inprocServerPath(const CLSID& clsid);

// Loads `modulePath`, calls the entry point `entry` (DllRegisterServer or
// DllUnregisterServer) and lets the module go. E_FAIL when the file cannot be
// loaded, E_NOTIMPL when it lacks the entry point.
HRESULT callRegistrationEntry(const std::string& modulePath, const char* entry);

// The class object for `clsid` from the module registered for it, or from
// `modulePath` when given. Modules stay loaded: objects from them may live on.
HRESULT getClassObject(const CLSID& clsid, REFIID iid, void** object, const std::string& modulePath = {});

// A new object of a registered class: REGDB_E_CLASSNOTREG when the class is
// not registered or its module cannot be loaded.
HRESULT createInstance(const CLSID& clsid, REFIID iid, void** object);

}  // namespace lumi::com
