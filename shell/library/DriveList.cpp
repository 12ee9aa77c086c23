#include "shell/library/DriveList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>

#include "platform/registry/Registry.h"

namespace lumi::library {

namespace {

QString withSlash(QString folder) {
  if (!folder.isEmpty() && !folder.endsWith('/')) folder += '/';
  return folder;
}

// Mount points in mountinfo escape space, tab, newline and backslash as
// three octal digits.
QByteArray unescapeOctal(const QByteArray& field) {
  QByteArray out;
  out.reserve(field.size());
  for (qsizetype i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      const QByteArray digits = field.mid(i + 1, 3);
      bool ok = digits.size() == 3;
      int value = 0;
      for (char c : digits) {
        if (c < '0' || c > '7') ok = false;
        value = value * 8 + (c - '0');
      }
      if (ok) {
        out.append(char(value));
        i += 3;
        continue;
      }
    }
    out.append(field[i]);
  }
  return out;
}

// /dev/disk/by-label names escape bytes as \xNN (a space is \x20).
QByteArray unescapeHex(const QByteArray& name) {
  QByteArray out;
  for (qsizetype i = 0; i < name.size(); ++i) {
    if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x') {
      bool ok = false;
      const int value = name.mid(i + 2, 2).toInt(&ok, 16);
      if (ok) {
        out.append(char(value));
        i += 3;
        continue;
      }
    }
    out.append(name[i]);
  }
  return out;
}

struct Mount {
  QByteArray majorMinor;
  QString point;
  QString fsType;
  QString source;
};

QList<Mount> parseMountinfo(const QByteArray& text) {
  QHash<QString, Mount> byPoint;  // a later mount over the same point hides the earlier one
  QStringList order;
  for (const QByteArray& line : text.split('\n')) {
    const QList<QByteArray> fields = line.split(' ');
    const qsizetype dash = fields.indexOf("-");
    if (fields.size() < 7 || dash < 6 || dash + 2 >= fields.size()) continue;
    Mount mount;
    mount.majorMinor = fields[2];
    mount.point = QString::fromUtf8(unescapeOctal(fields[4]));
    mount.fsType = QString::fromUtf8(fields[dash + 1]);
    mount.source = QString::fromUtf8(unescapeOctal(fields[dash + 2]));
    if (!byPoint.contains(mount.point)) order.append(mount.point);
    byPoint.insert(mount.point, mount);
  }
  QList<Mount> mounts;
  for (const QString& point : order) mounts.append(byPoint.value(point));
  return mounts;
}

bool underMediaFolders(const QString& point) {
  for (const QString& base : {QStringLiteral("/media"), QStringLiteral("/run/media"), QStringLiteral("/mnt")}) {
    if (point == base || point.startsWith(base + '/')) return true;
  }
  return false;
}

bool isPseudoFileSystem(const QString& fsType) {
  static const QSet<QString> pseudo = {"autofs", "proc", "sysfs", "devpts", "devtmpfs", "cgroup", "cgroup2",
                                       "binfmt_misc", "debugfs", "tracefs", "securityfs", "pstore", "bpf",
                                       "fusectl", "configfs", "mqueue", "hugetlbfs", "rpc_pipefs", "nsfs"};
  return pseudo.contains(fsType);
}

bool isRemoteFileSystem(const QString& fsType) {
  static const QSet<QString> remote = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse.sshfs", "sshfs",
                                       "9p", "afs", "ceph", "davfs", "fuse.davfs2", "fuse.rclone", "glusterfs"};
  return remote.contains(fsType);
}

bool isOpticalFileSystem(const QString& fsType) { return fsType == "iso9660" || fsType == "udf"; }

QString deviceName(const QString& source) { return QFileInfo(source).fileName(); }

bool isOpticalDevice(const QString& source) {
  return source.startsWith("/dev/sr") || source.startsWith("/dev/scd") || source == "/dev/cdrom";
}

bool readFlag(const QString& file) {
  QFile f(file);
  if (!f.open(QIODevice::ReadOnly)) return false;
  return f.readAll().trimmed() == "1";
}

// The removable flag lives on the whole disk; a partition's folder is inside
// its disk's folder.
bool isRemovable(const QString& sysRoot, const QByteArray& majorMinor) {
  const QString link = sysRoot + "/dev/block/" + QString::fromLatin1(majorMinor);
  const QString folder = QFileInfo(link).canonicalFilePath();
  if (folder.isEmpty()) return false;
  if (QFileInfo::exists(folder + "/removable")) return readFlag(folder + "/removable");
  return readFlag(QFileInfo(folder).path() + "/removable");
}

QHash<QString, QString> labelsByDevice(const QString& byLabel) {
  QHash<QString, QString> labels;
  QDir dir(byLabel);
  for (const QFileInfo& info : dir.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
    if (!info.isSymLink()) continue;
    const QString device = QFileInfo(info.symLinkTarget()).fileName();
    labels.insert(device, QString::fromUtf8(unescapeHex(QFile::encodeName(info.fileName()))));
  }
  return labels;
}

}  // namespace

