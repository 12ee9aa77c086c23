#include "ZipFixture.h"

#include <QFile>

#include <zip.h>

namespace lumi::test {

bool WriteZip(const QString& path, const std::vector<ZipEntry>& entries) {
  int error = 0;
  zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (!archive) return false;
  for (const ZipEntry& entry : entries) {
    zip_source_t* source = zip_source_buffer(archive, entry.data.constData(), zip_uint64_t(entry.data.size()), 0);
    const zip_int64_t index = zip_file_add(archive, entry.name.constData(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
      zip_source_free(source);
      zip_discard(archive);
      return false;
    }
    if (entry.mode != 0)
      zip_file_set_external_attributes(archive, zip_uint64_t(index), 0, ZIP_OPSYS_UNIX, zip_uint32_t(entry.mode) << 16);
    else
      zip_file_set_external_attributes(archive, zip_uint64_t(index), 0, ZIP_OPSYS_DOS, 0);
  }
  return zip_close(archive) == 0;
}

}  // namespace lumi::test
