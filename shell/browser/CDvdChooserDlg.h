#pragma once
// The DVD chooser: opened by the "DVD" button when more than one drive holds
// a DVD; five buttons with the roots of the first five DVDs, each starting
// the player on its disc. It stays open after a start.
#include <QImage>
#include <QList>

#include "common/skin/FontSet.h"
#include "common/skin/SkinButton.h"
#include "common/skin/SkinSettings.h"
#include "shell/base/CShellDialog.h"
#include "shell/launch/DiscScanner.h"

namespace lumi::shell {

class CDvdChooserDlg : public CShellDialog {
  Q_OBJECT
 public:
  static constexpr int kFirstButton = 1321;
  static constexpr int kButtons = 5;

  CDvdChooserDlg(CShellDialog* parent, ShellContext& context, const QList<library::Drive>& drives);

  int focusIndex() const { return focus_; }
  skin::CSkinButton* button(int index) const { return buttons_.value(index); }
  const DiscScanner& discs() const { return discs_; }
  // Plays DVD `index`; a button without a DVD does nothing.
  void PlayDvd(int index);
  QImage Render();

 protected:
  void OnShellKey(int code) override;
  std::optional<std::int64_t> OnMessage(const desktop::WindowMessage& message) override;
  void keyPressEvent(QKeyEvent* e) override;
  void paintEvent(QPaintEvent* e) override;

 private:
  void setFocusIndex(int index);

  skin::SkinSettings skin_;
  skin::FontSet fonts_;
  DiscScanner discs_;
  QList<skin::CSkinButton*> buttons_;
  QImage background_;
  int focus_ = 0;
};

// The "DVD" and "Video CD" buttons of the "내 컴퓨터" menu.
void PlayDvd(CShellDialog* menu);
void PlayVideoCd(CShellDialog* menu);

}  // namespace lumi::shell
