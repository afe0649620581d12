#include "library/ui/img_m_view.h"

#include "library/ui/thumbnail_loader.h"

#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QRunnable>
#include <QScrollBar>
#include <QThreadPool>
#include <QUrl>
#include <QVariantAnimation>

#include <algorithm>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <cstdlib>
#include <functional>

namespace borderlux {

namespace {

// Room around the picture of a cell: the selection frame, then the item's background box.
constexpr int kCellMarginY = 6;
constexpr int kFrameInset = 4;
constexpr int kPicturePadding = 2;
constexpr int kDragThreshold = 5;
// Two decoding threads, and one job waiting so that a thread never idles while a result
// travels back to the GUI thread.
constexpr int kDecodeThreads = 2;
constexpr int kMaxInFlight = kDecodeThreads + 1;

class ThumbnailJob : public QRunnable {
public:
    ThumbnailJob(TImgMView* grid, std::shared_ptr<std::atomic<uint64_t>> generation,
        uint64_t myGeneration, uint64_t id, QString path, QSize box,
        std::function<void(uint64_t, uint64_t, QImage)> deliver)
        : m_generation(std::move(generation))
        , m_myGeneration(myGeneration)
        , m_id(id)
        , m_path(std::move(path))
        , m_box(box)
        , m_grid(grid)
        , m_deliver(std::move(deliver))
    {
    }
    void run() override
    {
        QImage image;
        // The grid was cleared since this job was queued: skip the decode.
        if (m_generation->load() == m_myGeneration)
            image = LoadThumbnail(m_path, m_box.width(), m_box.height());
        // The grid waits for its pool before it goes away, so it is alive here; a queued
        // call delivers on the GUI thread.
        QMetaObject::invokeMethod(
            m_grid,
            [deliver = m_deliver, g = m_myGeneration, id = m_id, image]() {
                deliver(g, id, image);
            },
            Qt::QueuedConnection);
    }

private:
    std::shared_ptr<std::atomic<uint64_t>> m_generation;
    uint64_t m_myGeneration;
    uint64_t m_id;
    QString m_path;
    QSize m_box;
    TImgMView* m_grid;
    std::function<void(uint64_t, uint64_t, QImage)> m_deliver;
};

} // namespace

int ColumnCountFor(int width, int thumbWidth)
{
    if (thumbWidth < 1 || width < 0)
        return 0;
    return width / thumbWidth;
}

TImgMView::TImgMView(QWidget* parent)
    : QAbstractScrollArea(parent)
    , m_pool(new QThreadPool(this))
    , m_generation(std::make_shared<std::atomic<uint64_t>>(1))
    , m_fade(new QVariantAnimation(this))
{
    m_pool->setMaxThreadCount(kDecodeThreads);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    m_fade->setStartValue(0.0);
    m_fade->setEndValue(1.0);
    connect(m_fade, &QVariantAnimation::valueChanged, viewport(), qOverload<>(&QWidget::update));
    connect(m_fade, &QVariantAnimation::finished, this, [this] {
        m_fadeFrom = QPixmap();
        viewport()->update();
    });
}

TImgMView::~TImgMView()
{
    m_generation->fetch_add(1);
    m_pool->clear();
    m_pool->waitForDone();
}

int TImgMView::appendImage(const QString& path, const QColor& background)
{
    m_items.push_back(Item { m_nextId++, path, background, {}, false });
    if (!isPaintLocked()) {
        updateScrollBars();
        viewport()->update();
    }
    return imageCount() - 1;
}

void TImgMView::deleteImage(int index)
{
    if (index < 0 || index >= imageCount())
        return;
    m_items.erase(m_items.begin() + index);
    if (m_selected > index)
        --m_selected;
    else if (m_selected == index)
        m_selected = std::min(index, imageCount() - 1);
    updateScrollBars();
    viewport()->update();
    loadVisibleThumbnails();
}

void TImgMView::clear()
{
    if (m_transitionMs > 0 && !m_items.empty() && viewport()->isVisible()) {
        // Snapshot before the items go, so the old grid can fade out over the new one.
        m_fade->stop();
        m_grabbing = true;
        m_fadeFrom = viewport()->grab();
        m_grabbing = false;
        m_fadePending = true;
    }
    m_generation->fetch_add(1);
    m_items.clear();
    m_selected = -1;
    verticalScrollBar()->setValue(0);
    updateScrollBars();
    if (!isPaintLocked())
        startTransition();
    viewport()->update();
}

QString TImgMView::imageFileName(int index) const
{
    return index >= 0 && index < imageCount() ? m_items[size_t(index)].path : QString();
}

QColor TImgMView::imageBackground(int index) const
{
    return index >= 0 && index < imageCount() ? m_items[size_t(index)].background : QColor();
}

void TImgMView::setSelectedImage(int index)
{
    if (index < -1 || index >= imageCount())
        return;
    m_selected = index;
    if (index >= 0)
        ensureVisible(index);
    viewport()->update();
}

int TImgMView::imageAt(const QPoint& pos) const
{
    if (pos.x() < 0 || pos.y() < 0 || pos.x() >= viewport()->width())
        return -1;
    const int col = pos.x() / cellWidth();
    if (col >= columns())
        return -1;
    const int row = (pos.y() + verticalScrollBar()->value()) / cellHeight();
    const int index = row * columns() + col;
    return index < imageCount() ? index : -1;
}

void TImgMView::setGridWidth(int columns)
{
    if (columns == m_columns)
        return;
    m_columns = columns;
    updateScrollBars();
    viewport()->update();
}

void TImgMView::setThumbSize(int width, int height)
{
    m_thumbWidth = std::max(1, width);
    m_thumbHeight = std::max(1, height);
    m_generation->fetch_add(1);
    for (Item& item : m_items) {
        item.thumb = QImage();
        item.requested = false;
    }
    updateScrollBars();
    viewport()->update();
}

int TImgMView::columns() const
{
    return std::max(1, m_columns);
}

int TImgMView::cellWidth() const
{
    return std::max(1, viewport()->width() / columns());
}

int TImgMView::cellHeight() const
{
    return m_thumbHeight + 2 * kCellMarginY;
}

QRect TImgMView::cellRect(int index) const
{
    const int row = index / columns(), col = index % columns();
    return { col * cellWidth(), row * cellHeight() - verticalScrollBar()->value(), cellWidth(),
        cellHeight() };
}

void TImgMView::ensureVisible(int index)
{
    if (index < 0 || index >= imageCount())
        return;
    const int top = (index / columns()) * cellHeight();
    QScrollBar* bar = verticalScrollBar();
    if (top < bar->value())
        bar->setValue(top);
    else if (top + cellHeight() > bar->value() + viewport()->height())
        bar->setValue(top + cellHeight() - viewport()->height());
}

void TImgMView::updateScrollBars()
{
    const int rows = (imageCount() + columns() - 1) / columns();
    const int content = rows * cellHeight();
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, std::max(0, content - viewport()->height()));
    bar->setPageStep(std::max(1, viewport()->height()));
    bar->setSingleStep(std::max(1, cellHeight() / 4));
}

