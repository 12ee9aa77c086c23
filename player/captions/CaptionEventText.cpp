#include "player/captions/CaptionEventText.h"

namespace lumi::player {

QString cleanCaptionText(const QString& raw) {
  QString text = raw;
  text.replace(QStringLiteral("&NBSP;"), QStringLiteral(" "));
  text.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "));
  text.replace(QStringLiteral("<br>"), QStringLiteral("\n"));
  text.replace(QStringLiteral("<BR>"), QStringLiteral("\n"));
  text.replace(QStringLiteral("\r\n"), QString());
  text.replace(QStringLiteral("\n\r"), QString());

  QString plain;
  plain.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] != u'<') {
      plain += text[i];
      continue;
    }
    const qsizetype close = text.indexOf(u'>', i + 1);
    if (close < 0) return {};
    i = close;
  }
  while (plain.endsWith(u'\n')) plain.chop(1);
  return plain;
}

bool hasVisibleCaption(const QString& text) {
  for (QChar c : text)
    if (c != u' ' && c != u'\n') return true;
  return false;
}

}  // namespace lumi::player
