#include "platform/image_io/image_io.h"
#include "tests/platform/image_test_util.h"

#include <QImage>

#include <cstring>
#include <gtest/gtest.h>

namespace borderlux {
namespace {

using test::TempDir;
using Bytes = std::vector<uint8_t>;

void put16(Bytes& b, size_t at, uint32_t v)
{
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
void put32(Bytes& b, size_t at, uint32_t v)
{
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}

struct BmpSpec {
    int headerSize = 40;
    int32_t width = 0;
    int32_t height = 0;
    int bpp = 24;
    uint32_t compression = 0;
    Bytes palette {}; // entries as stored (4 bytes each, 3 for the core header)
    uint32_t paletteCount = 0; // clrUsed
    uint32_t masks[4] = {};
    Bytes pixels {};
};

// A BMP file laid out as the format says: file header, info header (masks inside it from 52
// bytes on), palette, pixels.
Bytes makeBmp(const BmpSpec& s)
{
    Bytes b(14 + size_t(s.headerSize), 0);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 14, uint32_t(s.headerSize));
    if (s.headerSize == 12) {
        put16(b, 18, uint32_t(s.width));
        put16(b, 20, uint32_t(s.height));
        put16(b, 22, 1);
        put16(b, 24, uint32_t(s.bpp));
    } else {
        put32(b, 18, uint32_t(s.width));
        put32(b, 22, uint32_t(s.height));
        put16(b, 26, 1);
        put16(b, 28, uint32_t(s.bpp));
        put32(b, 30, s.compression);
        put32(b, 46, s.paletteCount);
        if (s.headerSize >= 52)
            for (int i = 0; i < (s.headerSize >= 56 ? 4 : 3); ++i)
                put32(b, 54 + 4 * size_t(i), s.masks[i]);
    }
    b.insert(b.end(), s.palette.begin(), s.palette.end());
    put32(b, 10, uint32_t(b.size()));
    b.insert(b.end(), s.pixels.begin(), s.pixels.end());
    put32(b, 2, uint32_t(b.size()));
    return b;
}

const TRGB kBlack { 0, 0, 0 }, kWhite { 255, 255, 255 }, kRed { 0, 0, 255 }, kGreen { 0, 255, 0 },
    kBlue { 255, 0, 0 };
// Palette of four: black, white, red, green (stored blue, green, red, 0).
const Bytes kPalette4 = { 0, 0, 0, 0, 255, 255, 255, 0, 0, 0, 255, 0, 0, 255, 0, 0 };

TEST(BmpRead, EveryLayout)
{
    const struct {
        const char* name;
        BmpSpec spec;
        std::vector<std::vector<TRGB>> rows; // top row first
        int alpha0 = -1; // expected alpha of pixel (0, 0); -1: no plane
    } cases[] = {
        { "1 bit bottom-up",
            { .width = 3,
                .height = 2,
                .bpp = 1,
                .palette = kPalette4,
                .paletteCount = 2,
                .pixels = { 0xA0, 0, 0, 0, 0x40, 0, 0, 0 } },
            { { kBlack, kWhite, kBlack }, { kWhite, kBlack, kWhite } } },
        { "4 bit top-down",
            { .width = 3,
                .height = -2,
                .bpp = 4,
                .palette = kPalette4,
                .paletteCount = 4,
                .pixels = { 0x12, 0x30, 0, 0, 0x01, 0x20, 0, 0 } },
            { { kWhite, kRed, kGreen }, { kBlack, kWhite, kRed } } },
        { "8 bit, palette index beyond clrUsed is black",
            { .width = 2,
                .height = 1,
                .bpp = 8,
                .palette = kPalette4,
                .paletteCount = 4,
                .pixels = { 2, 9, 0, 0 } },
            { { kRed, kBlack } } },
        { "OS/2 core header",
            { .headerSize = 12,
                .width = 2,
                .height = 1,
                .bpp = 8,
                .palette = Bytes { 0, 0, 0, 255, 0, 0 },
                .pixels = { 1, 0, 0, 0 } },
            { { kBlue, kBlack } } },
        { "24 bit", { .width = 1, .height = 2, .pixels = { 255, 0, 0, 0, 0, 0, 255, 0 } },
            { { kRed }, { kBlue } } },
        { "16 bit 5-5-5",
            { .width = 2, .height = 1, .bpp = 16, .pixels = { 0x00, 0x7C, 0x1F, 0x00 } },
            { { kRed, kBlue } } },
        { "16 bit 5-6-5 bit fields",
            { .headerSize = 56,
                .width = 2,
                .height = 1,
                .bpp = 16,
                .compression = 3,
                .masks = { 0xF800, 0x07E0, 0x001F, 0 },
                .pixels = { 0xE0, 0x07, 0xFF, 0xFF } },
            { { kGreen, kWhite } } },
        { "32 bit plain, fourth byte ignored",
            { .width = 1, .height = 1, .bpp = 32, .pixels = { 255, 0, 0, 7 } }, { { kBlue } } },
        { "32 bit bit fields with alpha",
            { .headerSize = 108,
                .width = 1,
                .height = 1,
                .bpp = 32,
                .compression = 3,
                .masks = { 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000 },
                .pixels = { 0, 255, 0, 0x40 } },
            { { kGreen } }, 0x40 },
        { "RLE8: run, absolute run, end of line, delta, end of bitmap",
            { .width = 4,
                .height = 3,
                .bpp = 8,
                .compression = 1,
                .palette = kPalette4,
                .paletteCount = 4,
                .pixels = { 4, 2, 0, 0, 0, 3, 1, 3, 2, 0, 0, 0, 0, 2, 1, 0, 2, 1, 0, 1 } },
            { { kBlack, kWhite, kWhite, kBlack }, { kWhite, kGreen, kRed, kBlack },
                { kRed, kRed, kRed, kRed } } },
        { "RLE4",
            { .width = 3,
                .height = 1,
                .bpp = 4,
                .compression = 2,
                .palette = kPalette4,
                .paletteCount = 4,
                .pixels = { 3, 0x12, 0, 1 } },
            { { kWhite, kRed, kWhite } } },
    };
    for (const auto& c : cases) {
        const Bytes file = makeBmp(c.spec);
        TIEBitmap bmp;
        const ImageIOResult r
            = ReadImageFromMemory(file.data(), file.size(), ImageFormat::Bmp, bmp);
        ASSERT_TRUE(r) << c.name << ": " << r.reason;
        ASSERT_EQ(bmp.Height(), int(c.rows.size())) << c.name;
        ASSERT_EQ(bmp.Width(), int(c.rows[0].size())) << c.name;
        for (int y = 0; y < bmp.Height(); ++y)
            for (int x = 0; x < bmp.Width(); ++x)
                EXPECT_TRUE(test::SameColour(bmp.ReadRGB(x, y), c.rows[size_t(y)][size_t(x)]))
                    << c.name << " at " << x << ", " << y;
        EXPECT_EQ(bmp.HasAlphaPlane(), c.alpha0 >= 0) << c.name;
        if (c.alpha0 >= 0) {
            EXPECT_EQ(bmp.ReadAlpha(0, 0), c.alpha0) << c.name;
        }
    }
}

TEST(BmpRead, DamagedHeadersAreRefused)
{
    const BmpSpec good { .width = 2,
        .height = 2,
        .bpp = 8,
        .palette = kPalette4,
        .paletteCount = 4,
        .pixels = { 0, 1, 0, 0, 1, 0, 0, 0 } };
    auto with = [&](auto change) {
        BmpSpec s = good;
        change(s);
        return makeBmp(s);
    };
    Bytes offsetBeyond = makeBmp(good);
    put32(offsetBeyond, 10, 5000);
    Bytes offsetInsideHeader = makeBmp(good);
    put32(offsetInsideHeader, 10, 20);
    Bytes headerTooLong = makeBmp(good);
    put32(headerTooLong, 14, 0x7FFFFFF0);
    Bytes truncated = makeBmp(good);
    truncated.resize(truncated.size() - 3);
    const struct {
        const char* name;
        Bytes bytes;
    } cases[] = {
        { "pixel offset beyond the file", offsetBeyond },
        { "pixel offset inside the header", offsetInsideHeader },
        { "header size beyond the file", headerTooLong },
        { "pixel data truncated", truncated },
        { "palette count beyond the file", with([](BmpSpec& s) { s.paletteCount = 1000000; }) },
        { "zero width", with([](BmpSpec& s) { s.width = 0; }) },
        { "negative width", with([](BmpSpec& s) { s.width = -4; }) },
        { "height -2^31", with([](BmpSpec& s) { s.height = INT32_MIN; }) },
        { "7 bits per pixel", with([](BmpSpec& s) { s.bpp = 7; }) },
        { "RLE8 top-down", with([](BmpSpec& s) { s.compression = 1, s.height = -2; }) },
        { "RLE4 with 8 bits", with([](BmpSpec& s) { s.compression = 2; }) },
        { "bit fields with 8 bits", with([](BmpSpec& s) { s.compression = 3; }) },
        { "JPEG compression", with([](BmpSpec& s) { s.compression = 4; }) },
        { "huge declared size", with([](BmpSpec& s) { s.width = 1 << 20, s.height = 1 << 20; }) },
    };
    for (const auto& c : cases) {
        TIEBitmap bmp;
        EXPECT_FALSE(ReadImageFromMemory(c.bytes.data(), c.bytes.size(), ImageFormat::Bmp, bmp))
            << c.name;
        EXPECT_TRUE(bmp.IsEmpty()) << c.name;
    }
}

TEST(BmpWrite, QtReadsWhatWeWrite)
{
    TempDir dir;
    const TIEBitmap pattern = test::MakePattern(37, 5);
    ASSERT_TRUE(WriteImage(dir.file("a.bmp"), pattern));
    const QImage image(QString::fromStdString(dir.file("a.bmp")), "BMP");
    ASSERT_EQ(image.width(), 37);
    ASSERT_EQ(image.height(), 5);
    int wrong = 0;
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 37; ++x) {
            const TRGB p = test::PatternPixel(x, y);
            wrong += image.pixel(x, y) != qRgb(p.r, p.g, p.b);
        }
    EXPECT_EQ(wrong, 0);
}

Bytes text(const char* s)
{
    return Bytes(s, s + std::strlen(s));
}
Bytes text(const char* s, size_t n)
{
    return Bytes(s, s + n);
}

TEST(PnmRead, EveryKind)
{
    const TRGB g85 { 85, 85, 85 };
    const struct {
        const char* name;
        Bytes bytes;
        std::vector<std::vector<TRGB>> rows;
    } cases[] = {
        { "P1 with comments and packed digits", text("P1\n# a comment\n3 2\n010\n1 0\n# more\n1"),
            { { kWhite, kBlack, kWhite }, { kBlack, kWhite, kBlack } } },
        { "P2 maxval 3", text("P2 2 1 3\n1 3\n"), { { g85, kWhite } } },
        { "P3 maxval 65535", text("P3\n2 1\n65535\n65535 0 0  0 0 65535\n"), { { kRed, kBlue } } },
        { "P4 odd width", text("P4\n#c\n3 2\n\x40\xA0", 12),
            { { kWhite, kBlack, kWhite }, { kBlack, kWhite, kBlack } } },
        { "P5 16 bit", text("P5 2 1 1000\n\x03\xE8\x00\x00", 16), { { kWhite, kBlack } } },
        { "P6", text("P6\n# comment\n2 1\n255\n\xFF\x00\x00\x00\xFF\x00", 27),
            { { kRed, kGreen } } },
        { "P6 maxval 1", text("P6 1 1 1\n\x01\x00\x01", 12), { { { 255, 0, 255 } } } },
    };
    for (const auto& c : cases) {
        TIEBitmap bmp;
        const ImageIOResult r
            = ReadImageFromMemory(c.bytes.data(), c.bytes.size(), ImageFormat::Pnm, bmp);
        ASSERT_TRUE(r) << c.name << ": " << r.reason;
        ASSERT_EQ(bmp.Height(), int(c.rows.size())) << c.name;
        ASSERT_EQ(bmp.Width(), int(c.rows[0].size())) << c.name;
        for (int y = 0; y < bmp.Height(); ++y)
            for (int x = 0; x < bmp.Width(); ++x)
                EXPECT_TRUE(test::SameColour(bmp.ReadRGB(x, y), c.rows[size_t(y)][size_t(x)]))
                    << c.name << " at " << x << ", " << y;
    }
}

TEST(PnmRead, DamagedFilesAreRefused)
{
    const struct {
        const char* name;
        Bytes bytes;
    } cases[] = {
        { "raw data short", text("P6 2 2 255\n\x01\x02\x03") },
        { "maxval 0", text("P5 1 1 0\n\x00", 9) },
        { "maxval above 65535", text("P5 1 1 65536\n\x00\x00", 15) },
        { "no size", text("P6\n# nothing\n") },
        { "huge size", text("P4 2000000000 2000000000\n\x00", 26) },
        { "plain with a letter", text("P2 2 1 255\n1 x\n") },
        { "plain too few samples", text("P3 2 1 255\n1 2 3 4\n") },
        { "P7", text("P7 1 1 255\n\x00", 12) },
    };
    for (const auto& c : cases) {
        TIEBitmap bmp;
        EXPECT_FALSE(ReadImageFromMemory(c.bytes.data(), c.bytes.size(), ImageFormat::Pnm, bmp))
            << c.name;
        EXPECT_TRUE(bmp.IsEmpty()) << c.name;
    }
}

TEST(PnmWrite, GreyAndBitMapsUseTheGreyValue)
{
    TempDir dir;
    TIEBitmap bmp;
    bmp.Allocate(5, 1, ie24RGB);
    const TRGB pixels[5] = { kRed, kGreen, kBlue, { 128, 128, 128 }, { 127, 127, 127 } };
    for (int x = 0; x < 5; ++x)
        *bmp.PixelPtr(x, 0) = pixels[x];
    ASSERT_TRUE(WriteImage(dir.file("a.pgm"), bmp));
    ASSERT_TRUE(WriteImage(dir.file("a.pbm"), bmp));
    ASSERT_TRUE(WriteImage(dir.file("a.ppm"), bmp));
    // (21 R + 71 G + 8 B) div 100: red 53, green 181, blue 20.
    EXPECT_EQ(test::ReadBytes(dir.file("a.pgm")), text("P5\n5 1\n255\n\x35\xB5\x14\x80\x7F", 16));
    // Grey 128 and above is white (bit 0): red, blue and 127 are black.
    EXPECT_EQ(test::ReadBytes(dir.file("a.pbm")), text("P4\n5 1\n\xA8", 8));
    const Bytes ppm = test::ReadBytes(dir.file("a.ppm"));
    EXPECT_EQ(Bytes(ppm.begin(), ppm.begin() + 14), text("P6\n5 1\n255\n\xFF\x00\x00", 14));
}

} // namespace
} // namespace borderlux
