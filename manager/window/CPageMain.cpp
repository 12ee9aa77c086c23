#include "manager/window/CPageMain.h"

#include "manager/users/UserList.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace lumi::manager {

CPageMain::CPageMain(const text::StringTable& strings, QWidget* parent) : QWidget(parent) {
  auto text = [&](int id) { return strings.text(id); };
  auto* layout = new QVBoxLayout(this);
  auto* lines = new QFormLayout;
  keyTarget = new QLabel(this);
  inputValue = new QLabel(this);
  statusLine = new QLabel(this);
  statusLine->setWordWrap(true);
  lines->addRow(text(1002), keyTarget);
  lines->addRow(text(1026), inputValue);
  lines->addRow(text(1001), statusLine);

  auto withButton = [&](QLabel*& label, skin::CXPButton*& button, int buttonText) {
    auto* row = new QHBoxLayout;
    label = new QLabel(this);
    button = new skin::CXPButton(text(buttonText), this);
    row->addWidget(label, 1);
    row->addWidget(button);
    return row;
  };
  lines->addRow(text(1021), withButton(portName, changePort, 1006));
  lines->addRow(text(1020), withButton(modelName, changeModel, 1010));
  layout->addLayout(lines);

  launchAfterConnect = new QCheckBox(text(233), this);
  startup = new QCheckBox(text(235), this);
  resolution = new QCheckBox(text(1004), this);
  toTrayOnLaunch = new QCheckBox(text(252), this);
  keyboardMessage = new QCheckBox(text(1003), this);
  toTrayOnPower = new QCheckBox(text(1007), this);
  for (QCheckBox* box : {launchAfterConnect, startup, resolution, toTrayOnLaunch, keyboardMessage, toTrayOnPower})
    layout->addWidget(box);
  // Both are stored, but nothing uses them any more.
  keyboardMessage->hide();
  toTrayOnPower->hide();

  auto* userRow = new QHBoxLayout;
  userRow->addWidget(new QLabel(text(1037), this));
  users = new QComboBox(this);
  manageUsers = new skin::CXPButton(text(1036), this);
  userRow->addWidget(users, 1);
  userRow->addWidget(manageUsers);
  layout->addLayout(userRow);
  // The users are managed in the shell; here they are only shown.
  users->setEnabled(false);
  manageUsers->setEnabled(false);
  layout->addStretch(1);
}

void CPageMain::ShowUsers(const QString& programFolder, qint32 selUser) {
  const UserList list = UserList::Load(UserList::FileIn(programFolder));
  users->clear();
  users->addItems(list.displayNames());
  users->setCurrentIndex(list.selection(selUser));
}

}  // namespace lumi::manager
