#include "manager/window/SkinPageModel.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace lumi::manager {

namespace {
constexpr char kPackageSuffix[] = ".lcs";
}  // namespace

SkinPageModel::SkinPageModel(std::function<void()> restartShell) : restartShell_(std::move(restartShell)) {
  reload();
}

void SkinPageModel::take(const skin::SkinSettings& s) {
  values_.backgroundImage = s.BackgroundImage();
  values_.colorNormal = s.ColorNormal();
  values_.colorFocus = s.ColorFocus();
  values_.fontColor = s.FontColor();
  values_.transNormal = s.TransNormal();
  values_.transFocus = s.TransFocus();
  values_.fontName = s.FontName();
  // The size control cannot show more; Apply then writes what it shows.
  values_.fontSize = std::clamp(s.FontSize(), kMinFontSize, kMaxFontSize);
  values_.bold = s.Weight() == kBoldWeight;
}

void SkinPageModel::reload() {
  settings_ = skin::SkinSettings();
  settings_.Load();
  values_.userDesign = settings_.IsUserDesign();
  take(settings_);
}

void SkinPageModel::setUserDesign(bool on) {
  values_.userDesign = on;
  settings_.SetChange(on ? 1 : 0);
}

void SkinPageModel::setBackgroundImage(const QString& path) {
  values_.backgroundImage = path;
  settings_.SetBackgroundImage(path);
}

void SkinPageModel::setColorNormal(skin::ColorRef colour) {
  settings_.SetColorNormal(colour);
  values_.colorNormal = settings_.ColorNormal();
}

void SkinPageModel::setColorFocus(skin::ColorRef colour) {
  settings_.SetColorFocus(colour);
  values_.colorFocus = settings_.ColorFocus();
}

void SkinPageModel::setFontColor(skin::ColorRef colour) {
  settings_.SetFontColor(colour);
  values_.fontColor = settings_.FontColor();
}

void SkinPageModel::setTransNormal(int opacity) {
  settings_.SetTransNormal(opacity);
  values_.transNormal = settings_.TransNormal();
}

void SkinPageModel::setTransFocus(int opacity) {
  settings_.SetTransFocus(opacity);
  values_.transFocus = settings_.TransFocus();
}

void SkinPageModel::setFontName(const QString& name) { values_.fontName = name; }
void SkinPageModel::setFontSize(int size) { values_.fontSize = std::clamp(size, kMinFontSize, kMaxFontSize); }
void SkinPageModel::setBold(bool bold) { values_.bold = bold; }

void SkinPageModel::apply() {
  settings_.SetBackgroundImage(values_.backgroundImage);
  settings_.SetColorNormal(values_.colorNormal);
  settings_.SetColorFocus(values_.colorFocus);
  settings_.SetTransNormal(values_.transNormal);
  settings_.SetTransFocus(values_.transFocus);
  settings_.SetFontName(values_.fontName);
  settings_.SetFontSize(values_.fontSize);
  settings_.SetFontColor(values_.fontColor);
  settings_.SetWeight(values_.bold ? kBoldWeight : kNormalWeight);
  if (restartShell_) restartShell_();
}

void SkinPageModel::defaults() {
  const QString file = skin::SkinFilePath();
  if (QFileInfo::exists(file)) QFile::remove(file);
  reload();
}

QString SkinPageModel::PackageName(const QString& chosen) {
  // "mythemelcs" is not a package name: only the whole extension counts.
  if (chosen.endsWith(QLatin1String(kPackageSuffix), Qt::CaseInsensitive)) return chosen;
  return chosen + QLatin1String(kPackageSuffix);
}

bool SkinPageModel::savePackage(const QString& chosen) {
  if (chosen.isEmpty()) return false;
  const QString target = PackageName(chosen);
  const QFileInfo targetInfo(target);
  // A read-only package stays as it is even where its folder would let a
  // rename replace it, and for an administrator, whom no mode bit stops.
  if (targetInfo.exists() && (!targetInfo.isWritable() || !(targetInfo.permissions() & QFileDevice::WriteOwner)))
    return false;

  QFile source(skin::SkinFilePath());
  QByteArray bytes;
  const bool hasSource = source.exists();
  if (hasSource) {
    if (!source.open(QIODevice::ReadOnly)) return false;
    bytes = source.readAll();
  }
  // Written beside the target and renamed over it, so that a failed save
  // never leaves half a package or loses the old one.
  QSaveFile out(target);
  if (!out.open(QIODevice::WriteOnly)) return false;
  out.write(bytes);
  if (!out.commit()) return false;
  if (!hasSource) {
    // No "Skin.ini" yet: the package still has to hold what the page shows
    // (the defaults), or loading it later would be a copy of nothing.
    skin::SkinSettings package(target);
    package.SetChange(values_.userDesign ? 1 : 0);
    package.SetBackgroundImage(values_.backgroundImage);
    package.SetColorNormal(values_.colorNormal);
    package.SetColorFocus(values_.colorFocus);
    package.SetTransNormal(values_.transNormal);
    package.SetTransFocus(values_.transFocus);
    package.SetFontName(values_.fontName);
    package.SetFontSize(values_.fontSize);
    package.SetFontColor(values_.fontColor);
    package.SetWeight(values_.bold ? kBoldWeight : kNormalWeight);
  }
  return true;
}

bool SkinPageModel::loadPackage(const QString& file) {
  if (!QFileInfo(file).isFile()) return false;
  skin::SkinSettings package;
  if (!package.LoadFrom(file)) return false;
  take(package);
  apply();
  return true;
}

}  // namespace lumi::manager
