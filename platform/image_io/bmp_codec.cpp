// Windows bitmaps: 1, 4, 8, 16, 24 and 32 bits, uncompressed, RLE8, RLE4 and bit fields, both
// row orders. Every offset and count of the headers is checked against the file's size before
// it is used.

#include "platform/image_io/codecs.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

namespace borderlux::imageio {

namespace {

constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3, kAlphaBitfields = 6;

uint16_t le16(const uint8_t* p)
{
    return uint16_t(p[0] | (p[1] << 8));
}
uint32_t le32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// One channel of a bit-field pixel, scaled to 0..255.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    explicit Channel(uint32_t m = 0)
        : mask(m)
    {
        if (m) {
            shift = std::countr_zero(m);
            bits = std::min(32 - shift, int(std::bit_width(m >> shift)));
        }
    }
    uint8_t operator()(uint32_t v) const
    {
        if (!mask)
            return 0;
        const uint32_t c = (v & mask) >> shift;
        if (bits >= 8)
            return uint8_t(c >> (bits - 8));
        return uint8_t(c * 255u / ((1u << bits) - 1u));
    }
};

struct Header {
    int64_t width = 0;
    int64_t height = 0; // positive: rows stored bottom-up
    int bpp = 0;
    uint32_t compression = kRgb;
    uint32_t masks[4] = {}; // red, green, blue, alpha
    uint32_t pixelOffset = 0;
    size_t paletteOffset = 0;
    int paletteEntrySize = 4;
    uint64_t paletteCount = 0;
};

ImageIOResult fail(const char* why)
{
    return ImageIOResult::failure(std::string("not a readable BMP file: ") + why);
}

void decodeRle(const uint8_t* p, const uint8_t* end, bool four, TIEBitmap& bmp,
    const std::array<TRGB, 256>& pal)
{
    const int w = bmp.Width(), h = bmp.Height();
    int x = 0, y = 0; // y counts from the bottom row
    auto put = [&](int index) {
        if (x < w && y < h)
            bmp.PixelPtr(x, h - 1 - y)[0] = pal[size_t(index)];
        ++x;
    };
    while (end - p >= 2 && y < h) {
        const int count = p[0], value = p[1];
        p += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                put(four ? ((i & 1) ? value & 15 : value >> 4) : value);
            continue;
        }
        if (value == 0) { // end of line
            x = 0;
            ++y;
        } else if (value == 1) { // end of bitmap
            break;
        } else if (value == 2) { // delta
            if (end - p < 2)
                break;
            x += p[0];
            y += p[1];
            p += 2;
        } else { // absolute run, padded to a 16-bit boundary
            const int bytes = four ? (value + 1) / 2 : value;
            const int padded = (bytes + 1) & ~1;
            if (end - p < bytes)
                break;
            for (int i = 0; i < value; ++i)
                put(four ? ((i & 1) ? p[i / 2] & 15 : p[i / 2] >> 4) : p[i]);
            p += std::min<ptrdiff_t>(padded, end - p);
        }
    }
}

} // namespace

