#pragma once
// Where a window takes the bitmaps of the built-in design from. Normally the
// loaded "Resources.dll"; tests and tools can stand in their own pictures.
//
// Like the current resource module on Windows, one source is
// "current" for the process: controls that load bitmaps by id use it unless
// they are given another, and a caller that loads from a different source
// for a while puts the previous one back with ScopedBitmapSource.
#include <QImage>

namespace lumi::resources {

class BitmapSource {
 public:
  virtual ~BitmapSource() = default;
  // The bitmap, or a null image (with a warning) when the source has none.
  virtual QImage bitmap(int id) const = 0;
};

// The process's current source; null when none has been set. Used from the
// user-interface thread only.
const BitmapSource* currentBitmapSource();
void setCurrentBitmapSource(const BitmapSource* source);

class ScopedBitmapSource {
 public:
  explicit ScopedBitmapSource(const BitmapSource* source) : previous_(currentBitmapSource()) {
    setCurrentBitmapSource(source);
  }
  ~ScopedBitmapSource() { setCurrentBitmapSource(previous_); }
  ScopedBitmapSource(const ScopedBitmapSource&) = delete;
  ScopedBitmapSource& operator=(const ScopedBitmapSource&) = delete;

 private:
  const BitmapSource* previous_;
};

}  // namespace lumi::resources
