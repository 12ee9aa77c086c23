// The shell's GIF decoder on GIFs the test writes, with Qt's GIF reader as the
// oracle for every pixel they share; transparency, truncation and hostile data.
#include <QBuffer>
#include <QImage>
#include <QImageReader>

#include <gtest/gtest.h>

#include "shell/library/CGifDecoder.h"
#include "shell/library/PictureFit.h"
#include "tests/photos/GifWriter.h"

using lumi::library::CGifDecoder;
using lumi::library::kGifKeyColour;
using lumi::test::GifLayout;
using lumi::test::WriteGif;

namespace {

std::vector<QRgb> Palette(int count, int salt) {
  std::vector<QRgb> table(count);
  for (int i = 0; i < count; ++i)
    table[i] = qRgb((i * 37 + salt) & 0xFF, (i * 91 + 3 * salt) & 0xFF, (i * 13 + 7 * salt) & 0xFF);
  return table;
}

// Smooth areas (long LZW strings) next to noise (a filling table).
std::vector<uint8_t> Pattern(int width, int height, int colours, uint32_t salt) {
  std::vector<uint8_t> px(size_t(width) * height);
  uint32_t r = salt;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      r = r * 1664525u + 1013904223u;
      const int v = (x < width / 2) ? (x / 4 + y / 3) : int(r >> 24);
      px[size_t(y) * width + x] = uint8_t(v % colours);
    }
  return px;
}

GifLayout Plain(int width, int height, int colours) {
  GifLayout s;
  s.screenWidth = s.width = width;
  s.screenHeight = s.height = height;
  s.globalTable = Palette(colours, 1);
  s.indices = Pattern(width, height, colours, 7);
  s.minCodeSize = std::max(2, lumi::test::TableSizeField(colours) + 1);
  return s;
}

QImage QtReads(const QByteArray& bytes) {
  QBuffer buffer;
  buffer.setData(bytes);
  QImageReader reader(&buffer, "gif");
  return reader.read().convertToFormat(QImage::Format_ARGB32);
}

struct OracleCase {
  const char* name;
  GifLayout spec;
  bool keyed;  // transparent pixels come out as the key colour
};

std::vector<OracleCase> OracleCases() {
  std::vector<OracleCase> cases;
  cases.push_back({"global table, 256 colours", Plain(61, 47, 256), false});
  cases.push_back({"two colours, smallest code size", Plain(33, 21, 2), false});
  {
    GifLayout s = Plain(40, 30, 16);
    s.localTable = Palette(16, 99);  // overrides the global one
    cases.push_back({"local table", s, false});
  }
  {
    GifLayout s = Plain(37, 29, 64);
    s.globalTable.clear();
    s.localTable = Palette(64, 5);
    s.interlaced = true;
    cases.push_back({"interlaced, local table only", s, false});
  }
  {
    GifLayout s = Plain(300, 200, 256);
    cases.push_back({"table fills, cleared", s, false});
    s.clearWhenFull = false;
    cases.push_back({"table fills, kept full", s, false});
  }
  {
    GifLayout s = Plain(48, 36, 32);
    s.controlBlock = true;
    s.disposal = 2;
    s.transparentIndex = 3;
    cases.push_back({"transparent, disposal 2", s, true});
    s.disposal = 3;
    s.interlaced = true;
    cases.push_back({"transparent, disposal 3, interlaced", s, true});
  }
  {
    GifLayout s = Plain(30, 20, 16);
    s.secondImage = true;
    s.comments = 3;
    cases.push_back({"animated, first image only", s, false});
  }
  return cases;
}

TEST(GifDecoder, AgreesWithQtsReaderOnSharedPixels) {
  for (const OracleCase& c : OracleCases()) {
    SCOPED_TRACE(c.name);
    const QByteArray bytes = WriteGif(c.spec).bytes;
    CGifDecoder gif;
    ASSERT_EQ(gif.Decode(bytes), CGifDecoder::Status::Complete) << gif.Error().toStdString();
    const QImage ours = gif.Picture();
    ASSERT_EQ(ours.format(), QImage::Format_RGB888);
    const QImage theirs = QtReads(bytes);
    ASSERT_EQ(ours.size(), theirs.size());
    int keyed = 0, mismatches = 0;
    for (int y = 0; y < ours.height(); ++y)
      for (int x = 0; x < ours.width(); ++x) {
        const QRgb o = ours.pixel(x, y), t = theirs.pixel(x, y);
        if (qAlpha(t) == 0) {
          EXPECT_TRUE(c.keyed);
          mismatches += o != kGifKeyColour;
          ++keyed;
        } else {
          mismatches += o != (t | 0xFF000000);
        }
      }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(keyed > 0, c.keyed);
  }
}

