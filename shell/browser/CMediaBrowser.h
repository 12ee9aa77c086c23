#pragma once
// The base of the movie, music and photo browsers: a drive at a time, its
// catalogue as a folder list, an opened folder as a file list, a side menu
// (sort, search, clear the list, home, up), scans with their progress, and
// the registry values the three browsers share ("SortType", "SortState").
// A browser of one kind gives its registry names, its file marks and what a
// play does.
#include <QImage>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <memory>

#include "common/skin/FontSet.h"
#include "common/skin/SkinSettings.h"
#include "shell/base/CShellDialog.h"
#include "shell/browser/CListView.h"
#include "shell/library/DriveCatalogs.h"

namespace lumi::shell {

class CMediaBrowser : public CShellDialog {
  Q_OBJECT
 public:
  struct KindSettings {
    library::MediaKind kind;
    int titleId;
    QStringList typeValues;  // registry DWORDs in type-code order ("AVI", "MPG", ...)
    QString driveValue;      // "MovieDrive", ...
    int folderRows = 8;      // built-in design; the user design shows one more
  };

  // Control ids of the lists and commands.
  static constexpr int kFolderListId = 1317;
  static constexpr int kSideMenuId = 1318;

  enum class Area { SideMenu, Folders, Files };

  CMediaBrowser(CShellDialog* parent, ShellContext& context, KindSettings settings,
                QList<library::Drive> drives);
  ~CMediaBrowser() override;

  library::DriveCatalogs& catalogs() { return *catalogs_; }
  int currentDrive() const { return drive_; }
  Area focusArea() const { return area_; }
  bool showingFiles() const { return views_.value(drive_).files; }
  const QStringList& fileList() const { return files_; }
  CListView* folderList() const { return folderList_; }
  CListView* fileListView() const { return fileView_; }
  CListView* sideMenu() const { return side_; }
  int sortType() const { return sortType_; }
  int sortState() const { return sortState_; }
  // The caption of the drive button: "D: label", else "D: " and the type name.
  static QString DriveCaption(const library::Drive& drive);
  // The drive button's icon by drive type (none for an unknown type).
  static QImage DriveIcon(library::DriveType type);

  // The page commands (also reachable as WM_COMMAND from other programs).
  void Command(int id, int item = -1);
  void ToggleSearch();
  void SwitchDrive(int step);
  void ChooseSort(int sortType);
  void ClearCatalog();
  void GoHome();
  void Back();
  // The focused folder's box: information (its full path) or delete it from
  // the catalogue.
  void InfoBox();

  QImage Render();

 protected:
  // The marks a listed file's name contains (".AVI", ...).
  virtual QStringList FileMarks() const = 0;
  // Plays file `index` of the shown file list.
  virtual void PlayFile(int index) = 0;

  void OnShellKey(int code) override;
  std::optional<std::int64_t> OnMessage(const desktop::WindowMessage& message) override;
  void keyPressEvent(QKeyEvent* e) override;
  void paintEvent(QPaintEvent* e) override;

  void ShowMessage(int stringId);
  library::EnabledTypes enabledTypes() const { return enabled_; }

  skin::SkinSettings skin_;
  skin::FontSet fonts_;

 private:
  struct DriveView {
    bool files = false;
    int folder = 0;
    int file = 0;
    Area area = Area::SideMenu;
  };
  void readSettings();
  void writeSettings();
  void buildSideMenu();
  int sideEntryId(int index) const;
  void activateSide(int index);
  void showDrive();
  void refreshFolders(bool keepFocus);
  void openFolder(int entry);
  void leaveFiles();
  void sortShown();
  void setArea(Area area);
  void moveFocus(int code);
  CListView* focusedList() const;
  void paintContent(QPainter& painter);

  KindSettings settings_;
  std::unique_ptr<library::DriveCatalogs> catalogs_;
  library::EnabledTypes enabled_;
  int drive_ = 0;
  int sortType_ = 0;
  int sortState_ = 0;
  bool sortOpen_ = false;
  Area area_ = Area::SideMenu;
  QList<DriveView> views_;
  QStringList files_;
  QString openedFolder_;
  QImage background_;
  QTimer scanRefresh_;
  CListView* side_ = nullptr;
  CListView* folderList_ = nullptr;
  CListView* fileView_ = nullptr;
};

}  // namespace lumi::shell
