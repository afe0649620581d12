#include "document/resample.h"

#include "document/parallel_rows.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <vector>

// Hot row loops are built twice, for AVX2 and for the baseline, and picked at load time; the
// integer results are the same on both.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
#define BL_ROW_LOOP __attribute__((target_clones("avx2", "default")))
#else
#define BL_ROW_LOOP
#endif

namespace borderlux {

namespace {

constexpr int kFracBits = 17;
constexpr double kFracOne = 131072.0;

int channelsOf(const TIEBitmap& bmp)
{
    return bmp.PixelFormat() == ie24RGB ? 3 : 1;
}

bool ensureShape(TIEBitmap& dst, int width, int height, TIEPixelFormat format)
{
    if (dst.Width() == width && dst.Height() == height && dst.PixelFormat() == format)
        return true;
    return dst.Allocate(width, height, format);
}

// A scratch raster that always lives in memory: passes read it row by row many times.
void prepareWork(TIEBitmap& work)
{
    work.SetPreferFileStorage(false);
    work.SetLargeRasterThreshold(INT64_MAX);
}

// floor(sum / count) for the non-negative sums of the mean branches, and trunc(sum / weight) in
// the kernel resampler: a correctly rounded float quotient of two integers below 2^24 never
// crosses an integer (the gap to the next integer is at least 1 / divisor, far above the
// float's relative error), so truncating it gives the exact integer quotient. Float division
// vectorises, integer division does not.
inline int quotient(int sum, float divisor)
{
    return int(float(sum) / divisor);
}

inline uint8_t clampByte(int v)
{
    return uint8_t(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// --- Fast linear ------------------------------------------------------------------------------

struct FastTables {
    std::vector<int> q, p, r;
    std::vector<float> count; // r - q + 1 as a divisor
};

FastTables fastColumnTables(int dw, int sw, double fx)
{
    FastTables t;
    t.q.resize(size_t(dw));
    t.p.resize(size_t(dw));
    t.r.resize(size_t(dw));
    t.count.resize(size_t(dw));
    for (int i = 0; i < dw; ++i) {
        const double pos = i / fx;
        const int q = int(pos);
        t.q[size_t(i)] = std::min(q, sw - 1);
        t.p[size_t(i)] = int((pos - q) * kFracOne);
        int r = int(std::min(i + 1, dw - 1) / fx + 1e-10);
        r = std::clamp(r, t.q[size_t(i)], sw - 1);
        t.r[size_t(i)] = r;
        t.count[size_t(i)] = float(r - t.q[size_t(i)] + 1);
    }
    return t;
}

template <int C>
void fastEnlargeRow(const uint8_t* src, uint8_t* dst, int dw, int sw, const FastTables& t)
{
    for (int i = 0; i < dw; ++i) {
        const int q = t.q[size_t(i)];
        const int qb = std::min(q + 1, sw - 1);
        const int p = t.p[size_t(i)];
        const uint8_t* a = src + q * C;
        const uint8_t* b = src + qb * C;
        for (int c = 0; c < C; ++c)
            dst[i * C + c] = uint8_t(a[c] + (((b[c] - a[c]) * p) >> kFracBits));
    }
}

template <int C> void fastMeanRow(const uint8_t* src, uint8_t* dst, int dw, const FastTables& t)
{
    for (int i = 0; i < dw; ++i) {
        const int q = t.q[size_t(i)];
        const int r = t.r[size_t(i)];
        int sum[C] = {};
        for (int k = q; k <= r; ++k)
            for (int c = 0; c < C; ++c)
                sum[c] += src[k * C + c];
        for (int c = 0; c < C; ++c)
            dst[i * C + c] = uint8_t(quotient(sum[c], t.count[size_t(i)]));
    }
}

BL_ROW_LOOP void lerpRows(const uint8_t* a, const uint8_t* b, uint8_t* dst, int n, int m)
{
    for (int x = 0; x < n; ++x)
        dst[x] = uint8_t(a[x] + (((b[x] - a[x]) * m) >> kFracBits));
}

BL_ROW_LOOP void addRow(int* acc, const uint8_t* src, int n)
{
    for (int x = 0; x < n; ++x)
        acc[x] += src[x];
}

BL_ROW_LOOP void divideRow(const int* acc, uint8_t* dst, int n, float divisor)
{
    for (int x = 0; x < n; ++x)
        dst[x] = uint8_t(int(float(acc[x]) / divisor));
}

template <int C> void fastLinear(const TIEBitmap& src, TIEBitmap& dst, int dw, int dh)
{
    const int sw = src.Width(), sh = src.Height();
    const double fx = double(dw) / sw;
    const double fy = double(dh) / sh;

    TIEBitmap work;
    prepareWork(work);
    if (!work.Allocate(dw, sh, src.PixelFormat()))
        return;
    const FastTables t = fastColumnTables(dw, sw, fx);
    ParallelRows(sh, int64_t(dw) * C, [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            if (fx > 1)
                fastEnlargeRow<C>(src.Row(y), work.Row(y), dw, sw, t);
            else
                fastMeanRow<C>(src.Row(y), work.Row(y), dw, t);
        }
    });

    if (!ensureShape(dst, dw, dh, src.PixelFormat()))
        return;
    const int n = dw * C;
    ParallelRows(dh, n, [&](int begin, int end) {
        std::vector<int> acc;
        for (int j = begin; j < end; ++j) {
            uint8_t* out = dst.Row(j);
            if (fy > 1) {
                const double pos = j / fy;
                const int h = std::min(int(pos), sh - 1);
                const int m = int((pos - h) * kFracOne);
                const int hb = h + 1 < sh ? h + 1 : h;
                if (m == 0 || hb == h)
                    std::memcpy(out, work.Row(h), size_t(n));
                else
                    lerpRows(work.Row(h), work.Row(hb), out, n, m);
            } else {
                const int lo = std::min(int(j / fy), sh - 1);
                const int hi = std::clamp(int(std::min(j + 1, dh - 1) / fy), lo, sh - 1);
                if (lo == hi) {
                    std::memcpy(out, work.Row(lo), size_t(n));
                    continue;
                }
                acc.assign(size_t(n), 0);
                for (int k = lo; k <= hi; ++k)
                    addRow(acc.data(), work.Row(k), n);
                divideRow(acc.data(), out, n, float(hi - lo + 1));
            }
        }
    });
}

// --- Kernel -----------------------------------------------------------------------------------

// Contributors of every destination column (or row), padded to the same count with zero
// weights on a valid index so the inner loop has a fixed length.
struct Contributors {
    int taps = 0;
    std::vector<int> index; // size * taps
    std::vector<int> weight; // size * taps
    std::vector<int> total; // sum of weights per destination
};

Contributors kernelContributors(int dsize, int ssize, TResampleFilter filter)
{
    const double support = KernelSupport(filter);
    const double scale
        = (ssize == 1 || dsize == 1) ? double(dsize) / ssize : double(dsize - 1) / (ssize - 1);
    std::vector<std::vector<std::pair<int, int>>> lists(static_cast<size_t>(dsize));
    size_t taps = 1;
    for (int i = 0; i < dsize; ++i) {
        const double c = i / scale;
        auto& list = lists[size_t(i)];
        const auto add = [&](int k, int w) {
            if (w == 0)
                return;
            int idx = k < 0 ? -k : (k >= ssize ? 2 * ssize - 1 - k : k);
            idx = std::clamp(idx, 0, ssize - 1);
            list.emplace_back(idx, w);
        };
        if (scale >= 1) {
            const int k0 = int(std::floor(c - support));
            const int k1 = int(std::ceil(c + support));
            for (int k = k0; k <= k1; ++k)
                add(k, int(std::nearbyint(KernelWeight(filter, c - k) * 256.0)));
        } else {
            const double inv = 1.0 / scale;
            const double width = support / scale;
            const int k0 = int(std::floor(c - width));
            const int k1 = int(std::ceil(c + width));
            for (int k = k0; k <= k1; ++k)
                add(k, int(std::nearbyint(KernelWeight(filter, (c - k) / inv) * 256.0 / inv)));
        }
        taps = std::max(taps, list.size());
    }
    Contributors out;
    out.taps = int(taps);
    out.index.assign(size_t(dsize) * taps, 0);
    out.weight.assign(size_t(dsize) * taps, 0);
    out.total.assign(size_t(dsize), 0);
    for (int i = 0; i < dsize; ++i) {
        const auto& list = lists[size_t(i)];
        int total = 0;
        for (size_t t = 0; t < list.size(); ++t) {
            out.index[size_t(i) * taps + t] = list[t].first;
            out.weight[size_t(i) * taps + t] = list[t].second;
            total += list[t].second;
        }
        // Padding taps repeat a real index with weight 0.
        const int pad = list.empty() ? 0 : list.front().first;
        for (size_t t = list.size(); t < taps; ++t)
            out.index[size_t(i) * taps + t] = pad;
        out.total[size_t(i)] = total;
    }
    return out;
}

inline uint8_t kernelResult(int sum, int total)
{
    if (total == 0)
        return clampByte(sum >> 8);
    return clampByte(quotient(sum, float(total)));
}

template <int C, int T>
void kernelRowFixed(const uint8_t* src, uint8_t* dst, int dw, const Contributors& k)
{
    for (int i = 0; i < dw; ++i) {
        const int* idx = &k.index[size_t(i) * T];
        const int* w = &k.weight[size_t(i) * T];
        int sum[C] = {};
        for (int t = 0; t < T; ++t) {
            const uint8_t* p = src + idx[t] * C;
            for (int c = 0; c < C; ++c)
                sum[c] += w[t] * p[c];
        }
        const int total = k.total[size_t(i)];
        for (int c = 0; c < C; ++c)
            dst[i * C + c] = kernelResult(sum[c], total);
    }
}

template <int C> void kernelRow(const uint8_t* src, uint8_t* dst, int dw, const Contributors& k)
{
    // Fixed tap counts let the compiler unroll the common cases.
    switch (k.taps) {
    case 2:
        return kernelRowFixed<C, 2>(src, dst, dw, k);
    case 3:
        return kernelRowFixed<C, 3>(src, dst, dw, k);
    case 4:
        return kernelRowFixed<C, 4>(src, dst, dw, k);
    case 5:
        return kernelRowFixed<C, 5>(src, dst, dw, k);
    case 6:
        return kernelRowFixed<C, 6>(src, dst, dw, k);
    default:
        break;
    }
    const int taps = k.taps;
    for (int i = 0; i < dw; ++i) {
        const int* idx = &k.index[size_t(i) * size_t(taps)];
        const int* w = &k.weight[size_t(i) * size_t(taps)];
        int sum[C] = {};
        for (int t = 0; t < taps; ++t) {
            const uint8_t* p = src + idx[t] * C;
            for (int c = 0; c < C; ++c)
                sum[c] += w[t] * p[c];
        }
        const int total = k.total[size_t(i)];
        for (int c = 0; c < C; ++c)
            dst[i * C + c] = kernelResult(sum[c], total);
    }
}

BL_ROW_LOOP void macRow(int* acc, const uint8_t* src, int n, int w)
{
    for (int x = 0; x < n; ++x)
        acc[x] += w * src[x];
}

BL_ROW_LOOP void kernelDivideRow(const int* acc, uint8_t* dst, int n, float total)
{
    for (int x = 0; x < n; ++x) {
        const int v = int(float(acc[x]) / total);
        dst[x] = uint8_t(v < 0 ? 0 : (v > 255 ? 255 : v));
    }
}

template <int C>
void kernelResample(const TIEBitmap& src, TIEBitmap& dst, int dw, int dh, TResampleFilter filter)
{
    const int sw = src.Width(), sh = src.Height();
    if (!ensureShape(dst, dw, dh, src.PixelFormat()))
        return;
    if (sw < 2 && sh < 2) {
        // Nothing to filter: the single source pixel everywhere.
        const uint8_t* p = src.Row(0);
        for (int y = 0; y < dh; ++y)
            for (int x = 0; x < dw; ++x)
                std::memcpy(dst.Row(y) + x * C, p, C);
        return;
    }
    TIEBitmap work;
    prepareWork(work);
    if (!work.Allocate(dw, sh, src.PixelFormat()))
        return;
    const Contributors cols = kernelContributors(dw, sw, filter);
    ParallelRows(sh, int64_t(dw) * C * cols.taps, [&](int begin, int end) {
        for (int y = begin; y < end; ++y)
            kernelRow<C>(src.Row(y), work.Row(y), dw, cols);
    });

    const Contributors rows = kernelContributors(dh, sh, filter);
    const int n = dw * C;
    ParallelRows(dh, int64_t(n) * rows.taps, [&](int begin, int end) {
        std::vector<int> acc(static_cast<size_t>(n));
        for (int j = begin; j < end; ++j) {
            std::fill(acc.begin(), acc.end(), 0);
            for (int t = 0; t < rows.taps; ++t) {
                const int w = rows.weight[size_t(j) * size_t(rows.taps) + size_t(t)];
                if (w != 0)
                    macRow(acc.data(),
                        work.Row(rows.index[size_t(j) * size_t(rows.taps) + size_t(t)]), n, w);
            }
            const int total = rows.total[size_t(j)];
            uint8_t* out = dst.Row(j);
            if (total == 0) {
                for (int x = 0; x < n; ++x)
                    out[x] = clampByte(acc[size_t(x)] >> 8);
            } else {
                kernelDivideRow(acc.data(), out, n, float(total));
            }
        }
    });
}

bool isKernelFilter(TResampleFilter f)
{
    return f >= rfTriangle && f <= rfLinear;
}

void resampleChannels(const TIEBitmap& src, TIEBitmap& dst, int dw, int dh, TResampleFilter filter)
{
    if (filter == rfNone) {
        ResampleNearest(src, dst, dw, dh);
    } else if (isKernelFilter(filter)) {
        ResampleKernel(src, dst, dw, dh, filter);
    } else {
        ResampleFastLinear(src, dst, dw, dh);
    }
}

// Sets every fully transparent pixel to mid grey, so filters do not pull invisible colour
// into the visible edge.
void greyTransparentPixels(TIEBitmap& bmp)
{
    const TIEBitmap* plane = bmp.ExistingAlphaPlane();
    if (!plane || plane->FullyOpaque() || plane->Width() != bmp.Width()
        || plane->Height() != bmp.Height())
        return;
    const int w = bmp.Width();
    for (int y = 0; y < bmp.Height(); ++y) {
        const uint8_t* a = plane->Row(y);
        uint8_t* p = bmp.Row(y);
        for (int x = 0; x < w; ++x)
            if (a[x] == 0)
                p[3 * x] = p[3 * x + 1] = p[3 * x + 2] = 128;
    }
}

} // namespace

double KernelSupport(TResampleFilter filter)
{
    switch (filter) {
    case rfTriangle:
    case rfHermite:
    case rfNearest:
    case rfLinear:
        return 1.0;
    case rfBell:
        return 1.5;
    case rfBSpline:
    case rfMitchell:
        return 2.0;
    case rfLanczos3:
        return 3.0;
    default:
        return 0.0;
    }
}

double KernelWeight(TResampleFilter filter, double x)
{
    const double a = std::fabs(x);
    const auto sinc = [](double t) {
        if (t == 0)
            return 1.0;
        t *= std::numbers::pi;
        return std::sin(t) / t;
    };
    switch (filter) {
    case rfTriangle:
        return a < 1 ? 1 - a : 0;
    case rfHermite:
        return a < 1 ? (2 * a - 3) * a * a + 1 : 0;
    case rfBell:
        if (a < 0.5)
            return 0.75 - a * a;
        if (a < 1.5)
            return 0.5 * (a - 1.5) * (a - 1.5);
        return 0;
    case rfBSpline:
        if (a < 1)
            return a * a * a / 2 - a * a + 2.0 / 3.0;
        if (a < 2)
            return (2 - a) * (2 - a) * (2 - a) / 6;
        return 0;
    case rfLanczos3:
        return a < 3 ? sinc(a) * sinc(a / 3) : 0;
    case rfMitchell:
        if (a < 1)
            return (7 * a * a * a - 12 * a * a + 16.0 / 3.0) / 6;
        if (a < 2)
            return (-(7.0 / 3.0) * a * a * a + 12 * a * a - 20 * a + 32.0 / 3.0) / 6;
        return 0;
    case rfNearest:
        return (x > -0.5 && x <= 0.5) ? 1 : 0;
    case rfLinear:
        if (x >= -1 && x < 0)
            return x + 1;
        if (x >= 0 && x < 1)
            return 1 - x;
        return 0;
    default:
        return 0;
    }
}

bool ResampleTargetSize(
    int sourceWidth, int sourceHeight, int newWidth, int newHeight, int& width, int& height)
{
    if (newWidth < 0 && newHeight < 0)
        return false;
    if (sourceWidth < 1 || sourceHeight < 1)
        return false;
    int64_t w;
    if (newWidth == -1)
        w = int64_t(newHeight) * sourceWidth / sourceHeight;
    else if (newWidth != 0)
        w = std::llabs(int64_t(newWidth));
    else
        w = sourceWidth;
    w = std::clamp<int64_t>(w, 1, INT32_MAX);
    int64_t h;
    if (newHeight == -1)
        h = w * sourceHeight / sourceWidth;
    else if (newHeight != 0)
        h = std::llabs(int64_t(newHeight));
    else
        h = sourceHeight;
    h = std::clamp<int64_t>(h, 1, INT32_MAX);
    width = int(w);
    height = int(h);
    return true;
}

void ResampleNearest(const TIEBitmap& source, TIEBitmap& destination, int width, int height)
{
    if (source.IsEmpty() || width < 1 || height < 1)
        return;
    const TIEPixelFormat format = source.PixelFormat();
    if (!ensureShape(destination, width, height, format))
        return;
    destination.Palette() = source.Palette();
    const int sw = source.Width(), sh = source.Height();
    const double rx = double(sw) / width;
    const double ry = double(sh) / height;
    std::vector<int> col(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x)
        col[size_t(x)] = std::min(int(rx * x), sw - 1);
    const int bpp = BitsPerPixel(format);
    ParallelRows(height, destination.RowLength(), [&](int begin, int end) {
        int lastRow = -1;
        for (int y = begin; y < end; ++y) {
            const int sy = std::min(int(ry * y), sh - 1);
            uint8_t* out = destination.Row(y);
            if (sy == lastRow) {
                std::memcpy(out, destination.Row(y - 1), size_t(destination.RowLength()));
                continue;
            }
            lastRow = sy;
            const uint8_t* in = source.Row(sy);
            if (bpp == 24) {
                for (int x = 0; x < width; ++x)
                    std::memcpy(out + 3 * x, in + 3 * col[size_t(x)], 3);
            } else if (bpp == 8) {
                for (int x = 0; x < width; ++x)
                    out[x] = in[col[size_t(x)]];
            } else {
                std::memset(out, 0, size_t(destination.RowLength()));
                for (int x = 0; x < width; ++x) {
                    const int s = col[size_t(x)];
                    if (in[s >> 3] & (0x80 >> (s & 7)))
                        out[x >> 3] |= uint8_t(0x80 >> (x & 7));
                }
            }
        }
    });
}

void ResampleFastLinear(const TIEBitmap& source, TIEBitmap& destination, int width, int height)
{
    if (source.IsEmpty() || width < 1 || height < 1)
        return;
    if (width == source.Width() && height == source.Height()) {
        destination.Assign(source);
        return;
    }
    if (channelsOf(source) == 3)
        fastLinear<3>(source, destination, width, height);
    else
        fastLinear<1>(source, destination, width, height);
}

void ResampleKernel(
    const TIEBitmap& source, TIEBitmap& destination, int width, int height, TResampleFilter filter)
{
    if (source.IsEmpty() || width < 1 || height < 1 || !isKernelFilter(filter))
        return;
    if (channelsOf(source) == 3)
        kernelResample<3>(source, destination, width, height, filter);
    else
        kernelResample<1>(source, destination, width, height, filter);
}

bool ResampleTo(
    TIEBitmap& source, TIEBitmap& destination, int newWidth, int newHeight, TResampleFilter filter)
{
    int dw = 0, dh = 0;
    if (source.IsEmpty()
        || !ResampleTargetSize(source.Width(), source.Height(), newWidth, newHeight, dw, dh))
        return false;
    if (&source == &destination)
        return false;
    if (source.PixelFormat() == ie24RGB)
        greyTransparentPixels(source);

    const TIEBitmap* colour = &source;
    TIEBitmap converted;
    if (filter != rfNone && (source.PixelFormat() == ie1g || source.PixelFormat() == ie8p)) {
        prepareWork(converted);
        converted.AssignPixels(source);
        if (!converted.ConvertTo24Bit())
            return false;
        colour = &converted;
    }
    resampleChannels(*colour, destination, dw, dh, filter);
    if (destination.IsEmpty())
        return false;

    const TIEBitmap* plane = source.ExistingAlphaPlane();
    if (plane && plane->Width() == source.Width() && plane->Height() == source.Height()) {
        TIEBitmap& out = destination.AlphaPlane();
        const TResampleFilter planeFilter
            = (filter == rfNone || isKernelFilter(filter)) ? filter : rfFastLinear;
        resampleChannels(*plane, out, dw, dh, planeFilter);
        out.SetFullyOpaque(plane->FullyOpaque());
    } else {
        destination.DropAlphaPlane();
    }
    return true;
}

} // namespace borderlux
