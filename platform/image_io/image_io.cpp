#include "platform/image_io/image_io.h"

#include "platform/image_io/codecs.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace borderlux {

namespace {

struct ExtensionEntry {
    std::string_view ext;
    ImageFormat format;
    bool accepted; ///< in the table of files the reader accepts
};

// The file types of the reader, in the order of the accepted-types table, followed by the
// write-only ones.
constexpr ExtensionEntry kExtensions[] = {
    { "tif", ImageFormat::Tiff, true },
    { "tiff", ImageFormat::Tiff, true },
    { "fax", ImageFormat::Tiff, true },
    { "g3n", ImageFormat::Tiff, true },
    { "g3f", ImageFormat::Tiff, true },
    { "xif", ImageFormat::Tiff, true },
    { "gif", ImageFormat::Gif, true },
    { "jpg", ImageFormat::Jpeg, true },
    { "jpeg", ImageFormat::Jpeg, true },
    { "jpe", ImageFormat::Jpeg, true },
    { "jif", ImageFormat::Jpeg, true },
    { "pcx", ImageFormat::Pcx, true },
    { "dcx", ImageFormat::Pcx, true },
    { "bmp", ImageFormat::Bmp, true },
    { "dib", ImageFormat::Bmp, true },
    { "rle", ImageFormat::Bmp, true },
    { "ico", ImageFormat::Ico, true },
    { "cur", ImageFormat::Ico, true },
    { "png", ImageFormat::Png, true },
    { "dcm", ImageFormat::Other, true },
    { "dic", ImageFormat::Other, true },
    { "dicom", ImageFormat::Other, true },
    { "wmf", ImageFormat::Other, true },
    { "emf", ImageFormat::Other, true },
    { "tga", ImageFormat::Tga, true },
    { "targa", ImageFormat::Tga, true },
    { "vda", ImageFormat::Tga, true },
    { "icb", ImageFormat::Tga, true },
    { "vst", ImageFormat::Tga, true },
    { "pix", ImageFormat::Tga, true },
    { "pxm", ImageFormat::Pnm, true },
    { "ppm", ImageFormat::Pnm, true },
    { "pgm", ImageFormat::Pnm, true },
    { "pbm", ImageFormat::Pnm, true },
    { "wbmp", ImageFormat::Wbmp, true },
    { "jp2", ImageFormat::Jpeg2000, true },
    { "j2k", ImageFormat::Jpeg2000, true },
    { "jpc", ImageFormat::Jpeg2000, true },
    { "j2c", ImageFormat::Jpeg2000, true },
    { "crw", ImageFormat::Other, true },
    { "cr2", ImageFormat::Other, true },
    { "nef", ImageFormat::Other, true },
    { "raw", ImageFormat::Other, true },
    { "pef", ImageFormat::Other, true },
    { "raf", ImageFormat::Other, true },
    { "x3f", ImageFormat::Other, true },
    { "bay", ImageFormat::Other, true },
    { "orf", ImageFormat::Other, true },
    { "srf", ImageFormat::Other, true },
    { "mrw", ImageFormat::Other, true },
    { "dcr", ImageFormat::Other, true },
    { "sr2", ImageFormat::Other, true },
    { "psd", ImageFormat::Psd, true },
    { "iev", ImageFormat::Other, true },
    { "lyr", ImageFormat::Other, true },
    { "all", ImageFormat::Other, true },
    { "ps", ImageFormat::PostScript, false },
    { "eps", ImageFormat::PostScript, false },
    { "pdf", ImageFormat::Pdf, false },
};

std::string lowered(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return out;
}

const ExtensionEntry* findExtension(std::string_view ext)
{
    const std::string lower = lowered(ext);
    for (const ExtensionEntry& e : kExtensions)
        if (e.ext == lower)
            return &e;
    return nullptr;
}

std::string errnoText(int error)
{
    return std::strerror(error);
}

// A file named for one of our own formats but holding another is read by what it holds:
// photos renamed by hand are common, and the signatures cannot be mistaken for each other.
ImageFormat sniff(const uint8_t* data, size_t size)
{
    if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF)
        return ImageFormat::Jpeg;
    if (size >= 8 && std::memcmp(data, "\x89PNG\r\n\x1a\n", 8) == 0)
        return ImageFormat::Png;
    if (size >= 2 && data[0] == 'B' && data[1] == 'M')
        return ImageFormat::Bmp;
    return ImageFormat::Unknown;
}

// For data without a file name: an extension naming the format, so that Qt picks the plugin of
// formats without a signature (TGA, WBMP).
std::string_view defaultExtension(ImageFormat format)
{
    for (const ExtensionEntry& e : kExtensions)
        if (e.format == format && format != ImageFormat::Other)
            return e.ext;
    return {};
}

