// Nine thumbnails (one grid page, cells of 176 x 128 inside their border) of
// 12-megapixel JPEGs: CPictureLoader against vipsthumbnail making the same
// nine, each in its own process, alternating, so that both see the same
// machine and the same warm page cache. Prints the median wall time and peak
// resident memory of each and their ratios; also the loader's in-process
// time for the page and for one viewer picture (800 x 600), and the shell's
// GIF decoder against Qt's GIF reader on the same 2000 x 1500 GIF.
//
//   bench_photo_thumbnails [rounds]
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <QDir>
#include <QElapsedTimer>
#include <QBuffer>
#include <QCoreApplication>
#include <QImageReader>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "shell/library/CGifDecoder.h"
#include "shell/library/CPictureLoader.h"
#include "tests/photos/GifWriter.h"

extern char** environ;

namespace {

constexpr QSize kCell(176, 128);

struct Run {
  double ms = 0;
  double peakMiB = 0;
};

// Wall time and peak resident size of one child process.
Run spawnAndWait(const QStringList& argv) {
  std::vector<QByteArray> bytes;
  for (const QString& a : argv) bytes.push_back(a.toLocal8Bit());
  std::vector<char*> args;
  for (QByteArray& b : bytes) args.push_back(b.data());
  args.push_back(nullptr);
  QElapsedTimer timer;
  timer.start();
  pid_t pid = 0;
  if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) {
    std::fprintf(stderr, "cannot start %s\n", args[0]);
    return {};
  }
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  Run run;
  run.ms = timer.nsecsElapsed() / 1e6;
  run.peakMiB = usage.ru_maxrss / 1024.0;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) std::fprintf(stderr, "%s failed\n", args[0]);
  return run;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

QStringList pictures(const QString& dir) {
  QStringList files;
  for (const QString& name : QDir(dir).entryList({"*.jpg"}, QDir::Files, QDir::Name)) files << dir + "/" + name;
  return files;
}

// The child: the nine thumbnails of a page, as the grid makes them.
int loadPage(const QString& dir) {
  for (const QString& file : pictures(dir)) {
    lumi::library::CPictureLoader loader;
    if (!loader.Load(file, kCell)) return 1;
  }
  return 0;
}

