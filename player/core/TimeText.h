#pragma once
// The texts the player shows for times: the wall clock, elapsed/total and the
// remaining time of the on-screen display, and the control bar's text.
// Positions are whole seconds, truncated.
#include <QDateTime>
#include <QString>

namespace lumi::player {

// "%H", "%M" and "%S" in `format` replaced by the clock's two-digit fields.
QString ClockText(const QString& format, const QTime& now);
// The %d/%02d placeholders of `format` filled with the hours, minutes and
// seconds of `elapsed` and then of `total`.
QString ElapsedText(const QString& format, qint64 elapsedSeconds, qint64 totalSeconds);
// The remaining time, never below zero (a position past the end or an unknown
// duration must not read as a negative time).
QString RemainingText(const QString& format, qint64 elapsedSeconds, qint64 totalSeconds);
// "01:02:05/02:02:02"
QString BarTimeText(qint64 elapsedSeconds, qint64 totalSeconds);

// Fills printf-style %d, %02d and %% of `format` from `values` in order.
QString FormatNumbers(const QString& format, std::initializer_list<qint64> values);

}  // namespace lumi::player
