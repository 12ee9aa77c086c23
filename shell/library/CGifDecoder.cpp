#include "shell/library/CGifDecoder.h"

#include "shell/library/PictureFit.h"

#include <array>
#include <cstdint>
#include <vector>

namespace lumi::library {
namespace {

constexpr int kMaxCodes = 4096;  // LZW codes are at most 12 bits wide

// Reads the file front to back; every read is checked against its end.
class ByteReader {
 public:
  explicit ByteReader(const QByteArray& data) : data_(data) {}
  bool Has(qsizetype n) const { return data_.size() - pos_ >= n; }
  bool AtEnd() const { return pos_ >= data_.size(); }
  uint8_t U8() { return uint8_t(data_[pos_++]); }
  uint16_t U16() {
    uint16_t lo = U8();
    return uint16_t(lo | (U8() << 8));
  }
  void Skip(qsizetype n) { pos_ += n; }
  const char* Here() const { return data_.constData() + pos_; }

 private:
  const QByteArray& data_;
  qsizetype pos_ = 0;
};

// Skips a chain of data sub-blocks; false when the file ends inside it.
bool SkipSubBlocks(ByteReader& in) {
  for (;;) {
    if (!in.Has(1)) return false;
    const uint8_t size = in.U8();
    if (size == 0) return true;
    if (!in.Has(size)) return false;
    in.Skip(size);
  }
}

// The LZW code stream, least significant bit first, read in place across the
// image data's sub-blocks.
class BitReader {
 public:
  BitReader(const QByteArray& data, qsizetype pos) : data_(data), pos_(pos) {}
  bool Read(int width, int& code) {
    while (count_ < width) {
      uint8_t byte = 0;
      if (!NextByte(byte)) return false;
      acc_ |= uint32_t(byte) << count_;
      count_ += 8;
    }
    code = int(acc_ & ((1u << width) - 1));
    acc_ >>= width;
    count_ -= width;
    return true;
  }
  // Whether the sub-blocks' terminator has been reached.
  bool Ended() const { return ended_; }

 private:
  bool NextByte(uint8_t& byte) {
    while (left_ == 0) {
      if (ended_ || pos_ >= data_.size()) return false;
      left_ = uint8_t(data_[pos_++]);
      if (left_ == 0) {
        ended_ = true;
        return false;
      }
    }
    if (pos_ >= data_.size()) return false;
    byte = uint8_t(data_[pos_++]);
    --left_;
    return true;
  }

