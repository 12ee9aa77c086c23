#pragma once
// The receiver's settings in the registry, all under HKEY_CURRENT_USER:
//
//   Software\Quelmar\Lumicaster\Keywarden         "ComPort"  DWORD  0..3 (COM1..COM4)
//                                                 "Remote"   DWORD  0 model A, 1 model B
//   Software\Quelmar\Lumicaster\Keywarden\Ports   "COM1".."COM4"  string  a device path
//
// A port is the serial device /dev/ttyS0../dev/ttyS3 unless the "Ports" key
// maps its name to another device: a USB receiver ("COM1"="/dev/ttyUSB0") or
// a pseudo terminal for tests and demos ("COM2"="/dev/pts/5"). A mapping that
// is not an absolute path names a device under /dev ("ttyUSB0").
#include <QString>
#include <QtGlobal>

#include "manager/core/RemoteModel.h"

namespace lumi::manager {

inline const QString kSuiteKey = QStringLiteral("Software\\Quelmar\\Lumicaster");
inline const QString kKeywardenKey = kSuiteKey + QStringLiteral("\\Keywarden");
inline const QString kPortsKey = kKeywardenKey + QStringLiteral("\\Ports");

inline constexpr int kPortCount = 4;

// "COM1" for port number 1.
QString portName(int portNumber);
// The port number of "COM1".."COM4" (any case), else 0.
int portNumberFromName(const QString& name);

// The device behind port number 1..4: the registry mapping when one is set,
// else /dev/ttyS<n-1>. Empty for a number outside 1..4.
QString portDevice(int portNumber);
// The mapping of one port as stored; empty when there is none.
QString portMapping(int portNumber);
// Writes (or, with an empty device, removes) the mapping of one port.
bool mapPort(int portNumber, const QString& device);

// "Remote": the stored model; `current` when the value is missing.
RemoteModel readRemoteModel(RemoteModel current = RemoteModel::A);
bool writeRemoteModel(RemoteModel model);
// "ComPort": the stored index; when the value is missing it is created with
// `current`, which is then the answer.
quint32 readOrCreateComPort(quint32 current);
bool writeComPort(quint32 index);

}  // namespace lumi::manager
