#include "common/skin/BackgroundPicture.h"

#include <QImageReader>

#include "common/resources/BitmapSource.h"

namespace lumi::skin {

QImage LoadStretchedPicture(const QString& path, QSize size) {
  if (path.isEmpty()) {
    qWarning("skin: no background picture is named");
    return {};
  }
  QImageReader reader(path);
  reader.setAutoTransform(true);
  QImage picture = reader.read();
  if (picture.isNull()) {
    qWarning("skin: background picture %s cannot be read: %s", qPrintable(path), qPrintable(reader.errorString()));
    return {};
  }
  return picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).convertToFormat(QImage::Format_RGB32);
}

QImage LoadWindowBackground(const SkinSettings& skin, int builtInId, const resources::BitmapSource* source) {
  if (skin.IsUserDesign()) return LoadStretchedPicture(skin.BackgroundImage());
  if (!source) source = resources::currentBitmapSource();
  if (!source) {
    qWarning("skin: no bitmap source for background bitmap %d", builtInId);
    return {};
  }
  QImage bitmap = source->bitmap(builtInId);
  if (bitmap.isNull()) return {};
  if (bitmap.size() != kScreenSize) bitmap = bitmap.scaled(kScreenSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  return bitmap.convertToFormat(QImage::Format_RGB32);
}

}  // namespace lumi::skin
