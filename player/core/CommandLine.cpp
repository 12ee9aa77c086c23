#include "player/core/CommandLine.h"

#include <QStringList>

namespace lumi::player {

StartRequest ParseCommandLine(const QString& argument) {
  StartRequest request;
  if (argument.isEmpty()) return request;
  auto starts = [&](const char* prefix) { return argument.startsWith(QLatin1String(prefix), Qt::CaseInsensitive); };
  if (starts("dvd://")) {
    QString root = argument.mid(6);
    // A root without its final separator would run into the folder name.
    if (!root.isEmpty() && !root.endsWith(u'/')) root += u'/';
    request = {StartRequest::Kind::Dvd, root + QStringLiteral("VIDEO_TS")};
  } else if (starts("vcd://")) {
    request = {StartRequest::Kind::VideoCd, argument.mid(6)};
  } else if (starts("mms")) {
    request = {StartRequest::Kind::Stream, argument};
  } else if (starts("lst://")) {
    request = {StartRequest::Kind::Playlist, argument.mid(6)};
  } else {
    request = {StartRequest::Kind::File, argument};
  }
  return request;
}

QString JoinArguments(int argc, char** argv) {
  QStringList parts;
  for (int i = 1; i < argc; ++i) parts << QString::fromLocal8Bit(argv[i]);
  return parts.join(u' ');
}

}  // namespace lumi::player
