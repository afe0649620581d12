// The library digest check. The list contents below were chosen with an independent MD5 tool
// so that their digests hold (or just miss) the required characters; the digests are noted
// beside them.

#include "app/core/library_digest.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <optional>
#include <string_view>

using namespace borderlux;
using namespace std::string_view_literals;

namespace {

QByteArray bytes(std::string_view s)
{
    return QByteArray(s.data(), qsizetype(s.size()));
}

// e4f848738e27a5ab390012f95894b671: "4f8" at characters 2..4
const auto kGoodFrames = "free\r\nmy favorite\r\nwood\0"
                         "1990"sv;
// 4f89cfd12c416934dbb08ae956b29dbc: "4f8" one position earlier
const auto kEarlyFrames = "free\r\nmy favorite\r\nwood\0"
                          "4133"sv;
// 9335b0d59459a212faa9172cac42d804: the good list with its last byte changed
const auto kChangedFrames = "free\r\nmy favorite\r\nwood\0"
                            "1991"sv;
// 2da3858fabb2f1dea4891bc593c8b54f: the good list with a line break added at its end
const auto kBreakAddedFrames = "free\r\nmy favorite\r\nwood\0"
                               "1990\r\n"sv;
// b05d87360f3152fdcac81642b6e99fb6: "5d8" at characters 3..5
const auto kGoodStamps = "fun\r\nmy favorite\r\nparty\0"
                         "2898"sv;
// c5d83005545c27dcf57de71554612a5d: "5d8" one position earlier
const auto kEarlyStamps = "fun\r\nmy favorite\r\nparty\0"
                          "817"sv;

TEST(Md5Hex, GivesTheRfc1321DigestInLowerCase)
{
    EXPECT_EQ(Md5Hex(QByteArray()), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(Md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(Md5Hex(bytes(kGoodFrames)), "e4f848738e27a5ab390012f95894b671");
}

TEST(DigestMatchesAt, ComparesExactlyAtThePosition)
{
    EXPECT_TRUE(DigestMatchesAt(bytes(kGoodFrames), 2, "4f8"));
    EXPECT_FALSE(DigestMatchesAt(bytes(kGoodFrames), 1, "4f8"));
    EXPECT_FALSE(DigestMatchesAt(bytes(kGoodFrames), 2, "4F8"));
    EXPECT_FALSE(DigestMatchesAt(bytes(kGoodFrames), 31, "671")); // runs past the end
}

struct DigestCase {
    const char* name;
    std::optional<std::string_view> frames; ///< nullopt: file missing
    std::optional<std::string_view> stamps;
    bool passes;
};

TEST(LibraryDigestCheck, Cases)
{
    const DigestCase cases[] = {
        { "both good", kGoodFrames, kGoodStamps, true },
        { "frames digest one position early", kEarlyFrames, kGoodStamps, false },
        { "stamps digest one position early", kGoodFrames, kEarlyStamps, false },
        { "one byte of f.dat changed", kChangedFrames, kGoodStamps, false },
        { "line break added to f.dat", kBreakAddedFrames, kGoodStamps, false },
        { "frames and stamps swapped", kGoodStamps, kGoodFrames, false },
        { "f.dat missing", std::nullopt, kGoodStamps, false },
        { "s.dat missing", kGoodFrames, std::nullopt, false },
        { "empty files", ""sv, ""sv, false },
    };
    auto write = [](const QString& path, std::string_view content) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content.data(), qint64(content.size()));
    };
    for (const DigestCase& c : cases) {
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QString program = dir.path() + "/";
        QDir().mkpath(program + "frames");
        QDir().mkpath(program + "stamps");
        if (c.frames)
            write(program + "frames/f.dat", *c.frames);
        if (c.stamps)
            write(program + "stamps/s.dat", *c.stamps);
        EXPECT_EQ(LibraryDigestCheck(program), c.passes) << c.name;
    }
}

TEST(LibraryDigestCheck, FolderInPlaceOfListFileFailsQuietly)
{
    QTemporaryDir dir;
    const QString program = dir.path() + "/";
    QDir().mkpath(program + "frames/f.dat");
    QDir().mkpath(program + "stamps/s.dat");
    EXPECT_FALSE(LibraryDigestCheck(program));
}

TEST(LibraryDigestCheck, ShippedLibraryPasses)
{
    const QString program = qEnvironmentVariable("BORDERLUX_PROGRAM_DIR", BL_PROGRAM_DIR) + "/";
    ASSERT_TRUE(QFile::exists(program + "frames/f.dat")) << qPrintable(program);
    EXPECT_TRUE(LibraryDigestCheck(program));
}

} // namespace
