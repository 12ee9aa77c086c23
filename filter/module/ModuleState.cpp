#include "filter/module/ModuleState.h"

#include <dlfcn.h>

#include <atomic>
#include <climits>
#include <cstdlib>

#include "filter/element/CaptionBlendFilter.h"

namespace lumi::caption::module {

namespace {
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};
}  // namespace

void objectCreated() { ++g_objects; }
void objectDestroyed() { --g_objects; }
void lockServer(bool lock) { lock ? ++g_locks : --g_locks; }

bool inUse() { return g_objects.load() > 0 || g_locks.load() > 0 || CaptionBlendFilter::liveObjects() > 0; }

std::string modulePath() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&modulePath), &info) || !info.dli_fname) return {};
  char resolved[PATH_MAX];
  if (realpath(info.dli_fname, resolved)) return resolved;
  return info.dli_fname;
}

}  // namespace lumi::caption::module
