#pragma once
// Short sound files made at test time with real encoders.
#include <QString>

namespace lumi::test {

// Runs `encoder` (a pipeline tail such as "wavenc" or "lamemp3enc ! xingmux")
// on `seconds` of a 440 Hz tone and writes the result to `path`. Empty on
// success, else what went wrong.
QString writeTone(const QString& path, const QString& encoder, double seconds);

}  // namespace lumi::test
