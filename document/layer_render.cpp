#include "document/row_loop.h"
// Compositing of a layer view: RenderLayersTo (whole canvas at 100 %) and RenderViewRows (any
// rectangle of the zoomed view). Both go through renderCanvas, so the screen shows exactly the
// pixels that are saved.

#include "document/layer_view.h"
#include "document/parallel_rows.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace borderlux {

namespace {

// One layer prepared for a rendering pass: its rectangle clipped to the canvas, and the
// source column of every canvas column it covers inside the rendered window.
struct LayerPlan {
    const TIEBitmap* bmp = nullptr;
    const TIEBitmap* alpha = nullptr; // null when alpha plays no part
    std::unique_ptr<TIEBitmap> converted; // 24-bit copy of a raster of another format
    int transparency = 255;
    bool copy = false; // opaque, no alpha: the source replaces the canvas
    int x0 = 0, y0 = 0, w = 0, h = 0; // clipped destination rectangle, canvas pixels
    int sx0 = 0, sy0 = 0;
    double rx = 1, ry = 1;
    int colBegin = 0, colEnd = 0; // covered canvas columns inside the window
    std::vector<int> col; // source column for colBegin .. colEnd - 1
    bool identity = false; // col[k] == col[0] + k
    int rasterH = 0;

    int sourceRow(int y) const
    {
        const int sy = int(double(y - y0) * ry + sy0);
        return std::clamp(sy, 0, rasterH - 1);
    }
};

BL_ROW_LOOP void blendUniform(uint8_t* d, const uint8_t* s, int n, int o)
{
    const int keep = 256 - o;
    for (int i = 0; i < n; ++i)
        d[i] = uint8_t((d[i] * keep + s[i] * o) >> 8);
}

// d + floor((s - d) x c / 256) written as (d x (256 - c) + s x c) / 256: the same value (d x 256
// is a multiple of 256), but non-negative and below 65536, so it vectorises in 16 bits.
BL_ROW_LOOP void blendBytes(uint8_t* d, const uint8_t* s, const uint8_t* c, int n)
{
    for (int i = 0; i < n; ++i)
        d[i] = uint8_t((d[i] * (256 - c[i]) + s[i] * c[i]) >> 8);
}

BL_ROW_LOOP void expandCoverage(uint8_t* cov, const uint8_t* a, int n, uint8_t t)
{
    for (int k = 0; k < n; ++k) {
        const uint8_t o = a[k] < t ? a[k] : t;
        cov[3 * k] = o;
        cov[3 * k + 1] = o;
        cov[3 * k + 2] = o;
    }
}

void gather24(uint8_t* out, const uint8_t* src, const int* col, int n)
{
    for (int k = 0; k < n; ++k)
        std::memcpy(out + 3 * k, src + 3 * col[k], 3);
}

void gather8(uint8_t* out, const uint8_t* src, const int* col, int n)
{
    for (int k = 0; k < n; ++k)
        out[k] = src[col[k]];
}

void fillRow(uint8_t* row, int n, const uint8_t bgr[3])
{
    if (n <= 0)
        return;
    for (int k = 0; k < std::min(n, 16); ++k)
        std::memcpy(row + 3 * k, bgr, 3);
    // Doubling copies: the pattern repeats every 3 bytes, and 48 is a multiple of 3.
    int done = std::min(n, 16);
    while (done < n) {
        const int chunk = std::min(done, n - done);
        std::memcpy(row + 3 * done, row, size_t(chunk) * 3);
        done += chunk;
    }
}

struct Scratch {
    std::vector<uint8_t> pixels;
    std::vector<uint8_t> alpha;
    std::vector<uint8_t> cov;
};

void drawSegment(const LayerPlan& p, uint8_t* rowAtWindow, int windowX, int y, Scratch& s)
{
    const int n = p.colEnd - p.colBegin;
    uint8_t* d = rowAtWindow + 3 * int64_t(p.colBegin - windowX);
    const int sy = p.sourceRow(y);
    const uint8_t* srcRow = p.bmp->Row(sy);
    const uint8_t* src;
    if (p.identity) {
        src = srcRow + 3 * int64_t(p.col[0]);
    } else {
        gather24(s.pixels.data(), srcRow, p.col.data(), n);
        src = s.pixels.data();
    }
    if (p.copy) {
        std::memcpy(d, src, size_t(n) * 3);
        return;
    }
    if (!p.alpha) {
        blendUniform(d, src, 3 * n, p.transparency);
        return;
    }
    const uint8_t* aRow = p.alpha->Row(sy);
    const uint8_t* a;
    if (p.identity) {
        a = aRow + p.col[0];
    } else {
        gather8(s.alpha.data(), aRow, p.col.data(), n);
        a = s.alpha.data();
    }
    expandCoverage(s.cov.data(), a, n, uint8_t(std::clamp(p.transparency, 0, 255)));
    blendBytes(d, src, s.cov.data(), 3 * n);
}

} // namespace

