#pragma once
// Version strings as the updater and the update server compare them: lists
// of decimal components separated by ",".
#include <QString>

namespace lumi::version {

// True when `candidate` is newer than `installed`:
//  1. both are split at ","; empty components are skipped;
//  2. the shorter list is brought to the longer one's length by putting
//     "0" components before its last one (1,2 against 1,0,0,5 compares as
//     1,0,0,2);
//  3. components compare as numbers from the first (leading digits; none
//     gives 0; values beyond 32 bits saturate); the first difference decides;
//     all equal is not newer.
// A side without any component (the recorded version is empty on first use)
// counts as 0, so any candidate with a non-zero component is newer.
bool IsNewerVersion(const QString& installed, const QString& candidate);

}  // namespace lumi::version
