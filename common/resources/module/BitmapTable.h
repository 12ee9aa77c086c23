#pragma once
// The bitmaps compiled into "Resources.dll" (generated from the art folder).
#include <cstddef>

namespace lumi::resources::module {

struct BitmapEntry {
  int id;
  int width;
  int height;
  const unsigned char* png;
  size_t size;
};

extern const BitmapEntry kBitmaps[];  // sorted by id
extern const int kBitmapIds[];        // the same ids, in the same order
extern const size_t kBitmapCount;

}  // namespace lumi::resources::module
