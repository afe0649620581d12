#include "document/frame_apply.h"
#include "document/layer_view.h"

#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <string>

namespace borderlux {
namespace {

// Rasters stand in for files: the reader looks the name up in this table.
using PixelFn = std::function<TRGB(int x, int y)>;

TIEBitmap MakeRaster(int w, int h, const PixelFn& pixel)
{
    TIEBitmap bmp;
    bmp.Allocate(w, h, ie24RGB);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            *bmp.PixelPtr(x, y) = pixel(x, y);
    return bmp;
}

TRGB Rgb(uint8_t r, uint8_t g, uint8_t b)
{
    return { b, g, r };
}

// The coded pattern: every pixel tells where it came from.
TRGB Pattern(int x, int y)
{
    return Rgb(uint8_t(x * 7 + y), uint8_t(x + 5 * y), uint8_t(x ^ y));
}

bool SameColour(TRGB a, TRGB b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

struct Library {
    std::map<std::string, TIEBitmap> files;
    FrameFileReader reader()
    {
        return [this](const std::string& path, TIEBitmap& bmp) {
            auto it = files.find(path);
            if (it != files.end())
                bmp.Assign(it->second);
        };
    }
};

// A document as the main window sets it up: processor without auto undo, photo layer
// locked and not selectable.
struct Document {
    TIELayerView view;
    Document(int w, int h)
    {
        view.Proc().SetAutoUndo(false);
        view.Proc().SetUndoLimit(10);
        view.LayerAt(0).Bitmap.Assign(MakeRaster(w, h, Pattern));
        view.LayerAt(0).Selectable = false;
        view.LayerAt(0).Locked = true;
    }
};

void ExpectGeometry(const TIELayer& layer, int x, int y, int w, int h)
{
    EXPECT_EQ(layer.OffsetX, x);
    EXPECT_EQ(layer.OffsetY, y);
    EXPECT_EQ(layer.EffectiveWidth(), w);
    EXPECT_EQ(layer.EffectiveHeight(), h);
}

TEST(FrameRules, NameTestsAreIndependentAndCaseSensitive)
{
    struct Case {
        const char* name;
        bool alphaFromRed, invert, colourKey, stamp;
    } cases[] = {
        { "b012.png", true, true, false, false },
        { "a012.png", true, false, false, false },
        { "c100.png", false, false, true, false },
        { "s100.png", false, false, false, true },
        { "castle.png", true, false, true, false },
        { "star.png", true, false, false, true },
        { "x1.tga", true, false, false, false }, // the extension counts
        { "/frames/abc/s1.png", false, false, false, true }, // folders do not
        { "A012.PNG", false, false, false, false },
        { "B012.png", false, false, false, false },
        { "C100.png", false, false, false, false },
        { "S100.png", false, false, false, false },
        { "Sa.png", true, false, false, false },
        { "", false, false, false, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FrameRules rules = FrameRulesForName(c.name);
        EXPECT_EQ(rules.alphaFromRed, c.alphaFromRed);
        EXPECT_EQ(rules.invert, c.invert);
        EXPECT_EQ(rules.colourKey, c.colourKey);
        EXPECT_EQ(rules.stamp, c.stamp);
    }
}

TEST(ApplyFrame, NameStartingWithBIsInvertedAndTakesAlphaFromTheInvertedRed)
{
    Document doc(40, 30);
    Library lib;
    lib.files["/lib/b012.png"] = MakeRaster(40, 30, Pattern);
    const FrameApplyResult r = ApplyFrameOrStamp(doc.view, "/lib/b012.png", lib.reader(), {});
    ASSERT_EQ(r.layersAdded, 1);
    ASSERT_EQ(doc.view.LayerCount(), 2);
    EXPECT_EQ(doc.view.CurrentLayer(), 1);
    TIELayer& frame = doc.view.LayerAt(1);
    ExpectGeometry(frame, 0, 0, 40, 30);
    ASSERT_EQ(frame.Bitmap.Width(), 40);
    ASSERT_EQ(frame.Bitmap.Height(), 30);
    ASSERT_TRUE(frame.Bitmap.HasAlphaPlane());
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            const TRGB file = Pattern(x, y);
            const TRGB got = frame.Bitmap.ReadRGB(x, y);
            ASSERT_TRUE(SameColour(got, Rgb(255 - file.r, 255 - file.g, 255 - file.b)))
                << x << "," << y;
            ASSERT_EQ(frame.Bitmap.ReadAlpha(x, y), 255 - file.r) << x << "," << y;
        }
}

TEST(ApplyFrame, AlphaFromRedFrameIsScaledToThePhoto)
{
    // Thirds of white, black and blue: inside each third scaling keeps the colour.
    Document doc(1200, 900);
    Library lib;
    lib.files["a012.png"] = MakeRaster(600, 400, [](int x, int) {
        return x < 200 ? Rgb(255, 255, 255) : x < 400 ? Rgb(0, 0, 0) : Rgb(0, 0, 255);
    });
    ApplyFrameOrStamp(doc.view, "a012.png", lib.reader(), {});
    ASSERT_EQ(doc.view.LayerCount(), 2);
    TIELayer& frame = doc.view.LayerAt(1);
    ASSERT_EQ(frame.Bitmap.Width(), 1200);
    ASSERT_EQ(frame.Bitmap.Height(), 900);
    ExpectGeometry(frame, 0, 0, 1200, 900);
    struct Probe {
        int x, y;
        TRGB colour;
        int alpha;
    } probes[] = {
        { 10, 10, Rgb(255, 255, 255), 255 },
        { 200, 450, Rgb(255, 255, 255), 255 },
        { 600, 450, Rgb(0, 0, 0), 0 },
        { 1000, 450, Rgb(0, 0, 255), 0 },
        { 1199, 899, Rgb(0, 0, 255), 0 },
    };
    for (const Probe& p : probes) {
        SCOPED_TRACE(::testing::Message() << p.x << "," << p.y);
        EXPECT_TRUE(SameColour(frame.Bitmap.ReadRGB(p.x, p.y), p.colour));
        EXPECT_EQ(frame.Bitmap.ReadAlpha(p.x, p.y), p.alpha);
    }
    // The edge between white and black is interpolated, not copied.
    const int edge = frame.Bitmap.ReadAlpha(399, 450);
    EXPECT_GT(edge, 0);
    EXPECT_LT(edge, 255);
}

TEST(ApplyStamp, StampIsCentredWithOffsetsTruncatedTowardsZero)
{
    struct Case {
        int photoW, photoH, x, y;
    } cases[] = { { 800, 600, 299, 249 }, { 100, 50, -50, -25 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.photoW << "x" << c.photoH);
        Document doc(c.photoW, c.photoH);
        const TIEBitmap preview = MakeRaster(201, 101, Pattern);
        const FrameApplyResult r = ApplyFrameOrStamp(doc.view, "s100.png", {}, preview);
        EXPECT_EQ(r.layersAdded, 1);
        ASSERT_EQ(doc.view.LayerCount(), 2);
        TIELayer& stamp = doc.view.LayerAt(1);
        ExpectGeometry(stamp, c.x, c.y, 201, 101);
        EXPECT_EQ(stamp.Bitmap.Width(), 201);
        EXPECT_TRUE(SameColour(stamp.Bitmap.ReadRGB(200, 100), Pattern(200, 100)));
        EXPECT_FALSE(stamp.Bitmap.HasAlphaPlane());
        // The photo keeps its rectangle (it gets its own size as displayed size).
        ExpectGeometry(doc.view.LayerAt(0), 0, 0, c.photoW, c.photoH);
    }
}

TEST(ApplyFrame, StarGivesAFullPhotoFrameAndACentredStampAboveIt)
{
    Document doc(300, 200);
    Library lib;
    lib.files["star.png"] = MakeRaster(50, 40, Pattern);
    const TIEBitmap preview = MakeRaster(50, 40, Pattern);
    const FrameApplyResult r = ApplyFrameOrStamp(doc.view, "star.png", lib.reader(), preview);
    EXPECT_EQ(r.layersAdded, 2);
    EXPECT_EQ(r.alphaFromRedLayer, 1);
    EXPECT_EQ(r.stampLayer, 2);
    ASSERT_EQ(doc.view.LayerCount(), 3);
    EXPECT_EQ(doc.view.CurrentLayer(), 2);
    TIELayer& frame = doc.view.LayerAt(1);
    ExpectGeometry(frame, 0, 0, 300, 200);
    EXPECT_EQ(frame.Bitmap.Width(), 300);
    EXPECT_TRUE(frame.Bitmap.HasAlphaPlane());
    TIELayer& stamp = doc.view.LayerAt(2);
    ExpectGeometry(stamp, 125, 80, 50, 40);
    EXPECT_FALSE(stamp.Bitmap.HasAlphaPlane());
}

TEST(ApplyFrame, CastleGivesAnAlphaFromRedLayerAndAColourKeyLayerSizedToThePhoto)
{
    Document doc(120, 90);
    Library lib;
    lib.files["castle.png"] = MakeRaster(40, 30, Pattern);
    // The key colour is the preview's centre pixel (20, 15): green there, green in the
    // left half; the right half is red.
    const TRGB key = Rgb(0, 200, 0);
    const TIEBitmap preview
        = MakeRaster(40, 30, [&](int x, int) { return x < 20 || x == 20 ? key : Rgb(255, 0, 0); });
    const FrameApplyResult r = ApplyFrameOrStamp(doc.view, "castle.png", lib.reader(), preview);
    EXPECT_EQ(r.alphaFromRedLayer, 1);
    EXPECT_EQ(r.colourKeyLayer, 2);
    ASSERT_EQ(doc.view.LayerCount(), 3);

    TIELayer& alphaLayer = doc.view.LayerAt(1);
    EXPECT_EQ(alphaLayer.Bitmap.Width(), 120);
    EXPECT_EQ(alphaLayer.Bitmap.ReadAlpha(0, 0), alphaLayer.Bitmap.ReadRGB(0, 0).r);

    TIELayer& keyed = doc.view.LayerAt(2);
    ASSERT_EQ(keyed.Bitmap.Width(), 40); // not scaled ...
    ASSERT_EQ(keyed.Bitmap.Height(), 30);
    ExpectGeometry(keyed, 0, 0, 120, 90); // ... but displayed at the photo's size
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(keyed.Bitmap.ReadAlpha(x, y), x <= 20 ? 0 : 255) << x << "," << y;
}

TEST(ApplyFrame, NothingSelectedOrNoRuleAddsNothingAndLeavesThePhotoCurrent)
{
    for (const char* name : { "", "A012.PNG", "B1.png", "C1.png", "S1.png", "fire.PNG" }) {
        SCOPED_TRACE(name);
        Document doc(30, 20);
        // Make an upper layer current first: Apply returns to layer 0.
        const int upper = doc.view.AddLayer();
        ASSERT_EQ(doc.view.CurrentLayer(), upper);
        Library lib;
        lib.files[name] = MakeRaster(30, 20, Pattern);
        const FrameApplyResult r
            = ApplyFrameOrStamp(doc.view, name, lib.reader(), MakeRaster(5, 5, Pattern));
        EXPECT_EQ(r.layersAdded, 0);
        EXPECT_EQ(doc.view.LayerCount(), 2);
        EXPECT_EQ(doc.view.CurrentLayer(), 0);
        ExpectGeometry(doc.view.LayerAt(0), 0, 0, 30, 20);
        ExpectGeometry(doc.view.LayerAt(upper), 0, 0, 30, 20);
    }
}

TEST(ApplyFrame, SecondFrameCoversThePhotoAgainAndKeepsTheFirst)
{
    // A photo layer shown moved: every frame takes layer 0's rectangle, not the raster's.
    Document doc(60, 40);
    doc.view.LayerAt(0).OffsetX = 5;
    doc.view.LayerAt(0).OffsetY = 7;
    Library lib;
    lib.files["a1.png"] = MakeRaster(20, 10, Pattern);
    ApplyFrameOrStamp(doc.view, "a1.png", lib.reader(), {});
    doc.view.LayerAt(1).OffsetX = 30; // the user drags the first frame away
    ApplyFrameOrStamp(doc.view, "a1.png", lib.reader(), {});
    ASSERT_EQ(doc.view.LayerCount(), 3);
    ExpectGeometry(doc.view.LayerAt(1), 30, 7, 60, 40);
    ExpectGeometry(doc.view.LayerAt(2), 5, 7, 60, 40);
    EXPECT_EQ(doc.view.LayerAt(2).Bitmap.Width(), 60);
}

} // namespace
} // namespace borderlux
