// The shell's message dialog, exit dialog and background chooser on the
// in-process desktop with offscreen widgets. Keys come the way the manager
// sends them: WM_REMOTE_KEY posted to a shell window while the dialog runs.
#include <gtest/gtest.h>

#include <QApplication>
#include <algorithm>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <functional>

#include "common/dialog/MessageDialogPainter.h"
#include "common/resources/BitmapIds.h"
#include "common/resources/BitmapSource.h"
#include "common/resources/ResourceLibrary.h"
#include "common/skin/SkinButton.h"
#include "common/suite/SuiteMessages.h"
#include "common/suite/SuiteWindow.h"
#include "platform/desktop/InProcessDesktop.h"
#include "platform/registry/Registry.h"
#include "platform/text/StringTable.h"
#include "shell/base/WindowPlacement.h"
#include "shell/dialogs/CBackgroundChooserDlg.h"
#include "shell/dialogs/CExitDlg.h"
#include "shell/dialogs/CMessageDlg.h"
#include "tests/shell/ShellTestWindows.h"
#include "tests/dialog/DialogTestUtil.h"
#include "tests/support/QtPrinters.h"

using namespace lumi;
using desktop::WindowMessage;
using Screen = test::RecordingScreen;
using Peer = test::RecordingPeer;
using shell::CBackgroundChooserDlg;
using shell::CExitDlg;
using shell::CMessageDlg;
using shell::CShellDialog;

namespace {

// Stand-in pictures in plain colours, so that every bitmap is known by its
// colour on screen.
class PlainBitmaps : public resources::BitmapSource {
 public:
  QImage bitmap(int id) const override {
    const QSize size = id == resources::kMessageBackground ? QSize(611, 345)
                       : (id >= 658 && id <= 660)            ? QSize(160, 46)
                                                             : QSize(120, 46);
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour(id));
    return image;
  }
  static QColor colour(int id) { return QColor((id * 37) % 256, (id * 91) % 256, (id * 53) % 256); }
};

class MessageDlgTest : public ::testing::Test {
 protected:
  MessageDlgTest() {
    auto d = std::make_unique<desktop::InProcessDesktop>();
    desktop_ = d.get();
    desktop::Desktop::setInstance(std::move(d));
    context_.desktop = desktop_;
    context_.managerTitle = "Lumicaster 관리자";
    main_ = std::make_unique<Screen>(nullptr, context_);
    context_.main = main_.get();
    main_->show();
    context_.mainPosition = main_->pos();
  }
  ~MessageDlgTest() override {
    main_.reset();
    desktop::Desktop::setInstance(nullptr);
  }

  // Runs the dialog modally; once it is open, `whileOpen` runs and then the
  // keys are posted to `to` as the manager posts them. A dialog that does
  // not end within 5 s fails the test.
  int run(CMessageDlg& dlg, desktop::WindowId to, std::vector<int> keys, std::function<void()> whileOpen = {}) {
    QTimer::singleShot(0, &dlg, [=, this, &dlg] {
      EXPECT_TRUE(dlg.isVisible());
      EXPECT_EQ(context_.current, &dlg) << "the open dialog is the current window";
      if (whileOpen) whileOpen();
      for (int key : keys) desktop_->post(to, suite::WM_REMOTE_KEY, std::uint64_t(key), 0);
    });
    QTimer::singleShot(5000, &dlg, [&dlg] {
      ADD_FAILURE() << "the dialog did not end";
      dlg.done(-1);
    });
    return dlg.DoModal();
  }

  dialogtest::PrivateSkin skin_;
  desktop::InProcessDesktop* desktop_;
  shell::ShellContext context_;
  std::unique_ptr<Screen> main_;
};

TEST_F(MessageDlgTest, ALongOneLineMessageScrollsAndAShortOneStandsStill) {
  PlainBitmaps bitmaps;
  resources::ScopedBitmapSource current(&bitmaps);
  {
    CMessageDlg dlg(main_.get(), context_, dialog::kModeOneButton);
    dlg.SetMessage(QString(100, QChar(u'가')));
    int before = 0;
    const int result = run(dlg, main_->windowId(), {suite::KeyOk}, [&] {
      const dialog::MessageLine& line = dlg.Model().Line(2);
      ASSERT_TRUE(line.scrolling) << "100 characters in the button font";
      EXPECT_GT(line.width, 570);
      before = line.offset[1];
      EXPECT_TRUE(QTest::qWaitFor([&] { return line.offset[1] >= before + 3; }, 2000)) << "timer 215 moves it";
      EXPECT_EQ(line.offset[0] - line.offset[1], line.width + 300 + 100) << "both copies move together";
      EXPECT_FALSE(dlg.Model().Line(0).scrolling);
    });
    EXPECT_EQ(result, 1);
  }
  {
    CMessageDlg dlg(main_.get(), context_, dialog::kModeOneButton);
    dlg.SetMessage("짧은 글");
    const int result = run(dlg, main_->windowId(), {suite::KeyExit}, [&] {
      QTest::qWait(100);
      EXPECT_FALSE(dlg.Model().AnyLineScrolls());
      EXPECT_EQ(dlg.Model().Line(2).offset[0], 0);
      EXPECT_EQ(dlg.Model().Line(2).offset[1], 0);
    });
    EXPECT_EQ(result, 2);
  }
}