// The pictures are written by a child too: a child's peak resident size
// includes what its parent held when it was started.
int writePictures(const QString& dir) {
  for (int i = 0; i < 9; ++i) {
    QImage image(4000, 3000, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
      auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
      for (int x = 0; x < image.width(); ++x)
        line[x] = qRgb((x * 255 / 4000 + i * 20) & 0xFF, y * 255 / 3000, ((x / 7) ^ (y / 5) ^ (i * 31)) & 0xFF);
    }
    if (!image.save(QString("%1/photo%2.jpg").arg(dir).arg(i), "JPEG", 85)) return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);  // no display: the loader and the painting need none
  if (argc == 3 && std::strcmp(argv[1], "--page") == 0) return loadPage(QString::fromLocal8Bit(argv[2]));
  if (argc == 3 && std::strcmp(argv[1], "--write") == 0) return writePictures(QString::fromLocal8Bit(argv[2]));
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 7;

  QTemporaryDir dir, out;
  std::printf("writing nine 4000 x 3000 JPEGs...\n");
  spawnAndWait({QString::fromLocal8Bit(argv[0]), "--write", dir.path()});
  const Run floor = spawnAndWait({"true"});

  const QStringList files = pictures(dir.path());
  QStringList vips{"vipsthumbnail", "-s", QString("%1x%2").arg(kCell.width()).arg(kCell.height()), "-o",
                   out.path() + "/%s.jpg"};
  vips += files;
  const QStringList ours{QString::fromLocal8Bit(argv[0]), "--page", dir.path()};

  spawnAndWait(ours);  // warm the page cache and the plugins
  spawnAndWait(vips);
  std::vector<double> oursMs, vipsMs, oursMiB, vipsMiB;
  for (int r = 0; r < rounds; ++r) {
    const Run a = spawnAndWait(ours);
    const Run b = spawnAndWait(vips);
    oursMs.push_back(a.ms), oursMiB.push_back(a.peakMiB);
    vipsMs.push_back(b.ms), vipsMiB.push_back(b.peakMiB);
  }
  std::printf("nine thumbnails, own process: loader median %.1f ms, peak %.1f MiB; vipsthumbnail median %.1f ms, "
              "peak %.1f MiB; time ratio %.2f, memory ratio %.2f\n",
              median(oursMs), median(oursMiB), median(vipsMs), median(vipsMiB),
              median(oursMs) / std::max(1e-9, median(vipsMs)), median(oursMiB) / std::max(1e-9, median(vipsMiB)));
  std::printf("(a child's peak includes this launcher's %.1f MiB, measured with true)\n", floor.peakMiB);

  // In this process, warm: the page, and one viewer picture decoded, fitted and painted.
  std::vector<double> pageMs, viewerMs;
  QImage window(800, 600, QImage::Format_RGB32);
  for (int r = 0; r < rounds; ++r) {
    QElapsedTimer timer;
    timer.start();
    for (const QString& file : files) {
      lumi::library::CPictureLoader loader;
      loader.Load(file, kCell);
    }
    pageMs.push_back(timer.nsecsElapsed() / 1e6);
    timer.restart();
    lumi::library::CPictureLoader loader;
    loader.Load(files[r % files.size()], window.size());
    QPainter painter(&window);
    loader.Draw(painter, window.rect());
    painter.end();
    viewerMs.push_back(timer.nsecsElapsed() / 1e6);
  }
  std::printf("in process, warm: nine thumbnails median %.1f ms (target < 300); viewer picture (decode, fit, paint) "
              "median %.1f ms (target < 300)\n",
              median(pageMs), median(viewerMs));

  // The GIF decoder and Qt's reader, alternating on one picture of 256 colours.
  lumi::test::GifLayout gif;
  gif.screenWidth = gif.width = 2000;
  gif.screenHeight = gif.height = 1500;
  for (int i = 0; i < 256; ++i) gif.globalTable.push_back(qRgb(i, 255 - i, (i * 7) & 0xFF));
  gif.indices.resize(size_t(2000) * 1500);
  for (int y = 0; y < 1500; ++y)
    for (int x = 0; x < 2000; ++x) gif.indices[size_t(y) * 2000 + x] = uint8_t((x / 3 + y / 2 + ((x * y) % 7)) & 0xFF);
  const QByteArray gifBytes = lumi::test::WriteGif(gif).bytes;
  std::vector<double> gifOurs, gifQt, gifFitted;
  for (int r = 0; r < rounds; ++r) {
    QElapsedTimer timer;
    timer.start();
    lumi::library::CGifDecoder decoder;
    decoder.Decode(gifBytes);
    gifOurs.push_back(timer.nsecsElapsed() / 1e6);
    timer.restart();
    decoder.Decode(gifBytes, kCell);
    gifFitted.push_back(timer.nsecsElapsed() / 1e6);
    timer.restart();
    QBuffer buffer;
    buffer.setData(gifBytes);
    QImageReader reader(&buffer, "gif");
    const QImage image = reader.read();
    gifQt.push_back(timer.nsecsElapsed() / 1e6);
    if (image.isNull() || decoder.Picture().isNull()) std::fprintf(stderr, "GIF decoding failed\n");
  }
  std::printf("2000 x 1500 GIF (%lld bytes): own decoder median %.1f ms, Qt's reader median %.1f ms, ratio %.2f; "
              "own decoder at thumbnail size median %.1f ms\n",
              (long long)gifBytes.size(), median(gifOurs), median(gifQt),
              median(gifOurs) / std::max(1e-9, median(gifQt)), median(gifFitted));
  return 0;
}
