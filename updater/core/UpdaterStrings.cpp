#include "updater/core/UpdaterStrings.h"

namespace lumi::updater {

text::StringTable loadUpdaterStrings(text::Language language) {
  return text::StringTable::load(kUpdaterStringsFile, language);
}

}  // namespace lumi::updater
