#include "server/UpdateCatalogue.h"

#include "common/version/VersionCompare.h"
#include "common/version/VersionList.h"
#include "common/version/VersionNote.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <zip.h>

namespace lumi::server {

namespace {
// 2000-01-01: the same archive bytes for the same file on every start.
constexpr time_t kArchiveTime = 946684800;
constexpr qint64 kMaxFileBytes = qint64(0x7fffffff) - 4096;
}  // namespace

std::optional<QByteArray> PackSingleFile(const QString& path, const QString& entryName, QString* error) {
  auto fail = [error](const QString& text) {
    if (error) *error = text;
    return std::nullopt;
  };
  QTemporaryDir scratch;
  const QString zipPath = scratch.filePath(QStringLiteral("pack.zip"));
  int code = 0;
  zip_t* archive = zip_open(QFile::encodeName(zipPath).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
  if (!archive) return fail(QStringLiteral("cannot create an archive"));
  zip_source_t* source = zip_source_file(archive, QFile::encodeName(path).constData(), 0, -1);
  const zip_int64_t index =
      source ? zip_file_add(archive, entryName.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) : -1;
  if (index < 0) {
    if (source) zip_source_free(source);
    const QString text = QString::fromUtf8(zip_strerror(archive));
    zip_discard(archive);
    return fail(text);
  }
  const bool executable = QFileInfo(path).isExecutable();
  zip_file_set_external_attributes(archive, zip_uint64_t(index), 0, ZIP_OPSYS_UNIX,
                                   zip_uint32_t(executable ? 0100755 : 0100644) << 16);
  zip_file_set_mtime(archive, zip_uint64_t(index), kArchiveTime, 0);
  if (zip_close(archive) != 0) {
    const QString text = QString::fromUtf8(zip_strerror(archive));
    zip_discard(archive);
    return fail(text);
  }
  QFile packed(zipPath);
  if (!packed.open(QIODevice::ReadOnly)) return fail(packed.errorString());
  return packed.readAll();
}

std::optional<UpdateCatalogue> UpdateCatalogue::load(const QString& folder, const QString& serverVersion,
                                                     UpdateAnswer answer, QString* error) {
  auto fail = [error](const QString& text) {
    if (error) *error = text;
    return std::nullopt;
  };
  const QDir dir(folder);
  if (!dir.exists()) return fail(folder + QStringLiteral(": no such folder"));
  QList<version::VersionEntry> manifest;
  if (auto listed = version::ReadVersionFile(dir.filePath(QStringLiteral("Version.vif")))) manifest = *listed;

  UpdateCatalogue catalogue;
  catalogue.answer = answer;
  const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
  for (const QFileInfo& info : entries) {
    if (info.fileName() == QLatin1String("Version.vif") || info.isSymLink()) continue;
    if (info.size() > kMaxFileBytes) return fail(info.fileName() + QStringLiteral(": too large to announce"));
    CatalogueFile file;
    file.name = info.fileName();
    file.version = version::FileVersionText(info.filePath());
    for (const version::VersionEntry& entry : manifest)
      if (entry.name == file.name) file.version = entry.version;
    file.archiveName = file.name + QStringLiteral(".zip");
    QString packError;
    auto archive = PackSingleFile(info.filePath(), file.name, &packError);
    if (!archive) return fail(file.name + QStringLiteral(": ") + packError);
    if (archive->size() > kMaxFileBytes) return fail(file.name + QStringLiteral(": archive too large"));
    file.archive = *archive;
    catalogue.files.append(file);
  }
  catalogue.serverVersion = serverVersion;
  if (catalogue.serverVersion.isEmpty()) {
    catalogue.serverVersion = QStringLiteral("0,0,0,0");
    for (const CatalogueFile& file : catalogue.files)
      if (version::IsNewerVersion(catalogue.serverVersion, file.version)) catalogue.serverVersion = file.version;
  }
  return catalogue;
}

QList<const CatalogueFile*> UpdateCatalogue::outOfDate(const QList<std::pair<QString, QString>>& listed) const {
  QList<const CatalogueFile*> out;
  for (const CatalogueFile& file : files) {
    bool current = false;
    for (const auto& [name, version] : listed)
      if (name.compare(file.name, Qt::CaseInsensitive) == 0 && !version::IsNewerVersion(version, file.version))
        current = true;
    if (!current) out.append(&file);
  }
  return out;
}

}  // namespace lumi::server
