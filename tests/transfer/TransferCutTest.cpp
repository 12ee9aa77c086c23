// A transfer stream cut at every byte: whatever arrived is handled, the
// loss removes the incomplete file, and no file ever holds part of its bytes.
#include "common/protocol/MessageFraming.h"
#include "common/protocol/ServerMessage.h"
#include "common/transfer/TransferSession.h"

#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

namespace lumi::transfer {
namespace {

using protocol::MessageBuilder;

QByteArray serverStream(const QByteArray& first, const QByteArray& second) {
  QByteArray s;
  s += MessageBuilder(2047).appendInt32(2).appendInt32(0).appendInt32(int(first.size() + second.size())).bytes();
  s += MessageBuilder(2038).appendCountedString("one.zip").appendInt32(int(first.size())).bytes();
  s += MessageBuilder(2042).appendDataChunk(first.left(7)).bytes();
  s += MessageBuilder(2043).appendDataChunk(first.mid(7, 5)).bytes();
  s += MessageBuilder(2044).appendDataChunk(first.mid(12)).bytes();
  s += protocol::encodeMessage(2041);
  s += MessageBuilder(2038).appendCountedString("sub\\two.zip").appendInt32(int(second.size())).bytes();
  s += MessageBuilder(2044).appendDataChunk(second).bytes();
  s += protocol::encodeMessage(2041);
  s += protocol::encodeMessage(2048);
  s += protocol::encodeMessage(2051);
  return s;
}

TEST(TransferCut, EveryCutLeavesOnlyWholeFiles) {
  const QByteArray first = "0123456789abcdefghij", second = "second file";
  const QByteArray stream = serverStream(first, second);
  for (qsizetype cut = 0; cut <= stream.size(); ++cut) {
    SCOPED_TRACE(cut);
    QTemporaryDir dir;
    TransferSession session(dir.path(), TransferRole::Updater);
    protocol::MessageReceiver receiver;
    qsizetype pos = 0;
    bool finished = false;
    const auto read = [&](char* into, qint64 max) -> qint64 {
      const qint64 n = std::min<qint64>(max, cut - pos);
      if (n <= 0) return 0;  // the connection ends here
      std::memcpy(into, stream.constData() + pos, size_t(n));
      pos += n;
      return n;
    };
    for (;;) {
      const auto step = receiver.step(read);
      if (step.status == protocol::MessageReceiver::Status::NeedMore) continue;
      if (step.status != protocol::MessageReceiver::Status::Message) break;
      const TransferStep t = session.handle(step.message.code, step.message.payload);
      ASSERT_FALSE(t.ends()) << t.error.toStdString();
      finished = finished || t.kind == TransferStep::Kind::Finished;
    }
    if (!finished) session.abandon();
    EXPECT_EQ(finished, cut == stream.size());
    QDirIterator it(dir.path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString path = it.next();
      QFile file(path);
      ASSERT_TRUE(file.open(QIODevice::ReadOnly));
      const QByteArray bytes = file.readAll();
      EXPECT_TRUE((path.endsWith("/one.zip") && bytes == first) || (path.endsWith("/sub/two.zip") && bytes == second))
          << path.toStdString();
    }
  }
}

}  // namespace
}  // namespace lumi::transfer