// Renders the window (wx, wy, ww, wh) of a canvas canvasW x canvasH at the zoom factor into
// rows `stride` bytes apart.
static void renderCanvas(const TIELayerView& view, double zoom, int canvasW, int canvasH, int wx,
    int wy, int ww, int wh, uint8_t* bits, int64_t stride)
{
    if (ww <= 0 || wh <= 0 || !bits)
        return;
    const uint32_t bg = view.Background();
    const uint8_t bgr[3] = { BlueOf(bg), GreenOf(bg), RedOf(bg) };

    const TIEBitmap& current = view.Bitmap();
    const TIEBitmap* curPlane = current.ExistingAlphaPlane();
    const bool drawable = !current.IsEmpty() && !view.LayerAt(0).Bitmap.IsEmpty()
        && !(curPlane
            && (curPlane->Width() != current.Width() || curPlane->Height() != current.Height()));

    std::vector<LayerPlan> plans;
    if (drawable) {
        for (int i = 0; i < view.LayerCount(); ++i) {
            const TIELayer& layer = view.LayerAt(i);
            const TIEBitmap& bmp = layer.Bitmap;
            if (!layer.Visible || bmp.IsEmpty() || (bmp.Width() < 2 && bmp.Height() < 2))
                continue;
            LayerPlan p;
            int x = int(std::floor(layer.OffsetX * zoom));
            int y = int(std::floor(layer.OffsetY * zoom));
            int w = int(std::floor((double(layer.OffsetX) + layer.EffectiveWidth()) * zoom)) - x;
            int h = int(std::floor((double(layer.OffsetY) + layer.EffectiveHeight()) * zoom)) - y;
            if (w <= 0 || h <= 0)
                continue;
            p.rx = double(bmp.Width()) / w;
            p.ry = double(bmp.Height()) / h;
            if (x < 0) {
                p.sx0 += int(-x * p.rx);
                w += x;
                x = 0;
            }
            if (y < 0) {
                p.sy0 += int(-y * p.ry);
                h += y;
                y = 0;
            }
            w = std::min(w, canvasW - x);
            h = std::min(h, canvasH - y);
            if (w <= 0 || h <= 0)
                continue;
            p.x0 = x;
            p.y0 = y;
            p.w = w;
            p.h = h;
            p.colBegin = std::max(x, wx);
            p.colEnd = std::min(x + w, wx + ww);
            if (p.colEnd <= p.colBegin || y + h <= wy || y >= wy + wh)
                continue;

            p.bmp = &bmp;
            if (bmp.PixelFormat() != ie24RGB) {
                p.converted = std::make_unique<TIEBitmap>();
                p.converted->SetPreferFileStorage(false);
                p.converted->AssignPixels(bmp);
                if (!p.converted->ConvertTo24Bit())
                    continue;
                p.bmp = p.converted.get();
            }
            p.rasterH = bmp.Height();
            const TIEBitmap* plane = bmp.ExistingAlphaPlane();
            if (view.EnableAlphaChannel() && plane && !plane->FullyOpaque()
                && plane->Width() == bmp.Width() && plane->Height() == bmp.Height())
                p.alpha = plane;
            p.transparency = std::clamp(layer.Transparency, 0, 255);
            p.copy = layer.Transparency >= 255 && !p.alpha;
            if (p.transparency <= 0 && !p.copy)
                continue; // coverage 0 everywhere leaves the canvas as it is
            const int n = p.colEnd - p.colBegin;
            p.col.resize(size_t(n));
            p.identity = true;
            const int rw = bmp.Width();
            for (int k = 0; k < n; ++k) {
                const int cx = p.colBegin + k;
                const int sx = std::clamp(int(double(cx - x) * p.rx + p.sx0), 0, rw - 1);
                p.col[size_t(k)] = sx;
                if (sx != p.col[0] + k)
                    p.identity = false;
            }
            plans.push_back(std::move(p));
        }
    }

    // The window's columns that lie on the canvas.
    const int onBegin = std::clamp(wx, 0, std::max(canvasW, 0));
    const int onEnd = std::clamp(wx + ww, 0, std::max(canvasW, 0));

    ParallelRows(
        wh, int64_t(ww) * 3 * int64_t(std::max<size_t>(plans.size(), 1)), [&](int begin, int end) {
            Scratch s;
            s.pixels.resize(size_t(ww) * 3);
            s.alpha.resize(size_t(ww));
            s.cov.resize(size_t(ww) * 3);
            int lastBottomRow = -1; // source row of the previous row when it showed layer 0 only
            for (int r = begin; r < end; ++r) {
                const int y = wy + r;
                uint8_t* row = bits + int64_t(r) * stride;
                if (y < 0 || y >= canvasH || onEnd <= onBegin) {
                    fillRow(row, ww, bgr);
                    lastBottomRow = -1;
                    continue;
                }
                // Which plans touch this row, and is it the bottom one alone, opaque and
                // covering the window's canvas part?
                int touching = 0;
                const LayerPlan* only = nullptr;
                for (const LayerPlan& p : plans)
                    if (y >= p.y0 && y < p.y0 + p.h) {
                        ++touching;
                        only = &p;
                    }
                const bool bottomAlone = touching == 1 && only == &plans.front()
                    && only->bmp == &view.LayerAt(0).Bitmap && only->copy
                    && only->colBegin == onBegin && only->colEnd == onEnd;
                if (bottomAlone) {
                    const int sy = only->sourceRow(y);
                    if (r > begin && sy == lastBottomRow) {
                        std::memcpy(row, row - stride, size_t(ww) * 3);
                        continue;
                    }
                    lastBottomRow = sy;
                } else {
                    lastBottomRow = -1;
                }

                const bool covered = touching > 0 && plans.front().copy && y >= plans.front().y0
                    && y < plans.front().y0 + plans.front().h && plans.front().colBegin == onBegin
                    && plans.front().colEnd == onEnd;
                if (!covered) {
                    fillRow(row, ww, bgr);
                } else {
                    fillRow(row, onBegin - wx, bgr);
                    fillRow(row + 3 * int64_t(onEnd - wx), wx + ww - onEnd, bgr);
                }
                for (const LayerPlan& p : plans)
                    if (y >= p.y0 && y < p.y0 + p.h)
                        drawSegment(p, row, wx, y, s);
            }
        });
}

