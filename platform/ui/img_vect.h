#pragma once

// TImgVect: the main image view widget. It shows a TIELayerView (not owned) at the model's
// zoom, scrolls it, and lets the user work on it with the mouse according to the mouse
// interaction:
//
// - none: the mouse does nothing to the document;
// - miMoveLayers: a click makes the topmost selectable, visible, non-transparent layer under
//   the pointer current (LayerAtPoint); dragging moves the current layer unless it is Locked;
// - miResizeLayers: the nine grips of the current layer (unless Locked) resize it; grip 8, the
//   centre, does nothing; Alt keeps the raster's proportion; no side below 1 pixel;
// - miSelect: a rectangle selection drawn with the mouse, moveable and sizeable when the
//   selection options say so.
//
// Coordinates: client pixels are the viewport's; image pixels those of the model's canvas.
// When the zoomed image is smaller than the viewport it is centred (the model's view origin
// then is negative).
//
// Painting renders only the exposed part of the viewport through the model's row renderer, so
// its cost follows the visible area, never the photo's full size. Every paint updates every
// layer's ScreenRect.

#include "document/layer_view.h"
#include "platform/ui/mouse_interaction.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QTimer>

#include <functional>

class QPainter;

namespace borderlux {

class TImgVect : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TImgVect(QWidget* parent = nullptr);
    ~TImgVect() override;

    /// The model shown; the widget takes over its OnChange hook. Null shows only the background.
    void SetLayerView(TIELayerView* view);
    TIELayerView* LayerView() const { return m_view; }

    // --- Zoom -----------------------------------------------------------------------------

    /// Zoom in percent; values <= 0 are refused (nothing changes). Keeps the fitting flag.
    double Zoom() const;
    void SetZoom(double percent);
    /// When on, the view refits on every resize.
    bool AutoFit() const { return m_autoFit; }
    void SetAutoFit(bool on);
    /// The zoom at which the whole image is shown as large as the viewport allows.
    double FitZoom() const;
    /// SetZoom(FitZoom()).
    void Fit();

    // --- Conversions ----------------------------------------------------------------------

    QPointF ClientToImage(const QPointF& client) const;
    QPointF ImageToClient(const QPointF& image) const;
    /// A client rectangle in pixels of the current layer's raster (through the layer's offset
    /// and displayed size), cut to the raster; empty when it misses the raster.
    QRect ClientRectToBitmap(const QRect& client) const;
    /// A rectangle of the current raster's pixels (right, bottom inclusive) in client pixels.
    QRectF BitmapRectToClient(const QRect& bitmapRect) const;

    // --- Mouse interaction ----------------------------------------------------------------

    TMouseInteraction MouseInteraction() const { return m_interaction; }
    void SetMouseInteraction(TMouseInteraction interaction);
    TIESelectionOptions SelectionOptions() const { return m_selectionOptions; }
    void SetSelectionOptions(TIESelectionOptions options);

    /// Selects the client rectangle, converted to pixels of the current raster.
    void SelectClientRect(const QRect& client);

    /// Grip i (0..8) of a client rectangle (right, bottom exclusive): an 11 x 11 square centred
    /// on the grip's point.
    static QRect GripRect(const IERect& screenRect, int grip);
    /// The grip of the current layer under a client point, or -1 (also when grips are off).
    int GripAt(const QPoint& client) const;

    /// The hint shown next to the pointer while moving ("X=.. Y=..") or resizing ("W x H");
    /// empty otherwise.
    QString Hint() const { return m_hint; }

    // --- Hooks ----------------------------------------------------------------------------

    /// Draws the outline of a layer; default: nothing drawn.
    std::function<void(TImgVect& view, QPainter& canvas, int layer)> OnDrawLayerBox;
    /// Draws grip `grip` of a layer in `rect`; default: nothing drawn.
    std::function<void(TImgVect& view, QPainter& canvas, int layer, int grip, const QRect& rect)>
        OnDrawLayerGrip;
    /// Whether a drag from `source` may be dropped here; default: refuse.
    std::function<bool(QObject* source, const QPoint& pos)> OnDragOver;
    /// A drop from `source` that OnDragOver accepted.
    std::function<void(QObject* source, const QPoint& pos)> OnDragDrop;
    /// The context menu is asked for at a global position.
    std::function<void(const QPoint& globalPos)> OnContextPopup;

signals:
    /// The zoom changed (by SetZoom, Fit or a refit on resize).
    void zoomChanged(double percent);
    /// A layer was moved or resized with the mouse (after the change).
    void layerGeometryChanged(int layer);
    /// A click made another layer current.
    void currentLayerChanged(int layer);
    /// The selection was drawn, moved or sized with the mouse (on release).
    void selectionChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    enum class Drag {
        None,
        Inert,
        MoveLayer,
        ResizeLayer,
        NewSelection,
        MoveSelection,
        SizeSelection
    };

    void modelChanged();
    void updateGeometry();
    void updateCursor(const QPoint& client);
    bool gripsShown() const;
    bool outlineShown() const;
    QRect layerDecorationRect(int layer) const;
    void dragLayer(const QPointF& client, bool keepProportion);
    void dragSelection(const QPointF& client);
    QRectF selectionClientRect() const;
    int selectionGripAt(const QPoint& client) const;
    void commitSelection();
    void paintSelection(QPainter& p);
    void paintHint(QPainter& p);

    TIELayerView* m_view = nullptr;
    bool m_autoFit = false;
    bool m_updatingGeometry = false;
    TMouseInteraction m_interaction = kMouseNone;
    TIESelectionOptions m_selectionOptions = 0;

    TIEBitmap m_frame; ///< the exposed part, rendered by the model

    Drag m_drag = Drag::None;
    int m_dragGrip = -1;
    QPointF m_pressImage; ///< image point under the pointer when the drag started
    QPoint m_pointer; ///< last pointer position (client)
    IERect
        m_startGeometry; ///< layer rectangle in image pixels at the start (right, bottom exclusive)
    QRectF m_selImage; ///< selection in image pixels while it is edited (right, bottom exclusive)
    QRectF m_selStart;
    QString m_hint;
    QTimer m_antsTimer;
    int m_antsOffset = 0;
};

} // namespace borderlux