ImageIOResult ReadBmp(const uint8_t* data, size_t size, TIEBitmap& bmp, const ReadOptions& options)
{
    if (size < 26 || data[0] != 'B' || data[1] != 'M')
        return fail("no BMP signature");
    Header hd;
    hd.pixelOffset = le32(data + 10);
    const uint32_t headerSize = le32(data + 14);
    if (headerSize < 12 || headerSize > size - 14)
        return fail("bad header size");
    const uint8_t* h = data + 14;
    if (headerSize == 12) { // OS/2 1.x core header
        hd.width = le16(h + 4);
        hd.height = int16_t(le16(h + 6));
        hd.bpp = le16(h + 10);
        hd.paletteEntrySize = 3;
    } else {
        if (headerSize < 40 && headerSize != 16 && headerSize != 64)
            return fail("bad header size");
        hd.width = int32_t(le32(h + 4));
        hd.height = int32_t(le32(h + 8));
        hd.bpp = le16(h + 14);
        if (headerSize >= 20)
            hd.compression = le32(h + 16);
        if (headerSize >= 36)
            hd.paletteCount = le32(h + 32);
        if (headerSize >= 52) {
            hd.masks[0] = le32(h + 40);
            hd.masks[1] = le32(h + 44);
            hd.masks[2] = le32(h + 48);
        }
        if (headerSize >= 56)
            hd.masks[3] = le32(h + 52);
    }
    size_t afterHeader = 14 + size_t(headerSize);
    if ((hd.compression == kBitfields || hd.compression == kAlphaBitfields) && headerSize < 52) {
        const size_t maskBytes = hd.compression == kAlphaBitfields ? 16 : 12;
        if (afterHeader + maskBytes > size)
            return fail("bit masks beyond the end of the file");
        for (size_t i = 0; i < maskBytes / 4; ++i)
            hd.masks[i] = le32(data + afterHeader + 4 * i);
        afterHeader += maskBytes;
    }
    if (hd.compression == kAlphaBitfields)
        hd.compression = kBitfields;

    const bool topDown = hd.height < 0;
    const int64_t height = topDown ? -hd.height : hd.height;
    if (hd.width < 1 || height < 1)
        return fail("no pixels");
    if (hd.bpp != 1 && hd.bpp != 4 && hd.bpp != 8 && hd.bpp != 16 && hd.bpp != 24 && hd.bpp != 32)
        return fail("unsupported bit depth");
    const bool rle = hd.compression == kRle8 || hd.compression == kRle4;
    if (hd.compression == kRle8 && hd.bpp != 8)
        return fail("RLE8 needs 8 bits per pixel");
    if (hd.compression == kRle4 && hd.bpp != 4)
        return fail("RLE4 needs 4 bits per pixel");
    if (rle && topDown)
        return fail("compressed bitmaps cannot be top-down");
    if (hd.compression == kBitfields && hd.bpp != 16 && hd.bpp != 32)
        return fail("bit fields need 16 or 32 bits per pixel");
    if (hd.compression != kRgb && hd.compression != kBitfields && !rle)
        return fail("unsupported compression");
    if (!SizeAllowed(hd.width, height, options))
        return ImageIOResult::failure(TooLargeReason(hd.width, height, options));

    // Palette: clrUsed entries (or all of them when 0) right after the header and masks.
    std::array<TRGB, 256> palette {};
    if (hd.bpp <= 8) {
        const uint64_t full = uint64_t(1) << hd.bpp;
        if (hd.paletteCount == 0 || headerSize == 12) {
            // An implied full palette; writers often store only what fits before the pixels.
            hd.paletteCount = full;
            if (hd.pixelOffset > afterHeader)
                hd.paletteCount = std::min<uint64_t>(
                    full, (hd.pixelOffset - afterHeader) / uint64_t(hd.paletteEntrySize));
        }
        if (hd.paletteCount > 256)
            return fail("palette too large");
        const uint64_t bytes = hd.paletteCount * uint64_t(hd.paletteEntrySize);
        if (afterHeader + bytes > size || (hd.pixelOffset && afterHeader + bytes > hd.pixelOffset))
            return fail("palette beyond the pixel data");
        for (uint64_t i = 0; i < std::min(hd.paletteCount, full); ++i) {
            const uint8_t* e = data + afterHeader + i * size_t(hd.paletteEntrySize);
            palette[i] = { e[0], e[1], e[2] };
        }
    }
    if (hd.pixelOffset < afterHeader || hd.pixelOffset >= size)
        return fail("pixel data offset outside the file");

    const int w = int(hd.width), ht = int(height);
    const uint8_t* pixels = data + hd.pixelOffset;
    const size_t available = size - hd.pixelOffset;
    const uint64_t stride = ((uint64_t(w) * uint64_t(hd.bpp) + 31) / 32) * 4;
    if (!rle && stride * uint64_t(ht) > available)
        return fail("truncated pixel data");

    Channel red, green, blue, alpha;
    if (hd.compression == kBitfields) {
        red = Channel(hd.masks[0]);
        green = Channel(hd.masks[1]);
        blue = Channel(hd.masks[2]);
    } else if (hd.bpp == 16) {
        red = Channel(0x7C00);
        green = Channel(0x03E0);
        blue = Channel(0x001F);
    }
    // Only a header that names an alpha mask gives alpha; the fourth byte of plain 32-bit
    // files is padding and usually zero.
    const bool withAlpha = hd.compression == kBitfields && hd.masks[3] != 0;
    if (withAlpha)
        alpha = Channel(hd.masks[3]);

    std::string reason;
    if (!AllocateOutput(bmp, w, ht, withAlpha, reason))
        return ImageIOResult::failure(reason);

    if (rle) {
        const TRGB bg = palette[0];
        for (int y = 0; y < ht; ++y)
            std::fill_n(bmp.PixelPtr(0, y), w, bg);
        decodeRle(pixels, data + size, hd.compression == kRle4, bmp, palette);
        return ImageIOResult::success();
    }

    TIEBitmap* plane = withAlpha ? &bmp.AlphaPlane() : nullptr;
    uint8_t allAlpha = 255;
    for (int y = 0; y < ht; ++y) {
        const uint8_t* src = pixels + stride * uint64_t(topDown ? y : ht - 1 - y);
        TRGB* dst = bmp.PixelPtr(0, y);
        switch (hd.bpp) {
        case 1:
            for (int x = 0; x < w; ++x)
                dst[x] = palette[(src[x >> 3] >> (7 - (x & 7))) & 1];
            break;
        case 4:
            for (int x = 0; x < w; ++x)
                dst[x] = palette[(x & 1) ? src[x >> 1] & 15 : src[x >> 1] >> 4];
            break;
        case 8:
            for (int x = 0; x < w; ++x)
                dst[x] = palette[src[x]];
            break;
        case 24:
            std::memcpy(dst, src, size_t(w) * 3);
            break;
        case 16:
            for (int x = 0; x < w; ++x) {
                const uint32_t v = le16(src + 2 * x);
                dst[x] = { blue(v), green(v), red(v) };
            }
            break;
        case 32:
            if (hd.compression == kRgb) {
                for (int x = 0; x < w; ++x)
                    dst[x] = { src[4 * x], src[4 * x + 1], src[4 * x + 2] };
            } else {
                uint8_t* a = plane ? plane->Row(y) : nullptr;
                for (int x = 0; x < w; ++x) {
                    const uint32_t v = le32(src + 4 * x);
                    dst[x] = { blue(v), green(v), red(v) };
                    if (a) {
                        a[x] = alpha(v);
                        allAlpha &= a[x];
                    }
                }
            }
            break;
        }
    }
    if (plane)
        plane->SetFullyOpaque(allAlpha == 255);
    return ImageIOResult::success();
}