// Colour of index 1 and index 3 (the same colour), with index 3 named as
// transparent, by disposal method.
TEST(GifDecoder, KeyColourOnlyForDisposal2And3AndForEveryEntryOfThatColour) {
  struct Row {
    int disposal;
    bool transparent;
    bool keyed;
  } rows[] = {{0, true, false}, {1, true, false}, {2, true, true}, {3, true, true}, {2, false, false}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.disposal);
    GifLayout s;
    s.screenWidth = s.width = 4;
    s.screenHeight = s.height = 1;
    s.globalTable = {qRgb(1, 2, 3), qRgb(9, 9, 9), qRgb(4, 5, 6), qRgb(9, 9, 9)};
    s.indices = {0, 1, 2, 3};
    s.minCodeSize = 2;
    s.controlBlock = true;
    s.disposal = r.disposal;
    s.transparentIndex = r.transparent ? 3 : -1;
    CGifDecoder gif;
    ASSERT_EQ(gif.Decode(WriteGif(s).bytes), CGifDecoder::Status::Complete);
    const QRgb grey = r.keyed ? kGifKeyColour : qRgb(9, 9, 9);
    EXPECT_EQ(gif.Picture().pixel(0, 0), qRgb(1, 2, 3));
    EXPECT_EQ(gif.Picture().pixel(1, 0), grey);
    EXPECT_EQ(gif.Picture().pixel(2, 0), qRgb(4, 5, 6));
    EXPECT_EQ(gif.Picture().pixel(3, 0), grey);
  }
}

// Pictures with fewer rows than the passes' steps (where Qt's reader is no
// oracle: it shows a 3-row interlaced picture with rows 1 and 2 swapped).
TEST(GifDecoder, InterlacedPicturesOfEveryHeightUpToTwoPassStepsMatchTheirPlainTwins) {
  for (int height = 1; height <= 17; ++height) {
    SCOPED_TRACE(height);
    GifLayout s = Plain(5, height, 32);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < 5; ++x) s.indices[y * 5 + x] = uint8_t(y + x);
    CGifDecoder plain, interlaced;
    ASSERT_EQ(plain.Decode(WriteGif(s).bytes), CGifDecoder::Status::Complete);
    s.interlaced = true;
    ASSERT_EQ(interlaced.Decode(WriteGif(s).bytes), CGifDecoder::Status::Complete);
    EXPECT_EQ(interlaced.Picture(), plain.Picture());
    EXPECT_EQ(interlaced.Picture().pixel(0, height - 1), s.globalTable[height - 1]);
  }
}

// Decoding for a bound gives the fitted size directly, each pixel taken from
// the part of the whole picture it stands for; the key colour stays exact.
TEST(GifDecoder, DecodingForABoundSamplesTheFittedSize) {
  GifLayout s = Plain(301, 203, 256);
  s.controlBlock = true;
  s.disposal = 2;
  s.transparentIndex = 9;
  s.interlaced = true;
  const QByteArray bytes = WriteGif(s).bytes;
  CGifDecoder whole, fitted;
  ASSERT_EQ(whole.Decode(bytes), CGifDecoder::Status::Complete);
  ASSERT_EQ(fitted.Decode(bytes, QSize(176, 128)), CGifDecoder::Status::Complete);
  EXPECT_EQ(fitted.SourceSize(), QSize(301, 203));
  const QImage& big = whole.Picture();
  const QImage& small = fitted.Picture();
  ASSERT_EQ(small.size(), lumi::library::FitPicture(QSize(176, 128), QSize(301, 203)).size());
  int keyed = 0;
  for (int y = 0; y < small.height(); ++y)
    for (int x = 0; x < small.width(); ++x) {
      const int x0 = x * 301 / small.width(), x1 = ((x + 1) * 301 + small.width() - 1) / small.width();
      const int y0 = y * 203 / small.height(), y1 = ((y + 1) * 203 + small.height() - 1) / small.height();
      bool found = false;
      for (int v = y0; v < y1 && !found; ++v)
        for (int u = x0; u < x1 && !found; ++u) found = big.pixel(u, v) == small.pixel(x, y);
      ASSERT_TRUE(found) << x << "," << y;
      keyed += small.pixel(x, y) == kGifKeyColour;
    }
  EXPECT_GT(keyed, 0);

  // A bound larger than the picture changes nothing.
  ASSERT_EQ(fitted.Decode(bytes, QSize(800, 600)), CGifDecoder::Status::Complete);
  EXPECT_EQ(fitted.Picture(), big);
}

