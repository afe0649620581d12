#include "platform/ui/img_vect.h"

#include "document/ie_bitmap_qimage.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace borderlux {

namespace {

constexpr int kGripReach = 5; // a grip reaches this far to each side of its point
// Outline and grips are drawn up to 7 pixels outside a layer's screen rectangle (grip
// reach, the disc's extra pixel, the pen); the repaint after a drag covers this margin.
constexpr int kDecorationMargin = 9;
constexpr int kHintGap = 16;
// Room for the hint next to the pointer, repainted as the pointer moves.
constexpr QSize kHintArea(220, 60);

QPoint gripPoint(const IERect& r, int grip)
{
    const int cx = r.left + (r.right - r.left) / 2;
    const int cy = r.top + (r.bottom - r.top) / 2;
    switch (grip) {
    case 0:
        return { r.left, r.top };
    case 1:
        return { r.right, r.top };
    case 2:
        return { r.right, r.bottom };
    case 3:
        return { r.left, r.bottom };
    case 4:
        return { r.left, cy };
    case 5:
        return { r.right, cy };
    case 6:
        return { cx, r.top };
    case 7:
        return { cx, r.bottom };
    default:
        return { cx, cy };
    }
}

bool gripOnLeft(int g)
{
    return g == 0 || g == 3 || g == 4;
}
bool gripOnRight(int g)
{
    return g == 1 || g == 2 || g == 5;
}
bool gripOnTop(int g)
{
    return g == 0 || g == 1 || g == 6;
}
bool gripOnBottom(int g)
{
    return g == 2 || g == 3 || g == 7;
}

Qt::CursorShape gripCursor(int grip)
{
    switch (grip) {
    case 0:
    case 2:
        return Qt::SizeFDiagCursor;
    case 1:
    case 3:
        return Qt::SizeBDiagCursor;
    case 4:
    case 5:
        return Qt::SizeHorCursor;
    case 6:
    case 7:
        return Qt::SizeVerCursor;
    default:
        return Qt::ArrowCursor;
    }
}

IERect toIERect(const QRect& r)
{
    return { r.left(), r.top(), r.right() + 1, r.bottom() + 1 };
}

} // namespace

TImgVect::TImgVect(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    viewport()->setMouseTracking(true);
    // The whole viewport is painted from the rendered rows; Qt need not clear it first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    m_frame.SetPlatformBitmapStorage(true);
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setSingleStep(20);
    m_antsTimer.setInterval(120);
    connect(&m_antsTimer, &QTimer::timeout, this, [this] {
        m_antsOffset = (m_antsOffset + 1) % 8;
        const QRect r = selectionClientRect().toAlignedRect();
        if (!r.isEmpty())
            viewport()->update(
                QRegion(r.adjusted(-2, -2, 2, 2)) - QRegion(r.adjusted(3, 3, -3, -3)));
    });
}

TImgVect::~TImgVect()
{
    if (m_view)
        m_view->OnChange = nullptr;
}

void TImgVect::SetLayerView(TIELayerView* view)
{
    if (m_view)
        m_view->OnChange = nullptr;
    m_view = view;
    if (m_view)
        m_view->OnChange = [this] { modelChanged(); };
    modelChanged();
}

void TImgVect::modelChanged()
{
    // Layers may have come or gone, so a layer drag in progress may refer to a layer that no
    // longer exists.
    if (m_view && m_drag != Drag::None && m_drag != Drag::NewSelection
        && m_drag != Drag::MoveSelection && m_drag != Drag::SizeSelection) {
        m_drag = Drag::None;
        m_hint.clear();
    }
    updateGeometry();
    viewport()->update();
}

// --- Zoom -----------------------------------------------------------------------------------

double TImgVect::Zoom() const
{
    return m_view ? m_view->Zoom() : 100.0;
}

void TImgVect::SetZoom(double percent)
{
    if (!m_view || !(percent > 0))
        return;
    // Keep the image point at the viewport's centre where it is.
    const QPointF centre(viewport()->width() / 2.0, viewport()->height() / 2.0);
    const QPointF anchor = ClientToImage(centre);
    m_view->SetZoom(percent);
    updateGeometry();
    const double z = m_view->Zoom() / 100.0;
    horizontalScrollBar()->setValue(int(std::lround(anchor.x() * z - centre.x())));
    verticalScrollBar()->setValue(int(std::lround(anchor.y() * z - centre.y())));
    updateGeometry();
    viewport()->update();
    emit zoomChanged(m_view->Zoom());
}

