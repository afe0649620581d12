// Formats of Qt's image plugins (GIF, TIFF, TGA, ICO/CUR, WBMP and whatever else is installed),
// and the PDF writer. Qt decodes into a QImage, which is then copied into the raster.

#include "document/ie_bitmap_qimage.h"
#include "platform/image_io/codecs.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <mutex>

namespace borderlux::imageio {

namespace {

QByteArray qtFormatFor(std::string_view ext)
{
    switch (FormatForExtension(ext)) {
    case ImageFormat::Tiff:
        return "tiff";
    case ImageFormat::Tga:
        return "tga";
    case ImageFormat::Jpeg2000:
        return "jp2";
    case ImageFormat::Ico:
        return ext == "cur" ? "cur" : "ico";
    default:
        return QByteArray(ext.data(), qsizetype(ext.size()));
    }
}

// A QImage of the raster for Qt's writers: a read-only view of the rows when there is nothing
// to keep of the alpha plane, else an ARGB copy.
QImage imageFor(const TIEBitmap& bmp, bool keepAlpha)
{
    if (keepAlpha && HasTransparency(bmp))
        return ToQImage(bmp);
    return QImage(
        bmp.Bits(), bmp.Width(), bmp.Height(), qsizetype(bmp.RowLength()), QImage::Format_BGR888);
}

} // namespace

ImageIOResult ReadWithQt(const uint8_t* data, size_t size, std::string_view ext, TIEBitmap& bmp,
    const ReadOptions& options)
{
    if (size > size_t(std::numeric_limits<qsizetype>::max()))
        return ImageIOResult::failure("file too large");
    const QByteArray bytes
        = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, qtFormatFor(ext));
    reader.setAutoTransform(options.applyExifOrientation);
    // Qt's own guard against huge allocations, in MiB of a 32-bit image of maxPixels.
    const int64_t mib
        = std::clamp<int64_t>((options.maxPixels * 4 + (1 << 20) - 1) >> 20, 1, INT32_MAX);
    QImageReader::setAllocationLimit(int(mib));
    const QSize declared = reader.size();
    if (declared.isValid() && !SizeAllowed(declared.width(), declared.height(), options))
        return ImageIOResult::failure(TooLargeReason(declared.width(), declared.height(), options));
    const QImage image = reader.read();
    if (image.isNull()) {
        const QString why = reader.errorString();
        return ImageIOResult::failure(
            "cannot read the file" + (why.isEmpty() ? std::string() : ": " + why.toStdString()));
    }
    if (!SizeAllowed(image.width(), image.height(), options))
        return ImageIOResult::failure(TooLargeReason(image.width(), image.height(), options));
    AssignFromQImage(bmp, image);
    if (bmp.IsEmpty())
        return ImageIOResult::failure("out of memory");
    return ImageIOResult::success();
}

bool QtCanWrite(const char* format)
{
    static std::once_flag once;
    static QList<QByteArray> formats;
    std::call_once(once, [] { formats = QImageWriter::supportedImageFormats(); });
    return formats.contains(QByteArray(format));
}

ImageIOResult WriteWithQt(ByteSink& sink, const TIEBitmap& bmp, const char* format)
{
    if (std::string_view(format) == "ico" && (bmp.Width() > 256 || bmp.Height() > 256))
        return ImageIOResult::failure("icons hold at most 256 x 256 pixels");
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    const bool tiff = std::string_view(format) == "tiff";
    if (tiff)
        writer.setCompression(1); // LZW
    if (!writer.write(imageFor(bmp, tiff || std::string_view(format) == "ico")))
        return ImageIOResult::failure(writer.errorString().toStdString());
    sink.write(buffer.data().constData(), size_t(buffer.data().size()));
    return ImageIOResult::success();
}

ImageIOResult WritePdf(ByteSink& sink, const TIEBitmap& bmp)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        // One page of exactly the picture's size: at 72 dots per inch a pixel is a point.
        QPdfWriter writer(&buffer);
        writer.setCreator("Borderlux");
        writer.setResolution(72);
        writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
        writer.setPageSize(QPageSize(
            QSizeF(bmp.Width(), bmp.Height()), QPageSize::Point, QString(), QPageSize::ExactMatch));
        QPainter painter;
        if (!painter.begin(&writer))
            return ImageIOResult::failure("cannot start the PDF document");
        painter.drawImage(QRectF(0, 0, bmp.Width(), bmp.Height()), imageFor(bmp, false));
        painter.end();
    }
    if (buffer.data().isEmpty())
        return ImageIOResult::failure("the PDF writer produced nothing");
    sink.write(buffer.data().constData(), size_t(buffer.data().size()));
    return ImageIOResult::success();
}

} // namespace borderlux::imageio
