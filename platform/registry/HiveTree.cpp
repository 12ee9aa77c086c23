#include "platform/registry/HiveTree.h"

namespace lumi::registry {

KeyNode* KeyNode::child(const QString& name) {
  auto it = children_.find(foldName(name));
  return it == children_.end() ? nullptr : it->second.get();
}

const KeyNode* KeyNode::child(const QString& name) const {
  auto it = children_.find(foldName(name));
  return it == children_.end() ? nullptr : it->second.get();
}

KeyNode& KeyNode::ensureChild(const QString& name, bool* created) {
  auto [it, inserted] = children_.try_emplace(foldName(name));
  if (inserted) it->second = std::make_unique<KeyNode>(name);
  if (created && inserted) *created = true;
  return *it->second;
}

bool KeyNode::removeChild(const QString& name) { return children_.erase(foldName(name)) > 0; }

const Value* KeyNode::value(const QString& name) const {
  auto it = valueIndex_.constFind(foldName(name));
  return it == valueIndex_.constEnd() ? nullptr : &values_[*it];
}

bool KeyNode::setValue(const QString& name, quint32 type, const QByteArray& data) {
  const QString folded = foldName(name);
  auto it = valueIndex_.constFind(folded);
  if (it == valueIndex_.constEnd()) {
    valueIndex_.insert(folded, values_.size());
    values_.append(Value{name, type, data});
    return true;
  }
  Value& v = values_[*it];
  if (v.type == type && v.data == data) return false;
  v.type = type;
  v.data = data;
  return true;
}

bool KeyNode::removeValue(const QString& name) {
  auto it = valueIndex_.constFind(foldName(name));
  if (it == valueIndex_.constEnd()) return false;
  values_.removeAt(*it);
  // Removals are rare next to lookups, so the index is simply rebuilt.
  valueIndex_.clear();
  for (qsizetype i = 0; i < values_.size(); ++i) valueIndex_.insert(foldName(values_[i].name), i);
  return true;
}

QStringList KeyNode::childNames() const {
  QStringList names;
  names.reserve(qsizetype(children_.size()));
  for (const auto& [folded, node] : children_) names.append(node->name());
  return names;
}

QStringList KeyNode::valueNames() const {
  QStringList names;
  names.reserve(values_.size());
  for (const Value& v : values_) names.append(v.name);
  return names;
}

KeyNode* KeyNode::find(const QStringList& parts) {
  KeyNode* node = this;
  for (const QString& part : parts)
    if (!(node = node->child(part))) return nullptr;
  return node;
}

const KeyNode* KeyNode::find(const QStringList& parts) const {
  return const_cast<KeyNode*>(this)->find(parts);
}

KeyNode& KeyNode::ensure(const QStringList& parts, bool* created) {
  KeyNode* node = this;
  for (const QString& part : parts) node = &node->ensureChild(part, created);
  return *node;
}

}  // namespace lumi::registry
