#pragma once

// Making the reduced copies the thumbnail grid keeps. Safe to call from worker threads: no
// shared state, no widgets.

#include "document/ie_bitmap.h"

#include <QImage>
#include <QSize>
#include <QString>

namespace borderlux {

/// The size of a w x h picture fitted into maxWidth x maxHeight keeping its proportion,
/// never enlarged, each side rounded to the nearest pixel and at least 1. (0, 0) for an empty
/// picture or an empty box.
QSize FitShrinkOnly(int w, int h, int maxWidth, int maxHeight);

/// An area-averaged reduction of an ie24RGB raster to FitShrinkOnly(maxWidth, maxHeight):
/// every destination pixel is the mean of the source pixels it covers (colour weighted by
/// alpha when the raster has an alpha plane). Format_ARGB32_Premultiplied when the raster has
/// a plane that is not fully opaque, Format_RGB32 otherwise; a null image for an empty raster,
/// another pixel format or an empty box. One pass over the source rows.
QImage ReduceToFit(const TIEBitmap& source, int maxWidth, int maxHeight);

/// Reads path and reduces it to fit maxWidth x maxHeight. JPEG files are decoded with DCT
/// scaling (1/2, 1/4, 1/8) to the smallest size that still covers the box, so a large photo
/// costs a fraction of a full decode. A null image when the file cannot be read.
QImage LoadThumbnail(const QString& path, int maxWidth, int maxHeight);

} // namespace borderlux
