#pragma once

// Pixel helpers of frame application: colour inversion, colour-range transparency and alpha
// from the red channel. They work on a whole raster; the image processor (img_proc.h) wraps
// Negative and SetTransparentColors in its processing frame so that they honour the view's
// selection.

#include "document/ie_bitmap.h"

namespace borderlux {

/// Inverts the colours in place: ie24RGB and ie8g bytes become 255 - value, ie8p palette
/// entries are inverted (indices kept), ie1g bits are flipped. The alpha plane is untouched.
void NegativeBitmap(TIEBitmap& bmp);

/// Gives alpha `alpha` to every pixel whose colour lies in min..max (each channel inclusive).
/// ie24RGB: per channel test; ie1g: clear (black) pixels when min.r is 0, else set (white)
/// pixels; other formats unchanged. Pixels outside the range keep their alpha. Afterwards the
/// plane exists (created all 255 when needed) and its FullyOpaque flag is recomputed.
void SetTransparentColorsBitmap(TIEBitmap& bmp, TRGB min, TRGB max, uint8_t alpha);

/// ie24RGB: the alpha plane (created if needed) becomes the red channel, pixel by pixel.
/// FullyOpaque ends true only when every red byte is 255. Other formats are left unchanged.
void AlphaFromRed(TIEBitmap& bmp);

} // namespace borderlux