TEST(GifDecoder, ImageIsPlacedAtItsOffsetAndClippedToTheScreen) {
  GifLayout s = Plain(10, 8, 4);
  s.screenWidth = 14;
  s.screenHeight = 10;
  s.left = 6;  // four columns past the screen's right edge
  s.top = 5;   // three rows past its bottom
  s.backgroundIndex = 2;
  CGifDecoder gif;
  ASSERT_EQ(gif.Decode(WriteGif(s).bytes), CGifDecoder::Status::Complete);
  const QImage& p = gif.Picture();
  ASSERT_EQ(p.size(), QSize(14, 10));
  EXPECT_EQ(p.pixel(0, 0), s.globalTable[2]);
  EXPECT_EQ(p.pixel(5, 9), s.globalTable[2]);
  for (int y = 5; y < 10; ++y)
    for (int x = 6; x < 14; ++x) ASSERT_EQ(p.pixel(x, y), s.globalTable[s.indices[(y - 5) * 10 + (x - 6)]]);

  s.screenWidth = s.screenHeight = 0;  // no screen size: the image's extent
  ASSERT_EQ(gif.Decode(WriteGif(s).bytes), CGifDecoder::Status::Complete);
  EXPECT_EQ(gif.Picture().size(), QSize(16, 13));
}

// Leading pixels (in raster order) that equal the complete picture's.
qint64 LeadingMatch(const QImage& part, const QImage& whole) {
  qint64 n = 0;
  for (int y = 0; y < whole.height(); ++y)
    for (int x = 0; x < whole.width(); ++x, ++n)
      if (part.pixel(x, y) != whole.pixel(x, y)) return n;
  return n;
}

TEST(GifDecoder, EveryTruncationGivesAFailureOrAGrowingPartialPicture) {
  for (bool interlaced : {false, true}) {
    SCOPED_TRACE(interlaced);
    GifLayout s = Plain(64, 40, 256);
    s.interlaced = interlaced;
    const auto file = WriteGif(s);
    CGifDecoder gif;
    ASSERT_EQ(gif.Decode(file.bytes), CGifDecoder::Status::Complete);
    const QImage whole = gif.Picture();
    qint64 lastMatch = -1;
    for (qsizetype cut = 0; cut < file.bytes.size(); ++cut) {
      const auto status = gif.Decode(file.bytes.left(cut));
      if (cut < file.dataStart) {
        ASSERT_EQ(status, CGifDecoder::Status::Failed) << cut;
        ASSERT_TRUE(gif.Picture().isNull());
        ASSERT_FALSE(gif.Error().isEmpty());
        continue;
      }
      ASSERT_NE(status, CGifDecoder::Status::Failed) << cut << " " << gif.Error().toStdString();
      ASSERT_EQ(gif.Picture().size(), whole.size());
      if (status == CGifDecoder::Status::Partial) {
        ASSERT_FALSE(gif.Error().isEmpty());
      }
      if (cut >= file.dataEnd - 1) {
        ASSERT_EQ(status, CGifDecoder::Status::Complete) << cut;
      }
      if (!interlaced) {
        const qint64 match = LeadingMatch(gif.Picture(), whole);
        ASSERT_GE(match, lastMatch) << cut;
        lastMatch = match;
      }
    }
    if (!interlaced) {
      EXPECT_EQ(lastMatch, qint64(whole.width()) * whole.height());
    }
  }
}

