#pragma once

// TIEBitmap: the raster that holds every picture of the program.
//
// Shared rules of this header:
// - Coordinates are pixels, (0, 0) the top-left pixel, row 0 the top row.
// - Colours passed as a 32-bit value are in red-low byte order: 0x00BBGGRR.
// - Pixel bytes of ie24RGB are stored blue, green, red.
// - Per-pixel accessors (ReadRGB, PixelPtr, ReadAlpha, WriteAlpha) do not check bounds;
//   callers stay inside the raster.
// - Failed allocation is quiet: the raster is left 0 x 0 and operations on it do nothing.
// - Rows are stored top-down in one contiguous block, RowLength bytes apart, so that a
//   platform bitmap (QImage) can share them and whole-raster copies are one block copy.

#include <array>
#include <cstddef>
#include <cstdint>

namespace borderlux {

enum TIEPixelFormat : int {
    ieNone = 0,
    ie1g, ///< 1 bit, MSB first; set bit white, clear bit black
    ie8p, ///< 8-bit index into Palette
    ie8g, ///< 8-bit grey (every alpha plane)
    ie24RGB, ///< 24-bit, bytes blue, green, red
};

/// Where a raster keeps its rows.
enum TIELocation : int {
    ieMemory, ///< a heap block aligned to 32 bytes
    ieFile, ///< an unlinked temporary file "IMG..." in the temporary folder
    ieTBitmap, ///< shared with a platform bitmap (QImage, see ie_bitmap_qimage.h); rows in memory
};

struct TRGB {
    uint8_t b, g, r;
};
static_assert(sizeof(TRGB) == 3);

/// Bits per pixel of a format (0 for ieNone).
int BitsPerPixel(TIEPixelFormat format);

/// ((width x bits per pixel + 31) div 32) x 4; 0 for a width below 1.
int64_t RowLengthFor(int width, TIEPixelFormat format);

/// The large-raster threshold of the storage policy: total physical memory / 1.3 (truncated),
/// or 32 MiB when the amount of physical memory cannot be read. Computed once.
int64_t DefaultLargeRasterThreshold();

/// Colour helpers for the 0x00BBGGRR order.
constexpr uint32_t RGBColor(uint8_t r, uint8_t g, uint8_t b)
{
    return uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16);
}
constexpr uint8_t RedOf(uint32_t c)
{
    return uint8_t(c & 0xFF);
}
constexpr uint8_t GreenOf(uint32_t c)
{
    return uint8_t((c >> 8) & 0xFF);
}
constexpr uint8_t BlueOf(uint32_t c)
{
    return uint8_t((c >> 16) & 0xFF);
}

/// The coverage blend: d + floor((s - d) x o / 256), rounding towards minus infinity.
/// s, d in 0..255, o in 0..255. The result lies between d and s.
constexpr uint8_t CoverageBlend(int d, int s, int o)
{
    // Arithmetic shift of a negative product is floor division by 256.
    return uint8_t(d + (((s - d) * o) >> 8));
}

class TIEBitmap {
public:
    TIEBitmap();
    ~TIEBitmap();
    TIEBitmap(const TIEBitmap&) = delete;
    TIEBitmap& operator=(const TIEBitmap&) = delete;
    TIEBitmap(TIEBitmap&& other) noexcept;
    TIEBitmap& operator=(TIEBitmap&& other) noexcept;

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    TIEPixelFormat PixelFormat() const { return m_format; }
    int64_t RowLength() const { return m_rowLength; }
    TIELocation Location() const { return m_location; }
    bool IsEmpty() const { return m_width < 1 || m_height < 1; }
    /// RowLength x Height.
    int64_t ByteSize() const { return m_rowLength * m_height; }

    /// Makes the raster width x height of the format, contents undefined, no alpha plane.
    /// Returns false and leaves the raster 0 x 0 when a dimension is below 1, the format is
    /// ieNone or no storage can be had. Storage follows the policy (see SetPreferFileStorage).
    bool Allocate(int width, int height, TIEPixelFormat format);
    /// Frees rows and plane; the raster becomes 0 x 0 (storage preferences are kept).
    void Clear();

    /// ie24RGB: every pixel becomes the colour 0x00BBGGRR. 8-bit: every byte gets the low byte.
    /// 1-bit: every byte gets the low byte. An alpha plane filled with 255 becomes FullyOpaque.
    void Fill(uint32_t value);

    /// Row y (0 = top), RowLength bytes. For file storage the file is mapped on first use.
    uint8_t* Row(int y) { return base() + int64_t(y) * m_rowLength; }
    const uint8_t* Row(int y) const { return base() + int64_t(y) * m_rowLength; }
    /// Start of the row block: Row(0), rows RowLength apart. Null for an empty raster.
    uint8_t* Bits() { return IsEmpty() ? nullptr : base(); }
    const uint8_t* Bits() const { return IsEmpty() ? nullptr : base(); }

    /// ie24RGB pixel (x, y).
    TRGB ReadRGB(int x, int y) const { return reinterpret_cast<const TRGB*>(Row(y))[x]; }
    TRGB* PixelPtr(int x, int y) { return reinterpret_cast<TRGB*>(Row(y)) + x; }

