#pragma once
// Writes zip archives for the tests with libzip, including entries no
// honest archiver makes (names leaving the folder, links, devices).
#include <QByteArray>
#include <QString>

#include <vector>

namespace lumi::test {

struct ZipEntry {
  QByteArray name;
  QByteArray data;
  // Unix mode with file type, 0 for none (an archive made on Windows).
  unsigned mode = 0100644;
};

// False when libzip refused.
bool WriteZip(const QString& path, const std::vector<ZipEntry>& entries);

}  // namespace lumi::test