ImageIOResult readFromMemory(const uint8_t* data, size_t size, ImageFormat format,
    std::string_view ext, TIEBitmap& bmp, const ReadOptions& options)
{
    bmp.Clear();
    if (!data || size == 0)
        return ImageIOResult::failure("empty file");
    const ImageFormat detected = sniff(data, size);
    if (detected != ImageFormat::Unknown)
        format = detected;
    switch (format) {
    case ImageFormat::Jpeg:
        return imageio::ReadJpeg(data, size, bmp, options);
    case ImageFormat::Png:
        return imageio::ReadPng(data, size, bmp, options);
    case ImageFormat::Bmp:
        return imageio::ReadBmp(data, size, bmp, options);
    case ImageFormat::Pnm:
        return imageio::ReadPnm(data, size, bmp, options);
    case ImageFormat::Pcx:
        return imageio::ReadPcx(data, size, bmp, options);
    case ImageFormat::Pdf:
    case ImageFormat::PostScript:
        return ImageIOResult::failure("PostScript and PDF files can only be written");
    default:
        return imageio::ReadWithQt(
            data, size, ext.empty() ? defaultExtension(format) : ext, bmp, options);
    }
}

// The bytes of a file being read: an anonymous mapping (with huge pages when large), so a big
// photo costs a few page faults instead of thousands. Reading instead of mapping the file keeps
// a file that shrinks under us from faulting.
class FileBuffer {
public:
    explicit FileBuffer(size_t size)
        : m_size(std::max<size_t>(size, 1))
    {
        void* p
            = ::mmap(nullptr, m_size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p != MAP_FAILED) {
            m_data = static_cast<uint8_t*>(p);
            imageio::AdviseHugePages(m_data, m_size);
        }
    }
    ~FileBuffer()
    {
        if (m_data)
            ::munmap(m_data, m_size);
    }
    FileBuffer(const FileBuffer&) = delete;
    FileBuffer& operator=(const FileBuffer&) = delete;
    uint8_t* get() const { return m_data; }

private:
    uint8_t* m_data = nullptr;
    size_t m_size;
};

// Streams a writer's bytes into the temporary file through a buffer.
class FileSink final : public imageio::ByteSink {
public:
    explicit FileSink(int fd)
        : m_fd(fd)
    {
        m_buffer.reserve(kBufferSize);
    }
    void write(const void* data, size_t size) override
    {
        if (failed())
            return;
        const auto* bytes = static_cast<const uint8_t*>(data);
        if (m_buffer.size() + size > kBufferSize) {
            flush();
            if (size >= kBufferSize) {
                writeAll(bytes, size);
                return;
            }
        }
        m_buffer.insert(m_buffer.end(), bytes, bytes + size);
    }
    using ByteSink::write;
    void flush()
    {
        if (!m_buffer.empty() && !failed())
            writeAll(m_buffer.data(), m_buffer.size());
        m_buffer.clear();
    }

private:
    static constexpr size_t kBufferSize = size_t(1) << 18;
    void writeAll(const uint8_t* data, size_t size)
    {
        while (size > 0) {
            const ssize_t n = ::write(m_fd, data, size);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                m_error = errnoText(errno);
                return;
            }
            data += n;
            size -= size_t(n);
        }
    }
    int m_fd;
    std::vector<uint8_t> m_buffer;
};

ImageIOResult encode(imageio::ByteSink& sink, const TIEBitmap& bmp, std::string_view ext,
    ImageFormat format, const WriteOptions& options)
{
    switch (format) {
    case ImageFormat::Jpeg:
        return imageio::WriteJpeg(sink, bmp, options);
    case ImageFormat::Png:
        return imageio::WritePng(sink, bmp);
    case ImageFormat::Bmp:
        return imageio::WriteBmp(sink, bmp);
    case ImageFormat::Pnm:
        return imageio::WritePnm(sink, bmp, ext);
    case ImageFormat::Gif:
        return imageio::WriteGif(sink, bmp);
    case ImageFormat::Pcx:
        return imageio::WritePcx(sink, bmp);
    case ImageFormat::Tga:
        return imageio::WriteTga(sink, bmp);
    case ImageFormat::PostScript:
        return imageio::WritePostScript(sink, bmp, ext == "eps");
    case ImageFormat::Pdf:
        return imageio::WritePdf(sink, bmp);
    case ImageFormat::Tiff:
        return imageio::WriteWithQt(sink, bmp, "tiff");
    case ImageFormat::Ico:
        return imageio::WriteWithQt(sink, bmp, "ico");
    case ImageFormat::Wbmp:
        return imageio::WriteWithQt(sink, bmp, "wbmp");
    default:
        return ImageIOResult::failure("cannot write this file type");
    }
}

