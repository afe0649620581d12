// The library catalogue: list-file entries, category folders, selector items, and the
// shipped lists and folders.

#include "library/category_list.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <string_view>

using namespace borderlux;
using namespace std::string_view_literals;

namespace {

struct SplitCase {
    std::string_view bytes;
    QStringList entries;
};

TEST(SplitListEntries, Cases)
{
    const SplitCase cases[] = {
        { "free\r\nmy favorite\r\nwood\r\n"sv, { "free", "my favorite", "wood" } },
        { "free\r\nmy favorite\r\nwood"sv, { "free", "my favorite", "wood" } },
        { "a\rb\nc\r\nd"sv, { "a", "b", "c", "d" } },
        { "a\r\n\r\nb"sv, { "a", "", "b" } },
        { "a\n\rb"sv, { "a", "", "b" } }, // LF, then a lone CR
        { "a\r\r\n"sv, { "a", "" } },
        { "a\nb\0tail\r\nnot an entry"sv, { "a", "b" } },
        { "a\n\0"
          "x"sv,
            { "a" } },
        { "\0"
          "abc"sv,
            {} },
        { ""sv, {} },
        { "\n"sv, { "" } },
        { " spaced \t\r\n#not a comment"sv, { " spaced \t", "#not a comment" } },
        { "caf\xc3\xa9"sv, { QString::fromUtf8("caf\xc3\xa9") } },
    };
    for (const SplitCase& c : cases) {
        const QByteArray bytes(c.bytes.data(), qsizetype(c.bytes.size()));
        EXPECT_EQ(SplitListEntries(bytes), c.entries) << bytes.toPercentEncoding().constData();
    }
}

TEST(CategoryFolder, FavouritesOnlyForTheExactName)
{
    const QString program = "/opt/bl/", user = "/home/u/.local/share/Borderlux/";
    struct Case {
        CategoryKind kind;
        const char* name;
        QString folder;
    };
    const Case cases[] = {
        { CategoryKind::Frames, "my favorite", user + "my frame favorite" },
        { CategoryKind::Stamps, "my favorite", user + "my stamp favorite" },
        { CategoryKind::Frames, "My Favorite", program + "frames/My Favorite" },
        { CategoryKind::Frames, "my favorite ", program + "frames/my favorite " },
        { CategoryKind::Frames, "free", program + "frames/free" },
        { CategoryKind::Stamps, "fun", program + "stamps/fun" },
        { CategoryKind::Frames, "", program + "frames/" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(CategoryFolder(c.kind, c.name, program, user), c.folder) << c.name;
}

TEST(SelectorItems, SecondEntryGetsTheFavouritesImage)
{
    const QStringList entries = { "free", "my favorite", "wood", "" };
    const std::vector<SelectorItem> frames = SelectorItems(CategoryKind::Frames, entries);
    const std::vector<SelectorItem> stamps = SelectorItems(CategoryKind::Stamps, entries);
    const std::vector<SelectorItem> expectedFrames
        = { { "free", 61, -1 }, { "my favorite", 62, -1 }, { "wood", 61, -1 }, { "", 61, -1 } };
    const std::vector<SelectorItem> expectedStamps
        = { { "free", 6, -1 }, { "my favorite", 62, -1 }, { "wood", 6, -1 }, { "", 6, -1 } };
    EXPECT_EQ(frames, expectedFrames);
    EXPECT_EQ(stamps, expectedStamps);
    // The image goes by position, not by name.
    EXPECT_EQ(SelectorItems(CategoryKind::Frames, { "my favorite", "x" })[1].imageIndex, 62);
    EXPECT_EQ(SelectorItems(CategoryKind::Frames, { "my favorite", "x" })[0].imageIndex, 61);
}

TEST(LoadCategoryLists, ReadsBothListsOfTheProgramFolder)
{
    QTemporaryDir dir;
    const QString program = dir.path() + "/";
    QDir().mkpath(program + "frames");
    QFile f(program + "frames/f.dat");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    static const char list[] = "free\r\nmy favorite\r\nwood\0seal";
    f.write(QByteArray(list, sizeof list - 1));
    f.close();
    const CategorySelectors s = LoadCategoryLists(program);
    ASSERT_EQ(s.frames.size(), 3u);
    EXPECT_EQ(s.frames[2].caption, "wood");
    EXPECT_TRUE(s.stamps.empty()) << "a missing list gives no items";
}

/// The shipped library as the catalogue and the frame rules see it.
TEST(ShippedLibrary, ListsAndFoldersFitTogether)
{
    const QString program = qEnvironmentVariable("BORDERLUX_PROGRAM_DIR", BL_PROGRAM_DIR) + "/";
    struct Kind {
        CategoryKind kind;
        const char* folder;
        int minCategories;
        int minFiles;
    };
    for (const Kind& k : { Kind { CategoryKind::Frames, "frames/", 6, 6 },
             Kind { CategoryKind::Stamps, "stamps/", 4, 8 } }) {
        const QStringList entries = ReadCategoryList(CategoryListPath(k.kind, program));
        ASSERT_GE(entries.size(), k.minCategories) << k.folder;
        EXPECT_EQ(entries[1], "my favorite");
        if (k.kind == CategoryKind::Frames) {
            EXPECT_EQ(entries[0], "free") << "start-up shows frames/free beside the first entry";
        }
        for (const QString& name : entries) {
            if (name == "my favorite") {
                EXPECT_FALSE(QDir(program + k.folder + name).exists())
                    << "the favourites live in the user data folder";
                continue;
            }
            const QStringList files = QDir(CategoryFolder(k.kind, name, program, "/unused/"))
                                          .entryList({ "*.png" }, QDir::Files);
            EXPECT_GE(files.size(), k.minFiles) << k.folder << qPrintable(name);
            for (const QString& file : files) {
                const QChar first = file.at(0);
                if (k.kind == CategoryKind::Stamps) {
                    EXPECT_TRUE(first == 's' && !file.contains('a')) << qPrintable(file);
                } else if (first == 'c') {
                    EXPECT_FALSE(file.contains('a'))
                        << qPrintable(file) << " would also be an alpha frame";
                } else {
                    EXPECT_TRUE(first == 'a' || first == 'b') << qPrintable(file);
                }
            }
        }
    }
}

} // namespace