TEST_F(MessageDlgTest, RemoteKeysThroughTheShellsKeyRouting) {
  struct Case {
    int mode;
    std::vector<int> keys;
    int result;
  };
  const Case cases[] = {
      {dialog::kModeOneButton, {16, 18, 15, 17, 7, 3, 13}, 1},  // arrows do nothing
      {dialog::kModeOneButton, {18, 14}, 2},
      {dialog::kModeYesNo, {16, 13}, 2},
      {dialog::kModeYesNo, {18, 17, 13}, 1},
      {dialog::kModeYesNo, {9, 9, 13}, 2},
      {dialog::kModeOkCancel, {7, 5, 13}, 1},
      {dialog::kModeOkCancel, {16, 14}, 2},
      {dialog::kModeOkCancel, {24, 27, 26, 31, 35, 13}, 1},  // the shell's form has no transport keys
  };
  for (const Case& c : cases) {
    CMessageDlg dlg(main_.get(), context_, c.mode);
    dlg.SetLine("질문", 2);
    int focusSeen = -1;
    const int result = run(dlg, main_->windowId(), c.keys);
    focusSeen = dlg.Model().Focus();
    EXPECT_EQ(result, c.result) << "mode " << c.mode << ", " << c.keys.size() << " keys";
    if (c.mode == dialog::kModeOneButton) {
      EXPECT_EQ(focusSeen, 0);
    }
    EXPECT_EQ(context_.current, main_.get()) << "the parent is current again";
  }
  EXPECT_TRUE(main_->keys.empty()) << "no key reached the window behind";
}

TEST_F(MessageDlgTest, PowerKeyCancelsAndMinimisesTheShellThroughTheParent) {
  Peer manager(*desktop_, "Lumicaster 관리자");
  CMessageDlg dlg(main_.get(), context_, dialog::kModeYesNo);
  dlg.SetMessage("전원");
  // The manager posts to the window it was told about: the dialog itself.
  EXPECT_EQ(run(dlg, dlg.windowId(), {suite::KeyPower}), 2);
  EXPECT_EQ(context_.current, main_.get());
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  EXPECT_EQ(main_->keys, std::vector<int>{suite::KeyPower}) << "WM_REMOTE_KEY 0 reached the parent";
  EXPECT_EQ(manager.keyTargets(), (std::vector<std::uint64_t>{dlg.windowId(), main_->windowId()}))
      << "announced on opening, the parent announced again on closing";
}

TEST_F(MessageDlgTest, TheDialogKeepsTheRemoteKeysWhileThePlayerRuns) {
  Peer player(*desktop_, "Lumicaster Movie Player");
  CMessageDlg dlg(main_.get(), context_, dialog::kModeOkCancel);
  EXPECT_EQ(run(dlg, dlg.windowId(), {suite::KeyRight, suite::KeyOk}), 2);
  EXPECT_TRUE(player.received.empty()) << "a message dialog never hands keys to the player";
}

