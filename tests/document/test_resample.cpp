#include "document/layer_view.h"
#include "document/parallel_rows.h"
#include "document/resample.h"
#include "tests/document/core_test_util.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <vector>

using namespace borderlux;
using namespace borderlux::testutil;

namespace {

// Plain byte images for the reference resamplers: w x h x c, row-major.
struct Plane {
    int w = 0, h = 0, c = 1;
    std::vector<int> v;
    int& at(int x, int y, int ch) { return v[size_t((y * w + x) * c + ch)]; }
    int at(int x, int y, int ch) const { return v[size_t((y * w + x) * c + ch)]; }
};

Plane toPlane(const TIEBitmap& b)
{
    Plane p { b.Width(), b.Height(), b.PixelFormat() == ie24RGB ? 3 : 1, {} };
    p.v.resize(size_t(p.w) * p.h * p.c);
    for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x)
            for (int ch = 0; ch < p.c; ++ch)
                p.at(x, y, ch) = b.Row(y)[x * p.c + ch];
    return p;
}

// The fast linear resampler written out per pixel with doubles and std::floor.
Plane refFastLinear(const Plane& s, int dw, int dh)
{
    if (dw == s.w && dh == s.h)
        return s;
    const double fx = double(dw) / s.w, fy = double(dh) / s.h;
    Plane work { dw, s.h, s.c, std::vector<int>(size_t(dw) * s.h * s.c) };
    for (int y = 0; y < s.h; ++y)
        for (int i = 0; i < dw; ++i) {
            const double t = i / fx;
            const int q = int(std::trunc(t));
            const int p = int(std::trunc((t - q) * 131072));
            const int r = int(std::trunc(std::min(i + 1, dw - 1) / fx + 1e-10));
            for (int ch = 0; ch < s.c; ++ch) {
                if (fx > 1) {
                    const int a = s.at(q, y, ch), b = s.at(std::min(q + 1, s.w - 1), y, ch);
                    work.at(i, y, ch) = a + int(std::floor((b - a) * double(p) / 131072));
                } else {
                    int sum = 0;
                    for (int k = q; k <= r; ++k)
                        sum += s.at(k, y, ch);
                    work.at(i, y, ch) = sum / (r - q + 1);
                }
            }
        }
    Plane out { dw, dh, s.c, std::vector<int>(size_t(dw) * dh * s.c) };
    for (int j = 0; j < dh; ++j)
        for (int x = 0; x < dw; ++x)
            for (int ch = 0; ch < s.c; ++ch) {
                if (fy > 1) {
                    const double t = j / fy;
                    const int h = int(std::trunc(t));
                    const int m = int(std::trunc((t - h) * 131072));
                    const int a = work.at(x, h, ch);
                    const int b = work.at(x, h + 1 < s.h ? h + 1 : h, ch);
                    out.at(x, j, ch) = a + int(std::floor((b - a) * double(m) / 131072));
                } else {
                    const int lo = int(std::trunc(j / fy));
                    const int hi = int(std::trunc(std::min(j + 1, dh - 1) / fy));
                    int sum = 0;
                    for (int k = lo; k <= hi; ++k)
                        sum += work.at(x, k, ch);
                    out.at(x, j, ch) = sum / (hi - lo + 1);
                }
            }
    return out;
}

struct Contrib {
    int index, weight;
};

std::vector<std::vector<Contrib>> refContributors(int dsize, int ssize, TResampleFilter f)
{
    const double S = KernelSupport(f);
    const double scale
        = (ssize == 1 || dsize == 1) ? double(dsize) / ssize : double(dsize - 1) / (ssize - 1);
    std::vector<std::vector<Contrib>> all(static_cast<size_t>(dsize));
    for (int i = 0; i < dsize; ++i) {
        const double c = i / scale;
        const double width = scale >= 1 ? S : S / scale;
        for (int k = int(std::floor(c - width)); k <= int(std::ceil(c + width)); ++k) {
            const double w = scale >= 1
                ? KernelWeight(f, c - k) * 256
                : KernelWeight(f, (c - k) / (1 / scale)) * 256 / (1 / scale);
            const int wi = int(std::nearbyint(w));
            if (wi == 0)
                continue;
            int idx = k < 0 ? -k : (k >= ssize ? 2 * ssize - 1 - k : k);
            idx = std::clamp(idx, 0, ssize - 1);
            all[size_t(i)].push_back({ idx, wi });
        }
    }
    return all;
}

int refChannel(int64_t sum, int64_t total)
{
    const int64_t v = total == 0 ? (sum >> 8) : sum / total;
    return int(std::clamp<int64_t>(v, 0, 255));
}

