#include "common/transfer/SafeUnzip.h"

#include <QFile>

#include <zip.h>

#include <memory>
#include <sys/stat.h>

namespace lumi::transfer {

namespace {

struct ArchiveCloser {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct EntryCloser {
  void operator()(zip_file_t* file) const { zip_fclose(file); }
};

enum class EntryType { File, Folder, Other };

// What the entry is, from the Unix mode kept by archivers on Unix; archives
// made elsewhere carry no type and hold files and folders ("name/") only.
EntryType entryType(zip_t* archive, zip_uint64_t index, const QByteArray& rawName, int* mode) {
  zip_uint8_t system = 0;
  zip_uint32_t attributes = 0;
  *mode = 0644;
  if (zip_file_get_external_attributes(archive, index, 0, &system, &attributes) == 0 && system == ZIP_OPSYS_UNIX) {
    const mode_t unixMode = attributes >> 16;
    const mode_t type = unixMode & S_IFMT;
    if (type != 0 && type != S_IFREG && type != S_IFDIR) return EntryType::Other;
    if (type == S_IFDIR) return EntryType::Folder;
    if (unixMode & 0111) *mode = 0755;
  }
  return rawName.endsWith('/') ? EntryType::Folder : EntryType::File;
}

}  // namespace

UnzipResult SafeUnzip(const QString& archivePath, DownloadFolder& destination, const UnzipLimits& limits) {
  UnzipResult result;
  int errorCode = 0;
  std::unique_ptr<zip_t, ArchiveCloser> archive(
      zip_open(QFile::encodeName(archivePath).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &errorCode));
  if (!archive) {
    zip_error_t error;
    zip_error_init_with_code(&error, errorCode);
    result.error = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return result;
  }
  const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
  if (count < 0 || count > limits.maxEntries) {
    result.error = QStringLiteral("too many entries");
    return result;
  }
  qint64 announced = 0;
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_stat_t info;
    if (zip_stat_index(archive.get(), zip_uint64_t(i), 0, &info) == 0 && (info.valid & ZIP_STAT_SIZE))
      announced += qint64(info.size);
    if (announced > limits.maxTotalBytes) {
      result.error = QStringLiteral("archive too large");
      return result;
    }
  }
  result.opened = true;

  qint64 written = 0;
  QByteArray buffer(64 * 1024, Qt::Uninitialized);
  for (zip_int64_t i = 0; i < count; ++i) {
    const auto index = zip_uint64_t(i);
    zip_stat_t info;
    if (zip_stat_index(archive.get(), index, 0, &info) != 0 || !(info.valid & ZIP_STAT_NAME)) continue;
    const QByteArray rawName(info.name);
    const QString name = QString::fromUtf8(rawName);
    int mode = 0644;
    const EntryType type = entryType(archive.get(), index, rawName, &mode);
    const bool encrypted = (info.valid & ZIP_STAT_ENCRYPTION_METHOD) && info.encryption_method != ZIP_EM_NONE;
    QString entryName = name;
    while (entryName.endsWith(QLatin1Char('/'))) entryName.chop(1);
    if (type == EntryType::Other || encrypted || !ConfinedComponents(entryName)) {
      result.skipped.append(name);
      continue;
    }
    if (type == EntryType::Folder) {
      destination.createFolder(entryName);
      continue;
    }
    const qint64 entrySize = (info.valid & ZIP_STAT_SIZE) ? qint64(info.size) : 0;
    auto file = destination.beginFile(entryName, nullptr, mode);
    std::unique_ptr<zip_file_t, EntryCloser> entry(zip_fopen_index(archive.get(), index, 0));
    if (!file || !entry) {
      result.skipped.append(name);
      continue;
    }
    bool good = true;
    for (;;) {
      const zip_int64_t n = zip_fread(entry.get(), buffer.data(), zip_uint64_t(buffer.size()));
      if (n < 0) {  // damaged data or a CRC mismatch
        good = false;
        break;
      }
      if (n == 0) break;
      written += n;
      if (file->written() + n > entrySize || written > limits.maxTotalBytes || !file->write(buffer.constData(), n)) {
        good = false;
        break;
      }
    }
    if (good && file->written() == entrySize && file->commit()) {
      result.extracted.append(name);
    } else {
      file->discard();
      result.skipped.append(name);
    }
  }
  return result;
}

}  // namespace lumi::transfer
