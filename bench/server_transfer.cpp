// The reference server sending a 2 MiB update to 50 clients at once, while a
// stalled client holds a session open, against a plain loopback copy of the
// same bytes to 50 readers in the same run.
//
// Counters: server_MBps and plain_MBps (payload bytes delivered per second
// of wall time), ratio = server / plain, slowest_client_s (the slowest of
// the 50 exchanges), correct (clients whose archive unpacked to the exact
// file, out of 50).
#include "common/transfer/SafeUnzip.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kClients = 50;
constexpr int kFileBytes = 2 * 1024 * 1024;
using Clock = std::chrono::steady_clock;

QString programDir() {
  const QByteArray env = qgetenv("LUMI_PROGRAM_DIR");
  return env.isEmpty() ? QStringLiteral(LUMI_PROGRAM_DIR) : QString::fromLocal8Bit(env);
}

int connectTo(quint16 port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

bool readAll(int fd, char* into, qint64 n) {
  while (n > 0) {
    const ssize_t got = read(fd, into, size_t(n));
    if (got <= 0) return false;
    into += got;
    n -= got;
  }
  return true;
}

void sendMessage(int fd, qint32 code, const QByteArray& payload = {}) {
  QByteArray m(8, '\0');
  std::memcpy(m.data(), &code, 4);
  const qint32 length = qint32(payload.size());
  std::memcpy(m.data() + 4, &length, 4);
  m += payload;
  (void)!write(fd, m.constData(), size_t(m.size()));
}

bool receive(int fd, qint32& code, QByteArray& payload) {
  char header[8];
  if (!readAll(fd, header, 8)) return false;
  qint32 length = 0;
  std::memcpy(&code, header, 4);
  std::memcpy(&length, header + 4, 4);
  payload.resize(length);
  return length == 0 || readAll(fd, payload.data(), length);
}

// One whole update exchange; the archive received, empty on failure. Chunk
// bytes are read straight into the archive, as a plain reader would.
QByteArray updateClient(quint16 port) {
  const int fd = connectTo(port);
  if (fd < 0) return {};
  QByteArray archive;
  qint64 used = 0;
  sendMessage(fd, 2067);
  qint32 code = 0;
  QByteArray payload;
  if (!receive(fd, code, payload) || code != 2033) return close(fd), QByteArray();
  sendMessage(fd, 2045);
  for (;;) {
    char header[8];
    if (!readAll(fd, header, 8)) break;
    qint32 length = 0;
    std::memcpy(&code, header, 4);
    std::memcpy(&length, header + 4, 4);
    if (code == 2042 || code == 2043 || code == 2044) {
      qint32 n = 0;
      if (!readAll(fd, reinterpret_cast<char*>(&n), 4) || n != length - 4) break;
      if (archive.size() < used + n) archive.resize(std::max<qint64>(used + n, 3 * 1024 * 1024));
      if (!readAll(fd, archive.data() + used, n)) break;
      used += n;
      sendMessage(fd, code == 2044 ? 2041 : 2043);
      continue;
    }
    payload.resize(length);
    if (length > 0 && !readAll(fd, payload.data(), length)) break;
    switch (code) {
      case 2047: case 2041: sendMessage(fd, 2049); break;
      case 2038: sendMessage(fd, 2042); break;
      case 2048: sendMessage(fd, 2051); break;
      case 2051: close(fd); archive.truncate(used); return archive;
      default: close(fd); return {};
    }
  }
  close(fd);
  return {};
}

struct Server {
  QProcess process;
  quint16 port = 0;
  bool start(const QString& catalogue, int chunkSize) {
    process.start(programDir() + "/lumicaster-server", {"--port", "0", "--update-catalogue", catalogue, "--max-sessions",
                                                        "200", "--chunk-size", QString::number(chunkSize)});
    if (!process.waitForStarted(5000)) return false;
    QByteArray text;
    const QRegularExpression listening("listening on 127\\.0\\.0\\.1:(\\d+)");
    for (int i = 0; i < 400 && port == 0; ++i) {
      process.waitForReadyRead(50);
      text += process.readAllStandardError();
      const auto match = listening.match(QString::fromUtf8(text));
      if (match.hasMatch()) port = quint16(match.captured(1).toUInt());
    }
    return port != 0;
  }
  ~Server() {
    process.kill();
    process.waitForFinished(3000);
  }
};

// The same number of bytes through 50 plain loopback connections.
double plainCopySeconds(const QByteArray& bytes) {
  const int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t len = sizeof a;
  getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len);
  listen(listener, kClients);
  const auto start = Clock::now();
  std::thread sender([&] {
    std::vector<std::thread> writers;
    for (int i = 0; i < kClients; ++i) {
      const int fd = accept(listener, nullptr, nullptr);
      writers.emplace_back([fd, &bytes] {
        qint64 done = 0;
        while (done < bytes.size()) {
          const ssize_t n = write(fd, bytes.constData() + done, size_t(bytes.size() - done));
          if (n <= 0) break;
          done += n;
        }
        close(fd);
      });
    }
    for (auto& w : writers) w.join();
  });
  std::vector<std::thread> readers;
  for (int i = 0; i < kClients; ++i)
    readers.emplace_back([&] {
      const int fd = connectTo(ntohs(a.sin_port));
      QByteArray in(bytes.size(), '\0');
      readAll(fd, in.data(), in.size());
      close(fd);
    });
  for (auto& r : readers) r.join();
  sender.join();
  close(listener);
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void BM_UpdateToFiftyClients(benchmark::State& state) {
  QTemporaryDir dir;
  QDir().mkpath(dir.filePath("catalogue"));
  QByteArray file((kFileBytes + 3) / 4 * 4, '\0');
  QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(file.data()), file.size() / 4);
  file.truncate(kFileBytes);
  QFile out(dir.filePath("catalogue/Lumicaster.exe"));
  out.open(QIODevice::WriteOnly);
  out.write(file);
  out.close();
  Server server;
  if (!server.start(dir.filePath("catalogue"), int(state.range(0)))) {
    state.SkipWithError("lumicaster-server did not start");
    return;
  }
  double serverSeconds = 0, plainSeconds = 0, slowest = 0;
  int correct = 0;
  qint64 delivered = 0;
  for (auto _ : state) {
    // A client that takes its offer, asks for data and never reads.
    const int stalled = connectTo(server.port);
    sendMessage(stalled, 2067);
    sendMessage(stalled, 2045);
    sendMessage(stalled, 2049);
    sendMessage(stalled, 2042);

    std::vector<QByteArray> archives(kClients);
    std::vector<double> seconds(kClients);
    const auto start = Clock::now();
    std::vector<std::thread> clients;
    for (int i = 0; i < kClients; ++i)
      clients.emplace_back([&, i] {
        const auto begin = Clock::now();
        archives[size_t(i)] = updateClient(server.port);
        seconds[size_t(i)] = std::chrono::duration<double>(Clock::now() - begin).count();
      });
    for (auto& c : clients) c.join();
    serverSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    close(stalled);
    slowest = *std::max_element(seconds.begin(), seconds.end());
    delivered = 0;
    for (const QByteArray& a : archives) delivered += a.size();

    state.PauseTiming();
    correct = 0;
    for (int i = 0; i < kClients; ++i) {
      const QString zip = dir.filePath(QStringLiteral("got%1.zip").arg(i));
      QFile z(zip);
      z.open(QIODevice::WriteOnly);
      z.write(archives[size_t(i)]);
      z.close();
      lumi::transfer::DownloadFolder folder(dir.filePath(QStringLiteral("out%1").arg(i)));
      lumi::transfer::SafeUnzip(zip, folder);
      QFile got(folder.root() + "/Lumicaster.exe");
      correct += got.open(QIODevice::ReadOnly) && got.readAll() == file;
    }
    QByteArray same(archives[0]);
    plainSeconds = plainCopySeconds(same.isEmpty() ? file : same);
    state.ResumeTiming();
  }
  const double serverRate = double(delivered) / serverSeconds / 1e6;
  const double plainRate = double(delivered) / plainSeconds / 1e6;
  state.counters["server_MBps"] = serverRate;
  state.counters["plain_MBps"] = plainRate;
  state.counters["ratio"] = serverRate / plainRate;
  state.counters["slowest_client_s"] = slowest;
  state.counters["correct"] = correct;
}
// The argument is the server's chunk size (64 KiB is its default): every
// chunk is one request and one answer, so larger chunks mean fewer turns.
BENCHMARK(BM_UpdateToFiftyClients)->Arg(65536)->Arg(262144)->Arg(1048576)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
