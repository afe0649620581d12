// PostScript and EPS writing: one page the size of the picture (a pixel is a point), the
// pixels as hexadecimal RGB data read by colorimage.

#include "platform/image_io/codecs.h"

#include <string>
#include <vector>

namespace borderlux::imageio {

ImageIOResult WritePostScript(ByteSink& sink, const TIEBitmap& bmp, bool eps)
{
    const int w = bmp.Width(), h = bmp.Height();
    const std::string W = std::to_string(w), H = std::to_string(h);
    std::string head = eps ? "%!PS-Adobe-3.0 EPSF-3.0\n" : "%!PS-Adobe-3.0\n";
    head += "%%Creator: Borderlux\n"
            "%%BoundingBox: 0 0 "
        + W + " " + H + "\n";
    head += "%%LanguageLevel: 1\n%%Pages: 1\n%%EndComments\n%%Page: 1 1\n";
    head += "gsave\n/picstr " + std::to_string(int64_t(w) * 3) + " string def\n";
    head += W + " " + H + " scale\n";
    head += W + " " + H + " 8 [" + W + " 0 0 -" + H + " 0 " + H + "]\n";
    head += "{currentfile picstr readhexstring pop} false 3 colorimage\n";
    sink.write(head);

    static const char digits[] = "0123456789abcdef";
    constexpr int kPixelsPerLine = 13; // 78 characters
    std::vector<char> line;
    line.reserve(size_t(w) * 6 + size_t(w) / kPixelsPerLine + 2);
    for (int y = 0; y < h; ++y) {
        const uint8_t* src = bmp.Row(y);
        line.clear();
        for (int x = 0; x < w; ++x) {
            for (int c = 2; c >= 0; --c) {
                const uint8_t v = src[3 * x + c];
                line.push_back(digits[v >> 4]);
                line.push_back(digits[v & 15]);
            }
            if ((x + 1) % kPixelsPerLine == 0 || x + 1 == w)
                line.push_back('\n');
        }
        sink.write(line.data(), line.size());
    }
    sink.write(std::string_view("grestore\nshowpage\n%%Trailer\n%%EOF\n"));
    return ImageIOResult::success();
}

} // namespace borderlux::imageio
