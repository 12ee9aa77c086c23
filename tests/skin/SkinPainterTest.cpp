// The pixels of the skinned controls: box colours and opacities of both
// designs, outlines, caption shadow and placement, and CXPButton's frames and
// gradient.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>

#include "common/resources/BitmapIds.h"
#include "common/skin/FontSet.h"
#include "common/skin/SkinPainter.h"
#include "tests/skin/SkinTestUtil.h"

using namespace lumi;
using namespace lumi::skin;
using skintest::at;
using skintest::blended;
using skintest::inkBounds;
using skintest::solid;

namespace {

const QColor kHighlight(0, 65, 107);
const QColor kBuiltInOutline(0, 182, 255);
const QColor kUserOutline(16, 24, 16);

BoxStyle userStyle(int transNormal, int transFocus) {
  BoxStyle style;
  style.userDesign = true;
  style.colorNormal = SkinSettings::kDefaultColorNormal;
  style.colorFocus = SkinSettings::kDefaultColorFocus;
  style.transNormal = transNormal;
  style.transFocus = transFocus;
  return style;
}

TEST(SkinPainter, BlendingAndShadowTones) {
  const QColor under(40, 80, 120), over(179, 226, 231);
  for (int opacity : {0, 1, 100, 128, 180, 254, 255}) {
    QImage image = solid({4, 4}, under);
    BlendBox(image, image.rect(), over, opacity);
    EXPECT_EQ(at(image, 2, 2), blended(over, under, opacity)) << opacity;
  }
  QImage image = solid({4, 4}, under);
  BlendBox(image, QRect(1, 1, 2, 2), over, 255);
  EXPECT_EQ(at(image, 0, 0), under) << "only the box";
  EXPECT_EQ(at(image, 1, 1), over);

  EXPECT_EQ(ShadowTone(qRgb(100, 150, 200)), QColor(0, 50, 100));
  EXPECT_EQ(ShadowTone(qRgb(255, 255, 255)), QColor(0, 0, 0));
  EXPECT_EQ(ShadowToneAt(solid({5, 5}, Qt::red), QPoint(11, 22)), QColor(0, 0, 0)) << "outside the picture: black";
}

TEST(SkinPainter, HighlightBoxInBothDesigns) {
  const QColor under(200, 200, 200);
  const QColor focusColour(179, 226, 231), normalColour(203, 209, 218);
  struct Case {
    const char* name;
    BoxStyle style;
    HighlightLook look;
    std::optional<int> normalOpacity;
    QColor inside, outline;
  } cases[] = {
      {"built-in focused", BoxStyle{}, HighlightLook::Focused, {}, kHighlight, kBuiltInOutline},
      {"built-in normal", BoxStyle{}, HighlightLook::Normal, {}, blended(kHighlight, under, 100), kBuiltInOutline},
      {"user focused", userStyle(60, 180), HighlightLook::Focused, {}, blended(focusColour, under, 180), kUserOutline},
      {"user normal", userStyle(60, 180), HighlightLook::Normal, {}, blended(normalColour, under, 60), kUserOutline},
      {"user normal, the view's opacity", userStyle(60, 180), HighlightLook::Normal, 100,
       blended(normalColour, under, 100), kUserOutline},
      {"user focus opaque", userStyle(60, 255), HighlightLook::Focused, {}, focusColour, kUserOutline},
      {"user focus invisible", userStyle(60, 0), HighlightLook::Focused, {}, under, kUserOutline},
  };
  for (const Case& c : cases) {
    QImage image = solid({100, 40}, under);
    const QRect box(10, 5, 80, 30);
    PaintHighlightBox(image, box, c.look, c.style, c.normalOpacity);
    EXPECT_EQ(at(image, 50, 20), c.inside) << c.name;
    for (QPoint p : {box.topLeft(), box.bottomRight(), QPoint(50, box.top()), QPoint(box.left(), 20),
                     QPoint(box.right(), 20), QPoint(50, box.bottom())})
      EXPECT_EQ(at(image, p.x(), p.y()), c.outline) << c.name << " at " << p.x() << "," << p.y();
    EXPECT_EQ(at(image, 5, 2), under) << c.name << ": nothing outside the box";
  }
}

// A window background whose pixels tell where they are: red = x, green = y.
QImage addressedBackground() {
  QImage image(800, 600, QImage::Format_RGB32);
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x) image.setPixel(x, y, qRgb(x % 256, y % 256, 90));
  return image;
}

