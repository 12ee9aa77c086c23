#pragma once
// The main page of the manager's property sheet: the key target, the last
// key, the status line, port and model with their change buttons, the check
// boxes and the (disabled) user choice. Plain widgets; the window decides
// what every control does.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QWidget>

#include "common/skin/XPButton.h"
#include "platform/text/StringTable.h"

namespace lumi::manager {

class CPageMain : public QWidget {
  Q_OBJECT

 public:
  explicit CPageMain(const text::StringTable& strings, QWidget* parent = nullptr);
  // The "로그인 정보" box: the display names of "User/UserInfo.dat" with the
  // entry `SelUser` selected (none for a negative or too large index).
  void ShowUsers(const QString& programFolder, qint32 selUser);

  QLabel* keyTarget = nullptr;     // 1002
  QLabel* inputValue = nullptr;    // 1026
  QLabel* statusLine = nullptr;    // 1001
  QLabel* portName = nullptr;      // 1021
  skin::CXPButton* changePort = nullptr;   // 1006
  QLabel* modelName = nullptr;     // 1020
  skin::CXPButton* changeModel = nullptr;  // 1010
  QCheckBox* launchAfterConnect = nullptr; // 1025
  QCheckBox* startup = nullptr;            // 1033
  QCheckBox* resolution = nullptr;         // 1004
  QCheckBox* toTrayOnLaunch = nullptr;     // 1008
  QCheckBox* keyboardMessage = nullptr;    // 1003, hidden
  QCheckBox* toTrayOnPower = nullptr;      // 1007, hidden
  skin::CXPButton* manageUsers = nullptr;  // 1036, disabled
  QComboBox* users = nullptr;              // 1037, disabled
};

}  // namespace lumi::manager
