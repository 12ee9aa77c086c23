#include "platform/registry/Registry.h"

#include <QDir>

#include "platform/registry/HiveFormat.h"
#include "platform/registry/HiveStore.h"

namespace lumi::registry {
namespace {

// Empty parts are dropped, so "Software\\Quelmar\\" and "Software\\Quelmar"
// name the same key. nullopt when a part cannot be stored in the file.
std::optional<QStringList> splitPath(const QString& path) {
  const QStringList parts = path.split(u'\\', Qt::SkipEmptyParts);
  for (const QString& part : parts)
    if (!format::isWritableName(part)) return std::nullopt;
  return parts;
}

QString baseFolder(const char* variable, const QString& fallback) {
  // Relative XDG paths are invalid and must be ignored.
  const QString value = qEnvironmentVariable(variable);
  return !value.isEmpty() && QDir::isAbsolutePath(value) ? value : QDir::home().filePath(fallback);
}

}  // namespace

Key::Key() = default;

Key::Key(Root root, QStringList parts) : root_(root), parts_(std::move(parts)), open_(true) {}

Key Key::open(Root root, const QString& path) {
  const auto parts = splitPath(path);
  if (!parts) return Key();
  const bool found = HiveStore::of(root).read([&](const KeyNode& tree) { return tree.find(*parts) != nullptr; });
  return found ? Key(root, *parts) : Key();
}

Key Key::create(Root root, const QString& path, const QString& /*className*/) {
  const auto parts = splitPath(path);
  if (!parts) return Key();
  const bool ok = HiveStore::of(root).modify([&](KeyNode& tree) {
    bool created = false;
    tree.ensure(*parts, &created);
    return created ? Change::Changed : Change::Unchanged;
  });
  return ok ? Key(root, *parts) : Key();
}

bool Key::exists(Root root, const QString& path) { return open(root, path).isOpen(); }

bool Key::remove(Root root, const QString& path) {
  const auto parts = splitPath(path);
  // Removing the root would wipe the whole hive; Windows refuses that too.
  if (!parts || parts->isEmpty()) return false;
  return HiveStore::of(root).modify([&](KeyNode& tree) {
    KeyNode* parent = tree.find(parts->first(parts->size() - 1));
    return parent && parent->removeChild(parts->last()) ? Change::Changed : Change::Failed;
  });
}

bool Key::isOpen() const { return open_; }
Root Key::root() const { return root_; }
QString Key::path() const { return parts_.join(u'\\'); }

bool Key::readValue(const QString& name, ValueType& type, QByteArray& data) const {
  if (!open_) return false;
  return HiveStore::of(root_).read([&](const KeyNode& tree) {
    const KeyNode* node = tree.find(parts_);
    const Value* value = node ? node->value(name) : nullptr;
    if (!value) return false;
    type = ValueType(value->type);
    data = value->data;
    return true;
  });
}

bool Key::readString(const QString& name, QString& out) const {
  ValueType type;
  QByteArray data;
  if (!readValue(name, type, data) || type != ValueType::String) return false;
  out = format::stringText(data);
  return true;
}

bool Key::readDWord(const QString& name, quint32& out) const {
  ValueType type;
  QByteArray data;
  if (!readValue(name, type, data) || type != ValueType::DWord) return false;
  // A DWORD of another length can only come from a hand-made hex(4) line.
  const auto value = format::dwordValue(data);
  if (!value) return false;
  out = *value;
  return true;
}

bool Key::readBinary(const QString& name, QByteArray& out) const {
  ValueType type;
  QByteArray data;
  if (!readValue(name, type, data) || type != ValueType::Binary) return false;
  out = data;
  return true;
}

bool Key::valueType(const QString& name, ValueType& out) const {
  ValueType type;
  QByteArray data;
  if (!readValue(name, type, data)) return false;
  out = type;
  return true;
}

bool Key::writeValue(const QString& name, ValueType type, const QByteArray& data) {
  if (!open_ || !format::isWritableName(name)) return false;
  return HiveStore::of(root_).modify([&](KeyNode& tree) {
    bool created = false;
    KeyNode& node = tree.ensure(parts_, &created);
    return node.setValue(name, quint32(type), data) || created ? Change::Changed : Change::Unchanged;
  });
}

bool Key::writeString(const QString& name, const QString& value) {
  return writeValue(name, ValueType::String, format::stringData(value));
}

bool Key::writeDWord(const QString& name, quint32 value) {
  return writeValue(name, ValueType::DWord, format::dwordData(value));
}

bool Key::writeBinary(const QString& name, const QByteArray& value) {
  return writeValue(name, ValueType::Binary, value);
}

bool Key::removeValue(const QString& name) {
  if (!open_) return false;
  return HiveStore::of(root_).modify([&](KeyNode& tree) {
    KeyNode* node = tree.find(parts_);
    return node && node->removeValue(name) ? Change::Changed : Change::Failed;
  });
}

QStringList Key::subKeyNames() const {
  if (!open_) return {};
  return HiveStore::of(root_).read([&](const KeyNode& tree) {
    const KeyNode* node = tree.find(parts_);
    return node ? node->childNames() : QStringList();
  });
}

QStringList Key::valueNames() const {
  if (!open_) return {};
  return HiveStore::of(root_).read([&](const KeyNode& tree) {
    const KeyNode* node = tree.find(parts_);
    return node ? node->valueNames() : QStringList();
  });
}

Batch::Batch(Root root) : root_(root) {}

void Batch::add(Op op, const QString& path, const QString& name, ValueType type, const QByteArray& data) {
  const auto parts = splitPath(path);
  const bool nameOk = op == Op::WriteValue ? format::isWritableName(name) : true;
  // The root itself is never removed, as with Key::remove.
  if (!parts || !nameOk || (op == Op::RemoveKey && parts->isEmpty())) {
    invalid_ = true;
    return;
  }
  steps_.push_back(Step{op, *parts, name, type, data});
}

void Batch::createKey(const QString& path) { add(Op::CreateKey, path); }
void Batch::removeKey(const QString& path) { add(Op::RemoveKey, path); }

void Batch::writeValue(const QString& path, const QString& name, ValueType type, const QByteArray& data) {
  add(Op::WriteValue, path, name, type, data);
}

void Batch::writeString(const QString& path, const QString& name, const QString& value) {
  writeValue(path, name, ValueType::String, format::stringData(value));
}

void Batch::writeDWord(const QString& path, const QString& name, quint32 value) {
  writeValue(path, name, ValueType::DWord, format::dwordData(value));
}

void Batch::writeBinary(const QString& path, const QString& name, const QByteArray& value) {
  writeValue(path, name, ValueType::Binary, value);
}

void Batch::removeValue(const QString& path, const QString& name) { add(Op::RemoveValue, path, name); }

bool Batch::apply() const {
  // Checked before the hive is touched: a step that cannot apply must not
  // leave the others half done.
  if (invalid_) return false;
  if (steps_.empty()) return true;
  return HiveStore::of(root_).modify([&](KeyNode& tree) {
    bool changed = false;
    for (const Step& step : steps_) {
      switch (step.op) {
        case Op::CreateKey: {
          bool created = false;
          tree.ensure(step.parts, &created);
          changed = changed || created;
          break;
        }
        case Op::RemoveKey: {
          KeyNode* parent = tree.find(step.parts.first(step.parts.size() - 1));
          if (parent && parent->removeChild(step.parts.last())) changed = true;
          break;
        }
        case Op::WriteValue: {
          bool created = false;
          KeyNode& node = tree.ensure(step.parts, &created);
          if (node.setValue(step.name, quint32(step.type), step.data) || created) changed = true;
          break;
        }
        case Op::RemoveValue: {
          KeyNode* node = tree.find(step.parts);
          if (node && node->removeValue(step.name)) changed = true;
          break;
        }
      }
    }
    return changed ? Change::Changed : Change::Unchanged;
  });
}

QString hiveFolder(Root root) {
  const QString shared = qEnvironmentVariable("LUMICASTER_REGISTRY_DIR");
  if (!shared.isEmpty()) return QDir(shared).absolutePath();
  if (root == Root::CurrentUser) return QDir(baseFolder("XDG_CONFIG_HOME", QStringLiteral(".config"))).filePath(QStringLiteral("quelmar"));
  return QDir(baseFolder("XDG_DATA_HOME", QStringLiteral(".local/share"))).filePath(QStringLiteral("lumicaster"));
}

QString hiveFile(Root root) {
  return QDir(hiveFolder(root)).filePath(format::rootName(root) + QStringLiteral(".reg"));
}

QList<ParseIssue> lastLoadIssues(Root root) { return HiveStore::of(root).lastLoadIssues(); }

}  // namespace lumi::registry