TEST(SkinPainter, UserDesignBoxOverTheWindowBackground) {
  const QImage background = addressedBackground();
  const QRect place(70, 128, 290, 55);
  const QColor focusColour(179, 226, 231), normalColour(203, 209, 218);
  struct Case {
    int state, transNormal, transFocus;
    QColor colour;
    int opacity;
  } cases[] = {
      {0, 100, 180, normalColour, 100}, {1, 100, 180, focusColour, 180}, {2, 100, 180, focusColour, 180},
      {1, 100, 255, focusColour, 255},  {1, 100, 0, focusColour, 0},     {0, 0, 180, normalColour, 0},
  };
  for (const Case& c : cases) {
    SkinButtonLook look;
    look.size = place.size();
    look.state = c.state;
    look.parentBackground = background;
    look.rectInParent = place;
    look.transparent = true;
    look.box = userStyle(c.transNormal, c.transFocus);
    look.normal = solid(place.size(), Qt::red);  // the user design ignores bitmaps
    const QImage picture = PaintSkinButton(look);
    for (QPoint p : {QPoint(5, 7), QPoint(145, 27), QPoint(288, 53)}) {
      const QColor under = at(background, place.x() + p.x(), place.y() + p.y());
      EXPECT_EQ(at(picture, p.x(), p.y()), blended(c.colour, under, c.opacity))
          << "state " << c.state << " at " << p.x() << "," << p.y();
    }
    for (QPoint p : {QPoint(0, 0), QPoint(289, 54), QPoint(145, 0), QPoint(0, 27)})
      EXPECT_EQ(at(picture, p.x(), p.y()), kUserOutline) << "state " << c.state;
  }
}

TEST(SkinPainter, BuiltInDesignStretchesTheStateBitmap) {
  const resources::ResourceLibrary& lib = skintest::builtResources();
  ASSERT_TRUE(lib.ok());
  const QImage normal = lib.bitmap(resources::kMenuButtonNormal);
  const QImage focused = lib.bitmap(resources::kMenuButtonFocused);
  const QImage pressed = lib.bitmap(resources::kMenuButtonPressed);
  const QPoint centre(145, 27);
  auto paint = [&](int state, QImage n, QImage f, QImage p, QImage bg, QSize size = QSize(290, 55)) {
    SkinButtonLook look;
    look.size = size;
    look.state = state;
    look.normal = n;
    look.focused = f;
    look.pressed = p;
    look.background = bg;
    return PaintSkinButton(look);
  };
  EXPECT_EQ(at(paint(0, normal, focused, pressed, {}), 145, 27), QColor(normal.pixel(centre)));
  EXPECT_EQ(at(paint(1, normal, focused, pressed, {}), 145, 27), QColor(focused.pixel(centre)));
  EXPECT_EQ(at(paint(2, normal, focused, pressed, {}), 145, 27), QColor(pressed.pixel(centre)));
  EXPECT_EQ(at(paint(2, normal, focused, {}, {}), 145, 27), QColor(focused.pixel(centre))) << "pressed falls back to focused";
  EXPECT_EQ(at(paint(1, {}, {}, {}, solid({10, 10}, Qt::darkCyan)), 145, 27), QColor(Qt::darkCyan))
      << "without state bitmaps the background bitmap, stretched";
  const QImage small = skintest::solid({29, 29}, QColor(10, 20, 30));
  const QImage big = paint(0, small, {}, {}, {}, QSize(290, 55));
  EXPECT_EQ(at(big, 280, 50), QColor(10, 20, 30)) << "stretched over the whole button";

  // No bitmap at all: the highlight box, over black here.
  const QImage none0 = paint(0, {}, {}, {}, {});
  EXPECT_EQ(at(none0, 145, 27), blended(kHighlight, Qt::black, 100));
  EXPECT_EQ(at(none0, 0, 0), kBuiltInOutline);
  EXPECT_EQ(at(paint(2, {}, {}, {}, {}), 145, 27), kHighlight);
}

