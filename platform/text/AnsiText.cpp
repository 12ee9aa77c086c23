#include "platform/text/AnsiText.h"

#include <QStringDecoder>

namespace lumi::text {
// Some tables named CP949 show the backslash as a won sign, which would break
// every registry path and file name; only one that keeps ASCII will do.
const char* KoreanCodecName() {
  static const char* const name = [] {
    for (const char* candidate : {"windows-949", "CP949", "EUC-KR"}) {
      QStringDecoder probe(candidate, QStringConverter::Flag::Stateless);
      if (probe.isValid() && QString(probe(QByteArrayView("\\~"))) == QStringLiteral("\\~")) return candidate;
    }
    return static_cast<const char*>(nullptr);
  }();
  return name;
}

QString DecodeAnsi(QByteArrayView bytes) {
  if (bytes.isValidUtf8()) return QString::fromUtf8(bytes);
  if (const char* codec = KoreanCodecName()) {
    QStringDecoder decoder(codec, QStringConverter::Flag::Stateless);
    return decoder(bytes);
  }
  return QString::fromLatin1(bytes);
}

}  // namespace lumi::text
