#pragma once
// The suite's registry: HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE kept as hive
// files in regedit text format, shared safely by all programs of the suite.
//
// Every operation sees the latest state on disk (another program may have
// changed it), every change is written to disk before the call returns, and a
// hive file is always either the old or the new complete state.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

namespace lumi::registry {

enum class Root { CurrentUser, LocalMachine };

// The numbers are those of the Windows registry, so that hex(N) values in
// imported files keep their meaning.
enum class ValueType : quint32 {
  None = 0,
  String = 1,
  ExpandString = 2,
  Binary = 3,
  DWord = 4,
  MultiString = 7,
  QWord = 11
};

// A line of a hive file that could not be understood. The rest of the file
// still loads; the damaged file is kept as "<hive>.reg.bak" before it is
// first rewritten.
struct ParseIssue {
  int line = 0;      // 1-based physical line in the file
  QString message;
  QString text;      // the offending line as read
};

// A key is only a root and a path: all state lives in the hive, so a Key stays
// valid (and its writes recreate it) even when another program removes it.
// Keys open with full access; there are no access modes.
class Key {
 public:
  Key();  // not open

  // The key when it exists, else a Key that is not open. An empty path is the
  // root itself.
  static Key open(Root root, const QString& path);
  // Creates every missing key along the path. Class names have no place in the
  // file format and are not kept. Not open when the path is invalid or the hive
  // could not be written.
  static Key create(Root root, const QString& path, const QString& className = {});
  static bool exists(Root root, const QString& path);
  // Removes the key with its whole subtree; false when it is missing. The root
  // itself is never removed.
  static bool remove(Root root, const QString& path);

  bool isOpen() const;
  Root root() const;
  // The path as given to open() or create(), without empty parts.
  QString path() const;

  // Reads fail (false) and leave `out` unchanged when the key or value is
  // missing or has another type.
  bool readString(const QString& name, QString& out) const;
  bool readDWord(const QString& name, quint32& out) const;
  bool readBinary(const QString& name, QByteArray& out) const;
  bool valueType(const QString& name, ValueType& out) const;
  // Any value as its type and its bytes as Windows stores them (strings in
  // UTF-16LE with their terminator, DWORDs little-endian).
  bool readValue(const QString& name, ValueType& type, QByteArray& data) const;

  // Writes create the key when it is missing (another program may have removed
  // it since open). A value name may not contain line breaks or NUL.
  bool writeString(const QString& name, const QString& value);
  bool writeDWord(const QString& name, quint32 value);
  bool writeBinary(const QString& name, const QByteArray& value);
  bool writeValue(const QString& name, ValueType type, const QByteArray& data);
  // False when the key or value is missing.
  bool removeValue(const QString& name);

  QStringList subKeyNames() const;  // direct children, as spelt when created, sorted
  QStringList valueNames() const;   // in creation order; "" is the default value

 private:
  Key(Root root, QStringList parts);

  Root root_ = Root::CurrentUser;
  QStringList parts_;
  bool open_ = false;
};

// Changes to one hive gathered first and then applied together: one lock, one
// rewrite of the file, and readers see either none or all of them. A program
// that writes dozens of keys at once (a module registering its classes) pays
// for one rewrite instead of one per value.
//
// Steps apply in the order given, as the single calls would. Removing a key or
// value that is missing is no change, so a batch of removals also tidies up
// after a partial earlier run.
class Batch {
 public:
  explicit Batch(Root root);

  void createKey(const QString& path);
  void removeKey(const QString& path);  // with its subtree; never the root
  void writeValue(const QString& path, const QString& name, ValueType type, const QByteArray& data);
  void writeString(const QString& path, const QString& name, const QString& value);
  void writeDWord(const QString& path, const QString& name, quint32 value);
  void writeBinary(const QString& path, const QString& name, const QByteArray& value);
  void removeValue(const QString& path, const QString& name);

  int size() const { return int(steps_.size()); }

  // Applies every step in one rewrite (none when nothing changed). False, with
  // nothing written, when a step has an invalid path or name or the hive could
  // not be read or written. The steps stay, so a batch can be applied again.
  bool apply() const;

 private:
  enum class Op { CreateKey, RemoveKey, WriteValue, RemoveValue };
  struct Step {
    Op op;
    QStringList parts;
    QString name;
    ValueType type = ValueType::None;
    QByteArray data;
  };
  void add(Op op, const QString& path, const QString& name = {}, ValueType type = ValueType::None,
           const QByteArray& data = {});

  Root root_;
  std::vector<Step> steps_;
  bool invalid_ = false;
};

QString hiveFolder(Root root);  // folder of that hive's file
QString hiveFile(Root root);    // full path of that hive's file

// The problems found the last time this process read that hive's file (empty
// when it read cleanly or has not been read yet).
QList<ParseIssue> lastLoadIssues(Root root);

}  // namespace lumi::registry
