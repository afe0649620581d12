#pragma once

// TImgMView: the thumbnail grid of the library panel.
//
// An ordered list of items, each the full path of an image file plus a background colour, shown
// as a grid of reduced copies with vertical scrolling. The grid keeps only the reduced copies
// (at most thumbWidth x thumbHeight each, 100 x 80 by default), never the images.
//
// Loading: a thumbnail is made when its item first needs drawing (the visible rows and one row
// ahead), by a private pool of at most two worker threads; results come back to the GUI thread
// by queued calls. An item whose file cannot be read is removed from the grid when its
// thumbnail fails. Nothing is decoded while the grid is hidden or its painting is locked.
//
// Events: ImageSelect only for selections the user makes with the mouse (a click or the wheel);
// setSelectedImage never emits it. A double-click on an item emits ImageDblClick. A left-button
// drag that moves 5 pixels starts a QDrag carrying ThumbnailMimeType (the UTF-8 path of the
// selected item) and text/uri-list, with the grid as the drag source. The grid accepts every
// drag over itself; a drop on it does nothing.
//
// Indexes are 0-based; -1 means "none". Functions taking an index ignore one out of range.

#include <QAbstractScrollArea>
#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class QMimeData;
class QThreadPool;
class QVariantAnimation;

namespace borderlux {

/// How the grid stores its images: ietThumb keeps reduced copies only.
enum TIEStoreType { ietThumb };

/// Mime type of a drag started from the thumbnail grid; its data is the UTF-8 full path of the
/// dragged (selected) item. The drag also carries the path as text/uri-list.
inline constexpr const char* ThumbnailMimeType = "application/x-borderlux-thumbnail";

/// The column rule of the library panel: Trunc(width / thumbWidth); 0 for a width below one
/// thumbnail (the grid then lays out one column).
int ColumnCountFor(int width, int thumbWidth);

class TImgMView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TImgMView(QWidget* parent = nullptr);
    /// Waits for decodes in flight (their results are dropped).
    ~TImgMView() override;

    // Items ------------------------------------------------------------------------------
    int imageCount() const { return int(m_items.size()); }
    /// Appends an item; returns its index.
    int appendImage(const QString& path, const QColor& background);
    /// Removes one item. A selection after it moves with its item; a removed selected item
    /// passes the selection to the item taking its place (or the new last one, or -1).
    void deleteImage(int index);
    /// Removes every item; selection -1. The old contents fade out (see setTransitionDuration).
    void clear();
    /// Full path of an item; empty out of range.
    QString imageFileName(int index) const;
    QColor imageBackground(int index) const;

    // Selection --------------------------------------------------------------------------
    int selectedImage() const { return m_selected; }
    /// Selects by program (-1 for none) and scrolls it into view; emits nothing.
    void setSelectedImage(int index);
    /// The index of the item at a point of the viewport; -1 where there is none.
    int imageAt(const QPoint& viewportPos) const;

    // Layout -----------------------------------------------------------------------------
    /// Columns of the grid; 0 or less lays out one column.
    void setGridWidth(int columns);
    int gridWidth() const { return m_columns; }
    void setThumbSize(int width, int height);
    int thumbWidth() const { return m_thumbWidth; }
    int thumbHeight() const { return m_thumbHeight; }
    void setStoreType(TIEStoreType type) { m_storeType = type; }
    TIEStoreType storeType() const { return m_storeType; }
    /// The rectangle an item occupies in the viewport (it may lie outside the visible part).
    QRect cellRect(int index) const;
    void ensureVisible(int index);

    /// Suspends repainting (counted); the viewport keeps showing what it showed before.
    void lockPaint();
    /// Ends one lockPaint; the last one repaints and plays the transition of a clear().
    void unlockPaint();
    bool isPaintLocked() const { return m_paintLock > 0; }

    // Colours and look (defaults: the library panel's) -----------------------------------
    void setBackgroundColor(const QColor& c)
    {
        m_background = c;
        viewport()->update();
    }
    void setThumbnailBorderColor(const QColor& c)
    {
        m_borderColor = c;
        viewport()->update();
    }
    void setSelectionColor(const QColor& c)
    {
        m_selectionColor = c;
        viewport()->update();
    }
    void setSelectionWidth(int px)
    {
        m_selectionWidth = px;
        viewport()->update();
    }
    /// Length of the fade-out of the old contents after clear(), in ms; 0 switches it off.
    void setTransitionDuration(int ms) { m_transitionMs = ms; }

    // Thumbnails -------------------------------------------------------------------------
    bool hasThumbnail(int index) const;
    /// The reduced copy of an item (null until loaded).
    QImage thumbnail(int index) const;
    /// Bytes held by all reduced copies.
    int64_t thumbnailBytes() const;
    /// Decodes submitted and not yet delivered.
    int decodesInFlight() const { return m_inFlight; }
    /// Starts decoding the items that need drawing now; paintEvent does this by itself.
    void loadVisibleThumbnails();

    /// True when a drag carries a thumbnail of a grid (for drop targets such as the main view).
    static bool isThumbnailDrag(const QMimeData* mime);
    /// The data a drag of the item at path carries: ThumbnailMimeType and text/uri-list. The
    /// caller owns it.
    static QMimeData* thumbnailMimeData(const QString& path);

Q_SIGNALS:
    /// The user selected an item with the mouse (click or wheel).
    void ImageSelect(int index);
    /// The user double-clicked an item (the library panel runs Apply).
    void ImageDblClick(int index);
    /// The context menu was asked for at a global position (after a right click selected the
    /// item under the pointer).
    void contextMenuRequested(const QPoint& globalPos);
    /// A drag of item index is about to start.
    void dragStarting(int index);
    /// A thumbnail arrived (index at the time it arrived).
    void thumbnailLoaded(int index);
    /// An item was removed because its file could not be read.
    void thumbnailFailed(const QString& path);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    struct Item {
        uint64_t id;
        QString path;
        QColor background;
        QImage thumb;
        bool requested = false;
    };

    int columns() const;
    int cellWidth() const;
    int cellHeight() const;
    int indexOfId(uint64_t id) const;
    void updateScrollBars();
    void userSelect(int index);
    void startDrag();
    void thumbnailDone(uint64_t generation, uint64_t id, const QImage& image);
    void startTransition();

    std::vector<Item> m_items;
    int m_selected = -1;
    int m_columns = 0;
    int m_thumbWidth = 100;
    int m_thumbHeight = 80;
    TIEStoreType m_storeType = ietThumb;
    int m_paintLock = 0;
    uint64_t m_nextId = 1;

    QColor m_background { 240, 251, 255 };
    QColor m_borderColor { 0, 128, 128 };
    QColor m_selectionColor { 255, 0, 0 };
    int m_selectionWidth = 4;

    // Decoding: a result belongs to the current contents only when its generation matches;
    // clear() moves the generation on, which also lets queued jobs skip their decode.
    QThreadPool* m_pool;
    std::shared_ptr<std::atomic<uint64_t>> m_generation;
    int m_inFlight = 0;

    // Fade-out of the old contents after clear().
    int m_transitionMs = 200;
    QPixmap m_fadeFrom;
    QVariantAnimation* m_fade;
    bool m_fadePending = false;
    bool m_grabbing = false; // painting into the fade snapshot: nothing to decode

    // Mouse: drag start and wheel steps.
    QPoint m_pressPos;
    bool m_dragArmed = false;
    int m_wheelAccumulator = 0;
};

} // namespace borderlux
