// The client side of the file transfer, driven message by message: replies
// byte for byte, files confined to the download folder, and every way a
// server can break the exchange.
#include "common/protocol/MessageCodes.h"
#include "common/protocol/ServerMessage.h"
#include "common/transfer/TransferSession.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace lumi::transfer {
namespace {

using protocol::MessageBuilder;
using Kind = TransferStep::Kind;

QByteArray header(qint32 code) { return protocol::encodeMessage(code); }

QByteArray fileHeader(const QString& name, qint32 size) {
  MessageBuilder m(0);
  m.appendCountedString(name).appendInt32(size);
  return m.bytes().mid(8);
}
QByteArray chunk(const QByteArray& data) {
  MessageBuilder m(0);
  m.appendDataChunk(data);
  return m.bytes().mid(8);
}
QByteArray ints(std::initializer_list<qint32> values) {
  MessageBuilder m(0);
  for (qint32 v : values) m.appendInt32(v);
  return m.bytes().mid(8);
}

QByteArray readAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Every file below a folder, links included, relative to it.
QStringList filesBelow(const QString& root) {
  QStringList names;
  QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) names << QDir(root).relativeFilePath(it.next());
  names.sort();
  return names;
}

class TransferSessionTest : public ::testing::Test {
 protected:
  QTemporaryDir top;
  QString downloads() const { return top.path() + "/Update"; }
};

TEST_F(TransferSessionTest, WholeUpdateTransferRepliesAsTheServerExpectsAndStoresExactBytes) {
  TransferSession session(downloads(), TransferRole::Updater);
  const QByteArray first(3000, 'a'), second(2000, 'b');
  struct Row {
    qint32 code;
    QByteArray payload;
    Kind kind;
    QByteArray reply;
  } rows[] = {
      {2047, ints({2, 1, 5000, 99}), Kind::TransferStarted, QByteArray::fromHex("0108000000000000")},
      {2039, chunk("sub"), Kind::FolderCreated, QByteArray::fromHex("0108000000000000")},
      {2038, fileHeader("Cinevane.exe.zip", 5000), Kind::FileStarted, QByteArray::fromHex("fa07000000000000")},
      {2042, chunk(first), Kind::Chunk, QByteArray::fromHex("fb07000000000000")},
      {2044, chunk(second), Kind::FileCompleted, QByteArray::fromHex("f907000000000000")},
      {2041, {}, Kind::StepFinished, QByteArray::fromHex("0108000000000000")},
      {2048, {}, Kind::AllFilesSent, QByteArray::fromHex("0308000000000000")},
      {2051, {}, Kind::Finished, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.code);
    const TransferStep step = session.handle(row.code, row.payload);
    EXPECT_EQ(step.kind, row.kind) << step.error.toStdString();
    EXPECT_EQ(step.replies.join(), row.reply);
    if (row.code == 2042) {
      EXPECT_EQ(session.filePosition(), 3000);
      EXPECT_EQ(Percent(session.filePosition(), session.fileSize()), 60);
    }
  }
  EXPECT_EQ(readAll(downloads() + "/Cinevane.exe.zip"), first + second);
  EXPECT_TRUE(QFileInfo(downloads() + "/sub").isDir());
  EXPECT_EQ(session.totalReceived(), 5000);
  EXPECT_EQ(session.receivedFiles(), QStringList{"Cinevane.exe.zip"});
  EXPECT_EQ(filesBelow(downloads()), QStringList{"Cinevane.exe.zip"});
}

