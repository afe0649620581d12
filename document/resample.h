#pragma once

// Resampling: changing the pixel size of a raster.
//
// Shared rules of this header:
// - Sources are ie24RGB (or ie8g for alpha planes); ie1g sources are converted to ie24RGB
//   (set bit white) and then filtered like any colour source. rfNone copies every format.
// - Results are bit-exact to the integer formulas documented with each filter; faster paths
//   (tables, separable passes, worker threads) never change a pixel.
// - The destination is always a separate raster; it is reallocated to the target size.

#include "document/ie_bitmap.h"

namespace borderlux {

enum TResampleFilter : int {
    rfNone, ///< nearest pixel: source (Trunc(sw / dw x x), Trunc(sh / dh x y))
    rfTriangle,
    rfHermite,
    rfBell,
    rfBSpline,
    rfLanczos3,
    rfMitchell,
    rfNearest,
    rfLinear, ///< kernel resampler with the linear kernel; used by Resize
    rfFastLinear, ///< 17-bit fixed point two-pass linear; used for frames
    rfBilinear, ///< not built: treated as rfFastLinear
    rfBicubic, ///< not built: treated as rfFastLinear
    rfProjectBW, ///< not built: treated as rfFastLinear
    rfProjectWB, ///< not built: treated as rfFastLinear
};

/// The size ResampleTo makes from a source of sourceWidth x sourceHeight:
/// width -1 -> newHeight x sw div sh; 0 -> sw; other -> |newWidth|; then at least 1.
/// height -1 -> (computed width) x sh div sw; 0 -> sh; other -> |newHeight|; then at least 1.
/// Returns false (sizes untouched) when both newWidth and newHeight are negative or the source
/// is empty.
bool ResampleTargetSize(
    int sourceWidth, int sourceHeight, int newWidth, int newHeight, int& width, int& height);

/// Resamples source into destination at the size ResampleTargetSize gives, with the filter:
/// 1. if source is ie24RGB with an alpha plane, every source pixel of alpha 0 is first set to
///    grey (128, 128, 128) in the source itself (so invisible colour does not bleed);
/// 2. the colour is resampled by the filter (rfNone: nearest pixel; rfFastLinear and the
///    unbuilt rfBilinear .. rfProjectWB: ResampleFastLinear; rfTriangle .. rfLinear: the
///    kernel resampler);
/// 3. the alpha plane, if any, is resampled alongside (rfNone nearest, kernel filters by the
///    kernel resampler, the rest by the fast linear one) and keeps the source's FullyOpaque.
/// destination gets the source's pixel format (ie24RGB for an ie1g source other than rfNone).
/// Does nothing and returns false when both sizes are negative or the source is empty.
bool ResampleTo(
    TIEBitmap& source, TIEBitmap& destination, int newWidth, int newHeight, TResampleFilter filter);

/// Nearest-pixel resize of any pixel format into width x height: destination (x, y) is source
/// (Trunc(sw / dw x x), Trunc(sh / dh x y)) with the ratios as doubles. Palette copied; no
/// alpha plane is made.
void ResampleNearest(const TIEBitmap& source, TIEBitmap& destination, int width, int height);

/// Fast linear resampler of an ie24RGB or ie8g raster (no alpha handling) into width x height.
/// Scale fx = dw / sw, fy = dh / sh; fractions in units of 1/131072.
/// - fx = fy = 1 exactly: destination is an Assign copy.
/// - columns: t = i / fx, q = Trunc(t), p = Trunc((t - q) x 131072),
///   r = Trunc(min(i + 1, dw - 1) / fx + 1e-10). fx > 1: A + floor((B - A) x p / 131072) with
///   A = source q, B = source min(q + 1, sw - 1); fx <= 1: mean (sum div count) of q..r.
/// - rows likewise on the horizontal result, with lo / hi = Trunc(j / fy), Trunc(min(j + 1,
///   dh - 1) / fy) (no 1e-10) for fy <= 1.
void ResampleFastLinear(const TIEBitmap& source, TIEBitmap& destination, int width, int height);

/// Two-pass kernel resampler (rfTriangle .. rfLinear) of an ie24RGB or ie8g raster into
/// width x height: corner-aligned scale, 8-bit weights RoundEven(f x 256) (scaled by the scale
/// when reducing), mirrored edges, channel = clamp(sum(w x v) / sum(w)). A source smaller than
/// 2 x 2 in both directions gives a destination filled with the source's pixel (0, 0).
void ResampleKernel(
    const TIEBitmap& source, TIEBitmap& destination, int width, int height, TResampleFilter filter);

/// Allows (default) or forbids the SSE4.1 pixel loops, so tests can compare them with the
/// generic ones; results never differ.
void SetResamplerSimd(bool on);

/// The kernel weight f(x) of a kernel filter and its support (0 for other filters).
double KernelWeight(TResampleFilter filter, double x);
double KernelSupport(TResampleFilter filter);

} // namespace borderlux
