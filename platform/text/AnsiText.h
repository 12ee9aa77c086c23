#pragma once
// Text in "the system code page": files and fields written by the suite's
// programs hold UTF-8; files that came from a Korean Windows hold CP949.
#include <QByteArrayView>
#include <QString>

namespace lumi::text {

// Valid UTF-8 is taken as such; anything else is decoded as CP949 (with a
// table that keeps ASCII, backslash included, as it is), else as Latin-1.
QString DecodeAnsi(QByteArrayView bytes);

// The name of that CP949 table for a QStringDecoder, null when Qt has none.
const char* KoreanCodecName();

}  // namespace lumi::text