TEST_F(MessageDlgTest, KeyboardMouseAndDragging) {
  PlainBitmaps bitmaps;
  resources::ScopedBitmapSource current(&bitmaps);
  struct Case {
    std::vector<int> keys;
    int result;
  };
  for (const Case& c : {Case{{Qt::Key_Escape}, 2}, Case{{Qt::Key_Backspace}, 2}, Case{{Qt::Key_Return}, 1},
                        Case{{Qt::Key_Right, Qt::Key_Enter}, 2}, Case{{Qt::Key_Down, Qt::Key_Up, Qt::Key_Return}, 1},
                        Case{{Qt::Key_F10, Qt::Key_A, Qt::Key_Right, Qt::Key_Return}, 2}}) {
    CMessageDlg dlg(main_.get(), context_, dialog::kModeOkCancel);
    EXPECT_EQ(run(dlg, 0, {},
                  [&] {
                    for (int key : c.keys) QTest::keyClick(&dlg, Qt::Key(key));
                  }),
              c.result)
        << c.keys.size() << " keys";
  }

  CMessageDlg dlg(main_.get(), context_, dialog::kModeOkCancel);
  const QPoint mainPos = context_.mainPosition;
  const int result = run(dlg, 0, {}, [&] {
    skin::CSkinButton* second = dlg.Button(1);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(dlg.Button(0)->State(), skin::kStateFocused) << "the first button starts highlighted";
    QMouseEvent hover(QEvent::MouseMove, QPointF(30, 20), QPointF(second->mapToGlobal(QPoint(30, 20))), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(second, &hover);
    QTest::qWait(20);
    EXPECT_EQ(dlg.Model().Focus(), 1) << "the mouse over a button focuses it";
    EXPECT_EQ(dlg.Button(0)->State(), skin::kStateNormal);

    // Dragged from a point that is no button, in television mode too.
    ASSERT_EQ(context_.displayMode, 1);
    const QPoint start = dlg.pos();
    const QPoint grip = start + QPoint(300, 50);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(300, 50), QPointF(grip), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&dlg, &press);
    QMouseEvent move(QEvent::MouseMove, QPointF(340, 80), QPointF(grip + QPoint(40, 30)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dlg, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(340, 80), QPointF(grip + QPoint(40, 30)), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&dlg, &release);
    EXPECT_EQ(dlg.pos(), start + QPoint(40, 30));
    EXPECT_EQ(context_.mainPosition, mainPos) << "the dialog's place is not the main window's";

    QTest::mouseClick(second, Qt::LeftButton, {}, QPoint(30, 20));
  });
  EXPECT_EQ(result, 2) << "a click presses the button";
  registry::Key root = registry::Key::open(registry::Root::CurrentUser, shell::kRegistryRoot);
  quint32 x = 0;
  EXPECT_FALSE(root.readDWord("PosX", x) && int(x) == dlg.pos().x()) << "PosX is the main window's alone";
}

TEST_F(MessageDlgTest, PaintedInTheBuiltInDesign) {
  resources::ResourceLibrary library;
  ASSERT_TRUE(library.load(test::programDir())) << library.errorString().toStdString();
  resources::ScopedBitmapSource current(&library);
  const QImage background = library.bitmap(resources::kMessageBackground);
  const QImage normal = library.bitmap(resources::kDialogButtonNormal);
  const QImage focused = library.bitmap(resources::kDialogButtonFocused);
  ASSERT_EQ(background.size(), QSize(611, 345));
  ASSERT_EQ(focused.size(), QSize(120, 46));

  CMessageDlg dlg(main_.get(), context_, dialog::kModeYesNo);
  dlg.SetLine("음악 재생을 멈추시겠습니까?", 2);
  QImage shot;
  run(dlg, main_->windowId(), {suite::KeyExit}, [&] { shot = dlg.grab().toImage().convertToFormat(QImage::Format_RGB32); });
  ASSERT_EQ(shot.size(), QSize(611, 345));

  EXPECT_EQ(dlg.windowTitle(), "MessageDlg");
  EXPECT_EQ(desktop_->windowTitle(dlg.windowId()), "MessageDlg");
  EXPECT_EQ(dlg.size(), QSize(611, 345));
  const QRect monitor = main_->screen()->geometry();
  EXPECT_EQ(dlg.pos(), shell::CentredPosition(monitor, QSize(611, 345))) << "centred on its monitor";
  EXPECT_EQ(dlg.mask(), dialog::MessageDialogRegion()) << "the rounded window region";
  EXPECT_FALSE(dlg.mask().contains(QPoint(2, 2)));
  EXPECT_FALSE(dlg.mask().contains(QPoint(608, 342)));

  // Where nothing is written, the background bitmap as it is.
  for (const QPoint p : {QPoint(11, 22), QPoint(300, 300), QPoint(5, 172), QPoint(600, 100)})
    EXPECT_EQ(QColor(shot.pixel(p)), QColor(background.pixel(p))) << p.x() << "," << p.y();
  // The buttons' bitmaps at their places: "예" focused, "아니오" normal, away
  // from the captions.
  for (const QPoint p : {QPoint(4, 23), QPoint(115, 23), QPoint(60, 3), QPoint(60, 43)}) {
    EXPECT_EQ(QColor(shot.pixel(QPoint(150, 270) + p)), QColor(focused.pixel(p))) << p.x() << "," << p.y();
    EXPECT_EQ(QColor(shot.pixel(QPoint(360, 270) + p)), QColor(normal.pixel(p))) << p.x() << "," << p.y();
  }
  // The lines in white over the shadow tone of the background's (11, 22).
  const QRgb sample = background.pixel(11, 22);
  const int least = std::min({qRed(sample), qGreen(sample), qBlue(sample)});
  const QColor shadow(qRed(sample) - least, qGreen(sample) - least, qBlue(sample) - least);
  for (int line : {0, 2}) {
    const QRect rect = dialog::LineRect(line);
    EXPECT_GT(dialogtest::count(shot, rect, Qt::white), 20) << "line " << line;
    EXPECT_GT(dialogtest::count(shot, rect.adjusted(0, 0, 1, 1), shadow), 5) << "line " << line;
  }
  // The captions, white in the button font, centred on the buttons.
  EXPECT_GT(dialogtest::count(shot, QRect(150, 270, 120, 46), Qt::white), 10);
  EXPECT_GT(dialogtest::count(shot, QRect(360, 270, 120, 46), Qt::white), 10);
  EXPECT_EQ(dialogtest::count(shot, dialog::LineRect(4), Qt::white), 0) << "empty lines stay empty";
}

TEST_F(MessageDlgTest, ExitDialogFocusStopsAtBothEndsAndEachButtonHasItsResult) {
  PlainBitmaps bitmaps;
  resources::ScopedBitmapSource current(&bitmaps);
  {
    CExitDlg dlg(main_.get(), context_);
    ASSERT_EQ(dlg.ButtonCount(), 4);
    const QStringList captions = {"종 료", "최소화", "취 소", "전원끄기"};
    const std::vector<int> ids = {1271, 1232, 1255, 1233};
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(dlg.Button(i)->Caption(), captions[i]);
      EXPECT_EQ(dlg.Button(i)->ControlId(), ids[i]);
      EXPECT_EQ(dlg.Button(i)->geometry(), QRect(20 + 150 * i, 250, 120, 46));
    }
    EXPECT_EQ(dlg.Model().Line(2).text, "종료하시겠습니까?");
    EXPECT_EQ(dlg.Model().Line(0).text, "LUMICASTER");
    EXPECT_EQ(dlg.Model().TemplateId(), 765);
    QImage shot;
    EXPECT_EQ(run(dlg, main_->windowId(), {14}, [&] { shot = dlg.grab().toImage(); }), 2);
    EXPECT_EQ(QColor(shot.pixel(20 + 5, 255)), PlainBitmaps::colour(682)) << "the first button has the focus";
    EXPECT_EQ(QColor(shot.pixel(170 + 5, 255)), PlainBitmaps::colour(680));
  }

  struct Case {
    std::vector<int> keys;
    int result;
    const char* action;
  };
  const Case cases[] = {
      {{13}, 1, "exit"},
      {{16, 13}, 1232, "minimise"},
      {{16, 16, 13}, 2, ""},
      {{16, 16, 16, 13}, 1233, "power off"},
      {{16, 18, 7, 16, 16, 9, 13}, 1233, "power off"},  // stops at the last
      {{15, 17, 3, 13}, 1, "exit"},                      // stops at the first
      {{18, 18, 18, 17, 5, 13}, 1232, "minimise"},
      {{14}, 2, ""},
  };
  for (const Case& c : cases) {
    std::vector<std::string> done;
    shell::ExitActions actions;
    actions.exit = [&] { done.push_back("exit"); };
    actions.minimise = [&] { done.push_back("minimise"); };
    actions.powerOff = [&] { done.push_back("power off"); };
    QTimer::singleShot(0, [&] {
      for (int key : c.keys) desktop_->post(main_->windowId(), suite::WM_REMOTE_KEY, std::uint64_t(key), 0);
    });
    EXPECT_EQ(shell::ShowExitDialog(*main_, actions), c.result) << c.keys.size() << " keys";
    EXPECT_EQ(done, *c.action ? std::vector<std::string>{c.action} : std::vector<std::string>{});
  }

  // Minimise by default and the power key both reach the main window as the
  // power key.
  QTimer::singleShot(0, [&] { desktop_->post(main_->windowId(), suite::WM_REMOTE_KEY, 16, 0);
                              desktop_->post(main_->windowId(), suite::WM_REMOTE_KEY, 13, 0); });
  EXPECT_EQ(shell::ShowExitDialog(*main_, {}), 1232);
  QTest::qWait(20);  // the posted power key is handled before the next dialog opens
  QTimer::singleShot(0, [&] { desktop_->post(main_->windowId(), suite::WM_REMOTE_KEY, 0, 0); });
  EXPECT_EQ(shell::ShowExitDialog(*main_, {}), 2);
  QTest::qWait(20);
  EXPECT_EQ(main_->keys, (std::vector<int>{0, 0}));
}

