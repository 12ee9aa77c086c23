#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "manager/users/UserList.h"
#include "tests/support/QtPrinters.h"

using lumi::manager::UserList;
using lumi::manager::UserRecord;

namespace {

const UserRecord kKim{"김철수", "kim", "secret", "1234", 1};
const UserRecord kLee{"Lee", "lee", "pw", "", 0};

TEST(UserList, RecordsAreScrambledAndATruncatedLastOneIsDropped) {
  const QByteArray two = UserList::Encode(kKim) + UserList::Encode(kLee);
  ASSERT_EQ(two.size(), 144);
  EXPECT_EQ(static_cast<unsigned char>(two[21]), 'k' ^ 0xA6) << "text bytes are scrambled";
  EXPECT_EQ(two.mid(72 + 63, 5), QByteArray(5, '\0')) << "an empty PIN is five zero bytes";
  EXPECT_EQ(two.mid(68, 4), QByteArray("\x01\0\0\0", 4)) << "the flag is not scrambled";

  for (const QByteArray& data : {two, two + QByteArray(6, 'x')}) {
    const UserList list = UserList::Parse(data);
    ASSERT_EQ(list.users().size(), 2) << data.size() << " bytes";
    EXPECT_EQ(list.displayNames(), QStringList({"김철수", "Lee"}));
    EXPECT_EQ(list.users()[0].password, "secret");
    EXPECT_EQ(list.users()[0].pin, "1234");
    EXPECT_EQ(list.users()[0].pinAtLogin, 1);
    EXPECT_EQ(list.users()[1].pin, "");
  }
}

TEST(UserList, SelUserPicksAnEntryOrNobody) {
  const UserList list = UserList::Parse(UserList::Encode(kKim) + UserList::Encode(kLee));
  struct Case {
    int selUser;
    int selection;
  };
  for (const Case& c : {Case{0, 0}, Case{1, 1}, Case{5, -1}, Case{-1, -1}, Case{2, -1}})
    EXPECT_EQ(list.selection(c.selUser), c.selection) << c.selUser;
}

TEST(UserList, FileInTheProgramFolderAndBadInput) {
  QTemporaryDir dir;
  EXPECT_TRUE(UserList::Load(UserList::FileIn(dir.path())).users().isEmpty()) << "no file: no users";
  QDir(dir.path()).mkpath("User");
  QFile f(UserList::FileIn(dir.path()));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(UserList::Encode({"A very long display name indeed", "id", "", "", 0}));
  f.close();
  const UserList list = UserList::Load(f.fileName());
  ASSERT_EQ(list.users().size(), 1);
  EXPECT_EQ(list.users()[0].name, "A very long display ") << "20 bytes at most";
  // A byte equal to the key would scramble to zero: it ends the text.
  QByteArray record = UserList::Encode({"ab", "", "", "", 0});
  record[1] = 0;
  EXPECT_EQ(UserList::Parse(record).users()[0].name, "a");
  EXPECT_TRUE(UserList::Parse(QByteArray(71, 'x')).users().isEmpty());
}

}  // namespace
