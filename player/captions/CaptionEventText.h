#pragma once
// The text of one caption event made ready to show: only the two entities and
// line-break tags caption files use are understood, every other tag is
// dropped, and the file's own line ends do not count.
#include <QString>

namespace lumi::player {

// "&nbsp;"/"&NBSP;" -> space, "<br>"/"<BR>" -> line feed, "\r\n" and "\n\r"
// removed; then every "<...>" removed (a "<" without a closing ">" empties the
// whole text); then trailing line feeds removed.
QString cleanCaptionText(const QString& raw);

// Whether the text has anything but spaces and line feeds: only such a text
// is worth showing again after a sync, position or size change.
bool hasVisibleCaption(const QString& text);

}  // namespace lumi::player
