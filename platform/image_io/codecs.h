#pragma once

// The codecs behind ReadImage / WriteImage. Not for use outside platform/image_io.
//
// Shared rules:
// - Readers decode a complete file held in memory into an ie24RGB raster (plus an alpha plane
//   when the file has alpha, with FullyOpaque set). On failure they leave the raster 0 x 0.
//   They check the declared size against ReadOptions::maxPixels before allocating.
// - Writers append the encoded file to a ByteSink; they never touch the file system.

#include "platform/image_io/image_io.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace borderlux::imageio {

/// Where writers put their bytes. The default keeps them in memory; WriteImage uses a sink
/// that streams to the temporary file.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    /// Appends size bytes. After a failure further writes are ignored and failed() is true.
    virtual void write(const void* data, size_t size) = 0;
    virtual bool failed() const { return !m_error.empty(); }
    const std::string& error() const { return m_error; }
    void write(std::string_view text) { write(text.data(), text.size()); }

protected:
    std::string m_error;
};

class MemorySink final : public ByteSink {
public:
    void write(const void* data, size_t size) override;
    using ByteSink::write;
    std::vector<uint8_t> bytes;
};

/// True when width x height is a size a reader may allocate under the options.
bool SizeAllowed(int64_t width, int64_t height, const ReadOptions& options);
/// The reason given for a refused size.
std::string TooLargeReason(int64_t width, int64_t height, const ReadOptions& options);

/// Asks the kernel for huge pages over the 2 MiB-aligned part of a large block.
void AdviseHugePages(void* data, size_t bytes);

/// Allocates bmp as ie24RGB width x height with an alpha plane when withAlpha; failure text in
/// reason when storage cannot be had.
bool AllocateOutput(TIEBitmap& bmp, int width, int height, bool withAlpha, std::string& reason);

ImageIOResult ReadJpeg(
    const uint8_t* data, size_t size, TIEBitmap& bmp, const ReadOptions& options);
ImageIOResult ReadPng(const uint8_t* data, size_t size, TIEBitmap& bmp, const ReadOptions& options);
ImageIOResult ReadBmp(const uint8_t* data, size_t size, TIEBitmap& bmp, const ReadOptions& options);
ImageIOResult ReadPnm(const uint8_t* data, size_t size, TIEBitmap& bmp, const ReadOptions& options);
ImageIOResult ReadPcx(const uint8_t* data, size_t size, TIEBitmap& bmp, const ReadOptions& options);
/// Any format of Qt's image plugins; ext picks the plugin (lower case, no dot).
ImageIOResult ReadWithQt(const uint8_t* data, size_t size, std::string_view ext, TIEBitmap& bmp,
    const ReadOptions& options);

/// The EXIF orientation (1..8) of a JPEG APP1 payload, or 1 when there is none or it is damaged.
int ExifOrientation(const uint8_t* data, size_t size);
/// Turns bmp (ie24RGB, no plane) upright for the EXIF orientation; false when out of memory.
bool ApplyOrientation(TIEBitmap& bmp, int orientation);

ImageIOResult WriteJpeg(ByteSink& sink, const TIEBitmap& bmp, const WriteOptions& options);
ImageIOResult WritePng(ByteSink& sink, const TIEBitmap& bmp);
ImageIOResult WriteBmp(ByteSink& sink, const TIEBitmap& bmp);
/// ext is "ppm"/"pxm" (P6), "pgm" (P5) or "pbm" (P4).
ImageIOResult WritePnm(ByteSink& sink, const TIEBitmap& bmp, std::string_view ext);
ImageIOResult WriteGif(ByteSink& sink, const TIEBitmap& bmp);
ImageIOResult WritePcx(ByteSink& sink, const TIEBitmap& bmp);
ImageIOResult WriteTga(ByteSink& sink, const TIEBitmap& bmp);
/// eps selects the EPSF header.
ImageIOResult WritePostScript(ByteSink& sink, const TIEBitmap& bmp, bool eps);
ImageIOResult WritePdf(ByteSink& sink, const TIEBitmap& bmp);
/// TIFF (LZW), ICO, WBMP through Qt's plugins; format is the plugin's name.
ImageIOResult WriteWithQt(ByteSink& sink, const TIEBitmap& bmp, const char* format);
/// True when Qt has a plugin writing format.
bool QtCanWrite(const char* format);

/// True when bmp has an alpha plane with a byte below 255 (FullyOpaque may be stale).
bool HasTransparency(const TIEBitmap& bmp);

/// Grey value (21 R + 71 G + 8 B) div 100.
inline uint8_t GreyOf(uint8_t r, uint8_t g, uint8_t b)
{
    return uint8_t((21 * r + 71 * g + 8 * b) / 100);
}

} // namespace borderlux::imageio
