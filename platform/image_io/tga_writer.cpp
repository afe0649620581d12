// Targa writing: uncompressed 24-bit true colour with the origin at the top left, so the
// raster's rows go out as they are.

#include "platform/image_io/codecs.h"

namespace borderlux::imageio {

ImageIOResult WriteTga(ByteSink& sink, const TIEBitmap& bmp)
{
    const int w = bmp.Width(), h = bmp.Height();
    if (w > 65535 || h > 65535)
        return ImageIOResult::failure("the picture is too large for a Targa file");
    uint8_t header[18] = {};
    header[2] = 2; // uncompressed true colour
    header[12] = uint8_t(w);
    header[13] = uint8_t(w >> 8);
    header[14] = uint8_t(h);
    header[15] = uint8_t(h >> 8);
    header[16] = 24;
    header[17] = 0x20; // first row is the top row
    sink.write(header, sizeof header);
    for (int y = 0; y < h; ++y)
        sink.write(bmp.Row(y), size_t(w) * 3);
    // Version 2 footer: no extension area, no developer directory.
    static const char footer[26] = "\0\0\0\0\0\0\0\0TRUEVISION-XFILE.";
    sink.write(footer, sizeof footer);
    return ImageIOResult::success();
}

} // namespace borderlux::imageio
