#pragma once
// Luma from 8-bit red, green and blue: (16829 R + 33039 G + 6416 B + 0x108000) >> 16,
// studio range 16-235. The per-byte products are tabulated once.
#include <cstdint>

namespace lumi::caption {

struct LumaTables {
  std::int32_t r[256];
  std::int32_t g[256];
  std::int32_t b[256];
};

const LumaTables& lumaTables();

inline std::uint8_t lumaOf(const LumaTables& t, unsigned r, unsigned g, unsigned b) {
  return std::uint8_t((t.r[r & 0xFF] + t.g[g & 0xFF] + t.b[b & 0xFF] + 0x108000) >> 16);
}

}  // namespace lumi::caption
