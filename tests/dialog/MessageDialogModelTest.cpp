// The message dialog's model: buttons by mode and form, lines, scrolling and
// keys, without a window.
#include <gtest/gtest.h>

#include <QStringList>

#include "common/dialog/MessageDialogModel.h"
#include "common/suite/SuiteMessages.h"
#include "platform/text/StringTable.h"
#include "tests/support/QtPrinters.h"

using namespace lumi;
using namespace lumi::dialog;

namespace {

QStringList texts(const MessageDialogModel& m) {
  QStringList out;
  for (int i = 0; i < kLineCount; ++i) out << m.Line(i).text;
  return out;
}

// Ten pixels a character: wide enough to tell a scrolling line by its length.
int tenEach(const QString& s) { return 10 * int(s.size()); }

TEST(MessageDialogModel, MessagesFillTheLinesByTheirLineFeedsUnderTheProductTitle) {
  struct Case {
    QString message;
    QStringList lines;
  };
  const Case cases[] = {
      {"one", {"LUMICASTER", "", "one", "", ""}},
      {"one\ntwo", {"LUMICASTER", "", "one", "two", ""}},
      {"one\ntwo\nthree", {"LUMICASTER", "one", "two", "three", ""}},
      {"one\ntwo\nthree\nfour", {"LUMICASTER", "one", "two", "three", "four"}},
      {"a\nb\nc\nd\ne\nf", {"LUMICASTER", "a", "b", "c", "def"}},
      {"ends\n", {"LUMICASTER", "", "ends", "", ""}},
  };
  for (const Case& c : cases) {
    MessageDialogModel model(ShellForm(), kModeOneButton);
    model.SetMessage(c.message);
    EXPECT_EQ(texts(model), c.lines) << c.message.toStdString();
    for (int i = 0; i < kLineCount; ++i) {
      if (!c.lines[i].isEmpty()) {
        EXPECT_EQ(model.Line(i).format, kCentred) << i;
      }
    }
  }

  MessageDialogModel model(ShellForm(), kModeOneButton);
  model.SetLine("only the title line", 0, kLeft);
  EXPECT_EQ(texts(model), (QStringList{"only the title line", "", "", "", ""})) << "line 0 puts no title";
  model.SetLine("x", 5);
  model.SetLine("y", -1);
  EXPECT_EQ(texts(model), (QStringList{"only the title line", "", "", "", ""})) << "indexes outside 0-4 are ignored";
  model.SetLine("left", 4, kLeft);
  EXPECT_EQ(model.Line(0).text, "LUMICASTER");
  EXPECT_EQ(model.Line(4).format, kLeft);
  EXPECT_EQ(model.Line(4).rect, QRect(QPoint(20, 220), QPoint(589, 259)));
  EXPECT_EQ(model.Line(0).rect, QRect(QPoint(20, 12), QPoint(589, 44)));
}

TEST(MessageDialogModel, LinesWiderThanTheirRectangleScrollAndWrapToTheRightEdge) {
  MessageDialogModel model(ShellForm(), kModeOneButton);
  model.SetMessage(QString(100, QChar('x')) + "\nshort");
  model.MeasureLines(tenEach);
  const MessageLine& longLine = model.Line(2);
  ASSERT_TRUE(longLine.scrolling);
  EXPECT_EQ(longLine.width, 1000);
  EXPECT_EQ(longLine.offset[0], 1300);
  EXPECT_EQ(longLine.offset[1], -100);
  EXPECT_FALSE(model.Line(3).scrolling);
  EXPECT_FALSE(model.Line(0).scrolling);

  EXPECT_EQ(model.ScrollStep(), std::vector<int>{2}) << "only the scrolling line moves";
  EXPECT_EQ(longLine.offset[0], 1301);
  EXPECT_EQ(longLine.offset[1], -99);
  // The smaller offset passes width - 300 = 700 after 801 steps in all;
  // then the other copy comes back in at the right edge.
  for (int i = 1; i < 800; ++i) model.ScrollStep();
  EXPECT_EQ(longLine.offset[1], 700);
  EXPECT_EQ(longLine.offset[0], 2100);
  model.ScrollStep();
  EXPECT_EQ(longLine.offset[1], 701);
  EXPECT_EQ(longLine.offset[0], -611);
  for (int i = 0; i < 1311; ++i) model.ScrollStep();
  EXPECT_EQ(longLine.offset[0], 700);
  model.ScrollStep();
  EXPECT_EQ(longLine.offset[0], 701);
  EXPECT_EQ(longLine.offset[1], -611) << "and so on, copy after copy";

  MessageDialogModel still(ShellForm(), kModeOneButton);
  still.SetMessage(QString(57, QChar('x')));  // exactly the 570-pixel rectangle
  still.MeasureLines(tenEach);
  EXPECT_FALSE(still.AnyLineScrolls());
  EXPECT_TRUE(still.ScrollStep().empty());
}

TEST(MessageDialogModel, ButtonsByModeAndForm) {
  struct Case {
    const MessageForm* form;
    int mode;
    std::vector<int> ids;
    QStringList captions;
    std::vector<QPoint> places;
  };
  const Case cases[] = {
      {&ShellForm(), kModeOneButton, {1271}, {"확 인"}, {{235, 270}}},
      {&ShellForm(), kModeYesNo, {1271, 1255}, {"예", "아니오"}, {{150, 270}, {360, 270}}},
      {&ShellForm(), 1, {1271, 1255}, {"확 인", "취 소"}, {{150, 270}, {360, 270}}},
      {&ShellForm(), 7, {1271, 1255}, {"확 인", "취 소"}, {{150, 270}, {360, 270}}},
      {&PlayerForm(), kModeYesNo, {1041, 1042}, {"#188", "#189"}, {{150, 270}, {360, 270}}},
      {&PlayerSideForm(), kModeOneButton, {1041}, {"#117"}, {{440, 80}}},
      {&UpdaterForm(), 2, {1041, 1042}, {"#117", "#118"}, {{150, 270}, {360, 270}}},
  };
  // The other programs' tables are not this program's; name the ids instead.
  auto strings = [](int id) { return id >= 3000 ? text::str(id) : QString("#%1").arg(id); };
  for (const Case& c : cases) {
    MessageDialogModel model(*c.form, c.mode, strings);
    ASSERT_EQ(model.ButtonCount(), int(c.ids.size())) << c.mode;
    for (int i = 0; i < model.ButtonCount(); ++i) {
      const DialogButton& b = model.Buttons()[i];
      EXPECT_EQ(b.controlId, c.ids[i]);
      EXPECT_EQ(b.caption, c.captions[i]);
      EXPECT_EQ(b.rect, QRect(c.places[i], QSize(120, 46)));
      EXPECT_EQ(b.result, i + 1) << "first 1, second 2";
    }
  }
  MessageDialogModel player(PlayerForm(), kModeOneButton, strings);
  player.SetLine("x", 2);
  EXPECT_EQ(player.Line(0).text, "LUMICASTER") << "the product name where the table has no title";
}

TEST(MessageDialogModel, FormsOfTheThreePrograms) {
  EXPECT_EQ(ShellForm().scrollTimerId, 215);
  EXPECT_TRUE(ShellForm().skinButtonFont);
  EXPECT_FALSE(ShellForm().loadsLibraryItself);
  EXPECT_EQ(PlayerForm().templateId, 200);
  EXPECT_EQ(PlayerForm().scrollTimerId, 51);
  EXPECT_EQ(PlayerForm().otherTimerId, 50);
  EXPECT_EQ(PlayerForm().fixedFonts.size(), 4u);
  EXPECT_EQ(PlayerSideForm().fixedFonts.size(), 3u);
  EXPECT_STREQ(PlayerSideForm().missingLibraryText, "에러 : Resources.dll 파일을 찾을 수 없습니다.");
  EXPECT_EQ(UpdaterForm().scrollTimerId, 215);
  EXPECT_EQ(UpdaterForm().otherTimerId, 214);
  EXPECT_TRUE(UpdaterForm().transportKeys);
  for (const MessageForm* f : {&PlayerForm(), &PlayerSideForm(), &UpdaterForm()}) {
    EXPECT_FALSE(f->skinButtonFont);
    EXPECT_LT(f->lineFont, int(f->fixedFonts.size()));
    EXPECT_LT(f->captionFont, int(f->fixedFonts.size()));
  }

  // Centred in the monitor, or on the screen by halves (which rounds apart).
  const QRect second(1920, 0, 1024, 768);
  EXPECT_EQ(DialogPosition(ShellForm(), second, {2944, 1080}), QPoint(1920 + 206, 211));
  EXPECT_EQ(DialogPosition(PlayerForm(), second, {2944, 1080}), QPoint(1920 + 206, 211));
  EXPECT_EQ(DialogPosition(UpdaterForm(), QRect(0, 0, 1024, 768), {1024, 768}), QPoint(512 - 305, 384 - 172));
}

TEST(MessageDialogModel, ChoiceMenuVariants) {
  struct Case {
    int templateId;
    std::vector<QRect> buttons;
    int normalBitmap;
  };
  const QSize row(120, 46), column(200, 46);
  const Case cases[] = {
      {765, {{{20, 250}, row}, {{170, 250}, row}, {{320, 250}, row}, {{470, 250}, row}}, 680},
      {821, {{{205, 130}, column}, {{205, 200}, column}}, 659},
      {817, {{{205, 120}, column}, {{205, 170}, column}, {{205, 220}, column}}, 659},
      {819, {{{205, 120}, column}, {{205, 170}, column}, {{205, 220}, column}}, 659},
      {820, {{{205, 120}, column}, {{205, 170}, column}, {{205, 220}, column}, {{205, 270}, column}}, 659},
  };
  for (const Case& c : cases) {
    const ChoiceVariant* v = ChoiceVariantFor(c.templateId);
    ASSERT_NE(v, nullptr) << c.templateId;
    ASSERT_EQ(v->buttonCount, int(c.buttons.size()));
    for (int i = 0; i < v->buttonCount; ++i) EXPECT_EQ(v->buttons[i], c.buttons[i]) << c.templateId << " " << i;
    EXPECT_EQ(v->bitmaps.normal, c.normalBitmap);
  }
  EXPECT_EQ(ChoiceVariantFor(621), nullptr);

  MessageDialogModel chooser(ShellForm(), *ChoiceVariantFor(821), {{1304, "change"}, {1305, "cancel"}, {1306, "extra"}});
  ASSERT_EQ(chooser.ButtonCount(), 2) << "no more buttons than the template has";
  EXPECT_TRUE(chooser.IsChoiceMenu());
  EXPECT_EQ(chooser.TemplateId(), 821);
  EXPECT_EQ(chooser.Buttons()[0].result, 1304);
  EXPECT_EQ(chooser.Buttons()[1].result, 1305);
  MessageDialogModel exit(ShellForm(), *ChoiceVariantFor(765), {{1271, "a"}, {1232, "b"}, {1255, "c"}, {1233, "d"}});
  std::vector<int> results;
  for (const DialogButton& b : exit.Buttons()) results.push_back(b.result);
  EXPECT_EQ(results, (std::vector<int>{1, 1232, 2, 1233}));
}

TEST(MessageDialogModel, KeysOfTheRemoteAndTheKeyboard) {
  using K = KeyOutcome;
  struct Step {
    int key;
    K::Kind kind;
    int focusAfter;
  };
  struct Case {
    const char* name;
    const MessageForm* form;
    int mode;  // -1: the exit dialog's four buttons
    bool keyboard;
    std::vector<Step> steps;
  };
  const Case cases[] = {
      {"one button: arrows do nothing", &ShellForm(), kModeOneButton, false,
       {{15, K::Ignore, 0}, {16, K::Ignore, 0}, {17, K::Ignore, 0}, {18, K::Ignore, 0}, {9, K::Ignore, 0},
        {13, K::Press, 0}, {14, K::Cancel, 0}, {0, K::Power, 0}, {24, K::Ignore, 0}, {31, K::Ignore, 0}}},
      {"two buttons", &ShellForm(), kModeYesNo, false,
       {{16, K::Focus, 1}, {18, K::Ignore, 1}, {7, K::Ignore, 1}, {13, K::Press, 1}, {3, K::Focus, 0},
        {5, K::Ignore, 0}, {9, K::Focus, 1}, {17, K::Focus, 0}, {27, K::Ignore, 0}, {26, K::Ignore, 0}}},
      {"updater transport keys", &UpdaterForm(), 1, false,
       {{27, K::Focus, 1}, {28, K::Ignore, 1}, {25, K::Focus, 0}, {28, K::Focus, 1}, {24, K::Focus, 0},
        {26, K::Press, 0}, {14, K::Cancel, 0}, {0, K::Power, 0}}},
      {"four in a row stop at both ends", &ShellForm(), -1, false,
       {{15, K::Ignore, 0}, {16, K::Focus, 1}, {18, K::Focus, 2}, {7, K::Focus, 3}, {16, K::Ignore, 3},
        {13, K::Press, 3}, {5, K::Focus, 2}, {17, K::Focus, 1}, {3, K::Focus, 0}, {17, K::Ignore, 0}}},
      {"keyboard", &ShellForm(), 1, true,
       {{Qt::Key_Right, K::Focus, 1}, {Qt::Key_Down, K::Ignore, 1}, {Qt::Key_Return, K::Press, 1},
        {Qt::Key_Up, K::Focus, 0}, {Qt::Key_Left, K::Ignore, 0}, {Qt::Key_Enter, K::Press, 0},
        {Qt::Key_Escape, K::Cancel, 0}, {Qt::Key_Backspace, K::Cancel, 0}, {Qt::Key_F10, K::Ignore, 0},
        {Qt::Key_A, K::Pass, 0}, {Qt::Key_Tab, K::Pass, 0}}},
  };
  for (const Case& c : cases) {
    MessageDialogModel model = c.mode >= 0 ? MessageDialogModel(*c.form, c.mode)
                                           : MessageDialogModel(*c.form, *ChoiceVariantFor(765),
                                                                {{1271, "a"}, {1232, "b"}, {1255, "c"}, {1233, "d"}});
    for (const Step& s : c.steps) {
      const int before = model.Focus();
      const K outcome = c.keyboard ? model.OnKeyboard(s.key) : model.OnKey(s.key);
      EXPECT_EQ(outcome.kind, s.kind) << c.name << ", key " << s.key;
      EXPECT_EQ(model.Focus(), s.focusAfter) << c.name << ", key " << s.key;
      if (s.kind == K::Focus) {
        EXPECT_EQ(outcome.previous, before);
      }
      if (s.kind == K::Press || s.kind == K::Focus) {
        EXPECT_EQ(outcome.button, s.focusAfter);
      }
    }
  }

  MessageDialogModel mouse(ShellForm(), kModeOkCancel);
  EXPECT_EQ(mouse.FocusButton(1).kind, K::Focus);
  EXPECT_EQ(mouse.FocusButton(1).kind, K::Ignore) << "already there";
  EXPECT_EQ(mouse.FocusButton(2).kind, K::Ignore) << "no such button";
  EXPECT_EQ(mouse.IndexOf(1255), 1);
  EXPECT_EQ(mouse.IndexOf(1304), -1);
}

}  // namespace
