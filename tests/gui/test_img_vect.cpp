// The main image view driven by synthesised mouse events: selecting, moving and resizing
// layers at 100 % and 50 %, the grips, the hints, the rectangle selection, and what a paint
// leaves in ScreenRect.

#include "platform/ui/img_vect.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

using namespace borderlux;

namespace {

void mouse(QWidget* w, QEvent::Type type, const QPoint& pos, Qt::MouseButton button,
    Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMouseEvent e(type, QPointF(pos), w->mapToGlobal(QPointF(pos)), button, buttons, modifiers);
    QApplication::sendEvent(w, &e);
}

// Press at `from`, move in two steps to `to`, release there.
void drag(QWidget* w, QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    mouse(w, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton, modifiers);
    mouse(w, QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton, modifiers);
    mouse(w, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton, modifiers);
    mouse(w, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton, modifiers);
}

void fillLayer(TIELayer& layer, int w, int h, uint32_t colour)
{
    layer.Bitmap.Allocate(w, h, ie24RGB);
    layer.Bitmap.Fill(colour);
}

} // namespace

class TestImgVect : public QObject {
    Q_OBJECT

    TIELayerView* m_model = nullptr;
    TImgVect* m_view = nullptr;

    QWidget* vp() const { return m_view->viewport(); }
    QPoint client(double x, double y) const
    {
        return m_view->ImageToClient(QPointF(x, y)).toPoint();
    }
    TIELayer& stamp() const { return m_model->LayerAt(1); }

private slots:
    // A 400 x 300 photo (not selectable, locked) with an 80 x 40 stamp at (100, 50), moving and
    // resizing on; a 600 x 400 view.
    void init()
    {
        m_model = new TIELayerView;
        fillLayer(m_model->LayerAt(0), 400, 300, RGBColor(200, 200, 200));
        m_model->LayerAt(0).Selectable = false;
        m_model->LayerAt(0).Locked = true;
        m_model->AddLayer();
        fillLayer(stamp(), 80, 40, RGBColor(255, 0, 0));
        stamp().OffsetX = 100;
        stamp().OffsetY = 50;
        m_view = new TImgVect;
        m_view->resize(600, 400);
        m_view->SetLayerView(m_model);
        m_view->SetMouseInteraction(kMouseMoveResize);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view));
    }

    void cleanup()
    {
        delete m_view;
        delete m_model;
    }

    void moveAndResize_data()
    {
        QTest::addColumn<double>("zoom");
        QTest::addColumn<int>("grip"); // -1: drag the layer's inside
        QTest::addColumn<QPoint>("by"); // client pixels
        QTest::addColumn<bool>("alt");
        QTest::addColumn<QRect>("expected"); // offset and display size in image pixels
        QTest::addColumn<QString>("hint");

        QTest::newRow("move 100%")
            << 100.0 << -1 << QPoint(30, -20) << false << QRect(130, 30, 80, 40) << "X=130 Y=30";
        QTest::newRow("move 50%") << 50.0 << -1 << QPoint(30, -20) << false
                                  << QRect(160, 10, 80, 40) << "X=160 Y=10";
        QTest::newRow("bottom-right 100%")
            << 100.0 << 2 << QPoint(20, 10) << false << QRect(100, 50, 100, 50) << "100 x 50";
        QTest::newRow("bottom-right 50%")
            << 50.0 << 2 << QPoint(20, 10) << false << QRect(100, 50, 120, 60) << "120 x 60";
        QTest::newRow("top-left keeps the far corner")
            << 100.0 << 0 << QPoint(10, 5) << false << QRect(110, 55, 70, 35) << "70 x 35";
        QTest::newRow("left side only")
            << 100.0 << 4 << QPoint(-10, 40) << false << QRect(90, 50, 90, 40) << "90 x 40";
        QTest::newRow("bottom side only")
            << 50.0 << 7 << QPoint(25, 10) << false << QRect(100, 50, 80, 60) << "80 x 60";
        QTest::newRow("never below one pixel")
            << 100.0 << 5 << QPoint(-300, 0) << false << QRect(100, 50, 1, 40) << "1 x 40";
        QTest::newRow("top never below one pixel")
            << 100.0 << 6 << QPoint(0, 300) << false << QRect(100, 89, 80, 1) << "80 x 1";
        // Alt: height = Trunc(40 / 80 x width), whatever the pointer's vertical movement.
        QTest::newRow("alt keeps proportion")
            << 100.0 << 2 << QPoint(30, -15) << true << QRect(100, 50, 110, 55) << "110 x 55";
        QTest::newRow("alt on a top corner moves the top")
            << 100.0 << 1 << QPoint(-11, 0) << true << QRect(100, 56, 69, 34) << "69 x 34";
        QTest::newRow("centre grip does nothing")
            << 100.0 << 8 << QPoint(40, 40) << false << QRect(100, 50, 80, 40) << "";
    }

    void moveAndResize()
    {
        QFETCH(double, zoom);
        QFETCH(int, grip);
        QFETCH(QPoint, by);
        QFETCH(bool, alt);
        QFETCH(QRect, expected);
        QFETCH(QString, hint);

        m_view->SetZoom(zoom);
        QCOMPARE(m_view->Zoom(), zoom);
        m_model->UpdateScreenRects();
        const QPoint from
            = grip < 0 ? client(120, 58) : TImgVect::GripRect(stamp().ScreenRect, grip).center();
        QCOMPARE(m_view->GripAt(from), grip < 0 ? -1 : grip);
        const Qt::KeyboardModifiers mods = alt ? Qt::AltModifier : Qt::NoModifier;

        mouse(vp(), QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton, mods);
        mouse(vp(), QEvent::MouseMove, from + by, Qt::NoButton, Qt::LeftButton, mods);
        QCOMPARE(m_view->Hint(), hint);
        mouse(vp(), QEvent::MouseButtonRelease, from + by, Qt::LeftButton, Qt::NoButton, mods);
        QCOMPARE(m_view->Hint(), QString());

        QCOMPARE(QRect(stamp().OffsetX, stamp().OffsetY, stamp().EffectiveWidth(),
                     stamp().EffectiveHeight()),
            expected);
        // The raster itself is never resampled by the mouse.
        QCOMPARE(stamp().Bitmap.Width(), 80);
        QCOMPARE(stamp().Bitmap.Height(), 40);
    }

    void pointerShapes()
    {
        m_model->UpdateScreenRects();
        const IERect r = stamp().ScreenRect;
        const QList<QPair<QPoint, Qt::CursorShape>> cases {
            { TImgVect::GripRect(r, 0).center(), Qt::SizeFDiagCursor },
            { TImgVect::GripRect(r, 2).center(), Qt::SizeFDiagCursor },
            { TImgVect::GripRect(r, 1).center(), Qt::SizeBDiagCursor },
            { TImgVect::GripRect(r, 3).center(), Qt::SizeBDiagCursor },
            { TImgVect::GripRect(r, 4).center(), Qt::SizeHorCursor },
            { TImgVect::GripRect(r, 7).center(), Qt::SizeVerCursor },
            { client(120, 58), Qt::SizeAllCursor },
            { client(300, 200), Qt::ArrowCursor }, // the photo cannot be moved
        };
        for (const auto& [pos, shape] : cases) {
            mouse(vp(), QEvent::MouseMove, pos, Qt::NoButton, Qt::NoButton);
            QCOMPARE(vp()->cursor().shape(), shape);
        }
    }

    void lockedLayerNeitherMovesNorShowsGrips()
    {
        stamp().Locked = true;
        m_model->UpdateScreenRects();
        QCOMPARE(m_view->GripAt(TImgVect::GripRect(stamp().ScreenRect, 2).center()), -1);
        drag(vp(), client(120, 58), client(150, 90));
        QCOMPARE(stamp().OffsetX, 100);
        QCOMPARE(stamp().OffsetY, 50);
    }

    void noInteractionLeavesLayersAlone()
    {
        m_view->SetMouseInteraction(kMouseNone);
        drag(vp(), client(120, 58), client(150, 90));
        QCOMPARE(stamp().OffsetX, 100);
        // Resizing only: the grips work, dragging the inside does not move.
        m_view->SetMouseInteraction(miResizeLayers);
        drag(vp(), client(120, 58), client(150, 90));
        QCOMPARE(stamp().OffsetX, 100);
        m_model->UpdateScreenRects();
        drag(vp(), TImgVect::GripRect(stamp().ScreenRect, 5).center(),
            TImgVect::GripRect(stamp().ScreenRect, 5).center() + QPoint(10, 0));
        QCOMPARE(stamp().EffectiveWidth(), 90);
    }

    void clickSelectsTopmostSelectableOpaqueLayer()
    {
        // A second stamp over the first one's right part, its ten left columns transparent.
        const int top = m_model->AddLayer();
        TIELayer& over = m_model->LayerAt(top);
        fillLayer(over, 40, 20, RGBColor(0, 0, 255));
        over.OffsetX = 160;
        over.OffsetY = 50;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 10; ++x)
                over.Bitmap.WriteAlpha(x, y, 0);
        QCOMPARE(m_model->CurrentLayer(), 2);

        // Through the transparent part of layer 2 onto layer 1.
        drag(vp(), client(167, 62), client(167, 62));
        QCOMPARE(m_model->CurrentLayer(), 1);
        // On the opaque part of layer 2.
        drag(vp(), client(190, 60), client(190, 60));
        QCOMPARE(m_model->CurrentLayer(), 2);
        // On the photo outside both: the photo is not selectable, layer 2 stays current.
        drag(vp(), client(300, 200), client(320, 220));
        QCOMPARE(m_model->CurrentLayer(), 2);
        QCOMPARE(m_model->LayerAt(2).OffsetX, 160);
    }

    void paintSetsScreenRectsAndDrawsLayers()
    {
        m_view->SetZoom(50);
        stamp().ScreenRect = {};
        const QImage shot = vp()->grab().toImage();
        const IERect r = stamp().ScreenRect;
        const QPoint tl = client(100, 50);
        QCOMPARE(r, (IERect { tl.x(), tl.y(), tl.x() + 40, tl.y() + 20 }));
        QCOMPARE(QColor(shot.pixel(r.left + 10, r.top + 5)), QColor(255, 0, 0));
        QCOMPARE(QColor(shot.pixel(client(300, 200))), QColor(200, 200, 200));
        // Around the centred picture: the background.
        QCOMPARE(QColor(shot.pixel(2, 2)), QColor(255, 255, 255));
    }

    void decorationHooksFollowInteractionAndLock()
    {
        int boxes = 0;
        QList<int> grips;
        m_view->OnDrawLayerBox = [&](TImgVect&, QPainter&, int layer) {
            QCOMPARE(layer, 1);
            ++boxes;
        };
        m_view->OnDrawLayerGrip = [&](TImgVect&, QPainter&, int, int grip, const QRect& rect) {
            QCOMPARE(rect.size(), QSize(11, 11));
            grips << grip;
        };
        vp()->grab();
        QCOMPARE(boxes, 1);
        QCOMPARE(grips, (QList<int> { 0, 1, 2, 3, 4, 5, 6, 7, 8 }));
        boxes = 0;
        grips.clear();
        stamp().Locked = true;
        vp()->grab();
        QCOMPARE(boxes, 1);
        QVERIFY(grips.isEmpty());
        stamp().ShowBox = false;
        vp()->grab();
        QCOMPARE(boxes, 1);
        m_view->SetMouseInteraction(kMouseNone);
        stamp().ShowBox = true;
        vp()->grab();
        QCOMPARE(boxes, 1);
    }

    void selectionDrawnWithTheMouse_data()
    {
        QTest::addColumn<double>("zoom");
        QTest::newRow("100%") << 100.0;
        QTest::newRow("50%") << 50.0;
    }

    void selectionDrawnWithTheMouse()
    {
        QFETCH(double, zoom);
        // Selections are made on the photo (layer 0 current after the prepare step).
        m_model->DeleteLayer(1);
        m_view->SetZoom(zoom);
        m_view->SetMouseInteraction(miSelect);
        m_view->SetSelectionOptions(iesoAnimated | iesoSizeable | iesoMoveable | iesoMarkOuter);

        drag(vp(), client(10, 20), client(110, 70));
        QVERIFY(m_model->HasSelection());
        QCOMPARE(m_model->SelectionRect(), (IERect { 10, 20, 109, 69 }));

        // Dragging inside moves it.
        drag(vp(), client(50, 40), client(60, 46));
        QCOMPARE(m_model->SelectionRect(), (IERect { 20, 26, 119, 75 }));

        // Its bottom-right grip sizes it.
        const QRect sel = m_view->BitmapRectToClient(QRect(20, 26, 100, 50)).toAlignedRect();
        const QPoint grip
            = TImgVect::GripRect({ sel.left(), sel.top(), sel.right() + 1, sel.bottom() + 1 }, 2)
                  .center();
        drag(vp(), grip,
            grip + m_view->ImageToClient(QPointF(30, 10)).toPoint()
                - m_view->ImageToClient(QPointF(0, 0)).toPoint());
        QCOMPARE(m_model->SelectionRect(), (IERect { 20, 26, 149, 85 }));

        // A click without dragging outside it removes the selection.
        drag(vp(), client(300, 250), client(300, 250));
        QVERIFY(!m_model->HasSelection());

        // The outside is darkened while a selection exists.
        drag(vp(), client(100, 100), client(200, 200));
        const QImage shot = vp()->grab().toImage();
        QCOMPARE(QColor(shot.pixel(client(150, 150))), QColor(200, 200, 200));
        QVERIFY(QColor(shot.pixel(client(300, 250))).red() < 150);
    }

    void selectClientRectConvertsToPhotoPixels()
    {
        m_model->DeleteLayer(1);
        m_view->SetZoom(50);
        const QPoint a = client(40, 60);
        m_view->SelectClientRect(QRect(a, QSize(50, 25)));
        QCOMPARE(m_model->SelectionRect(), (IERect { 40, 60, 139, 109 }));
    }

    void zoomRefusesZeroAndConvertsBothWays()
    {
        m_view->SetZoom(0);
        QCOMPARE(m_view->Zoom(), 100.0);
        m_view->SetZoom(-5);
        QCOMPARE(m_view->Zoom(), 100.0);
        m_view->SetZoom(200);
        const QPointF p(123, 77);
        QCOMPARE(m_view->ClientToImage(m_view->ImageToClient(p)), p);
    }

    void fitShowsTheWholeImage()
    {
        m_view->resize(300, 300);
        m_view->Fit();
        // 400 x 300 in 300 x 300: limited by the width.
        QCOMPARE(m_view->Zoom(), 75.0);
        m_view->SetAutoFit(true);
        m_view->resize(800, 300);
        QTRY_COMPARE(m_view->Zoom(), 100.0);
    }
};

QTEST_MAIN(TestImgVect)
#include "test_img_vect.moc"
