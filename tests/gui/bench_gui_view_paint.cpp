// Paint time of the real main view widget, offscreen: a 1920 x 1080 TImgVect over a
// 6000 x 4000 photo with a full-size frame (alpha plane, transparent inside) and a 400 x 300
// stamp with its handles, at fit zoom and at 100 %, plus one repaint of a stamp drag step.
// Prints the median of repeated synchronous repaints. Not a test: run it by hand.
//
// Usage: bench_gui_view_paint [REPEATS]

#include "platform/ui/img_vect.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace borderlux;

namespace {

double medianMs(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <typename F> double timeMs(int repeats, F&& f)
{
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer t;
        t.start();
        f(i);
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    return medianMs(times);
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int repeats = argc > 1 ? std::max(3, atoi(argv[1])) : 30;

    TIELayerView model;
    TIEBitmap& photo = model.LayerAt(0).Bitmap;
    photo.Allocate(6000, 4000, ie24RGB);
    for (int y = 0; y < photo.Height(); ++y) {
        uint8_t* row = photo.Row(y);
        for (int x = 0; x < photo.Width() * 3; ++x)
            row[x] = uint8_t(x * 7 + y * 3);
    }
    model.AddLayer();
    TIELayer& frame = model.LayerAt(1);
    frame.Bitmap.Allocate(6000, 4000, ie24RGB);
    frame.Bitmap.Fill(RGBColor(240, 230, 200));
    TIEBitmap& alpha = frame.Bitmap.AlphaPlane();
    for (int y = 0; y < 4000; ++y) {
        uint8_t* a = alpha.Row(y);
        for (int x = 0; x < 6000; ++x)
            a[x] = (y < 300 || y >= 3700 || x < 300 || x >= 5700) ? 255 : 0;
    }
    frame.Bitmap.SyncOpaqueFlag();
    model.AddLayer();
    TIELayer& stamp = model.LayerAt(2);
    stamp.Bitmap.Allocate(400, 300, ie24RGB);
    stamp.Bitmap.Fill(RGBColor(255, 0, 0));
    stamp.OffsetX = 2800;
    stamp.OffsetY = 1850;

    TImgVect view;
    view.resize(1920, 1080);
    view.SetLayerView(&model);
    view.SetMouseInteraction(kMouseMoveResize);
    // Handles drawn as the main window draws them, so their cost is in the figures.
    view.OnDrawLayerBox = [](TImgVect& v, QPainter& p, int layer) {
        const IERect r = v.LayerView()->LayerAt(layer).ScreenRect;
        p.setPen(QPen(QColor(0, 128, 0), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(r.left - 1, r.top - 1, r.right - r.left + 1, r.bottom - r.top + 1));
    };
    view.OnDrawLayerGrip = [](TImgVect&, QPainter& p, int, int, const QRect& rect) {
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QColor(0, 128, 0));
        p.setBrush(QColor(0, 255, 0));
        p.drawEllipse(rect.adjusted(-1, -1, 1, 1));
    };
    view.show();
    if (!QTest::qWaitForWindowExposed(&view))
        return 1;
    QWidget* vp = view.viewport();

    view.Fit();
    const double fit = timeMs(repeats, [&](int) { vp->repaint(); });
    // A drag step at fit zoom: a 4-pixel move and the repaint the view asks for (only the
    // area the stamp left and entered).
    const QPoint inside = view.ImageToClient(QPointF(2900, 1900)).toPoint();
    auto send = [&](QEvent::Type type, QPoint pos, Qt::MouseButton b, Qt::MouseButtons bs) {
        QMouseEvent e(type, QPointF(pos), vp->mapToGlobal(QPointF(pos)), b, bs, Qt::NoModifier);
        QApplication::sendEvent(vp, &e);
    };
    send(QEvent::MouseButtonPress, inside, Qt::LeftButton, Qt::LeftButton);
    const double drag = timeMs(repeats, [&](int i) {
        send(QEvent::MouseMove, inside + QPoint(4 * (i % 20 + 1), 0), Qt::NoButton, Qt::LeftButton);
        QApplication::processEvents();
    });
    send(QEvent::MouseButtonRelease, inside, Qt::LeftButton, Qt::NoButton);
    view.SetZoom(100);
    const double full = timeMs(repeats, [&](int) { vp->repaint(); });

    std::printf(
        "1920 x 1080 view, 6000 x 4000 photo + frame + stamp, median of %d repaints\n", repeats);
    std::printf("  fit zoom (%.1f %%)   %7.2f ms\n", view.FitZoom(), fit);
    std::printf("  100 %%               %7.2f ms\n", full);
    std::printf("  drag step at fit    %7.2f ms\n", drag);
    return 0;
}
