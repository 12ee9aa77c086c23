#include "player/core/TimeText.h"

#include <algorithm>
#include <vector>

namespace lumi::player {
namespace {

struct Hms {
  qint64 h, m, s;
};

Hms split(qint64 seconds) {
  seconds = std::max<qint64>(seconds, 0);
  return {seconds / 3600, seconds / 60 % 60, seconds % 60};
}

}  // namespace

QString FormatNumbers(const QString& format, std::initializer_list<qint64> values) {
  const std::vector<qint64> list(values);
  size_t next = 0;
  QString out;
  for (qsizetype i = 0; i < format.size(); ++i) {
    const QChar c = format[i];
    if (c != u'%' || i + 1 >= format.size()) {
      out += c;
      continue;
    }
    if (format[i + 1] == u'%') {
      out += u'%';
      ++i;
      continue;
    }
    // %d or %0Nd
    qsizetype j = i + 1;
    int width = 0;
    bool zero = false;
    if (format[j] == u'0') {
      zero = true;
      ++j;
    }
    while (j < format.size() && format[j].isDigit()) width = width * 10 + format[j++].digitValue();
    if (j < format.size() && format[j] == u'd') {
      const qint64 value = next < list.size() ? list[next++] : 0;
      out += QString::number(value).rightJustified(width, zero ? u'0' : u' ');
      i = j;
    } else {
      out += c;
    }
  }
  return out;
}

QString ClockText(const QString& format, const QTime& now) {
  QString out = format;
  out.replace(QLatin1String("%H"), QStringLiteral("%1").arg(now.hour(), 2, 10, QChar(u'0')));
  out.replace(QLatin1String("%M"), QStringLiteral("%1").arg(now.minute(), 2, 10, QChar(u'0')));
  out.replace(QLatin1String("%S"), QStringLiteral("%1").arg(now.second(), 2, 10, QChar(u'0')));
  return out;
}

QString ElapsedText(const QString& format, qint64 elapsedSeconds, qint64 totalSeconds) {
  const Hms e = split(elapsedSeconds), t = split(totalSeconds);
  return FormatNumbers(format, {e.h, e.m, e.s, t.h, t.m, t.s});
}

QString RemainingText(const QString& format, qint64 elapsedSeconds, qint64 totalSeconds) {
  const Hms r = split(totalSeconds - elapsedSeconds);
  return FormatNumbers(format, {r.h, r.m, r.s});
}

QString BarTimeText(qint64 elapsedSeconds, qint64 totalSeconds) {
  return ElapsedText(QStringLiteral("%02d:%02d:%02d/%02d:%02d:%02d"), elapsedSeconds, totalSeconds);
}

}  // namespace lumi::player