    /// The alpha plane, created on first use: ie8g, same size, every byte 255, FullyOpaque.
    /// An alpha plane itself has no plane: calling this on one returns the raster itself.
    TIEBitmap& AlphaPlane();
    /// The plane if it exists, else null; never creates one.
    TIEBitmap* ExistingAlphaPlane() { return m_alpha; }
    const TIEBitmap* ExistingAlphaPlane() const { return m_alpha; }
    bool HasAlphaPlane() const { return m_alpha != nullptr; }
    bool IsAlphaPlane() const { return m_isAlphaPlane; }
    /// True only while every byte of this alpha plane is known to be 255.
    bool FullyOpaque() const { return m_fullyOpaque; }
    /// Sets the flag directly; for writers that fill a plane row by row and know the result.
    void SetFullyOpaque(bool value) { m_fullyOpaque = value; }

    /// On an alpha plane writes byte x of row y; on any other raster writes its plane (created
    /// on demand). A value below 255 clears FullyOpaque.
    void WriteAlpha(int x, int y, uint8_t value);
    /// Byte x of row y of the plane; creates the plane when absent (so an absent plane reads 255).
    uint8_t ReadAlpha(int x, int y);

    /// Removes the plane. With merge on an ie24RGB raster each channel c first becomes
    /// bg + floor((c - bg) x a / 256). An alpha plane itself, or a raster without plane,
    /// is left unchanged.
    void DropAlphaPlane(bool merge = false, uint32_t colour = 0);

    /// Exact copy of source: size, format, pixels, palette, FullyOpaque for planes; the source's
    /// plane is copied when it has one, otherwise this raster's plane is dropped. Assigning from
    /// itself does nothing. When this raster lives in a platform bitmap and the source is empty,
    /// nothing changes; otherwise an empty source empties this raster.
    void Assign(const TIEBitmap& source);
    /// Like Assign, but this raster's plane is left exactly as it was.
    void AssignPixels(const TIEBitmap& source);

    /// New size keeping the existing pixels at the top left; added columns and rows get the
    /// colour, and in the alpha plane (if any) the alpha value. Returns false (raster unchanged)
    /// when a dimension is below 1 or storage cannot be had.
    bool ResizeCanvas(int width, int height, uint32_t colour, uint8_t alpha = 255);

    /// Scans an alpha plane and sets FullyOpaque to whether every byte is 255. On a raster with
    /// a plane, syncs the plane.
    void SyncOpaqueFlag();

    /// Palette of ie8p rasters (and of ie1g / ie8g when a reader sets one).
    std::array<TRGB, 256>& Palette() { return m_palette; }
    const std::array<TRGB, 256>& Palette() const { return m_palette; }

    /// Storage preferences, used by the next Allocate. A new raster prefers file storage with
    /// the default threshold: rasters below the threshold go to memory, above it to a file.
    void SetPreferFileStorage(bool prefer) { m_preferFile = prefer; }
    bool PreferFileStorage() const { return m_preferFile; }
    void SetLargeRasterThreshold(int64_t bytes) { m_threshold = bytes; }
    int64_t LargeRasterThreshold() const { return m_threshold; }
    /// Marks the raster as kept in a platform bitmap: rows in memory, shareable with QImage.
    /// Takes effect at the next allocation (and moves current rows into memory now).
    void SetPlatformBitmapStorage(bool on);
    bool PlatformBitmapStorage() const { return m_platformBitmap; }

    /// For file storage: drops the memory mapping (the pixels stay in the file), so that a
    /// file-stored raster that is not being accessed does not count towards resident memory.
    void ReleaseMapping() const;

    /// The 24-bit colour of pixel (x, y) whatever the format (ie1g: set bit white).
    TRGB PixelAsRGB(int x, int y) const;
    /// Converts the rows in place to ie24RGB (keeps the plane). Returns false on no storage.
    bool ConvertTo24Bit();

private:
    bool allocateRows(int width, int height, TIEPixelFormat format);
    void freeRows();
    uint8_t* mapFile() const;
    uint8_t* base() const { return m_block ? m_block : (m_map ? m_map : mapFile()); }
    void copyRowsFrom(const TIEBitmap& source);
    void copyHeaderFrom(const TIEBitmap& source);

    int m_width = 0;
    int m_height = 0;
    TIEPixelFormat m_format = ieNone;
    int64_t m_rowLength = 0;
    TIELocation m_location = ieMemory;
    TIEBitmap* m_alpha = nullptr;
    bool m_isAlphaPlane = false;
    bool m_fullyOpaque = false;
    bool m_preferFile = true;
    bool m_platformBitmap = false;
    int64_t m_threshold;
    std::array<TRGB, 256> m_palette {};

    // Rows live either in a heap block or in a file that is mapped on first access.
    uint8_t* m_block = nullptr;
    int m_fd = -1;
    mutable uint8_t* m_map = nullptr;
};

} // namespace borderlux
