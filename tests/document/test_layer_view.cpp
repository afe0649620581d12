#include "document/layer_view.h"
#include "document/parallel_rows.h"
#include "tests/document/core_test_util.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <vector>

using namespace borderlux;
using namespace borderlux::testutil;

namespace {

constexpr TRGB kWhite { 255, 255, 255 };
constexpr TRGB kBlack { 0, 0, 0 };

// Layer 0 of w x h in one colour, with default fields.
void setPhoto(TIELayerView& view, int w, int h, TRGB c)
{
    view.LayerAt(0).ResetFields();
    MakeSolid(view.LayerAt(0).Bitmap, w, h, c);
}

TIELayer& addLayer(TIELayerView& view)
{
    return view.LayerAt(view.AddLayer());
}

// The compositing rules written out pixel by pixel with doubles and CoverageBlend, as the
// reference the table-driven renderer must match.
void referenceRender(const TIELayerView& view, TIEBitmap& out)
{
    int w = 0, h = 0;
    view.ImageExtent(w, h);
    MakeSolid(out, w, h,
        { BlueOf(view.Background()), GreenOf(view.Background()), RedOf(view.Background()) });
    for (int i = 0; i < view.LayerCount(); ++i) {
        const TIELayer& l = view.LayerAt(i);
        const TIEBitmap& b = l.Bitmap;
        if (!l.Visible || (b.Width() < 2 && b.Height() < 2))
            continue;
        int x0 = l.OffsetX, y0 = l.OffsetY, dw = l.EffectiveWidth(), dh = l.EffectiveHeight();
        const double rx = double(b.Width()) / dw, ry = double(b.Height()) / dh;
        int sx0 = 0, sy0 = 0;
        if (x0 < 0) {
            sx0 = int(std::trunc(-x0 * rx));
            dw += x0;
            x0 = 0;
        }
        if (y0 < 0) {
            sy0 = int(std::trunc(-y0 * ry));
            dh += y0;
            y0 = 0;
        }
        dw = std::min(dw, w - x0);
        dh = std::min(dh, h - y0);
        const TIEBitmap* plane = b.ExistingAlphaPlane();
        const bool useAlpha = view.EnableAlphaChannel() && plane && !plane->FullyOpaque();
        for (int y = y0; y < y0 + dh; ++y)
            for (int x = x0; x < x0 + dw; ++x) {
                const int sx = std::clamp(int(std::trunc((x - x0) * rx + sx0)), 0, b.Width() - 1);
                const int sy = std::clamp(int(std::trunc((y - y0) * ry + sy0)), 0, b.Height() - 1);
                const TRGB s = b.ReadRGB(sx, sy);
                TRGB* d = out.PixelPtr(x, y);
                int o = l.Transparency;
                if (useAlpha)
                    o = std::min(o, int(plane->Row(sy)[sx]));
                if (l.Transparency >= 255 && !useAlpha) {
                    *d = s;
                } else {
                    d->b = CoverageBlend(d->b, s.b, o);
                    d->g = CoverageBlend(d->g, s.g, o);
                    d->r = CoverageBlend(d->r, s.r, o);
                }
            }
    }
}

} // namespace

// One layer over a photo, one pixel looked at: the blend rules with their worked numbers.
TEST(LayerRender, BlendOfOneLayerOverThePhoto)
{
    struct Case {
        const char* what;
        TRGB photo, layer;
        int transparency;
        int alpha; // -1: no plane
        bool enableAlpha;
        uint8_t expected; // every channel
    } cases[] = {
        { "Transparency 128 black over white", kWhite, kBlack, 128, -1, true, 127 },
        { "alpha 255 white over black", kBlack, kWhite, 255, 255, true, 254 },
        { "alpha 0 leaves the canvas", kBlack, kWhite, 255, 0, true, 0 },
        { "min of Transparency and alpha", kBlack, kWhite, 100, 200, true, 99 },
        { "alpha ignored when disabled", kBlack, kWhite, 255, 0, false, 255 },
        { "opaque without alpha replaces", kBlack, { 9, 9, 9 }, 255, -1, true, 9 },
        { "Transparency 0 invisible", kWhite, kBlack, 0, -1, true, 255 },
    };
    for (const Case& c : cases) {
        TIELayerView view;
        view.SetEnableAlphaChannel(c.enableAlpha);
        setPhoto(view, 4, 4, c.photo);
        TIELayer& l = addLayer(view);
        MakeSolid(l.Bitmap, 4, 4, c.layer);
        l.Transparency = c.transparency;
        if (c.alpha >= 0) {
            // Pixel (1, 1) carries the alpha under test; the rest 0 so the plane is not opaque.
            l.Bitmap.AlphaPlane().Fill(0);
            l.Bitmap.WriteAlpha(1, 1, uint8_t(c.alpha));
        }
        TIEBitmap out;
        view.RenderLayersTo(out);
        ASSERT_EQ(out.Width(), 4) << c.what;
        EXPECT_FALSE(out.HasAlphaPlane()) << c.what;
        const TRGB px = out.ReadRGB(1, 1);
        EXPECT_TRUE(SameTriple(px, { c.expected, c.expected, c.expected }))
            << c.what << ": got " << int(px.r);
    }
}

