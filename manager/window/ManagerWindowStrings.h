#pragma once
// The manager window's texts (manager/window/strings.tsv) together with the
// manager's table: one table for the whole program.
#include "platform/text/StringTable.h"

namespace lumi::manager {

text::StringTable loadWindowStrings(text::Language language = text::systemLanguage());

}  // namespace lumi::manager