void TIELayerView::ImageExtent(int& width, int& height) const
{
    const TIELayer& base = LayerAt(0);
    int64_t right = int64_t(base.OffsetX) + base.EffectiveWidth();
    int64_t bottom = int64_t(base.OffsetY) + base.EffectiveHeight();
    for (int i = 1; i < LayerCount(); ++i) {
        const TIELayer& l = LayerAt(i);
        right = std::max(right, int64_t(l.OffsetX) + l.EffectiveWidth());
        bottom = std::max(bottom, int64_t(l.OffsetY) + l.EffectiveHeight());
    }
    width = int(std::clamp<int64_t>(right, 0, INT32_MAX));
    height = int(std::clamp<int64_t>(bottom, 0, INT32_MAX));
}

void TIELayerView::RenderLayersTo(TIEBitmap& target)
{
    int w = 0, h = 0;
    ImageExtent(w, h);
    if (w < 1 || h < 1) {
        target.Clear();
        return;
    }
    if (target.Width() != w || target.Height() != h || target.PixelFormat() != ie24RGB) {
        if (!target.Allocate(w, h, ie24RGB))
            return;
    } else {
        target.DropAlphaPlane();
    }
    renderCanvas(*this, 1.0, w, h, 0, 0, w, h, target.Bits(), target.RowLength());
    if (OnDrawObjects)
        OnDrawObjects(target, ObjectDrawContext {});
}

