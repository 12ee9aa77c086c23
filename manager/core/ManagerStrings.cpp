#include "manager/core/ManagerStrings.h"

namespace lumi::manager {

text::StringTable loadManagerStrings(text::Language language) {
  return text::StringTable::load(kManagerStringsFile, language);
}

}  // namespace lumi::manager
