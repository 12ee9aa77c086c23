#pragma once
// What the update tests compare program files by: old, new or missing.
#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QString>

namespace lumi::updater {

// The file's SHA-256 in hex, or "<missing>" when it cannot be read.
inline QByteArray sha(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return "<missing>";
  return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex();
}

}  // namespace lumi::updater