void TImgMView::lockPaint()
{
    ++m_paintLock;
}

void TImgMView::unlockPaint()
{
    if (m_paintLock == 0)
        return;
    if (--m_paintLock == 0) {
        updateScrollBars();
        startTransition();
        viewport()->update();
    }
}

void TImgMView::startTransition()
{
    if (!m_fadePending)
        return;
    m_fadePending = false;
    m_fade->stop();
    m_fade->setDuration(std::max(1, m_transitionMs));
    m_fade->start();
}

bool TImgMView::hasThumbnail(int index) const
{
    return index >= 0 && index < imageCount() && !m_items[size_t(index)].thumb.isNull();
}

QImage TImgMView::thumbnail(int index) const
{
    return hasThumbnail(index) ? m_items[size_t(index)].thumb : QImage();
}

int64_t TImgMView::thumbnailBytes() const
{
    int64_t total = 0;
    for (const Item& item : m_items)
        total += item.thumb.sizeInBytes();
    return total;
}

int TImgMView::indexOfId(uint64_t id) const
{
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].id == id)
            return int(i);
    return -1;
}

void TImgMView::loadVisibleThumbnails()
{
    if (isPaintLocked() || m_grabbing || !viewport()->isVisible() || m_items.empty())
        return;
    const int scroll = verticalScrollBar()->value();
    const int firstRow = scroll / cellHeight();
    // One row beyond the last visible one, so that scrolling on by a row finds it ready.
    const int lastRow = (scroll + viewport()->height() - 1) / cellHeight() + 1;
    const int first = firstRow * columns();
    const int last = std::min(imageCount() - 1, (lastRow + 1) * columns() - 1);
    const uint64_t generation = m_generation->load();
    for (int i = first; i <= last && m_inFlight < kMaxInFlight; ++i) {
        Item& item = m_items[size_t(i)];
        if (item.requested)
            continue;
        item.requested = true;
        ++m_inFlight;
        auto deliver
            = [this](uint64_t g, uint64_t id, const QImage& image) { thumbnailDone(g, id, image); };
        m_pool->start(new ThumbnailJob(this, m_generation, generation, item.id, item.path,
            QSize(m_thumbWidth, m_thumbHeight), deliver));
    }
}

