#include "document/layer_view.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace borderlux {

TIELayerView::TIELayerView()
{
    auto base = std::make_unique<TIELayer>();
    base->ShowBox = false;
    base->Locked = true;
    m_layers.push_back(std::move(base));
    m_selMask.SetPreferFileStorage(false);
    m_proc = std::make_unique<TImgProc>(*this);
}

TIELayerView::~TIELayerView() = default;

void TIELayerView::Changed()
{
    if (OnChange)
        OnChange();
}

void TIELayerView::SetCurrentLayer(int i)
{
    if (i < 0 || i >= LayerCount() || i == m_current)
        return;
    while (i > 0 && !LayerAt(i).Selectable)
        --i;
    m_current = i;
    Changed();
}

int TIELayerView::AddLayer()
{
    auto layer = std::make_unique<TIELayer>();
    const TIEBitmap& cur = Bitmap();
    if (!cur.IsEmpty())
        layer->Bitmap.Allocate(cur.Width(), cur.Height(), cur.PixelFormat());
    m_layers.push_back(std::move(layer));
    const int index = LayerCount() - 1;
    SetCurrentLayer(index);
    ClearCurrent();
    return index;
}

void TIELayerView::DeleteLayer(int i)
{
    if (LayerCount() < 2 || i < 0 || i >= LayerCount())
        return;
    const int old = m_current;
    m_layers.erase(m_layers.begin() + i);
    if (i == old) {
        // The deleted layer was current: force the walk from the same place.
        m_current = -1;
        SetCurrentLayer(std::min(i, LayerCount() - 1));
    } else if (i < old) {
        m_current = old; // one past its new index, so SetCurrentLayer(old - 1) does run
        SetCurrentLayer(old - 1);
    }
    Changed();
}

void TIELayerView::DeleteUpperLayers()
{
    while (LayerCount() > 1)
        m_layers.pop_back();
    m_current = 0;
    LayerAt(0).ResetFields();
    ClearCurrent();
}

void TIELayerView::FlattenLayers()
{
    TIEBitmap flat;
    // Same storage as a layer raster, so the result can simply move into layer 0.
    flat.SetPlatformBitmapStorage(true);
    RenderLayersTo(flat);
    DeleteUpperLayers();
    TIEBitmap& base = LayerAt(0).Bitmap;
    if (flat.IsEmpty())
        base.Assign(flat);
    else
        base = std::move(flat);
    Changed();
}

void TIELayerView::ClearCurrent()
{
    TIEBitmap& b = Bitmap();
    b.Fill(m_background);
    b.DropAlphaPlane(false);
    Changed();
}

void TIELayerView::BlankCurrent()
{
    Bitmap().Allocate(1, 1, ie24RGB);
    ClearCurrent();
}

void TIELayerView::DropCurrentAlpha(bool merge)
{
    Bitmap().DropAlphaPlane(merge, m_background);
    Changed();
}

int TIELayerView::LayerAtPoint(int x, int y, bool selectableOnly) const
{
    for (int i = LayerCount() - 1; i >= 0; --i) {
        const TIELayer& l = LayerAt(i);
        if (!l.Visible || !l.ScreenRect.contains(x, y))
            continue;
        if (selectableOnly && !l.Selectable)
            continue;
        const TIEBitmap* plane = l.Bitmap.ExistingAlphaPlane();
        if (plane && !plane->IsEmpty()) {
            const IERect& r = l.ScreenRect;
            const int px
                = std::clamp(int(int64_t(x - r.left) * plane->Width() / std::max(r.width(), 1)), 0,
                    plane->Width() - 1);
            const int py
                = std::clamp(int(int64_t(y - r.top) * plane->Height() / std::max(r.height(), 1)), 0,
                    plane->Height() - 1);
            if (plane->Row(py)[px] == 0)
                continue;
        }
        return i;
    }
    return -1;
}

void TIELayerView::SetZoom(double percent)
{
    if (!(percent > 0) || percent == m_zoom)
        return;
    m_zoom = percent;
    Changed();
}

