#pragma once
// Helpers shared by the protocol tests: hex byte strings and waiting on the
// event loop with a bound.
#include <QByteArray>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <functional>

namespace lumi::protocol::test {

// "12 08 00 00" -> bytes.
inline QByteArray hex(const char* spaced) { return QByteArray::fromHex(QByteArray(spaced).replace(' ', "")); }

inline QByteArray header(qint32 code, qint32 length) {
  QByteArray bytes(8, '\0');
  for (int i = 0; i < 4; ++i) {
    bytes[i] = char(quint32(code) >> (8 * i));
    bytes[4 + i] = char(quint32(length) >> (8 * i));
  }
  return bytes;
}

// Runs the event loop until `done` holds or `ms` have passed; returns done().
inline bool waitUntil(const std::function<bool()>& done, int ms = 3000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > ms) return false;
    QEventLoop loop;
    QTimer::singleShot(5, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return true;
}

inline void runEventsFor(int ms) {
  waitUntil([] { return false; }, ms);
}

}  // namespace lumi::protocol::test
