#include "document/ie_bitmap.h"
#include "document/ie_bitmap_qimage.h"

#include <QPainter>

#include <cstring>
#include <gtest/gtest.h>

using namespace borderlux;

namespace {

// A 24-bit raster whose pixel (x, y) holds blue = x + 10 y, green = 100 + x, red = 200 + y, so a
// wrong row or column shows in the value read back.
TIEBitmap codedRaster(int w, int h)
{
    TIEBitmap bmp;
    EXPECT_TRUE(bmp.Allocate(w, h, ie24RGB));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            *bmp.PixelPtr(x, y) = { uint8_t(x + 10 * y), uint8_t(100 + x), uint8_t(200 + y) };
    return bmp;
}

bool samePixel(TRGB a, TRGB b)
{
    return a.b == b.b && a.g == b.g && a.r == b.r;
}

} // namespace

TEST(IEBitmap, RowLengthPadsToFourBytes)
{
    struct Case {
        int width;
        TIEPixelFormat format;
        int64_t rowLength;
    } cases[] = {
        { 1, ie24RGB, 4 },
        { 5, ie24RGB, 16 },
        { 4, ie24RGB, 12 },
        { 1, ie8g, 4 },
        { 5, ie8g, 8 },
        { 1, ie1g, 4 },
        { 33, ie1g, 8 },
        { 32, ie1g, 4 },
        { 3, ie8p, 4 },
    };
    for (const Case& c : cases) {
        TIEBitmap bmp;
        ASSERT_TRUE(bmp.Allocate(c.width, 2, c.format));
        EXPECT_EQ(bmp.RowLength(), c.rowLength) << c.width << " px, format " << c.format;
        EXPECT_EQ(bmp.Row(1) - bmp.Row(0), c.rowLength);
    }
}

TEST(IEBitmap, AllocateRefusesBadSizesAndLeavesEmpty)
{
    const int sizes[][2] = { { 0, 5 }, { 5, 0 }, { -1, 3 }, { 3, -7 } };
    for (const auto& s : sizes) {
        TIEBitmap bmp = codedRaster(2, 2);
        bmp.AlphaPlane();
        EXPECT_FALSE(bmp.Allocate(s[0], s[1], ie24RGB));
        EXPECT_EQ(bmp.Width(), 0);
        EXPECT_EQ(bmp.Height(), 0);
        EXPECT_FALSE(bmp.HasAlphaPlane());
    }
}

TEST(IEBitmap, FillUsesRedLowColourOrder)
{
    TIEBitmap bmp;
    ASSERT_TRUE(bmp.Allocate(3, 2, ie24RGB));
    bmp.Fill(RGBColor(10, 20, 30));
    EXPECT_TRUE(samePixel(bmp.ReadRGB(2, 1), TRGB { 30, 20, 10 }));

    TIEBitmap grey;
    ASSERT_TRUE(grey.Allocate(3, 2, ie8g));
    grey.Fill(0x1234);
    EXPECT_EQ(grey.Row(1)[2], 0x34);
}

TEST(IEBitmap, AlphaPlaneCreationAndOpaqueFlag)
{
    TIEBitmap bmp = codedRaster(4, 3);
    EXPECT_FALSE(bmp.HasAlphaPlane());
    EXPECT_EQ(bmp.ReadAlpha(3, 2), 255); // reading creates an all-255 plane
    ASSERT_TRUE(bmp.HasAlphaPlane());
    TIEBitmap& plane = bmp.AlphaPlane();
    EXPECT_EQ(plane.Width(), 4);
    EXPECT_EQ(plane.Height(), 3);
    EXPECT_EQ(plane.PixelFormat(), ie8g);
    EXPECT_TRUE(plane.IsAlphaPlane());
    EXPECT_TRUE(plane.FullyOpaque());
    EXPECT_EQ(&plane.AlphaPlane(), &plane); // a plane has no plane of its own

    bmp.WriteAlpha(1, 1, 255);
    EXPECT_TRUE(plane.FullyOpaque());
    bmp.WriteAlpha(1, 1, 254);
    EXPECT_FALSE(plane.FullyOpaque());
    bmp.WriteAlpha(1, 1, 255);
    EXPECT_FALSE(plane.FullyOpaque()); // only Fill(255) or a scan make it true again
    plane.SyncOpaqueFlag();
    EXPECT_TRUE(plane.FullyOpaque());

    plane.Fill(7);
    EXPECT_FALSE(plane.FullyOpaque());
    plane.Fill(255);
    EXPECT_TRUE(plane.FullyOpaque());
}

