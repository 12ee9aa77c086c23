#pragma once
// The "내 컴퓨터" menu: movies, photos, music, DVD, Video CD and back up to
// the main window, with an illustration of the highlighted item.
#include <QHash>
#include <functional>

#include "shell/main/CMenuScreen.h"

namespace lumi::shell {

class CMyComputerDlg : public CMenuScreen {
  Q_OBJECT

 public:
  // The browsers and the disc players come from their own parts of the
  // shell; an empty action leaves the button without effect.
  struct Actions {
    std::function<void(CShellDialog*)> movies, photos, music, dvd, videoCd;
  };
  CMyComputerDlg(CShellDialog* parent, ShellContext& context, Actions actions = {});

 protected:
  void OnButton(int index) override;
  void PaintContent(QPainter& painter) override;

 private:
  Actions actions_;
  QHash<int, QImage> illustrations_;
};

}  // namespace lumi::shell