TEST(LayerRender, GeometryOfLayers)
{
    // Photo 30 x 30 coded; a 20 x 20 coded layer (blue 99) placed in several ways.
    struct Case {
        const char* what;
        int offX, offY, dispW, dispH;
        int extentW, extentH;
        int px, py; // canvas pixel looked at
        bool fromLayer;
        int srcX, srcY; // layer pixel expected there (when fromLayer)
    } cases[] = {
        { "cut off at top-left", -10, -10, 0, 0, 30, 30, 0, 0, true, 10, 10 },
        { "right of the cut", -10, -10, 0, 0, 30, 30, 9, 9, true, 19, 19 },
        { "photo beside the cut", -10, -10, 0, 0, 30, 30, 10, 10, false, 10, 10 },
        { "sticking out widens", 25, 5, 0, 0, 45, 30, 44, 24, true, 19, 19 },
        { "uncovered corner is background", 25, 15, 0, 0, 45, 35, 40, 5, false, -1, -1 },
        { "shown at double size", 0, 0, 40, 40, 40, 40, 39, 21, true, 19, 10 },
        // Display width 40 of a 20-wide raster at x = -3: the source start is Trunc(3 x 0.5)
        // = 1, so canvas column 1 still samples column 1, not 2.
        { "clipped scaled layer uses the Trunc start", -3, 0, 40, 20, 37, 30, 1, 0, true, 1, 0 },
    };
    for (const Case& c : cases) {
        TIELayerView view;
        view.LayerAt(0).ResetFields();
        Make24(view.LayerAt(0).Bitmap, 30, 30, Coded);
        TIELayer& l = addLayer(view);
        Make24(l.Bitmap, 20, 20, [](int x, int y) { return TRGB { 99, uint8_t(y), uint8_t(x) }; });
        l.OffsetX = c.offX;
        l.OffsetY = c.offY;
        l.DisplayWidth = c.dispW;
        l.DisplayHeight = c.dispH;
        TIEBitmap out;
        view.RenderLayersTo(out);
        EXPECT_EQ(out.Width(), c.extentW) << c.what;
        EXPECT_EQ(out.Height(), c.extentH) << c.what;
        const TRGB px = out.ReadRGB(c.px, c.py);
        if (c.fromLayer)
            EXPECT_TRUE(SameTriple(px, { 99, uint8_t(c.srcY), uint8_t(c.srcX) }))
                << c.what << ": got r=" << int(px.r) << " g=" << int(px.g) << " b=" << int(px.b);
        else if (c.srcX >= 0)
            EXPECT_TRUE(SameTriple(px, Coded(c.srcX, c.srcY))) << c.what;
        else
            EXPECT_TRUE(SameTriple(px, kWhite)) << c.what;
    }
}

TEST(LayerRender, SingleLayerCopiesAndSkipsTinyLayers)
{
    TIELayerView view;
    view.LayerAt(0).ResetFields();
    Make24(view.LayerAt(0).Bitmap, 33, 17, Coded);
    EXPECT_TRUE(view.RendersAsPlainCopy());
    TIELayer& dot = addLayer(view); // 1 x 1 layer: skipped
    dot.Bitmap.Allocate(1, 1, ie24RGB);
    *dot.Bitmap.PixelPtr(0, 0) = kBlack;
    EXPECT_FALSE(view.RendersAsPlainCopy());
    TIEBitmap out;
    view.RenderLayersTo(out);
    EXPECT_EQ(DiffBytes(out, view.LayerAt(0).Bitmap), 0);
}