TEST(IEBitmap, DropAlphaPlaneMergesWithCoverageBlend)
{
    struct Case {
        TRGB pixel;
        uint8_t alpha;
        uint32_t background;
        TRGB expected;
    } cases[] = {
        { { 255, 255, 255 }, 255, RGBColor(0, 0, 0), { 254, 254, 254 } },
        { { 255, 255, 255 }, 0, RGBColor(0, 0, 0), { 0, 0, 0 } },
        { { 0, 0, 0 }, 128, RGBColor(255, 255, 255), { 127, 127, 127 } }, // 255 + floor(-127.5)
        { { 10, 20, 30 }, 255, RGBColor(255, 255, 255), { 10, 20, 30 } }, // floor keeps it exact
    };
    for (const Case& c : cases) {
        TIEBitmap bmp;
        ASSERT_TRUE(bmp.Allocate(1, 1, ie24RGB));
        *bmp.PixelPtr(0, 0) = c.pixel;
        bmp.WriteAlpha(0, 0, c.alpha);
        bmp.DropAlphaPlane(true, c.background);
        EXPECT_FALSE(bmp.HasAlphaPlane());
        const TRGB got = bmp.ReadRGB(0, 0);
        EXPECT_TRUE(samePixel(got, c.expected)) << "alpha " << int(c.alpha) << " got " << int(got.r)
                                                << "," << int(got.g) << "," << int(got.b);
    }

    // Without merge the pixels stay; on a plane itself nothing happens.
    TIEBitmap bmp = codedRaster(2, 2);
    bmp.WriteAlpha(0, 0, 0);
    bmp.AlphaPlane().DropAlphaPlane(true, 0);
    EXPECT_TRUE(bmp.HasAlphaPlane());
    bmp.DropAlphaPlane(false, 0);
    EXPECT_FALSE(bmp.HasAlphaPlane());
    EXPECT_EQ(bmp.ReadRGB(0, 0).r, 200);
}

TEST(IEBitmap, AssignAndAssignPixelsTreatThePlaneDifferently)
{
    TIEBitmap withPlane = codedRaster(3, 2);
    withPlane.WriteAlpha(2, 1, 17);
    TIEBitmap withoutPlane = codedRaster(5, 4);

    // Assign copies the source's plane ...
    TIEBitmap a;
    a.Assign(withPlane);
    ASSERT_TRUE(a.HasAlphaPlane());
    EXPECT_EQ(a.ReadAlpha(2, 1), 17);
    EXPECT_FALSE(a.AlphaPlane().FullyOpaque());
    EXPECT_TRUE(samePixel(a.ReadRGB(2, 1), withPlane.ReadRGB(2, 1)));
    // ... and drops its own when the source has none.
    a.Assign(withoutPlane);
    EXPECT_FALSE(a.HasAlphaPlane());
    EXPECT_EQ(a.Width(), 5);
    EXPECT_TRUE(samePixel(a.ReadRGB(4, 3), withoutPlane.ReadRGB(4, 3)));

    // AssignPixels keeps this raster's plane exactly, even when the size no longer matches.
    TIEBitmap b;
    b.Assign(withPlane);
    b.AssignPixels(withoutPlane);
    ASSERT_TRUE(b.HasAlphaPlane());
    EXPECT_EQ(b.AlphaPlane().Width(), 3);
    EXPECT_EQ(b.ReadAlpha(2, 1), 17);
    EXPECT_EQ(b.Width(), 5);

    // A platform-bitmap raster ignores an empty source; others become empty.
    TIEBitmap empty;
    TIEBitmap layer;
    layer.SetPlatformBitmapStorage(true);
    layer.Assign(withPlane);
    layer.Assign(empty);
    EXPECT_EQ(layer.Width(), 3);
    a.Assign(empty);
    EXPECT_TRUE(a.IsEmpty());
}