DriveType DriveTypeFromWord(const QString& word) {
  const QString w = word.trimmed().toLower();
  if (w == "fixed") return DriveType::Fixed;
  if (w == "removable") return DriveType::Removable;
  if (w == "cdrom") return DriveType::CdRom;
  if (w == "remote") return DriveType::Remote;
  return DriveType::Unknown;
}

QString DriveTypeWord(DriveType type) {
  switch (type) {
    case DriveType::Fixed: return "fixed";
    case DriveType::Removable: return "removable";
    case DriveType::CdRom: return "cdrom";
    case DriveType::Remote: return "remote";
    case DriveType::Unknown: break;
  }
  return {};
}

bool DrivesFromRegistry(QList<Drive>& out) {
  using registry::Key;
  using registry::Root;
  const Key drives = Key::open(Root::CurrentUser, kDrivesKey);
  if (!drives.isOpen()) return false;
  const Key types = Key::open(Root::CurrentUser, kDrivesKey + "\\Types");
  const Key labels = Key::open(Root::CurrentUser, kDrivesKey + "\\Labels");
  out.clear();
  for (char letter = 'C'; letter <= 'Z'; ++letter) {
    const QString name(QChar::fromLatin1(letter));
    QString folder;
    if (!drives.readString(name, folder) || folder.isEmpty()) continue;
    Drive drive;
    drive.letter = letter;
    drive.root = withSlash(folder);
    QString word;
    if (types.isOpen() && types.readString(name, word)) drive.type = DriveTypeFromWord(word);
    if (labels.isOpen()) labels.readString(name, drive.label);
    out.append(drive);
  }
  return true;
}

QList<Drive> DrivesFromMountTable(const MountSources& sources) {
  const QList<Mount> mounts = parseMountinfo(sources.mountinfo);
  const QHash<QString, QString> labels = labelsByDevice(sources.byLabel);

  auto driveFor = [&](const Mount& mount, DriveType type) {
    Drive drive;
    drive.root = withSlash(mount.point);
    drive.type = type;
    drive.device = mount.source;
    if (type == DriveType::Remote) {
      drive.label = QFileInfo(mount.point).fileName();
    } else {
      drive.label = labels.value(deviceName(mount.source), QFileInfo(mount.point).fileName());
    }
    return drive;
  };

  QList<Drive> list;
  Drive home;
  home.root = withSlash(sources.home);
  home.type = DriveType::Fixed;
  if (!sources.home.isEmpty()) list.append(home);

  QList<Mount> local;
  QList<Mount> opticalOther;
  QHash<QString, Mount> opticalByDevice;
  for (const Mount& mount : mounts) {
    if (!underMediaFolders(mount.point) || isPseudoFileSystem(mount.fsType)) continue;
    if (isOpticalDevice(mount.source)) {
      opticalByDevice.insert(deviceName(mount.source), mount);
    } else if (isOpticalFileSystem(mount.fsType)) {
      opticalOther.append(mount);
    } else {
      local.append(mount);
    }
  }
  auto byPoint = [](const Mount& a, const Mount& b) { return a.point.toUtf8() < b.point.toUtf8(); };
  std::sort(local.begin(), local.end(), byPoint);
  std::sort(opticalOther.begin(), opticalOther.end(), byPoint);

  for (const Mount& mount : local) {
    DriveType type = DriveType::Fixed;
    if (isRemoteFileSystem(mount.fsType)) type = DriveType::Remote;
    else if (isRemovable(sources.sysRoot, mount.majorMinor)) type = DriveType::Removable;
    list.append(driveFor(mount, type));
  }

  // Optical drives keep their place whether or not a disc is in, so that the
  // letters after them do not move as discs come and go.
  QStringList opticalDevices = QDir(sources.sysRoot + "/block").entryList({"sr*"}, QDir::AllEntries | QDir::System);
  for (const QString& name : opticalByDevice.keys()) {
    if (!opticalDevices.contains(name)) opticalDevices.append(name);
  }
  std::sort(opticalDevices.begin(), opticalDevices.end());
  for (const QString& name : opticalDevices) {
    if (opticalByDevice.contains(name)) {
      list.append(driveFor(opticalByDevice.value(name), DriveType::CdRom));
    } else {
      Drive drive;
      drive.type = DriveType::CdRom;
      drive.device = "/dev/" + name;
      list.append(drive);
    }
  }
  for (const Mount& mount : opticalOther) list.append(driveFor(mount, DriveType::CdRom));

  if (list.size() > kMaxDrives) list.resize(kMaxDrives);
  for (qsizetype i = 0; i < list.size(); ++i) list[i].letter = char('C' + i);
  return list;
}

QList<Drive> DetectDrives() {
  QList<Drive> drives;
  if (DrivesFromRegistry(drives)) return drives;
  MountSources sources;
  QFile mountinfo("/proc/self/mountinfo");
  if (mountinfo.open(QIODevice::ReadOnly)) sources.mountinfo = mountinfo.readAll();
  sources.home = QDir::homePath();
  return DrivesFromMountTable(sources);
}

QString DriveName(const Drive& drive) { return QString(QChar::fromLatin1(drive.letter)) + ':'; }

}  // namespace lumi::library