Plane refKernel(const Plane& s, int dw, int dh, TResampleFilter f)
{
    const auto cols = refContributors(dw, s.w, f);
    const auto rows = refContributors(dh, s.h, f);
    Plane work { dw, s.h, s.c, std::vector<int>(size_t(dw) * s.h * s.c) };
    for (int y = 0; y < s.h; ++y)
        for (int i = 0; i < dw; ++i)
            for (int ch = 0; ch < s.c; ++ch) {
                int64_t sum = 0, total = 0;
                for (const Contrib& k : cols[size_t(i)]) {
                    sum += int64_t(k.weight) * s.at(k.index, y, ch);
                    total += k.weight;
                }
                work.at(i, y, ch) = refChannel(sum, total);
            }
    Plane out { dw, dh, s.c, std::vector<int>(size_t(dw) * dh * s.c) };
    for (int j = 0; j < dh; ++j)
        for (int x = 0; x < dw; ++x)
            for (int ch = 0; ch < s.c; ++ch) {
                int64_t sum = 0, total = 0;
                for (const Contrib& k : rows[size_t(j)]) {
                    sum += int64_t(k.weight) * work.at(x, k.index, ch);
                    total += k.weight;
                }
                out.at(x, j, ch) = refChannel(sum, total);
            }
    return out;
}

int64_t planeDiff(const Plane& a, const Plane& b)
{
    if (a.w != b.w || a.h != b.h || a.c != b.c)
        return -1;
    int64_t n = 0;
    for (size_t i = 0; i < a.v.size(); ++i)
        n += a.v[i] != b.v[i];
    return n;
}

void makeGreyRow(TIEBitmap& b, const std::vector<int>& values)
{
    Make24(b, int(values.size()), 1, [&](int x, int) {
        const auto v = uint8_t(values[size_t(x)]);
        return TRGB { v, v, v };
    });
}

} // namespace

TEST(Resample, WorkedRows)
{
    struct Case {
        const char* what;
        TResampleFilter filter;
        std::vector<int> in;
        int width;
        std::vector<int> out;
    } cases[] = {
        { "fast linear halving takes means", rfFastLinear, { 0, 10, 20, 30 }, 2, { 10, 20 } },
        { "fast linear doubling", rfFastLinear, { 0, 255 }, 4, { 0, 127, 255, 255 } },
        { "linear 2 to 3", rfLinear, { 0, 255 }, 3, { 0, 127, 255 } },
        { "nearest 3 to 7", rfNone, { 10, 20, 30 }, 7, { 10, 10, 10, 20, 20, 30, 30 } },
        { "triangle keeps corners", rfTriangle, { 0, 90, 255 }, 5, { 0, 45, 90, 172, 255 } },
    };
    for (const Case& c : cases) {
        TIEBitmap src, dst;
        makeGreyRow(src, c.in);
        ASSERT_TRUE(ResampleTo(src, dst, c.width, 1, c.filter)) << c.what;
        ASSERT_EQ(dst.Width(), c.width) << c.what;
        std::vector<int> got;
        for (int x = 0; x < c.width; ++x) {
            const TRGB p = dst.ReadRGB(x, 0);
            EXPECT_TRUE(p.r == p.g && p.g == p.b) << c.what;
            got.push_back(p.r);
        }
        EXPECT_EQ(got, c.out) << c.what;
    }
}

TEST(Resample, TargetSizeRules)
{
    struct Case {
        int sw, sh, nw, nh;
        bool ok;
        int w, h;
    } cases[] = {
        { 200, 100, -1, 50, true, 100, 50 },
        { 200, 100, 300, -1, true, 300, 150 },
        { 200, 100, 0, 0, true, 200, 100 },
        { 200, 100, 50, 0, true, 50, 100 },
        { 200, 100, -30, 20, true, 30, 20 },
        { 3, 1000, -1, 1, true, 1, 1 }, // 1 x 3 div 1000 = 0 -> 1
        { 200, 100, -30, -1, false, 0, 0 },
    };
    for (const Case& c : cases) {
        int w = 0, h = 0;
        EXPECT_EQ(ResampleTargetSize(c.sw, c.sh, c.nw, c.nh, w, h), c.ok)
            << c.sw << "x" << c.sh << " -> " << c.nw << "," << c.nh;
        if (c.ok) {
            EXPECT_EQ(std::make_pair(w, h), std::make_pair(c.w, c.h))
                << c.sw << "x" << c.sh << " -> " << c.nw << "," << c.nh;
        }
    }
    TIEBitmap src, dst;
    MakeSolid(src, 200, 100, { 1, 2, 3 });
    ASSERT_TRUE(ResampleTo(src, dst, -1, 50, rfLinear));
    EXPECT_EQ(dst.Width(), 100);
    EXPECT_EQ(dst.Height(), 50);
    EXPECT_FALSE(ResampleTo(src, dst, -5, -5, rfLinear));
}

TEST(Resample, FastLinearEqualScaleCopiesAndUnitScaleAverages)
{
    std::mt19937 rng(5);
    TIEBitmap src, same, wide;
    MakeRandom(src, 100, 100, rng);
    ResampleTo(src, same, 100, 100, rfFastLinear);
    EXPECT_EQ(DiffBytes(same, src), 0);
    ResampleTo(src, wide, 200, 100, rfFastLinear);
    // Column 0 sits on source column 0; rows average with the next one, the last row alone.
    EXPECT_EQ(wide.ReadRGB(0, 10).r, (src.ReadRGB(0, 10).r + src.ReadRGB(0, 11).r) / 2);
    EXPECT_EQ(wide.ReadRGB(0, 99).g, src.ReadRGB(0, 99).g);
}

