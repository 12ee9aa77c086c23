#pragma once
// Turning the bytes of a caption file into text. Caption files come from many
// editors: Windows ones in CP949 or UTF-16 (with or without a byte-order mark),
// newer ones in UTF-8.
#include <QByteArrayView>
#include <QString>

namespace lumi::player {

enum class SamiEncoding { Utf8Bom, Utf16LeBom, Utf16BeBom, Utf16Le, Utf16Be, Utf8, Ansi };

// Which encoding the bytes are in: a byte-order mark first; else UTF-16 when
// the bytes look like it (ASCII markup with a zero byte beside every
// character); else UTF-8 when valid; else the system code page (CP949).
SamiEncoding detectSamiEncoding(QByteArrayView bytes);

// The text, without a byte-order mark. Bytes that are not valid in the chosen
// encoding become replacement characters; nothing is cut off.
QString decodeSamiBytes(QByteArrayView bytes, SamiEncoding* encoding = nullptr);

}  // namespace lumi::player