void TIELayerView::SetViewOrigin(int x, int y)
{
    if (x == m_originX && y == m_originY)
        return;
    m_originX = x;
    m_originY = y;
    Changed();
}

void TIELayerView::SetBackground(uint32_t colour)
{
    m_background = colour & 0x00FFFFFF;
    Changed();
}

void TIELayerView::SetEnableAlphaChannel(bool on)
{
    m_enableAlpha = on;
    Changed();
}

// --- Selection ------------------------------------------------------------------------------

void TIELayerView::SelectRect(int left, int top, int right, int bottom)
{
    const TIEBitmap& cur = Bitmap();
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, cur.Width() - 1);
    bottom = std::min(bottom, cur.Height() - 1);
    if (cur.IsEmpty() || left > right || top > bottom
        || !m_selMask.Allocate(cur.Width(), cur.Height(), ie8g)) {
        Deselect();
        return;
    }
    m_selMask.Fill(0);
    for (int y = top; y <= bottom; ++y)
        std::memset(m_selMask.Row(y) + left, 255, size_t(right - left + 1));
    m_selRect = { left, top, right, bottom };
    m_selected = true;
    Changed();
}

void TIELayerView::SelectMask(const TIEBitmap& mask)
{
    const TIEBitmap& cur = Bitmap();
    if (cur.IsEmpty() || mask.IsEmpty() || mask.PixelFormat() != ie8g
        || !m_selMask.Allocate(cur.Width(), cur.Height(), ie8g)) {
        Deselect();
        return;
    }
    m_selMask.Fill(0);
    IERect r { cur.Width(), cur.Height(), -1, -1 };
    const int w = std::min(cur.Width(), mask.Width());
    const int h = std::min(cur.Height(), mask.Height());
    for (int y = 0; y < h; ++y) {
        const uint8_t* in = mask.Row(y);
        uint8_t* out = m_selMask.Row(y);
        for (int x = 0; x < w; ++x) {
            if (!in[x])
                continue;
            out[x] = in[x];
            r.left = std::min(r.left, x);
            r.right = std::max(r.right, x);
            r.top = std::min(r.top, y);
            r.bottom = std::max(r.bottom, y);
        }
    }
    if (r.right < 0) {
        Deselect();
        return;
    }
    m_selRect = r;
    m_selected = true;
    Changed();
}

void TIELayerView::Deselect()
{
    const bool was = m_selected;
    m_selected = false;
    m_selRect = {};
    m_selMask.Clear();
    if (was)
        Changed();
}

// --- Merging a pair -------------------------------------------------------------------------

namespace {

// Round half to even, then clamp to a byte.
uint8_t roundByte(double v)
{
    const double r = std::nearbyint(v);
    return uint8_t(r < 0 ? 0 : (r > 255 ? 255 : r));
}

} // namespace

