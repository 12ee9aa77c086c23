#include "filter/core/VideoType.h"

#include <cstdlib>

namespace lumi::caption {

using namespace lumi::com;

namespace {

bool usableSize(const BitmapInfoHeader& bih) {
  const int h = std::abs(bih.biHeight);
  return bih.biWidth > 0 && bih.biWidth <= kMaxPictureSide && h > 0 && h <= kMaxPictureSide;
}

bool rowsTopDown(const VideoType& t) { return !isRgb(*t.subtype) || t.bih.biHeight < 0; }

std::uint32_t scaled(std::uint32_t value, int to, int from) {
  return from > 0 ? std::uint32_t(std::uint64_t(value) * std::uint64_t(to) / std::uint64_t(from)) : value;
}

}  // namespace

HRESULT checkInputType(const VideoType& type) {
  if (!type.majorVideo || !type.subtype) return E_FAIL;
  if (type.block != FormatBlock::VideoInfo && type.block != FormatBlock::VideoInfo2) return E_FAIL;
  if (!usableSize(type.bih)) return E_FAIL;
  return S_OK;
}

HRESULT checkTransform(const VideoType& in, const VideoType& out) {
  if (failed(checkInputType(in)) || failed(checkInputType(out))) return VFW_E_TYPE_NOT_ACCEPTED;
  if (*in.subtype != *out.subtype || rowsTopDown(in) != rowsTopDown(out)) return VFW_E_TYPE_NOT_ACCEPTED;
  return S_OK;
}

HRESULT offeredOutputType(const VideoType* input, int position, VideoType& out) {
  if (!input) return E_UNEXPECTED;
  if (position < 0) return E_INVALIDARG;
  if (position > 3) return VFW_S_NO_MORE_ITEMS;
  if (failed(checkInputType(*input))) return VFW_E_TYPE_NOT_ACCEPTED;

  const PixelFormat format = position < 2 ? PixelFormat::YUY2 : PixelFormat::YV12;
  const bool sameBlock = position % 2 == 0;
  const FormatBlock other = input->block == FormatBlock::VideoInfo ? FormatBlock::VideoInfo2 : FormatBlock::VideoInfo;
  const int inW = input->bih.biWidth, inH = std::abs(input->bih.biHeight);
  const PictureSize size = outputSize(inW, inH);

  VideoType t;
  t.majorVideo = true;
  t.subtype = format;
  t.block = sameBlock ? input->block : other;
  t.source = input->source;
  t.target = input->target;
  t.avgTimePerFrame = input->avgTimePerFrame;
  t.bih = makeHeader(format, size.width, size.height);
  if (t.block == FormatBlock::VideoInfo2) {
    if (input->block == FormatBlock::VideoInfo2 && input->pictAspectX && input->pictAspectY) {
      t.pictAspectX = scaled(input->pictAspectX, size.width, inW);
      t.pictAspectY = scaled(input->pictAspectY, size.height, inH);
    } else {
      t.pictAspectX = std::uint32_t(size.width);
      t.pictAspectY = std::uint32_t(size.height);
    }
  }
  t.sampleSize = t.bih.biSizeImage;
  out = t;
  return S_OK;
}

std::vector<VideoType> outputTypesFor(const VideoType& input) {
  std::vector<VideoType> types;
  if (failed(checkInputType(input))) return types;
  for (int position = 0;; ++position) {
    VideoType t;
    if (offeredOutputType(&input, position, t) != S_OK) break;
    if (succeeded(checkTransform(input, t))) types.push_back(t);
  }
  if (types.empty()) {
    // RGB is never offered, but the copy handles it when both sides agree.
    VideoType t = input;
    const PictureSize size = outputSize(input.bih.biWidth, std::abs(input.bih.biHeight));
    t.bih = makeHeader(*input.subtype, size.width, input.bih.biHeight < 0 ? -size.height : size.height);
    t.sampleSize = t.bih.biSizeImage;
    types.push_back(t);
  }
  return types;
}

double frameRateOf(const VideoType& type) {
  if (type.block == FormatBlock::None || type.avgTimePerFrame <= 0) return 25.0;
  return 10000000.0 / double(type.avgTimePerFrame);
}

}  // namespace lumi::caption