void TImgVect::SetAutoFit(bool on)
{
    m_autoFit = on;
    if (on)
        Fit();
}

double TImgVect::FitZoom() const
{
    if (!m_view)
        return 100.0;
    int w = 0;
    int h = 0;
    m_view->ImageExtent(w, h);
    if (w < 1 || h < 1)
        return 100.0;
    // Scroll bars are not needed at the fitting zoom, so the whole area counts.
    const QSize area = maximumViewportSize();
    const double z = std::min(double(area.width()) / w, double(area.height()) / h) * 100.0;
    return z > 0 ? z : 100.0;
}

void TImgVect::Fit()
{
    SetZoom(FitZoom());
}

// --- Geometry -------------------------------------------------------------------------------

void TImgVect::updateGeometry()
{
    if (!m_view)
        return;
    // Setting the scroll ranges can move the scroll bars, which comes back here.
    if (m_updatingGeometry)
        return;
    m_updatingGeometry = true;
    int ew = 0;
    int eh = 0;
    m_view->ViewExtent(ew, eh);
    const QSize vp = viewport()->size();
    QScrollBar* hs = horizontalScrollBar();
    QScrollBar* vs = verticalScrollBar();
    hs->setRange(0, std::max(0, ew - vp.width()));
    hs->setPageStep(std::max(1, vp.width()));
    vs->setRange(0, std::max(0, eh - vp.height()));
    vs->setPageStep(std::max(1, vp.height()));
    // A picture smaller than the viewport is centred: the origin becomes negative.
    const int ox = ew < vp.width() ? -((vp.width() - ew) / 2) : hs->value();
    const int oy = eh < vp.height() ? -((vp.height() - eh) / 2) : vs->value();
    if (ox != m_view->ViewOriginX() || oy != m_view->ViewOriginY()) {
        auto hook = std::move(m_view->OnChange);
        m_view->SetViewOrigin(ox, oy);
        m_view->OnChange = std::move(hook);
    }
    m_updatingGeometry = false;
}

void TImgVect::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (m_autoFit && m_view) {
        const double z = FitZoom();
        if (z != m_view->Zoom()) {
            auto hook = std::move(m_view->OnChange);
            m_view->SetZoom(z);
            m_view->OnChange = std::move(hook);
            emit zoomChanged(z);
        }
    }
    updateGeometry();
    viewport()->update();
}

void TImgVect::scrollContentsBy(int, int)
{
    updateGeometry();
    viewport()->update();
}

QPointF TImgVect::ClientToImage(const QPointF& client) const
{
    if (!m_view)
        return client;
    return { m_view->ClientToImageX(client.x()), m_view->ClientToImageY(client.y()) };
}

QPointF TImgVect::ImageToClient(const QPointF& image) const
{
    if (!m_view)
        return image;
    const double z = m_view->Zoom() / 100.0;
    return { image.x() * z - m_view->ViewOriginX(), image.y() * z - m_view->ViewOriginY() };
}

