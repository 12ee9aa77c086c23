#pragma once
// The in-memory form of one hive: a tree of keys, each with its values.
// Names compare without case and keep the spelling they were created with, as
// on Windows.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>

namespace lumi::registry {

// Windows compares registry names by simple case mapping, so one code unit
// maps to one code unit; case folding is the closest Qt offers.
inline QString foldName(const QString& name) { return name.toCaseFolded(); }

struct Value {
  QString name;
  quint32 type = 0;
  QByteArray data;  // the bytes as Windows stores them
};

class KeyNode {
 public:
  explicit KeyNode(QString name = {}) : name_(std::move(name)) {}
  KeyNode(KeyNode&&) = default;
  KeyNode& operator=(KeyNode&&) = default;

  const QString& name() const { return name_; }

  KeyNode* child(const QString& name);
  const KeyNode* child(const QString& name) const;
  // The existing child, or a new one spelt `name`; `created` tells which.
  KeyNode& ensureChild(const QString& name, bool* created = nullptr);
  bool removeChild(const QString& name);
  // Children by folded name, which is also the order they are written in.
  const std::map<QString, std::unique_ptr<KeyNode>>& children() const { return children_; }

  const Value* value(const QString& name) const;
  // An existing value keeps its spelling and its place. True when anything changed.
  bool setValue(const QString& name, quint32 type, const QByteArray& data);
  bool removeValue(const QString& name);
  const QList<Value>& values() const { return values_; }

  QStringList childNames() const;
  QStringList valueNames() const;

  // Descendants along `parts`; nullptr when one is missing.
  KeyNode* find(const QStringList& parts);
  const KeyNode* find(const QStringList& parts) const;
  KeyNode& ensure(const QStringList& parts, bool* created = nullptr);

 private:
  QString name_;
  std::map<QString, std::unique_ptr<KeyNode>> children_;
  QList<Value> values_;
  QHash<QString, qsizetype> valueIndex_;  // folded name -> position in values_
};

}  // namespace lumi::registry
