#pragma once
// Writes GIF files for the tests: one image (optionally a second one behind
// it), global and/or local colour tables, a graphic control block,
// interlaced row order, and a real LZW encoder (with or without a clear code
// when its table fills).
#include <QByteArray>
#include <QRgb>

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace lumi::test {

struct GifLayout {
  int screenWidth = 0, screenHeight = 0;
  std::vector<QRgb> globalTable;  // a power of two from 2 to 256 entries, or none
  int backgroundIndex = 0;
  bool controlBlock = false;
  int disposal = 0;
  int transparentIndex = -1;
  int left = 0, top = 0, width = 0, height = 0;
  std::vector<QRgb> localTable;
  bool interlaced = false;
  std::vector<uint8_t> indices;  // width x height, top row first
  int minCodeSize = 8;
  bool clearWhenFull = true;
  bool secondImage = false;  // a second, all-zero image after the first
  int comments = 0;          // comment extensions before the image
};

struct GifFile {
  QByteArray bytes;
  qsizetype dataStart = 0;  // the LZW minimum code size byte
  qsizetype dataEnd = 0;    // just past the image data's terminator
};

class BitWriter {
 public:
  void Put(int code, int width) {
    acc_ |= uint32_t(code) << count_;
    count_ += width;
    while (count_ >= 8) {
      bytes_.push_back(uint8_t(acc_));
      acc_ >>= 8;
      count_ -= 8;
    }
  }
  std::vector<uint8_t> Finish() {
    if (count_ > 0) bytes_.push_back(uint8_t(acc_));
    count_ = 0;
    acc_ = 0;
    return bytes_;
  }

 private:
  std::vector<uint8_t> bytes_;
  uint32_t acc_ = 0;
  int count_ = 0;
};

inline std::vector<uint8_t> LzwEncode(const std::vector<uint8_t>& indices, int minCodeSize, bool clearWhenFull) {
  const int clear = 1 << minCodeSize;
  int next = clear + 2, width = minCodeSize + 1;
  std::unordered_map<uint32_t, int> table;
  BitWriter out;
  out.Put(clear, width);
  // After each code the decoder defines one entry (from the second code on);
  // the width grows once the entry the decoder will define next no longer fits.
  auto advance = [&] {
    if (next < 4096) {
      ++next;
      if (next > (1 << width) && width < 12) ++width;
    } else if (clearWhenFull) {
      out.Put(clear, width);
      table.clear();
      next = clear + 2;
      width = minCodeSize + 1;
    }
  };
  int current = -1;
  for (uint8_t index : indices) {
    if (current < 0) {
      current = index;
      continue;
    }
    const uint32_t key = (uint32_t(current) << 12) | index;
    if (auto it = table.find(key); it != table.end()) {
      current = it->second;
      continue;
    }
    out.Put(current, width);
    if (next < 4096) table[key] = next;
    advance();
    current = index;
  }
  if (current >= 0) {
    out.Put(current, width);
    advance();
  }
  out.Put(clear + 1, width);
  return out.Finish();
}

inline void PutU16(QByteArray& b, int v) {
  b.append(char(v & 0xFF));
  b.append(char((v >> 8) & 0xFF));
}

inline int TableSizeField(size_t entries) {
  int field = 0;
  while ((size_t(2) << field) < entries) ++field;
  return field;
}

inline void PutTable(QByteArray& b, const std::vector<QRgb>& table) {
  for (QRgb c : table) {
    b.append(char(qRed(c)));
    b.append(char(qGreen(c)));
    b.append(char(qBlue(c)));
  }
}

inline void PutSubBlocks(QByteArray& b, const std::vector<uint8_t>& data) {
  for (size_t at = 0; at < data.size(); at += 255) {
    const size_t n = std::min<size_t>(255, data.size() - at);
    b.append(char(n));
    b.append(reinterpret_cast<const char*>(data.data() + at), qsizetype(n));
  }
  b.append(char(0));
}

inline std::vector<uint8_t> InterlaceOrder(const std::vector<uint8_t>& indices, int width, int height) {
  std::vector<uint8_t> out;
  static constexpr int kStart[] = {0, 4, 2, 1};
  static constexpr int kStep[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (int y = kStart[pass]; y < height; y += kStep[pass])
      out.insert(out.end(), indices.begin() + y * width, indices.begin() + (y + 1) * width);
  return out;
}

inline GifFile WriteGif(const GifLayout& s) {
  GifFile f;
  QByteArray& b = f.bytes;
  b.append("GIF89a");
  PutU16(b, s.screenWidth);
  PutU16(b, s.screenHeight);
  b.append(char(s.globalTable.empty() ? 0 : 0x80 | 0x70 | TableSizeField(s.globalTable.size())));
  b.append(char(s.backgroundIndex));
  b.append(char(0));
  PutTable(b, s.globalTable);
  for (int i = 0; i < s.comments; ++i) {
    b.append("\x21\xFE", 2);
    PutSubBlocks(b, {'h', 'i'});
  }
  if (s.controlBlock) {
    b.append("\x21\xF9\x04", 3);
    b.append(char((s.disposal << 2) | (s.transparentIndex >= 0 ? 1 : 0)));
    PutU16(b, 10);
    b.append(char(s.transparentIndex >= 0 ? s.transparentIndex : 0));
    b.append(char(0));
  }
  b.append(char(0x2C));
  PutU16(b, s.left);
  PutU16(b, s.top);
  PutU16(b, s.width);
  PutU16(b, s.height);
  b.append(char((s.localTable.empty() ? 0 : 0x80 | TableSizeField(s.localTable.size())) | (s.interlaced ? 0x40 : 0)));
  PutTable(b, s.localTable);
  f.dataStart = b.size();
  b.append(char(s.minCodeSize));
  const auto ordered = s.interlaced ? InterlaceOrder(s.indices, s.width, s.height) : s.indices;
  PutSubBlocks(b, LzwEncode(ordered, s.minCodeSize, s.clearWhenFull));
  f.dataEnd = b.size();
  if (s.secondImage) {
    b.append(char(0x2C));
    PutU16(b, 0);
    PutU16(b, 0);
    PutU16(b, s.width);
    PutU16(b, s.height);
    b.append(char(0));
    b.append(char(s.minCodeSize));
    PutSubBlocks(b, LzwEncode(std::vector<uint8_t>(s.indices.size(), 0), s.minCodeSize, true));
  }
  b.append(char(0x3B));
  return f;
}

}  // namespace lumi::test
