// PNG through libpng. Every colour type and bit depth is expanded by libpng's own transforms to
// 8-bit BGR or BGRA; the alpha byte goes to the raster's alpha plane.

#include "platform/image_io/codecs.h"

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <png.h>
#include <vector>

namespace borderlux::imageio {

namespace {

struct MemoryReader {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t length)
{
    auto* src = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (length > src->size - src->pos)
        png_error(png, "unexpected end of file");
    std::memcpy(out, src->data + src->pos, length);
    src->pos += length;
}

struct ErrorState {
    char message[200];
};

[[noreturn]] void pngError(png_structp png, png_const_charp message)
{
    auto* state = static_cast<ErrorState*>(png_get_error_ptr(png));
    std::snprintf(state->message, sizeof state->message, "%s", message ? message : "error");
    png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp) { }

struct Reader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ErrorState errors {};
    MemoryReader source {};
    std::vector<uint8_t> rowBuffer; // one BGRA row, or the whole image when interlaced
    bool sizeRefused = false;
    png_uint_32 width = 0, height = 0;
    ~Reader()
    {
        if (png)
            png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    }
};

void splitBgra(const uint8_t* src, uint8_t* bgr, uint8_t* alpha, int width, uint8_t& allAlpha)
{
    uint8_t all = allAlpha;
    for (int x = 0; x < width; ++x) {
        bgr[3 * x] = src[4 * x];
        bgr[3 * x + 1] = src[4 * x + 1];
        bgr[3 * x + 2] = src[4 * x + 2];
        alpha[x] = src[4 * x + 3];
        all &= src[4 * x + 3];
    }
    allAlpha = all;
}

// Only trivially destructible locals between setjmp and libpng's longjmp; the rest is in r.
bool decode(Reader& r, TIEBitmap& bmp, const ReadOptions& options, std::string& reason)
{
    if (setjmp(png_jmpbuf(r.png)))
        return false;
    png_set_read_fn(r.png, &r.source, readFromMemory);
    // libpng checks these while reading IHDR, before any row buffer exists; the product of the
    // two is checked below, still before anything of the image's size is allocated.
    const int64_t limit = std::min<int64_t>(options.maxPixels, 0x7fffffff);
    png_set_user_limits(
        r.png, png_uint_32(std::max<int64_t>(limit, 1)), png_uint_32(std::max<int64_t>(limit, 1)));
    png_set_chunk_malloc_max(r.png, 8u << 20);
#ifdef BORDERLUX_FUZZING
    png_set_crc_action(r.png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#ifdef PNG_IGNORE_ADLER32
    png_set_option(r.png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
#else
    png_set_crc_action(r.png, PNG_CRC_DEFAULT, PNG_CRC_WARN_DISCARD);
#endif
    png_read_info(r.png, r.info);

    int bitDepth = 0, colourType = 0, interlace = 0;
    png_get_IHDR(
        r.png, r.info, &r.width, &r.height, &bitDepth, &colourType, &interlace, nullptr, nullptr);
    if (!SizeAllowed(r.width, r.height, options)) {
        r.sizeRefused = true;
        return false;
    }
    const bool hasTrns = png_get_valid(r.png, r.info, PNG_INFO_tRNS) != 0;
    const bool alpha = (colourType & PNG_COLOR_MASK_ALPHA) != 0 || hasTrns;

    png_set_expand(r.png); // palette to RGB, grey below 8 bits to 8, tRNS to alpha
    png_set_strip_16(r.png);
    if (!(colourType & PNG_COLOR_MASK_COLOR))
        png_set_gray_to_rgb(r.png);
    png_set_bgr(r.png);
    const int passes = png_set_interlace_handling(r.png);
    png_read_update_info(r.png, r.info);
    const size_t rowBytes = png_get_rowbytes(r.png, r.info);
    const int w = int(r.width), h = int(r.height);
    if (rowBytes != size_t(w) * (alpha ? 4 : 3))
        png_error(r.png, "unexpected row layout");

    if (!AllocateOutput(bmp, w, h, alpha, reason))
        return false;

    if (!alpha) {
        // Interlaced passes combine in place, so the raster rows themselves serve as the
        // decoder's rows in every pass.
        for (int pass = 0; pass < passes; ++pass)
            for (int y = 0; y < h; ++y)
                png_read_row(r.png, bmp.Row(y), nullptr);
    } else {
        TIEBitmap& plane = bmp.AlphaPlane();
        uint8_t allAlpha = 255;
        if (passes == 1) {
            r.rowBuffer.resize(rowBytes);
            for (int y = 0; y < h; ++y) {
                png_read_row(r.png, r.rowBuffer.data(), nullptr);
                splitBgra(r.rowBuffer.data(), bmp.Row(y), plane.Row(y), w, allAlpha);
            }
        } else {
            r.rowBuffer.assign(rowBytes * size_t(h), 0);
            for (int pass = 0; pass < passes; ++pass)
                for (int y = 0; y < h; ++y)
                    png_read_row(r.png, r.rowBuffer.data() + rowBytes * size_t(y), nullptr);
            for (int y = 0; y < h; ++y)
                splitBgra(r.rowBuffer.data() + rowBytes * size_t(y), bmp.Row(y), plane.Row(y), w,
                    allAlpha);
        }
        plane.SetFullyOpaque(allAlpha == 255);
    }
    return true;
}

struct SinkWriter {
    ByteSink* sink;
};

void writeToSink(png_structp png, png_bytep data, png_size_t length)
{
    static_cast<SinkWriter*>(png_get_io_ptr(png))->sink->write(data, length);
}

void flushSink(png_structp) { }

struct Writer {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ErrorState errors {};
    SinkWriter target {};
    std::vector<uint8_t> row;
    ~Writer()
    {
        if (png)
            png_destroy_write_struct(&png, info ? &info : nullptr);
    }
};

bool encode(Writer& wr, const TIEBitmap& bmp, bool alpha)
{
    if (setjmp(png_jmpbuf(wr.png)))
        return false;
    png_set_write_fn(wr.png, &wr.target, writeToSink, flushSink);
    const int w = bmp.Width(), h = bmp.Height();
    png_set_IHDR(wr.png, wr.info, png_uint_32(w), png_uint_32(h), 8,
        alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
        PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(wr.png, wr.info);
    png_set_bgr(wr.png);
    if (!alpha) {
        for (int y = 0; y < h; ++y)
            png_write_row(wr.png, bmp.Row(y));
    } else {
        const TIEBitmap* plane = bmp.ExistingAlphaPlane();
        wr.row.resize(size_t(w) * 4);
        uint8_t* out = wr.row.data();
        for (int y = 0; y < h; ++y) {
            const uint8_t* src = bmp.Row(y);
            const uint8_t* a = plane->Row(y);
            for (int x = 0; x < w; ++x) {
                out[4 * x] = src[3 * x];
                out[4 * x + 1] = src[3 * x + 1];
                out[4 * x + 2] = src[3 * x + 2];
                out[4 * x + 3] = a[x];
            }
            png_write_row(wr.png, out);
        }
    }
    png_write_end(wr.png, wr.info);
    return true;
}

} // namespace

ImageIOResult ReadPng(const uint8_t* data, size_t size, TIEBitmap& bmp, const ReadOptions& options)
{
    if (size < 8 || png_sig_cmp(data, 0, 8) != 0)
        return ImageIOResult::failure("not a PNG file");
    Reader r;
    r.source = { data, size, 0 };
    r.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &r.errors, pngError, pngWarning);
    if (!r.png)
        return ImageIOResult::failure("out of memory");
    r.info = png_create_info_struct(r.png);
    if (!r.info)
        return ImageIOResult::failure("out of memory");
    std::string reason;
    if (!decode(r, bmp, options, reason)) {
        bmp.Clear();
        if (r.sizeRefused)
            return ImageIOResult::failure(TooLargeReason(r.width, r.height, options));
        if (!reason.empty())
            return ImageIOResult::failure(reason);
        return ImageIOResult::failure(std::string("not a readable PNG file: ") + r.errors.message);
    }
    return ImageIOResult::success();
}

ImageIOResult WritePng(ByteSink& sink, const TIEBitmap& bmp)
{
    Writer wr;
    wr.target.sink = &sink;
    wr.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &wr.errors, pngError, pngWarning);
    if (!wr.png)
        return ImageIOResult::failure("out of memory");
    wr.info = png_create_info_struct(wr.png);
    if (!wr.info)
        return ImageIOResult::failure("out of memory");
    if (!encode(wr, bmp, HasTransparency(bmp)))
        return ImageIOResult::failure(std::string("PNG encoder: ") + wr.errors.message);
    return ImageIOResult::success();
}

} // namespace borderlux::imageio
