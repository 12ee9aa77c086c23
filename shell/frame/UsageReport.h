#pragma once
// The usage report: one 12-byte message {2074, 4, kind} to the statistics
// server each time the shell starts or starts playing something. Nothing
// comes back and nothing depends on it.
//
// The call blocks the user-interface thread until the connection is made or
// fails (at most 15 seconds). A window passes the repaint-only pump so the
// screen keeps painting while everything else waits:
//
//   lumi::suite::RepaintOnly blocked;
//   SendUsageReport(UsageKind::Music, [&] { blocked.pump(); });
#include "common/protocol/MessageCodes.h"

#include <QByteArray>
#include <QtGlobal>

#include <functional>

namespace lumi::shell {

enum class UsageKind : qint32 {
  Start = 0,    // the main window came up
  Movie = 1,
  Photo = 2,
  Music = 3,
  Dvd = 4,
  VideoCd = 5,
};

// The statistics server is built in and is not the server of the other
// exchanges; it is on loopback, so no report ever leaves the machine unless
// someone forwards the port.
inline constexpr char kStatisticsAddress[] = "127.0.0.1";
inline constexpr quint16 kStatisticsPort = protocol::kServerPort;

QByteArray usageReportMessage(UsageKind kind);

// True when the message went out. Callers have nothing to do either way: a
// failed connection or send is dropped without a word and not retried.
bool SendUsageReport(UsageKind kind, const std::function<void()>& whileWaiting = {});

}  // namespace lumi::shell
