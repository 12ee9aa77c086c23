#pragma once
// The colour dialog of the skin page: a red, a green and a blue slider, each
// with its number, and a preview of the colour they make.
#include <QColor>
#include <QDialog>

#include "platform/text/StringTable.h"

class QLabel;
class QSlider;
class QSpinBox;

namespace lumi::manager {

class ColourDialog : public QDialog {
  Q_OBJECT
 public:
  ColourDialog(const text::StringTable& strings, const QColor& initial, QWidget* parent = nullptr);
  QColor colour() const;
  void setColour(const QColor& colour);

  QSlider* sliders[3] = {};
  QSpinBox* numbers[3] = {};
  QLabel* preview = nullptr;

 private:
  void showPreview();
};

}  // namespace lumi::manager
