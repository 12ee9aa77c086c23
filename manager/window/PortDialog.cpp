#include "manager/window/PortDialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "manager/core/RemoteSettings.h"

namespace lumi::manager {

PortChoice storedPortChoice(quint32 comPort) {
  return {comPort, comPort < quint32(kPortCount) ? portMapping(int(comPort) + 1) : QString()};
}

bool storePortChoice(const PortChoice& choice) {
  if (choice.comPort >= quint32(kPortCount)) return false;
  const int number = int(choice.comPort) + 1;
  // The name's own device needs no mapping; one left behind would hide it.
  const QString own = QStringLiteral("/dev/ttyS%1").arg(number - 1);
  const QString device = choice.device == own ? QString() : choice.device;
  return writeComPort(choice.comPort) && mapPort(number, device);
}

PortDialog::PortDialog(const text::StringTable& strings, const PortChoice& current, std::vector<SerialDevice> devices,
                       QWidget* parent)
    : QDialog(parent), strings_(strings), devices_(std::move(devices)) {
  setWindowTitle(strings_.text(139));
  auto* layout = new QVBoxLayout(this);
  ports_ = new QButtonGroup(this);
  for (int i = 0; i < kPortCount; ++i) {
    auto* radio = new QRadioButton(portName(i + 1), this);
    ports_->addButton(radio, i);
    layout->addWidget(radio);
  }
  layout->addWidget(new QLabel(strings_.text(141), this));
  device_ = new QComboBox(this);
  layout->addWidget(device_);
  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(box);
  connect(ports_, &QButtonGroup::idClicked, this, [this](int id) { fillDevices(quint32(id), device_->currentData().toString()); });
  choose(current);
}

void PortDialog::choose(const PortChoice& choice) {
  if (QAbstractButton* radio = ports_->button(int(choice.comPort))) radio->setChecked(true);
  fillDevices(choice.comPort, choice.device);
}

void PortDialog::fillDevices(quint32 comPort, const QString& device) {
  device_->clear();
  const QString own = QStringLiteral("/dev/ttyS%1").arg(comPort);
  device_->addItem(QStringLiteral("%1 %2").arg(strings_.text(142), own), QString());
  bool listed = device.isEmpty();
  for (const SerialDevice& d : devices_) {
    if (d.path == own) continue;
    device_->addItem(QStringLiteral("%1 (%2)").arg(d.path, d.description), d.path);
    listed |= d.path == device;
  }
  // A mapping to a device that is not plugged in now stays choosable.
  if (!listed) device_->addItem(device, device);
  device_->setCurrentIndex(qMax(0, device_->findData(device)));
}

PortChoice PortDialog::choice() const {
  return {quint32(qMax(0, ports_->checkedId())), device_->currentData().toString()};
}

QStringList PortDialog::deviceTexts() const {
  QStringList texts;
  for (int i = 0; i < device_->count(); ++i) texts << device_->itemText(i);
  return texts;
}

}  // namespace lumi::manager
