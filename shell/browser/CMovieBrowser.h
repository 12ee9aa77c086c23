#pragma once
// The movie browser: the media browser with the movie catalogue, and a play
// that writes the series playlist "MoviePlaylist.txt" and starts the player
// with "lst://" and its path.
#include "shell/browser/CMediaBrowser.h"

namespace lumi::shell {

class CMovieBrowser : public CMediaBrowser {
  Q_OBJECT
 public:
  CMovieBrowser(CShellDialog* parent, ShellContext& context, QList<library::Drive> drives);

 protected:
  QStringList FileMarks() const override;
  void PlayFile(int index) override;
};

// Opens the movie browser over `parent` with the drives of this machine.
void OpenMovieBrowser(CShellDialog* parent);

}  // namespace lumi::shell