TEST(GifDecoder, MidwayCutShowsTheDecodedTopAndBackgroundBelow) {
  GifLayout s = Plain(64, 40, 256);
  s.backgroundIndex = 5;
  const auto file = WriteGif(s);
  CGifDecoder gif;
  ASSERT_EQ(gif.Decode(file.bytes), CGifDecoder::Status::Complete);
  const QImage whole = gif.Picture();
  ASSERT_EQ(gif.Decode(file.bytes.left((file.dataStart + file.dataEnd) / 2)), CGifDecoder::Status::Partial);
  EXPECT_EQ(gif.Picture().copy(0, 0, 64, 5), whole.copy(0, 0, 64, 5));
  EXPECT_EQ(gif.Picture().pixel(63, 39), s.globalTable[5]);
}

QByteArray Header(int width, int height) {
  QByteArray b("GIF89a");
  lumi::test::PutU16(b, width);
  lumi::test::PutU16(b, height);
  b.append("\x80\x00\x00", 3);  // a global table of two entries
  b.append("\x00\x00\x00\xff\xff\xff", 6);
  return b;
}

QByteArray Image(int width, int height, int minCodeSize, const std::vector<int>& codes, int codeWidth) {
  QByteArray b;
  b.append(char(0x2C));
  lumi::test::PutU16(b, 0);
  lumi::test::PutU16(b, 0);
  lumi::test::PutU16(b, width);
  lumi::test::PutU16(b, height);
  b.append(char(0));
  b.append(char(minCodeSize));
  lumi::test::BitWriter bits;
  for (int c : codes) bits.Put(c, codeWidth);
  lumi::test::PutSubBlocks(b, bits.Finish());
  b.append(char(0x3B));
  return b;
}

TEST(GifDecoder, HostileDataFailsClearlyAndQuickly) {
  QByteArray endlessExtensions = Header(2, 2);
  for (int i = 0; i < 200000; ++i) endlessExtensions.append("\x21\xFE\x01x\x00", 5);
  QByteArray endlessSubBlocks = Header(2, 2) + QByteArray("\x21\xFE", 2);
  endlessSubBlocks.append(QByteArray(8 << 20, '\xFF'));
  struct Case {
    const char* name;
    QByteArray bytes;
  } cases[] = {
      {"empty", QByteArray()},
      {"not a GIF", QByteArray("\x89PNG\r\n\x1a\n0000000000000000", 24)},
      {"huge screen and image", Header(65535, 65535) + Image(65535, 65535, 2, {4, 0, 5}, 3)},
      {"huge image on a small screen", Header(10, 10) + Image(60000, 60000, 2, {4, 0, 5}, 3)},
      {"first code past the clear code", Header(2, 2) + Image(2, 2, 2, {4, 7, 0, 0}, 3)},
      {"code past the next free entry", Header(2, 2) + Image(2, 2, 2, {4, 1, 7, 0}, 3)},
      {"code size 0", Header(2, 2) + Image(2, 2, 0, {2, 0, 0}, 1)},
      {"code size 12", Header(2, 2) + Image(2, 2, 12, {}, 13)},
      {"endless extensions without an image", endlessExtensions},
      {"extension whose sub-blocks never end", endlessSubBlocks},
      {"trailer before any image", Header(2, 2) + QByteArray("\x3B", 1)},
      {"unknown block", Header(2, 2) + QByteArray("\x99\x00", 2)},
      {"empty image", Header(2, 2) + Image(0, 2, 2, {4, 5}, 3)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CGifDecoder gif;
    EXPECT_EQ(gif.Decode(c.bytes), CGifDecoder::Status::Failed);
    EXPECT_TRUE(gif.Picture().isNull());
    EXPECT_FALSE(gif.Error().isEmpty());
  }
}

TEST(GifDecoder, PixelLimitIsCheckedBeforeDecoding) {
  const QByteArray tenByTen = WriteGif(Plain(10, 10, 4)).bytes;
  const QByteArray elevenByTen = WriteGif(Plain(11, 10, 4)).bytes;
  CGifDecoder gif(100);
  EXPECT_EQ(gif.Decode(tenByTen), CGifDecoder::Status::Complete);
  EXPECT_EQ(gif.Decode(elevenByTen), CGifDecoder::Status::Failed);
  EXPECT_TRUE(gif.Error().contains(QLatin1String("too large")));
}

}  // namespace
