#include "manager/core/RemoteDecoder.h"

namespace lumi::manager {

std::vector<quint32> decodeModelA(const ReadBuffer& buffer, int count) {
  std::vector<quint32> codes;
  const int packet = packetSize(RemoteModel::A);
  for (int i = 0; i < count && i + 3 < kReadSize; i += packet)
    codes.push_back(quint32(qint32(qint8(buffer[i + 3]))));
  return codes;
}

quint32 decodeModelB(const ReadBuffer& buffer) {
  return quint32(buffer[0]) | quint32(buffer[1]) << 8 | quint32(buffer[2]) << 16 | quint32(buffer[3]) << 24;
}

std::vector<quint32> decodeRead(const ReadBuffer& buffer, int count, RemoteModel model) {
  if (count <= 0) return {};
  if (model == RemoteModel::B) return {decodeModelB(buffer)};
  return decodeModelA(buffer, count);
}

QByteArray packetFor(RemoteModel model, quint32 code) {
  QByteArray packet(packetSize(model), '\0');
  if (model == RemoteModel::B) {
    for (int i = 0; i < packet.size(); ++i) packet[i] = char(code >> (8 * i));
  } else {
    packet[3] = char(code & 0xFF);
  }
  return packet;
}

bool ReadSettle::ready(qint64 waiting, RemoteModel model, qint64 nowMs) {
  if (waiting <= 0) {
    lastCount_ = 0;
    return false;
  }
  if (waiting >= kReadSize) return true;
  const int packet = packetSize(model);
  const bool whole = model == RemoteModel::B ? waiting >= packet : waiting % packet == 0;
  if (whole) return true;
  if (waiting != lastCount_) {
    lastCount_ = waiting;
    since_ = nowMs;
    return false;
  }
  return nowMs - since_ >= quietMs(model);
}

}  // namespace lumi::manager