TEST(LayerRender, TransparentPhotoShowsBackground)
{
    TIELayerView view;
    setPhoto(view, 3, 1, kBlack);
    view.LayerAt(0).Bitmap.WriteAlpha(0, 0, 0);
    view.LayerAt(0).Bitmap.WriteAlpha(1, 0, 128);
    EXPECT_FALSE(view.RendersAsPlainCopy());
    TIEBitmap out;
    view.RenderLayersTo(out);
    EXPECT_TRUE(SameTriple(out.ReadRGB(0, 0), kWhite));
    EXPECT_EQ(out.ReadRGB(1, 0).r, 127);
    // Alpha 255 over white: 255 + floor(-255 x 255 / 256) = 0, the floor reaching black.
    EXPECT_EQ(out.ReadRGB(2, 0).r, 0);
}

TEST(LayerRender, NothingDrawnWhenCurrentPlaneHasAnotherSize)
{
    TIELayerView view;
    setPhoto(view, 4, 4, kBlack);
    TIEBitmap other;
    MakeSolid(other, 2, 2, kBlack);
    TIEBitmap& cur = view.Bitmap();
    cur.AlphaPlane();
    cur.AssignPixels(other); // 2 x 2 pixels, plane still 4 x 4
    TIEBitmap out;
    view.RenderLayersTo(out);
    ASSERT_EQ(out.Width(), 2);
    EXPECT_TRUE(SameTriple(out.ReadRGB(0, 0), kWhite));
}

// Random stacks of layers (offsets, display sizes, Transparency, alpha planes) against the
// pixel-by-pixel reference, on one thread and on several: the row tables, copies, 16-bit
// blends and the row split must not change a pixel.
TEST(LayerRender, MatchesPixelByPixelReference)
{
    std::mt19937 rng(1234);
    std::uniform_int_distribution<int> coin(0, 1);
    for (int round = 0; round < 12; ++round) {
        TIELayerView view;
        view.SetBackground(RGBColor(10, 200, 30));
        view.LayerAt(0).ResetFields();
        MakeRandom(view.LayerAt(0).Bitmap, 40 + round, 30 + round, rng);
        const int layers = 1 + round % 3;
        for (int k = 0; k < layers; ++k) {
            TIELayer& l = addLayer(view);
            MakeRandom(l.Bitmap, 5 + int(rng() % 30), 5 + int(rng() % 30), rng);
            l.OffsetX = int(rng() % 50) - 15;
            l.OffsetY = int(rng() % 40) - 15;
            if (coin(rng)) {
                l.DisplayWidth = 3 + int(rng() % 60);
                l.DisplayHeight = 3 + int(rng() % 60);
            }
            l.Transparency = coin(rng) ? 255 : int(rng() % 256);
            if (coin(rng)) {
                TIEBitmap& a = l.Bitmap.AlphaPlane();
                for (int y = 0; y < a.Height(); ++y)
                    for (int x = 0; x < a.Width(); ++x)
                        a.Row(y)[x] = uint8_t(rng());
                a.SetFullyOpaque(false);
            }
        }
        if (round == 5)
            view.LayerAt(0).Bitmap.AlphaPlane().Fill(77);
        TIEBitmap expected, got1, got4;
        referenceRender(view, expected);
        SetWorkerThreadCount(1);
        view.RenderLayersTo(got1);
        SetWorkerThreadCount(4);
        view.RenderLayersTo(got4);
        SetWorkerThreadCount(0);
        EXPECT_EQ(DiffBytes(got1, expected), 0) << "round " << round;
        EXPECT_EQ(DiffBytes(got4, expected), 0) << "round " << round;
    }
}