void TImgMView::thumbnailDone(uint64_t generation, uint64_t id, const QImage& image)
{
    --m_inFlight;
    const int index = generation == m_generation->load() ? indexOfId(id) : -1;
    if (index >= 0) {
        if (image.isNull()) {
            const QString path = m_items[size_t(index)].path;
            deleteImage(index);
            Q_EMIT thumbnailFailed(path);
        } else {
            m_items[size_t(index)].thumb = image;
            viewport()->update(cellRect(index));
            Q_EMIT thumbnailLoaded(index);
        }
    }
    loadVisibleThumbnails();
#ifdef __GLIBC__
    // The decoders' file buffers stay cached in the allocator between thumbnails, which saves
    // the page faults of a fresh buffer per photo; once nothing is left to decode, hand that
    // memory back so that the grid holds no more than its thumbnails.
    if (m_inFlight == 0)
        malloc_trim(0);
#endif
}

void TImgMView::paintEvent(QPaintEvent* event)
{
    QPainter p(viewport());
    if (isPaintLocked()) {
        // Painting is suspended: keep showing what was there before.
        p.fillRect(event->rect(), m_background);
        if (!m_fadeFrom.isNull())
            p.drawPixmap(0, 0, m_fadeFrom);
        return;
    }
    p.fillRect(event->rect(), m_background);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!m_items.empty()) {
        const int scroll = verticalScrollBar()->value();
        const int firstRow = std::max(0, (scroll + event->rect().top()) / cellHeight());
        const int lastRow = (scroll + event->rect().bottom()) / cellHeight();
        for (int row = firstRow; row <= lastRow; ++row) {
            for (int col = 0; col < columns(); ++col) {
                const int index = row * columns() + col;
                if (index >= imageCount())
                    break;
                const Item& item = m_items[size_t(index)];
                const QRect cell = cellRect(index);
                const QRect box
                    = cell.adjusted(kFrameInset, kFrameInset, -kFrameInset, -kFrameInset);
                p.fillRect(box, item.background);
                if (!item.thumb.isNull()) {
                    const QRect area = box.adjusted(
                        kPicturePadding, kPicturePadding, -kPicturePadding, -kPicturePadding);
                    const QSize size = FitShrinkOnly(
                        item.thumb.width(), item.thumb.height(), area.width(), area.height());
                    const QRect target(area.x() + (area.width() - size.width()) / 2,
                        area.y() + (area.height() - size.height()) / 2, size.width(),
                        size.height());
                    p.drawImage(target, item.thumb);
                }
                p.setPen(m_borderColor);
                p.setBrush(Qt::NoBrush);
                p.drawRect(box.adjusted(0, 0, -1, -1));
                if (index == m_selected && m_selectionWidth > 0) {
                    const int w = m_selectionWidth;
                    QPen pen(m_selectionColor, w);
                    pen.setJoinStyle(Qt::MiterJoin);
                    p.setPen(pen);
                    // The pen straddles its path: inset by half the width so the whole frame
                    // lies inside the cell.
                    p.drawRect(QRectF(cell).adjusted(w / 2.0, w / 2.0, -w / 2.0, -w / 2.0));
                }
            }
        }
    }
    if (!m_fadeFrom.isNull() && m_fade->state() == QAbstractAnimation::Running) {
        p.setOpacity(1.0 - m_fade->currentValue().toDouble());
        p.drawPixmap(0, 0, m_fadeFrom);
    }
    p.end();
    loadVisibleThumbnails();
}

