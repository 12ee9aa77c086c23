#pragma once
// The skin file "Skin.ini" and the settings object over it. The file chooses
// between the two looks of the suite (the built-in design from
// "Resources.dll", or the user design: a picture of the user's choice with
// translucent coloured button boxes) and holds the user design's colours,
// opacities and font. The shell writes only "BackgroundImage" and "Change";
// the manager writes every key.
//
//   [MAIN]    BackgroundImage (path), Change (0 built-in, 1 user design)
//   [BUTTON]  Trans Normal, Trans Focus (0-255), Color Normal, Color Focus
//   [FONT]    FontName, FontSize (pixels), Weight, Color
//
// Numbers are decimal ("%d"); colours are 0x00BBGGRR written as a decimal
// number.
#include <QColor>
#include <QString>
#include <QStringList>

namespace lumi::skin {

// A colour as the file holds it: 0x00BBGGRR, red in the low byte.
using ColorRef = quint32;
constexpr ColorRef Rgb(int r, int g, int b) {
  return quint32(r & 0xFF) | (quint32(g & 0xFF) << 8) | (quint32(b & 0xFF) << 16);
}
QColor ToQColor(ColorRef colour);
ColorRef FromQColor(const QColor& colour);

inline constexpr char kSkinFileName[] = "Skin.ini";
inline constexpr char kDefaultBackgroundName[] = "back.jpg";

// The suite's "Skin.ini": the data directory followed directly by the name.
QString SkinFilePath();

class SkinSettings {
 public:
  static constexpr int kDefaultChange = 0;
  static constexpr int kDefaultWeight = 400;
  static constexpr int kDefaultFontSize = 30;
  static constexpr ColorRef kDefaultFontColor = 16777215;    // white
  static constexpr int kDefaultTransNormal = 100;
  static constexpr int kDefaultTransFocus = 180;
  static constexpr ColorRef kDefaultColorNormal = 14340555;  // red 203, green 209, blue 218
  static constexpr ColorRef kDefaultColorFocus = 15196851;   // red 179, green 226, blue 231
  static const QString kDefaultFontName;                     // "굴림"

  // The defaults, for the suite's "Skin.ini"; the default background is the
  // data directory's "back.jpg" as "Path" says at this moment.
  SkinSettings();
  // The defaults, for another file (a skin package): setters write there.
  explicit SkinSettings(const QString& file);

  // Reads every key of File(); a missing file, key or value, or one that is
  // not a valid value for its key (with a warning), keeps the default. False
  // only when the file exists but cannot be read.
  bool Load();
  // The same from any file with the layout of "Skin.ini" (a ".lcs" package).
  // Setters still write to File().
  bool LoadFrom(const QString& file);

  // The fields, in the order the suite keeps them.
  int Change() const { return change_; }
  QString BackgroundImage() const { return backgroundImage_; }
  int Weight() const { return weight_; }
  int FontSize() const { return fontSize_; }
  ColorRef FontColor() const { return fontColor_; }
  QString FontName() const { return fontName_; }
  int TransNormal() const { return transNormal_; }
  int TransFocus() const { return transFocus_; }
  ColorRef ColorNormal() const { return colorNormal_; }
  ColorRef ColorFocus() const { return colorFocus_; }

  bool IsUserDesign() const { return change_ == 1; }

  // Each setter writes its one key to File() at once and updates the field.
  // They answer whether the file was written; the field changes either way,
  // so that this run shows what the user chose. Opacities are kept to 0-255
  // and colours to 24 bits.
  bool SetChange(int change);
  bool SetBackgroundImage(const QString& path);  // empty: the default picture
  bool SetWeight(int weight);
  bool SetFontSize(int size);
  bool SetFontColor(ColorRef colour);
  bool SetFontName(const QString& name);
  bool SetTransNormal(int opacity);
  bool SetTransFocus(int opacity);
  bool SetColorNormal(ColorRef colour);
  bool SetColorFocus(ColorRef colour);

  QString File() const { return file_; }
  QString DefaultBackgroundImage() const { return defaultBackground_; }
  // What the last load found wrong (also given as warnings).
  QStringList LoadProblems() const { return problems_; }

 private:
  void resetToDefaults();
  bool write(const char* section, const char* key, const QString& value);

  QString file_;
  QString defaultBackground_;
  QStringList problems_;

  int change_ = kDefaultChange;
  QString backgroundImage_;
  int weight_ = kDefaultWeight;
  int fontSize_ = kDefaultFontSize;
  ColorRef fontColor_ = kDefaultFontColor;
  QString fontName_;
  int transNormal_ = kDefaultTransNormal;
  int transFocus_ = kDefaultTransFocus;
  ColorRef colorNormal_ = kDefaultColorNormal;
  ColorRef colorFocus_ = kDefaultColorFocus;
};

}  // namespace lumi::skin
