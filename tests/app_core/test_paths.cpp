// Program folder, application-data folder and user data folder.

#include "app/core/app_paths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace borderlux;

namespace {

TEST(AppPaths, AppDataFolderFollowsXdgDataHome)
{
    QTemporaryDir dir;
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", dir.path().toLocal8Bit());
    EXPECT_EQ(GetAppDataFolder(), dir.path() + "/");
    EXPECT_EQ(UserDataFolder(GetAppDataFolder()), dir.path() + "/Borderlux/");
    EXPECT_EQ(
        OptionFilePath(UserDataFolder(GetAppDataFolder())), dir.path() + "/Borderlux/option.cfg");
    if (saved.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", saved);
    EXPECT_EQ(UserDataFolder(""), "Borderlux/");
}

TEST(AppPaths, ProgramFolderResolvesSymlinks)
{
    QTemporaryDir dir;
    const QString real = QDir(dir.path()).canonicalPath() + "/lib/borderlux";
    QDir().mkpath(real);
    ASSERT_TRUE(QFile::link(real, dir.path() + "/linked"));
    EXPECT_EQ(ProgramFolderOf(dir.path() + "/linked"), real + "/");
    EXPECT_EQ(ProgramFolderOf(real + "/"), real + "/");
    EXPECT_EQ(ProgramFolderOf("/no/such/folder"), "/no/such/folder/");
}

} // namespace
