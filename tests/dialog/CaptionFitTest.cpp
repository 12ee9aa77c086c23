// Captions of the skinned buttons at every font size the manager offers: the
// longest captions of the exit dialog and the background chooser, in both
// languages, fit on their buttons instead of being cut.
#include <gtest/gtest.h>

#include <QFontMetrics>

#include "common/skin/FontSet.h"
#include "common/skin/SkinPainter.h"

using namespace lumi;

namespace {

struct Caption {
  const char* text;
  int buttonWidth;  // the exit dialog's 120, the chooser's 200
};

TEST(CaptionFit, LongCaptionsFitTheirButtonsAtEverySkinFontSize) {
  const Caption captions[] = {{"Minimize", 120}, {"Turn off", 120}, {"Change Background", 200},
                              {"전원끄기", 120},  {"최소화", 120},    {"배경그림 변경", 200}};
  for (const Caption& c : captions) {
    const QString text = QString::fromUtf8(c.text);
    for (int pixels = 10; pixels <= 50; ++pixels) {
      for (int weight : {400, 700}) {
        const QFont font = skin::SuiteFont(QStringLiteral("굴림"), pixels, weight);
        const QFont fitted = skin::FitCaptionFont(font, text, c.buttonWidth - 4);
        EXPECT_LE(QFontMetrics(fitted).horizontalAdvance(text), c.buttonWidth - 4)
            << c.text << " at " << pixels << " px, weight " << weight;
        if (QFontMetrics(font).horizontalAdvance(text) <= c.buttonWidth - 4)
          EXPECT_EQ(fitted.pixelSize(), pixels) << c.text << ": a caption that fits keeps its size";
        else
          EXPECT_LT(fitted.pixelSize(), pixels);
      }
    }
  }
}

TEST(CaptionFit, TheButtonPictureShowsTheWholeCaption) {
  // Drawn at 50 pixels on the 120-pixel button, "Minimize" keeps every
  // letter: its ink reaches further right than an ellipsis after "Mi" would.
  skin::SkinButtonLook look;
  look.size = QSize(120, 46);
  look.layout = skin::kLayoutCentred;
  look.hasCaption = true;
  look.caption = QStringLiteral("Minimize");
  look.font = skin::SuiteFont(QStringLiteral("굴림"), 50, 700);
  look.textColour = Qt::white;
  const QImage picture = skin::PaintSkinButton(look);
  int left = picture.width(), right = -1;
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      if (qRed(picture.pixel(x, y)) > 200) {
        left = std::min(left, x);
        right = std::max(right, x);
      }
  ASSERT_GE(right, 0) << "a caption is drawn";
  EXPECT_GE(left, 1);
  EXPECT_LE(right, 118);
  EXPECT_GT(right - left, 80) << "the whole word, not a cut one";
}

}  // namespace
