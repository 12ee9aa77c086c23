#include "filter/core/OverlayBlend.h"

#include <algorithm>
#include <cstring>

#include "filter/core/LumaTables.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lumi::caption {

namespace {

inline int sat16(int v) { return std::clamp(v, -32768, 32767); }
inline std::uint8_t sat8(int v) { return std::uint8_t(std::clamp(v, 0, 255)); }

// One component the way the packed 16-bit arithmetic computes it: the
// difference and the sum saturate to 16 bits, the product keeps its low 16
// bits, the result saturates to a byte.
inline std::uint8_t blendComponent(int bitmap, int video, int base, int weight) {
  const int diff = sat16(video - base);
  const int product = std::int16_t(std::uint16_t((weight >> 1) * diff));
  return sat8(sat16(bitmap + (product >> 7)));
}

inline void blendPair(const std::uint8_t* v, const std::uint8_t* b0, const std::uint8_t* b1, std::uint8_t* o) {
  const int a0 = b0[3], a1 = b1[3];
  const int a = (a0 + a1) / 2;
  if (a > 254) {
    if (o != v) std::memcpy(o, v, 4);
    return;
  }
  const std::uint8_t y0 = blendComponent(b0[1], v[0], 16, a0);
  const std::uint8_t u = blendComponent(b0[0], v[1], 128, a);
  const std::uint8_t y1 = blendComponent(b1[1], v[2], 16, a1);
  const std::uint8_t vv = blendComponent(b1[0], v[3], 128, a);
  o[0] = y0;
  o[1] = u;
  o[2] = y1;
  o[3] = vv;
}

// RGB: video * A / 256 plus the bitmap, per component; sums that pass the
// component's range stay at its maximum.
inline int mixComponent(int bitmap, int video, int alpha, int max) { return std::min(bitmap + ((video * alpha) >> 8), max); }

void blendRgbRow(PixelFormat format, const std::uint8_t* video, const std::uint8_t* bitmap, std::uint8_t* out,
                 int count) {
  for (int x = 0; x < count; ++x, bitmap += 4) {
    const int a = bitmap[3];
    const int bb = bitmap[0], bg = bitmap[1], br = bitmap[2];
    switch (format) {
      case PixelFormat::RGB555:
      case PixelFormat::RGB565: {
        std::uint16_t p;
        std::memcpy(&p, video + 2 * x, 2);
        if (a != 0xFF) {
          const bool g6 = format == PixelFormat::RGB565;
          const int rs = g6 ? 11 : 10, gbits = g6 ? 6 : 5, gmax = (1 << gbits) - 1;
          const int r = mixComponent(br >> 3, (p >> rs) & 31, a, 31);
          const int g = mixComponent(bg >> (8 - gbits), (p >> 5) & gmax, a, gmax);
          const int b = mixComponent(bb >> 3, p & 31, a, 31);
          p = std::uint16_t((g6 ? 0 : (p & 0x8000)) | (r << rs) | (g << 5) | b);
        }
        std::memcpy(out + 2 * x, &p, 2);
        break;
      }
      case PixelFormat::RGB24: {
        const std::uint8_t* v = video + 3 * x;
        std::uint8_t* o = out + 3 * x;
        if (a == 0xFF) {
          if (o != v) std::memcpy(o, v, 3);
        } else {
          o[0] = std::uint8_t(mixComponent(bb, v[0], a, 255));
          o[1] = std::uint8_t(mixComponent(bg, v[1], a, 255));
          o[2] = std::uint8_t(mixComponent(br, v[2], a, 255));
        }
        break;
      }
      default: {  // RGB32, ARGB32: the fourth byte stays the picture's
        const std::uint8_t* v = video + 4 * x;
        std::uint8_t* o = out + 4 * x;
        if (a == 0xFF) {
          if (o != v) std::memcpy(o, v, 4);
        } else {
          o[0] = std::uint8_t(mixComponent(bb, v[0], a, 255));
          o[1] = std::uint8_t(mixComponent(bg, v[1], a, 255));
          o[2] = std::uint8_t(mixComponent(br, v[2], a, 255));
          o[3] = v[3];
        }
        break;
      }
    }
  }
}

}  // namespace

void blendYuy2Scalar(const std::uint8_t* video, const std::uint8_t* bitmap, std::uint8_t* out, int pairs) {
  for (int i = 0; i < pairs; ++i) blendPair(video + 4 * i, bitmap + 8 * i, bitmap + 8 * i + 4, out + 4 * i);
}

