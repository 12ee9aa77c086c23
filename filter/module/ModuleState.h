#pragma once
// What keeps the module in use: live objects of its classes (filters, pages,
// class objects) and server locks taken through IClassFactory::LockServer.
#include <string>

namespace lumi::caption::module {

void objectCreated();
void objectDestroyed();
void lockServer(bool lock);
bool inUse();

// The module file's own path, as the registry records it.
std::string modulePath();

}  // namespace lumi::caption::module