TEST_F(MessageDlgTest, ExitActionsMayDestroyTheMainWindow) {
  PlainBitmaps bitmaps;
  resources::ScopedBitmapSource current(&bitmaps);
  auto* main = new Screen(nullptr, context_);
  main->show();
  QPointer<Screen> guard(main);
  shell::ExitActions actions;
  actions.exit = [&] { delete main; };
  QTimer::singleShot(0, [&] { desktop_->post(main->windowId(), suite::WM_REMOTE_KEY, 13, 0); });
  EXPECT_EQ(shell::ShowExitDialog(*main, actions), 1);
  EXPECT_TRUE(guard.isNull());
}

TEST_F(MessageDlgTest, APowerOffTheSystemRefusesIsToldAndTheShellStays) {
  PlainBitmaps bitmaps;
  resources::ScopedBitmapSource current(&bitmaps);
  for (const bool accepted : {true, false}) {
    SCOPED_TRACE(accepted);
    power::RecordingPowerControl power(accepted);
    int exits = 0;
    QString told;
    QTimer::singleShot(0, [&] {
      if (auto* dlg = qobject_cast<CMessageDlg*>(context_.current.data())) {
        told = dlg->Model().Line(2).text + "|" + dlg->Model().Line(3).text;
        desktop_->post(main_->windowId(), suite::WM_REMOTE_KEY, suite::KeyOk, 0);
      }
    });
    EXPECT_EQ(shell::TurnOff(*main_, power, [&] { ++exits; }), accepted);
    EXPECT_EQ(power.requests(), 1);
    EXPECT_EQ(exits, accepted ? 1 : 0);
    EXPECT_EQ(told, accepted ? QString() : QStringLiteral("전원을 끌 수 없습니다.|시스템이 전원 끄기를 거부하였습니다."));
    EXPECT_EQ(context_.current, main_.get());
  }
}