QRect TImgVect::ClientRectToBitmap(const QRect& client) const
{
    if (!m_view)
        return {};
    const TIELayer& layer = m_view->LayerAt(m_view->CurrentLayer());
    const int bw = layer.Bitmap.Width();
    const int bh = layer.Bitmap.Height();
    const int ew = layer.EffectiveWidth();
    const int eh = layer.EffectiveHeight();
    if (bw < 1 || bh < 1 || ew < 1 || eh < 1)
        return {};
    const QPointF a = ClientToImage(QPointF(client.left(), client.top()));
    const QPointF b
        = ClientToImage(QPointF(client.left() + client.width(), client.top() + client.height()));
    const double sx = double(bw) / ew;
    const double sy = double(bh) / eh;
    const int left = std::max(0, int(std::floor((a.x() - layer.OffsetX) * sx)));
    const int top = std::max(0, int(std::floor((a.y() - layer.OffsetY) * sy)));
    const int right = std::min(bw, int(std::ceil((b.x() - layer.OffsetX) * sx)));
    const int bottom = std::min(bh, int(std::ceil((b.y() - layer.OffsetY) * sy)));
    if (right <= left || bottom <= top)
        return {};
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

QRectF TImgVect::BitmapRectToClient(const QRect& r) const
{
    if (!m_view)
        return {};
    const TIELayer& layer = m_view->LayerAt(m_view->CurrentLayer());
    const int bw = std::max(1, layer.Bitmap.Width());
    const int bh = std::max(1, layer.Bitmap.Height());
    const double sx = double(layer.EffectiveWidth()) / bw;
    const double sy = double(layer.EffectiveHeight()) / bh;
    const QPointF a
        = ImageToClient(QPointF(layer.OffsetX + r.left() * sx, layer.OffsetY + r.top() * sy));
    const QPointF b = ImageToClient(
        QPointF(layer.OffsetX + (r.right() + 1) * sx, layer.OffsetY + (r.bottom() + 1) * sy));
    return QRectF(a, b);
}

// --- Interaction ----------------------------------------------------------------------------

void TImgVect::SetMouseInteraction(TMouseInteraction interaction)
{
    if (interaction == m_interaction)
        return;
    m_interaction = interaction;
    m_drag = Drag::None;
    m_hint.clear();
    viewport()->unsetCursor();
    const bool ants = (m_interaction & miSelect) && (m_selectionOptions & iesoAnimated);
    if (ants)
        m_antsTimer.start();
    else
        m_antsTimer.stop();
    viewport()->update();
}

void TImgVect::SetSelectionOptions(TIESelectionOptions options)
{
    m_selectionOptions = options;
    const bool ants = (m_interaction & miSelect) && (m_selectionOptions & iesoAnimated);
    if (ants)
        m_antsTimer.start();
    else
        m_antsTimer.stop();
    viewport()->update();
}

void TImgVect::SelectClientRect(const QRect& client)
{
    if (!m_view)
        return;
    const QRect b = ClientRectToBitmap(client.normalized());
    if (b.isEmpty())
        m_view->Deselect();
    else
        m_view->SelectRect(b.left(), b.top(), b.right(), b.bottom());
}

QRect TImgVect::GripRect(const IERect& screenRect, int grip)
{
    const QPoint p = gripPoint(screenRect, grip);
    return QRect(p.x() - kGripReach, p.y() - kGripReach, 2 * kGripReach + 1, 2 * kGripReach + 1);
}

bool TImgVect::outlineShown() const
{
    return m_interaction & (miMoveLayers | miResizeLayers);
}

bool TImgVect::gripsShown() const
{
    if (!m_view || !(m_interaction & miResizeLayers))
        return false;
    const TIELayer& layer = m_view->LayerAt(m_view->CurrentLayer());
    return layer.ShowBox && !layer.Locked;
}

int TImgVect::GripAt(const QPoint& client) const
{
    if (!gripsShown())
        return -1;
    const IERect r = m_view->LayerClientRect(m_view->CurrentLayer());
    // The sides' grips win over the centre, which on a small layer overlaps them.
    for (int g = 0; g < 9; ++g) {
        if (GripRect(r, g).contains(client))
            return g;
    }
    return -1;
}

QRect TImgVect::layerDecorationRect(int layer) const
{
    const IERect r = m_view->LayerClientRect(layer);
    return QRect(QPoint(r.left, r.top), QPoint(r.right, r.bottom))
        .adjusted(-kDecorationMargin, -kDecorationMargin, kDecorationMargin, kDecorationMargin);
}

void TImgVect::updateCursor(const QPoint& client)
{
    if (!m_view || !(m_interaction & (miMoveLayers | miResizeLayers))) {
        if (!(m_interaction & miSelect))
            viewport()->unsetCursor();
        return;
    }
    const int g = GripAt(client);
    if (g >= 0) {
        viewport()->setCursor(gripCursor(g));
        return;
    }
    if (m_interaction & miMoveLayers) {
        m_view->UpdateScreenRects();
        const int i = m_view->LayerAtPoint(client.x(), client.y(), true);
        if (i >= 0 && !m_view->LayerAt(i).Locked) {
            viewport()->setCursor(Qt::SizeAllCursor);
            return;
        }
    }
    viewport()->unsetCursor();
}

void TImgVect::mousePressEvent(QMouseEvent* event)
{
    if (!m_view || event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const QPoint pos = event->position().toPoint();
    m_pointer = pos;
    m_pressImage = ClientToImage(event->position());
    m_drag = Drag::None;

    if (m_interaction & miSelect) {
        const int g = (m_selectionOptions & iesoSizeable) ? selectionGripAt(pos) : -1;
        const QRectF sel = selectionClientRect();
        if (g >= 0) {
            m_drag = Drag::SizeSelection;
            m_dragGrip = g;
        } else if ((m_selectionOptions & iesoMoveable) && !sel.isEmpty()
            && sel.contains(event->position())) {
            m_drag = Drag::MoveSelection;
        } else {
            m_drag = Drag::NewSelection;
            m_view->Deselect();
            m_selImage = QRectF(m_pressImage, m_pressImage);
        }
        if (m_drag != Drag::NewSelection) {
            const QRectF c = selectionClientRect();
            m_selImage = QRectF(ClientToImage(c.topLeft()), ClientToImage(c.bottomRight()));
        }
        m_selStart = m_selImage;
        viewport()->update();
        return;
    }

    if (!(m_interaction & (miMoveLayers | miResizeLayers)))
        return;
    // Hit testing goes by ScreenRect; bring it up to date with what the next paint shows.
    m_view->UpdateScreenRects();
    const int g = GripAt(pos);
    if (g == 8) {
        m_drag = Drag::Inert;
    } else if (g >= 0) {
        m_drag = Drag::ResizeLayer;
        m_dragGrip = g;
    } else if (m_interaction & miMoveLayers) {
        const int i = m_view->LayerAtPoint(pos.x(), pos.y(), true);
        if (i >= 0) {
            if (i != m_view->CurrentLayer()) {
                m_view->SetCurrentLayer(i);
                emit currentLayerChanged(m_view->CurrentLayer());
            }
            if (!m_view->LayerAt(m_view->CurrentLayer()).Locked)
                m_drag = Drag::MoveLayer;
        }
    }
    if (m_drag == Drag::MoveLayer || m_drag == Drag::ResizeLayer) {
        const TIELayer& layer = m_view->LayerAt(m_view->CurrentLayer());
        m_startGeometry = { layer.OffsetX, layer.OffsetY, layer.OffsetX + layer.EffectiveWidth(),
            layer.OffsetY + layer.EffectiveHeight() };
    }
}

void TImgVect::dragLayer(const QPointF& client, bool keepProportion)
{
    const int current = m_view->CurrentLayer();
    TIELayer& layer = m_view->LayerAt(current);
    const QRect before = layerDecorationRect(current);
    const QPointF d = ClientToImage(client) - m_pressImage;
    const int dx = int(std::lround(d.x()));
    const int dy = int(std::lround(d.y()));
    IERect r = m_startGeometry;
    if (m_drag == Drag::MoveLayer) {
        layer.OffsetX = r.left + dx;
        layer.OffsetY = r.top + dy;
        m_hint = QStringLiteral("X=%1 Y=%2").arg(layer.OffsetX).arg(layer.OffsetY);
    } else {
        const int g = m_dragGrip;
        if (gripOnLeft(g))
            r.left = std::min(r.left + dx, r.right - 1);
        if (gripOnRight(g))
            r.right = std::max(r.right + dx, r.left + 1);
        if (gripOnTop(g))
            r.top = std::min(r.top + dy, r.bottom - 1);
        if (gripOnBottom(g))
            r.bottom = std::max(r.bottom + dy, r.top + 1);
        const int bw = layer.Bitmap.Width();
        const int bh = layer.Bitmap.Height();
        if (keepProportion && (gripOnLeft(g) || gripOnRight(g)) && bw > 0 && bh > 0) {
            const int h = std::max(1, int(std::trunc(double(bh) / bw * (r.right - r.left))));
            if (gripOnTop(g))
                r.top = r.bottom - h;
            else
                r.bottom = r.top + h;
        }
        layer.OffsetX = r.left;
        layer.OffsetY = r.top;
        layer.DisplayWidth = r.right - r.left;
        layer.DisplayHeight = r.bottom - r.top;
        m_hint = QStringLiteral("%1 x %2").arg(layer.DisplayWidth).arg(layer.DisplayHeight);
    }
    // Only what the layer covered before and covers now needs painting, not the whole view.
    updateGeometry();
    viewport()->update(before | layerDecorationRect(current));
    emit layerGeometryChanged(current);
}

void TImgVect::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_view)
        return;
    const QPoint pos = event->position().toPoint();
    const QRect oldHint = m_hint.isEmpty() ? QRect() : QRect(m_pointer, kHintArea);
    m_pointer = pos;
    if (!(event->buttons() & Qt::LeftButton) || m_drag == Drag::None) {
        updateCursor(pos);
        return;
    }
    switch (m_drag) {
    case Drag::MoveLayer:
    case Drag::ResizeLayer: {
        // The extent may grow while a layer is dragged out of it: the scroll range follows.
        int ew0 = 0;
        int eh0 = 0;
        m_view->ViewExtent(ew0, eh0);
        dragLayer(event->position(), event->modifiers() & Qt::AltModifier);
        int ew1 = 0;
        int eh1 = 0;
        m_view->ViewExtent(ew1, eh1);
        if (ew0 != ew1 || eh0 != eh1)
            viewport()->update();
        break;
    }
    case Drag::NewSelection:
    case Drag::MoveSelection:
    case Drag::SizeSelection:
        dragSelection(event->position());
        break;
    default:
        break;
    }
    if (!oldHint.isNull())
        viewport()->update(oldHint);
    if (!m_hint.isEmpty())
        viewport()->update(QRect(m_pointer, kHintArea));
}