TEST_F(TransferSessionTest, AFileReceivedAgainReplacesTheOldOneAndEmptyFilesWork) {
  QDir().mkpath(downloads());
  QFile old(downloads() + "/codec.zip");
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("left over from an earlier run");
  old.close();
  TransferSession session(downloads(), TransferRole::Player);
  EXPECT_EQ(session.handle(2038, fileHeader("codec.zip", 4)).kind, Kind::FileStarted);
  EXPECT_EQ(session.handle(2044, chunk("new!")).kind, Kind::FileCompleted);
  EXPECT_EQ(session.handle(2037, fileHeader("dir\\empty.txt", 0)).kind, Kind::FileStarted);
  EXPECT_EQ(session.handle(2044, chunk({})).kind, Kind::FileCompleted);
  MessageBuilder finished(2051);
  finished.appendFixedText("codec.zip", 100);
  const TransferStep step = session.handle(2051, finished.bytes().mid(8));
  EXPECT_EQ(step.kind, Kind::Finished);
  EXPECT_EQ(step.packageName, "codec.zip");
  EXPECT_EQ(readAll(downloads() + "/codec.zip"), "new!");
  EXPECT_EQ(readAll(downloads() + "/dir/empty.txt"), "");
}

TEST_F(TransferSessionTest, NamesOutsideTheFolderAreRefusedWithOnlyTheAbort) {
  const QString outside = top.path() + "/outside";
  QDir().mkpath(outside);
  QDir().mkpath(downloads());
  ASSERT_EQ(symlink(qPrintable(outside), qPrintable(downloads() + "/link")), 0);
  const QString names[] = {"../evil",  "..\\evil",    "/tmp/evil", "C:\\evil", "c:evil",
                           "a/../../x", "a\\..\\..\\x", "a//b",     "",         QString("a") + QChar(0) + "b",
                           "link/x",   QString(300, 'n'), "./x",     "x\n"};
  for (int code : {2037, 2038}) {
    for (const QString& name : names) {
      SCOPED_TRACE(code);
      SCOPED_TRACE(name.toStdString());
      TransferSession session(downloads(), TransferRole::Updater);
      const TransferStep step = session.handle(code, fileHeader(name, 4));
      EXPECT_EQ(step.kind, Kind::FileRefused);
      EXPECT_EQ(step.replies, QList<QByteArray>{header(2051)});
      EXPECT_TRUE(session.ended());
      EXPECT_EQ(session.handle(2044, chunk("evil")).kind, Kind::Ignored);
    }
  }
  EXPECT_EQ(filesBelow(outside), QStringList{});
  EXPECT_EQ(filesBelow(top.path()), QStringList{});
}

TEST_F(TransferSessionTest, AFinalNameThatIsALinkIsReplacedNotFollowed) {
  const QString target = top.path() + "/precious";
  QFile precious(target);
  ASSERT_TRUE(precious.open(QIODevice::WriteOnly));
  precious.write("keep");
  precious.close();
  QDir().mkpath(downloads());
  ASSERT_EQ(symlink(qPrintable(target), qPrintable(downloads() + "/x.zip")), 0);
  TransferSession session(downloads(), TransferRole::Updater);
  session.handle(2038, fileHeader("x.zip", 3));
  EXPECT_EQ(session.handle(2044, chunk("new")).kind, Kind::FileCompleted);
  EXPECT_EQ(readAll(target), "keep");
  EXPECT_FALSE(QFileInfo(downloads() + "/x.zip").isSymLink());
  EXPECT_EQ(readAll(downloads() + "/x.zip"), "new");
}

