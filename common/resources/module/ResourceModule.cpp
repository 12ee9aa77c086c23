// "Resources.dll": the exported C interface over the generated bitmap table.
// The module depends on nothing but the C library, so loading it can fail only
// when the file itself is damaged.
#include "common/resources/ResourceModuleApi.h"

#include <algorithm>

#include "common/resources/module/BitmapTable.h"

#define LUMI_EXPORT __attribute__((visibility("default")))

using lumi::resources::module::BitmapEntry;
using lumi::resources::module::kBitmapCount;
using lumi::resources::module::kBitmapIds;
using lumi::resources::module::kBitmaps;

extern "C" {

LUMI_EXPORT int LumiResourceApiVersion(void) { return LUMI_RESOURCE_API_VERSION; }

LUMI_EXPORT const unsigned char* LumiResourceBitmap(int id, size_t* size) {
  const BitmapEntry* end = kBitmaps + kBitmapCount;
  const BitmapEntry* it = std::lower_bound(kBitmaps, end, id, [](const BitmapEntry& e, int key) { return e.id < key; });
  const bool found = it != end && it->id == id;
  if (size) *size = found ? it->size : 0;
  return found ? it->png : nullptr;
}

LUMI_EXPORT const int* LumiResourceBitmapIds(size_t* count) {
  if (count) *count = kBitmapCount;
  return kBitmapIds;
}

}  // extern "C"
