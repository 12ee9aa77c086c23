// The picture loader on files the test writes: the fit rule, fitted decoding,
// the formats' pixels at 24 bits, and files that are not pictures.
#include <sys/stat.h>

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "shell/library/CGifDecoder.h"
#include "shell/library/CPictureLoader.h"
#include "tests/photos/GifWriter.h"

using lumi::library::CPictureLoader;
using lumi::library::FitPicture;

namespace {

TEST(FitPicture, Table) {
  struct Row {
    QSize area, picture;
    QRect placed;
  } rows[] = {
      {{800, 600}, {320, 240}, {0, 0, 800, 600}},     // smaller, 4:3: fills the window
      {{800, 600}, {400, 200}, {0, 100, 800, 400}},   // smaller, wide: full width, centred
      {{800, 600}, {1600, 1200}, {0, 0, 800, 600}},   // larger: halved
      {{800, 600}, {100, 200}, {250, 0, 300, 600}},   // smaller, tall: full height
      {{800, 600}, {100, 100}, {100, 0, 600, 600}},   // smaller, square
      {{800, 600}, {1, 1}, {100, 0, 600, 600}},
      {{800, 600}, {300, 250}, {40, 0, 720, 600}},    // smaller, wider than high but under 4:3: kept whole
      {{800, 600}, {101, 100}, {97, 0, 606, 600}},
      {{800, 600}, {640, 600}, {80, 0, 640, 600}},    // exactly as high: unscaled
      {{800, 600}, {800, 600}, {0, 0, 800, 600}},
      {{800, 600}, {4000, 3000}, {0, 0, 800, 600}},
      {{800, 600}, {3000, 4000}, {175, 0, 450, 600}},
      {{800, 600}, {10000, 10}, {0, 300, 800, 0}},    // thinner than a pixel: nothing drawn
      {{800, 600}, {1200, -900}, {0, 0, 800, 600}},   // bottom-up height counts by its size
      {{176, 128}, {1600, 1200}, {3, 0, 170, 128}},   // a thumbnail cell less its border
      {{176, 128}, {4000, 3000}, {3, 0, 170, 128}},
      {{176, 128}, {150, 120}, {8, 0, 160, 128}},
      {{800, 600}, {0, 0}, {}},
      {{0, 0}, {320, 240}, {}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.picture.width() << "x" << r.picture.height() << " in " << r.area.width()
                                    << "x" << r.area.height());
    EXPECT_EQ(FitPicture(r.area, r.picture), r.placed);
  }
}

class PictureLoaderTest : public testing::Test {
 protected:
  QString Path(const QString& name) const { return dir_.filePath(name); }
  QString Save(const QImage& image, const QString& name, const char* format, int quality = -1) {
    const QString path = Path(name);
    EXPECT_TRUE(image.save(path, format, quality));
    return path;
  }
  QTemporaryDir dir_;
};

QImage Gradient(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, (x ^ y) & 0xFF));
  return image;
}

TEST_F(PictureLoaderTest, TwelveMegapixelJpegDecodesOnlyAtItsFittedSize) {
  const QString path = Save(Gradient(4000, 3000), QStringLiteral("big.JPG"), "JPEG", 70);
  CPictureLoader loader;
  ASSERT_TRUE(loader.Load(path, QSize(176, 128))) << loader.Error().toStdString();
  EXPECT_EQ(loader.SourceSize(), QSize(4000, 3000));
  EXPECT_EQ(loader.Picture().size(), QSize(170, 128));
  EXPECT_EQ(loader.Picture().format(), QImage::Format_RGB888);

  ASSERT_TRUE(loader.Load(path, QSize(800, 600)));
  EXPECT_EQ(loader.Picture().size(), QSize(800, 600));
  ASSERT_TRUE(loader.Load(path));  // no bound: the whole picture
  EXPECT_EQ(loader.Picture().size(), QSize(4000, 3000));
}

