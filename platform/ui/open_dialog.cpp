#include "platform/ui/open_dialog.h"

#include "document/ie_bitmap_qimage.h"
#include "platform/image_io/image_io.h"
#include "platform/ui/picture_filters.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QImageReader>
#include <QLabel>
#include <QVBoxLayout>

namespace borderlux {

namespace {

constexpr int kPreviewSize = 200;

constexpr PictureFormatGroup kFormats[] = {
    { "JPEG", "*.jpg *.jpeg *.jpe *.jfif" },
    { "PNG", "*.png" },
    { "Bitmap", "*.bmp *.dib" },
    { "TIFF", "*.tif *.tiff" },
    { "GIF", "*.gif" },
    { "Portable any-map", "*.pbm *.pgm *.ppm *.pxm" },
    { "Targa", "*.tga" },
    { "PCX", "*.pcx" },
    { "Icon", "*.ico *.cur" },
    { "WBMP", "*.wbmp" },
    { "WebP", "*.webp" },
};

} // namespace

QStringList OpenPictureDialog::Filters()
{
    return PictureFilters(kFormats, &IsAcceptedReadExtension);
}

OpenPictureDialog::OpenPictureDialog(QWidget* parent)
    : QFileDialog(parent)
{
    setObjectName(QStringLiteral("OpenPictureDialog"));
    setOption(QFileDialog::DontUseNativeDialog, true);
    setFileMode(QFileDialog::ExistingFile);
    setAcceptMode(QFileDialog::AcceptOpen);
    setNameFilters(Filters());
    selectNameFilter(Filters().constFirst());

    auto* pane = new QWidget(this);
    auto* paneLayout = new QVBoxLayout(pane);
    paneLayout->setContentsMargins(6, 0, 0, 0);
    m_preview = new QLabel(pane);
    m_preview->setObjectName(QStringLiteral("Preview"));
    m_preview->setFixedSize(kPreviewSize, kPreviewSize);
    m_preview->setAlignment(Qt::AlignCenter);
    m_preview->setFrameShape(QFrame::StyledPanel);
    m_info = new QLabel(pane);
    m_info->setObjectName(QStringLiteral("PreviewInfo"));
    m_info->setAlignment(Qt::AlignHCenter);
    paneLayout->addWidget(m_preview);
    paneLayout->addWidget(m_info);
    paneLayout->addStretch(1);

    // Qt's own file dialog lays itself out in a grid; the pane becomes a column on its right.
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(pane, 0, grid->columnCount(), grid->rowCount(), 1);

    connect(this, &QFileDialog::currentChanged, this, &OpenPictureDialog::showPreview);
}

void OpenPictureDialog::showPreview(const QString& path)
{
    m_preview->clear();
    m_info->clear();
    QFileInfo info(path);
    if (!info.isFile())
        return;
    ReadOptions options;
    options.minWidth = kPreviewSize;
    options.minHeight = kPreviewSize;
    TIEBitmap bmp;
    if (!ReadImage(path.toStdString(), bmp, options) || bmp.IsEmpty())
        return;
    const QImage image = ToQImage(bmp);
    m_preview->setPixmap(QPixmap::fromImage(image.scaled(
        kPreviewSize - 4, kPreviewSize - 4, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    // A JPEG is decoded at a reduced scale for the pane, so the pixel size comes from the
    // file's header instead of the decoded raster.
    const QSize size = QImageReader(path).size();
    const QString kb = QStringLiteral("%1 KB").arg((info.size() + 1023) / 1024);
    m_info->setText(size.isValid()
            ? QStringLiteral("%1 x %2, %3").arg(size.width()).arg(size.height()).arg(kb)
            : kb);
}

QString GetOpenPictureFileName(QWidget* parent)
{
    OpenPictureDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.constFirst();
}

} // namespace borderlux
