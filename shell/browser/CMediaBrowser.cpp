#include "shell/browser/CMediaBrowser.h"

#include <QFileInfo>

#include <algorithm>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>

#include "common/resources/BitmapIds.h"
#include "common/resources/BitmapSource.h"
#include "common/skin/BackgroundPicture.h"
#include "common/skin/ClientPath.h"
#include "common/skin/SkinPainter.h"
#include "common/suite/SuiteMessages.h"
#include "platform/registry/Registry.h"
#include "platform/text/StringTable.h"
#include "shell/base/WindowPlacement.h"
#include "shell/dialogs/CMessageDlg.h"
#include "shell/library/MovieFolder.h"

namespace lumi::shell {

using library::Drive;
using library::DriveType;
using text::str;

namespace {

constexpr std::uint32_t WM_COMMAND = 0x0111;
constexpr int kKeySearch = 36;  // the keyboard's F3 through the remote layer
constexpr int kCommandClose = 100;
constexpr int kCommandHome = 300;
constexpr int kCommandSearch = 500;
constexpr int kCommandPreviousDrive = 1224;
constexpr int kCommandIntoList = 1225;
constexpr int kCommandNextDrive = 1226;
constexpr int kCommandPageUp = 1227;
constexpr int kCommandPageDown = 1228;

// Side menu entries by string id.
constexpr int kSort = 3207, kSortName = 3208, kSortDate = 3209, kSortSize = 3210;
constexpr int kSearch = 3135, kClear = 3290, kHome = 3313, kUp = 3131;

const QRect kTitleRect(QPoint(0, 20), QPoint(749, 79));
const QRect kDriveRect(QPoint(205, 92), QPoint(785, 140));
const QRect kHeaderRect(QPoint(205, 150), QPoint(775, 193));
const QRect kCounterRect(QPoint(205, 552), QPoint(785, 590));
const QRect kStatusRect(QPoint(15, 500), QPoint(200, 590));
const QRect kEmptyRect(QPoint(205, 150), QPoint(785, 540));

QString typeName(DriveType type) {
  switch (type) {
    case DriveType::Removable: return str(3294);
    case DriveType::Fixed: return str(3292);
    case DriveType::Remote: return str(3295);
    case DriveType::CdRom: return str(3293);
    case DriveType::Unknown: break;
  }
  return {};
}

}  // namespace

QImage CMediaBrowser::DriveIcon(DriveType type) {
  const resources::BitmapSource* source = resources::currentBitmapSource();
  if (!source) return {};
  switch (type) {
    case DriveType::Removable: return source->bitmap(resources::kDriveIconRemovable);
    case DriveType::Fixed: return source->bitmap(resources::kDriveIconFixed);
    case DriveType::Remote: return source->bitmap(resources::kDriveIconRemote);
    case DriveType::CdRom: return source->bitmap(resources::kDriveIconCdRom);
    case DriveType::Unknown: break;
  }
  return {};
}

QString CMediaBrowser::DriveCaption(const Drive& drive) {
  const QString name = library::DriveName(drive) + ' ';
  return drive.label.isEmpty() ? name + typeName(drive.type) : name + drive.label;
}

CMediaBrowser::CMediaBrowser(CShellDialog* parent, ShellContext& context, KindSettings settings, QList<Drive> drives)
    : CShellDialog(parent, context), skin_(CurrentSkin()), fonts_(skin_), settings_(std::move(settings)) {
  setWindowTitle(str(settings_.titleId));
  background_ = skin::LoadWindowBackground(skin_, resources::kScreenBackground);
  if (background_.isNull()) {
    background_ = QImage(kShellWindowSize, QImage::Format_RGB32);
    background_.fill(Qt::black);
  }
  catalogs_ = std::make_unique<library::DriveCatalogs>(settings_.kind, drives, skin::GetClientPath(), str(3204));
  views_.resize(std::max<qsizetype>(1, drives.size()));  // a view even with no drive at all
  readSettings();
  catalogs_->setEnabledTypes(enabled_);

  side_ = new CListView(kSideMenuId, this);
  side_->setGeometry(10, 95, 190, 420);
  side_->SetRowGeometry(QRect(5, 0, 180, 44), 50);
  side_->BuildRows(8, true);
  const int rows = skin_.IsUserDesign() ? settings_.folderRows + 1 : settings_.folderRows;
  folderList_ = new CListView(kFolderListId, this);
  folderList_->setGeometry(205, 150, 580, 400);
  const int pitch = 400 / rows;
  const int rowHeight = std::min(44, pitch - 4);
  folderList_->SetRowGeometry(QRect(0, 0, 570, rowHeight), pitch);
  folderList_->BuildRows(rows, true);
  fileView_ = new CListView(kFolderListId, this);
  fileView_->setGeometry(205, 150 + pitch, 580, 400 - pitch);
  fileView_->SetRowGeometry(QRect(0, 0, 570, rowHeight), pitch);
  fileView_->BuildRows(rows - 1, true);
  for (CListView* list : {side_, folderList_, fileView_}) list->SetPageBackground(background_);
  if (const resources::BitmapSource* source = resources::currentBitmapSource()) {
    folderList_->SetRowIcon(source->bitmap(resources::kFolderIcon), QImage());
    fileView_->SetRowIcon(source->bitmap(resources::kMovieFileIcon), QImage());
  }
  buildSideMenu();

  connect(side_, &CListView::activated, this, [this](int, int item) { activateSide(item); });
  connect(side_, &CListView::hovered, this, [this] { setArea(Area::SideMenu); });
  connect(folderList_, &CListView::activated, this, [this](int, int item) { openFolder(item); });
  connect(folderList_, &CListView::hovered, this, [this] { setArea(Area::Folders); });
  connect(folderList_, &CListView::focusChanged, this, [this](int, int item) { views_[drive_].folder = item; });
  connect(fileView_, &CListView::activated, this, [this](int, int item) { PlayFile(item); });
  connect(fileView_, &CListView::hovered, this, [this] { setArea(Area::Files); });
  connect(fileView_, &CListView::focusChanged, this, [this](int, int item) { views_[drive_].file = item; });

  // Finds and progress are shown at most four times a second: a scan of a
  // big drive must not keep the page repainting while the remote's keys wait.
  scanRefresh_.setSingleShot(true);
  scanRefresh_.setInterval(250);
  connect(&scanRefresh_, &QTimer::timeout, this, [this] {
    if (!showingFiles()) refreshFolders(true);
    update(kStatusRect);
    update(kCounterRect);
  });
  auto refreshSoon = [this](int d) {
    if (d == drive_ && !scanRefresh_.isActive()) scanRefresh_.start();
  };
  connect(catalogs_.get(), &library::DriveCatalogs::entryAdded, this, refreshSoon);
  connect(catalogs_.get(), &library::DriveCatalogs::progressChanged, this, refreshSoon);
  connect(catalogs_.get(), &library::DriveCatalogs::scanEnded, this, [this](int d, library::ScanEnd end) {
    if (end == library::ScanEnd::FilesFailed && d == drive_) ShowMessage(3214);
    sortShown();
    buildSideMenu();
    update();
  });

  catalogs_->loadAll();
  showDrive();
}

CMediaBrowser::~CMediaBrowser() {
  writeSettings();
  catalogs_.reset();  // stops the scans and waits for them
}

void CMediaBrowser::readSettings() {
  using registry::Key;
  using registry::Root;
  Key key = Key::open(Root::CurrentUser, kRegistryRoot);
  quint32 value = 0;
  const bool exists = key.isOpen() && key.readDWord(settings_.driveValue, value);
  if (!exists) key = Key::create(Root::CurrentUser, kRegistryRoot);
  for (int i = 0; i < settings_.typeValues.size(); ++i) {
    quint32 on = 1;
    if (!key.readDWord(settings_.typeValues[i], on)) key.writeDWord(settings_.typeValues[i], 1);
    enabled_.set(quint32(i + 1), on != 0);
  }
  quint32 drive = 0, type = 0, state = 0;
  if (!key.readDWord(settings_.driveValue, drive)) key.writeDWord(settings_.driveValue, 0);
  if (!key.readDWord("SortType", type)) key.writeDWord("SortType", 0);
  if (!key.readDWord("SortState", state)) key.writeDWord("SortState", 0);
  // A stored drive that is no longer in the list starts on the first one.
  drive_ = int(drive) < catalogs_->driveCount() ? int(drive) : 0;
  sortType_ = type <= 3 ? int(type) : 0;
  sortState_ = state <= 1 ? int(state) : 0;
}

void CMediaBrowser::writeSettings() {
  registry::Key key = registry::Key::create(registry::Root::CurrentUser, kRegistryRoot);
  for (int i = 0; i < settings_.typeValues.size(); ++i) key.writeDWord(settings_.typeValues[i], enabled_.has(quint32(i + 1)));
  key.writeDWord(settings_.driveValue, quint32(drive_));
  key.writeDWord("SortType", quint32(sortType_));
  key.writeDWord("SortState", quint32(sortState_));
}

int CMediaBrowser::sideEntryId(int index) const {
  static const QList<int> collapsed{kSort, kSearch, kClear, kHome, kUp};
  static const QList<int> open{kSort, kSortName, kSortDate, kSortSize, kSearch, kClear, kHome, kUp};
  return (sortOpen_ ? open : collapsed).value(index, 0);
}

void CMediaBrowser::buildSideMenu() {
  const int focused = side_->focusedItem();
  QStringList items;
  for (int i = 0; sideEntryId(i) != 0; ++i) {
    const int id = sideEntryId(i);
    items << str(id == kSearch && catalogs_->scanning(drive_) ? 3145 : id);
  }
  side_->SetItems(items);
  side_->FocusItem(std::min(focused, int(items.size()) - 1));
}

void CMediaBrowser::activateSide(int index) {
  switch (sideEntryId(index)) {
    case kSort:
      sortOpen_ = !sortOpen_;
      buildSideMenu();
      break;
    case kSortName: ChooseSort(library::SortName); break;
    // The labels say what they do: 날짜정렬 sorts by date, 크기정렬 by size.
    case kSortDate: ChooseSort(library::SortDate); break;
    case kSortSize: ChooseSort(library::SortSize); break;
    case kSearch: ToggleSearch(); break;
    case kClear: ClearCatalog(); break;
    case kHome: GoHome(); break;
    case kUp: Back(); break;
  }
}

void CMediaBrowser::Command(int id, int item) {
  switch (id) {
    case kCommandClose: DestroyWindow(); break;
    case kCommandHome: GoHome(); break;
    case kCommandSearch: ToggleSearch(); break;
    case kCommandPreviousDrive: SwitchDrive(-1); break;
    case kCommandNextDrive: SwitchDrive(1); break;
    case kCommandIntoList: {
      CListView* list = showingFiles() ? fileView_ : folderList_;
      if (list->count() > 0) setArea(showingFiles() ? Area::Files : Area::Folders);
      break;
    }
    case kCommandPageUp:
      if (CListView* list = focusedList()) list->Move(kListPageUp);
      break;
    case kCommandPageDown:
      if (CListView* list = focusedList()) list->Move(kListPageDown);
      break;
    case kFolderListId:
      if (showingFiles()) PlayFile(item);
      else openFolder(item);
      break;
    case kSideMenuId: activateSide(item); break;
  }
}

void CMediaBrowser::ToggleSearch() {
  if (catalogs_->driveCount() == 0) return;
  const auto result = catalogs_->toggleSearch(drive_);
  if (result == library::DriveCatalogs::SearchResult::Failed) {
    CMessageDlg dlg(this, context());
    dlg.SetLine(QStringLiteral("Could not create thread\n"), 2);
    dlg.DoModal();
    return;
  }
  if (result == library::DriveCatalogs::SearchResult::Started) {
    views_[drive_] = DriveView{false, 0, 0, area_ == Area::SideMenu ? Area::SideMenu : Area::Folders};
    files_.clear();
  } else {
    sortShown();
  }
  buildSideMenu();
  refreshFolders(false);
  showDrive();
}

void CMediaBrowser::SwitchDrive(int step) {
  const int n = catalogs_->driveCount();
  if (n == 0) return;
  views_[drive_].area = area_;
  drive_ = ((drive_ + step) % n + n) % n;
  showDrive();
}

void CMediaBrowser::ChooseSort(int sortType) {
  if (sortType_ == sortType) sortState_ = 1 - sortState_;
  else {
    sortType_ = sortType;
    sortState_ = library::Ascending;
  }
  sortShown();
}

void CMediaBrowser::sortShown() {
  if (catalogs_->driveCount() == 0) return;
  library::CDriveCatalog& catalog = catalogs_->catalog(drive_);
  catalog.reorder(library::FolderOrder(catalog, sortType_, sortState_));
  if (showingFiles()) {
    library::SortFiles(files_, sortType_, sortState_);
    QStringList names;
    for (const QString& f : files_) names << f.mid(f.lastIndexOf('/') + 1);
    fileView_->SetItems(names);
  }
  refreshFolders(false);
}

void CMediaBrowser::ClearCatalog() {
  CMessageDlg question(this, context(), dialog::kModeYesNo);
  question.SetLine(str(3291), 2);
  if (question.DoModal() != 1) return;
  catalogs_->clearDrive(drive_);
  views_[drive_] = DriveView{};
  files_.clear();
  showDrive();
}

void CMediaBrowser::GoHome() {
  // Back to the main window through every screen in between.
  QPointer<CShellDialog> up = parentShellWindow();
  DestroyWindow();
  while (up && up != context().main) {
    QPointer<CShellDialog> next = up->parentShellWindow();
    up->DestroyWindow();
    up = next;
  }
}

void CMediaBrowser::InfoBox() {
  if (showingFiles() || area_ != Area::Folders || folderList_->count() == 0) return;
  const int entry = folderList_->focusedItem();
  const library::CDriveCatalog& catalog = catalogs_->catalog(drive_);
  if (entry < 0 || entry >= catalog.count) return;
  const QString path = catalog.paths[entry];
  const QString folder = path.left(path.lastIndexOf('/'));
  constexpr int kInformation = 1232, kDelete = 1233, kCancel = 2;
  CChoiceDlg menu(this, context(), dialog::kItemMenuTemplate,
                  {{kInformation, str(3299)}, {kDelete, str(3300)}, {kCancel, str(3301)}});
  menu.SetLine(QString(str(3297)).replace(QStringLiteral("%s"), catalog.folders[entry]), 1);
  const int choice = menu.DoModal();
  if (choice == kInformation) {
    CMessageDlg info(this, context());
    info.SetLine(str(3310), 1);
    info.SetLine(folder, 2);
    info.DoModal();
  } else if (choice == kDelete) {
    catalogs_->removeEntry(drive_, entry);
    refreshFolders(true);
    if (folderList_->count() == 0) setArea(Area::SideMenu);
  }
}

void CMediaBrowser::Back() {
  if (showingFiles()) leaveFiles();
  else DestroyWindow();
}

void CMediaBrowser::refreshFolders(bool keepFocus) {
  if (catalogs_->driveCount() == 0) {
    folderList_->SetItems({});
    return;
  }
  const int focused = folderList_->focusedItem();
  folderList_->SetItems(catalogs_->catalog(drive_).folders);
  if (keepFocus) folderList_->FocusItem(focused);
  update();
}

void CMediaBrowser::showDrive() {
  const DriveView view = views_.value(drive_);
  buildSideMenu();
  refreshFolders(false);
  folderList_->FocusItem(view.folder);
  folderList_->setVisible(!view.files);
  fileView_->setVisible(view.files);
  if (view.files) fileView_->FocusItem(view.file);
  setArea(view.area == Area::SideMenu || (view.files ? fileView_ : folderList_)->count() > 0 ? view.area
                                                                                                : Area::SideMenu);
  update();
}

void CMediaBrowser::openFolder(int entry) {
  if (catalogs_->driveCount() == 0) return;
  library::CDriveCatalog& catalog = catalogs_->catalog(drive_);
  if (entry < 0 || entry >= catalog.count) return;
  const QString path = catalog.paths[entry];
  const QString folder = path.left(path.lastIndexOf('/'));
  QStringList files = library::ListMediaFiles(folder, FileMarks());
  library::SortFiles(files, sortType_, sortState_);
  if (files.isEmpty()) {
    ShowMessage(3213);
    // A drive that is not there (unplugged, unmounted) keeps its catalogue;
    // a folder whose files were deleted leaves it.
    if (QFileInfo(catalogs_->drive(drive_).root).isDir()) {
      catalogs_->removeEntry(drive_, entry);
      refreshFolders(true);
    }
    return;
  }
  files_ = files;
  openedFolder_ = folder;
  QStringList names;
  for (const QString& f : files_) names << f.mid(f.lastIndexOf('/') + 1);
  fileView_->SetItems(names);
  views_[drive_].files = true;
  views_[drive_].file = 0;
  folderList_->hide();
  fileView_->show();
  setArea(Area::Files);
  update();
}

void CMediaBrowser::leaveFiles() {
  views_[drive_].files = false;
  files_.clear();
  fileView_->hide();
  folderList_->show();
  setArea(folderList_->count() > 0 ? Area::Folders : Area::SideMenu);
  update();
}

void CMediaBrowser::setArea(Area area) {
  area_ = area;
  views_[drive_].area = area;
  side_->SetHasFocus(area == Area::SideMenu);
  folderList_->SetHasFocus(area == Area::Folders);
  fileView_->SetHasFocus(area == Area::Files);
}

CListView* CMediaBrowser::focusedList() const {
  switch (area_) {
    case Area::Folders: return folderList_;
    case Area::Files: return fileView_;
    case Area::SideMenu: break;
  }
  return nullptr;
}

void CMediaBrowser::moveFocus(int code) {
  if (area_ == Area::SideMenu) {
    const int n = side_->count();
    const int item = side_->focusedItem();
    switch (code) {
      case suite::KeyUp: side_->FocusItem((item + n - 1) % n); break;
      case suite::KeyDown: side_->FocusItem((item + 1) % n); break;
      case suite::KeyLeft:
        if (item == 0) SwitchDrive(-1);
        break;
      case suite::KeyRight:
        if (item == 0) SwitchDrive(1);
        else Command(kCommandIntoList);
        break;
    }
    return;
  }
  CListView* list = focusedList();
  switch (code) {
    case suite::KeyUp: list->Move(kListUp); break;
    case suite::KeyDown: list->Move(kListDown); break;
    case suite::KeyLeft: setArea(Area::SideMenu); break;
    default: break;
  }
}

void CMediaBrowser::OnShellKey(int code) {
  // A row pressed by the last OK acts before this key is looked at.
  for (CListView* list : {side_, folderList_, fileView_}) {
    if (QPointer<CListView> alive = list) alive->FinishActivation();
  }
  switch (code) {
    case suite::KeyOk:
      if (area_ == Area::SideMenu) side_->ActivateFocused();
      else if (CListView* list = focusedList()) list->ActivateFocused();
      return;
    case suite::KeyExit: Back(); return;
    case suite::KeyUp:
    case suite::KeyDown:
    case suite::KeyLeft:
    case suite::KeyRight: moveFocus(code); return;
    // In a browser the channel keys page the list.
    case suite::KeyChannelUp: Command(kCommandPageUp); return;
    case suite::KeyChannelDown: Command(kCommandPageDown); return;
    case kKeySearch: ToggleSearch(); return;
    case suite::KeyMenu: InfoBox(); return;
    default: CShellDialog::OnShellKey(code);
  }
}

std::optional<std::int64_t> CMediaBrowser::OnMessage(const desktop::WindowMessage& m) {
  if (m.message == WM_COMMAND) {
    Command(int(m.wParam & 0xFFFF), int(m.lParam));
    return 0;
  }
  return std::nullopt;
}

void CMediaBrowser::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Escape: OnShellKey(suite::KeyExit); return;
    case Qt::Key_Return:
    case Qt::Key_Enter: OnShellKey(suite::KeyOk); return;
    case Qt::Key_PageUp: Command(kCommandPageUp); return;
    case Qt::Key_PageDown: Command(kCommandPageDown); return;
    case Qt::Key_Up: OnShellKey(suite::KeyUp); return;
    case Qt::Key_Down: OnShellKey(suite::KeyDown); return;
    case Qt::Key_Left: OnShellKey(suite::KeyLeft); return;
    case Qt::Key_Right: OnShellKey(suite::KeyRight); return;
    case Qt::Key_Home:
      if (CListView* list = focusedList()) list->Move(kListHome);
      return;
    case Qt::Key_End:
      if (CListView* list = focusedList()) list->Move(kListEnd);
      return;
    case Qt::Key_Delete:
      // Takes the file out of the shown list only; nothing changes on disk.
      if (showingFiles() && fileView_->count() > 0) {
        const int item = fileView_->focusedItem();
        files_.removeAt(item);
        if (files_.isEmpty()) {
          leaveFiles();
          return;
        }
        QStringList names;
        for (const QString& f : files_) names << f.mid(f.lastIndexOf('/') + 1);
        fileView_->SetItems(names);
        fileView_->FocusItem(std::min(item, int(files_.size()) - 1));
      }
      return;
    case Qt::Key_F3: OnShellKey(kKeySearch); return;
    case Qt::Key_F10: OnShellKey(suite::KeyMenu); return;
    case Qt::Key_F9: OnShellKey(suite::KeyPower); return;
    case Qt::Key_F1:
    case Qt::Key_F4: return;
    default:
      if (e->key() >= Qt::Key_0 && e->key() <= Qt::Key_9) return;
      CShellDialog::keyPressEvent(e);
  }
}

