#pragma once

// Helpers of the reader and writer tests: a temporary folder, file bytes, coded test patterns.

#include "document/ie_bitmap.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdlib.h>
#include <string>
#include <vector>

namespace borderlux::test {

/// A fresh folder under the temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "bl-imageio-XXXXXX").string();
        m_path = mkdtemp(tmpl.data()) ? tmpl : std::string();
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    std::string file(const std::string& name) const { return m_path + "/" + name; }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

inline std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

/// The coded pattern: red x * 7 + y, green x + 5 * y, blue x ^ y (each mod 256), so every pixel
/// tells where it came from.
inline TRGB PatternPixel(int x, int y)
{
    return { uint8_t(x ^ y), uint8_t(x + 5 * y), uint8_t(x * 7 + y) };
}

inline TIEBitmap MakePattern(int w, int h)
{
    TIEBitmap bmp;
    bmp.Allocate(w, h, ie24RGB);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            *bmp.PixelPtr(x, y) = PatternPixel(x, y);
    return bmp;
}

/// Number of pixels whose colour differs between a and b (sizes must match).
inline int64_t DifferentPixels(const TIEBitmap& a, const TIEBitmap& b)
{
    int64_t n = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            const TRGB p = a.ReadRGB(x, y), q = b.ReadRGB(x, y);
            n += p.r != q.r || p.g != q.g || p.b != q.b;
        }
    return n;
}

inline bool SameColour(TRGB p, TRGB q)
{
    return p.r == q.r && p.g == q.g && p.b == q.b;
}

} // namespace borderlux::test