TEST_F(MessageDlgTest, BackgroundChooserOverTheMainWindow) {
  PlainBitmaps bitmaps;
  resources::ScopedBitmapSource current(&bitmaps);
  main_->move(40, 30);
  QCoreApplication::processEvents();
  ASSERT_EQ(context_.mainPosition, QPoint(40, 30));
  {
    CBackgroundChooserDlg dlg(main_.get(), context_);
    ASSERT_EQ(dlg.ButtonCount(), 2);
    EXPECT_EQ(dlg.Button(0)->Caption(), "배경그림 변경");
    EXPECT_EQ(dlg.Button(1)->Caption(), "취 소");
    EXPECT_EQ(dlg.Button(0)->geometry(), QRect(205, 130, 200, 46));
    EXPECT_EQ(dlg.Button(1)->geometry(), QRect(205, 200, 200, 46));
    QImage shot;
    EXPECT_EQ(run(dlg, main_->windowId(), {13}, [&] { shot = dlg.grab().toImage(); }), 1304);
    EXPECT_EQ(dlg.pos(), QPoint(40 + 94, 30 + 127));
    EXPECT_EQ(QColor(shot.pixel(210, 135)), PlainBitmaps::colour(660)) << "the first has the focus, short bitmaps";
    EXPECT_EQ(QColor(shot.pixel(210, 205)), PlainBitmaps::colour(659));
  }
  struct Case {
    std::vector<int> remote;
    int keyboard;
    int result;
  };
  for (const Case& c : {Case{{16, 13}, 0, 1305}, Case{{16, 15, 13}, 0, 1304}, Case{{14}, 0, 2},
                        Case{{}, Qt::Key_Escape, 2}, Case{{}, Qt::Key_Backspace, 2}}) {
    QTimer::singleShot(0, [&] {
      for (int key : c.remote) desktop_->post(main_->windowId(), suite::WM_REMOTE_KEY, std::uint64_t(key), 0);
      if (c.keyboard) QTest::keyClick(context_.current.data(), Qt::Key(c.keyboard));
    });
    EXPECT_EQ(shell::ShowBackgroundChooser(*main_), c.result);
  }
}

}  // namespace
