#pragma once
// The pictures of the skinned controls, painted into images without any
// window: the widgets only copy the result to the screen, and tests check
// the pixels.
//
// Colours and opacities follow the skin: the built-in design uses fixed
// colours and the bitmaps of "Resources.dll"; the user design blends the
// skin's colours at the skin's opacities over a background picture.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>
#include <optional>

#include "common/skin/SkinSettings.h"

class QPainter;

namespace lumi::skin {

// Fixed colours of the looks.
inline constexpr ColorRef kHighlightColour = Rgb(0, 65, 107);     // built-in box, both looks
inline constexpr ColorRef kBuiltInOutline = Rgb(0, 182, 255);     // built-in box outline
inline constexpr ColorRef kUserOutline = Rgb(16, 24, 16);         // user design outline
inline constexpr int kBuiltInNormalOpacity = 100;                 // built-in normal box

// A darker tone of the same hue: the smallest of red, green and blue taken
// from all three. Text shadows use it so they suit any background.
QColor ShadowTone(QRgb pixel);
// The shadow tone of one pixel of a composed picture; black for a point
// outside it.
QColor ShadowToneAt(const QImage& picture, QPoint point);

// Constant-alpha blending, source over destination, rounded to the nearest
// value: d = (s * a + d * (255 - a)) / 255. An opacity of 255 paints the
// colour as it is, 0 leaves the picture untouched. `image` must be RGB32 or
// ARGB32.
void BlendBox(QImage& image, const QRect& rect, QColor colour, int opacity);
// A 1-pixel outline on the border pixels of `rect`.
void OutlineBox(QImage& image, const QRect& rect, QColor colour);

// Text with its shadow: the shadow one pixel right and down, then the text.
void DrawShadowedText(QPainter& painter, const QRect& rect, int flags, const QString& text, QColor colour,
                      QColor shadow);

// The colours of the boxes that mark buttons and rows.
struct BoxStyle {
  bool userDesign = false;
  ColorRef colorNormal = Rgb(16, 24, 16);
  ColorRef colorFocus = Rgb(16, 158, 115);
  int transNormal = 100;
  int transFocus = 180;

  static BoxStyle FromSkin(const SkinSettings& skin);
  // From "Skin.ini" as it is now: the highlight painter follows the file
  // each time it runs, so a skin changed in the manager shows at once.
  static BoxStyle Current();
};

enum class HighlightLook { Normal, Focused };

// The highlight box: the button without bitmaps and the selected row of the
// list and menu views. Built-in design: focused fills opaquely with red 0,
// green 65, blue 107, normal blends that colour at 100; outline red 0, green
// 182, blue 255. User design: the skin's focus or normal colour at its
// opacity; outline red 16, green 24, blue 16. `normalOpacity` replaces the
// normal look's opacity where a view asks for its own.
void PaintHighlightBox(QImage& image, const QRect& rect, HighlightLook look, const BoxStyle& style,
                       std::optional<int> normalOpacity = std::nullopt);

// Draws an icon at `topLeft`: with a mask, as an icon and mask bitmap pair
// (picture AND mask, then OR icon: the mask is white where the picture shows
// through, the icon black there); without one, by the icon's own alpha.
void DrawMaskedIcon(QImage& image, QPoint topLeft, const QImage& icon, const QImage& mask);

// Everything a skinned push button's picture depends on.
struct SkinButtonLook {
  QSize size;
  int state = 0;  // 0 normal, 1 focused, 2 pressed

  // The part of the window's background picture under the button: the user
  // design paints its box over it, and bitmaps with transparent corners show
  // it there. A null picture counts as black.
  QImage parentBackground;
  QRect rectInParent;

  bool transparent = false;  // the user design's translucent box
  BoxStyle box;              // its colours; for the highlight box, the skin's

  // Built-in design: the state bitmaps, and the one used without them.
  QImage normal, focused, pressed, background;

  int layout = 0;  // 6: caption centred, icon before it; else left-aligned after the icon square
  QImage icon, iconMask;

  bool hasCaption = false;
  QString caption;
  QFont font;
  QColor textColour = Qt::white;
  bool offsetWhenPressed = true;
};

inline constexpr int kLayoutCentred = 6;
// Where the shadow tone of a caption is sampled in the composed picture.
inline constexpr QPoint kCaptionShadowSample{11, 22};

// The composed picture of a button (RGB32, `look.size`).
QImage PaintSkinButton(const SkinButtonLook& look);

// A caption wider than the room it has is drawn in a smaller size of its
// font, one pixel at a time down to kSmallestCaptionPixels, so that the
// large sizes the skin allows never cut a caption ("전원끄기" at 40 pixels on
// a 120-pixel button). Only what still does not fit then ends in an ellipsis.
inline constexpr int kSmallestCaptionPixels = 10;
QFont FitCaptionFont(const QFont& font, const QString& caption, int room);

// The rounded push button of the player's and manager's dialogs.
struct XPButtonLook {
  QSize size;
  QColor dialogBackground = QColor(240, 240, 240);
  bool hovered = false;
  bool focused = false;
  bool pressed = false;    // held down
  bool isDefault = false;  // the dialog's default button
  bool enabled = true;
  QString caption;
  QFont font;              // normally XPButtonFont()
  QColor textColour = Qt::black;
};

// The caption font of CXPButton: "굴림" at 12 pixels.
QFont XPButtonFont();
// The system's edge size by which the inner area is inset.
inline constexpr int kXPEdge = 2;

QImage PaintXPButton(const XPButtonLook& look);

// The colours of the frame lines, left, top, right, bottom.
struct XPFrame {
  QColor left, top, right, bottom;
};
XPFrame XPHoverFrame();
XPFrame XPFocusFrame();
// The colour of band `i` (0-63) of the hover gradient.
QColor XPGradientBand(int band, bool emphasised);

}  // namespace lumi::skin