void TImgVect::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_view || event->button() != Qt::LeftButton)
        return;
    const Drag drag = m_drag;
    m_drag = Drag::None;
    if (!m_hint.isEmpty()) {
        m_hint.clear();
        viewport()->update();
    }
    if (drag == Drag::NewSelection || drag == Drag::MoveSelection || drag == Drag::SizeSelection) {
        commitSelection();
        emit selectionChanged();
    }
    updateCursor(event->position().toPoint());
}

// --- Selection ------------------------------------------------------------------------------

QRectF TImgVect::selectionClientRect() const
{
    if (!m_view)
        return {};
    if (m_drag == Drag::NewSelection || m_drag == Drag::MoveSelection
        || m_drag == Drag::SizeSelection)
        return QRectF(ImageToClient(m_selImage.topLeft()), ImageToClient(m_selImage.bottomRight()));
    if (!m_view->HasSelection())
        return {};
    const IERect r = m_view->SelectionRect();
    return BitmapRectToClient(QRect(QPoint(r.left, r.top), QPoint(r.right, r.bottom)));
}

int TImgVect::selectionGripAt(const QPoint& client) const
{
    const QRectF r = selectionClientRect();
    if (r.isEmpty())
        return -1;
    const IERect ir = toIERect(r.toAlignedRect());
    for (int g = 0; g < 8; ++g) {
        if (GripRect(ir, g).contains(client))
            return g;
    }
    return -1;
}

