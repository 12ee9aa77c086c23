#include "common/skin/SkinSettings.h"

#include <algorithm>

#include "common/skin/ClientPath.h"
#include "common/skin/ProfileFile.h"

namespace lumi::skin {

namespace {

constexpr char kMain[] = "MAIN";
constexpr char kButton[] = "BUTTON";
constexpr char kFont[] = "FONT";

// A file full of garbage would otherwise print a warning for every line.
constexpr int kMaxLineWarnings = 5;

}  // namespace

const QString SkinSettings::kDefaultFontName = QStringLiteral("굴림");

QColor ToQColor(ColorRef c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

ColorRef FromQColor(const QColor& colour) {
  const QColor rgb = colour.toRgb();
  return Rgb(rgb.red(), rgb.green(), rgb.blue());
}

QString SkinFilePath() { return ClientFile(QLatin1String(kSkinFileName)); }

SkinSettings::SkinSettings() : SkinSettings(SkinFilePath()) {}

SkinSettings::SkinSettings(const QString& file)
    : file_(file), defaultBackground_(ClientFile(QLatin1String(kDefaultBackgroundName))) {
  resetToDefaults();
}

void SkinSettings::resetToDefaults() {
  change_ = kDefaultChange;
  backgroundImage_ = defaultBackground_;
  weight_ = kDefaultWeight;
  fontSize_ = kDefaultFontSize;
  fontColor_ = kDefaultFontColor;
  fontName_ = kDefaultFontName;
  transNormal_ = kDefaultTransNormal;
  transFocus_ = kDefaultTransFocus;
  colorNormal_ = kDefaultColorNormal;
  colorFocus_ = kDefaultColorFocus;
}

bool SkinSettings::Load() { return LoadFrom(file_); }

bool SkinSettings::LoadFrom(const QString& file) {
  resetToDefaults();
  problems_.clear();
  const ProfileSnapshot snapshot = ProfileFile::read(file);
  auto warn = [&](const QString& text) {
    problems_.append(text);
    qWarning("skin: %s: %s", qPrintable(file), qPrintable(text));
  };
  if (snapshot.status == ProfileSnapshot::Status::Missing) return true;
  if (snapshot.status == ProfileSnapshot::Status::Unreadable) {
    warn(QStringLiteral("cannot be read (%1); using the default skin").arg(snapshot.problems.join(QStringLiteral("; "))));
    return false;
  }
  for (int i = 0; i < snapshot.problems.size() && i < kMaxLineWarnings; ++i) warn(snapshot.problems[i] + ", ignored");
  if (snapshot.problems.size() > kMaxLineWarnings)
    warn(QStringLiteral("%1 more lines that are not keys or sections, ignored")
             .arg(snapshot.problems.size() - kMaxLineWarnings));

  const ProfileDocument& doc = snapshot.document;
  auto text = [&](const char* section, const char* key, QString& field) {
    const std::optional<QString> value = doc.value(QString::fromLatin1(section), QString::fromLatin1(key));
    if (value && !value->isEmpty()) field = *value;
  };
  // A number within [low, high]; anything else keeps the default, with a
  // warning that names the key and what it held.
  auto number = [&](const char* section, const char* key, auto& field, qint64 low, qint64 high) {
    const std::optional<QString> value = doc.value(QString::fromLatin1(section), QString::fromLatin1(key));
    if (!value) return;
    const ProfileNumber n = parseProfileNumber(*value);
    const qint64 v = std::is_same_v<std::decay_t<decltype(field)>, ColorRef> ? qint64(quint32(n.value)) : n.value;
    const QString where = QStringLiteral("[%1] \"%2\" is \"%3\"").arg(QLatin1String(section), QLatin1String(key), *value);
    if (n.kind == ProfileNumber::Kind::None || n.kind == ProfileNumber::Kind::Overflow) {
      warn(where + QStringLiteral(", not a number; using %1").arg(field));
      return;
    }
    if (v < low || v > high) {
      warn(where + QStringLiteral(", outside %1..%2; using %3").arg(low).arg(high).arg(field));
      return;
    }
    if (n.kind == ProfileNumber::Kind::Prefix) warn(where + QStringLiteral("; reading it as %1").arg(v));
    field = static_cast<std::decay_t<decltype(field)>>(v);
  };

  number(kMain, "Change", change_, INT32_MIN, INT32_MAX);
  text(kMain, "BackgroundImage", backgroundImage_);
  number(kFont, "Weight", weight_, 0, 1000);
  number(kFont, "FontSize", fontSize_, 1, 600);
  number(kFont, "Color", fontColor_, 0, 0xFFFFFF);
  text(kFont, "FontName", fontName_);
  number(kButton, "Trans Normal", transNormal_, 0, 255);
  number(kButton, "Trans Focus", transFocus_, 0, 255);
  number(kButton, "Color Normal", colorNormal_, 0, 0xFFFFFF);
  number(kButton, "Color Focus", colorFocus_, 0, 0xFFFFFF);
  return true;
}

bool SkinSettings::write(const char* section, const char* key, const QString& value) {
  return ProfileFile::writeString(file_, QLatin1String(section), QLatin1String(key), value);
}

bool SkinSettings::SetChange(int change) {
  change_ = change;
  return write(kMain, "Change", QString::number(change));
}

bool SkinSettings::SetBackgroundImage(const QString& path) {
  backgroundImage_ = path.isEmpty() ? defaultBackground_ : path;
  return write(kMain, "BackgroundImage", path);
}

bool SkinSettings::SetWeight(int weight) {
  weight_ = weight;
  return write(kFont, "Weight", QString::number(weight));
}

bool SkinSettings::SetFontSize(int size) {
  fontSize_ = size;
  return write(kFont, "FontSize", QString::number(size));
}

bool SkinSettings::SetFontColor(ColorRef colour) {
  fontColor_ = colour & 0xFFFFFF;
  return write(kFont, "Color", QString::number(int(fontColor_)));
}

bool SkinSettings::SetFontName(const QString& name) {
  fontName_ = name.isEmpty() ? kDefaultFontName : name;
  return write(kFont, "FontName", name);
}

bool SkinSettings::SetTransNormal(int opacity) {
  transNormal_ = std::clamp(opacity, 0, 255);
  return write(kButton, "Trans Normal", QString::number(transNormal_));
}

bool SkinSettings::SetTransFocus(int opacity) {
  transFocus_ = std::clamp(opacity, 0, 255);
  return write(kButton, "Trans Focus", QString::number(transFocus_));
}

bool SkinSettings::SetColorNormal(ColorRef colour) {
  colorNormal_ = colour & 0xFFFFFF;
  return write(kButton, "Color Normal", QString::number(int(colorNormal_)));
}

bool SkinSettings::SetColorFocus(ColorRef colour) {
  colorFocus_ = colour & 0xFFFFFF;
  return write(kButton, "Color Focus", QString::number(int(colorFocus_)));
}

}  // namespace lumi::skin
