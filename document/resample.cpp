#include "document/resample.h"

#include "document/parallel_rows.h"
#include "document/row_loop.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

// Hot row loops are built twice, for AVX2 and for the baseline, and picked at load time; the
// integer results are the same on both.
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

// Colour pixels are worked on as 4-lane vectors (blue, green, red and one spare lane), loaded
// and stored 4 bytes at a time; rows handed to these loops carry one byte of slack.
typedef float V4F __attribute__((vector_size(16)));
typedef int32_t V4I __attribute__((vector_size(16)));
typedef uint8_t V4B __attribute__((vector_size(4)));

inline V4I loadPixel(const uint8_t* p)
{
    V4B b;
    std::memcpy(&b, p, 4);
    return __builtin_convertvector(b, V4I);
}

inline void storePixel(uint8_t* p, V4I v)
{
    const V4B b = __builtin_convertvector(v, V4B);
    std::memcpy(p, &b, 4);
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define BL_HAVE_SSE41_ROWS 1
#define BL_SSE41 __attribute__((target("sse4.1")))

// The compiler builds the generic vector code above with byte-by-byte inserts and extracts;
// with SSE4.1 a pixel is one zero-extending load and one saturating pack.
BL_SSE41 inline __m128i loadPixel41(const uint8_t* p)
{
    int32_t v;
    std::memcpy(&v, p, 4);
    return _mm_cvtepu8_epi32(_mm_cvtsi32_si128(v));
}

// Stores the four lanes as bytes, saturated to 0..255.
BL_SSE41 inline void storePixel41(uint8_t* p, __m128i v)
{
    const __m128i w = _mm_packus_epi32(v, v);
    const int32_t b = _mm_cvtsi128_si32(_mm_packus_epi16(w, w));
    std::memcpy(p, &b, 4);
}

std::atomic<bool> g_simdAllowed { true };

bool haveSse41()
{
    static const bool yes = __builtin_cpu_supports("sse4.1");
    return yes && g_simdAllowed.load(std::memory_order_relaxed);
}
#endif

// --- Fast linear ------------------------------------------------------------------------------

struct FastTables {
    std::vector<int> q, p, r;
    std::vector<int> qb; // min(q + 1, sw - 1)
    std::vector<float> count; // r - q + 1 as a divisor
};

FastTables fastColumnTables(int dw, int sw, double fx)
{
    FastTables t;
    t.q.resize(size_t(dw));
    t.p.resize(size_t(dw));
    t.r.resize(size_t(dw));
    t.count.resize(size_t(dw));
    t.qb.resize(size_t(dw));
    for (int i = 0; i < dw; ++i) {
        const double pos = i / fx;
        const int q = int(pos);
        t.q[size_t(i)] = std::min(q, sw - 1);
        t.p[size_t(i)] = int((pos - q) * kFracOne);
        int r = int(std::min(i + 1, dw - 1) / fx + 1e-10);
        r = std::clamp(r, t.q[size_t(i)], sw - 1);
        t.r[size_t(i)] = r;
        t.count[size_t(i)] = float(r - t.q[size_t(i)] + 1);
        t.qb[size_t(i)] = std::min(t.q[size_t(i)] + 1, sw - 1);
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

// The colour version of fastEnlargeRow on padded rows; qb is min(q + 1, sw - 1).
#ifdef BL_HAVE_SSE41_ROWS
BL_SSE41 void fastEnlargeRow41(
    const uint8_t* src, uint8_t* dst, int dw, const int* q, const int* qb, const int* p)
{
    for (int i = 0; i < dw; ++i) {
        const __m128i a = loadPixel41(src + 3 * q[i]);
        const __m128i b = loadPixel41(src + 3 * qb[i]);
        const __m128i d = _mm_mullo_epi32(_mm_sub_epi32(b, a), _mm_set1_epi32(p[i]));
        storePixel41(dst + 3 * i, _mm_add_epi32(a, _mm_srai_epi32(d, kFracBits)));
    }
}
#endif

void fastEnlargeRow24(
    const uint8_t* src, uint8_t* dst, int dw, const int* q, const int* qb, const int* p)
{
#ifdef BL_HAVE_SSE41_ROWS
    if (haveSse41())
        return fastEnlargeRow41(src, dst, dw, q, qb, p);
#endif
    for (int i = 0; i < dw; ++i) {
        const V4I a = loadPixel(src + 3 * q[i]);
        const V4I b = loadPixel(src + 3 * qb[i]);
        storePixel(dst + 3 * i, a + (((b - a) * p[i]) >> kFracBits));
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

// The colour version of fastMeanRow on padded rows: sums of bytes are exact in float lanes.
#ifdef BL_HAVE_SSE41_ROWS
BL_SSE41 void fastMeanRow41(const uint8_t* src, uint8_t* dst, int dw, const FastTables& t)
{
    for (int i = 0; i < dw; ++i) {
        __m128 sum = _mm_setzero_ps();
        for (int k = t.q[size_t(i)]; k <= t.r[size_t(i)]; ++k)
            sum = _mm_add_ps(sum, _mm_cvtepi32_ps(loadPixel41(src + 3 * k)));
        const __m128 mean = _mm_div_ps(sum, _mm_set1_ps(t.count[size_t(i)]));
        storePixel41(dst + 3 * i, _mm_cvttps_epi32(mean));
    }
}
#endif

void fastMeanRow24(const uint8_t* src, uint8_t* dst, int dw, const FastTables& t)
{
#ifdef BL_HAVE_SSE41_ROWS
    if (haveSse41())
        return fastMeanRow41(src, dst, dw, t);
#endif
    for (int i = 0; i < dw; ++i) {
        V4F sum = { 0, 0, 0, 0 };
        for (int k = t.q[size_t(i)]; k <= t.r[size_t(i)]; ++k)
            sum += __builtin_convertvector(loadPixel(src + 3 * k), V4F);
        storePixel(dst + 3 * i, __builtin_convertvector(sum / t.count[size_t(i)], V4I));
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

// Runs the vertical pass over destination rows in bands, each band first making the
// horizontal-pass rows it needs into a small buffer that stays in cache, instead of one work
// raster of dw x sh: less memory traffic and no page faults on a large fresh block. Rows shared
// by consecutive bands are moved, not recomputed, so every work row is made once per thread.
// need(j) gives the first and last work row destination row j reads; horiz(y, out) makes work
// row y; vert(j, row) makes destination row j, row(k) giving work row k.
template <typename Need, typename Horiz, typename Vert>
void bandedPasses(int dh, int sh, int64_t workBytes, int64_t cost, const Need& need,
    const Horiz& horiz, const Vert& vert)
{
    const int band = std::clamp(int(64.0 * dh / std::max(sh, 1)), 4, 512);
    // Rows get 4 bytes of slack so pixel loops may store 4 bytes for a 3-byte pixel.
    const int64_t stride = (workBytes + 4 + 15) / 16 * 16;
    ParallelRows(dh, cost, [&](int begin, int end) {
        std::vector<uint8_t> buf;
        int haveLo = 0, haveHi = -1;
        for (int jb = begin; jb < end; jb += band) {
            const int je = std::min(end, jb + band);
            int lo = INT32_MAX, hi = -1;
            for (int j = jb; j < je; ++j) {
                const auto [a, b] = need(j);
                lo = std::min(lo, a);
                hi = std::max(hi, b);
            }
            int firstNew = lo;
            if (lo >= haveLo && lo <= haveHi && hi >= haveHi) {
                std::memmove(buf.data(), buf.data() + (lo - haveLo) * stride,
                    size_t((haveHi - lo + 1) * stride));
                firstNew = haveHi + 1;
            }
            buf.resize(size_t((hi - lo + 1) * stride));
            for (int y = firstNew; y <= hi; ++y)
                horiz(y, buf.data() + (y - lo) * stride);
            haveLo = lo;
            haveHi = hi;
            const auto row = [&](int k) { return buf.data() + (k - lo) * stride; };
            for (int j = jb; j < je; ++j)
                vert(j, row);
        }
    });
}

template <int C> void fastLinear(const TIEBitmap& src, TIEBitmap& dst, int dw, int dh)
{
    const int sw = src.Width(), sh = src.Height();
    const double fx = double(dw) / sw;
    const double fy = double(dh) / sh;
    const FastTables t = fastColumnTables(dw, sw, fx);
    if (!ensureShape(dst, dw, dh, src.PixelFormat()))
        return;
    const int n = dw * C;

    struct RowPlan {
        int a, b, m; // rows a..b; m: fraction (enlarging) or -1 for the mean of a..b
    };
    std::vector<RowPlan> plan(static_cast<size_t>(dh));
    for (int j = 0; j < dh; ++j) {
        if (fy > 1) {
            const double pos = j / fy;
            const int h = std::min(int(pos), sh - 1);
            const int m = int((pos - h) * kFracOne);
            plan[size_t(j)] = { h, h + 1 < sh ? h + 1 : h, m };
        } else {
            const int lo = std::min(int(j / fy), sh - 1);
            const int hi = std::clamp(int(std::min(j + 1, dh - 1) / fy), lo, sh - 1);
            plan[size_t(j)] = { lo, hi, -1 };
        }
    }
    bandedPasses(
        dh, sh, n, int64_t(n) * 4,
        [&](int j) { return std::pair(plan[size_t(j)].a, plan[size_t(j)].b); },
        [&](int y, uint8_t* out) {
            if (C == 1) {
                if (fx > 1)
                    fastEnlargeRow<C>(src.Row(y), out, dw, sw, t);
                else
                    fastMeanRow<C>(src.Row(y), out, dw, t);
                return;
            }
            thread_local std::vector<uint8_t> padded;
            padded.resize(size_t(sw) * 3 + 4);
            std::memcpy(padded.data(), src.Row(y), size_t(sw) * 3);
            if (fx > 1)
                fastEnlargeRow24(padded.data(), out, dw, t.q.data(), t.qb.data(), t.p.data());
            else
                fastMeanRow24(padded.data(), out, dw, t);
        },
        [&](int j, const auto& row) {
            const RowPlan& p = plan[size_t(j)];
            uint8_t* out = dst.Row(j);
            if (p.a == p.b || p.m == 0) {
                std::memcpy(out, row(p.a), size_t(n));
            } else if (p.m > 0) {
                lerpRows(row(p.a), row(p.b), out, n, p.m);
            } else {
                thread_local std::vector<int> acc;
                acc.assign(size_t(n), 0);
                for (int k = p.a; k <= p.b; ++k)
                    addRow(acc.data(), row(k), n);
                divideRow(acc.data(), out, n, float(p.b - p.a + 1));
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

// One-channel rows (alpha planes).
void kernelRow8(const uint8_t* src, uint8_t* dst, int dw, const Contributors& k)
{
    const int taps = k.taps;
    for (int i = 0; i < dw; ++i) {
        const int* idx = &k.index[size_t(i) * size_t(taps)];
        const int* w = &k.weight[size_t(i) * size_t(taps)];
        int sum = 0;
        for (int t = 0; t < taps; ++t)
            sum += w[t] * src[idx[t]];
        dst[i] = kernelResult(sum, k.total[size_t(i)]);
    }
}

// Colour rows: the three channels of a pixel in one 4-lane vector. Products and sums of the
// 8-bit weights and values are integers far below 2^24, so float lanes hold them exactly, and
// the correctly rounded float quotient truncates to the integer one (see quotient). `src` has
// one byte of slack after its last pixel, `dst` one byte after its last.
#ifdef BL_HAVE_SSE41_ROWS
BL_SSE41 void kernelRow41(const uint8_t* src, uint8_t* dst, int dw, const Contributors& k,
    const std::vector<float>& weightF, const std::vector<float>& totalF)
{
    const int taps = k.taps;
    for (int i = 0; i < dw; ++i) {
        const int* idx = &k.index[size_t(i) * size_t(taps)];
        const float* w = &weightF[size_t(i) * size_t(taps)];
        __m128 acc = _mm_setzero_ps();
        for (int t = 0; t < taps; ++t)
            acc = _mm_add_ps(
                acc, _mm_mul_ps(_mm_cvtepi32_ps(loadPixel41(src + 3 * idx[t])), _mm_set1_ps(w[t])));
        const int total = k.total[size_t(i)];
        const __m128i v = total != 0
            ? _mm_cvttps_epi32(_mm_div_ps(acc, _mm_set1_ps(totalF[size_t(i)])))
            : _mm_srai_epi32(_mm_cvttps_epi32(acc), 8);
        storePixel41(dst + 3 * i, v);
    }
}
#endif

void kernelRow24(const uint8_t* src, uint8_t* dst, int dw, const Contributors& k,
    const std::vector<float>& weightF, const std::vector<float>& totalF)
{
#ifdef BL_HAVE_SSE41_ROWS
    if (haveSse41())
        return kernelRow41(src, dst, dw, k, weightF, totalF);
#endif
    const int taps = k.taps;
    for (int i = 0; i < dw; ++i) {
        const int* idx = &k.index[size_t(i) * size_t(taps)];
        const float* w = &weightF[size_t(i) * size_t(taps)];
        V4F acc = { 0, 0, 0, 0 };
        for (int t = 0; t < taps; ++t) {
            V4B px;
            std::memcpy(&px, src + 3 * idx[t], 4);
            acc += __builtin_convertvector(px, V4F) * w[t];
        }
        const int total = k.total[size_t(i)];
        V4I v;
        if (total != 0) {
            v = __builtin_convertvector(acc / totalF[size_t(i)], V4I);
        } else {
            v = __builtin_convertvector(acc, V4I) >> 8;
        }
        v &= ~(v < 0);
        const V4I high = v > 255;
        v = (v & ~high) | (high & 255);
        const V4B out = __builtin_convertvector(v, V4B);
        std::memcpy(dst + 3 * i, &out, 4);
    }
}

BL_ROW_LOOP void macRow(float* acc, const uint8_t* src, int n, float w)
{
    for (int x = 0; x < n; ++x)
        acc[x] += w * float(src[x]);
}

BL_ROW_LOOP void kernelDivideRow(const float* acc, uint8_t* dst, int n, float total)
{
    for (int x = 0; x < n; ++x) {
        const int v = int(acc[x] / total);
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
    const Contributors cols = kernelContributors(dw, sw, filter);
    const Contributors rows = kernelContributors(dh, sh, filter);
    const std::vector<float> colWeights(cols.weight.begin(), cols.weight.end());
    const std::vector<float> colTotals(cols.total.begin(), cols.total.end());
    const int n = dw * C;
    const size_t rt = size_t(rows.taps);
    bandedPasses(
        dh, sh, n, int64_t(n) * (cols.taps + rows.taps),
        [&](int j) {
            const int* idx = &rows.index[size_t(j) * rt];
            return std::pair(*std::min_element(idx, idx + rt), *std::max_element(idx, idx + rt));
        },
        [&](int y, uint8_t* out) {
            if (C == 1) {
                kernelRow8(src.Row(y), out, dw, cols);
                return;
            }
            // A copy of the source row with slack, for the 4-byte pixel loads.
            thread_local std::vector<uint8_t> padded;
            padded.resize(size_t(sw) * 3 + 4);
            std::memcpy(padded.data(), src.Row(y), size_t(sw) * 3);
            kernelRow24(padded.data(), out, dw, cols, colWeights, colTotals);
        },
        [&](int j, const auto& row) {
            thread_local std::vector<float> acc;
            acc.assign(size_t(n), 0.0f);
            for (size_t t = 0; t < rt; ++t) {
                const int w = rows.weight[size_t(j) * rt + t];
                if (w != 0)
                    macRow(acc.data(), row(rows.index[size_t(j) * rt + t]), n, float(w));
            }
            const int total = rows.total[size_t(j)];
            uint8_t* out = dst.Row(j);
            if (total == 0) {
                for (int x = 0; x < n; ++x)
                    out[x] = clampByte(int(acc[size_t(x)]) >> 8);
            } else {
                kernelDivideRow(acc.data(), out, n, float(total));
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

void SetResamplerSimd(bool on)
{
#ifdef BL_HAVE_SSE41_ROWS
    g_simdAllowed.store(on, std::memory_order_relaxed);
#else
    (void)on;
#endif
}

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