TEST_F(PictureLoaderTest, BitmapsOfEveryDepthArrive24BitWithTheirPixels) {
  const QImage source = Gradient(37, 23);
  struct Row {
    const char* name;
    QImage image;
    int bits;  // as written in the file's header
  } rows[] = {
      {"24-bit", source, 24},
      {"8-bit", source.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither), 8},
      {"4-bit",
       source.convertToFormat(QImage::Format_Indexed8,
                              QList<QRgb>{qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255),
                                          qRgb(255, 255, 255)},
                              Qt::ThresholdDither),
       4},
      {"1-bit", source.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither), 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const QString path = Save(r.image, QStringLiteral("%1.bmp").arg(QLatin1String(r.name)), "BMP");
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    ASSERT_EQ(uint8_t(written.readAll().at(28)), r.bits);
    CPictureLoader loader;
    ASSERT_TRUE(loader.Load(path)) << loader.Error().toStdString();
    ASSERT_EQ(loader.Picture().format(), QImage::Format_RGB888);
    EXPECT_EQ(loader.Picture(), r.image.convertToFormat(QImage::Format_RGB888));
  }
}

// 16-bit bitmaps (5 bits per colour) are shown too, each colour moved to the
// top 5 bits of its byte.
TEST_F(PictureLoaderTest, SixteenBitBitmapIsConverted) {
  QByteArray bmp("BM");
  auto u32 = [&](quint32 v) { for (int i = 0; i < 4; ++i) bmp.append(char((v >> (8 * i)) & 0xFF)); };
  auto u16 = [&](quint16 v) { bmp.append(char(v & 0xFF)); bmp.append(char(v >> 8)); };
  u32(14 + 40 + 8), u32(0), u32(14 + 40);
  u32(40), u32(2), u32(2), u16(1), u16(16), u32(0), u32(8), u32(2835), u32(2835), u32(0), u32(0);
  u16(0x001F), u16(0x7FFF);  // bottom row first: blue, white
  u16(0x7C00), u16(0x03E0);  // top row: red, green
  QFile file(Path(QStringLiteral("deep.bmp")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bmp);
  file.close();
  CPictureLoader loader;
  ASSERT_TRUE(loader.Load(file.fileName())) << loader.Error().toStdString();
  ASSERT_EQ(loader.Picture().format(), QImage::Format_RGB888);
  EXPECT_EQ(loader.Picture().pixel(0, 0), qRgb(248, 0, 0));
  EXPECT_EQ(loader.Picture().pixel(1, 0), qRgb(0, 248, 0));
  EXPECT_EQ(loader.Picture().pixel(0, 1), qRgb(0, 0, 248));
  EXPECT_EQ(loader.Picture().pixel(1, 1), qRgb(248, 248, 248));
}

// A header claiming 40000 x 40000 pixels (4.5 GiB at 24 bits) over a few
// bytes of data: refused by the readers' allocation limit, bound or not.
TEST_F(PictureLoaderTest, HugeClaimedSizeIsRefusedNotAllocated) {
  QByteArray bmp("BM");
  auto u32 = [&](quint32 v) { for (int i = 0; i < 4; ++i) bmp.append(char((v >> (8 * i)) & 0xFF)); };
  auto u16 = [&](quint16 v) { bmp.append(char(v & 0xFF)); bmp.append(char(v >> 8)); };
  u32(14 + 40 + 64), u32(0), u32(14 + 40);
  u32(40), u32(40000), u32(40000), u16(1), u16(24), u32(0), u32(0), u32(2835), u32(2835), u32(0), u32(0);
  bmp.append(QByteArray(64, '\x40'));
  QFile file(Path(QStringLiteral("huge.bmp")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bmp);
  file.close();
  for (QSize bound : {QSize(176, 128), QSize()}) {
    CPictureLoader loader;
    EXPECT_FALSE(loader.Load(file.fileName(), bound));
    EXPECT_TRUE(loader.Picture().isNull());
    EXPECT_FALSE(loader.Error().isEmpty());
  }
}

TEST_F(PictureLoaderTest, GifsGoThroughTheShellsDecoderWhateverTheCase) {
  lumi::test::GifLayout s;
  s.screenWidth = s.width = 400;
  s.screenHeight = s.height = 200;
  s.globalTable = {qRgb(10, 20, 30), qRgb(200, 0, 0), qRgb(0, 0, 0), qRgb(0, 0, 0)};
  s.minCodeSize = 2;
  s.indices.assign(400 * 200, 1);
  for (int x = 0; x < 4 * 400; ++x) s.indices[x] = 0;  // the top four rows are transparent
  s.controlBlock = true;
  s.disposal = 2;
  s.transparentIndex = 0;
  const QByteArray bytes = lumi::test::WriteGif(s).bytes;
  for (const char* name : {"a.gif", "b.GIF", "c.d.Gif"}) {
    SCOPED_TRACE(name);
    QFile file(Path(QLatin1String(name)));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    CPictureLoader loader;
    ASSERT_TRUE(loader.Load(file.fileName(), QSize(200, 150)));
    EXPECT_EQ(loader.SourceSize(), QSize(400, 200));
    EXPECT_EQ(loader.Picture().size(), QSize(200, 100));
    EXPECT_EQ(loader.Picture().pixel(50, 0), lumi::library::kGifKeyColour);  // Qt's reader would give alpha
    EXPECT_EQ(loader.Picture().pixel(50, 99), qRgb(200, 0, 0));
  }
}

TEST_F(PictureLoaderTest, DrawFitsOntoBlack) {
  QImage red(400, 200, QImage::Format_RGB32);
  red.fill(qRgb(200, 0, 0));
  CPictureLoader loader;
  ASSERT_TRUE(loader.Load(Save(red, QStringLiteral("red.bmp"), "BMP"), QSize(800, 600)));
  QImage window(820, 620, QImage::Format_RGB32);
  window.fill(qRgb(1, 2, 3));
  {
    QPainter painter(&window);
    loader.Draw(painter, QRect(10, 10, 800, 600));
  }
  EXPECT_EQ(window.pixel(5, 5), qRgb(1, 2, 3));  // outside the target: untouched
  for (int y : {10, 109, 510, 609}) EXPECT_EQ(window.pixel(400, y), qRgb(0, 0, 0)) << y;
  for (int y : {110, 300, 509}) EXPECT_EQ(window.pixel(400, y), qRgb(200, 0, 0)) << y;
  EXPECT_EQ(window.pixel(10, 110), qRgb(200, 0, 0));
  EXPECT_EQ(window.pixel(809, 509), qRgb(200, 0, 0));
}

TEST_F(PictureLoaderTest, WhatIsNotAPictureFailsWithoutBlocking) {
  ASSERT_EQ(::mkfifo(QFile::encodeName(Path(QStringLiteral("fifo.jpg"))).constData(), 0600), 0);
  ASSERT_EQ(::mkfifo(QFile::encodeName(Path(QStringLiteral("fifo.gif"))).constData(), 0600), 0);
  ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("folder.gif")));
  ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), Path(QStringLiteral("zero.jpg"))));
  QFile garbage(Path(QStringLiteral("garbage.jpg")));
  ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
  garbage.write(QByteArray(5000, '\x5A'));
  garbage.close();
  QFile cut(Path(QStringLiteral("cut.gif")));
  ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
  cut.write("GIF89a\x10\x00", 8);
  cut.close();
  for (const char* name : {"fifo.jpg", "fifo.gif", "folder.gif", "zero.jpg", "garbage.jpg", "cut.gif", "missing.bmp"}) {
    SCOPED_TRACE(name);
    CPictureLoader loader;
    EXPECT_FALSE(loader.Load(Path(QLatin1String(name)), QSize(176, 128)));
    EXPECT_TRUE(loader.Picture().isNull());
    EXPECT_FALSE(loader.Error().isEmpty());
  }
}

}  // namespace