// The view's partial rendering: at 100 % any window equals the same part of RenderLayersTo,
// and at another zoom a window equals the same part of a full rendering of the view.
TEST(LayerRender, ViewWindowsMatchTheWholeView)
{
    std::mt19937 rng(99);
    TIELayerView view;
    view.LayerAt(0).ResetFields();
    MakeRandom(view.LayerAt(0).Bitmap, 64, 48, rng);
    TIELayer& l = addLayer(view);
    MakeRandom(l.Bitmap, 30, 20, rng);
    l.OffsetX = -7;
    l.OffsetY = 30;
    l.Transparency = 140;
    l.Bitmap.AlphaPlane().Fill(200);
    l.Bitmap.WriteAlpha(3, 3, 0);

    TIEBitmap flat;
    view.RenderLayersTo(flat);
    for (const double zoom : { 100.0, 37.5, 250.0 }) {
        view.SetZoom(zoom);
        int vw = 0, vh = 0;
        view.ViewExtent(vw, vh);
        TIEBitmap whole;
        view.RenderView(whole, 0, 0, vw + 5, vh + 5); // a margin of background
        EXPECT_TRUE(SameTriple(whole.ReadRGB(vw + 2, 0), kWhite)) << zoom;
        for (const auto& win : { IERect { 3, 4, 20, 9 }, IERect { 40, 10, 71, 60 } }) {
            view.SetViewOrigin(win.left, win.top);
            TIEBitmap part;
            view.RenderView(part, 0, 0, win.width(), win.height());
            for (int y = 0; y < part.Height(); ++y)
                for (int x = 0; x < part.Width(); ++x) {
                    const int wx = win.left + x, wy = win.top + y;
                    const TIEBitmap& ref = zoom == 100.0 ? flat : whole;
                    const TRGB e
                        = (wx < ref.Width() && wy < ref.Height()) ? ref.ReadRGB(wx, wy) : kWhite;
                    ASSERT_TRUE(SameTriple(part.ReadRGB(x, y), e))
                        << "zoom " << zoom << " at " << wx << "," << wy;
                }
            view.SetViewOrigin(0, 0);
        }
    }
    // At 200 % every image pixel becomes a 2 x 2 block.
    view.SetZoom(200);
    TIEBitmap big;
    view.RenderView(big, 0, 0, 20, 20);
    EXPECT_TRUE(SameTriple(big.ReadRGB(17, 9), flat.ReadRGB(8, 4)));
}

TEST(LayerList, CurrentLayerWalksDownToSelectable)
{
    TIELayerView view;
    setPhoto(view, 4, 4, kWhite);
    addLayer(view);
    addLayer(view);
    view.LayerAt(2).Selectable = false;
    view.LayerAt(1).Selectable = false;
    view.SetCurrentLayer(0);
    view.SetCurrentLayer(2);
    EXPECT_EQ(view.CurrentLayer(), 0);
    view.LayerAt(0).Selectable = false;
    view.LayerAt(1).Selectable = true;
    view.SetCurrentLayer(2);
    EXPECT_EQ(view.CurrentLayer(), 1);
    view.SetCurrentLayer(7); // out of range: nothing
    EXPECT_EQ(view.CurrentLayer(), 1);
}

TEST(LayerList, AddLayerIsClearedCopyOfCurrentShape)
{
    TIELayerView view;
    view.SetBackground(RGBColor(1, 2, 3));
    setPhoto(view, 5, 3, kBlack);
    int changes = 0;
    view.OnChange = [&] { ++changes; };
    const int i = view.AddLayer();
    EXPECT_EQ(i, 1);
    EXPECT_EQ(view.CurrentLayer(), 1);
    const TIEBitmap& b = view.LayerAt(1).Bitmap;
    EXPECT_EQ(b.Width(), 5);
    EXPECT_EQ(b.Height(), 3);
    EXPECT_EQ(b.Location(), ieTBitmap);
    EXPECT_TRUE(SameTriple(b.ReadRGB(4, 2), { 3, 2, 1 }));
    EXPECT_GT(changes, 0);
}

