#pragma once
// Shared pieces of the dialog tests: a private registry and data folder (so
// the skin is the default one), and picture helpers.
#include <QColor>
#include <QDir>
#include <QImage>
#include <QRect>
#include <ostream>

#include "common/skin/ClientPath.h"
#include "platform/registry/Registry.h"
#include "tests/support/TestPaths.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QColor& c, std::ostream* os) {
  *os << "rgb(" << c.red() << ", " << c.green() << ", " << c.blue() << ")";
}
inline void PrintTo(const QPoint& p, std::ostream* os) { *os << "(" << p.x() << ", " << p.y() << ")"; }
inline void PrintTo(const QRect& r, std::ostream* os) {
  *os << "(" << r.x() << ", " << r.y() << " " << r.width() << "x" << r.height() << ")";
}
QT_END_NAMESPACE

namespace lumi::dialogtest {

// A private registry whose "Path" names an empty data folder: no Skin.ini,
// so the built-in design and the default button font.
struct PrivateSkin {
  PrivateSkin() {
    QDir().mkpath(env.file("suite"));
    registry::Key::create(registry::Root::CurrentUser, QString::fromLatin1(skin::kClientKeyPath))
        .writeString("Path", env.file("suite") + "/");
  }
  test::PrivateEnvironment env;
};

// The bounding box, within `area`, of the pixels that differ from `plain`.
inline QRect inkBounds(const QImage& image, const QImage& plain, const QRect& area) {
  QRect box;
  const QRect within = area.intersected(image.rect());
  for (int y = within.top(); y <= within.bottom(); ++y)
    for (int x = within.left(); x <= within.right(); ++x)
      if (image.pixel(x, y) != plain.pixel(x, y)) box |= QRect(x, y, 1, 1);
  return box;
}

inline int count(const QImage& image, const QRect& area, QColor colour) {
  int n = 0;
  const QRect within = area.intersected(image.rect());
  for (int y = within.top(); y <= within.bottom(); ++y)
    for (int x = within.left(); x <= within.right(); ++x)
      if (QColor(image.pixel(x, y)) == colour) ++n;
  return n;
}

}  // namespace lumi::dialogtest
