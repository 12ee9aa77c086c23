#include "manager/window/CPageSkin.h"

#include <QFileDialog>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "manager/window/ColourDialog.h"

namespace lumi::manager {

namespace {
const QString kJpegFilter = QStringLiteral("Jpeg Image Files (*.jpg *.jpeg)");
const QString kPackageFilter = QStringLiteral("Skin Files (*.lcs)");

// One icon for every entry: drawing each face for hundreds of installed
// fonts would make opening the window slow.
QIcon fontIcon() {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setPen(Qt::darkBlue);
  QFont f = painter.font();
  f.setPixelSize(13);
  f.setBold(true);
  painter.setFont(f);
  painter.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("T"));
  return QIcon(pixmap);
}
}  // namespace

ColourSwatch::ColourSwatch(QWidget* parent) : QFrame(parent) {
  setFrameShape(QFrame::Box);
  setAutoFillBackground(true);
  setMinimumSize(48, 20);
}

void ColourSwatch::setColour(const QColor& colour) {
  colour_ = colour;
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, colour);
  setPalette(palette);
}

void ColourSwatch::mousePressEvent(QMouseEvent* event) {
  if (isEnabled() && event->button() == Qt::LeftButton) emit clicked();
  QFrame::mousePressEvent(event);
}

CPageSkin::CPageSkin(const text::StringTable& strings, std::function<void()> restartShell, QWidget* parent)
    : QWidget(parent), strings_(strings), model_(std::move(restartShell)) {
  chooseBackground = [this] {
    return QFileDialog::getOpenFileName(this, {}, background->text(), kJpegFilter);
  };
  chooseSaveName = [this] { return QFileDialog::getSaveFileName(this, {}, {}, kPackageFilter); };
  chooseOpenName = [this] { return QFileDialog::getOpenFileName(this, {}, {}, kPackageFilter); };
  chooseColour = [this](const QColor& initial) -> std::optional<QColor> {
    ColourDialog dialog(strings_, initial, this);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.colour();
  };

  auto named = [](QWidget* w, int id) {
    w->setObjectName(QString::number(id));
    return w;
  };
  auto button = [&](int textId, int id) {
    auto* b = new skin::CXPButton(strings_.text(textId), this);
    named(b, id);
    return b;
  };

  auto* layout = new QVBoxLayout(this);
  change = new QCheckBox(strings_.text(1085), this);
  named(change, 1085);
  layout->addWidget(change);

  auto* backRow = new QHBoxLayout;
  auto* backLabel = new QLabel(strings_.text(1070), this);
  background = new QLineEdit(this);
  named(background, 1070);
  background->setReadOnly(true);
  browse = button(10091, 1009);
  backRow->addWidget(backLabel);
  backRow->addWidget(background, 1);
  backRow->addWidget(browse);
  layout->addLayout(backRow);

  auto* grid = new QGridLayout;
  auto colourRow = [&](int row, int labelId, int swatchId, int buttonId, ColourSwatch*& swatch,
                       skin::CXPButton*& colourButton) {
    auto* label = new QLabel(strings_.text(labelId), this);
    swatch = new ColourSwatch(this);
    named(swatch, swatchId);
    colourButton = button(1062, buttonId);
    grid->addWidget(label, row, 0);
    grid->addWidget(swatch, row, 1);
    grid->addWidget(colourButton, row, 2);
    designControls_ << label << swatch << colourButton;
  };
  auto opacityRow = [&](int row, int numberId, int sliderId, QSpinBox*& number, QSlider*& slider) {
    auto* label = new QLabel(strings_.text(numberId), this);
    slider = new QSlider(Qt::Horizontal, this);
    slider->setRange(0, 255);
    named(slider, sliderId);
    number = new QSpinBox(this);
    number->setRange(0, 255);
    named(number, numberId);
    grid->addWidget(label, row, 3);
    grid->addWidget(slider, row, 4);
    grid->addWidget(number, row, 5);
    designControls_ << label << slider << number;
  };
  colourRow(0, 1071, 1071, 1062, normalSwatch, normalColour);
  opacityRow(0, 1064, 1076, transNormalNumber, transNormal);
  colourRow(1, 1072, 1072, 1063, focusSwatch, focusColour);
  opacityRow(1, 1066, 1077, transFocusNumber, transFocus);
  colourRow(2, 1074, 1074, 1067, textSwatch, textColour);
  layout->addLayout(grid);

  auto* fontRow = new QHBoxLayout;
  auto* fontLabel = new QLabel(strings_.text(1079), this);
  font = new QComboBox(this);
  named(font, 1079);
  const QIcon icon = fontIcon();
  for (const QString& family : QFontDatabase::families()) font->addItem(icon, family);
  auto* sizeLabel = new QLabel(strings_.text(1083), this);
  fontSize = new QSpinBox(this);
  fontSize->setRange(SkinPageModel::kMinFontSize, SkinPageModel::kMaxFontSize);
  named(fontSize, 1083);
  bold = new QCheckBox(strings_.text(1080), this);
  named(bold, 1080);
  fontRow->addWidget(fontLabel);
  fontRow->addWidget(font, 1);
  fontRow->addWidget(sizeLabel);
  fontRow->addWidget(fontSize);
  fontRow->addWidget(bold);
  layout->addLayout(fontRow);

  auto* buttons = new QHBoxLayout;
  applyButton = button(1069, 1069);
  defaultsButton = button(1078, 1078);
  saveButton = button(1073, 1073);
  loadButton = button(1075, 1075);
  for (QWidget* b : {applyButton, defaultsButton, saveButton, loadButton}) buttons->addWidget(b);
  layout->addLayout(buttons);
  layout->addStretch(1);
  designControls_ << backLabel << background << browse << fontLabel << font << sizeLabel << fontSize << bold
                  << applyButton << defaultsButton << saveButton << loadButton;

  connect(change, &QAbstractButton::clicked, this, [this](bool on) {
    model_.setUserDesign(on);
    enableDesignControls(on);
  });
  connect(browse, &QAbstractButton::clicked, this, [this] {
    const QString path = chooseBackground();
    if (path.isEmpty()) return;
    background->setText(path);
    model_.setBackgroundImage(path);
  });
  for (auto [swatch, b, set] : {std::tuple{normalSwatch, normalColour, &SkinPageModel::setColorNormal},
                                std::tuple{focusSwatch, focusColour, &SkinPageModel::setColorFocus},
                                std::tuple{textSwatch, textColour, &SkinPageModel::setFontColor}}) {
    connect(b, &QAbstractButton::clicked, this, [this, swatch, set] { pickColour(swatch, set); });
    connect(swatch, &ColourSwatch::clicked, this, [this, swatch, set] { pickColour(swatch, set); });
  }
  pairOpacity(transNormal, transNormalNumber, &SkinPageModel::setTransNormal);
  pairOpacity(transFocus, transFocusNumber, &SkinPageModel::setTransFocus);
  connect(font, &QComboBox::currentTextChanged, this, [this] { takeFontControls(); });
  connect(fontSize, &QSpinBox::valueChanged, this, [this] { takeFontControls(); });
  connect(bold, &QAbstractButton::toggled, this, [this] { takeFontControls(); });

  connect(applyButton, &QAbstractButton::clicked, this, [this] {
    takeFontControls();
    model_.apply();
  });
  connect(defaultsButton, &QAbstractButton::clicked, this, [this] {
    model_.defaults();
    show(model_.values());
  });
  connect(saveButton, &QAbstractButton::clicked, this, [this] {
    const QString name = chooseSaveName();
    if (!name.isEmpty()) model_.savePackage(name);  // a refused target is no news to the user
  });
  connect(loadButton, &QAbstractButton::clicked, this, [this] {
    const QString name = chooseOpenName();
    if (name.isEmpty()) return;
    takeFontControls();
    if (model_.loadPackage(name)) show(model_.values());
  });

  show(model_.values());
}

