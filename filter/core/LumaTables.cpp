#include "filter/core/LumaTables.h"

namespace lumi::caption {

namespace {
constexpr LumaTables buildTables() {
  LumaTables t{};
  for (int i = 0; i < 256; ++i) {
    t.r[i] = 16829 * i;
    t.g[i] = 33039 * i;
    t.b[i] = 6416 * i;
  }
  return t;
}
constexpr LumaTables kTables = buildTables();
}  // namespace

const LumaTables& lumaTables() { return kTables; }

}  // namespace lumi::caption