TEST(SkinPainter, CaptionShadowPlacementAndPress) {
  const QColor face(100, 150, 200);
  QImage bitmap = solid({290, 55}, face);
  bitmap.setPixel(11, 22, qRgb(90, 60, 30));  // the caption takes its shadow tone here
  const QFont font = SuiteFont("굴림", 30, 700);
  const QFontMetrics metrics(font);

  auto look = [&](int state, int layout, const QString& caption) {
    SkinButtonLook l;
    l.size = bitmap.size();
    l.state = state;
    l.normal = l.focused = l.pressed = bitmap;
    l.layout = layout;
    l.hasCaption = true;
    l.caption = caption;
    l.font = font;
    l.textColour = Qt::white;
    return l;
  };
  SkinButtonLook plainLook = look(0, kLayoutCentred, "");
  const QImage plain = PaintSkinButton(plainLook);
  EXPECT_EQ(inkBounds(plain, bitmap), QRect()) << "no caption, nothing drawn";

  const QImage centred = PaintSkinButton(look(0, kLayoutCentred, "내 컴퓨터"));
  const QRect ink = inkBounds(centred, plain);
  ASSERT_FALSE(ink.isEmpty());
  EXPECT_NEAR(ink.center().x(), 145, 3) << "centred across";
  EXPECT_NEAR(ink.center().y(), 27, 4) << "and down";
  EXPECT_TRUE(skintest::contains(centred, Qt::white));
  EXPECT_TRUE(skintest::contains(centred, QColor(60, 30, 0))) << "shadow = the pixel at (11, 22) less its smallest part";

  const QRect pressedInk = inkBounds(PaintSkinButton(look(2, kLayoutCentred, "내 컴퓨터")), plain);
  EXPECT_EQ(pressedInk, ink.translated(1, 1)) << "pressed: one pixel right and down";
  SkinButtonLook still = look(2, kLayoutCentred, "내 컴퓨터");
  still.offsetWhenPressed = false;
  EXPECT_EQ(inkBounds(PaintSkinButton(still), plain), ink);

  // The shadow lies one pixel right and down of the text.
  SkinButtonLook noShadow = look(0, kLayoutCentred, "내 컴퓨터");
  noShadow.normal = solid({290, 55}, QColor(255, 0, 0));  // shadow tone (255, 0, 0): the face colour
  const QRect textOnly = inkBounds(PaintSkinButton(noShadow), solid({290, 55}, QColor(255, 0, 0)));
  EXPECT_EQ(ink.bottomRight(), textOnly.bottomRight() + QPoint(1, 1));

  // Layout 0: left-aligned, after the icon square when there is an icon.
  const QRect left = inkBounds(PaintSkinButton(look(0, 0, "E:\\")), plain);
  EXPECT_LE(left.left(), 4);
  SkinButtonLook withIcon = look(0, 0, "E:\\");
  withIcon.icon = solid({20, 20}, Qt::green);
  const QImage iconLeft = PaintSkinButton(withIcon);
  EXPECT_EQ(at(iconLeft, 27, 27), QColor(Qt::green)) << "the icon centred in the square before the caption";
  EXPECT_EQ(inkBounds(iconLeft, plain).right(), left.right() + 55) << "caption moved by the button's height";

  // Layout 6 with an icon: 10 pixels before the text.
  SkinButtonLook centredIcon = look(0, kLayoutCentred, "DVD");
  centredIcon.icon = solid({16, 16}, Qt::green);
  const QImage withCentredIcon = PaintSkinButton(centredIcon);
  const int textLeft = (290 - metrics.horizontalAdvance("DVD")) / 2;
  EXPECT_EQ(at(withCentredIcon, textLeft - 11, 27), QColor(Qt::green));
  EXPECT_EQ(at(withCentredIcon, textLeft - 10, 27), face);
  EXPECT_EQ(at(withCentredIcon, textLeft - 26, 27), QColor(Qt::green));
  EXPECT_EQ(at(withCentredIcon, textLeft - 27, 27), face);

  // An icon with its mask: white mask keeps the face, black mask takes the icon.
  QImage icon = solid({10, 10}, Qt::black), mask = solid({10, 10}, Qt::white);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 5; ++x) {
      icon.setPixel(x, y, qRgb(0, 255, 0));
      mask.setPixel(x, y, qRgb(0, 0, 0));
    }
  QImage target = solid({20, 20}, face);
  DrawMaskedIcon(target, QPoint(5, 5), icon, mask);
  EXPECT_EQ(at(target, 6, 8), QColor(0, 255, 0));
  EXPECT_EQ(at(target, 12, 8), face);

  // A caption too long for the button is cut with an ellipsis inside it.
  const QImage longOne = PaintSkinButton(look(0, kLayoutCentred, QString(60, QChar(u'가'))));
  const QRect longInk = inkBounds(longOne, plain);
  EXPECT_LT(longInk.height(), metrics.height() + 2) << "one line, not wrapped";
  EXPECT_GT(longInk.width(), 200);
}

