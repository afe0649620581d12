// JPEG through libjpeg (libjpeg-turbo). Decoding writes straight into the raster's rows with the
// JCS_EXT_BGR output colour space, using libjpeg's default decoder settings (ISLOW DCT, fancy
// upsampling), so the pixels are the same as those of the library's own command-line decoder.

#include "platform/image_io/codecs.h"

#include <algorithm>
#include <atomic>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <jerror.h>
#include <jpeglib.h>
#include <system_error>
#include <thread>
#include <vector>

namespace borderlux::imageio {

namespace {

// Progressive files can carry any number of scans; each one re-reads the whole coefficient
// buffer, so thousands of tiny scans in a small hostile file would take minutes.
constexpr int kMaxScans = 500;

struct ErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    char firstWarning[JMSG_LENGTH_MAX];
    bool truncated;
};

[[noreturn]] void errorExit(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void emitMessage(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return; // trace messages
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (cinfo->err->msg_code == JWRN_JPEG_EOF)
        err->truncated = true;
    if (cinfo->err->num_warnings++ == 0)
        (*cinfo->err->format_message)(cinfo, err->firstWarning);
}

void outputMessage(j_common_ptr) { }

void initErrors(ErrorManager& err)
{
    jpeg_std_error(&err.pub);
    err.pub.error_exit = errorExit;
    err.pub.emit_message = emitMessage;
    err.pub.output_message = outputMessage;
    err.message[0] = 0;
    err.firstWarning[0] = 0;
    err.truncated = false;
}

void progressMonitor(j_common_ptr cinfo)
{
    if (!cinfo->is_decompressor)
        return;
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > kMaxScans) {
        auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
        std::snprintf(err->message, sizeof err->message, "more than %d scans", kMaxScans);
        std::longjmp(err->jump, 1);
    }
}

void cmykToBgr(const uint8_t* src, uint8_t* dst, int width, bool inverted)
{
    for (int x = 0; x < width; ++x, src += 4, dst += 3) {
        // Adobe writes CMYK inverted (0 = full ink); others store plain ink amounts.
        const int c = inverted ? src[0] : 255 - src[0];
        const int m = inverted ? src[1] : 255 - src[1];
        const int y = inverted ? src[2] : 255 - src[2];
        const int k = inverted ? src[3] : 255 - src[3];
        dst[0] = uint8_t((y * k + 127) / 255);
        dst[1] = uint8_t((m * k + 127) / 255);
        dst[2] = uint8_t((c * k + 127) / 255);
    }
}

int orientationOf(j_decompress_ptr cinfo)
{
    for (jpeg_saved_marker_ptr m = cinfo->marker_list; m; m = m->next)
        if (m->marker == JPEG_APP0 + 1) {
            const int o = ExifOrientation(m->data, m->data_length);
            if (o != 1)
                return o;
        }
    return 1;
}

struct Decoder {
    jpeg_decompress_struct cinfo {};
    ErrorManager err {};
    jpeg_progress_mgr progress {};
    bool created = false;
    bool started = false;
    int rowsDone = 0;
    int orientation = 1;
    std::string reason;
    std::vector<uint8_t> cmykRows;
    Decoder()
    {
        initErrors(err);
        cinfo.err = &err.pub;
    }
    ~Decoder()
    {
        if (created)
            jpeg_destroy_decompress(&cinfo);
    }
};

struct SinkDestination {
    jpeg_destination_mgr pub;
    ByteSink* sink;
    std::vector<JOCTET> buffer;
};

void initDestination(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<SinkDestination*>(cinfo->dest);
    dest->pub.next_output_byte = dest->buffer.data();
    dest->pub.free_in_buffer = dest->buffer.size();
}

boolean emptyOutputBuffer(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<SinkDestination*>(cinfo->dest);
    dest->sink->write(dest->buffer.data(), dest->buffer.size());
    dest->pub.next_output_byte = dest->buffer.data();
    dest->pub.free_in_buffer = dest->buffer.size();
    return TRUE;
}

void termDestination(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<SinkDestination*>(cinfo->dest);
    dest->sink->write(dest->buffer.data(), dest->buffer.size() - dest->pub.free_in_buffer);
}

} // namespace

