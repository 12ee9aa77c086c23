#pragma once
// Class and interface identities, written and read in the registry's
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" form.
#include <cstdint>
#include <string>

namespace lumi::com {

struct GUID {
  std::uint32_t Data1 = 0;
  std::uint16_t Data2 = 0;
  std::uint16_t Data3 = 0;
  std::uint8_t Data4[8] = {};

  friend constexpr bool operator==(const GUID& a, const GUID& b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
    for (int i = 0; i < 8; ++i)
      if (a.Data4[i] != b.Data4[i]) return false;
    return true;
  }
};
static_assert(sizeof(GUID) == 16);

using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

namespace detail {
constexpr int hexDigit(char c) {
  return c >= '0' && c <= '9' ? c - '0'
         : c >= 'a' && c <= 'f' ? c - 'a' + 10
         : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                : throw "not a hex digit";
}
constexpr std::uint64_t hexField(const char* s, int digits) {
  std::uint64_t v = 0;
  for (int i = 0; i < digits; ++i) v = v * 16 + static_cast<std::uint64_t>(hexDigit(s[i]));
  return v;
}
}  // namespace detail

// A GUID written as a literal "{...}", checked and converted at compile time.
consteval GUID guid(const char (&s)[39]) {
  if (s[0] != '{' || s[9] != '-' || s[14] != '-' || s[19] != '-' || s[24] != '-' || s[37] != '}')
    throw "malformed GUID literal";
  GUID g;
  g.Data1 = static_cast<std::uint32_t>(detail::hexField(s + 1, 8));
  g.Data2 = static_cast<std::uint16_t>(detail::hexField(s + 10, 4));
  g.Data3 = static_cast<std::uint16_t>(detail::hexField(s + 15, 4));
  g.Data4[0] = static_cast<std::uint8_t>(detail::hexField(s + 20, 2));
  g.Data4[1] = static_cast<std::uint8_t>(detail::hexField(s + 22, 2));
  for (int i = 0; i < 6; ++i) g.Data4[2 + i] = static_cast<std::uint8_t>(detail::hexField(s + 25 + 2 * i, 2));
  return g;
}

constexpr GUID GUID_NULL{};
constexpr CLSID CLSID_NULL{};

// Upper-case hex in braces, as Windows writes class ids into the registry.
std::string guidToString(const GUID& g);
// Accepts either case, with or without the braces; false leaves `out` unchanged.
bool guidFromString(const std::string& text, GUID& out);

}  // namespace lumi::com
