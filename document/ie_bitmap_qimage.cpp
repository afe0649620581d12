#include "document/ie_bitmap_qimage.h"

#include <cstring>

namespace borderlux {

QImage PlatformBitmap(TIEBitmap& bmp)
{
    if (bmp.IsEmpty() || bmp.PixelFormat() != ie24RGB)
        return {};
    return QImage(
        bmp.Bits(), bmp.Width(), bmp.Height(), qsizetype(bmp.RowLength()), QImage::Format_BGR888);
}

void AssignFromQImage(TIEBitmap& bmp, const QImage& image)
{
    if (image.isNull()) {
        TIEBitmap empty;
        bmp.Assign(empty);
        return;
    }
    const bool alpha = image.hasAlphaChannel();
    const QImage src
        = image.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    const int w = src.width(), h = src.height();
    if (bmp.Width() != w || bmp.Height() != h || bmp.PixelFormat() != ie24RGB) {
        if (!bmp.Allocate(w, h, ie24RGB))
            return;
    }
    if (!alpha)
        bmp.DropAlphaPlane(false);
    TIEBitmap* plane = alpha ? &bmp.AlphaPlane() : nullptr;
    if (plane && (plane->Width() != w || plane->Height() != h)) {
        bmp.DropAlphaPlane(false);
        plane = &bmp.AlphaPlane();
    }
    bool opaque = true;
    const int step = alpha ? 4 : 3;
    for (int y = 0; y < h; ++y) {
        const uchar* s = src.constScanLine(y);
        TRGB* d = bmp.PixelPtr(0, y);
        uint8_t* a = plane ? plane->Row(y) : nullptr;
        for (int x = 0; x < w; ++x) {
            d[x] = { s[step * x + 2], s[step * x + 1], s[step * x] };
            if (a) {
                a[x] = s[4 * x + 3];
                opaque &= a[x] == 255;
            }
        }
    }
    if (plane)
        plane->SetFullyOpaque(opaque);
}

QImage ToQImage(const TIEBitmap& bmp)
{
    if (bmp.IsEmpty())
        return {};
    const TIEBitmap* plane = bmp.ExistingAlphaPlane();
    const int w = bmp.Width(), h = bmp.Height();
    QImage out(w, h, plane ? QImage::Format_ARGB32 : QImage::Format_RGB888);
    if (out.isNull())
        return out;
    for (int y = 0; y < h; ++y) {
        uchar* d = out.scanLine(y);
        const uint8_t* a = plane ? plane->Row(y) : nullptr;
        for (int x = 0; x < w; ++x) {
            const TRGB p = bmp.PixelAsRGB(x, y);
            if (plane) {
                reinterpret_cast<QRgb*>(d)[x] = qRgba(p.r, p.g, p.b, a[x]);
            } else {
                d[3 * x] = p.r;
                d[3 * x + 1] = p.g;
                d[3 * x + 2] = p.b;
            }
        }
    }
    return out;
}

} // namespace borderlux
