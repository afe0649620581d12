#include "document/ie_bitmap.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>

namespace borderlux {

namespace {

constexpr int64_t kFallbackThreshold = 33554432; // 32 MiB

uint8_t* allocateBlock(int64_t bytes)
{
    if (bytes <= 0)
        return nullptr;
    // A large raster is first touched page by page as it is filled; in 4 KiB pages those
    // faults cost more than most pixel operations on it, so large blocks are aligned to and
    // advised for 2 MiB pages.
    constexpr int64_t kHuge = int64_t(2) << 20;
    if (bytes >= 2 * kHuge) {
        const auto rounded = size_t((bytes + kHuge - 1) / kHuge * kHuge);
        void* p = std::aligned_alloc(size_t(kHuge), rounded);
        if (p) {
            madvise(p, rounded, MADV_HUGEPAGE);
            return static_cast<uint8_t*>(p);
        }
    }
    // aligned_alloc wants a multiple of the alignment.
    const auto rounded = size_t((bytes + 31) / 32 * 32);
    return static_cast<uint8_t*>(std::aligned_alloc(32, rounded));
}

std::string temporaryFolder()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = (tmp && *tmp) ? tmp : "/tmp";
    if (dir.back() != '/')
        dir += '/';
    return dir;
}

// A new temporary file "IMG...", already unlinked so that it disappears when closed, with its
// blocks reserved so that later writes through the mapping cannot fail for lack of space.
int createRasterFile(int64_t bytes)
{
    std::string path = temporaryFolder() + "IMGXXXXXX";
    int fd = mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0)
        return -1;
    unlink(path.c_str());
    if (posix_fallocate(fd, 0, off_t(bytes)) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool writeAll(int fd, const uint8_t* data, int64_t bytes)
{
    int64_t done = 0;
    while (done < bytes) {
        ssize_t n = pwrite(fd, data + done, size_t(bytes - done), off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

bool readAll(int fd, uint8_t* data, int64_t bytes)
{
    int64_t done = 0;
    while (done < bytes) {
        ssize_t n = pread(fd, data + done, size_t(bytes - done), off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

void fillRow24(uint8_t* row, int width, uint32_t colour)
{
    const uint8_t b = BlueOf(colour), g = GreenOf(colour), r = RedOf(colour);
    for (int x = 0; x < width; ++x) {
        row[3 * x] = b;
        row[3 * x + 1] = g;
        row[3 * x + 2] = r;
    }
}

} // namespace

int BitsPerPixel(TIEPixelFormat format)
{
    switch (format) {
    case ie1g:
        return 1;
    case ie8p:
    case ie8g:
        return 8;
    case ie24RGB:
        return 24;
    case ieNone:
        break;
    }
    return 0;
}

int64_t RowLengthFor(int width, TIEPixelFormat format)
{
    if (width < 1)
        return 0;
    return ((int64_t(width) * BitsPerPixel(format) + 31) / 32) * 4;
}

int64_t DefaultLargeRasterThreshold()
{
    static const int64_t threshold = [] {
        const long pages = sysconf(_SC_PHYS_PAGES);
        const long pageSize = sysconf(_SC_PAGE_SIZE);
        if (pages <= 0 || pageSize <= 0)
            return kFallbackThreshold;
        return int64_t(double(pages) * double(pageSize) / 1.3);
    }();
    return threshold;
}

TIEBitmap::TIEBitmap()
    : m_threshold(DefaultLargeRasterThreshold())
{
}

TIEBitmap::~TIEBitmap()
{
    freeRows();
    delete m_alpha;
}

TIEBitmap::TIEBitmap(TIEBitmap&& other) noexcept
    : m_threshold(other.m_threshold)
{
    *this = std::move(other);
}

TIEBitmap& TIEBitmap::operator=(TIEBitmap&& other) noexcept
{
    if (this == &other)
        return *this;
    freeRows();
    delete m_alpha;
    m_width = std::exchange(other.m_width, 0);
    m_height = std::exchange(other.m_height, 0);
    m_format = std::exchange(other.m_format, ieNone);
    m_rowLength = std::exchange(other.m_rowLength, 0);
    m_location = std::exchange(other.m_location, ieMemory);
    m_alpha = std::exchange(other.m_alpha, nullptr);
    m_isAlphaPlane = other.m_isAlphaPlane;
    m_fullyOpaque = other.m_fullyOpaque;
    m_preferFile = other.m_preferFile;
    m_platformBitmap = other.m_platformBitmap;
    m_threshold = other.m_threshold;
    m_palette = other.m_palette;
    m_block = std::exchange(other.m_block, nullptr);
    m_fd = std::exchange(other.m_fd, -1);
    m_map = std::exchange(other.m_map, nullptr);
    return *this;
}

void TIEBitmap::freeRows()
{
    if (m_map) {
        munmap(m_map, size_t(ByteSize()));
        m_map = nullptr;
    }
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
    std::free(m_block);
    m_block = nullptr;
}

bool TIEBitmap::allocateRows(int width, int height, TIEPixelFormat format)
{
    freeRows();
    m_width = m_height = 0;
    m_rowLength = 0;
    m_format = ieNone;
    if (width < 1 || height < 1 || BitsPerPixel(format) == 0)
        return false;
    const int64_t rowLength = RowLengthFor(width, format);
    const int64_t bytes = rowLength * height;

    bool toFile = false;
    if (!m_platformBitmap && !m_isAlphaPlane)
        toFile = m_preferFile ? bytes >= m_threshold : bytes > m_threshold;
    if (toFile) {
        m_fd = createRasterFile(bytes);
        if (m_fd >= 0)
            m_location = ieFile;
    }
    if (m_fd < 0) {
        m_block = allocateBlock(bytes);
        if (!m_block)
            return false;
        m_location = m_platformBitmap ? ieTBitmap : ieMemory;
    }
    m_width = width;
    m_height = height;
    m_format = format;
    m_rowLength = rowLength;
    return true;
}

uint8_t* TIEBitmap::mapFile() const
{
    if (m_fd < 0)
        return nullptr;
    void* p = mmap(nullptr, size_t(ByteSize()), PROT_READ | PROT_WRITE, MAP_SHARED, m_fd, 0);
    if (p != MAP_FAILED) {
        m_map = static_cast<uint8_t*>(p);
        return m_map;
    }
    // No address space for the mapping: move the rows to memory so Row stays valid.
    auto* self = const_cast<TIEBitmap*>(this);
    uint8_t* block = allocateBlock(ByteSize());
    if (!block || !readAll(m_fd, block, ByteSize())) {
        std::free(block);
        return nullptr;
    }
    close(self->m_fd);
    self->m_fd = -1;
    self->m_block = block;
    self->m_location = ieMemory;
    return block;
}

void TIEBitmap::ReleaseMapping() const
{
    if (m_map && m_fd >= 0) {
        munmap(m_map, size_t(ByteSize()));
        m_map = nullptr;
    }
}

bool TIEBitmap::Allocate(int width, int height, TIEPixelFormat format)
{
    delete m_alpha;
    m_alpha = nullptr;
    return allocateRows(width, height, format);
}

void TIEBitmap::Clear()
{
    freeRows();
    delete m_alpha;
    m_alpha = nullptr;
    m_width = m_height = 0;
    m_rowLength = 0;
    m_format = ieNone;
}

void TIEBitmap::SetPlatformBitmapStorage(bool on)
{
    m_platformBitmap = on;
    if (!on) {
        if (m_location == ieTBitmap)
            m_location = ieMemory;
        return;
    }
    if (m_fd >= 0) {
        uint8_t* block = allocateBlock(ByteSize());
        if (!block)
            return;
        const uint8_t* src = base();
        if (src)
            std::memcpy(block, src, size_t(ByteSize()));
        freeRows();
        m_block = block;
    }
    m_location = ieTBitmap;
}

void TIEBitmap::Fill(uint32_t value)
{
    if (IsEmpty())
        return;
    const uint8_t low = uint8_t(value & 0xFF);
    if (m_format == ie24RGB) {
        uint8_t* first = Row(0);
        fillRow24(first, m_width, value);
        for (int y = 1; y < m_height; ++y)
            std::memcpy(Row(y), first, size_t(m_rowLength));
    } else {
        std::memset(Row(0), low, size_t(ByteSize()));
    }
    if (m_isAlphaPlane)
        m_fullyOpaque = low == 255;
}

TIEBitmap& TIEBitmap::AlphaPlane()
{
    if (m_isAlphaPlane)
        return *this;
    if (!m_alpha) {
        m_alpha = new TIEBitmap();
        m_alpha->m_isAlphaPlane = true;
        m_alpha->m_preferFile = false;
        if (m_alpha->Allocate(m_width, m_height, ie8g))
            std::memset(m_alpha->Row(0), 255, size_t(m_alpha->ByteSize()));
        m_alpha->m_fullyOpaque = true;
    }
    return *m_alpha;
}

void TIEBitmap::WriteAlpha(int x, int y, uint8_t value)
{
    TIEBitmap& plane = AlphaPlane();
    plane.Row(y)[x] = value;
    if (value < 255)
        plane.m_fullyOpaque = false;
}

uint8_t TIEBitmap::ReadAlpha(int x, int y)
{
    return AlphaPlane().Row(y)[x];
}

void TIEBitmap::DropAlphaPlane(bool merge, uint32_t colour)
{
    if (m_isAlphaPlane || !m_alpha)
        return;
    if (merge && m_format == ie24RGB && !IsEmpty() && m_alpha->Width() == m_width
        && m_alpha->Height() == m_height) {
        const int bg[3] = { BlueOf(colour), GreenOf(colour), RedOf(colour) };
        for (int y = 0; y < m_height; ++y) {
            uint8_t* px = Row(y);
            const uint8_t* a = m_alpha->Row(y);
            for (int x = 0; x < m_width; ++x) {
                const int o = a[x];
                for (int c = 0; c < 3; ++c)
                    px[3 * x + c] = CoverageBlend(bg[c], px[3 * x + c], o);
            }
        }
    }
    delete m_alpha;
    m_alpha = nullptr;
}

void TIEBitmap::copyHeaderFrom(const TIEBitmap& source)
{
    m_palette = source.m_palette;
    m_fullyOpaque = source.m_fullyOpaque;
}

void TIEBitmap::copyRowsFrom(const TIEBitmap& source)
{
    const int64_t bytes = ByteSize();
    // File-to-file and memory-to-file copies go through the file descriptor as one block, so
    // that a file-stored copy (an undo snapshot) never has to be mapped into memory.
    if (m_fd >= 0 && !m_map && (source.m_block || source.m_map)) {
        if (writeAll(m_fd, source.base(), bytes))
            return;
    }
    if (source.m_fd >= 0 && !source.m_map && m_block) {
        if (readAll(source.m_fd, m_block, bytes))
            return;
    }
    if (source.m_fd >= 0 && !source.m_map && m_fd >= 0 && !m_map) {
        loff_t in = 0, out = 0;
        int64_t left = bytes;
        while (left > 0) {
            ssize_t n = copy_file_range(source.m_fd, &in, m_fd, &out, size_t(left), 0);
            if (n <= 0)
                break;
            left -= n;
        }
        if (left == 0)
            return;
    }
    std::memcpy(base(), source.base(), size_t(bytes));
}

void TIEBitmap::Assign(const TIEBitmap& source)
{
    if (&source == this)
        return;
    AssignPixels(source);
    if (IsEmpty() && source.IsEmpty() && m_platformBitmap)
        return;
    if (source.m_alpha && !m_isAlphaPlane) {
        AlphaPlane().Assign(*source.m_alpha);
    } else if (m_alpha) {
        delete m_alpha;
        m_alpha = nullptr;
    }
}

void TIEBitmap::AssignPixels(const TIEBitmap& source)
{
    if (&source == this)
        return;
    if (source.IsEmpty()) {
        if (m_platformBitmap)
            return;
        freeRows();
        m_width = m_height = 0;
        m_rowLength = 0;
        m_format = ieNone;
        copyHeaderFrom(source);
        return;
    }
    const bool sameShape = m_width == source.m_width && m_height == source.m_height
        && m_format == source.m_format && (m_block || m_fd >= 0);
    if (!sameShape && !allocateRows(source.m_width, source.m_height, source.m_format))
        return;
    copyRowsFrom(source);
    copyHeaderFrom(source);
}

bool TIEBitmap::ResizeCanvas(int width, int height, uint32_t colour, uint8_t alpha)
{
    if (width < 1 || height < 1)
        return false;
    if (IsEmpty() || m_format == ieNone) {
        // Nothing to keep: the canvas is simply the fill colour.
        if (!allocateRows(width, height, ie24RGB))
            return false;
        Fill(colour);
        if (m_alpha) {
            m_alpha->ResizeCanvas(width, height, alpha, alpha);
        }
        return true;
    }

    TIEBitmap fresh;
    fresh.m_preferFile = m_preferFile;
    fresh.m_threshold = m_threshold;
    fresh.m_platformBitmap = m_platformBitmap;
    fresh.m_isAlphaPlane = m_isAlphaPlane;
    if (!fresh.allocateRows(width, height, m_format))
        return false;
    fresh.Fill(m_isAlphaPlane ? alpha : colour);

    const int keepW = std::min(width, m_width);
    const int keepH = std::min(height, m_height);
    const int bpp = BitsPerPixel(m_format);
    const int64_t fullBytes = int64_t(keepW) * bpp / 8;
    const int restBits = int(int64_t(keepW) * bpp % 8);
    for (int y = 0; y < keepH; ++y) {
        const uint8_t* src = Row(y);
        uint8_t* dst = fresh.Row(y);
        std::memcpy(dst, src, size_t(fullBytes));
        if (restBits) {
            const uint8_t mask = uint8_t(0xFF00 >> restBits);
            dst[fullBytes] = uint8_t((src[fullBytes] & mask) | (dst[fullBytes] & ~mask));
        }
    }
    fresh.m_palette = m_palette;
    const bool grew = width > m_width || height > m_height;
    const bool wasOpaque = m_fullyOpaque;

    if (m_alpha && !m_alpha->ResizeCanvas(width, height, alpha, alpha))
        return false;

    freeRows();
    m_block = std::exchange(fresh.m_block, nullptr);
    m_fd = std::exchange(fresh.m_fd, -1);
    m_map = std::exchange(fresh.m_map, nullptr);
    m_location = fresh.m_location;
    m_width = width;
    m_height = height;
    m_rowLength = fresh.m_rowLength;
    if (m_isAlphaPlane)
        m_fullyOpaque = wasOpaque && (!grew || alpha == 255);
    return true;
}

void TIEBitmap::SyncOpaqueFlag()
{
    if (!m_isAlphaPlane) {
        if (m_alpha)
            m_alpha->SyncOpaqueFlag();
        return;
    }
    bool opaque = true;
    for (int y = 0; y < m_height && opaque; ++y) {
        const uint8_t* row = Row(y);
        uint8_t all = 255;
        for (int x = 0; x < m_width; ++x)
            all &= row[x];
        opaque = all == 255;
    }
    m_fullyOpaque = opaque;
}

TRGB TIEBitmap::PixelAsRGB(int x, int y) const
{
    const uint8_t* row = Row(y);
    switch (m_format) {
    case ie24RGB:
        return reinterpret_cast<const TRGB*>(row)[x];
    case ie8g:
        return { row[x], row[x], row[x] };
    case ie8p:
        return m_palette[row[x]];
    case ie1g: {
        const uint8_t v = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
        return { v, v, v };
    }
    case ieNone:
        break;
    }
    return { 0, 0, 0 };
}

bool TIEBitmap::ConvertTo24Bit()
{
    if (m_format == ie24RGB || IsEmpty())
        return !IsEmpty();
    TIEBitmap fresh;
    fresh.m_preferFile = m_preferFile;
    fresh.m_threshold = m_threshold;
    fresh.m_platformBitmap = m_platformBitmap;
    if (!fresh.allocateRows(m_width, m_height, ie24RGB))
        return false;
    for (int y = 0; y < m_height; ++y) {
        TRGB* dst = fresh.PixelPtr(0, y);
        for (int x = 0; x < m_width; ++x)
            dst[x] = PixelAsRGB(x, y);
    }
    freeRows();
    m_block = std::exchange(fresh.m_block, nullptr);
    m_fd = std::exchange(fresh.m_fd, -1);
    m_map = std::exchange(fresh.m_map, nullptr);
    m_location = fresh.m_location;
    m_format = ie24RGB;
    m_rowLength = fresh.m_rowLength;
    return true;
}

} // namespace borderlux
