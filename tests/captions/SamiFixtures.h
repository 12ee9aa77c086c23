#pragma once
// Caption files written by the tests, in the encodings caption files come in.
#include <QByteArray>
#include <QString>

namespace lumi::test {

// Two language classes (English first), a Korean caption on two lines from
// 1.0 s to 2.5 s with its English twin, an entry "a<b", and a long entry
// without a blank after it.
QString koreanSamiText();

enum class FileEncoding { Cp949, Utf8, Utf8Bom, Utf16LeBom, Utf16Le, Utf16BeBom, Utf16Be };
QByteArray encodeSami(const QString& text, FileEncoding encoding);

}  // namespace lumi::test