int ExifOrientation(const uint8_t* data, size_t size)
{
    if (size < 14 || std::memcmp(data, "Exif\0\0", 6) != 0)
        return 1;
    const uint8_t* tiff = data + 6;
    const size_t n = size - 6;
    const bool little = tiff[0] == 'I' && tiff[1] == 'I';
    if (!little && !(tiff[0] == 'M' && tiff[1] == 'M'))
        return 1;
    auto u16 = [&](size_t at) -> unsigned {
        return little ? unsigned(tiff[at] | (tiff[at + 1] << 8))
                      : unsigned((tiff[at] << 8) | tiff[at + 1]);
    };
    auto u32 = [&](size_t at) -> uint32_t {
        return little ? uint32_t(u16(at)) | (uint32_t(u16(at + 2)) << 16)
                      : (uint32_t(u16(at)) << 16) | uint32_t(u16(at + 2));
    };
    if (u16(2) != 42)
        return 1;
    const uint32_t ifd = u32(4);
    if (ifd < 8 || ifd > n - 2)
        return 1;
    const unsigned count = u16(ifd);
    for (unsigned i = 0; i < count; ++i) {
        const size_t entry = size_t(ifd) + 2 + size_t(i) * 12;
        if (entry + 12 > n)
            return 1;
        if (u16(entry) == 0x0112) {
            const unsigned type = u16(entry + 2);
            const unsigned value = type == 3 ? u16(entry + 8)
                : type == 4                  ? unsigned(u32(entry + 8))
                                             : 0;
            return value >= 1 && value <= 8 ? int(value) : 1;
        }
    }
    return 1;
}

bool ApplyOrientation(TIEBitmap& bmp, int orientation)
{
    const int w = bmp.Width(), h = bmp.Height();
    if (orientation <= 1 || orientation > 8 || bmp.IsEmpty() || bmp.PixelFormat() != ie24RGB)
        return true;
    if (orientation == 2 || orientation == 3) { // mirror each row; 3 also swaps the rows
        for (int y = 0; y < h; ++y) {
            TRGB* row = bmp.PixelPtr(0, y);
            std::reverse(row, row + w);
        }
    }
    if (orientation == 3 || orientation == 4) {
        std::vector<uint8_t> tmp(size_t(bmp.RowLength()));
        for (int top = 0, bottom = h - 1; top < bottom; ++top, --bottom) {
            std::memcpy(tmp.data(), bmp.Row(top), tmp.size());
            std::memcpy(bmp.Row(top), bmp.Row(bottom), tmp.size());
            std::memcpy(bmp.Row(bottom), tmp.data(), tmp.size());
        }
    }
    if (orientation <= 4)
        return true;

    // 5..8 swap width and height. Destination (x', y') takes source (sx, sy):
    // 5 transpose (y', x'); 6 clockwise (y', h-1-x'); 7 transverse (w-1-y', h-1-x');
    // 8 counter-clockwise (w-1-y', x').
    TIEBitmap out;
    out.SetPreferFileStorage(bmp.PreferFileStorage());
    out.SetLargeRasterThreshold(bmp.LargeRasterThreshold());
    out.SetPlatformBitmapStorage(bmp.PlatformBitmapStorage());
    if (!out.Allocate(h, w, ie24RGB))
        return false;
    const bool flipX = orientation == 6 || orientation == 7; // x' runs against sy
    const bool flipY = orientation == 7 || orientation == 8; // y' runs against sx
    constexpr int kTile = 64; // keeps both the read and the written rows in cache
    for (int sy0 = 0; sy0 < h; sy0 += kTile) {
        const int sy1 = std::min(h, sy0 + kTile);
        for (int sx0 = 0; sx0 < w; sx0 += kTile) {
            const int sx1 = std::min(w, sx0 + kTile);
            for (int sy = sy0; sy < sy1; ++sy) {
                const TRGB* src = reinterpret_cast<const TRGB*>(bmp.Row(sy));
                const int dx = flipX ? h - 1 - sy : sy;
                for (int sx = sx0; sx < sx1; ++sx) {
                    const int dy = flipY ? w - 1 - sx : sx;
                    out.PixelPtr(dx, dy)[0] = src[sx];
                }
            }
        }
    }
    bmp = std::move(out);
    return true;
}

