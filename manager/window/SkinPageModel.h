#pragma once
// The values of the skin page without any window, so that every rule of the
// page can be tested without widgets. The page state follows "Skin.ini" of
// the data directory (SkinFilePath()); what the user changes only in the
// controls (font name, size, bold) reaches the file at Apply.
#include <QString>
#include <functional>

#include "common/skin/SkinSettings.h"

namespace lumi::manager {

struct SkinPageValues {
  bool userDesign = false;
  QString backgroundImage;
  skin::ColorRef colorNormal = 0;
  skin::ColorRef colorFocus = 0;
  skin::ColorRef fontColor = 0;
  int transNormal = 0;
  int transFocus = 0;
  QString fontName;
  int fontSize = 0;
  bool bold = false;
};

class SkinPageModel {
 public:
  static constexpr int kMinFontSize = 10;
  static constexpr int kMaxFontSize = 50;
  static constexpr int kBoldWeight = 700;
  static constexpr int kNormalWeight = 400;

  // `restartShell` runs after every Apply: the shell reads the skin only at
  // its start.
  explicit SkinPageModel(std::function<void()> restartShell);

  // Re-reads the current "Skin.ini" (the data directory may have moved).
  void reload();
  const SkinPageValues& values() const { return values_; }

  // Written at once.
  void setUserDesign(bool on);
  void setBackgroundImage(const QString& path);
  void setColorNormal(skin::ColorRef colour);
  void setColorFocus(skin::ColorRef colour);
  void setFontColor(skin::ColorRef colour);
  void setTransNormal(int opacity);
  void setTransFocus(int opacity);
  // Kept in the page until Apply.
  void setFontName(const QString& name);
  void setFontSize(int size);
  void setBold(bool bold);

  // Writes every key of the user design, then restarts the shell.
  void apply();
  // Deletes "Skin.ini" and shows the defaults.
  void defaults();

  // The chosen name with ".lcs" appended unless it already ends so.
  static QString PackageName(const QString& chosen);
  // Copies "Skin.ini" to PackageName(chosen), replacing an existing package
  // in one step. False (and no change) when the target cannot be written.
  bool savePackage(const QString& chosen);
  // Takes the package's design (keys it lacks take the defaults), then
  // Apply. A package that is missing or unreadable changes nothing and does
  // not restart the shell: there is nothing new to show.
  bool loadPackage(const QString& file);

 private:
  void take(const skin::SkinSettings& settings);

  std::function<void()> restartShell_;
  skin::SkinSettings settings_;
  SkinPageValues values_;
};

}  // namespace lumi::manager