TEST(IEBitmap, ResizeCanvasKeepsTopLeftAndFillsTheRest)
{
    TIEBitmap bmp = codedRaster(2, 2);
    bmp.WriteAlpha(1, 1, 50);
    ASSERT_TRUE(bmp.ResizeCanvas(3, 3, RGBColor(255, 255, 255), 9));
    EXPECT_EQ(bmp.Width(), 3);
    EXPECT_EQ(bmp.Height(), 3);
    const TRGB white { 255, 255, 255 };
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            const bool old = x < 2 && y < 2;
            const TRGB want
                = old ? TRGB { uint8_t(x + 10 * y), uint8_t(100 + x), uint8_t(200 + y) } : white;
            EXPECT_TRUE(samePixel(bmp.ReadRGB(x, y), want)) << x << "," << y;
            const uint8_t alpha = old ? (x == 1 && y == 1 ? 50 : 255) : 9;
            EXPECT_EQ(bmp.ReadAlpha(x, y), alpha) << x << "," << y;
        }
    }

    // Shrinking discards; a 1-bit raster keeps its bits across a partial byte.
    ASSERT_TRUE(bmp.ResizeCanvas(1, 2, 0, 255));
    EXPECT_TRUE(samePixel(bmp.ReadRGB(0, 1), TRGB { 10, 100, 201 }));
    TIEBitmap bits;
    ASSERT_TRUE(bits.Allocate(3, 1, ie1g));
    bits.Row(0)[0] = 0xA0; // 1 0 1
    ASSERT_TRUE(bits.ResizeCanvas(10, 1, 0, 255));
    EXPECT_EQ(bits.Row(0)[0], 0xA0);
    EXPECT_TRUE(samePixel(bits.PixelAsRGB(2, 0), white));
    EXPECT_FALSE(bmp.ResizeCanvas(0, 2, 0, 255));
}

TEST(IEBitmap, StoragePolicyFollowsTheThreshold)
{
    EXPECT_GT(DefaultLargeRasterThreshold(), 0);
    struct Case {
        bool preferFile;
        int64_t threshold;
        TIELocation expected;
    } cases[] = {
        { true, 0, ieFile }, // snapshots: threshold 0, always a file
        { true, 1 << 30, ieMemory },
        { false, 0, ieFile },
        { false, 1 << 30, ieMemory },
    };
    for (const Case& c : cases) {
        TIEBitmap bmp;
        bmp.SetPreferFileStorage(c.preferFile);
        bmp.SetLargeRasterThreshold(c.threshold);
        ASSERT_TRUE(bmp.Allocate(64, 32, ie24RGB));
        EXPECT_EQ(bmp.Location(), c.expected);
    }

    // A file-stored copy holds the same pixels, survives releasing its mapping, and copies back.
    TIEBitmap source = codedRaster(7, 5);
    TIEBitmap file;
    file.SetLargeRasterThreshold(0);
    file.Assign(source);
    EXPECT_EQ(file.Location(), ieFile);
    file.ReleaseMapping();
    TIEBitmap back;
    back.Assign(file);
    EXPECT_EQ(back.Location(), ieMemory);
    EXPECT_EQ(std::memcmp(back.Bits(), source.Bits(), size_t(source.ByteSize())), 0);
    EXPECT_TRUE(samePixel(file.ReadRGB(6, 4), source.ReadRGB(6, 4)));
}

TEST(IEBitmap, PlatformBitmapSharesTheRows)
{
    TIEBitmap bmp = codedRaster(5, 3);
    QImage view = PlatformBitmap(bmp);
    ASSERT_FALSE(view.isNull());
    EXPECT_EQ(view.bytesPerLine(), bmp.RowLength());
    EXPECT_EQ(view.constBits(), bmp.Bits());
    {
        QPainter p(&view);
        p.fillRect(1, 1, 2, 1, QColor(1, 2, 3));
    }
    EXPECT_TRUE(samePixel(bmp.ReadRGB(2, 1), TRGB { 3, 2, 1 }));
    EXPECT_TRUE(samePixel(bmp.ReadRGB(3, 1), TRGB { 13, 103, 201 }));

    // Round trip through QImage keeps colours and alpha.
    bmp.WriteAlpha(4, 2, 66);
    TIEBitmap copy;
    AssignFromQImage(copy, ToQImage(bmp));
    EXPECT_TRUE(samePixel(copy.ReadRGB(4, 2), bmp.ReadRGB(4, 2)));
    EXPECT_EQ(copy.ReadAlpha(4, 2), 66);
    EXPECT_FALSE(copy.AlphaPlane().FullyOpaque());
}
