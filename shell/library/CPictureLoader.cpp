#include "shell/library/CPictureLoader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QImageReader>
#include <QPainter>

#include "shell/library/CGifDecoder.h"

namespace lumi::library {
namespace {

bool IsGifName(const QString& path) {
  const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
  return dot >= 0 && path.mid(dot + 1).compare(QLatin1String("GIF"), Qt::CaseInsensitive) == 0;
}

}  // namespace

bool CPictureLoader::Fail(const QString& why) {
  picture_ = QImage();
  sourceSize_ = QSize();
  error_ = why;
  return false;
}

void CPictureLoader::Free() {
  picture_ = QImage();
  sourceSize_ = QSize();
  error_.clear();
}

bool CPictureLoader::Load(const QString& path, QSize bound) {
  Free();
  // Opened without blocking and checked to be a regular file: a FIFO or a
  // link to a device named like a picture must not stall or flood the reader.
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return Fail(QStringLiteral("cannot open %1").arg(path));
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return Fail(QStringLiteral("%1 is not a regular file").arg(path));
  }
  if (st.st_size > kMaxFileSize) {
    ::close(fd);
    return Fail(QStringLiteral("%1 is too large").arg(path));
  }
  QFile file;
  if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    return Fail(QStringLiteral("cannot open %1").arg(path));
  }

  if (IsGifName(path)) {
    CGifDecoder gif;
    if (gif.Decode(file.readAll(), bound) == CGifDecoder::Status::Failed) return Fail(gif.Error());
    sourceSize_ = gif.SourceSize();
    picture_ = gif.Picture();
    return true;
  }

  QImageReader reader(&file);
  reader.setAllocationLimit(256);  // MiB; the default, stated because the pages rely on it
  const QSize size = reader.size();
  if (bound.isValid() && size.isValid()) {
    const QSize fitted = FitPicture(bound, size).size();
    if (fitted.width() < size.width()) reader.setScaledSize(fitted.expandedTo(QSize(1, 1)));
  }
  QImage image = reader.read();
  if (image.isNull()) return Fail(QStringLiteral("%1: %2").arg(path, reader.errorString()));
  sourceSize_ = size.isValid() ? size : image.size();
  picture_ = image.convertToFormat(QImage::Format_RGB888);
  if (picture_.isNull()) return Fail(QStringLiteral("out of memory for %1").arg(path));
  return true;
}

void CPictureLoader::Draw(QPainter& painter, const QRect& target) const {
  painter.fillRect(target, Qt::black);
  if (picture_.isNull()) return;
  const QRect placed = FitPicture(target.size(), sourceSize_);
  if (placed.isEmpty()) return;
  painter.save();
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.setClipRect(target, Qt::IntersectClip);
  painter.drawImage(placed.translated(target.topLeft()), picture_);
  painter.restore();
}

}  // namespace lumi::library
