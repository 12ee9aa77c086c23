#pragma once
// The background picture of a shell window: in the user design the skin's
// "BackgroundImage" stretched to the 800 x 600 screen, in the built-in
// design the window's own bitmap from the resource library.
#include <QImage>
#include <QSize>
#include <QString>

#include "common/skin/SkinSettings.h"

namespace lumi::resources {
class BitmapSource;
}

namespace lumi::skin {

inline constexpr QSize kScreenSize(800, 600);

// A picture file stretched to `size` (RGB32), turned upright as its EXIF
// orientation says; a null image, with a warning, when the file cannot be
// read as a picture.
QImage LoadStretchedPicture(const QString& path, QSize size = kScreenSize);

// The background for a window whose built-in bitmap is `builtInId`, from
// `source` (the current bitmap source when null). Null, with a warning, when
// the picture is missing: the window then has no background picture.
QImage LoadWindowBackground(const SkinSettings& skin, int builtInId, const resources::BitmapSource* source = nullptr);

}  // namespace lumi::skin
