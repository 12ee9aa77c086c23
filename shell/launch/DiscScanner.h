#pragma once
// The discs in the CD-ROM drives, looked up when the DVD or Video CD button
// is pressed: a drive holds a DVD when "VIDEO_TS/VIDEO_TS.IFO" opens for
// reading, else a Video CD when "MPEGAV" exists, both found without regard to
// case (a plain ISO 9660 disc shows "video_ts"). Drives in letter order.
#include <QList>
#include <QString>
#include <QStringList>

#include "shell/library/DriveList.h"

namespace lumi::shell {

class DiscScanner {
 public:
  explicit DiscScanner(const QList<library::Drive>& drives);

  // All discs in order of discovery, with "DVD" or "VCD" and their labels.
  QStringList roots, types, labels;
  QStringList dvdRoots, dvdLabels;
  QStringList vcdRoots, vcdLabels;

  int dvdCount() const { return int(dvdRoots.size()); }
  int vcdCount() const { return int(vcdRoots.size()); }
};

// The path below `folder` whose components match `components` without
// regard to ASCII case; empty when there is none.
QString FindNoCase(const QString& folder, const QStringList& components);

}  // namespace lumi::shell
