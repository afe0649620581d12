#include "platform/image_io/image_io.h"
#include "tests/platform/image_test_util.h"

#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace borderlux {
namespace {

using test::TempDir;

// Names in the folder other than the expected ones (for example temporary files left behind).
std::vector<std::string> strayFiles(const std::string& folder, const std::string& expected)
{
    std::vector<std::string> out;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename() != expected)
            out.push_back(entry.path().filename().string());
    return out;
}

// Makes a folder refuse new files even to root (immutable flag), or by its mode for others.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const std::string& path)
        : m_path(path)
    {
        if (geteuid() != 0) {
            m_ok = chmod(path.c_str(), 0555) == 0;
            return;
        }
        const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY);
        int flags = 0;
        if (fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags |= FS_IMMUTABLE_FL;
            m_ok = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        if (fd >= 0)
            close(fd);
    }
    ~ReadOnlyFolder()
    {
        if (!m_ok)
            return;
        if (geteuid() != 0) {
            chmod(m_path.c_str(), 0755);
            return;
        }
        const int fd = open(m_path.c_str(), O_RDONLY | O_DIRECTORY);
        int flags = 0;
        if (fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags &= ~FS_IMMUTABLE_FL;
            ioctl(fd, FS_IOC_SETFLAGS, &flags);
        }
        if (fd >= 0)
            close(fd);
    }
    bool ok() const { return m_ok; }

private:
    std::string m_path;
    bool m_ok = false;
};

TEST(ImageWrite, NothingIsWrittenForAnEmptyPathRasterOrUnknownType)
{
    TempDir dir;
    TIEBitmap pattern = test::MakePattern(4, 4);
    TIEBitmap empty;
    EXPECT_FALSE(WriteImage("", pattern));
    const ImageIOResult noPixels = WriteImage(dir.file("a.png"), empty);
    EXPECT_FALSE(noPixels);
    EXPECT_FALSE(noPixels.reason.empty());
    for (const char* name : { "a.xyz", "a.cur", "a.nef", "noextension" }) {
        const ImageIOResult r = WriteImage(dir.file(name), pattern);
        EXPECT_FALSE(r) << name;
        EXPECT_FALSE(r.reason.empty()) << name;
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(ImageWrite, FailedWriteLeavesTheOldFileAndNoTemporaryFile)
{
    TempDir dir;
    const std::string target = dir.file("photo.jpg");
    const std::vector<uint8_t> old = { 'o', 'l', 'd', '\n' };
    test::WriteBytes(target, old);
    TIEBitmap pattern = test::MakePattern(300, 300);

    // The encoder refuses: an icon larger than 256 x 256.
    const std::string icon = dir.file("photo.ico");
    test::WriteBytes(icon, old);
    const ImageIOResult tooBig = WriteImage(icon, pattern);
    EXPECT_FALSE(tooBig);
    EXPECT_EQ(test::ReadBytes(icon), old);

    {
        // The folder refuses the temporary file.
        ReadOnlyFolder readOnly(dir.path());
        if (!readOnly.ok())
            GTEST_SKIP() << "cannot make a read-only folder here";
        const ImageIOResult r = WriteImage(target, pattern);
        EXPECT_FALSE(r);
        EXPECT_NE(r.reason.find(std::strerror(geteuid() == 0 ? EPERM : EACCES)), std::string::npos)
            << r.reason;
    }
    EXPECT_EQ(test::ReadBytes(target), old);
    const auto stray = strayFiles(dir.path(), "photo.jpg");
    EXPECT_EQ(stray, std::vector<std::string> { "photo.ico" });
}

TEST(ImageWrite, ReplacesTheTargetKeepingItsPermissions)
{
    TempDir dir;
    const std::string target = dir.file("photo.png");
    test::WriteBytes(target, { 1, 2, 3 });
    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    TIEBitmap pattern = test::MakePattern(8, 8);
    ASSERT_TRUE(WriteImage(target, pattern));
    struct stat st { };
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    TIEBitmap back;
    ASSERT_TRUE(ReadImage(target, back));
    EXPECT_EQ(test::DifferentPixels(pattern, back), 0);
    EXPECT_EQ(strayFiles(dir.path(), "photo.png"), std::vector<std::string> {});
}

// Every writable type gives a file that its reader takes back: exactly for the lossless ones,
// approximately for the lossy ones; the write-only types by their signature.
TEST(ImageWrite, EveryWritableTypeRoundTrips)
{
    TempDir dir;
    const int w = 37, h = 23; // odd sizes exercise row padding
    TIEBitmap pattern = test::MakePattern(w, h);
    const struct {
        const char* ext;
        int maxError; // per channel, or for JPEG the mean; -1: not read back
        const char* signature;
    } cases[] = {
        { "png", 0, "\x89PNG" },
        { "bmp", 0, "BM" },
        { "ppm", 0, "P6" },
        { "pxm", 0, "P6" },
        { "tga", 0, nullptr },
        { "pcx", 0, nullptr },
        { "tif", 0, nullptr },
        { "gif", 26, "GIF8" },
        { "jpg", 12, "\xFF\xD8\xFF" },
        { "ico", 0, nullptr },
        { "ps", -1, "%!PS-Adobe-3.0\n" },
        { "eps", -1, "%!PS-Adobe-3.0 EPSF-3.0\n" },
        { "pdf", -1, "%PDF-" },
    };
    for (const auto& c : cases) {
        const std::string path = dir.file(std::string("out.") + c.ext);
        const ImageIOResult written = WriteImage(path, pattern);
        ASSERT_TRUE(written) << c.ext << ": " << written.reason;
        const std::vector<uint8_t> bytes = test::ReadBytes(path);
        if (c.signature) {
            const size_t n = std::min(bytes.size(), std::strlen(c.signature));
            EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + ptrdiff_t(n)), c.signature)
                << c.ext;
        }
        if (c.maxError < 0)
            continue;
        TIEBitmap back;
        const ImageIOResult read = ReadImage(path, back);
        ASSERT_TRUE(read) << c.ext << ": " << read.reason;
        ASSERT_EQ(back.Width(), w) << c.ext;
        ASSERT_EQ(back.Height(), h) << c.ext;
        int worst = 0;
        int64_t sum = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const TRGB p = pattern.ReadRGB(x, y), q = back.ReadRGB(x, y);
                worst = std::max(
                    { worst, std::abs(p.r - q.r), std::abs(p.g - q.g), std::abs(p.b - q.b) });
                sum += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
            }
        const bool lossyJpeg = std::string_view(c.ext) == "jpg";
        EXPECT_LE(lossyJpeg ? int(sum / (3 * w * h)) : worst, c.maxError) << c.ext;
    }
}

TEST(ImageWrite, PostScriptBoundingBoxIsThePixelSize)
{
    TempDir dir;
    TIEBitmap pattern = test::MakePattern(37, 23);
    ASSERT_TRUE(WriteImage(dir.file("a.eps"), pattern));
    const std::vector<uint8_t> bytes = test::ReadBytes(dir.file("a.eps"));
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find("\n%%BoundingBox: 0 0 37 23\n"), std::string::npos);
    EXPECT_NE(text.find("colorimage"), std::string::npos);
    // Pixel (0, 0) first, as red, green, blue in hexadecimal.
    const TRGB p = test::PatternPixel(0, 0);
    char hex[7];
    std::snprintf(hex, sizeof hex, "%02x%02x%02x", p.r, p.g, p.b);
    EXPECT_NE(text.find(std::string("colorimage\n") + hex), std::string::npos);
}

} // namespace
} // namespace borderlux