TEST(LayerList, DeleteLayerCases)
{
    struct Case {
        const char* what;
        int layers, current, remove;
        int expectCount, expectCurrent;
        int expectTagAt0; // tag (red of pixel 0) of the layer left at index 0
    } cases[] = {
        { "single layer: nothing", 1, 0, 0, 1, 0, 0 },
        { "delete 0 of two", 2, 1, 0, 1, 0, 1 },
        { "delete current top", 3, 2, 2, 2, 1, 0 },
        { "delete below current", 3, 2, 1, 2, 1, 0 },
        { "delete above current", 3, 0, 2, 2, 0, 0 },
        { "out of range", 2, 1, 5, 2, 1, 0 },
    };
    for (const Case& c : cases) {
        TIELayerView view;
        setPhoto(view, 2, 2, { 0, 0, 0 });
        for (int k = 1; k < c.layers; ++k)
            MakeSolid(addLayer(view).Bitmap, 2, 2, { 0, 0, uint8_t(k) });
        view.SetCurrentLayer(c.current);
        view.DeleteLayer(c.remove);
        EXPECT_EQ(view.LayerCount(), c.expectCount) << c.what;
        EXPECT_EQ(view.CurrentLayer(), c.expectCurrent) << c.what;
        EXPECT_EQ(view.LayerAt(0).Bitmap.ReadRGB(0, 0).r, c.expectTagAt0) << c.what;
    }
}

TEST(LayerList, DeleteUpperLayersAndFlatten)
{
    TIELayerView view;
    setPhoto(view, 6, 6, kBlack);
    view.LayerAt(0).Locked = true;
    view.LayerAt(0).Selectable = false;
    view.LayerAt(0).OffsetX = 3;
    TIELayer& l = addLayer(view);
    l.Transparency = 128;
    view.DeleteUpperLayers();
    EXPECT_EQ(view.LayerCount(), 1);
    const TIELayer& base = view.LayerAt(0);
    EXPECT_TRUE(base.Selectable && !base.Locked && base.ShowBox);
    EXPECT_EQ(base.OffsetX, 0);
    EXPECT_TRUE(SameTriple(base.Bitmap.ReadRGB(5, 5), kWhite)); // cleared to the background

    // Flatten: a stamp with Transparency 128 burns into the photo; the alpha plane goes.
    setPhoto(view, 6, 6, kBlack);
    view.LayerAt(0).Bitmap.AlphaPlane().Fill(255);
    TIELayer& s = addLayer(view);
    MakeSolid(s.Bitmap, 2, 2, kWhite);
    s.OffsetX = 5;
    s.Transparency = 128;
    bool objectsDrawn = false;
    view.OnDrawObjects = [&](TIEBitmap& target, const ObjectDrawContext& ctx) {
        objectsDrawn = target.Width() == 7 && ctx.zoom == 1.0;
        target.PixelPtr(0, 0)->r = 42;
    };
    view.FlattenLayers();
    EXPECT_TRUE(objectsDrawn);
    EXPECT_EQ(view.LayerCount(), 1);
    const TIEBitmap& flat = view.LayerAt(0).Bitmap;
    EXPECT_EQ(flat.Width(), 7);
    EXPECT_FALSE(flat.HasAlphaPlane());
    EXPECT_EQ(flat.Location(), ieTBitmap);
    EXPECT_EQ(flat.ReadRGB(0, 0).r, 42);
    EXPECT_EQ(flat.ReadRGB(5, 0).r, 127); // white at 128 over black
    EXPECT_EQ(flat.ReadRGB(6, 0).r, 255); // white at 128 over the white background
}

TEST(LayerList, MergeLayerPairCoversBoth)
{
    TIELayerView view;
    view.SetBackground(RGBColor(1, 2, 3));
    setPhoto(view, 40, 40, { 0, 0, 200 }); // red 200
    TIELayer& b = addLayer(view);
    MakeSolid(b.Bitmap, 30, 30, { 100, 0, 0 }); // blue 100
    b.OffsetX = 20;
    b.OffsetY = 30;
    b.Transparency = 128;
    view.MergeLayerPair(0, 1, true);
    ASSERT_EQ(view.LayerCount(), 1);
    EXPECT_EQ(view.CurrentLayer(), 0);
    TIELayer& m = view.LayerAt(0);
    EXPECT_EQ(m.OffsetX, 0);
    EXPECT_EQ(m.OffsetY, 0);
    ASSERT_EQ(m.Bitmap.Width(), 50);
    ASSERT_EQ(m.Bitmap.Height(), 60);
    ASSERT_TRUE(m.Bitmap.HasAlphaPlane());
    struct Probe {
        int x, y;
        TRGB colour;
        uint8_t alpha;
    } probes[] = {
        { 45, 5, { 3, 2, 1 }, 0 }, // neither: background, alpha 0
        { 5, 5, { 0, 0, 200 }, 255 }, // photo alone
        { 45, 55, { 100, 0, 0 }, 128 }, // stamp alone: min(255, 128)
        // Both: alphaB = 128/255, k = 1 - alphaB, alpha = 1: red 200 x k = 99.6 -> 100,
        // blue 100 x alphaB = 50.2 -> 50.
        { 25, 35, { 50, 0, 100 }, 255 },
    };
    for (const Probe& p : probes) {
        const TRGB c = m.Bitmap.ReadRGB(p.x, p.y);
        EXPECT_TRUE(SameTriple(c, p.colour))
            << p.x << "," << p.y << " got " << int(c.b) << "," << int(c.g) << "," << int(c.r);
        EXPECT_EQ(m.Bitmap.ReadAlpha(p.x, p.y), p.alpha) << p.x << "," << p.y;
    }
}

