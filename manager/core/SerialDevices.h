#pragma once
// The serial devices a receiver can hang on, for the port dialog: built-in
// ports (ttyS), USB adapters (ttyUSB) and USB modems (ttyACM), and the stable
// names under /dev/serial/by-id that keep pointing at the same adapter
// whichever order USB devices come up in. Each with what it is.
#include <QString>
#include <vector>

namespace lumi::manager {

struct SerialDevice {
  QString path;         // what the COM name is mapped to
  QString description;  // "FT232R USB UART (FTDI)", "built-in serial port" ...
  bool operator==(const SerialDevice&) const = default;
};

// What the system says about one port (QSerialPortInfo on a real machine).
struct PortFacts {
  QString path;  // "/dev/ttyUSB0"
  QString description;
  QString manufacturer;
};

// The stable names first (each naming the device it points at), then the
// ports themselves in name order; only ttyS, ttyUSB and ttyACM devices.
// `byIdFolder` holds the stable names as links to the devices.
std::vector<SerialDevice> listSerialDevices(const std::vector<PortFacts>& ports, const QString& byIdFolder);
// The same for this machine.
std::vector<SerialDevice> availableSerialDevices();

}  // namespace lumi::manager
