#pragma once
// The port dialog (139): the four COM names as radio buttons and, for the
// chosen one, the device behind it: the name's own built-in port or any
// serial device of the machine (a USB receiver, by its stable name), shown
// with what it is. The choice is stored as "ComPort" and the COM name's
// mapping, so nobody edits a hive by hand.
#include <QDialog>
#include <vector>

#include "manager/core/SerialDevices.h"
#include "platform/text/StringTable.h"

class QButtonGroup;
class QComboBox;

namespace lumi::manager {

struct PortChoice {
  quint32 comPort = 0;  // 0 is COM1
  QString device;       // empty: the COM name's own device
  bool operator==(const PortChoice&) const = default;
};

// The choice as it stands in the registry.
PortChoice storedPortChoice(quint32 comPort);
// Writes "ComPort" and the mapping (removed for the name's own device).
bool storePortChoice(const PortChoice& choice);

class PortDialog : public QDialog {
  Q_OBJECT

 public:
  PortDialog(const text::StringTable& strings, const PortChoice& current, std::vector<SerialDevice> devices,
             QWidget* parent = nullptr);

  PortChoice choice() const;
  void choose(const PortChoice& choice);
  // The device list as shown, the own-device entry first.
  QStringList deviceTexts() const;

 private:
  void fillDevices(quint32 comPort, const QString& device);

  const text::StringTable& strings_;
  std::vector<SerialDevice> devices_;
  QButtonGroup* ports_ = nullptr;
  QComboBox* device_ = nullptr;
};

}  // namespace lumi::manager
