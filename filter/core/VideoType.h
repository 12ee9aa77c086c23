#pragma once
// Media types as the filter negotiates them, and its type checks: which input
// it takes, which input/output pairs it can copy between, and which output
// types it offers for an input.
#include <cstdint>
#include <optional>
#include <vector>

#include "filter/com/HResult.h"
#include "filter/core/OutputSize.h"
#include "filter/core/PixelFormat.h"

namespace lumi::caption {

using lumi::com::HRESULT;

enum class FormatBlock { None, VideoInfo, VideoInfo2 };

struct VideoRect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  friend bool operator==(const VideoRect&, const VideoRect&) = default;
};

struct VideoType {
  bool majorVideo = true;
  std::optional<PixelFormat> subtype;  // empty: a subtype the filter does not know
  FormatBlock block = FormatBlock::VideoInfo;
  VideoRect source, target;
  std::int64_t avgTimePerFrame = 0;  // 100 ns units; 0 = unknown
  std::uint32_t pictAspectX = 0, pictAspectY = 0;  // VideoInfo2 only
  BitmapInfoHeader bih;
  std::uint32_t sampleSize = 0;

  friend bool operator==(const VideoType&, const VideoType&) = default;
};

// S_OK for video of one of the seven formats with a video-info block and a
// usable size, else E_FAIL.
HRESULT checkInputType(const VideoType& type);

// S_OK when both types pass checkInputType and have the same pixel format and
// row order: the copy moves bytes and never converts. Else
// VFW_E_TYPE_NOT_ACCEPTED.
HRESULT checkTransform(const VideoType& in, const VideoType& out);

// Output type number `position` for the connected input (null: unconnected,
// E_UNEXPECTED). 0 and 1 are YUY2, 2 and 3 YV12; even positions keep the
// input's format-block kind, odd ones use the other. VFW_S_NO_MORE_ITEMS above 3.
HRESULT offeredOutputType(const VideoType* input, int position, VideoType& out);

// The types the filter can produce from `input`, best first: the offered types
// that keep the input's pixel format, or for RGB the input format itself.
std::vector<VideoType> outputTypesFor(const VideoType& input);

// Frames per second of a type: 10,000,000 / AvgTimePerFrame, or 25.
double frameRateOf(const VideoType& type);

}  // namespace lumi::caption