// Permission bits a newly created file gets under the process's umask.
mode_t newFileMode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

} // namespace

std::string LowerExtension(std::string_view path)
{
    const size_t slash = path.find_last_of('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot == std::string_view::npos)
        return {};
    return lowered(name.substr(dot + 1));
}

ImageFormat FormatForExtension(std::string_view ext)
{
    const ExtensionEntry* e = findExtension(ext);
    return e ? e->format : ImageFormat::Unknown;
}

bool IsAcceptedReadExtension(std::string_view ext)
{
    const ExtensionEntry* e = findExtension(ext);
    return e && e->accepted;
}

bool CanWriteExtension(std::string_view ext)
{
    const std::string lower = lowered(ext);
    switch (FormatForExtension(lower)) {
    case ImageFormat::Jpeg:
    case ImageFormat::Png:
    case ImageFormat::Bmp:
    case ImageFormat::Pnm:
    case ImageFormat::Gif:
    case ImageFormat::Tga:
    case ImageFormat::PostScript:
    case ImageFormat::Pdf:
        return true;
    case ImageFormat::Pcx:
        return lower == "pcx"; // DCX is a multi-page container we do not write
    case ImageFormat::Tiff:
        return imageio::QtCanWrite("tiff");
    case ImageFormat::Ico:
        return lower == "ico" && imageio::QtCanWrite("ico");
    case ImageFormat::Wbmp:
        return imageio::QtCanWrite("wbmp");
    default:
        return false;
    }
}

bool UsesQtCodec(std::string_view ext, bool forWriting)
{
    switch (FormatForExtension(lowered(ext))) {
    case ImageFormat::Jpeg:
    case ImageFormat::Png:
    case ImageFormat::Bmp:
    case ImageFormat::Pnm:
    case ImageFormat::Pcx:
        return false;
    case ImageFormat::Gif:
    case ImageFormat::Tga:
    case ImageFormat::PostScript:
        return !forWriting;
    default:
        return true;
    }
}

ImageIOResult ReadImage(const std::string& path, TIEBitmap& bmp, const ReadOptions& options)
{
    bmp.Clear();
    if (path.empty())
        return ImageIOResult::failure("no file name");
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return ImageIOResult::failure(errnoText(errno));
    struct stat st { };
    if (fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        return ImageIOResult::failure(errnoText(error));
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return ImageIOResult::failure("not a regular file");
    }
    size_t size = size_t(st.st_size);
    FileBuffer data(size);
    if (!data.get()) {
        ::close(fd);
        return ImageIOResult::failure("out of memory");
    }
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, data.get() + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            return ImageIOResult::failure(errnoText(error));
        }
        if (n == 0)
            break; // the file shrank while we read it: decode what is there
        done += size_t(n);
    }
    ::close(fd);
    const std::string ext = LowerExtension(path);
    return readFromMemory(data.get(), done, FormatForExtension(ext), ext, bmp, options);
}

ImageIOResult ReadImageFromMemory(const uint8_t* data, size_t size, ImageFormat format,
    TIEBitmap& bmp, const ReadOptions& options)
{
    return readFromMemory(data, size, format, {}, bmp, options);
}

