// ReadOption / WriteOption on option.cfg-style INI files.

#include "app/core/options.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace borderlux;

namespace {

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void put(const QString& path, const QByteArray& text)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

TEST(WriteOption, CreatesMissingFoldersAndWritesPlainIni)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/data/Borderlux/option.cfg";
    WriteOption(path, "ini", "showatstart", "yes");
    EXPECT_EQ(contents(path), "[ini]\nshowatstart=yes\n");
    EXPECT_EQ(ReadOption(path, "ini", "showatstart"), "yes");

    WriteOption(path, "ini", "showatstart", "no");
    EXPECT_EQ(contents(path), "[ini]\nshowatstart=no\n");
}

TEST(WriteOption, KeepsTheRestOfTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/option.cfg";
    put(path,
        "; kept\r\n[other]\r\nshowatstart=other\r\n\r\n[INI]\r\nShowAtStart = yes\r\nx=1\r\n");
    WriteOption(path, "ini", "showatstart", "no");
    WriteOption(path, "other", "new", "2");
    WriteOption(path, "fresh", "k", "v");
    EXPECT_EQ(contents(path),
        "; kept\n[other]\nshowatstart=other\nnew=2\n\n[INI]\nshowatstart=no\nx=1\n[fresh]\nk=v\n");
}

TEST(WriteOption, UnwritablePlaceIsSwallowed)
{
    QTemporaryDir dir;
    // A folder below a regular file can be created by nobody, not even root.
    put(dir.path() + "/afile", "x");
    const QString path = dir.path() + "/afile/sub/option.cfg";
    WriteOption(path, "ini", "showatstart", "no");
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(ReadOption(path, "ini", "showatstart"), "");
}

struct ReadCase {
    const char* file; ///< nullptr: no file
    const char* section;
    const char* key;
    const char* expected;
};

TEST(ReadOption, Cases)
{
    const ReadCase cases[] = {
        { nullptr, "ini", "showatstart", "" },
        { "", "ini", "showatstart", "" },
        { "[ini]\nshowatstart=no\n", "ini", "showatstart", "no" },
        { "[INI]\r\n  ShowAtStart =  No  \r\n", "ini", "showatstart", "No" },
        { "[ini]\nother=no\n", "ini", "showatstart", "" },
        { "[misc]\nshowatstart=no\n", "ini", "showatstart", "" },
        { "showatstart=no\n[ini]\n", "ini", "showatstart", "" },
        { "[ini]\nshowatstart=\n", "ini", "showatstart", "" },
        { "[ini]\nshowatstart=a=b\n", "ini", "showatstart", "a=b" },
        { "[ini]\nshowatstart=yes\n[ini2]\nshowatstart=no\n", "ini", "showatstart", "yes" },
    };
    for (const ReadCase& c : cases) {
        QTemporaryDir dir;
        const QString path = dir.path() + "/option.cfg";
        if (c.file)
            put(path, c.file);
        EXPECT_EQ(ReadOption(path, c.section, c.key), QString(c.expected))
            << (c.file ? c.file : "(no file)");
    }
}

} // namespace
