#pragma once
// The player's message box: lines of the string table and one or two
// buttons, answered with the remote (Left/Right choose, OK presses, Exit
// cancels) or the keyboard and mouse. It is a suite window of its own, titled
// "MessageDlg", so keys reach it also when the player's main window is not up
// yet; while it is open the main window forwards the keys it gets to it.
//
// Every box writes "[message] <ids>" to stderr, for tests and diagnostics.
// The skinned form of the suite's message dialog replaces this window's
// look in a later step; the answers stay the same.
#include <QDialog>
#include <QStringList>
#include <memory>

class QLabel;
class QPushButton;

namespace lumi::suite {
class SuiteWindow;
}

namespace lumi::player {

class PlayerMessageBox : public QDialog {
  Q_OBJECT

 public:
  enum Buttons { OneButton, OkCancel, YesNo };
  static inline const QString kTitle = QStringLiteral("MessageDlg");

  PlayerMessageBox(QWidget* parent, const QStringList& lines, Buttons buttons, const QString& diagnostic);
  ~PlayerMessageBox() override;

  // 1 for the first button, 2 for the second and for cancelling.
  int run();
  void remoteKey(int code);

  // The box now on screen, if any (one at a time).
  static PlayerMessageBox* current();

  // Shorthands: string-table ids, %s filled from args in order.
  static int show(QWidget* parent, int first, int second = 0, Buttons buttons = OneButton,
                  const QStringList& args = {});
  static int showText(QWidget* parent, const QString& text);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void focusButton(int index);

  std::vector<QPushButton*> buttons_;
  int focused_ = 0;
  std::unique_ptr<suite::SuiteWindow> suiteWindow_;
};

}  // namespace lumi::player
