#include "platform/image_io/image_io.h"
#include "tests/platform/image_test_util.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <sys/wait.h>

namespace borderlux {
namespace {

using test::TempDir;

struct EncodeSettings {
    J_COLOR_SPACE space = JCS_RGB;
    int components = 3;
    bool progressive = false;
    bool fullChroma = false; // 4:4:4 instead of 4:2:0
    bool adobeMarker = true; // for CMYK
    int quality = 90;
};

// A JPEG written by libjpeg itself, one pass, pixel(x, y, out) filling `components` bytes.
std::vector<uint8_t> encodeWithLibjpeg(
    int w, int h, const EncodeSettings& s, const std::function<void(int, int, uint8_t*)>& pixel)
{
    jpeg_compress_struct cinfo {};
    jpeg_error_mgr err {};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = JDIMENSION(w);
    cinfo.image_height = JDIMENSION(h);
    cinfo.input_components = s.components;
    cinfo.in_color_space = s.space;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, s.quality, TRUE);
    if (s.fullChroma)
        cinfo.comp_info[0].h_samp_factor = cinfo.comp_info[0].v_samp_factor = 1;
    if (s.progressive)
        jpeg_simple_progression(&cinfo);
    cinfo.write_Adobe_marker = s.adobeMarker;
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> row(size_t(w) * size_t(s.components));
    while (cinfo.next_scanline < cinfo.image_height) {
        for (int x = 0; x < w; ++x)
            pixel(x, int(cinfo.next_scanline), row.data() + size_t(x) * size_t(s.components));
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<uint8_t> bytes(out, out + size);
    free(out);
    return bytes;
}

void rgbPattern(int x, int y, uint8_t* p)
{
    const TRGB c = test::PatternPixel(x, y);
    p[0] = c.r;
    p[1] = c.g;
    p[2] = c.b;
}

std::vector<uint8_t> writtenByUs(const TIEBitmap& bmp, const TempDir& dir, const char* name)
{
    const std::string path = dir.file(name);
    EXPECT_TRUE(WriteImage(path, bmp));
    return test::ReadBytes(path);
}

TEST(JpegRead, PixelsAreThoseOfDjpeg)
{
    if (access("/usr/bin/djpeg", X_OK) != 0)
        GTEST_SKIP() << "/usr/bin/djpeg is not installed";
    TempDir dir;
    const TIEBitmap pattern = test::MakePattern(203, 117);
    const TIEBitmap large = test::MakePattern(2000, 1100); // written in strips on several threads
    std::vector<uint8_t> truncated = writtenByUs(pattern, dir, "t.jpg");
    truncated.resize(truncated.size() * 2 / 5);
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
    } cases[] = {
        { "ours 4:2:0", writtenByUs(pattern, dir, "a.jpg") },
        { "ours, large", writtenByUs(large, dir, "b.jpg") },
        { "4:4:4", encodeWithLibjpeg(203, 117, { .fullChroma = true }, rgbPattern) },
        { "progressive", encodeWithLibjpeg(203, 117, { .progressive = true }, rgbPattern) },
        { "grey",
            encodeWithLibjpeg(203, 117, { .space = JCS_GRAYSCALE, .components = 1 },
                [](int x, int y, uint8_t* p) { p[0] = uint8_t(x * 3 + y); }) },
        { "truncated", truncated },
    };
    for (const auto& c : cases) {
        const std::string jpg = dir.file("case.jpg"), ppm = dir.file("case.ppm");
        test::WriteBytes(jpg, c.bytes);
        const std::string command
            = "/usr/bin/djpeg -ppm -outfile '" + ppm + "' '" + jpg + "' 2>/dev/null";
        const int status = std::system(command.c_str());
        // djpeg exits with 2 after warnings, such as the end of a truncated file.
        ASSERT_TRUE(WIFEXITED(status) && (WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == 2))
            << c.name;
        TIEBitmap ours, reference;
        ASSERT_TRUE(ReadImage(jpg, ours)) << c.name;
        ASSERT_TRUE(ReadImage(ppm, reference)) << c.name; // P6, or P5 for grey
        ASSERT_EQ(ours.Width(), reference.Width()) << c.name;
        ASSERT_EQ(ours.Height(), reference.Height()) << c.name;
        EXPECT_EQ(test::DifferentPixels(ours, reference), 0) << c.name;
    }
}

TEST(JpegWrite, StripEncodingDecodesLikeASinglePass)
{
    TempDir dir;
    const TIEBitmap large = test::MakePattern(2000, 1100);
    const std::vector<uint8_t> single
        = encodeWithLibjpeg(2000, 1100, { .quality = 80 }, rgbPattern);
    const std::vector<uint8_t> ours = writtenByUs(large, dir, "s.jpg");
    TIEBitmap a, b;
    ASSERT_TRUE(ReadImageFromMemory(single.data(), single.size(), ImageFormat::Jpeg, a));
    ASSERT_TRUE(ReadImageFromMemory(ours.data(), ours.size(), ImageFormat::Jpeg, b));
    EXPECT_EQ(test::DifferentPixels(a, b), 0);
}

TEST(JpegRead, CmykBecomesRgb)
{
    const struct {
        bool adobe; // Adobe files store the inks inverted
        uint8_t cmyk[4];
    } cases[] = {
        { true, { 255, 128, 0, 255 } },
        { false, { 0, 127, 255, 0 } },
    };
    for (const auto& c : cases) {
        const std::vector<uint8_t> file = encodeWithLibjpeg(16, 16,
            { .space = JCS_CMYK, .components = 4, .adobeMarker = c.adobe, .quality = 100 },
            [&](int, int, uint8_t* p) { std::memcpy(p, c.cmyk, 4); });
        TIEBitmap bmp;
        ASSERT_TRUE(ReadImageFromMemory(file.data(), file.size(), ImageFormat::Jpeg, bmp));
        const TRGB p = bmp.ReadRGB(8, 8);
        EXPECT_NEAR(p.r, 255, 1) << c.adobe;
        EXPECT_NEAR(p.g, 128, 1) << c.adobe;
        EXPECT_NEAR(p.b, 0, 1) << c.adobe;
    }
}

// A JPEG of four flat quadrants (red, green / blue, white) with an EXIF orientation patched in.
std::vector<uint8_t> orientedJpeg(int orientation, bool bigEndian)
{
    const std::vector<uint8_t> plain
        = encodeWithLibjpeg(64, 32, { .quality = 95 }, [](int x, int y, uint8_t* p) {
              static const uint8_t colours[4][3]
                  = { { 255, 0, 0 }, { 0, 255, 0 }, { 0, 0, 255 }, { 255, 255, 255 } };
              std::memcpy(p, colours[(y >= 16) * 2 + (x >= 32)], 3);
          });
    std::vector<uint8_t> tiff = bigEndian
        ? std::vector<uint8_t> { 'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1, 0,
              uint8_t(orientation), 0, 0, 0, 0, 0, 0 }
        : std::vector<uint8_t> { 'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0,
              uint8_t(orientation), 0, 0, 0, 0, 0, 0, 0 };
    std::vector<uint8_t> app1 = { 'E', 'x', 'i', 'f', 0, 0 };
    app1.insert(app1.end(), tiff.begin(), tiff.end());
    const size_t length = app1.size() + 2;
    std::vector<uint8_t> out = { 0xFF, 0xD8, 0xFF, 0xE1, uint8_t(length >> 8), uint8_t(length) };
    out.insert(out.end(), app1.begin(), app1.end());
    out.insert(out.end(), plain.begin() + 2, plain.end());
    return out;
}

TEST(JpegRead, ExifOrientationTurnsThePhotoUpright)
{
    enum { R, G, B, W };
    const TRGB colour[4] = { { 0, 0, 255 }, { 0, 255, 0 }, { 255, 0, 0 }, { 255, 255, 255 } };
    const struct {
        int orientation;
        bool bigEndian;
        int corners[4]; // quadrant colour at top left, top right, bottom left, bottom right
    } cases[] = {
        { 1, false, { R, G, B, W } },
        { 2, false, { G, R, W, B } },
        { 3, false, { W, B, G, R } },
        { 3, true, { W, B, G, R } },
        { 4, false, { B, W, R, G } },
        { 5, false, { R, B, G, W } },
        { 6, false, { B, R, W, G } },
        { 6, true, { B, R, W, G } },
        { 7, false, { W, G, B, R } },
        { 8, false, { G, W, R, B } },
    };
    for (const auto& c : cases) {
        const std::vector<uint8_t> file = orientedJpeg(c.orientation, c.bigEndian);
        TIEBitmap bmp;
        ASSERT_TRUE(ReadImageFromMemory(file.data(), file.size(), ImageFormat::Jpeg, bmp));
        const bool turned = c.orientation >= 5;
        ASSERT_EQ(bmp.Width(), turned ? 32 : 64) << c.orientation;
        ASSERT_EQ(bmp.Height(), turned ? 64 : 32) << c.orientation;
        const int w = bmp.Width(), h = bmp.Height();
        const int xs[4] = { 4, w - 5, 4, w - 5 }, ys[4] = { 4, 4, h - 5, h - 5 };
        for (int k = 0; k < 4; ++k) {
            const TRGB p = bmp.ReadRGB(xs[k], ys[k]), e = colour[c.corners[k]];
            EXPECT_TRUE(
                std::abs(p.r - e.r) < 24 && std::abs(p.g - e.g) < 24 && std::abs(p.b - e.b) < 24)
                << "orientation " << c.orientation << " corner " << k;
        }
        ReadOptions asStored;
        asStored.applyExifOrientation = false;
        ASSERT_TRUE(
            ReadImageFromMemory(file.data(), file.size(), ImageFormat::Jpeg, bmp, asStored));
        EXPECT_EQ(bmp.Width(), 64);
    }
}

TEST(JpegRead, DctScalingGivesTheSmallestCoveringSize)
{
    const std::vector<uint8_t> file = encodeWithLibjpeg(640, 480, {}, rgbPattern);
    const struct {
        int minW, minH, w, h;
    } cases[] = {
        { 0, 0, 640, 480 },
        { 320, 240, 320, 240 },
        { 321, 10, 640, 480 },
        { 100, 80, 160, 120 },
        { 80, 60, 80, 60 },
        { 0, 61, 160, 120 },
    };
    for (const auto& c : cases) {
        ReadOptions options;
        options.minWidth = c.minW;
        options.minHeight = c.minH;
        TIEBitmap bmp;
        ASSERT_TRUE(ReadImageFromMemory(file.data(), file.size(), ImageFormat::Jpeg, bmp, options));
        EXPECT_EQ(bmp.Width(), c.w) << c.minW << " x " << c.minH;
        EXPECT_EQ(bmp.Height(), c.h) << c.minW << " x " << c.minH;
    }
}

TEST(JpegRead, TruncatedFileKeepsItsRowsAndIsGreyBelow)
{
    TempDir dir;
    const TIEBitmap pattern = test::MakePattern(64, 256);
    const std::vector<uint8_t> full = writtenByUs(pattern, dir, "full.jpg");
    TIEBitmap whole, cut;
    ASSERT_TRUE(ReadImageFromMemory(full.data(), full.size(), ImageFormat::Jpeg, whole));
    const std::vector<uint8_t> half(full.begin(), full.begin() + ptrdiff_t(full.size() / 2));
    const ImageIOResult r = ReadImageFromMemory(half.data(), half.size(), ImageFormat::Jpeg, cut);
    ASSERT_TRUE(r);
    EXPECT_NE(r.reason.find("truncated"), std::string::npos) << r.reason;
    ASSERT_EQ(cut.Height(), 256);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 64; ++x)
            ASSERT_TRUE(test::SameColour(cut.ReadRGB(x, y), whole.ReadRGB(x, y))) << x << ", " << y;
    for (int y = 224; y < 256; ++y)
        for (int x = 0; x < 64; ++x)
            ASSERT_TRUE(test::SameColour(cut.ReadRGB(x, y), TRGB { 128, 128, 128 }))
                << x << ", " << y;
}

TEST(JpegRead, RefusesDamagedAndOversizedFiles)
{
    const std::vector<uint8_t> good = encodeWithLibjpeg(640, 480, {}, rgbPattern);
    ReadOptions small;
    small.maxPixels = 640 * 480 - 1;
    TIEBitmap bmp;
    const ImageIOResult tooLarge
        = ReadImageFromMemory(good.data(), good.size(), ImageFormat::Jpeg, bmp, small);
    EXPECT_FALSE(tooLarge);
    EXPECT_NE(tooLarge.reason.find("too large"), std::string::npos) << tooLarge.reason;
    EXPECT_TRUE(bmp.IsEmpty());

    const std::vector<std::vector<uint8_t>> damaged = {
        { 0xFF, 0xD8, 0xFF },
        std::vector<uint8_t>(good.begin(), good.begin() + 200), // ends inside the headers
        { 0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x02, 0xFF, 0xD9 },
    };
    for (const auto& bytes : damaged) {
        EXPECT_FALSE(ReadImageFromMemory(bytes.data(), bytes.size(), ImageFormat::Jpeg, bmp));
        EXPECT_TRUE(bmp.IsEmpty());
    }
}

} // namespace
} // namespace borderlux
