#pragma once

// Small builders shared by the core tests: coded rasters whose pixel values tell which source
// pixel ended up where.

#include "document/ie_bitmap.h"

#include <cstdint>
#include <functional>
#include <random>

namespace borderlux::testutil {

inline void Make24(TIEBitmap& bmp, int w, int h, const std::function<TRGB(int, int)>& colour)
{
    bmp.Allocate(w, h, ie24RGB);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            *bmp.PixelPtr(x, y) = colour(x, y);
}

inline void MakeSolid(TIEBitmap& bmp, int w, int h, TRGB c)
{
    Make24(bmp, w, h, [c](int, int) { return c; });
}

/// Red = x, green = y, blue = 7: a pixel names its own position.
inline TRGB Coded(int x, int y)
{
    return { 7, uint8_t(y), uint8_t(x) };
}

inline void MakeRandom(TIEBitmap& bmp, int w, int h, std::mt19937& rng, TIEPixelFormat f = ie24RGB)
{
    bmp.Allocate(w, h, f);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = bmp.Row(y);
        for (int64_t i = 0; i < bmp.RowLength(); ++i)
            row[i] = uint8_t(byte(rng));
    }
}

inline bool SameTriple(TRGB a, TRGB b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

/// Number of differing used bytes between two rasters of the same shape; -1 when shapes differ.
inline int64_t DiffBytes(const TIEBitmap& a, const TIEBitmap& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.PixelFormat() != b.PixelFormat())
        return -1;
    const int64_t used = (int64_t(a.Width()) * BitsPerPixel(a.PixelFormat()) + 7) / 8;
    int64_t n = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int64_t i = 0; i < used; ++i)
            n += a.Row(y)[i] != b.Row(y)[i];
    return n;
}

} // namespace borderlux::testutil
