#pragma once
// Why the receiver's port could not be opened or was lost, as the user is
// told it: another program holds it, the user may not open it (not in the
// "dialout" group), there is no such device, or the device went away.
#include <QString>

namespace lumi::manager {

enum class PortFailure : int { Busy = 0, NoPermission = 1, NoDevice = 2, Lost = 3 };

// What the port layer reports about a failed open.
struct OpenFacts {
  bool exists = false;            // the path names something
  bool characterDevice = false;   // ... and it is a character device
  bool accessDenied = false;      // the user may not read and write it
  bool noHardware = false;        // the driver answered that nothing is behind it (EIO, ENXIO, ENODEV)
};
PortFailure classifyOpenFailure(const OpenFacts& facts);
// The facts of a device path as this process sees it; `noHardware` from the open's own error.
OpenFacts openFacts(const QString& device, bool noHardware);

// The manager's text for each failure.
int portFailureText(PortFailure failure);

// True when nothing is at the path (an unplugged USB receiver): the manager
// connects again by itself once the device is back.
bool deviceMissing(const QString& device);

}  // namespace lumi::manager
