#include "filter/core/FontFaces.h"

#include <glib.h>

#include "platform/text/FaceSubstitutes.h"

namespace lumi::caption {

std::string installedFamiliesFor(const std::string& face) {
  std::string family = face;
  gchar* folded = g_utf8_casefold(face.c_str(), -1);
  for (const text::FaceSubstitute& s : text::kFaceSubstitutes) {
    gchar* candidate = g_utf8_casefold(s.face, -1);
    const bool same = g_strcmp0(folded, candidate) == 0;
    g_free(candidate);
    if (same) {
      family = s.installed;
      break;
    }
  }
  g_free(folded);
  // A comma would split the list; such a name cannot be an installed family.
  for (char& c : family)
    if (c == ',') c = ' ';
  std::string fallbacks;
  for (const char* f : text::kFallbackFaces) fallbacks += std::string(fallbacks.empty() ? "" : ",") + f;
  return family.empty() ? fallbacks : family + "," + fallbacks;
}

}  // namespace lumi::caption