void TImgVect::dragSelection(const QPointF& client)
{
    const QRect before = selectionClientRect().toAlignedRect();
    const QPointF p = ClientToImage(client);
    const QPointF d = p - m_pressImage;
    if (m_drag == Drag::NewSelection) {
        m_selImage = QRectF(m_pressImage, p).normalized();
    } else if (m_drag == Drag::MoveSelection) {
        m_selImage = m_selStart.translated(d);
    } else {
        QRectF r = m_selStart;
        const int g = m_dragGrip;
        if (gripOnLeft(g))
            r.setLeft(std::min(r.left() + d.x(), r.right() - 1));
        if (gripOnRight(g))
            r.setRight(std::max(r.right() + d.x(), r.left() + 1));
        if (gripOnTop(g))
            r.setTop(std::min(r.top() + d.y(), r.bottom() - 1));
        if (gripOnBottom(g))
            r.setBottom(std::max(r.bottom() + d.y(), r.top() + 1));
        m_selImage = r;
    }
    if (m_selectionOptions & iesoMarkOuter)
        viewport()->update();
    else
        viewport()->update((before | selectionClientRect().toAlignedRect()).adjusted(-8, -8, 8, 8));
}

void TImgVect::commitSelection()
{
    const QRectF c(ImageToClient(m_selImage.topLeft()), ImageToClient(m_selImage.bottomRight()));
    if (c.width() < 1 || c.height() < 1) {
        m_view->Deselect();
    } else {
        // The rectangle is kept in image pixels while edited; the selection itself is in pixels
        // of the current raster.
        const TIELayer& layer = m_view->LayerAt(m_view->CurrentLayer());
        const int bw = layer.Bitmap.Width();
        const int bh = layer.Bitmap.Height();
        const double sx = double(bw) / std::max(1, layer.EffectiveWidth());
        const double sy = double(bh) / std::max(1, layer.EffectiveHeight());
        const int left = std::max(0, int(std::lround((m_selImage.left() - layer.OffsetX) * sx)));
        const int top = std::max(0, int(std::lround((m_selImage.top() - layer.OffsetY) * sy)));
        const int right = std::min(bw, int(std::lround((m_selImage.right() - layer.OffsetX) * sx)));
        const int bottom
            = std::min(bh, int(std::lround((m_selImage.bottom() - layer.OffsetY) * sy)));
        if (right > left && bottom > top)
            m_view->SelectRect(left, top, right - 1, bottom - 1);
        else
            m_view->Deselect();
    }
    viewport()->update();
}

