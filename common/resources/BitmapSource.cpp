#include "common/resources/BitmapSource.h"

namespace lumi::resources {

namespace {
const BitmapSource* current = nullptr;
}

const BitmapSource* currentBitmapSource() { return current; }
void setCurrentBitmapSource(const BitmapSource* source) { current = source; }

}  // namespace lumi::resources