namespace {

enum class DecodeStatus { Done, Failed, TooLarge, NoMemory };

// Everything between setjmp and a possible longjmp is trivially destructible or lives in dec,
// so a jump out of libjpeg skips no destructor.
DecodeStatus decode(
    Decoder& dec, const uint8_t* data, size_t size, TIEBitmap& bmp, const ReadOptions& options)
{
    j_decompress_ptr cinfo = &dec.cinfo;
    if (setjmp(dec.err.jump))
        return DecodeStatus::Failed;

    jpeg_create_decompress(cinfo);
    dec.created = true;
    dec.progress.progress_monitor = progressMonitor;
    cinfo->progress = &dec.progress;
    jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
    if (options.applyExifOrientation)
        jpeg_save_markers(cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(cinfo, TRUE);
    if (!SizeAllowed(cinfo->image_width, cinfo->image_height, options))
        return DecodeStatus::TooLarge;

    const bool cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
    cinfo->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
    dec.orientation = options.applyExifOrientation ? orientationOf(cinfo) : 1;

    if (options.minWidth > 0 || options.minHeight > 0) {
        const bool swap = dec.orientation >= 5;
        const unsigned needW = unsigned(std::max(0, swap ? options.minHeight : options.minWidth));
        const unsigned needH = unsigned(std::max(0, swap ? options.minWidth : options.minHeight));
        for (unsigned denom = 8; denom >= 1; denom /= 2) {
            cinfo->scale_num = 1;
            cinfo->scale_denom = denom;
            jpeg_calc_output_dimensions(cinfo);
            if (denom == 1 || (cinfo->output_width >= needW && cinfo->output_height >= needH))
                break;
        }
    }

    jpeg_start_decompress(cinfo);
    const int w = int(cinfo->output_width), h = int(cinfo->output_height);
    if (!AllocateOutput(bmp, w, h, false, dec.reason))
        return DecodeStatus::NoMemory;
    dec.started = true;

    const int batch = std::clamp(cinfo->rec_outbuf_height, 1, 16);
    JSAMPROW rows[16];
    if (cmyk)
        dec.cmykRows.resize(size_t(w) * 4 * size_t(batch));
    while (int(cinfo->output_scanline) < h) {
        const int first = int(cinfo->output_scanline);
        const int want = std::min(batch, h - first);
        for (int i = 0; i < want; ++i)
            rows[i] = cmyk ? dec.cmykRows.data() + size_t(i) * size_t(w) * 4 : bmp.Row(first + i);
        const int got = int(jpeg_read_scanlines(cinfo, rows, JDIMENSION(want)));
        if (cmyk)
            for (int i = 0; i < got; ++i)
                cmykToBgr(rows[i], bmp.Row(first + i), w, cinfo->saw_Adobe_marker);
        dec.rowsDone = first + got;
        if (got == 0)
            break; // cannot happen with a memory source; guards against a stall
    }
    return DecodeStatus::Done;
}

} // namespace

ImageIOResult ReadJpeg(const uint8_t* data, size_t size, TIEBitmap& bmp, const ReadOptions& options)
{
    Decoder dec;
    const DecodeStatus status = decode(dec, data, size, bmp, options);
    switch (status) {
    case DecodeStatus::TooLarge:
        bmp.Clear();
        return ImageIOResult::failure(
            TooLargeReason(dec.cinfo.image_width, dec.cinfo.image_height, options));
    case DecodeStatus::NoMemory:
        bmp.Clear();
        return ImageIOResult::failure(dec.reason);
    case DecodeStatus::Failed:
        if (!dec.started || dec.rowsDone == 0) {
            bmp.Clear();
            return ImageIOResult::failure(
                std::string("not a readable JPEG file: ") + dec.err.message);
        }
        break;
    case DecodeStatus::Done:
        break;
    }
    // Rows the decoder never delivered are grey, as those after the end of a truncated file.
    for (int y = dec.rowsDone; y < bmp.Height(); ++y)
        std::memset(bmp.Row(y), 128, size_t(bmp.Width()) * 3);

    std::string warning;
    if (status == DecodeStatus::Failed)
        warning = std::string("damaged file (") + dec.err.message
            + "); the rest of the picture is grey";
    else if (dec.err.truncated)
        warning = "truncated file; the rest of the picture is grey";
    else if (dec.err.pub.num_warnings > 0)
        warning = std::string("damaged file: ") + dec.err.firstWarning;
    if (dec.orientation != 1 && !ApplyOrientation(bmp, dec.orientation)) {
        bmp.Clear();
        return ImageIOResult::failure("out of memory");
    }
    return ImageIOResult::success(warning);
}

namespace {

// Encodes rows [firstRow, firstRow + rows) of bmp as one complete JPEG file of that height.
// restartInterval (in MCUs) goes into the file's DRI segment when not 0.
bool encodeStrip(ByteSink& sink, const TIEBitmap& bmp, int firstRow, int rows, int quality,
    unsigned restartInterval, std::string& error)
{
    jpeg_compress_struct cinfo {};
    ErrorManager err {};
    initErrors(err);
    cinfo.err = &err.pub;
    SinkDestination dest {};
    dest.sink = &sink;
    dest.buffer.resize(size_t(1) << 16);
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        error = std::string("JPEG encoder: ") + err.message;
        return false;
    }
    jpeg_create_compress(&cinfo);
    dest.pub.init_destination = initDestination;
    dest.pub.empty_output_buffer = emptyOutputBuffer;
    dest.pub.term_destination = termDestination;
    cinfo.dest = &dest.pub;
    cinfo.image_width = JDIMENSION(bmp.Width());
    cinfo.image_height = JDIMENSION(rows);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo); // 4:2:0, ISLOW DCT, standard Huffman tables
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.restart_interval = restartInterval;
    jpeg_start_compress(&cinfo, TRUE);
    JSAMPROW rowPointers[16];
    while (cinfo.next_scanline < cinfo.image_height) {
        const int first = int(cinfo.next_scanline);
        const int n = std::min(16, rows - first);
        for (int i = 0; i < n; ++i)
            rowPointers[i] = const_cast<JSAMPROW>(bmp.Row(firstRow + first + i));
        jpeg_write_scanlines(&cinfo, rowPointers, JDIMENSION(n));
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    if (sink.failed()) {
        error = sink.error();
        return false;
    }
    return true;
}

// Offset of the entropy-coded data of a JPEG file written by encodeStrip (just after its SOS
// segment), or 0 when the markers cannot be walked.
size_t scanDataOffset(const std::vector<uint8_t>& file, size_t* sofOffset = nullptr)
{
    size_t pos = 2;
    while (pos + 4 <= file.size() && file[pos] == 0xFF) {
        const uint8_t marker = file[pos + 1];
        const size_t length = size_t(file[pos + 2] << 8 | file[pos + 3]);
        if (marker == 0xC0 && sofOffset)
            *sofOffset = pos;
        if (marker == 0xDA)
            return pos + 2 + length;
        pos += 2 + length;
    }
    return 0;
}

// Large pictures are encoded in horizontal strips of whole MCU rows on several threads. Each
// strip restarts the entropy coder, which is exactly what a restart marker does, so the strips
// joined with RST markers (and one DRI segment) form one baseline JPEG whose coefficients, and
// therefore decoded pixels, are those of a single-threaded encode: with the default settings
// the colour conversion, 2 x 2 chroma averaging and DCT of an MCU row depend on its own
// pixels only.
struct StripPlan {
    int strips = 1;
    int stripRows = 0;
    unsigned restartInterval = 0;
};

StripPlan planStrips(int width, int height)
{
    StripPlan plan;
    plan.stripRows = height;
    const unsigned cores = std::thread::hardware_concurrency();
    if (int64_t(width) * height < (int64_t(1) << 21) || cores < 2)
        return plan;
    const int threads = int(std::min(cores, 4u));
    const int mcusPerRow = (width + 15) / 16;
    const int mcuRows = (height + 15) / 16;
    const int maxStripMcuRows = 65535 / mcusPerRow; // the restart interval is 16 bits
    const int stripMcuRows = std::min((mcuRows + threads - 1) / threads, maxStripMcuRows);
    if (stripMcuRows < 1 || stripMcuRows >= mcuRows)
        return plan;
    plan.stripRows = stripMcuRows * 16;
    plan.strips = (mcuRows + stripMcuRows - 1) / stripMcuRows;
    plan.restartInterval = unsigned(stripMcuRows * mcusPerRow);
    return plan;
}

} // namespace