TEST(Resample, TransparentPixelsTurnGreyAndAlphaFollows)
{
    TIEBitmap src, dst;
    MakeSolid(src, 4, 2, { 0, 0, 255 });
    src.WriteAlpha(0, 0, 0);
    src.WriteAlpha(1, 0, 10);
    ASSERT_TRUE(ResampleTo(src, dst, 8, 4, rfFastLinear));
    EXPECT_TRUE(SameTriple(src.ReadRGB(0, 0), { 128, 128, 128 }));
    EXPECT_TRUE(SameTriple(src.ReadRGB(1, 0), { 0, 0, 255 }));
    ASSERT_TRUE(dst.HasAlphaPlane());
    EXPECT_TRUE(dst.ExistingAlphaPlane()->IsAlphaPlane());
    EXPECT_FALSE(dst.ExistingAlphaPlane()->FullyOpaque());
    EXPECT_EQ(dst.ReadAlpha(0, 0), 0);
    EXPECT_EQ(dst.ReadAlpha(7, 3), 255);

    // Without a plane the destination loses an old one.
    TIEBitmap plain;
    MakeSolid(plain, 4, 2, { 1, 1, 1 });
    ResampleTo(plain, dst, 8, 4, rfLinear);
    EXPECT_FALSE(dst.HasAlphaPlane());
}

TEST(Resample, TwoColourSourceFiltersAsColour)
{
    TIEBitmap src, dst;
    ASSERT_TRUE(src.Allocate(2, 1, ie1g));
    src.Row(0)[0] = 0x80; // white, black
    ASSERT_TRUE(ResampleTo(src, dst, 3, 1, rfLinear));
    EXPECT_EQ(dst.PixelFormat(), ie24RGB);
    EXPECT_EQ(dst.ReadRGB(0, 0).r, 255);
    EXPECT_EQ(dst.ReadRGB(1, 0).r, 127);
    EXPECT_EQ(dst.ReadRGB(2, 0).r, 0);
    ASSERT_TRUE(ResampleTo(src, dst, 4, 1, rfNone)); // nearest keeps the format
    EXPECT_EQ(dst.PixelFormat(), ie1g);
    EXPECT_EQ(dst.Row(0)[0] & 0xF0, 0xC0);
}

// The row-wise, table-driven, threaded resamplers against the per-pixel reference formulas,
// for colour and for alpha planes, enlarging, reducing and mixed.
TEST(Resample, FastPathsMatchReferenceFormulas)
{
    std::mt19937 rng(77);
    const int sizes[][4] = { { 37, 23, 80, 50 }, { 80, 50, 37, 23 }, { 50, 40, 50, 90 },
        { 64, 64, 17, 100 }, { 9, 300, 31, 7 }, { 1, 20, 5, 7 } };
    for (const auto& s : sizes)
        for (const TIEPixelFormat format : { ie24RGB, ie8g })
            for (const int threads : { 1, 4 }) {
                SetWorkerThreadCount(threads);
                SetResamplerSimd(threads == 1); // the generic pixel loops on the other pass
                TIEBitmap src, fast;
                MakeRandom(src, s[0], s[1], rng, format);
                const Plane ref = refFastLinear(toPlane(src), s[2], s[3]);
                ResampleFastLinear(src, fast, s[2], s[3]);
                EXPECT_EQ(planeDiff(toPlane(fast), ref), 0)
                    << "fast linear " << s[0] << "x" << s[1] << " -> " << s[2] << "x" << s[3]
                    << " format " << format << " threads " << threads;
                for (TResampleFilter f = rfTriangle; f <= rfLinear; f = TResampleFilter(f + 1)) {
                    TIEBitmap kernel;
                    ResampleKernel(src, kernel, s[2], s[3], f);
                    EXPECT_EQ(planeDiff(toPlane(kernel), refKernel(toPlane(src), s[2], s[3], f)), 0)
                        << "kernel " << f << " " << s[0] << "x" << s[1] << " -> " << s[2] << "x"
                        << s[3] << " format " << format << " threads " << threads;
                }
            }
    SetWorkerThreadCount(0);
    SetResamplerSimd(true);
}

TEST(Resample, ProcessorResampleKeepsLayerStorage)
{
    TIELayerView view;
    MakeSolid(view.LayerAt(0).Bitmap, 8, 6, { 1, 2, 3 });
    view.Proc().Resample(4, -1, rfLinear);
    const TIEBitmap& b = view.LayerAt(0).Bitmap;
    EXPECT_EQ(b.Width(), 4);
    EXPECT_EQ(b.Height(), 3);
    EXPECT_EQ(b.Location(), ieTBitmap);
    EXPECT_EQ(view.Proc().SnapshotCaption(0), "Resample 4,-1");
}
