#pragma once
// What a filter registers about itself: merit and pins with their media
// types, and the binary "FilterData" value that carries them in the filter
// category (the REGFILTER2 version 2 layout).
#include <cstdint>
#include <string>
#include <vector>

#include "filter/com/Guid.h"

namespace lumi::com {

constexpr GUID MEDIATYPE_Video = guid("{73646976-0000-0010-8000-00AA00389B71}");
constexpr CLSID CLSID_LegacyAmFilterCategory = guid("{083863F1-70DE-11D0-BD40-00A0C911CE86}");
constexpr std::uint32_t MERIT_DO_NOT_USE = 0x00200000;

struct RegPinType {
  GUID major;
  GUID minor;
  friend bool operator==(const RegPinType&, const RegPinType&) = default;
};

struct RegPin {
  std::string name;
  bool rendered = false;
  bool output = false;
  bool zero = false;
  bool many = false;
  CLSID connectsToFilter = CLSID_NULL;
  std::string connectsToPin;
  std::vector<RegPinType> types;
};

struct RegFilter {
  CLSID clsid;
  std::string name;
  std::uint32_t merit = 0;
  std::vector<RegPin> pins;
};

std::vector<std::uint8_t> encodeFilterData(const RegFilter& filter);

// What the binary value holds; pin names and connection hints are not part of it.
struct DecodedFilterData {
  std::uint32_t merit = 0;
  struct Pin {
    bool rendered, output, zero, many;
    std::vector<RegPinType> types;
  };
  std::vector<Pin> pins;
};
bool decodeFilterData(const std::vector<std::uint8_t>& bytes, DecodedFilterData& out);

}  // namespace lumi::com
