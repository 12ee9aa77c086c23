#pragma once
// The two infrared receiver models and the line each one speaks.
#include <QString>
#include <QtGlobal>

namespace lumi::manager {

// Stored as the registry value "Remote" (0 or 1).
enum class RemoteModel : quint32 { A = 0, B = 1 };

// 1 is model B; every other stored number reads as model A, the default.
RemoteModel modelFromValue(quint32 value);

// "Universal Remote(Model A)", "Mouse Remote(Model B)".
QString modelName(RemoteModel model);

struct LineSettings {
  qint32 baud = 9600;
  int dataBits = 8;
  // Model B's receiver is powered and identified through DTR and RTS.
  bool holdControlLines = false;
};

// Model A: 9600 baud, 8 data bits. Model B: 1200 baud, 7 data bits, no
// parity, one stop bit, DTR and RTS on, no flow control of any kind.
LineSettings lineSettings(RemoteModel model);

// Bytes of one packet: 10 for model A, 3 for model B.
int packetSize(RemoteModel model);

}  // namespace lumi::manager