ImageIOResult WriteBmp(ByteSink& sink, const TIEBitmap& bmp)
{
    const int w = bmp.Width(), h = bmp.Height();
    const uint64_t stride = ((uint64_t(w) * 24 + 31) / 32) * 4;
    const uint64_t imageBytes = stride * uint64_t(h);
    const uint64_t fileBytes = 54 + imageBytes;
    if (fileBytes > 0xFFFFFFFFu)
        return ImageIOResult::failure("the picture is too large for a BMP file");
    uint8_t header[54] = {};
    auto put16 = [&](int at, uint32_t v) {
        header[at] = uint8_t(v);
        header[at + 1] = uint8_t(v >> 8);
    };
    auto put32 = [&](int at, uint32_t v) {
        put16(at, v & 0xFFFF);
        put16(at + 2, v >> 16);
    };
    header[0] = 'B';
    header[1] = 'M';
    put32(2, uint32_t(fileBytes));
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(w));
    put32(22, uint32_t(h));
    put16(26, 1);
    put16(28, 24);
    put32(34, uint32_t(imageBytes));
    put32(38, 2835); // 72 dots per inch
    put32(42, 2835);
    sink.write(header, sizeof header);
    const uint8_t zeros[4] = {};
    const size_t rowBytes = size_t(w) * 3;
    for (int y = h - 1; y >= 0; --y) {
        sink.write(bmp.Row(y), rowBytes);
        sink.write(zeros, size_t(stride) - rowBytes);
    }
    return ImageIOResult::success();
}

} // namespace borderlux::imageio