TEST_F(TransferSessionTest, BrokenExchangesEndWithTheAbortAndLeaveNoFile) {
  struct Row {
    const char* what;
    std::vector<std::pair<qint32, QByteArray>> before;
    qint32 code;
    QByteArray payload;
    Kind kind;
    bool replies2051;
  };
  const QByteArray open = fileHeader("f.zip", 4);
  MessageBuilder negativeChunk(0);
  negativeChunk.appendInt32(-1);
  MessageBuilder longChunk(0);
  longChunk.appendInt32(100).appendBytes("ab");
  const Row rows[] = {
      {"chunk without a file", {}, 2043, chunk("ab"), Kind::ProtocolError, true},
      {"bytes beyond the size", {{2038, open}}, 2042, chunk("abcde"), Kind::ProtocolError, true},
      {"short last chunk", {{2038, open}}, 2044, chunk("abc"), Kind::ProtocolError, true},
      {"excess after the first chunk", {{2038, open}, {2042, chunk("abc")}}, 2043, chunk("de"), Kind::ProtocolError, true},
      {"new file while one is open", {{2038, open}, {2042, chunk("ab")}}, 2038, open, Kind::ProtocolError, true},
      {"all sent during a file", {{2038, open}}, 2048, {}, Kind::ProtocolError, true},
      {"step finished during a file", {{2038, open}}, 2041, {}, Kind::ProtocolError, true},
      {"finished during a file", {{2038, open}, {2042, chunk("ab")}}, 2051, {}, Kind::ProtocolError, false},
      {"negative chunk count", {{2038, open}}, 2042, negativeChunk.bytes().mid(8), Kind::ProtocolError, true},
      {"chunk count beyond the payload", {{2038, open}}, 2042, longChunk.bytes().mid(8), Kind::ProtocolError, true},
      {"truncated file header", {}, 2038, fileHeader("f.zip", 4).left(7), Kind::ProtocolError, true},
      {"short transfer header", {}, 2047, ints({1, 0}), Kind::ProtocolError, true},
      {"negative size", {}, 2038, fileHeader("f.zip", -5), Kind::FileRefused, true},
      {"size over the cap", {}, 2038, fileHeader("f.zip", 2000), Kind::FileRefused, true},
      {"session over the cap", {{2038, fileHeader("a.zip", 900)}, {2044, chunk(QByteArray(900, 'a'))}}, 2038,
       fileHeader("f.zip", 900), Kind::FileRefused, true},
      {"server cannot open", {{2038, open}}, 2040, {}, Kind::ServerCannotOpen, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    QTemporaryDir folder;
    TransferSession session(folder.path(), TransferRole::Updater, TransferLimits{1000, 1500});
    for (const auto& [code, payload] : row.before) ASSERT_FALSE(session.handle(code, payload).ends());
    const TransferStep step = session.handle(row.code, row.payload);
    EXPECT_EQ(step.kind, row.kind) << step.error.toStdString();
    EXPECT_EQ(step.replies, row.replies2051 ? QList<QByteArray>{header(2051)} : QList<QByteArray>{});
    EXPECT_TRUE(session.ended());
    QStringList left = filesBelow(folder.path());
    left.removeAll("a.zip");
    EXPECT_EQ(left, QStringList{});
  }
}

TEST_F(TransferSessionTest, ALostConnectionRemovesTheIncompleteFile) {
  TransferSession session(downloads(), TransferRole::Updater);
  session.handle(2038, fileHeader("f.zip", 10));
  session.handle(2042, chunk("abc"));
  session.abandon();
  EXPECT_EQ(filesBelow(downloads()), QStringList{});
}

TEST_F(TransferSessionTest, OtherCodesAreLeftToTheProgram) {
  TransferSession updater(downloads(), TransferRole::Updater);
  TransferSession player(downloads(), TransferRole::Player);
  for (qint32 code : {2032, 2033, 2034, 2050, 2068, 2071, 9999}) EXPECT_EQ(updater.handle(code, {}).kind, Kind::NotTransfer);
  EXPECT_EQ(player.handle(2048, {}).kind, Kind::NotTransfer);
}

TEST(TransferProgressTest, PercentIsSixtyFourBitAndClamped) {
  EXPECT_EQ(Percent(0, 0), std::nullopt);
  EXPECT_EQ(Percent(5, -1), std::nullopt);
  EXPECT_EQ(Percent(30'000'000, 60'000'000), 50);  // a 32-bit product would overflow here
  EXPECT_EQ(Percent(qint64(1) << 40, qint64(1) << 41), 50);
  EXPECT_EQ(Percent(700, 100), 100);
  EXPECT_EQ(Percent(-3, 100), 0);
}

TEST(TransferProgressTest, SizeTexts) {
  const std::pair<qint64, const char*> rows[] = {{0, "0 Bytes"},      {1023, "1023 Bytes"}, {1024, "1 KB"},
                                                 {1048575, "1023 KB"}, {1048576, "1.00 MB"}, {3145728 + 52429, "3.05 MB"}};
  for (const auto& [bytes, text] : rows) EXPECT_EQ(SizeText(bytes), text);
}

}  // namespace
}  // namespace lumi::transfer
