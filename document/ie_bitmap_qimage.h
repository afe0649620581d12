#pragma once

// The platform bitmap view of a raster: a QImage that shares the raster's rows, so that a
// QPainter and the own pixel algorithms write the same pixels.

#include "document/ie_bitmap.h"

#include <QImage>

namespace borderlux {

/// A Format_BGR888 QImage sharing the rows of an ie24RGB raster (bytesPerLine = RowLength).
/// Drawing on it changes the raster. Valid while the raster keeps its size and storage;
/// a null image for an empty raster or another format.
QImage PlatformBitmap(TIEBitmap& bmp);

/// Makes bmp a 24-bit copy of image. An image with an alpha channel gives an alpha plane
/// (un-premultiplied), otherwise bmp's plane is dropped. A null image leaves bmp as Assign
/// leaves it for an empty source.
void AssignFromQImage(TIEBitmap& bmp, const QImage& image);

/// A copy of the raster as a QImage: Format_ARGB32 when it has an alpha plane, Format_RGB888
/// otherwise. Any pixel format is converted to colour.
QImage ToQImage(const TIEBitmap& bmp);

} // namespace borderlux
