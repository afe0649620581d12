// One libFuzzer target per reader: the build picks the format with BL_FUZZ_FORMAT_<NAME>.
// The pixel limit is lower than the program's so that a declared size within it still fits
// the fuzzer's memory limit.

#include "platform/image_io/image_io.h"

#include <cstddef>
#include <cstdint>

using namespace borderlux;

namespace {

#if defined(BL_FUZZ_FORMAT_JPEG)
constexpr ImageFormat kFormat = ImageFormat::Jpeg;
#elif defined(BL_FUZZ_FORMAT_PNG)
constexpr ImageFormat kFormat = ImageFormat::Png;
#elif defined(BL_FUZZ_FORMAT_BMP)
constexpr ImageFormat kFormat = ImageFormat::Bmp;
#elif defined(BL_FUZZ_FORMAT_PNM)
constexpr ImageFormat kFormat = ImageFormat::Pnm;
#elif defined(BL_FUZZ_FORMAT_PCX)
constexpr ImageFormat kFormat = ImageFormat::Pcx;
#else
#error "define BL_FUZZ_FORMAT_<NAME>"
#endif

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ReadOptions options;
    options.maxPixels = int64_t(1) << 20;
    // Odd sizes also try the scaled JPEG decoding of thumbnails and the as-stored orientation.
    if (size % 2) {
        options.minWidth = 40;
        options.minHeight = 30;
        options.applyExifOrientation = false;
    }
    TIEBitmap bmp;
    const ImageIOResult result = ReadImageFromMemory(data, size, kFormat, bmp, options);
    if (result && !bmp.IsEmpty()) {
        // Touch the first and last row so that a wrong size shows up as an overflow.
        volatile uint8_t sink = bmp.Row(0)[0];
        sink = bmp.Row(bmp.Height() - 1)[bmp.Width() * 3 - 1];
        (void)sink;
    }
    return 0;
}
