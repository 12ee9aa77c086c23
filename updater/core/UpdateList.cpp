#include "updater/core/UpdateList.h"

#include "common/protocol/MessageCodes.h"
#include "common/protocol/ServerMessage.h"
#include "common/transfer/DownloadFolder.h"
#include "common/version/VersionNote.h"

#include <QDir>
#include <QFileInfo>

namespace lumi::updater {

QList<version::VersionEntry> BuildUpdateList(const QString& programFolder) {
  const QDir folder(programFolder);
  const QString listPath = folder.filePath(QLatin1String(kVersionListFile));
  QList<version::VersionEntry> entries;
  if (auto listed = version::ReadVersionFile(listPath)) {
    entries = *listed;
    for (version::VersionEntry& entry : entries)
      if (auto note = version::ReadVersionNote(folder.filePath(entry.name))) entry.version = note->version.text();
  } else {
    const QFileInfoList files = folder.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& file : files) {
      if (file.fileName().startsWith(QLatin1String(transfer::kPartialPrefix))) continue;
      entries.append({file.fileName(), version::FileVersionText(file.filePath())});
    }
  }
  version::WriteVersionFile(listPath, entries);
  return version::ParseVersionList(version::FormatVersionList(entries));
}

QByteArray UpdateListMessages(const QList<version::VersionEntry>& entries) {
  QByteArray out;
  for (const version::VersionEntry& entry : entries) out += protocol::installedFileMessage(entry.name, entry.version);
  return out + protocol::encodeMessage(protocol::code::EndOfFileList);
}

}  // namespace lumi::updater