ImageIOResult WriteImage(const std::string& path, const TIEBitmap& bmp, const WriteOptions& options)
{
    if (path.empty())
        return ImageIOResult::failure("no file name");
    if (bmp.IsEmpty())
        return ImageIOResult::failure("the picture is empty");
    const std::string ext = LowerExtension(path);
    if (!CanWriteExtension(ext))
        return ImageIOResult::failure(
            ext.empty() ? "the file name has no extension" : "cannot write ." + ext + " files");
    const ImageFormat format = FormatForExtension(ext);

    // Write through a symbolic link to the file it names, so the link survives.
    std::string target = path;
    struct stat st { };
    bool exists = ::stat(path.c_str(), &st) == 0;
    struct stat lst { };
    if (exists && ::lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
        char* resolved = ::realpath(path.c_str(), nullptr);
        if (resolved) {
            target = resolved;
            std::free(resolved);
        }
    }
    if (exists && S_ISDIR(st.st_mode))
        return ImageIOResult::failure(errnoText(EISDIR));

    const size_t slash = target.find_last_of('/');
    const std::string folder
        = slash == std::string::npos ? std::string(".") : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    if (name.empty())
        return ImageIOResult::failure("no file name");
    std::string temp
        = (slash == std::string::npos ? std::string() : folder) + "." + name + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return ImageIOResult::failure(errnoText(errno));

    auto discard = [&](std::string why) {
        ::close(fd);
        ::unlink(temp.c_str());
        return ImageIOResult::failure(std::move(why));
    };

    FileSink sink(fd);
    ImageIOResult result;
    try {
        // The encoders read 24-bit rows; other formats are converted on a copy.
        TIEBitmap converted;
        const TIEBitmap* source = &bmp;
        if (bmp.PixelFormat() != ie24RGB) {
            converted.Assign(bmp);
            if (!converted.ConvertTo24Bit())
                return discard("out of memory");
            source = &converted;
        }
        result = encode(sink, *source, ext, format, options);
    } catch (const std::bad_alloc&) {
        result = ImageIOResult::failure("out of memory");
    }
    if (!result)
        return discard(result.reason.empty() ? "cannot encode the picture" : result.reason);
    sink.flush();
    if (sink.failed())
        return discard(sink.error());
    if (::fchmod(fd, exists ? (st.st_mode & 07777) : newFileMode()) != 0)
        return discard(errnoText(errno));
    if (exists && (st.st_uid != ::geteuid() || st.st_gid != ::getegid())) {
        // Keep the owner where we may (root, or our own group); otherwise the new owner is us.
        if (::fchown(fd, st.st_uid, st.st_gid) != 0)
            (void)!::fchown(fd, uid_t(-1), st.st_gid);
    }
    // Replacing a file: its new contents must be on disk before the rename makes them the only
    // copy, or a crash could leave neither picture. A new file has nothing to lose, and waiting
    // for the disk would be most of a small save's time.
    if (exists && ::fsync(fd) != 0)
        return discard(errnoText(errno));
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        return ImageIOResult::failure(errnoText(error));
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        return ImageIOResult::failure(errnoText(error));
    }
    return result;
}

namespace imageio {

void MemorySink::write(const void* data, size_t size)
{
    if (failed())
        return;
    // Writers call this from inside C libraries, which an exception must not cross.
    try {
        const auto* p = static_cast<const uint8_t*>(data);
        bytes.insert(bytes.end(), p, p + size);
    } catch (const std::bad_alloc&) {
        m_error = "out of memory";
    }
}

bool SizeAllowed(int64_t width, int64_t height, const ReadOptions& options)
{
    if (width < 1 || height < 1 || width > INT32_MAX || height > INT32_MAX)
        return false;
    // Rows must also stay addressable with int RowLength arithmetic.
    if (width * 3 > INT32_MAX - 32)
        return false;
    return width * height <= options.maxPixels;
}

std::string TooLargeReason(int64_t width, int64_t height, const ReadOptions& options)
{
    if (width < 1 || height < 1)
        return "the image has no pixels (" + std::to_string(width) + " x " + std::to_string(height)
            + ")";
    return "the image is too large (" + std::to_string(width) + " x " + std::to_string(height)
        + " pixels, at most " + std::to_string(options.maxPixels) + " allowed)";
}

void AdviseHugePages(void* data, size_t bytes)
{
    // Decoders touch every page of a fresh raster once; on large pictures taking them 2 MiB at a
    // time instead of 4 KiB saves most of the page-fault time (a third of a JPEG read).
    constexpr uintptr_t kHuge = uintptr_t(2) << 20;
    if (bytes < 2 * kHuge)
        return;
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(kHuge - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

bool AllocateOutput(TIEBitmap& bmp, int width, int height, bool withAlpha, std::string& reason)
{
    if (!bmp.Allocate(width, height, ie24RGB)) {
        reason = "out of memory";
        return false;
    }
    if (bmp.Location() != ieFile)
        AdviseHugePages(bmp.Bits(), size_t(bmp.ByteSize()));
    if (withAlpha) {
        TIEBitmap& plane = bmp.AlphaPlane();
        if (plane.IsEmpty()) {
            bmp.Clear();
            reason = "out of memory";
            return false;
        }
    }
    return true;
}

bool HasTransparency(const TIEBitmap& bmp)
{
    const TIEBitmap* plane = bmp.ExistingAlphaPlane();
    if (!plane || plane->IsEmpty())
        return false;
    if (plane->FullyOpaque())
        return false;
    const int w = std::min(plane->Width(), bmp.Width());
    const int h = std::min(plane->Height(), bmp.Height());
    for (int y = 0; y < h; ++y) {
        const uint8_t* a = plane->Row(y);
        uint8_t all = 255;
        for (int x = 0; x < w; ++x)
            all &= a[x];
        if (all != 255)
            return true;
    }
    return false;
}

} // namespace imageio

} // namespace borderlux
