#include "library/ui/thumbnail_loader.h"

#include "platform/image_io/image_io.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

namespace borderlux {

QSize FitShrinkOnly(int w, int h, int maxWidth, int maxHeight)
{
    if (w < 1 || h < 1 || maxWidth < 1 || maxHeight < 1)
        return { 0, 0 };
    if (w <= maxWidth && h <= maxHeight)
        return { w, h };
    const double scale = std::min(double(maxWidth) / w, double(maxHeight) / h);
    const int dw = std::clamp(int(std::lround(w * scale)), 1, maxWidth);
    const int dh = std::clamp(int(std::lround(h * scale)), 1, maxHeight);
    return { dw, dh };
}

QImage ReduceToFit(const TIEBitmap& source, int maxWidth, int maxHeight)
{
    if (source.IsEmpty() || source.PixelFormat() != ie24RGB)
        return {};
    const QSize size = FitShrinkOnly(source.Width(), source.Height(), maxWidth, maxHeight);
    if (size.isEmpty())
        return {};
    const int sw = source.Width(), sh = source.Height();
    const int dw = size.width(), dh = size.height();
    const TIEBitmap* plane = source.ExistingAlphaPlane();
    if (plane && plane->FullyOpaque())
        plane = nullptr;
    QImage out(dw, dh, plane ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (out.isNull())
        return out;

    // Destination column of every source column, and how many source columns each one gets.
    std::vector<int> columnOf(static_cast<size_t>(sw));
    std::vector<uint32_t> columnsIn(size_t(dw), 0);
    for (int x = 0; x < sw; ++x) {
        columnOf[size_t(x)] = int(int64_t(x) * dw / sw);
        ++columnsIn[size_t(columnOf[size_t(x)])];
    }
    // Sums per destination pixel of the current destination row: b, g, r, alpha. 64 bits,
    // because one bin of a very thin, very long picture can hold millions of pixels.
    std::vector<uint64_t> sums(size_t(dw) * 4);
    int y = 0;
    for (int dy = 0; dy < dh; ++dy) {
        std::fill(sums.begin(), sums.end(), 0);
        const int yEnd = int((int64_t(dy) + 1) * sh / dh);
        const int rows = yEnd - y;
        for (; y < yEnd; ++y) {
            const uint8_t* s = source.Row(y);
            if (plane) {
                const uint8_t* a = plane->Row(y);
                for (int x = 0; x < sw; ++x) {
                    uint64_t* bin = &sums[size_t(columnOf[size_t(x)]) * 4];
                    const uint32_t alpha = a[x];
                    bin[0] += uint32_t(s[3 * x]) * alpha;
                    bin[1] += uint32_t(s[3 * x + 1]) * alpha;
                    bin[2] += uint32_t(s[3 * x + 2]) * alpha;
                    bin[3] += alpha;
                }
            } else {
                for (int x = 0; x < sw; ++x) {
                    uint64_t* bin = &sums[size_t(columnOf[size_t(x)]) * 4];
                    bin[0] += s[3 * x];
                    bin[1] += s[3 * x + 1];
                    bin[2] += s[3 * x + 2];
                }
            }
        }
        QRgb* d = reinterpret_cast<QRgb*>(out.scanLine(dy));
        for (int dx = 0; dx < dw; ++dx) {
            const uint64_t n = uint64_t(columnsIn[size_t(dx)]) * uint64_t(std::max(rows, 1));
            const uint64_t* bin = &sums[size_t(dx) * 4];
            if (plane) {
                // Premultiplied output: colour = sum(c * a) / (n * 255), rounded.
                const uint64_t div = n * 255;
                const auto c = [&](int i) { return uint32_t((bin[i] + div / 2) / div); };
                const uint32_t alpha = uint32_t((bin[3] + n / 2) / n);
                d[dx] = qRgba(int(c(2)), int(c(1)), int(c(0)), int(alpha));
            } else {
                const auto c = [&](int i) { return int((bin[i] + n / 2) / n); };
                d[dx] = qRgb(c(2), c(1), c(0));
            }
        }
    }
    return out;
}

namespace {

// Reads a JPEG file through an ordinary heap buffer. For thumbnails of large photos the
// reader's own file buffer (a fresh anonymous mapping per file) costs about a third of the
// scaled decode itself; heap memory freed by the previous thumbnail is reused instead.
bool readJpegThroughHeap(const QString& path, TIEBitmap& bmp, const ReadOptions& options)
{
    constexpr qint64 kLargest = qint64(1) << 30;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() <= 0 || file.size() > kLargest)
        return false;
    const qint64 size = file.size();
    const std::unique_ptr<uint8_t[]> data(new (std::nothrow) uint8_t[size_t(size)]);
    if (!data)
        return false;
    const qint64 got = file.read(reinterpret_cast<char*>(data.get()), size);
    if (got <= 0)
        return false;
    return bool(ReadImageFromMemory(data.get(), size_t(got), ImageFormat::Jpeg, bmp, options));
}

} // namespace

QImage LoadThumbnail(const QString& path, int maxWidth, int maxHeight)
{
    ReadOptions options;
    options.minWidth = maxWidth;
    options.minHeight = maxHeight;
    TIEBitmap bmp;
    // The decoded picture lives only until it is reduced; a temporary file would only slow it.
    bmp.SetPreferFileStorage(false);
    const std::string name = path.toStdString();
    const bool ok = FormatForExtension(LowerExtension(name)) == ImageFormat::Jpeg
        ? readJpegThroughHeap(path, bmp, options)
        : bool(ReadImage(name, bmp, options));
    if (!ok || bmp.IsEmpty())
        return {};
    return ReduceToFit(bmp, maxWidth, maxHeight);
}

} // namespace borderlux
