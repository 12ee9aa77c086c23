#pragma once

namespace lumi::text {

enum class Language { Korean, English };

// The language of the user's locale: Korean when the first set of LC_ALL,
// LC_MESSAGES and LANG starts with "ko", English otherwise.
Language systemLanguage();

}  // namespace lumi::text
