// Paint cost of the main view: what TImgVect's paint does for an exposed rectangle (render the
// layers at the view's zoom through the model's row renderer, then draw the rows onto the
// window surface), for a 1920 x 1080 view over a 6000 x 4000 photo with a full-size frame that
// has an alpha plane and a 400 x 300 stamp. "Drag" is the repaint while a stamp is dragged:
// only the part the stamp covered before and covers now.

#include "document/ie_bitmap_qimage.h"
#include "document/layer_view.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <benchmark/benchmark.h>

using namespace borderlux;

namespace {

constexpr int kViewW = 1920;
constexpr int kViewH = 1080;

struct Scene {
    TIELayerView view;
    QImage surface { kViewW, kViewH, QImage::Format_RGB32 };
    TIEBitmap frame;

    Scene()
    {
        TIEBitmap& photo = view.LayerAt(0).Bitmap;
        photo.Allocate(6000, 4000, ie24RGB);
        for (int y = 0; y < photo.Height(); ++y) {
            uint8_t* row = photo.Row(y);
            for (int x = 0; x < photo.Width() * 3; ++x)
                row[x] = uint8_t(x * 7 + y * 3);
        }
        // A frame over the whole photo: opaque border, transparent inside.
        view.AddLayer();
        TIELayer& border = view.LayerAt(1);
        border.Bitmap.Allocate(6000, 4000, ie24RGB);
        border.Bitmap.Fill(RGBColor(240, 230, 200));
        TIEBitmap& alpha = border.Bitmap.AlphaPlane();
        for (int y = 0; y < 4000; ++y) {
            uint8_t* a = alpha.Row(y);
            const bool edgeRow = y < 300 || y >= 3700;
            for (int x = 0; x < 6000; ++x)
                a[x] = (edgeRow || x < 300 || x >= 5700) ? 255 : 0;
        }
        border.Bitmap.SyncOpaqueFlag();
        view.AddLayer();
        TIELayer& stamp = view.LayerAt(2);
        stamp.Bitmap.Allocate(400, 300, ie24RGB);
        stamp.Bitmap.Fill(RGBColor(255, 0, 0));
        stamp.OffsetX = 2800;
        stamp.OffsetY = 1850;
        frame.SetPlatformBitmapStorage(true);
    }

    void paint(int x, int y, int w, int h)
    {
        view.UpdateScreenRects();
        view.RenderView(frame, x, y, w, h);
        QPainter p(&surface);
        p.drawImage(x, y, PlatformBitmap(frame));
    }
};

Scene& scene()
{
    static Scene s;
    return s;
}

void BM_PaintFit(benchmark::State& state)
{
    Scene& s = scene();
    s.view.SetZoom(std::min(double(kViewW) / 6000, double(kViewH) / 4000) * 100);
    s.view.SetViewOrigin(-(kViewW - 1620) / 2, 0);
    for (auto _ : state)
        s.paint(0, 0, kViewW, kViewH);
}
BENCHMARK(BM_PaintFit)->Unit(benchmark::kMillisecond);

void BM_Paint100(benchmark::State& state)
{
    Scene& s = scene();
    s.view.SetZoom(100);
    s.view.SetViewOrigin(2000, 1400);
    for (auto _ : state)
        s.paint(0, 0, kViewW, kViewH);
}
BENCHMARK(BM_Paint100)->Unit(benchmark::kMillisecond);

// One drag step at fit zoom: the stamp moves 4 pixels and the union of its old and new
// client rectangles, with the outline margin, is repainted.
void BM_DragStepFit(benchmark::State& state)
{
    Scene& s = scene();
    s.view.SetZoom(std::min(double(kViewW) / 6000, double(kViewH) / 4000) * 100);
    s.view.SetViewOrigin(-(kViewW - 1620) / 2, 0);
    TIELayer& stamp = s.view.LayerAt(2);
    int step = 0;
    for (auto _ : state) {
        const IERect before = s.view.LayerClientRect(2);
        stamp.OffsetX = 2800 + (step++ % 50) * 4;
        const IERect after = s.view.LayerClientRect(2);
        const int l = std::min(before.left, after.left) - 9;
        const int t = std::min(before.top, after.top) - 9;
        const int r = std::max(before.right, after.right) + 9;
        const int b = std::max(before.bottom, after.bottom) + 9;
        s.paint(l, t, r - l, b - t);
    }
}
BENCHMARK(BM_DragStepFit)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
