#include "shell/library/RecentList.h"

#include <QFile>
#include <QtEndian>

#include <cstring>

#include "platform/text/AnsiText.h"
#include "shell/library/AtomicFile.h"
#include "shell/library/CatalogFormat.h"

namespace lumi::library {

namespace {

constexpr int kTimeField = 256, kRecentTitleField = 256, kKindField = 256;

void putField(QByteArray& out, const QString& text, int field) {
  QByteArray bytes = Utf8Prefix(text, field - 1);
  bytes.append(field - bytes.size(), '\0');
  out.append(bytes);
}

QString getField(const char* data, int field) {
  const void* end = std::memchr(data, 0, size_t(field));
  const qsizetype length = end ? static_cast<const char*>(end) - data : field;
  return text::DecodeAnsi(QByteArrayView(data, length));
}

}  // namespace

RecentList::RecentList(QString file) : file_(std::move(file)) {}

void RecentList::LoadRecent() {
  entries_.clear();
  QFile file(file_);
  if (!file.open(QIODevice::ReadOnly)) return;
  const QByteArray head = file.read(4);
  if (head.size() != 4) return;
  const qint32 stored = qFromLittleEndian<qint32>(head.constData());
  const int wanted = qBound(0, stored, kRecentCapacity);
  for (int i = 0; i < wanted; ++i) {
    const QByteArray record = file.read(kRecentRecordSize);
    if (record.size() != kRecentRecordSize) break;
    const char* p = record.constData();
    RecentEntry e;
    e.time = getField(p, kTimeField);
    e.path = getField(p + 256, kRecentPathField);
    e.title = getField(p + 768, kRecentTitleField);
    e.kind = getField(p + 1024, kKindField);
    entries_.append(e);
  }
}

QString RecentList::FormatTime(const QDateTime& t) {
  const QDate d = t.date();
  const QTime h = t.time();
  return QString::asprintf("%02d:%02d:%02d, %d-%d-%d", h.hour(), h.minute(), h.second(), d.year(), d.month(), d.day());
}

QByteArray RecentList::Encode(const QList<RecentEntry>& entries) {
  QByteArray out(4, '\0');
  qToLittleEndian<qint32>(qint32(entries.size()), out.data());
  for (const RecentEntry& e : entries) {
    putField(out, e.time, kTimeField);
    putField(out, e.path, kRecentPathField);
    putField(out, e.title, kRecentTitleField);
    putField(out, e.kind, kKindField);
  }
  return out;
}

bool RecentList::AddRecent(const QString& title, const QString& kind, const QString& path, const QDateTime& now) {
  if (path.toUtf8().size() > kRecentPathField - 1) return false;
  QList<RecentEntry> next = entries_;
  for (qsizetype i = 0; i < next.size(); ++i) {
    if (next[i].path.toUtf8() == path.toUtf8()) {
      next.removeAt(i);
      break;
    }
  }
  if (next.size() >= kRecentCapacity) next.resize(kRecentCapacity - 1);
  next.prepend(RecentEntry{FormatTime(now), path, title, kind});
  entries_ = next;

  return ReplaceFile(file_, Encode(entries_));
}

bool RecentList::ClearRecent() {
  entries_.clear();
  return !QFile::exists(file_) || QFile::remove(file_);
}

QString RecentList::displayTime(int index, const QDate& today) const {
  const QString& stored = entries_[index].time;
  const QString date = QString::asprintf("%d-%d-%d", today.year(), today.month(), today.day());
  const qsizetype comma = stored.indexOf(QStringLiteral(", "));
  if (comma >= 0 && stored.mid(comma + 2) == date) return stored.left(comma);
  return stored;
}

}  // namespace lumi::library
