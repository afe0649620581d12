#include "document/img_proc.h"
#include "document/layer_view.h"
#include "document/pixel_ops.h"
#include "tests/document/core_test_util.h"

#include <gtest/gtest.h>

using namespace borderlux;
using namespace borderlux::testutil;

namespace {

// The main view's set-up: AutoUndo off, limit 10, a photo whose pixel (0, 0) carries `tag`.
void mainView(TIELayerView& view)
{
    view.Proc().SetAutoUndo(false);
    view.Proc().SetUndoLimit(10);
    MakeSolid(view.LayerAt(0).Bitmap, 4, 3, { 0, 0, 0 });
}

void tag(TIELayerView& view, uint8_t value)
{
    view.Bitmap().PixelPtr(0, 0)->r = value;
}

uint8_t tagOf(const TIELayerView& view, int layer = 0)
{
    return view.LayerAt(layer).Bitmap.ReadRGB(0, 0).r;
}

} // namespace

TEST(UndoHistory, LimitPushesOutTheOldestAndUndoStepsBack)
{
    TIELayerView view;
    mainView(view);
    TImgProc& proc = view.Proc();
    for (int i = 1; i <= 11; ++i) {
        tag(view, uint8_t(i));
        proc.SaveSnapshot();
    }
    EXPECT_EQ(proc.SnapshotCount(), 10);
    tag(view, 99);
    // Undo as the main window does it: restore the newest, then discard it.
    std::vector<int> restored;
    for (int step = 0; step < 11; ++step) {
        if (!proc.HasSnapshots())
            break;
        proc.RestoreSnapshot(0);
        proc.DiscardLatestSnapshot();
        restored.push_back(tagOf(view));
    }
    EXPECT_EQ(restored, (std::vector<int> { 11, 10, 9, 8, 7, 6, 5, 4, 3, 2 }));
    EXPECT_FALSE(proc.HasSnapshots());
}

TEST(UndoHistory, SnapshotsLiveInTheirOwnFiles)
{
    TIELayerView view;
    mainView(view);
    view.Proc().SaveSnapshot();
    view.Proc().SaveCaptionedSnapshot("Blur");
    EXPECT_EQ(view.Proc().SnapshotCount(), 2);
    EXPECT_EQ(view.Proc().SnapshotCaption(0), "Blur");
    EXPECT_EQ(view.Proc().SnapshotCaption(1), "");
    // The layer raster itself stays a platform bitmap after a restore.
    view.Proc().RestoreSnapshot(1);
    EXPECT_EQ(view.LayerAt(0).Bitmap.Location(), ieTBitmap);
}

TEST(UndoHistory, NothingIsRecordedForTinyRastersOrLimitZero)
{
    struct Case {
        const char* what;
        int w, h, limit;
    } cases[] = {
        { "1 x 1 raster", 1, 1, 10 },
        { "one pixel wide", 1, 5, 10 },
        { "limit 0", 5, 5, 0 },
        { "empty raster", 0, 0, 10 },
    };
    for (const Case& c : cases) {
        TIELayerView view;
        view.Proc().SetUndoLimit(c.limit);
        if (c.w > 0)
            MakeSolid(view.LayerAt(0).Bitmap, c.w, c.h, { 1, 1, 1 });
        view.Proc().SaveSnapshot();
        view.Proc().SaveCaptionedSnapshot("x");
        EXPECT_EQ(view.Proc().SnapshotCount(), 0) << c.what;
    }
}

TEST(UndoHistory, AlphaPlaneComesBackOrGoes)
{
    TIELayerView view;
    mainView(view);
    TIEBitmap& photo = view.LayerAt(0).Bitmap;
    photo.WriteAlpha(1, 1, 7);
    view.Proc().SaveSnapshot(); // with a plane
    photo.DropAlphaPlane();
    view.Proc().SaveSnapshot(); // without
    photo.WriteAlpha(2, 2, 9);

    view.Proc().RestoreSnapshot(0);
    EXPECT_FALSE(photo.HasAlphaPlane());
    view.Proc().RestoreSnapshot(1);
    ASSERT_TRUE(photo.HasAlphaPlane());
    EXPECT_EQ(photo.ReadAlpha(1, 1), 7);
    EXPECT_EQ(photo.ReadAlpha(2, 2), 255);
    EXPECT_FALSE(photo.ExistingAlphaPlane()->FullyOpaque());
}

