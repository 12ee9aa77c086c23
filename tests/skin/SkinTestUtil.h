#pragma once
// Shared pieces of the skin tests: a data directory in a private registry,
// the built Resources.dll, and small picture helpers.
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRect>
#include <QString>
#include <cmath>
#include <ostream>

#include "common/resources/ResourceLibrary.h"
#include "common/skin/ClientPath.h"
#include "platform/registry/Registry.h"
#include "tests/support/TestPaths.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QColor& c, std::ostream* os) {
  *os << "rgb(" << c.red() << ", " << c.green() << ", " << c.blue() << ")";
}
QT_END_NAMESPACE

namespace lumi::skintest {

// A private registry whose "Path" names a fresh data directory.
struct DataDirectory {
  DataDirectory() {
    QDir().mkpath(folder());
    registry::Key::create(registry::Root::CurrentUser, QString::fromLatin1(skin::kClientKeyPath))
        .writeString("Path", folder() + "/");
  }
  QString folder() const { return env.file("suite"); }
  QString file(const QString& name) const { return folder() + "/" + name; }
  void write(const QString& name, const QByteArray& bytes) const {
    QFile f(file(name));
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
  }
  QByteArray read(const QString& name) const {
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  test::PrivateEnvironment env;
};

// The Resources.dll this build made, loaded once for the whole test program.
inline const resources::ResourceLibrary& builtResources() {
  static resources::ResourceLibrary* library = [] {
    auto* lib = new resources::ResourceLibrary;
    lib->load(test::programDir());
    return lib;
  }();
  return *library;
}

inline QImage solid(QSize size, QColor colour) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

inline QColor at(const QImage& image, int x, int y) { return QColor(image.pixel(x, y)); }

// Constant-alpha blending computed exactly and rounded once.
inline QColor blended(QColor source, QColor destination, int opacity) {
  auto mix = [&](int s, int d) { return int(std::lround((s * opacity + d * (255.0 - opacity)) / 255.0)); };
  return QColor(mix(source.red(), destination.red()), mix(source.green(), destination.green()),
                mix(source.blue(), destination.blue()));
}

// The bounding box of the pixels that differ from `plain`.
inline QRect inkBounds(const QImage& image, const QImage& plain) {
  QRect box;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) != plain.pixel(x, y)) box |= QRect(x, y, 1, 1);
  return box;
}

inline bool contains(const QImage& image, QColor colour) {
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (QColor(image.pixel(x, y)) == colour) return true;
  return false;
}

}  // namespace lumi::skintest
