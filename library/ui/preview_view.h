#pragma once

// The preview view of the library panel (ImgViewPreView): the picture last read into it, held
// at full size and shown fitted into the view, reduced but never enlarged, centred on white
// with a diagonal-line pattern wherever no picture is drawn.

#include "document/ie_bitmap.h"

#include <QImage>
#include <QString>
#include <QWidget>

namespace borderlux {

class TImgViewPreview : public QWidget {
    Q_OBJECT
public:
    explicit TImgViewPreview(QWidget* parent = nullptr);

    /// Reads path at full size. On success the picture (with its alpha plane, if any) and
    /// fileName() are replaced; on failure, or for an empty path, both stay as they were.
    bool readFile(const QString& path);
    /// Empties the view: no picture, no file name.
    void clear();

    /// The full-size picture last read (0 x 0 when none). Apply takes colour-key frames and
    /// stamps from here. Call refresh() after changing it through this reference.
    TIEBitmap& IEBitmap() { return m_bitmap; }
    const TIEBitmap& IEBitmap() const { return m_bitmap; }
    /// The path the picture was read from; empty when none.
    const QString& fileName() const { return m_fileName; }
    /// Rebuilds the shown copy from IEBitmap() and repaints.
    void refresh();

    QSize sizeHint() const override { return { 110, 120 }; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    TIEBitmap m_bitmap;
    QString m_fileName;
    QImage m_shown;
};

} // namespace borderlux