TEST(UndoHistory, RecordedLayerBeyondTheListGoesToTheTopLayer)
{
    TIELayerView view;
    mainView(view);
    view.AddLayer();
    const int top = view.AddLayer();
    tag(view, 55); // layer 2 is current
    view.Proc().SaveSnapshot();
    view.DeleteLayer(top);
    ASSERT_EQ(view.LayerCount(), 2);
    view.SetCurrentLayer(0);
    view.Proc().RestoreSnapshot(0);
    EXPECT_EQ(tagOf(view, 1), 55);
    EXPECT_EQ(tagOf(view, 0), 0);
}

TEST(UndoHistory, DiscardAtAndAll)
{
    TIELayerView view;
    mainView(view);
    for (int i = 1; i <= 4; ++i) {
        tag(view, uint8_t(i));
        view.Proc().SaveCaptionedSnapshot(std::to_string(i));
    }
    view.Proc().DiscardSnapshotAt(1); // "3"
    view.Proc().DiscardSnapshotAt(9); // nothing
    EXPECT_EQ(view.Proc().SnapshotCaption(1), "2");
    view.Proc().RestoreSnapshot(0, true);
    EXPECT_EQ(view.Proc().RedoCount(), 1);
    view.Proc().DiscardAllRedo();
    view.Proc().DiscardAllSnapshots();
    EXPECT_EQ(view.Proc().RedoCount(), 0);
    EXPECT_FALSE(view.Proc().HasSnapshots());
}

TEST(ProcessingFrame, AutoUndoKeepsOneCaptionedSnapshot)
{
    TIELayerView preview; // a dialog's preview view: AutoUndo on, limit 1
    MakeSolid(preview.LayerAt(0).Bitmap, 3, 3, { 10, 20, 30 });
    preview.Proc().Negative();
    preview.Proc().SetTransparentColors({ 0, 0, 0 }, { 0, 0, 0 }, 0);
    EXPECT_EQ(preview.Proc().SnapshotCount(), 1);
    EXPECT_EQ(preview.Proc().SnapshotCaption(0), "SetTransparentColors");
    preview.Proc().RestoreSnapshot(0);
    EXPECT_EQ(preview.Bitmap().ReadRGB(0, 0).r, 225); // the negated state
}

TEST(ProcessingFrame, NoRasterDoesNothing)
{
    TIELayerView view;
    int changes = 0;
    view.OnChange = [&] { ++changes; };
    view.Proc().Negative();
    view.Proc().SetTransparentColors({ 0, 0, 0 }, { 9, 9, 9 }, 0);
    view.Proc().Resample(10, 10, rfLinear);
    EXPECT_TRUE(view.Bitmap().IsEmpty());
    EXPECT_FALSE(view.Bitmap().HasAlphaPlane());
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(view.Proc().BeginProcessing("x").proceed);
}

// A selection limits an operation to the masked pixels; everything else keeps its exact value,
// colour and alpha alike.
TEST(ProcessingFrame, SelectionLimitsTheOperation)
{
    TIELayerView view;
    mainView(view);
    Make24(view.LayerAt(0).Bitmap, 12, 10, Coded);
    TIEBitmap before;
    before.Assign(view.Bitmap());
    view.SelectRect(2, 3, 6, 8);
    view.Proc().Negative();
    const TIEBitmap& after = view.Bitmap();
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool inside = x >= 2 && x <= 6 && y >= 3 && y <= 8;
            const TRGB b = before.ReadRGB(x, y), a = after.ReadRGB(x, y);
            const TRGB expect
                = inside ? TRGB { uint8_t(255 - b.b), uint8_t(255 - b.g), uint8_t(255 - b.r) } : b;
            ASSERT_TRUE(SameTriple(a, expect)) << x << "," << y;
        }
    EXPECT_FALSE(after.HasAlphaPlane());

    // Alpha of a partial colour match inside the selection: only matched pixels change.
    view.Bitmap().WriteAlpha(3, 4, 50);
    view.SelectMask([] {
        TIEBitmap m;
        m.Allocate(12, 10, ie8g);
        m.Fill(0);
        m.Row(4)[3] = m.Row(4)[4] = m.Row(5)[5] = 1;
        return m;
    }());
    EXPECT_EQ(view.SelectionRect(), (IERect { 3, 4, 5, 5 }));
    // Pixel (4, 4) after Negative: red 255 - 4, green 255 - 4, blue 248.
    const TRGB key { 248, 251, 251 };
    view.Proc().SetTransparentColors(key, key, 0);
    TIEBitmap& bmp = view.Bitmap();
    EXPECT_EQ(bmp.ReadAlpha(4, 4), 0);
    EXPECT_EQ(bmp.ReadAlpha(3, 4), 50); // selected but not matched: kept
    EXPECT_EQ(bmp.ReadAlpha(5, 5), 255);
    EXPECT_EQ(bmp.ReadAlpha(0, 0), 255);
    EXPECT_FALSE(bmp.ExistingAlphaPlane()->FullyOpaque());
}

