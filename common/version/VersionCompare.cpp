#include "common/version/VersionCompare.h"

#include <QStringList>

#include <vector>

namespace lumi::version {

namespace {

// Leading decimal digits, the way the usual conversion reads them; a value
// too large for 32 bits stays at the largest one instead of wrapping.
quint32 leadingNumber(const QString& text) {
  qsizetype i = 0;
  while (i < text.size() && text[i].isSpace()) ++i;
  quint64 value = 0;
  for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
    value = value * 10 + quint64(text[i].unicode() - '0');
    if (value > 0xffffffffu) value = 0xffffffffu;
  }
  return quint32(value);
}

std::vector<quint32> components(const QString& text) {
  std::vector<quint32> out;
  for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) out.push_back(leadingNumber(part));
  if (out.empty()) out.push_back(0);
  return out;
}

void widen(std::vector<quint32>& list, size_t length) {
  if (list.size() >= length) return;
  const quint32 last = list.back();
  list.pop_back();
  while (list.size() + 1 < length) list.push_back(0);
  list.push_back(last);
}

}  // namespace

bool IsNewerVersion(const QString& installed, const QString& candidate) {
  std::vector<quint32> local = components(installed);
  std::vector<quint32> server = components(candidate);
  const size_t length = std::max(local.size(), server.size());
  widen(local, length);
  widen(server, length);
  for (size_t i = 0; i < length; ++i) {
    if (local[i] < server[i]) return true;
    if (local[i] > server[i]) return false;
  }
  return false;
}

}  // namespace lumi::version