TEST(SkinPainter, XPButtonFramesAndGradient) {
  const QSize size(100, 30);
  const QColor dialog(236, 233, 216);
  const QRect inner(kXPEdge, kXPEdge, 96, 26);
  const XPFrame hover = XPHoverFrame(), focus = XPFocusFrame();
  EXPECT_EQ(hover.left, QColor(250, 196, 88));
  EXPECT_EQ(hover.bottom, QColor(229, 151, 0));
  EXPECT_EQ(focus.left, QColor(153, 198, 252));
  EXPECT_EQ(focus.right, QColor(162, 189, 252));
  EXPECT_EQ(XPGradientBand(63, true), QColor(240, 240, 234));
  EXPECT_EQ(XPGradientBand(63, false), QColor(240, 240, 243));

  struct Case {
    const char* name;
    bool hovered, focused, isDefault;
    std::optional<XPFrame> frame;
    bool gradient, emphasised;
  } cases[] = {
      {"at rest", false, false, false, std::nullopt, false, false},
      {"focused", false, true, false, focus, false, false},
      {"hovered", true, false, false, hover, true, false},
      {"hovered and focused", true, true, false, hover, true, true},
      {"hovered default button", true, false, true, hover, true, true},
  };
  for (const Case& c : cases) {
    XPButtonLook look;
    look.size = size;
    look.dialogBackground = dialog;
    look.hovered = c.hovered;
    look.focused = c.focused;
    look.isDefault = c.isDefault;
    const QImage picture = PaintXPButton(look);
    EXPECT_EQ(at(picture, 50, 0), QColor(Qt::black)) << c.name << ": outline";
    EXPECT_EQ(at(picture, 0, 15), QColor(Qt::black)) << c.name;
    EXPECT_EQ(at(picture, 99, 15), QColor(Qt::black)) << c.name;
    EXPECT_EQ(at(picture, 1, 15), dialog) << c.name << ": the edge between outline and inside";
    for (int r = 2; r < inner.height() - 2; ++r) {
      const QColor expected = c.gradient ? XPGradientBand(r * 63 / inner.height(), c.emphasised) : dialog;
      ASSERT_EQ(at(picture, 50, inner.top() + r), expected) << c.name << " row " << r;
    }
    if (c.frame) {
      EXPECT_EQ(at(picture, inner.left(), 15), c.frame->left) << c.name;
      EXPECT_EQ(at(picture, inner.left() + 2, 15), c.frame->left) << c.name << ": three pixels wide";
      EXPECT_EQ(at(picture, inner.right(), 15), c.frame->right) << c.name;
      EXPECT_EQ(at(picture, 50, inner.top() + 1), c.frame->top) << c.name << ": two pixels high";
      EXPECT_EQ(at(picture, 50, inner.bottom()), c.frame->bottom) << c.name;
      EXPECT_EQ(at(picture, inner.left() + 1, inner.top() + 1), c.gradient ? XPGradientBand(0, c.emphasised) : dialog)
          << c.name << ": the frame stops short of the corner";
    } else {
      EXPECT_EQ(at(picture, inner.left(), 15), dialog) << c.name;
    }
  }

  XPButtonLook captioned;
  captioned.size = size;
  captioned.dialogBackground = dialog;
  captioned.caption = "확인";
  captioned.font = XPButtonFont();
  XPButtonLook blank = captioned;
  blank.caption.clear();
  const QImage empty = PaintXPButton(blank);
  const QImage up = PaintXPButton(captioned);
  captioned.pressed = true;
  XPButtonLook pressedBlank = blank;
  pressedBlank.pressed = true;
  EXPECT_EQ(inkBounds(PaintXPButton(captioned), PaintXPButton(pressedBlank)), inkBounds(up, empty).translated(1, 1));
  EXPECT_NEAR(inkBounds(up, empty).center().x(), 50, 2);
  captioned.pressed = false;
  captioned.enabled = false;
  const QImage disabled = PaintXPButton(captioned);
  bool lighter = false, grey = false, black = false;
  for (int y = inner.top(); y <= inner.bottom(); ++y)
    for (int x = inner.left(); x <= inner.right(); ++x) {
      const QColor c = at(disabled, x, y);
      lighter |= c.red() > 240 && c.green() > 240 && c.blue() > 225;
      grey |= c.red() < 180 && std::abs(c.red() - c.green()) < 12;
      black |= c.red() < 60;
    }
  EXPECT_TRUE(lighter) << "embossed: a light copy";
  EXPECT_TRUE(grey) << "and the grey text";
  EXPECT_FALSE(black) << "never the enabled text colour";
  EXPECT_EQ(QFontInfo(XPButtonFont()).family(), "NanumGothic");
  EXPECT_EQ(XPButtonFont().pixelSize(), 12);
}

}  // namespace
