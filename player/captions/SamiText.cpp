#include "player/captions/SamiText.h"

#include <QStringDecoder>
#include <algorithm>

#include "platform/text/AnsiText.h"

namespace lumi::player {

namespace {

bool startsWith(QByteArrayView bytes, std::initializer_list<unsigned char> prefix) {
  if (bytes.size() < qsizetype(prefix.size())) return false;
  return std::equal(prefix.begin(), prefix.end(), reinterpret_cast<const unsigned char*>(bytes.data()));
}

// UTF-16 without a mark: caption markup is ASCII, so one byte of nearly every
// pair is zero, on the same side throughout. Korean text alone has no zero
// bytes, so a mostly-Korean file still shows it in its tags.
SamiEncoding guessUtf16(QByteArrayView bytes) {
  const qsizetype pairs = std::min<qsizetype>(bytes.size(), 4096) / 2;
  if (pairs < 2) return SamiEncoding::Ansi;
  qsizetype zeroLow = 0, zeroHigh = 0;  // zero in the first / second byte of a pair
  for (qsizetype i = 0; i < pairs; ++i) {
    if (bytes[2 * i] == 0) ++zeroLow;
    if (bytes[2 * i + 1] == 0) ++zeroHigh;
  }
  // UTF-8 and CP949 text never holds zero bytes, so a quarter of them settles it.
  if (zeroHigh * 4 >= pairs && zeroLow * 8 < zeroHigh) return SamiEncoding::Utf16Le;
  if (zeroLow * 4 >= pairs && zeroHigh * 8 < zeroLow) return SamiEncoding::Utf16Be;
  return SamiEncoding::Ansi;
}

}  // namespace

SamiEncoding detectSamiEncoding(QByteArrayView bytes) {
  if (startsWith(bytes, {0xEF, 0xBB, 0xBF})) return SamiEncoding::Utf8Bom;
  if (startsWith(bytes, {0xFF, 0xFE})) return SamiEncoding::Utf16LeBom;
  if (startsWith(bytes, {0xFE, 0xFF})) return SamiEncoding::Utf16BeBom;
  const SamiEncoding wide = guessUtf16(bytes);
  if (wide != SamiEncoding::Ansi) return wide;
  return bytes.isValidUtf8() ? SamiEncoding::Utf8 : SamiEncoding::Ansi;
}

QString decodeSamiBytes(QByteArrayView bytes, SamiEncoding* encoding) {
  const SamiEncoding found = detectSamiEncoding(bytes);
  if (encoding) *encoding = found;
  auto decode = [&](QStringConverter::Encoding e, qsizetype skip) {
    QStringDecoder decoder(e, QStringConverter::Flag::Stateless);
    return QString(decoder(bytes.sliced(skip)));
  };
  switch (found) {
    case SamiEncoding::Utf8Bom: return decode(QStringConverter::Utf8, 3);
    case SamiEncoding::Utf16LeBom: return decode(QStringConverter::Utf16LE, 2);
    case SamiEncoding::Utf16BeBom: return decode(QStringConverter::Utf16BE, 2);
    case SamiEncoding::Utf16Le: return decode(QStringConverter::Utf16LE, 0);
    case SamiEncoding::Utf16Be: return decode(QStringConverter::Utf16BE, 0);
    case SamiEncoding::Utf8: return QString::fromUtf8(bytes);
    case SamiEncoding::Ansi: break;
  }
  return text::DecodeAnsi(bytes);
}

}  // namespace lumi::player
