#pragma once
// The drives a browser offers, in their fixed order. The first drive gets the
// letter C:, and a drive's position in the list (its drive index) names its
// catalogue files ('C' + index), so the order must stay the same from one run
// to the next.
//
// Two sources: the registry key ROOT\Drives, whose string values "C".."Z"
// map letters to host folders and then are the whole list (with the optional
// subkeys Types and Labels), or else the mount table: the home folder as C:,
// then the file systems mounted below /media, /run/media and /mnt, then the
// optical drives. Building the list reads only the registry, the mount table
// and /sys: nothing here touches the drives themselves, so a dead network
// mount cannot hang the caller.
#include <QList>
#include <QString>

namespace lumi::library {

enum class DriveType { Unknown, Removable, Fixed, Remote, CdRom };

struct Drive {
  char letter = 'C';   // as shown: 'C' + position for detected drives
  QString root;        // host folder ending in "/"; empty for an optical drive without a disc
  DriveType type = DriveType::Fixed;
  QString label;       // volume label, may be empty
  QString device;      // the mounted device, for information only

  // The drive's bit in the letter mask (letter minus 'A').
  int bit() const { return letter - 'A'; }
};

inline constexpr int kMaxDrives = 24;  // C: to Z:
inline const QString kDrivesKey = QStringLiteral("Software\\Quelmar\\Lumicaster\\Drives");

// "fixed", "removable", "cdrom", "remote" (the registry's words); other
// words are Unknown.
DriveType DriveTypeFromWord(const QString& word);
QString DriveTypeWord(DriveType type);

// The mapped list, or false when ROOT\Drives does not exist.
bool DrivesFromRegistry(QList<Drive>& out);

// Where detection looks; tests point these at fixtures.
struct MountSources {
  QByteArray mountinfo;     // contents of /proc/self/mountinfo
  QString home;             // the user's home folder
  QString sysRoot = QStringLiteral("/sys");
  QString byLabel = QStringLiteral("/dev/disk/by-label");
};
QList<Drive> DrivesFromMountTable(const MountSources& sources);

// Registry mapping when present, else the mount table of this process.
QList<Drive> DetectDrives();

// "E:" for display and "E:\" style roots are the browser's business; this
// gives the letter with a colon.
QString DriveName(const Drive& drive);

}  // namespace lumi::library
