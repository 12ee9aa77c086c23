#pragma once
// Loads one picture file for the photo pages and draws it fitted into a
// rectangle. GIF files (by the text after the last ".") go through the shell's
// own CGifDecoder, every other file through Qt's image readers. The picture is
// kept at 24 bits per pixel.
//
// Given a bound, the picture is decoded only as large as it is drawn there
// (Qt's readers scale while decoding, so a 12-megapixel JPEG thumbnail never
// exists at full size). A loader has no window and no thread affinity: the
// pages run it on worker threads.
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include "shell/library/PictureFit.h"

class QPainter;

namespace lumi::library {

class CPictureLoader {
 public:
  // Files larger than this are not read (a GIF this big is not a picture).
  static constexpr qint64 kMaxFileSize = qint64(128) << 20;

  // Reads the picture at path; with a valid bound, decodes it at the size
  // FitPicture gives for that bound when that is smaller. On failure the
  // picture is empty and Error() says why.
  bool Load(const QString& path, QSize bound = QSize());
  void Free();

  // Format_RGB888, possibly already reduced to the bound's fitted size.
  const QImage& Picture() const { return picture_; }
  // The picture's size in the file, which the fit is computed from.
  QSize SourceSize() const { return sourceSize_; }
  const QString& Error() const { return error_; }

  // Fills target with black and draws the picture fitted into it, stretched
  // without smoothing. An empty picture leaves the target black.
  void Draw(QPainter& painter, const QRect& target) const;

 private:
  bool Fail(const QString& why);

  QImage picture_;
  QSize sourceSize_;
  QString error_;
};

}  // namespace lumi::library
