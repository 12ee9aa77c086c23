#pragma once
// The suite's font names and the installed families that stand in for them.
// Every list ends in a Korean face, so that Korean text always renders.
#include <string>

namespace lumi::caption {

// A comma-separated family list for Pango/fontconfig: the substitute of a
// known suite face, or the face itself, then the Korean and Latin fallbacks.
std::string installedFamiliesFor(const std::string& face);

}  // namespace lumi::caption
