#pragma once
// The second page of the manager's property sheet, "화면 구성": the user
// design of the suite over a SkinPageModel. The file and colour choosers are
// replaceable so that the page can be driven without modal dialogs.
#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QSlider>
#include <QSpinBox>
#include <QWidget>
#include <functional>
#include <optional>

#include "common/skin/XPButton.h"
#include "manager/window/SkinPageModel.h"
#include "platform/text/StringTable.h"

namespace lumi::manager {

// A colour swatch that answers a click like its "색 변경" button.
class ColourSwatch : public QFrame {
  Q_OBJECT
 public:
  explicit ColourSwatch(QWidget* parent = nullptr);
  void setColour(const QColor& colour);
  QColor colour() const { return colour_; }
 signals:
  void clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QColor colour_;
};

class CPageSkin : public QWidget {
  Q_OBJECT

 public:
  CPageSkin(const text::StringTable& strings, std::function<void()> restartShell, QWidget* parent = nullptr);

  // Each answers an empty string or no colour when the user cancels.
  std::function<QString()> chooseBackground;
  std::function<QString()> chooseSaveName;
  std::function<QString()> chooseOpenName;
  std::function<std::optional<QColor>(const QColor&)> chooseColour;

  SkinPageModel& model() { return model_; }

  // The shell's WM_COPYDATA 1121: the controls show the current "Skin.ini".
  void reload();

  QCheckBox* change = nullptr;              // 1085
  QLineEdit* background = nullptr;          // 1070
  skin::CXPButton* browse = nullptr;        // 1009
  ColourSwatch* normalSwatch = nullptr;     // 1071
  skin::CXPButton* normalColour = nullptr;  // 1062
  QSpinBox* transNormalNumber = nullptr;    // 1064
  QSlider* transNormal = nullptr;           // 1076
  ColourSwatch* focusSwatch = nullptr;      // 1072
  skin::CXPButton* focusColour = nullptr;   // 1063
  QSpinBox* transFocusNumber = nullptr;     // 1066
  QSlider* transFocus = nullptr;            // 1077
  ColourSwatch* textSwatch = nullptr;       // 1074
  skin::CXPButton* textColour = nullptr;    // 1067
  QComboBox* font = nullptr;                // 1079
  QSpinBox* fontSize = nullptr;             // 1083 and 1065 in one
  QCheckBox* bold = nullptr;                // 1080
  skin::CXPButton* applyButton = nullptr;   // 1069
  skin::CXPButton* defaultsButton = nullptr;  // 1078
  skin::CXPButton* saveButton = nullptr;    // 1073
  skin::CXPButton* loadButton = nullptr;    // 1075

 private:
  void show(const SkinPageValues& values);
  void enableDesignControls(bool on);
  void pickColour(ColourSwatch* swatch, void (SkinPageModel::*set)(skin::ColorRef));
  void pairOpacity(QSlider* slider, QSpinBox* number, void (SkinPageModel::*set)(int));
  void takeFontControls();

  const text::StringTable& strings_;
  SkinPageModel model_;
  QList<QWidget*> designControls_;
  bool showing_ = false;
};

}  // namespace lumi::manager
