#pragma once
// The regedit text format of the hive files. Reading accepts what Windows
// regedit exports (both versions, UTF-16 or 8-bit) and what people type;
// writing always produces one canonical form that regedit imports.
#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

#include "platform/registry/HiveTree.h"
#include "platform/registry/Registry.h"

namespace lumi::registry::format {

// "HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE".
QString rootName(Root root);

struct Parsed {
  KeyNode tree;
  QList<ParseIssue> issues;
};

// Never fails: every line that cannot be understood becomes an issue and the
// rest of the file still counts.
Parsed parse(const QByteArray& bytes, Root root);
QByteArray serialize(const KeyNode& tree, Root root);

// Windows value bytes of a string: UTF-16LE with a terminating NUL.
QByteArray stringData(const QString& text);
// The text of string value bytes, without their terminating NUL.
QString stringText(const QByteArray& data);
QByteArray dwordData(quint32 value);
std::optional<quint32> dwordValue(const QByteArray& data);

// Names the file format can carry: no NUL and no line breaks.
bool isWritableName(const QString& name);

}  // namespace lumi::registry::format
