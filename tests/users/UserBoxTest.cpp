// The manager's main page shows the user list with `SelUser` selected.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "manager/users/UserList.h"
#include "manager/window/CPageMain.h"
#include "manager/window/ManagerWindowStrings.h"
#include "tests/support/QtPrinters.h"

using namespace lumi::manager;

TEST(UserBox, ShowsTheDisplayNamesDisabledWithSelUserSelected) {
  int argc = 1;
  char name[] = "test_users";
  char* argv[] = {name};
  QApplication app(argc, argv);
  QTemporaryDir folder;
  QDir(folder.path()).mkpath("User");
  QFile file(UserList::FileIn(folder.path()));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(UserList::Encode({"김철수", "kim", "", "", 0}) + UserList::Encode({"Lee", "lee", "", "", 0}));
  file.close();

  CPageMain page(loadWindowStrings());
  page.ShowUsers(folder.path() + "/", 1);
  EXPECT_EQ(page.users->count(), 2);
  EXPECT_EQ(page.users->currentText(), "Lee");
  EXPECT_FALSE(page.users->isEnabled());
  page.ShowUsers(folder.path() + "/", 5);
  EXPECT_EQ(page.users->currentIndex(), -1) << "an index past the list selects nobody";
}
