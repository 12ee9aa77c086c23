#pragma once
// The fonts a shell window draws with, and the font names of the suite.
//
// The suite names Windows faces ("굴림", "HY울릉도M", "HY견고딕", "Arial").
// InstallFontSubstitutions() maps them to installed faces through Qt's font
// substitution, ending every list in a Korean face, so that a suite font
// name always gives a face that has Hangul.
#include <QFont>
#include <QString>
#include <QStringList>
#include <optional>

#include "common/skin/SkinSettings.h"

namespace lumi::skin {

// Idempotent; FontSet and the buttons call it, programs may call it early.
void InstallFontSubstitutions();
// The installed faces that stand in for a suite face, best first (empty for
// a face the suite does not name).
QStringList SubstitutesFor(const QString& face);

// A font as the suite creates one: face, height in pixels (the character
// height), weight on the 1-1000 scale (0 means normal), anti-aliased.
QFont SuiteFont(const QString& face, int pixelHeight, int weight, bool italic = false);

class FontSet {
 public:
  // With a fresh copy of the skin ("Skin.ini" as it is now).
  FontSet();
  // With a given skin; the set keeps its own copy.
  explicit FontSet(const SkinSettings& skin);

  // Each font is created on first use and kept as long as the set.
  const QFont& Title();      // 60 px, 600, skin face: window titles
  const QFont& MainTitle();  // 60 px, 600, skin face: the main window's title
  const QFont& Bold();       // 35 px, 700, skin face: music and photo screen texts
  const QFont& Status();     // 30 px, 500, skin face: "♬재생중", media-library texts
  const QFont& Button();     // skin size and weight, skin face: skinned buttons, message lines
  const QFont& List();       // 30 px, 500, skin face, sans serif: list entries
  const QFont& Slogan();     // 26 px, 400, italic, "굴림": the built-in design's slogans

  const SkinSettings& Skin() const { return skin_; }

 private:
  SkinSettings skin_;
  std::optional<QFont> title_, mainTitle_, bold_, status_, button_, list_, slogan_;
};

}  // namespace lumi::skin
