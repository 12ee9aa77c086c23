// The message dialog's picture and shape, painted without a window.
#include <gtest/gtest.h>

#include <QColor>
#include <QFontMetrics>
#include <QImage>

#include "common/dialog/MessageDialogPainter.h"
#include "common/skin/FontSet.h"
#include "tests/dialog/DialogTestUtil.h"

using namespace lumi;
using namespace lumi::dialog;
using lumi::dialogtest::inkBounds;

namespace {

TEST(MessageDialogPainter, RegionHasRoundedCornersPixelForPixel) {
  const QRegion region = MessageDialogRegion();
  EXPECT_EQ(region.boundingRect(), QRect(0, 0, 611, 345));
  struct Case {
    QPoint point;
    bool inside;
  };
  const Case cases[] = {
      {{0, 0}, false},    {{4, 4}, false},    {{12, 0}, false},   {{13, 0}, true},    {{0, 12}, false},
      {{0, 13}, true},    {{5, 5}, true},   {{610, 0}, false},  {{597, 0}, true},   {{598, 0}, false},
      {{610, 344}, false}, {{0, 344}, false}, {{305, 0}, true},   {{305, 344}, true}, {{0, 172}, true},
      {{610, 172}, true}, {{606, 4}, false},  {{4, 340}, false},  {{305, 172}, true}, {{611, 172}, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(region.contains(c.point), c.inside) << c.point.x() << "," << c.point.y();
}

TEST(MessageDialogPainter, LinesInWhiteOverTheShadowToneOfThePixelAt11x22) {
  dialogtest::PrivateSkin skin;
  QImage background(kMessageDialogSize, QImage::Format_RGB32);
  background.fill(QColor(40, 90, 150));
  background.setPixel(11, 22, QColor(200, 120, 90).rgb());  // the sampled pixel alone decides the tone
  const QColor shadow(110, 30, 0);
  EXPECT_EQ(DialogShadowTone(background), shadow);

  skin::FontSet fonts;
  MessageDialogModel model(ShellForm(), kModeOneButton);
  model.SetMessage("가나다라 마바사\n둘째 줄");
  const QFontMetrics metrics(fonts.Button());
  model.MeasureLines([&](const QString& s) { return metrics.horizontalAdvance(s); });
  ASSERT_FALSE(model.AnyLineScrolls());
  const QImage picture = PaintMessageDialog(model, background, fonts.Button());
  ASSERT_EQ(picture.size(), kMessageDialogSize);
  EXPECT_EQ(QColor(picture.pixel(300, 300)), QColor(40, 90, 150)) << "the background where nothing is written";

  QRect all;
  for (int line : {0, 2, 3}) {
    const QRect rect = model.Line(line).rect;
    const QRect ink = inkBounds(picture, background, rect.adjusted(-4, -4, 4, 4));
    ASSERT_FALSE(ink.isEmpty()) << "line " << line;
    EXPECT_TRUE(rect.adjusted(0, 0, 1, 1).contains(ink)) << "line " << line << " stays in its rectangle";
    EXPECT_NEAR(ink.center().x(), rect.center().x(), 3) << "line " << line << " is centred";
    EXPECT_GT(dialogtest::count(picture, rect, Qt::white), 20) << "line " << line << " in white";
    EXPECT_GT(dialogtest::count(picture, rect.adjusted(0, 0, 1, 1), shadow), 5) << "line " << line << " shadow";
    all |= ink;
  }
  EXPECT_EQ(inkBounds(picture, background, QRect(0, 0, 611, 345)) | all, all) << "nothing drawn elsewhere";
  EXPECT_TRUE(inkBounds(picture, background, model.Line(1).rect).isEmpty()) << "line 1 is empty";

  // Without a background the lines still show, over black.
  const QImage bare = PaintMessageDialog(model, QImage(), fonts.Button());
  EXPECT_EQ(QColor(bare.pixel(300, 300)), QColor(Qt::black));
  EXPECT_GT(dialogtest::count(bare, model.Line(2).rect, Qt::white), 20);
}

TEST(MessageDialogPainter, AScrollingLineIsDrawnTwiceFromItsOffsetsWithinItsRectangle) {
  dialogtest::PrivateSkin skin;
  QImage background(kMessageDialogSize, QImage::Format_RGB32);
  background.fill(QColor(0, 0, 120));
  skin::FontSet fonts;
  const QFontMetrics metrics(fonts.Button());
  MessageDialogModel model(ShellForm(), kModeOneButton);
  model.SetMessage(QString(40, QChar(u'가')));
  model.MeasureLines([&](const QString& s) { return metrics.horizontalAdvance(s); });
  const MessageLine& line = model.Line(2);
  ASSERT_TRUE(line.scrolling);

  // At the start the first copy lies far left (offset width + 300) and the
  // second begins 100 pixels into the line.
  QImage picture = PaintMessageDialog(model, background, fonts.Button());
  QRect ink = inkBounds(picture, background, line.rect.adjusted(-10, -4, 10, 4));
  EXPECT_NEAR(ink.left(), line.rect.left() + 100, 3);
  EXPECT_LE(ink.right(), line.rect.right() + 1) << "kept within the line";
  EXPECT_GE(ink.right(), line.rect.right() - 15) << "the rest is cut at the right edge";
  EXPECT_GT(dialogtest::count(picture, line.rect, Qt::white), 50);

  for (int i = 0; i < 60; ++i) model.ScrollStep();
  picture = PaintMessageDialog(model, background, fonts.Button());
  ink = inkBounds(picture, background, line.rect.adjusted(-10, -4, 10, 4));
  EXPECT_NEAR(ink.left(), line.rect.left() + 40, 3) << "60 steps to the left";

  // Run until the first copy has come back in from the right edge: both
  // copies show, with the gap between them.
  while (line.offset[0] != kScrollWrap) model.ScrollStep();
  for (int i = 0; i < 100; ++i) model.ScrollStep();
  picture = PaintMessageDialog(model, background, fonts.Button());
  const int entering = line.rect.left() - line.offset[0];  // 20 + 511
  EXPECT_FALSE(inkBounds(picture, background, QRect(entering, line.rect.top(), 590 - entering, line.rect.height()))
                   .isEmpty())
      << "the new copy at the right";
  EXPECT_TRUE(inkBounds(picture, background, QRect(entering - 30, line.rect.top(), 25, line.rect.height())).isEmpty())
      << "the gap before it";
  EXPECT_TRUE(inkBounds(picture, background, QRect(0, 0, 18, 345)).isEmpty()) << "nothing left of the line";
}

}  // namespace
