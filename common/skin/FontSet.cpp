#include "common/skin/FontSet.h"

#include <QFontDatabase>

#include "platform/text/FaceSubstitutes.h"

namespace lumi::skin {

namespace {

// After the face itself: a face with Hangul, then one with wide Latin cover.
const QStringList kFallbacks = {QString::fromUtf8(text::kFallbackFaces[0]), QString::fromUtf8(text::kFallbackFaces[1])};

}  // namespace

QStringList SubstitutesFor(const QString& face) {
  for (const text::FaceSubstitute& s : text::kFaceSubstitutes) {
    if (face.compare(QString::fromUtf8(s.face), Qt::CaseInsensitive) != 0) continue;
    QStringList list{QString::fromUtf8(s.installed)};
    for (const QString& f : kFallbacks)
      if (!list.contains(f)) list.append(f);
    return list;
  }
  return {};
}

void InstallFontSubstitutions() {
  static const bool installed = [] {
    for (const text::FaceSubstitute& s : text::kFaceSubstitutes) {
      const QString face = QString::fromUtf8(s.face);
      // A machine that really has the face keeps it.
      if (QFontDatabase::hasFamily(face)) continue;
      QStringList usable;
      for (const QString& candidate : SubstitutesFor(face))
        if (QFontDatabase::hasFamily(candidate)) usable.append(candidate);
      if (usable.isEmpty()) {
        qWarning("skin: none of %s is installed to stand in for the font \"%s\"",
                 qPrintable(SubstitutesFor(face).join(QStringLiteral(", "))), s.face);
        continue;
      }
      QFont::insertSubstitutions(face, usable);
    }
    return true;
  }();
  (void)installed;
}

QFont SuiteFont(const QString& face, int pixelHeight, int weight, bool italic) {
  InstallFontSubstitutions();
  QFont font;
  // Naming the fallbacks as well keeps Hangul rendering for a face of the
  // user's choice that has no Hangul (a Latin font picked in the manager).
  QStringList families{face};
  for (const QString& f : SubstitutesFor(face)) families.append(f);
  for (const QString& f : kFallbacks)
    if (!families.contains(f)) families.append(f);
  font.setFamilies(families);
  font.setPixelSize(std::max(1, pixelHeight));
  font.setWeight(static_cast<QFont::Weight>(weight <= 0 ? 400 : std::min(weight, 1000)));
  font.setItalic(italic);
  font.setStretch(QFont::Unstretched);
  font.setStyleStrategy(QFont::PreferAntialias);
  return font;
}

FontSet::FontSet() {
  skin_.Load();
  InstallFontSubstitutions();
}

FontSet::FontSet(const SkinSettings& skin) : skin_(skin) { InstallFontSubstitutions(); }

const QFont& FontSet::Title() {
  if (!title_) title_ = SuiteFont(skin_.FontName(), 60, 600);
  return *title_;
}

const QFont& FontSet::MainTitle() {
  // On Windows this one asks for character set 3; Qt fonts have no character
  // sets, so it is the title font again.
  if (!mainTitle_) mainTitle_ = SuiteFont(skin_.FontName(), 60, 600);
  return *mainTitle_;
}

const QFont& FontSet::Bold() {
  if (!bold_) bold_ = SuiteFont(skin_.FontName(), 35, 700);
  return *bold_;
}

const QFont& FontSet::Status() {
  if (!status_) status_ = SuiteFont(skin_.FontName(), 30, 500);
  return *status_;
}

const QFont& FontSet::Button() {
  if (!button_) button_ = SuiteFont(skin_.FontName(), skin_.FontSize(), skin_.Weight());
  return *button_;
}

const QFont& FontSet::List() {
  if (!list_) {
    QFont font = SuiteFont(skin_.FontName(), 30, 500);
    font.setStyleHint(QFont::SansSerif, QFont::PreferAntialias);
    list_ = font;
  }
  return *list_;
}

const QFont& FontSet::Slogan() {
  if (!slogan_) slogan_ = SuiteFont(QStringLiteral("굴림"), 26, 400, true);
  return *slogan_;
}

}  // namespace lumi::skin