ImageIOResult WriteJpeg(ByteSink& sink, const TIEBitmap& bmp, const WriteOptions& options)
{
    const int quality = std::clamp(options.jpegQuality, 1, 100);
    const int h = bmp.Height();
    const StripPlan plan = planStrips(bmp.Width(), h);
    std::string error;
    if (plan.strips == 1) {
        if (!encodeStrip(sink, bmp, 0, h, quality, 0, error))
            return ImageIOResult::failure(error);
        return ImageIOResult::success();
    }

    std::vector<MemorySink> parts(size_t(plan.strips));
    std::vector<std::string> errors(size_t(plan.strips));
    std::atomic<int> nextStrip { 0 };
    auto work = [&] {
        for (int k = nextStrip++; k < plan.strips; k = nextStrip++) {
            const int first = k * plan.stripRows;
            const int rows = std::min(plan.stripRows, h - first);
            encodeStrip(parts[size_t(k)], bmp, first, rows, quality, plan.restartInterval,
                errors[size_t(k)]);
        }
    };
    const int threads
        = std::min(plan.strips, int(std::min(std::thread::hardware_concurrency(), 4u)));
    std::vector<std::thread> pool;
    try {
        for (int t = 1; t < threads; ++t)
            pool.emplace_back(work);
    } catch (const std::system_error&) {
        // No more threads: the ones we have (at least this one) do all strips.
    }
    work();
    for (std::thread& t : pool)
        t.join();
    for (const std::string& e : errors)
        if (!e.empty())
            return ImageIOResult::failure(e);

    std::vector<uint8_t>& head = parts[0].bytes;
    size_t sof = 0;
    if (scanDataOffset(head, &sof) == 0 || sof == 0 || head.size() < 2)
        return ImageIOResult::failure("JPEG encoder: unexpected strip layout");
    head[sof + 5] = uint8_t(h >> 8); // the first strip's frame header gets the full height
    head[sof + 6] = uint8_t(h);
    sink.write(head.data(), head.size() - 2); // without its EOI
    for (int k = 1; k < plan.strips; ++k) {
        const std::vector<uint8_t>& part = parts[size_t(k)].bytes;
        const size_t data = scanDataOffset(part);
        if (data == 0 || part.size() < data + 2)
            return ImageIOResult::failure("JPEG encoder: unexpected strip layout");
        const uint8_t restart[2] = { 0xFF, uint8_t(0xD0 + ((k - 1) & 7)) };
        sink.write(restart, 2);
        sink.write(part.data() + data, part.size() - 2 - data);
    }
    const uint8_t eoi[2] = { 0xFF, 0xD9 };
    sink.write(eoi, 2);
    return ImageIOResult::success();
}

} // namespace borderlux::imageio
