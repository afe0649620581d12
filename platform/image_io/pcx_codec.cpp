// PCX (and the first page of a DCX): 1-bit, 4-plane 16-colour, 8-bit paletted and 24-bit
// files, run-length coded. Writing is always 24-bit in three planes.

#include "platform/image_io/codecs.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace borderlux::imageio {

namespace {

uint16_t le16(const uint8_t* p)
{
    return uint16_t(p[0] | (p[1] << 8));
}

ImageIOResult fail(const char* why)
{
    return ImageIOResult::failure(std::string("not a readable PCX file: ") + why);
}

constexpr uint32_t kDcxMagic = 987654321;

} // namespace

ImageIOResult ReadPcx(const uint8_t* data, size_t size, TIEBitmap& bmp, const ReadOptions& options)
{
    if (size >= 8
        && (uint32_t(data[0]) | (uint32_t(data[1]) << 8) | (uint32_t(data[2]) << 16)
               | (uint32_t(data[3]) << 24))
            == kDcxMagic) {
        const uint32_t first = uint32_t(data[4]) | (uint32_t(data[5]) << 8)
            | (uint32_t(data[6]) << 16) | (uint32_t(data[7]) << 24);
        if (first < 8 || first >= size)
            return fail("bad DCX page offset");
        data += first;
        size -= first;
    }
    if (size < 128 || data[0] != 10 || data[2] > 1)
        return fail("no PCX header");
    const bool rle = data[2] == 1;
    const int bpp = data[3];
    const int64_t w = int64_t(le16(data + 8)) - le16(data + 4) + 1;
    const int64_t h = int64_t(le16(data + 10)) - le16(data + 6) + 1;
    const int planes = data[65];
    const int bytesPerLine = le16(data + 66);
    if (w < 1 || h < 1)
        return fail("no pixels");
    const bool mono = bpp == 1 && planes == 1;
    const bool ega = bpp == 1 && planes == 4;
    const bool indexed = bpp == 8 && planes == 1;
    const bool colour = bpp == 8 && (planes == 3 || planes == 4);
    if (!mono && !ega && !indexed && !colour)
        return fail("unsupported bit depth");
    const int64_t minLine = (w * bpp + 7) / 8;
    if (bytesPerLine < minLine)
        return fail("line length too short");
    // Lines are padded to an even length at most; anything longer would make the decoder
    // churn through padding that no pixel uses.
    if (bytesPerLine > minLine + 16)
        return fail("line length too long");
    if (!SizeAllowed(w, h, options))
        return ImageIOResult::failure(TooLargeReason(w, h, options));

    std::array<TRGB, 256> palette {};
    const uint8_t* end = data + size;
    if (indexed) {
        if (size < 128 + 769 || data[size - 769] != 12)
            return fail("no 256-colour palette");
        const uint8_t* p = data + size - 768;
        for (int i = 0; i < 256; ++i)
            palette[size_t(i)] = { p[3 * i + 2], p[3 * i + 1], p[3 * i] };
        end = data + size - 769;
    } else if (ega) {
        for (int i = 0; i < 16; ++i)
            palette[size_t(i)] = { data[16 + 3 * i + 2], data[16 + 3 * i + 1], data[16 + 3 * i] };
    } else if (mono) {
        palette[1] = { 255, 255, 255 };
    }

    std::string reason;
    if (!AllocateOutput(bmp, int(w), int(h), false, reason))
        return ImageIOResult::failure(reason);
    const size_t lineBytes = size_t(planes) * size_t(bytesPerLine);
    std::vector<uint8_t> line(lineBytes);
    const uint8_t* p = data + 128;
    bool truncated = false;
    for (int y = 0; y < int(h); ++y) {
        if (truncated) { // the rest of the picture is black
            std::memset(bmp.Row(y), 0, size_t(w) * 3);
            continue;
        }
        // A run may carry on from one plane (and one line) into the next.
        size_t n = 0;
        while (n < lineBytes) {
            if (p >= end) {
                truncated = true;
                std::fill(line.begin() + ptrdiff_t(n), line.end(), 0);
                break;
            }
            uint8_t v = *p++;
            size_t count = 1;
            if (rle && v >= 0xC0) {
                count = v & 0x3F;
                if (p >= end) {
                    truncated = true;
                    continue;
                }
                v = *p++;
            }
            count = std::min(count, lineBytes - n);
            std::memset(line.data() + n, v, count);
            n += count;
        }
        TRGB* dst = bmp.PixelPtr(0, y);
        const uint8_t* l = line.data();
        const size_t bpl = size_t(bytesPerLine);
        for (int x = 0; x < int(w); ++x) {
            if (colour) {
                dst[x] = { l[2 * bpl + size_t(x)], l[bpl + size_t(x)], l[size_t(x)] };
            } else if (indexed) {
                dst[x] = palette[l[x]];
            } else {
                int index = 0;
                for (int plane = 0; plane < planes; ++plane)
                    index |= ((l[size_t(plane) * bpl + size_t(x >> 3)] >> (7 - (x & 7))) & 1)
                        << plane;
                dst[x] = palette[size_t(index)];
            }
        }
    }
    return ImageIOResult::success(truncated ? "truncated file" : "");
}

ImageIOResult WritePcx(ByteSink& sink, const TIEBitmap& bmp)
{
    const int w = bmp.Width(), h = bmp.Height();
    if (w > 65535 || h > 65535)
        return ImageIOResult::failure("the picture is too large for a PCX file");
    const int bytesPerLine = (w + 1) & ~1; // lines have an even number of bytes
    uint8_t header[128] = {};
    auto put16 = [&](int at, int v) {
        header[at] = uint8_t(v);
        header[at + 1] = uint8_t(v >> 8);
    };
    header[0] = 10; // manufacturer
    header[1] = 5; // version 3.0 and later
    header[2] = 1; // run-length coded
    header[3] = 8; // bits per pixel and plane
    put16(8, w - 1);
    put16(10, h - 1);
    put16(12, 72);
    put16(14, 72);
    header[65] = 3; // planes: red, green, blue
    put16(66, bytesPerLine);
    put16(68, 1); // colour
    sink.write(header, sizeof header);

    std::vector<uint8_t> plane(size_t(bytesPerLine), 0);
    std::vector<uint8_t> coded;
    coded.reserve(size_t(bytesPerLine) * 6);
    for (int y = 0; y < h; ++y) {
        const uint8_t* src = bmp.Row(y);
        coded.clear();
        for (int c = 2; c >= 0; --c) { // file order red, green, blue
            for (int x = 0; x < w; ++x)
                plane[size_t(x)] = src[3 * x + c];
            for (size_t i = 0; i < plane.size();) {
                const uint8_t v = plane[i];
                size_t run = 1;
                while (i + run < plane.size() && run < 63 && plane[i + run] == v)
                    ++run;
                if (run > 1 || v >= 0xC0)
                    coded.push_back(uint8_t(0xC0 | run));
                coded.push_back(v);
                i += run;
            }
        }
        sink.write(coded.data(), coded.size());
    }
    return ImageIOResult::success();
}

} // namespace borderlux::imageio
