#include "platform/image_io/image_io.h"
#include "tests/platform/image_test_util.h"

#include <chrono>
#include <csetjmp>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

namespace borderlux {
namespace {

using test::TempDir;

struct PngCase {
    const char* name;
    int colourType;
    int depth;
    bool interlaced = false;
    bool trns = false;
};

int channelsOf(int colourType)
{
    switch (colourType) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE:
        return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB:
        return 3;
    default:
        return 4;
    }
}

constexpr int kPaletteLimit = 20;
int paletteSize(int depth)
{
    return std::min(kPaletteLimit, 1 << depth);
}

// The raw sample of channel c at (x, y), within the bit depth.
unsigned sampleAt(const PngCase& pc, int x, int y, int c)
{
    const unsigned max = (1u << pc.depth) - 1;
    if (pc.colourType == PNG_COLOR_TYPE_PALETTE)
        return unsigned(x + 2 * y) % unsigned(paletteSize(pc.depth));
    return unsigned(x * 1237 + y * 571 + c * 997) & max;
}

TRGB paletteEntry(int i)
{
    return { uint8_t(200 - i * 9), uint8_t(i * 3), uint8_t(i * 12) };
}
uint8_t paletteAlpha(int i)
{
    return uint8_t(i * 40);
} // tRNS covers the first 7 entries
constexpr unsigned kTransparentGrey = 5, kTransparentRed = 7;

std::vector<uint8_t> makePng(const PngCase& pc, int w, int h)
{
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t n) {
            auto* v = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
            v->insert(v->end(), data, data + n);
        },
        nullptr);
    png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), pc.depth, pc.colourType,
        pc.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
        PNG_FILTER_TYPE_DEFAULT);
    if (pc.colourType == PNG_COLOR_TYPE_PALETTE) {
        png_color palette[kPaletteLimit];
        const int entries = paletteSize(pc.depth);
        for (int i = 0; i < entries; ++i) {
            const TRGB e = paletteEntry(i);
            palette[i] = { e.r, e.g, e.b };
        }
        png_set_PLTE(png, info, palette, entries);
        if (pc.trns) {
            png_byte alpha[7];
            for (int i = 0; i < 7; ++i)
                alpha[i] = paletteAlpha(i);
            png_set_tRNS(png, info, alpha, std::min(7, entries), nullptr);
        }
    } else if (pc.trns) {
        png_color_16 key {};
        key.gray = png_uint_16(kTransparentGrey);
        key.red = png_uint_16(kTransparentRed);
        key.green = png_uint_16(sampleAt(pc, 0, 0, 1));
        key.blue = png_uint_16(sampleAt(pc, 0, 0, 2));
        png_set_tRNS(png, info, nullptr, 0, &key);
    }
    png_write_info(png, info);
    const int channels = channelsOf(pc.colourType);
    const size_t rowBytes = (size_t(w) * size_t(channels) * size_t(pc.depth) + 7) / 8;
    std::vector<std::vector<uint8_t>> rows(size_t(h), std::vector<uint8_t>(rowBytes, 0));
    for (int y = 0; y < h; ++y) {
        size_t bit = 0;
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < channels; ++c) {
                const unsigned v = sampleAt(pc, x, y, c);
                uint8_t* row = rows[size_t(y)].data();
                if (pc.depth == 16) {
                    row[bit / 8] = uint8_t(v >> 8);
                    row[bit / 8 + 1] = uint8_t(v);
                } else {
                    row[bit / 8] |= uint8_t(v << (8 - pc.depth - bit % 8));
                }
                bit += size_t(pc.depth);
            }
    }
    std::vector<png_bytep> pointers;
    for (auto& r : rows)
        pointers.push_back(r.data());
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

// What the reader must give for a sample: 16 bits keep their high byte, fewer bits are scaled.
uint8_t to8(unsigned v, int depth)
{
    if (depth == 16)
        return uint8_t(v >> 8);
    return uint8_t(v * 255 / ((1u << depth) - 1));
}

struct Expected {
    TRGB colour;
    uint8_t alpha;
};