void TIELayerView::MergeLayerPair(int i, int j, bool removeUpper)
{
    if (i < 0 || j < 0 || i >= LayerCount() || j >= LayerCount() || i == j)
        return;
    const int lo = std::min(i, j), up = std::max(i, j);
    TIELayer& A = LayerAt(lo);
    TIELayer& B = LayerAt(up);

    for (TIELayer* l : { &A, &B }) {
        if (l->Bitmap.IsEmpty())
            continue;
        if (l->EffectiveWidth() != l->Bitmap.Width()
            || l->EffectiveHeight() != l->Bitmap.Height()) {
            TIEBitmap scaled;
            scaled.SetPlatformBitmapStorage(true);
            if (ResampleTo(
                    l->Bitmap, scaled, l->EffectiveWidth(), l->EffectiveHeight(), m_zoomFilter))
                l->Bitmap = std::move(scaled);
        }
    }
    // 24-bit rows for both (1-bit: set bit white).
    for (TIELayer* l : { &A, &B })
        if (!l->Bitmap.IsEmpty() && l->Bitmap.PixelFormat() != ie24RGB)
            l->Bitmap.ConvertTo24Bit();

    int ax = A.OffsetX, ay = A.OffsetY, bx = B.OffsetX, by = B.OffsetY;
    if (ax < 0) {
        bx -= ax;
        ax = 0;
    }
    if (ay < 0) {
        by -= ay;
        ay = 0;
    }
    if (bx < 0) {
        ax -= bx;
        bx = 0;
    }
    if (by < 0) {
        ay -= by;
        by = 0;
    }
    const int aw = A.Bitmap.Width(), ah = A.Bitmap.Height();
    const int bw = B.Bitmap.Width(), bh = B.Bitmap.Height();
    const int right = std::max(ax + aw, bx + bw);
    const int bottom = std::max(ay + ah, by + bh);
    const int left = lo > 0 ? std::min(ax, bx) : 0;
    const int top = lo > 0 ? std::min(ay, by) : 0;

    auto merged = std::make_unique<TIELayer>();
    TIEBitmap& N = merged->Bitmap;
    if (!N.Allocate(right - left, bottom - top, ie24RGB))
        return;
    TIEBitmap& NA = N.AlphaPlane();

    const TIEBitmap* planeA = A.Bitmap.ExistingAlphaPlane();
    const TIEBitmap* planeB = B.Bitmap.ExistingAlphaPlane();
    const int tA = std::clamp(A.Transparency, 0, 255);
    const int tB = std::clamp(B.Transparency, 0, 255);
    const uint8_t bg[3] = { BlueOf(m_background), GreenOf(m_background), RedOf(m_background) };
    bool allOpaque = true;
    for (int y = 0; y < N.Height(); ++y) {
        uint8_t* out = N.Row(y);
        uint8_t* outA = NA.Row(y);
        const int iy = y + top;
        const bool rowA = iy >= ay && iy < ay + ah;
        const bool rowB = iy >= by && iy < by + bh;
        for (int x = 0; x < N.Width(); ++x) {
            const int ix = x + left;
            const bool inA = rowA && ix >= ax && ix < ax + aw;
            const bool inB = rowB && ix >= bx && ix < bx + bw;
            const uint8_t* pa = inA ? A.Bitmap.Row(iy - ay) + 3 * (ix - ax) : nullptr;
            const uint8_t* pb = inB ? B.Bitmap.Row(iy - by) + 3 * (ix - bx) : nullptr;
            const int aA
                = inA ? std::min(planeA ? int(planeA->Row(iy - ay)[ix - ax]) : 255, tA) : 0;
            const int aB
                = inB ? std::min(planeB ? int(planeB->Row(iy - by)[ix - bx]) : 255, tB) : 0;
            uint8_t* o = out + 3 * x;
            if (!inA && !inB) {
                std::memcpy(o, bg, 3);
                outA[x] = 0;
            } else if (!inA) {
                std::memcpy(o, pb, 3);
                outA[x] = uint8_t(aB);
            } else if (!inB) {
                std::memcpy(o, pa, 3);
                outA[x] = uint8_t(aA);
            } else {
                const double alphaA = aA / 255.0, alphaB = aB / 255.0;
                const double k = (1 - alphaB) * alphaA;
                const double alpha = alphaB + k;
                for (int c = 0; c < 3; ++c)
                    o[c] = alpha != 0 ? roundByte((pb[c] * alphaB + pa[c] * k) / alpha) : pb[c];
                outA[x] = roundByte(alpha * 255);
            }
            allOpaque = allOpaque && outA[x] == 255;
        }
    }
    if (allOpaque)
        N.DropAlphaPlane();
    else
        NA.SetFullyOpaque(false);

    if (lo > 0) {
        merged->OffsetX = std::min(A.OffsetX, B.OffsetX);
        merged->OffsetY = std::min(A.OffsetY, B.OffsetY);
    }
    merged->Locked = A.Locked;
    merged->ShowBox = A.ShowBox;
    merged->Selectable = A.Selectable;

    if (removeUpper)
        m_layers.erase(m_layers.begin() + up);
    m_layers[size_t(lo)] = std::move(merged);
    m_current = -1;
    SetCurrentLayer(lo);
    Changed();
}

} // namespace borderlux
