#include "document/pixel_ops.h"

#include "document/parallel_rows.h"
#include "document/row_loop.h"

#include <atomic>
#include <cstring>

namespace borderlux {

namespace {

BL_ROW_LOOP void invertBytes(uint8_t* p, int64_t n)
{
    for (int64_t i = 0; i < n; ++i)
        p[i] = uint8_t(~p[i]);
}

BL_ROW_LOOP void redToAlpha(const uint8_t* rgb, uint8_t* alpha, int width)
{
    for (int x = 0; x < width; ++x)
        alpha[x] = rgb[3 * x + 2];
}

BL_ROW_LOOP bool rowAllOpaque(const uint8_t* a, int width)
{
    uint8_t all = 255;
    for (int x = 0; x < width; ++x)
        all &= a[x];
    return all == 255;
}

} // namespace

void NegativeBitmap(TIEBitmap& bmp)
{
    if (bmp.IsEmpty())
        return;
    switch (bmp.PixelFormat()) {
    case ie24RGB:
    case ie8g:
    case ie1g: {
        // Every byte of the used part of a row is a sample (or eight bits of samples); padding
        // bytes are left alone.
        const int64_t used = (int64_t(bmp.Width()) * BitsPerPixel(bmp.PixelFormat()) + 7) / 8;
        ParallelRows(bmp.Height(), used, [&](int begin, int end) {
            for (int y = begin; y < end; ++y)
                invertBytes(bmp.Row(y), used);
        });
        break;
    }
    case ie8p:
        for (TRGB& c : bmp.Palette()) {
            c.r = uint8_t(255 - c.r);
            c.g = uint8_t(255 - c.g);
            c.b = uint8_t(255 - c.b);
        }
        break;
    case ieNone:
        break;
    }
}

void SetTransparentColorsBitmap(TIEBitmap& bmp, TRGB min, TRGB max, uint8_t alpha)
{
    if (bmp.IsEmpty())
        return;
    const int w = bmp.Width(), h = bmp.Height();
    if (bmp.PixelFormat() == ie24RGB) {
        TIEBitmap& plane = bmp.AlphaPlane();
        bool wrote = false;
        for (int y = 0; y < h; ++y) {
            const uint8_t* p = bmp.Row(y);
            uint8_t* a = plane.Row(y);
            for (int x = 0; x < w; ++x) {
                const uint8_t b = p[3 * x], g = p[3 * x + 1], r = p[3 * x + 2];
                if (r >= min.r && r <= max.r && g >= min.g && g <= max.g && b >= min.b
                    && b <= max.b) {
                    a[x] = alpha;
                    wrote = true;
                }
            }
        }
        if (wrote && alpha < 255)
            plane.SetFullyOpaque(false);
    } else if (bmp.PixelFormat() == ie1g) {
        const bool wantSet = min.r != 0;
        TIEBitmap& plane = bmp.AlphaPlane();
        for (int y = 0; y < h; ++y) {
            const uint8_t* p = bmp.Row(y);
            uint8_t* a = plane.Row(y);
            for (int x = 0; x < w; ++x) {
                const bool set = (p[x >> 3] & (0x80 >> (x & 7))) != 0;
                if (set == wantSet)
                    a[x] = alpha;
            }
        }
    }
    bmp.AlphaPlane();
    bmp.SyncOpaqueFlag();
}

void AlphaFromRed(TIEBitmap& bmp)
{
    if (bmp.IsEmpty() || bmp.PixelFormat() != ie24RGB)
        return;
    // A plane of another size (left by AssignPixels) is replaced, so every row below fits.
    if (bmp.HasAlphaPlane()
        && (bmp.AlphaPlane().Width() != bmp.Width() || bmp.AlphaPlane().Height() != bmp.Height()))
        bmp.DropAlphaPlane();
    TIEBitmap& plane = bmp.AlphaPlane();
    const int w = bmp.Width();
    std::atomic<int> opaqueRows { 0 };
    ParallelRows(bmp.Height(), int64_t(w) * 4, [&](int begin, int end) {
        int opaque = 0;
        for (int y = begin; y < end; ++y) {
            redToAlpha(bmp.Row(y), plane.Row(y), w);
            opaque += rowAllOpaque(plane.Row(y), w);
        }
        opaqueRows += opaque;
    });
    plane.SetFullyOpaque(opaqueRows == bmp.Height());
}

} // namespace borderlux
