// The portable any-maps: P1..P6, plain and raw, maxval up to 65535, comments anywhere in the
// header. Samples are scaled to 0..255 by one table built per file.

#include "platform/image_io/codecs.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace borderlux::imageio {

namespace {

struct Cursor {
    const uint8_t* p;
    const uint8_t* end;

    static bool space(uint8_t c)
    {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
    }
    // Skips white space and comments (from '#' to the end of the line).
    void skip()
    {
        while (p < end) {
            if (space(*p)) {
                ++p;
            } else if (*p == '#') {
                while (p < end && *p != '\n' && *p != '\r')
                    ++p;
            } else {
                break;
            }
        }
    }
    // A decimal number; false when none or it exceeds limit.
    bool number(int64_t& value, int64_t limit)
    {
        skip();
        if (p >= end || *p < '0' || *p > '9')
            return false;
        value = 0;
        while (p < end && *p >= '0' && *p <= '9') {
            value = value * 10 + (*p - '0');
            if (value > limit)
                return false;
            ++p;
        }
        return true;
    }
};

ImageIOResult fail(const char* why)
{
    return ImageIOResult::failure(std::string("not a readable portable any-map: ") + why);
}

} // namespace

ImageIOResult ReadPnm(const uint8_t* data, size_t size, TIEBitmap& bmp, const ReadOptions& options)
{
    if (size < 3 || data[0] != 'P' || data[1] < '1' || data[1] > '6')
        return fail("no P1..P6 signature");
    const int kind = data[1] - '0';
    const bool bits = kind == 1 || kind == 4;
    const int channels = (kind == 3 || kind == 6) ? 3 : 1;
    const bool raw = kind >= 4;
    Cursor c { data + 2, data + size };
    int64_t width = 0, height = 0, maxval = 1;
    if (!c.number(width, INT32_MAX) || !c.number(height, INT32_MAX))
        return fail("bad size");
    if (!bits && (!c.number(maxval, 65535) || maxval < 1))
        return fail("bad maximum value");
    if (!SizeAllowed(width, height, options))
        return ImageIOResult::failure(TooLargeReason(width, height, options));
    // Exactly one white-space byte separates the header from raw samples.
    if (raw) {
        if (c.p >= c.end || !Cursor::space(*c.p))
            return fail("no pixel data");
        ++c.p;
    }
    const int w = int(width), h = int(height);
    const size_t available = size_t(c.end - c.p);
    const uint64_t samples = uint64_t(w) * uint64_t(h) * uint64_t(channels);
    const int sampleBytes = maxval > 255 ? 2 : 1;
    // Refuse files too short for their declared size before allocating anything for them.
    uint64_t needed = 0;
    if (kind == 4)
        needed = (uint64_t(w) + 7) / 8 * uint64_t(h);
    else if (raw)
        needed = samples * uint64_t(sampleBytes);
    else
        needed = kind == 1 ? samples : samples * 2 - 1;
    if (needed > available)
        return fail("truncated pixel data");

    std::vector<uint8_t> scale(size_t(maxval) + 1);
    for (int64_t v = 0; v <= maxval; ++v)
        scale[size_t(v)] = uint8_t((v * 255 + maxval / 2) / maxval);

    std::string reason;
    if (!AllocateOutput(bmp, w, h, false, reason))
        return ImageIOResult::failure(reason);

    for (int y = 0; y < h; ++y) {
        uint8_t* dst = bmp.Row(y);
        if (kind == 4) {
            const uint8_t* src = c.p + size_t(y) * ((size_t(w) + 7) / 8);
            for (int x = 0; x < w; ++x) {
                const uint8_t v = ((src[x >> 3] >> (7 - (x & 7))) & 1) ? 0 : 255; // 1 is black
                dst[3 * x] = dst[3 * x + 1] = dst[3 * x + 2] = v;
            }
        } else if (kind == 1) {
            for (int x = 0; x < w; ++x) {
                // Plain bit maps may pack their digits without white space.
                c.skip();
                if (c.p >= c.end || (*c.p != '0' && *c.p != '1')) {
                    bmp.Clear();
                    return fail("bad pixel data");
                }
                const uint8_t v = *c.p++ == '1' ? 0 : 255;
                dst[3 * x] = dst[3 * x + 1] = dst[3 * x + 2] = v;
            }
        } else if (raw) {
            const uint8_t* src = c.p + size_t(y) * size_t(w) * size_t(channels * sampleBytes);
            const size_t n = size_t(w) * size_t(channels);
            for (size_t i = 0; i < n; ++i) {
                const unsigned v
                    = sampleBytes == 2 ? unsigned((src[2 * i] << 8) | src[2 * i + 1]) : src[i];
                const uint8_t s = scale[std::min<size_t>(v, size_t(maxval))];
                if (channels == 3)
                    dst[3 * (i / 3) + 2 - i % 3] = s; // file order R, G, B
                else
                    dst[3 * i] = dst[3 * i + 1] = dst[3 * i + 2] = s;
            }
        } else {
            const size_t n = size_t(w) * size_t(channels);
            for (size_t i = 0; i < n; ++i) {
                int64_t v = 0;
                if (!c.number(v, INT64_MAX / 20)) {
                    bmp.Clear();
                    return fail("bad pixel data");
                }
                const uint8_t s = scale[size_t(std::min(v, maxval))];
                if (channels == 3)
                    dst[3 * (i / 3) + 2 - i % 3] = s;
                else
                    dst[3 * i] = dst[3 * i + 1] = dst[3 * i + 2] = s;
            }
        }
    }
    return ImageIOResult::success();
}

ImageIOResult WritePnm(ByteSink& sink, const TIEBitmap& bmp, std::string_view ext)
{
    const int w = bmp.Width(), h = bmp.Height();
    const int kind = ext == "pgm" ? 5 : ext == "pbm" ? 4 : 6;
    char header[64];
    const int length = std::snprintf(
        header, sizeof header, kind == 4 ? "P%d\n%d %d\n" : "P%d\n%d %d\n255\n", kind, w, h);
    sink.write(header, size_t(length));
    std::vector<uint8_t> row(kind == 6 ? size_t(w) * 3
            : kind == 5                ? size_t(w)
                                       : (size_t(w) + 7) / 8);
    for (int y = 0; y < h; ++y) {
        const uint8_t* src = bmp.Row(y);
        if (kind == 6) {
            for (int x = 0; x < w; ++x) {
                row[3 * x] = src[3 * x + 2];
                row[3 * x + 1] = src[3 * x + 1];
                row[3 * x + 2] = src[3 * x];
            }
        } else if (kind == 5) {
            for (int x = 0; x < w; ++x)
                row[x] = GreyOf(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
        } else {
            std::fill(row.begin(), row.end(), 0);
            for (int x = 0; x < w; ++x)
                if (GreyOf(src[3 * x + 2], src[3 * x + 1], src[3 * x]) < 128)
                    row[x >> 3] |= uint8_t(0x80 >> (x & 7)); // 1 is black
        }
        sink.write(row.data(), row.size());
    }
    return ImageIOResult::success();
}

} // namespace borderlux::imageio
