#include "manager/window/ColourDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

namespace lumi::manager {

ColourDialog::ColourDialog(const text::StringTable& strings, const QColor& initial, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(strings.text(158));
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  for (int i = 0; i < 3; ++i) {
    grid->addWidget(new QLabel(strings.text(15801 + i), this), i, 0);
    sliders[i] = new QSlider(Qt::Horizontal, this);
    sliders[i]->setRange(0, 255);
    numbers[i] = new QSpinBox(this);
    numbers[i]->setRange(0, 255);
    grid->addWidget(sliders[i], i, 1);
    grid->addWidget(numbers[i], i, 2);
    QSlider* slider = sliders[i];
    QSpinBox* number = numbers[i];
    connect(slider, &QSlider::valueChanged, this, [this, number](int v) {
      const QSignalBlocker block(number);
      number->setValue(v);
      showPreview();
    });
    connect(number, &QSpinBox::valueChanged, this, [this, slider](int v) {
      const QSignalBlocker block(slider);
      slider->setValue(v);
      showPreview();
    });
  }
  layout->addLayout(grid);
  preview = new QLabel(this);
  preview->setMinimumSize(120, 40);
  preview->setAutoFillBackground(true);
  layout->addWidget(preview);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  setColour(initial);
}

QColor ColourDialog::colour() const { return QColor(sliders[0]->value(), sliders[1]->value(), sliders[2]->value()); }

void ColourDialog::setColour(const QColor& colour) {
  const int parts[3] = {colour.red(), colour.green(), colour.blue()};
  for (int i = 0; i < 3; ++i) sliders[i]->setValue(parts[i]);
  showPreview();
}

void ColourDialog::showPreview() {
  QPalette palette = preview->palette();
  palette.setColor(QPalette::Window, colour());
  preview->setPalette(palette);
}

}  // namespace lumi::manager
