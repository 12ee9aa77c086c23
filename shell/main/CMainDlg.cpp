#include "shell/main/CMainDlg.h"

#include <QApplication>
#include <QPainter>

#include "common/resources/BitmapIds.h"
#include "common/resources/BitmapSource.h"
#include "common/skin/SkinPainter.h"
#include "common/suite/PeerWindows.h"
#include "common/suite/SuiteMessages.h"
#include "platform/registry/Registry.h"
#include "platform/text/StringTable.h"
#include "shell/frame/ShellVolume.h"
#include "shell/main/CMyComputerDlg.h"
#include "shell/main/MenuLayouts.h"

namespace lumi::shell {

using namespace resources;
using desktop::WindowMessage;

namespace {
constexpr std::uint32_t WM_COMMAND = 0x0111;
}

CMainDlg::CMainDlg(ShellContext& context, Services services)
    : CMenuScreen(nullptr, context, MainMenuButtons()), services_(std::move(services)) {
  setWindowTitle(text::str(3190));
  context.main = this;
  // What the window shows about itself in the registry.
  registry::Key client = registry::Key::create(registry::Root::CurrentUser, kRegistryRoot + "\\Client");
  client.writeString("Name", text::str(3190));
  client.writeString("ProgramFile", QString());
  if (const BitmapSource* source = currentBitmapSource(); source && !skin_.IsUserDesign()) logo_ = source->bitmap(kLogo);
  if (services_.music) {
    music_ = std::make_unique<BackgroundMusic>(*services_.music);
    connect(music_.get(), &BackgroundMusic::playingChanged, this, [this] { update(); });
    volume_ = std::make_unique<ShellVolume>(*services_.music);
    volume_->LoadVolume();
  }
  context.frameKeys = [this](int code) { return FrameKey(code); };
}

CMainDlg::~CMainDlg() {
  context().frameKeys = nullptr;
}

void CMainDlg::OnButton(int index) {
  SetFocusIndex(index);
  auto run = [](const std::function<void()>& f) {
    if (f) f();
  };
  switch (index) {
    case 0: {
      auto* menu = new CMyComputerDlg(this, context());
      menu->show();
      hide();
      break;
    }
    case 1: run(services_.openRecentList); break;
    case 2: run(services_.openProductSite); break;
    case 3: run(services_.openSettings); break;
    case 4: run(services_.openExitDialog); break;
  }
}

bool CMainDlg::FrameKey(int code) {
  if (music_ && music_->OnKey(code, services_.confirmStopMusic)) return true;
  if (!volume_) return false;
  switch (code) {
    case suite::KeyVolumeUp: volume_->VolumeUp(); return true;
    case suite::KeyVolumeDown: volume_->VolumeDown(); return true;
    case suite::KeyMute: volume_->ToggleMute(); return true;
    default: return false;
  }
}

void CMainDlg::Exit() {
  if (context().applyDisplayMode) context().applyDisplayMode(false);
  if (music_) music_->control().Open(QString());
  hide();
  QApplication::quit();
}

std::optional<std::int64_t> CMainDlg::OnMessage(const WindowMessage& m) {
  if (m.message == desktop::WM_COPYDATA) {
    CShellDialog* current = context().current ? context().current.data() : this;
    if (m.dataWord == suite::kCopyPlayerClosedByUser) {
      current->Minimise();
    } else if (m.dataWord == suite::kCopySecondStart) {
      current->Restore();
      suite::BringToForeground(current->windowId(), *context().desktop);
    }
    context().SetCurrentWindow(current);
    return 0;
  }
  if (m.message == desktop::WM_CLOSE) {
    Exit();
    return 0;
  }
  if (m.message == WM_COMMAND && m.wParam == kCommandPowerKey) {
    if (CShellDialog* current = context().current)
      context().desktop->post(current->windowId(), suite::WM_REMOTE_KEY, suite::KeyPower, 0);
    return 0;
  }
  if (m.message == WM_COMMAND && m.wParam == kCommandExit) {
    if (services_.openExitDialog) services_.openExitDialog();
    return 0;
  }
  return std::nullopt;
}

void CMainDlg::PaintContent(QPainter& painter) {
  const bool builtIn = !skin_.IsUserDesign();
  painter.setPen(TextColour());
  if (builtIn) {
    if (!logo_.isNull()) painter.drawImage(370, 105, logo_);
    painter.setFont(fonts_.Slogan());
    const QFontMetrics metrics(fonts_.Slogan());
    for (auto [id, y] : {std::pair{3314, 130}, std::pair{3315, 160}}) {
      const QString line = text::str(id);
      painter.drawText(740 - metrics.horizontalAdvance(line), y + metrics.ascent(), line);
    }
  }
  PaintTitle(painter, text::str(3190), fonts_.MainTitle());
  if (music_ && music_->playing()) {
    painter.setFont(fonts_.Status());
    const QRect area = builtIn ? QRect(QPoint(384, 533), QPoint(549, 579)) : QRect(QPoint(70, 560), QPoint(549, 599));
    skin::DrawShadowedText(painter, area, Qt::AlignLeft | Qt::AlignVCenter, text::str(3174), TextColour(),
                           ShadowColour());
  }
}

}  // namespace lumi::shell
