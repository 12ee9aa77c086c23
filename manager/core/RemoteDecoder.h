#pragma once
// From the bytes of one read to remote codes. The reader drives these with
// what its port delivers; tests drive them directly.
#include <QByteArray>
#include <QtGlobal>
#include <array>
#include <vector>

#include "manager/core/RemoteModel.h"

namespace lumi::manager {

// One read takes at most this many bytes into a buffer that is zeroed first,
// so that a short packet reads zeros past its end.
inline constexpr int kReadSize = 1024;
using ReadBuffer = std::array<quint8, kReadSize>;

// Model A: the byte at offset 3 of every 10-byte packet (offsets 3, 13, 23 ...
// below `count`), sign-extended: 0x82 becomes 0xFFFFFF82.
std::vector<quint32> decodeModelA(const ReadBuffer& buffer, int count);
// Model B: the first four bytes as a little-endian value. A key is the three
// bytes 0x4n 0xnn 0x3F, so it reads 0x003Fnn4n; the receiver's identification
// is the single byte 'M', which reads 77.
quint32 decodeModelB(const ReadBuffer& buffer);
std::vector<quint32> decodeRead(const ReadBuffer& buffer, int count, RemoteModel model);
// The receiver's side of the same model: the packet that decodes to `code`.
// Model A: ten bytes with the code's low byte at offset 3. Model B: the code's
// three low bytes, least significant first.
QByteArray packetFor(RemoteModel model, quint32 code);

// Only every other non-empty read is decoded: the first, the third, the fifth
// ...; the reads between them are dropped whole.
class Alternation {
 public:
  // True when this read is to be decoded.
  bool admit() {
    if (!decodeNext_) {
      decodeNext_ = true;
      return false;
    }
    decodeNext_ = false;
    return true;
  }

 private:
  bool decodeNext_ = true;
};

// When the bytes waiting on the line make one read. The line is polled every
// millisecond, far faster than a packet arrives (a model A packet takes about
// 10 ms at 9600 baud, a model B packet over 20 ms at 1200 baud), so taking whatever
// waits at each tick would cut packets in pieces and decode the pieces. Whole
// packets are taken at once; anything else once the line has been quiet for
// a few characters' time, so garbage and cut packets still come through.
class ReadSettle {
 public:
  static qint64 quietMs(RemoteModel model) { return model == RemoteModel::B ? 30 : 5; }

  bool ready(qint64 waiting, RemoteModel model, qint64 nowMs);
  void reset() { lastCount_ = 0; }

 private:
  qint64 lastCount_ = 0;
  qint64 since_ = 0;
};

}  // namespace lumi::manager
