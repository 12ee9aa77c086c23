#include "filter/com/FilterData.h"

#include <cstring>

namespace lumi::com {

namespace {

constexpr std::uint32_t kPinZero = 0x1, kPinRenderer = 0x2, kPinMany = 0x4, kPinOutput = 0x8;

void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + std::size_t(i)] = std::uint8_t(v >> (8 * i));
}
void append32(std::vector<std::uint8_t>& b, std::uint32_t v) {
  b.resize(b.size() + 4);
  put32(b, b.size() - 4, v);
}
void appendTag(std::vector<std::uint8_t>& b, std::size_t index, const char* tag) {
  b.push_back(std::uint8_t('0' + index % 10));
  for (int i = 0; i < 3; ++i) b.push_back(std::uint8_t(tag[i]));
}
void appendGuid(std::vector<std::uint8_t>& b, const GUID& g) {
  append32(b, g.Data1);
  b.push_back(std::uint8_t(g.Data2));
  b.push_back(std::uint8_t(g.Data2 >> 8));
  b.push_back(std::uint8_t(g.Data3));
  b.push_back(std::uint8_t(g.Data3 >> 8));
  b.insert(b.end(), g.Data4, g.Data4 + 8);
}
bool get32(const std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t& v) {
  if (at + 4 > b.size()) return false;
  v = std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
      std::uint32_t(b[at + 3]) << 24;
  return true;
}
bool getGuid(const std::vector<std::uint8_t>& b, std::size_t at, GUID& g) {
  if (at + 16 > b.size() || !get32(b, at, g.Data1)) return false;
  g.Data2 = std::uint16_t(b[at + 4] | b[at + 5] << 8);
  g.Data3 = std::uint16_t(b[at + 6] | b[at + 7] << 8);
  std::memcpy(g.Data4, b.data() + at + 8, 8);
  return true;
}

}  // namespace

std::vector<std::uint8_t> encodeFilterData(const RegFilter& filter) {
  std::vector<std::uint8_t> b;
  append32(b, 2);
  append32(b, filter.merit);
  append32(b, std::uint32_t(filter.pins.size()));
  append32(b, 0);
  // Media types refer to their GUIDs by offset into a pool after the pins.
  std::vector<GUID> pool;
  std::vector<std::size_t> fixups;  // where a pool index waits to become an offset
  auto poolIndex = [&](const GUID& g) {
    for (std::size_t i = 0; i < pool.size(); ++i)
      if (pool[i] == g) return std::uint32_t(i);
    pool.push_back(g);
    return std::uint32_t(pool.size() - 1);
  };
  for (std::size_t p = 0; p < filter.pins.size(); ++p) {
    const RegPin& pin = filter.pins[p];
    appendTag(b, p, "pi3");
    append32(b, (pin.zero ? kPinZero : 0) | (pin.rendered ? kPinRenderer : 0) | (pin.many ? kPinMany : 0) |
                    (pin.output ? kPinOutput : 0));
    append32(b, 0);  // instances
    append32(b, std::uint32_t(pin.types.size()));
    append32(b, 0);  // mediums
    append32(b, 0);  // no pin category
    for (std::size_t t = 0; t < pin.types.size(); ++t) {
      appendTag(b, t, "ty3");
      append32(b, 0);
      fixups.push_back(b.size());
      append32(b, poolIndex(pin.types[t].major));
      fixups.push_back(b.size());
      append32(b, poolIndex(pin.types[t].minor));
    }
  }
  const std::size_t poolStart = b.size();
  for (std::size_t at : fixups) {
    std::uint32_t index = 0;
    get32(b, at, index);
    put32(b, at, std::uint32_t(poolStart + 16 * index));
  }
  for (const GUID& g : pool) appendGuid(b, g);
  return b;
}

bool decodeFilterData(const std::vector<std::uint8_t>& b, DecodedFilterData& out) {
  std::uint32_t version = 0, merit = 0, pins = 0;
  if (!get32(b, 0, version) || version != 2 || !get32(b, 4, merit) || !get32(b, 8, pins) || pins > 64) return false;
  DecodedFilterData d;
  d.merit = merit;
  std::size_t at = 16;
  for (std::uint32_t p = 0; p < pins; ++p) {
    std::uint32_t flags = 0, types = 0;
    if (at + 24 > b.size() || b[at + 1] != 'p' || !get32(b, at + 4, flags) || !get32(b, at + 12, types) ||
        types > 256)
      return false;
    at += 24;
    DecodedFilterData::Pin pin{(flags & kPinRenderer) != 0, (flags & kPinOutput) != 0, (flags & kPinZero) != 0,
                               (flags & kPinMany) != 0, {}};
    for (std::uint32_t t = 0; t < types; ++t) {
      std::uint32_t major = 0, minor = 0;
      RegPinType type;
      if (at + 16 > b.size() || b[at + 1] != 't' || !get32(b, at + 8, major) || !get32(b, at + 12, minor) ||
          !getGuid(b, major, type.major) || !getGuid(b, minor, type.minor))
        return false;
      pin.types.push_back(type);
      at += 16;
    }
    d.pins.push_back(std::move(pin));
  }
  out = std::move(d);
  return true;
}

}  // namespace lumi::com