Expected expectedAt(const PngCase& pc, int x, int y)
{
    auto s = [&](int c) { return sampleAt(pc, x, y, c); };
    switch (pc.colourType) {
    case PNG_COLOR_TYPE_PALETTE: {
        const int i = int(s(0));
        return { paletteEntry(i),
            uint8_t(pc.trns && i < std::min(7, paletteSize(pc.depth)) ? paletteAlpha(i) : 255) };
    }
    case PNG_COLOR_TYPE_GRAY: {
        const uint8_t g = to8(s(0), pc.depth);
        return { { g, g, g }, uint8_t(pc.trns && s(0) == kTransparentGrey ? 0 : 255) };
    }
    case PNG_COLOR_TYPE_GRAY_ALPHA: {
        const uint8_t g = to8(s(0), pc.depth);
        return { { g, g, g }, to8(s(1), pc.depth) };
    }
    case PNG_COLOR_TYPE_RGB: {
        const bool key = pc.trns && s(0) == kTransparentRed && s(1) == sampleAt(pc, 0, 0, 1)
            && s(2) == sampleAt(pc, 0, 0, 2);
        return { { to8(s(2), pc.depth), to8(s(1), pc.depth), to8(s(0), pc.depth) },
            uint8_t(key ? 0 : 255) };
    }
    default:
        return { { to8(s(2), pc.depth), to8(s(1), pc.depth), to8(s(0), pc.depth) },
            to8(s(3), pc.depth) };
    }
}

TEST(PngRead, EveryColourTypeAndBitDepth)
{
    const PngCase cases[] = {
        { "grey 1", PNG_COLOR_TYPE_GRAY, 1 },
        { "grey 2", PNG_COLOR_TYPE_GRAY, 2 },
        { "grey 4", PNG_COLOR_TYPE_GRAY, 4 },
        { "grey 8", PNG_COLOR_TYPE_GRAY, 8 },
        { "grey 16", PNG_COLOR_TYPE_GRAY, 16 },
        { "grey 8 tRNS", PNG_COLOR_TYPE_GRAY, 8, false, true },
        { "grey 4 tRNS", PNG_COLOR_TYPE_GRAY, 4, false, true },
        { "grey+alpha 8", PNG_COLOR_TYPE_GRAY_ALPHA, 8 },
        { "grey+alpha 16", PNG_COLOR_TYPE_GRAY_ALPHA, 16 },
        { "rgb 8", PNG_COLOR_TYPE_RGB, 8 },
        { "rgb 16", PNG_COLOR_TYPE_RGB, 16 },
        { "rgb 8 tRNS", PNG_COLOR_TYPE_RGB, 8, false, true },
        { "rgba 8", PNG_COLOR_TYPE_RGBA, 8 },
        { "rgba 16", PNG_COLOR_TYPE_RGBA, 16 },
        { "palette 1", PNG_COLOR_TYPE_PALETTE, 1 },
        { "palette 2", PNG_COLOR_TYPE_PALETTE, 2 },
        { "palette 4", PNG_COLOR_TYPE_PALETTE, 4 },
        { "palette 8", PNG_COLOR_TYPE_PALETTE, 8 },
        { "palette 8 tRNS", PNG_COLOR_TYPE_PALETTE, 8, false, true },
        { "interlaced grey 1", PNG_COLOR_TYPE_GRAY, 1, true },
        { "interlaced rgb 8", PNG_COLOR_TYPE_RGB, 8, true },
        { "interlaced rgba 16", PNG_COLOR_TYPE_RGBA, 16, true },
        { "interlaced palette 4 tRNS", PNG_COLOR_TYPE_PALETTE, 4, true, true },
    };
    const int w = 29, h = 13;
    for (const PngCase& pc : cases) {
        const std::vector<uint8_t> file = makePng(pc, w, h);
        ASSERT_FALSE(file.empty()) << pc.name;
        TIEBitmap bmp;
        const ImageIOResult r
            = ReadImageFromMemory(file.data(), file.size(), ImageFormat::Png, bmp);
        ASSERT_TRUE(r) << pc.name << ": " << r.reason;
        ASSERT_EQ(bmp.Width(), w) << pc.name;
        ASSERT_EQ(bmp.Height(), h) << pc.name;
        ASSERT_EQ(bmp.PixelFormat(), ie24RGB) << pc.name;
        const bool alpha = (pc.colourType & PNG_COLOR_MASK_ALPHA) || pc.trns;
        ASSERT_EQ(bmp.HasAlphaPlane(), alpha) << pc.name;
        bool opaque = true;
        int wrong = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const Expected e = expectedAt(pc, x, y);
                opaque &= e.alpha == 255;
                wrong += !test::SameColour(bmp.ReadRGB(x, y), e.colour);
                if (alpha)
                    wrong += bmp.ExistingAlphaPlane()->Row(y)[x] != e.alpha;
            }
        EXPECT_EQ(wrong, 0) << pc.name;
        if (alpha) {
            EXPECT_EQ(bmp.ExistingAlphaPlane()->FullyOpaque(), opaque) << pc.name;
        }
    }
}

