// Measures the media library's catalogue scan and catalogue memory:
//  - a scan of a tree of 200,000 files in 20,000 folders (one movie per
//    folder), warm cache, against `find ROOT -xdev -type f -printf '%s\n'` on
//    the same tree in the same run (as it is, and at the worker's nice 10),
//    printed as ratios;
//  - the memory a loaded 50,000-entry catalogue takes per entry (bytes the
//    allocator holds for it).
// Prints what it measured; asserts nothing.
//
//   bench_library_scan [folders [files-per-folder [rounds]]]
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "shell/library/DriveCatalogs.h"
#include "shell/library/MediaWalk.h"

using namespace lumi::library;

namespace {

void makeTree(const QString& root, int folders, int filesPerFolder) {
  for (int f = 0; f < folders; ++f) {
    const QByteArray dir = QFile::encodeName(root + QString("/d%1/f%2").arg(f / 100).arg(f));
    std::filesystem::create_directories(dir.toStdString());
    for (int i = 0; i < filesPerFolder; ++i) {
      const QByteArray name = dir + (i == 0 ? QByteArray("/movie.avi") : "/file" + QByteArray::number(i) + ".dat");
      const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd >= 0) {
        (void)::ftruncate(fd, 1000 + i);
        ::close(fd);
      }
    }
  }
}

double scanOnce(const QString& root, const QString& data) {
  Drive drive;
  drive.root = root + "/";
  DriveCatalogs set(MediaKind::Movie, {drive}, data + "/", "Root folder");
  // The finds reach this thread through its event loop, as in the browser.
  QEventLoop loop;
  QObject::connect(&set, &DriveCatalogs::scanEnded, &loop, &QEventLoop::quit);
  QElapsedTimer timer;
  timer.start();
  set.startSearch(0);
  loop.exec();
  return timer.nsecsElapsed() / 1e6;
}

double walkOnce(const QString& root) {
  qint64 bytes = 0;
  QElapsedTimer timer;
  timer.start();
  MediaWalk walk(QFile::encodeName(root), [] { return true; }, [&](const WalkFile& f) {
    bytes += f.size;
    return false;
  });
  walk.run();
  return timer.nsecsElapsed() / 1e6;
}

// find as it is, or at the scan worker's own priority (nice 10): the worker
// gives way to everything else, so on a busy machine the fair peer is the
// second one.
double findOnce(const QString& root, bool niced = false) {
  QProcess find;
  find.setStandardOutputFile(QProcess::nullDevice());
  QElapsedTimer timer;
  timer.start();
  QStringList args{root, "-xdev", "-type", "f", "-printf", "%s\n"};
  if (niced) find.start("nice", QStringList{"-n", "10", "find"} + args);
  else find.start("find", args);
  find.waitForFinished(-1);
  return timer.nsecsElapsed() / 1e6;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// Bytes the allocator has handed out and not yet taken back.
size_t allocatedBytes() { return mallinfo2().uordblks + mallinfo2().hblkhd; }

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int folders = argc > 1 ? std::atoi(argv[1]) : 20000;
  const int perFolder = argc > 2 ? std::atoi(argv[2]) : 10;
  const int rounds = argc > 3 ? std::atoi(argv[3]) : 5;

  QTemporaryDir tree, data;
  std::printf("making %d folders with %d files each...\n", folders, perFolder);
  makeTree(tree.path(), folders, perFolder);
  findOnce(tree.path());  // warm the cache
  scanOnce(tree.path(), data.path());
  std::vector<double> scans, finds, walks, nicedFinds;
  for (int r = 0; r < rounds; ++r) {
    // Side by side, alternating, so that both see the same machine.
    finds.push_back(findOnce(tree.path()));
    nicedFinds.push_back(findOnce(tree.path(), true));
    scans.push_back(scanOnce(tree.path(), data.path()));
    walks.push_back(walkOnce(tree.path()));
  }
  const double scan = median(scans), find = median(finds);
  std::printf("scan of %d files: median %.1f ms; find -xdev -type f -printf: median %.1f ms; ratio %.2f\n",
              folders * perFolder, scan, find, find > 0 ? scan / find : 0);
  std::printf("find at the worker's priority (nice 10): median %.1f ms; scan ratio %.2f\n", median(nicedFinds),
              median(nicedFinds) > 0 ? scan / median(nicedFinds) : 0);
  std::printf("the walk alone (no catalogue): median %.1f ms; ratio %.2f\n", median(walks),
              find > 0 ? median(walks) / find : 0);

  // Memory of a loaded catalogue: 50,000 entries with paths of a usual length.
  const int entries = 50000;
  CDriveCatalog written;
  for (int i = 0; i < entries; ++i) {
    const QString folder = QString("Series %1 Season %2").arg(i / 20).arg(i % 20);
    written.append(CatalogEntry{0.0, QString("Episode %1 of the series").arg(i),
                                QString("/home/viewer/Videos/Television/%1/Episode %2 of the series.avi").arg(folder).arg(i),
                                folder, 1},
                   2);
  }
  RewriteEntries(data.path() + "/", MediaKind::Movie, 5, written);
  QFile progress(ProgressFile(data.path() + "/", MediaKind::Movie, 5));
  progress.open(QIODevice::WriteOnly);
  progress.write(EncodeProgress(1, 1));
  progress.close();
  written.clear();
  written.titles.squeeze();
  const size_t before = allocatedBytes();
  CDriveCatalog loaded;
  LoadCatalog(data.path() + "/", MediaKind::Movie, 5, 2, loaded);
  const size_t after = allocatedBytes();
  std::printf("catalogue of %d entries (%lld bytes on disk): %.0f bytes of memory per entry (record 788)\n",
              loaded.count, (long long)QFileInfo(EntriesFile(data.path() + "/", MediaKind::Movie, 5)).size(),
              double(after - before) / std::max(1, loaded.count));
  std::error_code ignored;
  std::filesystem::remove_all(tree.path().toStdString(), ignored);
  return 0;
}
