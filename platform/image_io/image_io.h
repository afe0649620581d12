#pragma once

// The image reader and writer. Both choose the file format by the lower-cased extension of
// the path (without the dot). Readers always deliver ie24RGB rasters; an alpha channel in the
// file becomes the raster's alpha plane. Nothing here shows a message: failures come back as
// a result with a reason, which the GUI ignores or shows as its commands say and which
// borderlux-cli prints.
//
// Hostile input: every reader refuses an image whose declared width x height exceeds
// ReadOptions::maxPixels (default 2^28) before allocating anything of that size, and a
// damaged or truncated file never crashes or hangs; it gives an error, or for a truncated
// JPEG the rows decoded so far with the rest grey (128, 128, 128), reported as success with
// a warning in the reason.

#include "document/ie_bitmap.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace borderlux {

struct ImageIOResult {
    bool ok = false;
    /// Why it failed (or, when ok, a warning such as "truncated file"); empty when all is well.
    std::string reason;
    explicit operator bool() const { return ok; }
    static ImageIOResult success(std::string warning = {}) { return { true, std::move(warning) }; }
    static ImageIOResult failure(std::string why) { return { false, std::move(why) }; }
};

/// File formats known to the reader and writer.
enum class ImageFormat {
    Unknown,
    Jpeg,
    Png,
    Bmp,
    Pnm, ///< PBM, PGM, PPM (P1..P6), PXM
    Tiff,
    Gif,
    Pcx,
    Tga,
    Ico, ///< ICO and CUR
    Wbmp,
    Jpeg2000,
    Psd,
    Pdf, ///< write only
    PostScript, ///< PS, EPS; write only
    Other, ///< an extension of the accepted table that only Qt's plugins may know
};

/// The lower-cased extension of path without the dot ("" when none). Only the file name is
/// looked at, so a dot in a folder name does not count.
std::string LowerExtension(std::string_view path);

/// The format an extension (lower case, no dot) names; Unknown for none.
ImageFormat FormatForExtension(std::string_view ext);

/// True when ext (any case, no dot) is in the table of file types the thumbnail grid accepts.
/// PS, EPS and PDF are not accepted (write only). Looks at the extension only.
bool IsAcceptedReadExtension(std::string_view ext);

/// True when the writer can write ext (any case, no dot).
bool CanWriteExtension(std::string_view ext);

/// True when reading (or writing) files of this extension goes through Qt's image plugins or
/// painting, which need a QGuiApplication to exist; false for the formats of our own codecs.
/// Unknown extensions count as Qt's.
bool UsesQtCodec(std::string_view ext, bool forWriting);

struct ReadOptions {
    /// Largest width x height accepted; larger images are refused before allocation.
    int64_t maxPixels = int64_t(1) << 28;
    /// Turn JPEG photos upright by their EXIF orientation tag.
    bool applyExifOrientation = true;
    /// When > 0, a JPEG may be decoded with DCT scaling (1/2, 1/4, 1/8) to the smallest size
    /// that still covers minWidth x minHeight; other formats ignore it. For thumbnails.
    int minWidth = 0;
    int minHeight = 0;
};

/// Reads path into bmp (ie24RGB, plus an alpha plane when the file has alpha). On failure bmp
/// is left empty (0 x 0).
ImageIOResult ReadImage(const std::string& path, TIEBitmap& bmp, const ReadOptions& options = {});

/// Reads an image of the given format from memory (for tests and fuzzing).
ImageIOResult ReadImageFromMemory(const uint8_t* data, size_t size, ImageFormat format,
    TIEBitmap& bmp, const ReadOptions& options = {});

struct WriteOptions {
    int jpegQuality = 80; ///< 1..100
};

/// Writes bmp to path in the format of path's extension. The raster is written as 24-bit
/// colour; PNG, TIFF and ICO keep an alpha plane that is not fully opaque. An empty path, an
/// empty raster or an extension the writer cannot write writes nothing and fails.
/// The file is written to a temporary file in the target's folder (".<name>.XXXXXX"), flushed
/// to disk and renamed over the target only when complete, so a failed write leaves an existing
/// file untouched and no temporary file behind. A replaced file keeps its permission bits; a
/// symbolic link is written through. The reason of a failure carries the system's error text.
/// Formats: JPEG at jpegQuality (4:2:0), PNG (RGBA when there is transparency), BMP 24-bit,
/// PPM/PXM P6, PGM P5 and PBM P4 (grey (21 R + 71 G + 8 B) div 100, 128 and above white),
/// TIFF with LZW, GIF with a fixed 6 x 7 x 6 colour cube (alpha below 128 transparent),
/// PCX 24-bit RLE, TGA 24-bit, ICO (at most 256 x 256) and WBMP through Qt, PostScript/EPS
/// (one page, a pixel per point) and PDF (one page of the picture's size).
ImageIOResult WriteImage(
    const std::string& path, const TIEBitmap& bmp, const WriteOptions& options = {});

} // namespace borderlux