bool TIELayerView::RendersAsPlainCopy() const
{
    if (LayerCount() != 1 || OnDrawObjects)
        return false;
    const TIELayer& l = LayerAt(0);
    const TIEBitmap& b = l.Bitmap;
    if (!l.Visible || b.PixelFormat() != ie24RGB || (b.Width() < 2 && b.Height() < 2))
        return false;
    if (l.OffsetX != 0 || l.OffsetY != 0 || l.EffectiveWidth() != b.Width()
        || l.EffectiveHeight() != b.Height() || l.Transparency < 255)
        return false;
    const TIEBitmap* plane = b.ExistingAlphaPlane();
    if (plane && (plane->Width() != b.Width() || plane->Height() != b.Height()))
        return false;
    // A plane that is not opaque disqualifies even while alpha is off: writers that keep
    // alpha (PNG) would write it, the rendered picture never has one.
    return !(plane && !plane->FullyOpaque());
}

void TIELayerView::ViewExtent(int& width, int& height) const
{
    int w = 0, h = 0;
    ImageExtent(w, h);
    const double z = m_zoom / 100.0;
    width = int(std::max(0.0, std::floor(w * z)));
    height = int(std::max(0.0, std::floor(h * z)));
}

IERect TIELayerView::LayerClientRect(int i) const
{
    const TIELayer& l = LayerAt(i);
    const double z = m_zoom / 100.0;
    IERect r;
    r.left = int(std::floor(l.OffsetX * z)) - m_originX;
    r.top = int(std::floor(l.OffsetY * z)) - m_originY;
    r.right = int(std::floor((double(l.OffsetX) + l.EffectiveWidth()) * z)) - m_originX;
    r.bottom = int(std::floor((double(l.OffsetY) + l.EffectiveHeight()) * z)) - m_originY;
    return r;
}

void TIELayerView::UpdateScreenRects()
{
    for (int i = 0; i < LayerCount(); ++i)
        LayerAt(i).ScreenRect = LayerClientRect(i);
}

double TIELayerView::ClientToImageX(double x) const
{
    return (x + m_originX) * 100.0 / m_zoom;
}

double TIELayerView::ClientToImageY(double y) const
{
    return (y + m_originY) * 100.0 / m_zoom;
}

void TIELayerView::RenderViewRows(
    uint8_t* bits, int64_t stride, int x, int y, int width, int height) const
{
    int cw = 0, ch = 0;
    ViewExtent(cw, ch);
    renderCanvas(
        *this, m_zoom / 100.0, cw, ch, x + m_originX, y + m_originY, width, height, bits, stride);
}

void TIELayerView::RenderView(TIEBitmap& target, int x, int y, int width, int height)
{
    if (width < 1 || height < 1)
        return;
    if (target.Width() != width || target.Height() != height || target.PixelFormat() != ie24RGB)
        if (!target.Allocate(width, height, ie24RGB))
            return;
    RenderViewRows(target.Bits(), target.RowLength(), x, y, width, height);
    if (OnDrawObjects) {
        const double z = m_zoom / 100.0;
        OnDrawObjects(
            target, ObjectDrawContext { z, (x + m_originX) / z, (y + m_originY) / z, true });
    }
}

} // namespace borderlux