TEST(PngWrite, AlphaRoundTripsAndOpaquePicturesStayRgb)
{
    TempDir dir;
    TIEBitmap bmp = test::MakePattern(31, 17);
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 31; ++x)
            bmp.WriteAlpha(x, y, uint8_t(x * 8 + y)); // 0 at the corner, 255 reached
    ASSERT_TRUE(WriteImage(dir.file("a.png"), bmp));
    TIEBitmap back;
    ASSERT_TRUE(ReadImage(dir.file("a.png"), back));
    ASSERT_TRUE(back.HasAlphaPlane());
    EXPECT_FALSE(back.ExistingAlphaPlane()->FullyOpaque());
    EXPECT_EQ(test::DifferentPixels(bmp, back), 0);
    int wrongAlpha = 0;
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 31; ++x)
            wrongAlpha += back.ReadAlpha(x, y) != uint8_t(x * 8 + y);
    EXPECT_EQ(wrongAlpha, 0);

    TIEBitmap opaque = test::MakePattern(5, 5);
    opaque.AlphaPlane(); // a plane of 255 only
    ASSERT_TRUE(WriteImage(dir.file("b.png"), opaque));
    const std::vector<uint8_t> bytes = test::ReadBytes(dir.file("b.png"));
    ASSERT_GT(bytes.size(), 26u);
    EXPECT_EQ(bytes[25], PNG_COLOR_TYPE_RGB);
    ASSERT_TRUE(ReadImage(dir.file("b.png"), back));
    EXPECT_FALSE(back.HasAlphaPlane());
}

void appendChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data)
{
    const uint32_t n = uint32_t(data.size());
    const uint8_t length[4] = { uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n) };
    out.insert(out.end(), length, length + 4);
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(0, out.data() + start, uInt(out.size() - start));
    const uint8_t c[4]
        = { uint8_t(crc >> 24), uint8_t(crc >> 16), uint8_t(crc >> 8), uint8_t(crc) };
    out.insert(out.end(), c, c + 4);
}

std::vector<uint8_t> handMadePng(uint32_t w, uint32_t h)
{
    std::vector<uint8_t> out = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n' };
    appendChunk(out, "IHDR",
        { uint8_t(w >> 24), uint8_t(w >> 16), uint8_t(w >> 8), uint8_t(w), uint8_t(h >> 24),
            uint8_t(h >> 16), uint8_t(h >> 8), uint8_t(h), 8, 2, 0, 0, 0 });
    appendChunk(out, "IDAT", { 0x78, 0x9C, 0x63, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01 });
    appendChunk(out, "IEND", {});
    return out;
}

TEST(PngRead, HugeDeclaredSizeIsRefusedAtOnce)
{
    for (uint32_t side : { 100000u, 0x7FFFFFFFu }) {
        const std::vector<uint8_t> file = handMadePng(side, side);
        TIEBitmap bmp;
        const auto start = std::chrono::steady_clock::now();
        const ImageIOResult r
            = ReadImageFromMemory(file.data(), file.size(), ImageFormat::Png, bmp);
        const double seconds
            = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_FALSE(r) << side;
        EXPECT_TRUE(bmp.IsEmpty());
        EXPECT_LT(seconds, 0.25) << side;
    }
}

TEST(PngRead, DamagedFilesFail)
{
    const PngCase rgb { "rgb", PNG_COLOR_TYPE_RGB, 8 };
    const std::vector<uint8_t> good = makePng(rgb, 40, 40);
    std::vector<uint8_t> badCrc = good;
    badCrc[good.size() - 20] ^= 0x55; // inside the image data
    const std::vector<std::vector<uint8_t>> damaged = {
        std::vector<uint8_t>(good.begin(), good.begin() + 40), // ends after the header
        badCrc,
        handMadePng(0, 10),
        { 0x89, 'P', 'N', 'G' },
    };
    for (const auto& bytes : damaged) {
        TIEBitmap bmp;
        EXPECT_FALSE(ReadImageFromMemory(bytes.data(), bytes.size(), ImageFormat::Png, bmp));
        EXPECT_TRUE(bmp.IsEmpty());
    }
}

} // namespace
} // namespace borderlux