void blendYuy2(const std::uint8_t* video, const std::uint8_t* bitmap, std::uint8_t* out, int pairs) {
  int i = 0;
#if defined(__SSE2__)
  // Four pairs a step: the bitmap's components are gathered into the video's
  // Y0 U Y1 V order as 16-bit lanes, and all four components of a pair are
  // blended together.
  const __m128i zero = _mm_setzero_si128();
  const __m128i byteMask = _mm_set1_epi32(0xFF);
  const __m128i base = _mm_set_epi16(128, 16, 128, 16, 128, 16, 128, 16);
  const __m128i limit = _mm_set1_epi32(254);
  const __m128i alphaMask = _mm_set1_epi32(int(0xFF000000u));
  for (; i + 4 <= pairs; i += 4) {
    const __m128i v8 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(video + 4 * i));
    // Menus are mostly transparent: four pairs with every alpha at 0xFF keep the video.
    const __m128i a0 = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bitmap + 8 * i)), alphaMask);
    const __m128i a1 = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bitmap + 8 * i + 16)), alphaMask);
    if (_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi32(a0, alphaMask), _mm_cmpeq_epi32(a1, alphaMask))) == 0xFFFF) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * i), v8);
      continue;
    }
    __m128i result[2];
    __m128i keep[2];
    for (int half = 0; half < 2; ++half) {
      // p = U Y0 - A0 | V Y1 - A1 | U' Y0' - A0' | V' Y1' - A1'
      const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bitmap + 8 * i + 16 * half));
      const __m128i chroma = _mm_and_si128(p, byteMask);
      const __m128i luma = _mm_and_si128(_mm_srli_epi32(p, 8), byteMask);
      const __m128i alpha = _mm_srli_epi32(p, 24);
      const __m128i pairAlpha =
          _mm_srli_epi32(_mm_add_epi32(alpha, _mm_shuffle_epi32(alpha, _MM_SHUFFLE(2, 3, 0, 1))), 1);
      const __m128i lumaPacked = _mm_packs_epi32(luma, luma);
      const __m128i chromaPacked = _mm_packs_epi32(chroma, chroma);
      const __m128i bm = _mm_unpacklo_epi16(lumaPacked, chromaPacked);  // Y0 U Y1 V Y0' U' Y1' V'
      const __m128i wl = _mm_packs_epi32(_mm_srli_epi32(alpha, 1), zero);
      const __m128i wc = _mm_packs_epi32(_mm_srli_epi32(pairAlpha, 1), zero);
      const __m128i w = _mm_unpacklo_epi16(wl, wc);
      const __m128i m = _mm_packs_epi32(_mm_cmpgt_epi32(pairAlpha, limit), zero);
      keep[half] = _mm_unpacklo_epi16(m, m);
      const __m128i v16 = half == 0 ? _mm_unpacklo_epi8(v8, zero) : _mm_unpackhi_epi8(v8, zero);
      const __m128i diff = _mm_subs_epi16(v16, base);
      const __m128i scaled = _mm_srai_epi16(_mm_mullo_epi16(w, diff), 7);
      const __m128i mixed = _mm_adds_epi16(bm, scaled);
      result[half] = _mm_or_si128(_mm_and_si128(keep[half], v16), _mm_andnot_si128(keep[half], mixed));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * i), _mm_packus_epi16(result[0], result[1]));
  }
#endif
  blendYuy2Scalar(video + 4 * i, bitmap + 8 * i, out + 4 * i, pairs - i);
}

void blendRow(PixelFormat format, const std::uint8_t* video, const std::uint8_t* bitmapRow, int bitmapWidth,
              std::uint8_t* out, int firstPixel, int count) {
  if (count <= 0) return;
  const std::uint8_t* bitmap = bitmapRow + std::size_t(firstPixel) * 4;
  if (format == PixelFormat::YUY2) {
    const bool partnerInBitmap = (count & 1) && firstPixel + count < bitmapWidth;
    const int full = partnerInBitmap ? count / 2 + 1 : count / 2;
    blendYuy2(video, bitmap, out, full);
    if ((count & 1) && !partnerInBitmap) {
      // A half pair keeps its V in the pixel's spare byte (see convertBgraToOverlay).
      const std::uint8_t* last = bitmap + std::size_t(count - 1) * 4;
      const std::uint8_t second[4] = {last[2], last[1], 0, last[3]};
      blendPair(video + 4 * full, last, second, out + 4 * full);
    }
    return;
  }
  if (format == PixelFormat::YV12) return;
  blendRgbRow(format, video, bitmap, out, count);
}

void convertBgraToOverlay(std::uint8_t* pixels, int width, int height, std::ptrdiff_t stride) {
  if (!pixels || width <= 0 || height <= 0) return;
  const LumaTables& t = lumaTables();
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = pixels + std::ptrdiff_t(y) * stride;
    for (int x = 0; x < width; x += 2) {
      std::uint8_t* p0 = row + 4 * x;
      std::uint8_t* p1 = x + 1 < width ? p0 + 4 : p0;
      if (p0[3] == 0xFF && p1[3] == 0xFF) {
        p0[0] = p1[0] = 128;
        p0[1] = p1[1] = 16;
        if (p1 == p0) p0[2] = 128;
        continue;
      }
      const int b0 = p0[0], g0 = p0[1], r0 = p0[2];
      const int b1 = p1[0], g1 = p1[1], r1 = p1[2];
      const int y0 = lumaOf(t, unsigned(r0), unsigned(g0), unsigned(b0));
      const int y1 = lumaOf(t, unsigned(r1), unsigned(g1), unsigned(b1));
      const int s = (y0 + y1 - 32) * 38155;
      const int u = ((((b0 + b1) * 32768 - s) >> 10) * 507 + 0x808000) >> 16;
      const int v = ((((r0 + r1) * 32768 - s) >> 10) * 642 + 0x808000) >> 16;
      p0[0] = sat8(u);
      p0[1] = std::uint8_t(y0);
      if (p1 != p0) {
        p1[0] = sat8(v);
        p1[1] = std::uint8_t(y1);
      } else {
        p0[2] = sat8(v);  // a lone last pixel has no partner to carry V
      }
    }
  }
}

}  // namespace lumi::caption
