#pragma once
// The list of installed program files the updater sends to the server, kept
// in "Version.vif" in the program folder.
//
// With a "Version.vif": every listed file that carries a version note gets
// its current version; the list is written back. Without one: every file
// (not folder) of the program folder with its version ("0,0,0,0" without a
// note) is listed and the file written. Temporary files of an interrupted
// download or install are never listed.
#include "common/version/VersionList.h"

#include <QByteArray>
#include <QList>

namespace lumi::updater {

inline constexpr char kVersionListFile[] = "Version.vif";

QList<version::VersionEntry> BuildUpdateList(const QString& programFolder);

// 2066 for every entry, then 2067, in one buffer.
QByteArray UpdateListMessages(const QList<version::VersionEntry>& entries);

}  // namespace lumi::updater