void CPageSkin::reload() {
  model_.reload();
  show(model_.values());
}

void CPageSkin::show(const SkinPageValues& v) {
  showing_ = true;
  change->setChecked(v.userDesign);
  background->setText(v.backgroundImage);
  normalSwatch->setColour(skin::ToQColor(v.colorNormal));
  focusSwatch->setColour(skin::ToQColor(v.colorFocus));
  textSwatch->setColour(skin::ToQColor(v.fontColor));
  for (auto [slider, number, value] : {std::tuple{transNormal, transNormalNumber, v.transNormal},
                                       std::tuple{transFocus, transFocusNumber, v.transFocus}}) {
    const QSignalBlocker a(slider), b(number);
    slider->setValue(value);
    number->setValue(value);
  }
  // A face that is not installed here stays the file's choice rather than
  // turning into whichever font comes first.
  if (font->findText(v.fontName) < 0) font->addItem(fontIcon(), v.fontName);
  font->setCurrentText(v.fontName);
  fontSize->setValue(v.fontSize);
  bold->setChecked(v.bold);
  showing_ = false;
  enableDesignControls(v.userDesign);
}

void CPageSkin::enableDesignControls(bool on) {
  for (QWidget* w : designControls_) w->setEnabled(on);
}

void CPageSkin::pickColour(ColourSwatch* swatch, void (SkinPageModel::*set)(skin::ColorRef)) {
  if (!change->isChecked()) return;
  const std::optional<QColor> chosen = chooseColour(swatch->colour());
  if (!chosen) return;
  swatch->setColour(*chosen);
  (model_.*set)(skin::FromQColor(*chosen));
}

void CPageSkin::pairOpacity(QSlider* slider, QSpinBox* number, void (SkinPageModel::*set)(int)) {
  connect(slider, &QSlider::valueChanged, this, [this, number, set](int v) {
    const QSignalBlocker block(number);
    number->setValue(v);
    (model_.*set)(v);
  });
  connect(number, &QSpinBox::valueChanged, this, [this, slider, set](int v) {
    const QSignalBlocker block(slider);
    slider->setValue(v);
    (model_.*set)(v);
  });
}

void CPageSkin::takeFontControls() {
  if (showing_) return;
  model_.setFontName(font->currentText());
  model_.setFontSize(fontSize->value());
  model_.setBold(bold->isChecked());
}

}  // namespace lumi::manager