void TImgVect::paintSelection(QPainter& p)
{
    const QRectF r = selectionClientRect();
    if (r.isEmpty())
        return;
    const QRect vr = viewport()->rect();
    const QRect s = r.toAlignedRect();
    if (m_selectionOptions & iesoMarkOuter) {
        const QColor shade(0, 0, 0, 110);
        QRegion outside = QRegion(vr) - QRegion(s);
        for (const QRect& part : outside)
            p.fillRect(part, shade);
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, 1));
    p.drawRect(s.adjusted(0, 0, -1, -1));
    QPen dash(Qt::black, 1, Qt::CustomDashLine);
    dash.setDashPattern({ 4, 4 });
    dash.setDashOffset(m_antsOffset);
    p.setPen(dash);
    p.drawRect(s.adjusted(0, 0, -1, -1));
    if ((m_interaction & miSelect) && (m_selectionOptions & iesoSizeable)) {
        const IERect ir = toIERect(s);
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::white);
        for (int g = 0; g < 8; ++g) {
            const QPoint c = GripRect(ir, g).center();
            p.drawRect(QRect(c.x() - 3, c.y() - 3, 6, 6));
        }
    }
}

void TImgVect::paintHint(QPainter& p)
{
    if (m_hint.isEmpty())
        return;
    const QFontMetrics fm(font());
    QRect box = fm.boundingRect(m_hint).adjusted(-4, -2, 4, 2);
    box.moveTopLeft(m_pointer + QPoint(kHintGap, kHintGap));
    p.setPen(QColor(0, 0, 0));
    p.setBrush(QColor(255, 255, 225));
    p.drawRect(box);
    p.drawText(box, Qt::AlignCenter, m_hint);
}

// --- Paint ----------------------------------------------------------------------------------

void TImgVect::paintEvent(QPaintEvent* event)
{
    QPainter p(viewport());
    if (!m_view) {
        p.fillRect(event->rect(), palette().base());
        return;
    }
    m_view->UpdateScreenRects();
    // One render of the exposed bounding rectangle: the model's cost follows the area.
    const QRect r = event->rect() & viewport()->rect();
    if (!r.isEmpty()) {
        m_view->RenderView(m_frame, r.x(), r.y(), r.width(), r.height());
        const QImage image = PlatformBitmap(m_frame);
        if (!image.isNull())
            p.drawImage(r.topLeft(), image);
    }
    p.setClipRect(r);

    const int current = m_view->CurrentLayer();
    const TIELayer& layer = m_view->LayerAt(current);
    if (layer.ShowBox) {
        if (outlineShown() && OnDrawLayerBox)
            OnDrawLayerBox(*this, p, current);
        if (gripsShown() && OnDrawLayerGrip) {
            for (int g = 0; g < 9; ++g)
                OnDrawLayerGrip(*this, p, current, g, GripRect(layer.ScreenRect, g));
        }
    }
    paintSelection(p);
    paintHint(p);
}

// --- Context menu, drag and drop ------------------------------------------------------------

void TImgVect::contextMenuEvent(QContextMenuEvent* event)
{
    if (OnContextPopup) {
        OnContextPopup(event->globalPos());
        event->accept();
    }
}

void TImgVect::dragEnterEvent(QDragEnterEvent* event)
{
    if (OnDragOver && OnDragOver(event->source(), event->position().toPoint()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TImgVect::dragMoveEvent(QDragMoveEvent* event)
{
    if (OnDragOver && OnDragOver(event->source(), event->position().toPoint()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TImgVect::dropEvent(QDropEvent* event)
{
    if (!(OnDragOver && OnDragOver(event->source(), event->position().toPoint()))) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    if (OnDragDrop)
        OnDragDrop(event->source(), event->position().toPoint());
}

} // namespace borderlux