void CMediaBrowser::ShowMessage(int stringId) {
  CMessageDlg dlg(this, context());
  dlg.SetLine(str(stringId), 2);
  dlg.DoModal();
}

void CMediaBrowser::paintContent(QPainter& painter) {
  const QColor colour = skin::ToQColor(skin_.FontColor());
  const QColor shadow = skin::ShadowToneAt(background_, QPoint(20, 20));
  painter.setFont(fonts_.Title());
  skin::DrawShadowedText(painter, kTitleRect, Qt::AlignRight | Qt::AlignVCenter, str(settings_.titleId), colour, shadow);
  painter.setFont(fonts_.Status());
  if (catalogs_->driveCount() > 0) {
    const Drive& drive = catalogs_->drive(drive_);
    QRect caption = kDriveRect;
    const QImage icon = DriveIcon(drive.type);
    if (!icon.isNull()) {
      painter.drawImage(QRect(kDriveRect.left(), kDriveRect.top() + 2, 44, 44), icon);
      caption.setLeft(caption.left() + 52);
    }
    skin::DrawShadowedText(painter, caption, Qt::AlignLeft | Qt::AlignVCenter,
                           QStringLiteral("◀ ") + DriveCaption(drive) + QStringLiteral(" ▶"), colour, shadow);
  }
  const library::CDriveCatalog* catalog = catalogs_->driveCount() ? &catalogs_->catalog(drive_) : nullptr;
  const bool scanning = catalogs_->scanning(drive_);
  if (scanning && catalog) {
    const QString progress = QString::asprintf("%d %%(%ld)", catalog->percent(), long(catalog->count));
    skin::DrawShadowedText(painter, kStatusRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap,
                           str(3158) + '\n' + progress, colour, shadow);
  }
  if (showingFiles()) {
    painter.setFont(fonts_.List());
    skin::DrawShadowedText(painter, kHeaderRect, Qt::AlignLeft | Qt::AlignVCenter,
                           openedFolder_.mid(openedFolder_.lastIndexOf('/') + 1), colour, shadow);
  } else if (!catalog || catalog->count == 0) {
    skin::DrawShadowedText(painter, kEmptyRect, Qt::AlignCenter, str(3202), colour, shadow);
    return;
  }
  const CListView* list = showingFiles() ? fileView_ : folderList_;
  const ListViewModel& m = list->model();
  if (m.count() > 0) {
    painter.setFont(fonts_.Status());
    const QString text = QString::asprintf(str(3179).toUtf8().constData(), m.page() + 1, m.pageCount(), m.count());
    skin::DrawShadowedText(painter, kCounterRect, Qt::AlignLeft | Qt::AlignVCenter, text, colour, shadow);
  }
}

void CMediaBrowser::paintEvent(QPaintEvent* e) {
  // Qt's backing store is the off-screen picture; only the damaged part is
  // drawn again.
  QPainter painter(this);
  painter.setClipRegion(e->region());
  painter.drawImage(e->rect(), background_, e->rect());
  paintContent(painter);
}

QImage CMediaBrowser::Render() { return grab().toImage(); }

}  // namespace lumi::shell
