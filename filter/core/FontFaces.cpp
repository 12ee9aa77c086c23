#include "filter/core/FontFaces.h"

#include <glib.h>

namespace lumi::caption {

namespace {

struct Substitute {
  const char* face;
  const char* family;
};

// Compared case-insensitively. The Korean system faces map to the Nanum family
// closest in shape; Latin system faces to DejaVu.
constexpr Substitute kSubstitutes[] = {
    {"굴림", "NanumGothic"},          {"Gulim", "NanumGothic"},
    {"굴림체", "NanumGothicCoding"},   {"GulimChe", "NanumGothicCoding"},
    {"돋움", "NanumBarunGothic"},      {"Dotum", "NanumBarunGothic"},
    {"바탕", "NanumMyeongjo"},         {"Batang", "NanumMyeongjo"},
    {"HY견고딕", "NanumSquare"},       {"HY울릉도M", "NanumSquareRound"},
    {"Arial", "DejaVu Sans"},          {"Tahoma", "DejaVu Sans"},
    {"Times New Roman", "DejaVu Serif"}, {"Courier New", "DejaVu Sans Mono"},
};

constexpr const char* kFallbacks = "NanumGothic,DejaVu Sans";

}  // namespace

std::string installedFamiliesFor(const std::string& face) {
  std::string family = face;
  gchar* folded = g_utf8_casefold(face.c_str(), -1);
  for (const Substitute& s : kSubstitutes) {
    gchar* candidate = g_utf8_casefold(s.face, -1);
    const bool same = g_strcmp0(folded, candidate) == 0;
    g_free(candidate);
    if (same) {
      family = s.family;
      break;
    }
  }
  g_free(folded);
  // A comma would split the list; such a name cannot be an installed family.
  for (char& c : family)
    if (c == ',') c = ' ';
  return family.empty() ? kFallbacks : family + "," + kFallbacks;
}

}  // namespace lumi::caption