TEST(LayerList, MergeLayerPairAboveThePhotoKeepsPlace)
{
    TIELayerView view;
    setPhoto(view, 10, 10, kBlack);
    TIELayer& a = addLayer(view);
    MakeSolid(a.Bitmap, 4, 4, kWhite);
    a.OffsetX = -2;
    a.OffsetY = 3;
    a.Locked = true;
    TIELayer& b = addLayer(view);
    MakeSolid(b.Bitmap, 2, 2, { 9, 9, 9 });
    b.OffsetX = 6;
    b.OffsetY = 5;
    b.DisplayWidth = 4; // scaled to 4 x 2 first
    view.MergeLayerPair(2, 1, false);
    ASSERT_EQ(view.LayerCount(), 3);
    EXPECT_EQ(view.CurrentLayer(), 1);
    const TIELayer& m = view.LayerAt(1);
    EXPECT_EQ(m.OffsetX, -2);
    EXPECT_EQ(m.OffsetY, 3);
    EXPECT_TRUE(m.Locked);
    EXPECT_EQ(m.Bitmap.Width(), 12);
    EXPECT_EQ(m.Bitmap.Height(), 4);
    EXPECT_EQ(view.LayerAt(2).Bitmap.Width(), 4); // the upper layer kept its resampled raster
    EXPECT_TRUE(SameTriple(m.Bitmap.ReadRGB(11, 2), { 9, 9, 9 }));
    EXPECT_EQ(m.Bitmap.ExistingAlphaPlane()->Row(0)[11], 0);
}

TEST(LayerList, LayerAtPointPassesThroughTransparentPixels)
{
    TIELayerView view;
    setPhoto(view, 20, 20, kBlack);
    view.LayerAt(0).Selectable = false;
    TIELayer& frame = addLayer(view);
    MakeSolid(frame.Bitmap, 10, 10, kWhite);
    frame.DisplayWidth = frame.DisplayHeight = 20;
    frame.Bitmap.AlphaPlane().Fill(255);
    frame.Bitmap.WriteAlpha(5, 5, 0); // the centre: image 10..11
    view.SetZoom(50);
    view.UpdateScreenRects();
    EXPECT_EQ(frame.ScreenRect, (IERect { 0, 0, 10, 10 }));
    EXPECT_EQ(view.LayerAtPoint(1, 1, true), 1);
    EXPECT_EQ(view.LayerAtPoint(5, 5, true), -1);
    EXPECT_EQ(view.LayerAtPoint(5, 5, false), 0);
    EXPECT_EQ(view.LayerAtPoint(30, 5, false), -1);
}

TEST(LayerList, RectangleSelection)
{
    TIELayerView view;
    setPhoto(view, 10, 8, kBlack);
    view.SelectRect(7, 6, 2, 3);
    ASSERT_TRUE(view.HasSelection());
    EXPECT_EQ(view.SelectionRect(), (IERect { 2, 3, 7, 6 }));
    EXPECT_EQ(view.SelectionMask().Row(3)[2], 255);
    EXPECT_EQ(view.SelectionMask().Row(3)[8], 0);
    view.SelectRect(8, 6, 20, 30); // cut to the raster
    EXPECT_EQ(view.SelectionRect(), (IERect { 8, 6, 9, 7 }));
    view.SelectRect(12, 0, 15, 3); // outside
    EXPECT_FALSE(view.HasSelection());
}
