#include "library/ui/preview_view.h"

#include "library/ui/thumbnail_loader.h"
#include "platform/image_io/image_io.h"

#include <QPainter>
#include <QPainterPath>

namespace borderlux {

TImgViewPreview::TImgViewPreview(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The picture is handed to Apply, which works on it in memory.
    m_bitmap.SetPreferFileStorage(false);
}

bool TImgViewPreview::readFile(const QString& path)
{
    if (path.isEmpty())
        return false;
    TIEBitmap bmp;
    bmp.SetPreferFileStorage(false);
    if (!ReadImage(path.toStdString(), bmp) || bmp.IsEmpty())
        return false;
    m_bitmap = std::move(bmp);
    m_fileName = path;
    refresh();
    return true;
}

void TImgViewPreview::clear()
{
    m_bitmap.Clear();
    m_fileName.clear();
    refresh();
}

void TImgViewPreview::refresh()
{
    // Fit with shrink only: a picture smaller than the view keeps its size.
    m_shown = ReduceToFit(m_bitmap, width(), height());
    QWidget::update();
}

void TImgViewPreview::resizeEvent(QResizeEvent*)
{
    refresh();
}

void TImgViewPreview::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    QRect picture;
    if (!m_shown.isNull()) {
        picture = QRect(QPoint((width() - m_shown.width()) / 2, (height() - m_shown.height()) / 2),
            m_shown.size());
    }
    QPainterPath outside;
    outside.addRect(rect());
    if (!picture.isEmpty()) {
        QPainterPath inside;
        inside.addRect(picture);
        outside = outside.subtracted(inside);
    }
    p.fillPath(outside, QBrush(QColor(192, 192, 192), Qt::BDiagPattern));
    if (!picture.isEmpty())
        p.drawImage(picture.topLeft(), m_shown);
}

} // namespace borderlux