TEST(PixelOps, NegativeByFormat)
{
    TIEBitmap rgb;
    MakeSolid(rgb, 3, 2, { 10, 20, 30 });
    NegativeBitmap(rgb);
    EXPECT_TRUE(SameTriple(rgb.ReadRGB(2, 1), { 245, 235, 225 }));
    NegativeBitmap(rgb);
    EXPECT_TRUE(SameTriple(rgb.ReadRGB(2, 1), { 10, 20, 30 }));

    TIEBitmap pal;
    pal.Allocate(2, 2, ie8p);
    pal.Fill(3);
    pal.Palette()[3] = { 1, 2, 3 };
    NegativeBitmap(pal);
    EXPECT_EQ(pal.Row(0)[0], 3);
    EXPECT_TRUE(SameTriple(pal.Palette()[3], { 254, 253, 252 }));

    TIEBitmap bits;
    bits.Allocate(9, 1, ie1g);
    bits.Row(0)[0] = 0xF0;
    bits.Row(0)[1] = 0x80;
    NegativeBitmap(bits);
    EXPECT_EQ(bits.Row(0)[0], 0x0F);
    EXPECT_EQ(bits.Row(0)[1] & 0x80, 0);
}

TEST(PixelOps, SetTransparentColorsRanges)
{
    struct Case {
        const char* what;
        TRGB pixel, min, max;
        uint8_t alpha;
        bool fullyOpaque;
    } cases[] = {
        { "white key, no white pixels", { 1, 2, 3 }, { 255, 255, 255 }, { 255, 255, 255 }, 255,
            true },
        { "inside 0..10", { 10, 10, 10 }, { 0, 0, 0 }, { 10, 10, 10 }, 0, false },
        { "red 11 outside", { 0, 0, 11 }, { 0, 0, 0 }, { 10, 10, 10 }, 255, true },
        { "exact key", { 0, 255, 0 }, { 0, 255, 0 }, { 0, 255, 0 }, 0, false },
    };
    for (const Case& c : cases) {
        TIEBitmap bmp;
        MakeSolid(bmp, 2, 2, c.pixel);
        SetTransparentColorsBitmap(bmp, c.min, c.max, 0);
        ASSERT_TRUE(bmp.HasAlphaPlane()) << c.what;
        EXPECT_EQ(bmp.ReadAlpha(1, 1), c.alpha) << c.what;
        EXPECT_EQ(bmp.ExistingAlphaPlane()->FullyOpaque(), c.fullyOpaque) << c.what;
    }
    TIEBitmap bits;
    bits.Allocate(2, 1, ie1g);
    bits.Row(0)[0] = 0x80; // white, black
    SetTransparentColorsBitmap(bits, { 0, 0, 0 }, { 0, 0, 0 }, 0);
    EXPECT_EQ(bits.ReadAlpha(0, 0), 255);
    EXPECT_EQ(bits.ReadAlpha(1, 0), 0);
}

TEST(PixelOps, AlphaFromRed)
{
    TIEBitmap bmp;
    Make24(bmp, 3, 2, [](int x, int y) {
        return x == 0 ? TRGB { 255, 255, 0 } : TRGB { 0, 0, uint8_t(x == 1 ? 255 : 100 + y) };
    });
    bmp.AlphaPlane().Fill(9); // any earlier alpha is overwritten
    AlphaFromRed(bmp);
    EXPECT_EQ(bmp.ReadAlpha(0, 0), 0); // bright cyan, red 0: transparent
    EXPECT_EQ(bmp.ReadAlpha(1, 1), 255);
    EXPECT_EQ(bmp.ReadAlpha(2, 1), 101);
    EXPECT_FALSE(bmp.ExistingAlphaPlane()->FullyOpaque());
    EXPECT_TRUE(SameTriple(bmp.ReadRGB(0, 0), { 255, 255, 0 }));

    TIEBitmap white;
    MakeSolid(white, 2, 2, { 0, 0, 255 });
    AlphaFromRed(white);
    EXPECT_TRUE(white.ExistingAlphaPlane()->FullyOpaque());
}