void TImgMView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void TImgMView::scrollContentsBy(int, int)
{
    viewport()->update();
}

void TImgMView::userSelect(int index)
{
    if (index < 0 || index >= imageCount())
        return;
    m_selected = index;
    ensureVisible(index);
    viewport()->update();
    Q_EMIT ImageSelect(index);
}

void TImgMView::mousePressEvent(QMouseEvent* event)
{
    const int index = imageAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton) {
        if (index >= 0)
            userSelect(index);
    }
    // ImgMViewMainMouseDown: the left button arms a drag that starts once the pointer has
    // moved far enough, so a plain click stays a click.
    m_dragArmed = event->button() == Qt::LeftButton && index >= 0;
    m_pressPos = event->position().toPoint();
    event->accept();
}

void TImgMView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragArmed || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint d = event->position().toPoint() - m_pressPos;
    if (std::abs(d.x()) >= kDragThreshold || std::abs(d.y()) >= kDragThreshold) {
        m_dragArmed = false;
        startDrag();
    }
}

void TImgMView::mouseReleaseEvent(QMouseEvent*)
{
    m_dragArmed = false;
}

void TImgMView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int index = imageAt(event->position().toPoint());
    if (index >= 0)
        Q_EMIT ImageDblClick(index);
}

void TImgMView::wheelEvent(QWheelEvent* event)
{
    // Each wheel notch moves the selection by one item; touchpads deliver fractions of a
    // notch, which are collected until a whole one is reached.
    m_wheelAccumulator += event->angleDelta().y();
    int steps = m_wheelAccumulator / 120;
    m_wheelAccumulator -= steps * 120;
    event->accept();
    if (steps == 0 || m_items.empty())
        return;
    const int from = m_selected < 0 ? (steps < 0 ? -1 : 0) : m_selected;
    const int to = std::clamp(from - steps, 0, imageCount() - 1);
    if (to != m_selected)
        userSelect(to);
}

void TImgMView::contextMenuEvent(QContextMenuEvent* event)
{
    Q_EMIT contextMenuRequested(event->globalPos());
    event->accept();
}

void TImgMView::startDrag()
{
    const int index = m_selected;
    if (index < 0)
        return;
    Q_EMIT dragStarting(index);
    auto* drag = new QDrag(this);
    drag->setMimeData(thumbnailMimeData(imageFileName(index)));
    const QImage thumb = thumbnail(index);
    if (!thumb.isNull()) {
        drag->setPixmap(QPixmap::fromImage(
            thumb.scaled(thumb.size() / 2, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    }
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

QMimeData* TImgMView::thumbnailMimeData(const QString& path)
{
    auto* mime = new QMimeData;
    mime->setData(QLatin1String(ThumbnailMimeType), path.toUtf8());
    mime->setUrls({ QUrl::fromLocalFile(path) });
    return mime;
}

bool TImgMView::isThumbnailDrag(const QMimeData* mime)
{
    return mime && mime->hasFormat(QLatin1String(ThumbnailMimeType));
}

// ImgMViewMainDragOver: every drag is welcome over the grid, but a drop changes nothing.
void TImgMView::dragEnterEvent(QDragEnterEvent* event)
{
    event->acceptProposedAction();
}

void TImgMView::dragMoveEvent(QDragMoveEvent* event)
{
    event->acceptProposedAction();
}

void TImgMView::dropEvent(QDropEvent* event)
{
    event->acceptProposedAction();
}

} // namespace borderlux