  const QByteArray& data_;
  qsizetype pos_;
  int left_ = 0;
  bool ended_ = false;
  uint32_t acc_ = 0;
  int count_ = 0;
};

std::vector<QRgb> ReadColourTable(ByteReader& in, int sizeField) {
  const int count = 1 << (sizeField + 1);
  std::vector<QRgb> table(count);
  for (int i = 0; i < count; ++i) {
    const uint8_t r = in.U8(), g = in.U8(), b = in.U8();
    table[i] = qRgb(r, g, b);
  }
  return table;
}

// Row of the picture that the n-th decoded row of an interlaced image fills:
// every 8th row from 0, every 8th from 4, every 4th from 2, every 2nd from 1.
std::vector<int> InterlacedRows(int height) {
  std::vector<int> rows;
  rows.reserve(height);
  static constexpr int kStart[] = {0, 4, 2, 1};
  static constexpr int kStep[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (int y = kStart[pass]; y < height; y += kStep[pass]) rows.push_back(y);
  return rows;
}

}  // namespace

CGifDecoder::CGifDecoder(qint64 pixelLimit) : pixelLimit_(pixelLimit) {}

CGifDecoder::Status CGifDecoder::Fail(const QString& why) {
  picture_ = QImage();
  sourceSize_ = QSize();
  error_ = why;
  status_ = Status::Failed;
  return status_;
}

CGifDecoder::Status CGifDecoder::Decode(const QByteArray& data, QSize fitInto) {
  picture_ = QImage();
  sourceSize_ = QSize();
  error_.clear();
  ByteReader in(data);

  if (!data.startsWith("GIF")) return Fail(QStringLiteral("not a GIF file"));
  if (!in.Has(13)) return Fail(QStringLiteral("the file ends inside its header"));
  in.Skip(6);
  const int screenWidth = in.U16();
  const int screenHeight = in.U16();
  const uint8_t screenFlags = in.U8();
  const uint8_t backgroundIndex = in.U8();
  in.Skip(1);  // pixel aspect ratio

  std::vector<QRgb> globalTable;
  if (screenFlags & 0x80) {
    if (!in.Has(3 * (qsizetype(2) << (screenFlags & 7))))
      return Fail(QStringLiteral("the file ends inside its colour table"));
    globalTable = ReadColourTable(in, screenFlags & 7);
  }

  // Blocks up to the first image; only the last graphic control block before
  // it counts.
  bool keyed = false;
  int transparentIndex = -1;
  for (;;) {
    if (!in.Has(1)) return Fail(QStringLiteral("the file ends before its first image"));
    const uint8_t introducer = in.U8();
    if (introducer == 0x2C) break;
    if (introducer == 0x3B) return Fail(QStringLiteral("the file holds no image"));
    if (introducer != 0x21) return Fail(QStringLiteral("unknown block in the file"));
    if (!in.Has(1)) return Fail(QStringLiteral("the file ends inside an extension"));
    const uint8_t label = in.U8();
    if (label == 0xF9 && in.Has(5) && uint8_t(*in.Here()) >= 4) {
      const uint8_t flags = uint8_t(in.Here()[1]);
      const int disposal = (flags >> 2) & 7;
      keyed = (disposal == 2 || disposal == 3) && (flags & 1);
      transparentIndex = (flags & 1) ? uint8_t(in.Here()[4]) : -1;
    }
    if (!SkipSubBlocks(in)) return Fail(QStringLiteral("the file ends inside an extension"));
  }

  if (!in.Has(9)) return Fail(QStringLiteral("the file ends inside its image descriptor"));
  const int left = in.U16();
  const int top = in.U16();
  const int width = in.U16();
  const int height = in.U16();
  const uint8_t imageFlags = in.U8();
  const bool interlaced = imageFlags & 0x40;
  if (width == 0 || height == 0) return Fail(QStringLiteral("the image is empty"));

  std::vector<QRgb> localTable;
  if (imageFlags & 0x80) {
    if (!in.Has(3 * (qsizetype(2) << (imageFlags & 7))))
      return Fail(QStringLiteral("the file ends inside its colour table"));
    localTable = ReadColourTable(in, imageFlags & 7);
  }
  const std::vector<QRgb>& table = (imageFlags & 0x80) ? localTable : globalTable;

  // A zero screen size (written by some encoders) means the image's extent.
  int canvasWidth = screenWidth, canvasHeight = screenHeight;
  if (canvasWidth == 0 || canvasHeight == 0) {
    canvasWidth = left + width;
    canvasHeight = top + height;
  }
  // The pixel limit bounds both the allocation and the decoding work.
  if (qint64(canvasWidth) * canvasHeight > pixelLimit_ || qint64(width) * height > pixelLimit_)
    return Fail(QStringLiteral("the picture is too large (%1 x %2)")
                    .arg(qMax(canvasWidth, width))
                    .arg(qMax(canvasHeight, height)));

  // Which output column and row each picture column and row lands in (-1:
  // none), sampling the centre of each output pixel when reducing.
  QSize output(canvasWidth, canvasHeight);
  if (fitInto.isValid()) {
    const QSize fitted = FitPicture(fitInto, output).size().expandedTo(QSize(1, 1));
    if (fitted.width() < canvasWidth && fitted.height() <= canvasHeight) output = fitted;
  }
  auto sampling = [](int from, int to) {
    std::vector<int> map(from, -1);
    for (int i = 0; i < to; ++i) map[int((i + 0.5) * from / to)] = i;
    return map;
  };
  const std::vector<int> columnAt = sampling(canvasWidth, output.width());
  const std::vector<int> rowAt = sampling(canvasHeight, output.height());

  sourceSize_ = QSize(canvasWidth, canvasHeight);
  picture_ = QImage(output, QImage::Format_RGB888);
  if (picture_.isNull()) return Fail(QStringLiteral("out of memory for the picture"));
  const QRgb background =
      (screenFlags & 0x80) && backgroundIndex < globalTable.size() ? globalTable[backgroundIndex] : qRgb(0, 0, 0);
  picture_.fill(QColor::fromRgb(background));

  // Output colour per index: the palette, black past its end, and the key
  // colour for every entry that has the transparent colour.
  std::array<QRgb, kMaxCodes> colours;
  colours.fill(qRgb(0, 0, 0));
  for (size_t i = 0; i < table.size(); ++i) colours[i] = table[i];
  if (keyed && transparentIndex >= 0 && size_t(transparentIndex) < table.size()) {
    const QRgb transparent = table[transparentIndex];
    for (size_t i = 0; i < table.size(); ++i)
      if (table[i] == transparent) colours[i] = kGifKeyColour;
  }

  status_ = Status::Complete;
  auto partial = [&](const QString& why) {
    status_ = Status::Partial;
    error_ = why;
    return status_;
  };

  if (!in.Has(1)) return partial(QStringLiteral("the file ends before the image data"));
  const int minCodeSize = in.U8();
  if (minCodeSize < 2 || minCodeSize > 11) return Fail(QStringLiteral("bad LZW code size %1").arg(minCodeSize));

  const std::vector<int> rows = interlaced ? InterlacedRows(height) : std::vector<int>();
  const qint64 total = qint64(width) * height;
  qint64 written = 0;
  auto put = [&](int index) {
    const int column = int(written % width);
    const int row = int(written / width);
    ++written;
    const int x = left + column;
    const int y = top + (interlaced ? rows[row] : row);
    if (x >= canvasWidth || y >= canvasHeight || columnAt[x] < 0 || rowAt[y] < 0) return;
    const QRgb c = colours[index];
    uchar* p = picture_.scanLine(rowAt[y]) + 3 * columnAt[x];
    p[0] = uchar(qRed(c));
    p[1] = uchar(qGreen(c));
    p[2] = uchar(qBlue(c));
  };

  std::array<uint16_t, kMaxCodes> prefix{};
  std::array<uint16_t, kMaxCodes> suffix{};
  std::array<uint16_t, kMaxCodes> first{};
  std::array<uint16_t, kMaxCodes> stack{};
  const int clear = 1 << minCodeSize;
  const int end = clear + 1;
  for (int i = 0; i < clear; ++i) suffix[i] = first[i] = uint16_t(i);
  int next = clear + 2;
  int codeWidth = minCodeSize + 1;
  int previous = -1;
  BitReader bits(data, in.Here() - data.constData());

  while (written < total) {
    int code = 0;
    if (!bits.Read(codeWidth, code)) break;
    if (code == clear) {
      next = clear + 2;
      codeWidth = minCodeSize + 1;
      previous = -1;
      continue;
    }
    if (code == end) break;
    if (previous < 0) {
      if (code > clear) return Fail(QStringLiteral("bad LZW code %1").arg(code));
      put(code);
      previous = code;
      continue;
    }
    int entry;
    if (code < next) {
      entry = code;
      if (next < kMaxCodes) {
        prefix[next] = uint16_t(previous);
        suffix[next] = first[code];
        first[next] = first[previous];
        ++next;
      }
    } else if (code == next && next < kMaxCodes) {
      // The code being defined now: the previous string and its own first index.
      prefix[next] = uint16_t(previous);
      suffix[next] = first[previous];
      first[next] = first[previous];
      entry = next++;
    } else {
      return Fail(QStringLiteral("bad LZW code %1").arg(code));
    }
    int depth = 0;
    for (int c = entry; c >= clear; c = prefix[c]) stack[depth++] = suffix[c];
    stack[depth++] = uint16_t(first[entry]);
    while (depth > 0 && written < total) put(stack[--depth]);
    if (next == (1 << codeWidth) && codeWidth < 12) ++codeWidth;
    previous = code;
  }

  if (written < total)
    return partial(bits.Ended() ? QStringLiteral("the image data ends early")
                             : QStringLiteral("the file ends inside the image data"));
  return status_;
}

}  // namespace lumi::library
