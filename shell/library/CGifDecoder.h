#pragma once
// The shell's own GIF decoder: the first image of a file, 24 bits per pixel.
//
// The picture has the file's logical screen size (the image's own size when
// the screen size is zero); the first image is placed at its offset and
// clipped to the screen, the rest keeps the background colour. Global and
// local colour tables and interlaced images are read. When the image's
// graphic control block has disposal method 2 or 3 and names a transparent
// colour, every pixel whose palette colour equals that colour is written as
// the key colour red 254, green 2, blue 127, which the pages draw through.
//
// Data that ends early gives the part decoded so far (Partial); data that is
// not a GIF, or is hostile (sizes past the pixel limit, bad LZW codes, no
// image), gives Failed with a reason and no picture. Work and memory are
// bounded by the input's length and the pixel limit.
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace lumi::library {

inline constexpr QRgb kGifKeyColour = 0xFFFE027F;  // red 254, green 2, blue 127

class CGifDecoder {
 public:
  enum class Status { Failed, Partial, Complete };

  // Pictures larger than this many pixels are refused before any allocation
  // (32 Mi pixels, 96 MiB at 24 bits).
  static constexpr qint64 kDefaultPixelLimit = qint64(1) << 25;

  explicit CGifDecoder(qint64 pixelLimit = kDefaultPixelLimit);

  // With a valid fitInto, a picture larger than its fit there (FitPicture)
  // comes out at that fitted size, sampled to the nearest pixel while
  // decoding, so the whole picture never exists in memory.
  Status Decode(const QByteArray& data, QSize fitInto = QSize());

  Status status() const { return status_; }
  // Format_RGB888; null when Failed.
  const QImage& Picture() const { return picture_; }
  // The picture's size in the file (screen, or image extent); empty when Failed.
  QSize SourceSize() const { return sourceSize_; }
  // Why decoding failed or stopped early; empty when Complete.
  const QString& Error() const { return error_; }

 private:
  Status Fail(const QString& why);

  qint64 pixelLimit_;
  Status status_ = Status::Failed;
  QImage picture_;
  QSize sourceSize_;
  QString error_;
};

}  // namespace lumi::library
