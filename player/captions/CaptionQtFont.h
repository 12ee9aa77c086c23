#pragma once
// The stored caption font as the caption bar paints with it and the font
// dialog shows it, and the dialog's choice back as the stored description.
#include <QFont>

#include "filter/core/LogFont.h"

namespace lumi::player {

using caption::LOGFONTA;

// Face (UTF-8, else CP949), pixel height (negative heights are the character
// height; positive ones the cell, of which the character takes about 4/5),
// weight, italic, underline, strike-out and antialiasing.
QFont qFontFromLogFont(const LOGFONTA& font);

// `font` over `base` (which keeps the fields a QFont has no word for): height
// as a negative pixel height, weight, styles, the face cut to the field on a
// character boundary and always zero-terminated.
LOGFONTA logFontFromQFont(const QFont& font, const LOGFONTA& base);

}  // namespace lumi::player
