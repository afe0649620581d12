#include "platform/image_io/image_io.h"
#include "tests/platform/image_test_util.h"

#include <chrono>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>

namespace borderlux {
namespace {

using test::TempDir;

TEST(ImageRead, FailuresSayWhy)
{
    TempDir dir;
    test::WriteBytes(dir.file("empty.png"), {});
    test::WriteBytes(dir.file("text.png"), { 'h', 'e', 'l', 'l', 'o' });
    std::filesystem::create_directory(dir.file("folder.jpg"));
    const struct {
        std::string path;
        const char* reason; // a part of it
    } cases[] = {
        { dir.file("missing.jpg"), std::strerror(ENOENT) },
        { dir.file("folder.jpg"), "not a regular file" },
        { dir.file("empty.png"), "empty" },
        { dir.file("text.png"), "PNG" },
        { "", "no file name" },
    };
    for (const auto& c : cases) {
        TIEBitmap bmp = test::MakePattern(2, 2);
        const ImageIOResult r = ReadImage(c.path, bmp);
        EXPECT_FALSE(r) << c.path;
        EXPECT_NE(r.reason.find(c.reason), std::string::npos) << c.path << ": " << r.reason;
        EXPECT_TRUE(bmp.IsEmpty()) << c.path;
    }
}

TEST(ImageRead, ContentWinsOverAMisleadingExtension)
{
    TempDir dir;
    const TIEBitmap pattern = test::MakePattern(6, 4);
    ASSERT_TRUE(WriteImage(dir.file("real.png"), pattern));
    std::filesystem::rename(dir.file("real.png"), dir.file("renamed.jpg"));
    TIEBitmap bmp;
    ASSERT_TRUE(ReadImage(dir.file("renamed.jpg"), bmp));
    EXPECT_EQ(test::DifferentPixels(pattern, bmp), 0);
}

TEST(ImageRead, FormatsWithoutSignatureReadFromMemoryByTheirFormat)
{
    TempDir dir;
    const TIEBitmap pattern = test::MakePattern(6, 4);
    ASSERT_TRUE(WriteImage(dir.file("a.tga"), pattern));
    const std::vector<uint8_t> tga = test::ReadBytes(dir.file("a.tga"));
    TIEBitmap bmp;
    ASSERT_TRUE(ReadImageFromMemory(tga.data(), tga.size(), ImageFormat::Tga, bmp));
    EXPECT_EQ(test::DifferentPixels(pattern, bmp), 0);
}

TEST(ImageRead, QtFormatsAreRefusedAboveThePixelLimitAtOnce)
{
    // A GIF whose screen and only image declare 65535 x 65535 pixels.
    const std::vector<uint8_t> gif = { 'G', 'I', 'F', '8', '9', 'a', 0xFF, 0xFF, 0xFF, 0xFF, 0, 0,
        0, ',', 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 8, 2, 0x4C, 0x01, 0, ';' };
    TIEBitmap bmp;
    const auto start = std::chrono::steady_clock::now();
    const ImageIOResult r = ReadImageFromMemory(gif.data(), gif.size(), ImageFormat::Gif, bmp);
    const double seconds
        = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_FALSE(r);
    EXPECT_TRUE(bmp.IsEmpty());
    EXPECT_LT(seconds, 0.5);
}

} // namespace
} // namespace borderlux
