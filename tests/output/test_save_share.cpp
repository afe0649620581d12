#include "document/frame_apply.h"
#include "document/layer_view.h"
#include "output/flat_picture.h"
#include "output/save_share.h"
#include "platform/image_io/image_io.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <stdlib.h>
#include <string>
#include <vector>

namespace borderlux {
namespace {

namespace fs = std::filesystem;

class TempDir {
public:
    TempDir()
    {
        std::string tmpl = (fs::temp_directory_path() / "bl-output-XXXXXX").string();
        m_path = mkdtemp(tmpl.data()) ? tmpl : std::string();
    }
    ~TempDir()
    {
        std::error_code ec;
        fs::remove_all(m_path, ec);
    }
    std::string file(const std::string& name) const { return m_path + "/" + name; }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

std::vector<char> Bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TRGB Rgb(uint8_t r, uint8_t g, uint8_t b)
{
    return { b, g, r };
}
bool SameColour(TRGB a, TRGB b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b;
}
TRGB Pattern(int x, int y)
{
    return Rgb(uint8_t(x * 7 + y), uint8_t(x + 5 * y), uint8_t(x ^ y));
}

TIEBitmap MakeRaster(int w, int h, TRGB (*pixel)(int, int))
{
    TIEBitmap bmp;
    bmp.Allocate(w, h, ie24RGB);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            *bmp.PixelPtr(x, y) = pixel(x, y);
    return bmp;
}

TIEBitmap Solid(int w, int h, TRGB c)
{
    TIEBitmap bmp;
    bmp.Allocate(w, h, ie24RGB);
    bmp.Fill(RGBColor(c.r, c.g, c.b));
    return bmp;
}

TIEBitmap Read(const std::string& path)
{
    TIEBitmap bmp;
    EXPECT_TRUE(ReadImage(path, bmp).ok) << path;
    return bmp;
}

// A document with a photo read from a file, as the main window holds it.
struct Document {
    TIELayerView view;
    explicit Document(const std::string& photoPath)
    {
        view.Proc().SetAutoUndo(false);
        view.LayerAt(0).Bitmap.Assign(Read(photoPath));
        view.LayerAt(0).Selectable = false;
    }
};

FrameFileReader FileReader()
{
    return [](const std::string& path, TIEBitmap& bmp) { ReadImage(path, bmp); };
}

TEST(SaveAs, ProposesFramedNameInThePhotosFolder)
{
    struct Case {
        const char* photo;
        const char* folder;
        const char* name;
        const char* filter;
    } cases[] = {
        { "/home/ann/Photos/beach.jpg", "/home/ann/Photos/", "framed-beach.jpg", "*.jpg" },
        { "", "", "framed-", "*" }, // no photo yet: the dialog's own folder
        { "/p/holiday.2024/IMG_1.JPEG", "/p/holiday.2024/", "framed-IMG_1.JPEG", "*.JPEG" },
        { "/p.d/raw", "/p.d/", "framed-raw", "*" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.photo);
        const SaveAsProposal p = ProposeSaveAs(c.photo);
        EXPECT_EQ(p.folder, c.folder);
        EXPECT_EQ(p.fileName, c.name);
        EXPECT_EQ(p.extraFilter, c.filter);
    }
}

TEST(SaveAs, WritesTheFramedPictureAsJpegOfQuality80)
{
    TempDir dir;
    const std::string photo = dir.file("beach.jpg");
    ASSERT_TRUE(WriteImage(photo, MakeRaster(64, 48, Pattern)).ok);
    const std::string frame = dir.file("a1.png");
    ASSERT_TRUE(WriteImage(frame, Solid(32, 24, Rgb(255, 0, 0))).ok);
    Document doc(photo);
    ApplyFrameOrStamp(doc.view, frame, FileReader(), Read(frame));

    const FlatPicture flat = RenderFlatPicture(doc.view);
    const SaveAsProposal p = ProposeSaveAs(photo);
    const std::string target = p.folder + p.fileName;
    const OutputResult r = WriteFlatPicture(flat, target);
    ASSERT_TRUE(r.Written()) << r.reason;
    EXPECT_EQ(r.path, dir.file("framed-beach.jpg"));

    // Same bytes as the writer gives the flat picture at quality 80, and the frame shows:
    // an opaque red frame leaves no trace of the photo.
    const std::string reference = dir.file("reference.jpg");
    WriteOptions q80;
    q80.jpegQuality = 80;
    ASSERT_TRUE(WriteImage(reference, flat.Bitmap(), q80).ok);
    EXPECT_EQ(Bytes(target), Bytes(reference));
    const TIEBitmap saved = Read(target);
    ASSERT_EQ(saved.Width(), 64);
    const TRGB centre = saved.ReadRGB(32, 24);
    EXPECT_GT(centre.r, 240);
    EXPECT_LT(centre.g, 16);
}

TEST(Save, ReplacesThePhotoAndTheDocumentKeepsItsLayers)
{
    TempDir dir;
    const std::string photo = dir.file("photo.png");
    ASSERT_TRUE(WriteImage(photo, MakeRaster(40, 30, Pattern)).ok);
    Document doc(photo);
    // A black-and-white frame: white (opaque) left half, black (transparent) right half.
    TIEBitmap frame = Solid(40, 30, Rgb(0, 0, 0));
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 20; ++x)
            *frame.PixelPtr(x, y) = Rgb(255, 255, 255);
    const std::string framePath = dir.file("a2.png");
    ASSERT_TRUE(WriteImage(framePath, frame).ok);
    ApplyFrameOrStamp(doc.view, framePath, FileReader(), {});
    ASSERT_EQ(doc.view.LayerCount(), 2);

    const OutputResult r = SaveRenderedView(doc.view, photo);
    ASSERT_TRUE(r.Written()) << r.reason;
    const TIEBitmap saved = Read(photo);
    ASSERT_EQ(saved.Width(), 40);
    ASSERT_EQ(saved.Height(), 30);
    EXPECT_FALSE(saved.HasAlphaPlane());
    // White at alpha 255 over the photo: d + floor((255 - d) * 255 / 256).
    const TRGB p = Pattern(5, 5);
    const TRGB left = saved.ReadRGB(5, 5);
    EXPECT_EQ(left.r, p.r + (((255 - p.r) * 255) >> 8));
    EXPECT_TRUE(SameColour(saved.ReadRGB(30, 5), Pattern(30, 5)));

    // The document is as it was: two layers, the frame with its alpha.
    ASSERT_EQ(doc.view.LayerCount(), 2);
    EXPECT_TRUE(SameColour(doc.view.LayerAt(0).Bitmap.ReadRGB(5, 5), Pattern(5, 5)));
    EXPECT_EQ(doc.view.LayerAt(1).Bitmap.ReadAlpha(5, 5), 255);
    EXPECT_EQ(doc.view.LayerAt(1).Bitmap.ReadAlpha(30, 5), 0);
}

TEST(Save, StampOffThePhotoIsCutAtTopLeftAndWidensAtBottomRight)
{
    TempDir dir;
    const std::string photo = dir.file("photo.png");
    ASSERT_TRUE(WriteImage(photo, MakeRaster(40, 30, Pattern)).ok);
    const TRGB red = Rgb(255, 0, 0);
    const TRGB background = Rgb(10, 20, 30);
    struct Case {
        int x, y; // where the user drags the 10 x 10 stamp
        int width, height; // of the saved picture
    } cases[] = { { -4, -3, 40, 30 }, { 35, 27, 45, 37 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.x << "," << c.y);
        Document doc(photo);
        doc.view.SetBackground(RGBColor(background.r, background.g, background.b));
        ApplyFrameOrStamp(doc.view, "s1.png", {}, Solid(10, 10, red));
        ASSERT_EQ(doc.view.LayerCount(), 2);
        doc.view.LayerAt(1).OffsetX = c.x;
        doc.view.LayerAt(1).OffsetY = c.y;
        const std::string out = dir.file("out.png");
        ASSERT_TRUE(SaveRenderedView(doc.view, out).Written());
        const TIEBitmap saved = Read(out);
        ASSERT_EQ(saved.Width(), c.width);
        ASSERT_EQ(saved.Height(), c.height);
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                const bool inStamp = x >= c.x && x < c.x + 10 && y >= c.y && y < c.y + 10;
                const bool inPhoto = x < 40 && y < 30;
                const TRGB want = inStamp ? red : inPhoto ? Pattern(x, y) : background;
                ASSERT_TRUE(SameColour(saved.ReadRGB(x, y), want)) << x << "," << y;
            }
    }
}

TEST(Save, PhotoLayerAlphaNeverReachesTheFile)
{
    // With alpha display off a single layer renders as a plain copy; its transparent
    // plane must still not be written into the PNG.
    TempDir dir;
    TIELayerView view;
    view.LayerAt(0).Bitmap.Assign(MakeRaster(8, 6, Pattern));
    view.LayerAt(0).Bitmap.WriteAlpha(1, 1, 0);
    view.SetEnableAlphaChannel(false);
    const std::string out = dir.file("flat.png");
    ASSERT_TRUE(SaveRenderedView(view, out).Written());
    const TIEBitmap saved = Read(out);
    EXPECT_FALSE(saved.HasAlphaPlane());
    EXPECT_TRUE(SameColour(saved.ReadRGB(1, 1), Pattern(1, 1)));
}

TEST(FlatPicture, TakingThePictureLeavesTheDocumentAlone)
{
    for (bool withStamp : { false, true }) {
        SCOPED_TRACE(withStamp);
        TIELayerView view;
        view.LayerAt(0).Bitmap.Assign(MakeRaster(8, 6, Pattern));
        if (withStamp)
            ApplyFrameOrStamp(view, "s1.png", {}, Solid(2, 2, Rgb(255, 0, 0)));
        FlatPicture flat = RenderFlatPicture(view);
        EXPECT_EQ(flat.SharesPhotoLayer(), !withStamp);
        const TIEBitmap taken = flat.TakeBitmap();
        EXPECT_TRUE(flat.IsEmpty());
        ASSERT_EQ(taken.Width(), 8);
        EXPECT_TRUE(SameColour(taken.ReadRGB(0, 0), Pattern(0, 0)));
        EXPECT_EQ(SameColour(taken.ReadRGB(3, 2), Pattern(3, 2)), !withStamp);
        ASSERT_EQ(view.LayerAt(0).Bitmap.Width(), 8);
        EXPECT_TRUE(SameColour(view.LayerAt(0).Bitmap.ReadRGB(3, 2), Pattern(3, 2)));
    }
}

TEST(Share, WritesJpegToTheShareFileReplacingTheLastOne)
{
    TempDir home;
    EXPECT_EQ(ShareFilePath("/home/ann"), "/home/ann/borderluxshare.jpg");
    EXPECT_EQ(ShareFilePath("/home/ann/"), "/home/ann/borderluxshare.jpg");
    setenv("HOME", home.path().c_str(), 1);
    EXPECT_EQ(ShareFilePath(), home.file("borderluxshare.jpg"));
    const std::string share = home.file("borderluxshare.jpg");
    {
        std::ofstream old(share);
        old << "last week's share";
    }
    TIELayerView view;
    view.LayerAt(0).Bitmap.Assign(MakeRaster(16, 12, Pattern));
    const OutputResult r = SharePicture(view, home.path());
    ASSERT_TRUE(r.Written()) << r.reason;
    EXPECT_EQ(r.path, share);
    const std::vector<char> bytes = Bytes(share);
    ASSERT_GE(bytes.size(), 3u);
    EXPECT_EQ(uint8_t(bytes[0]), 0xFF);
    EXPECT_EQ(uint8_t(bytes[1]), 0xD8);
    EXPECT_EQ(Read(share).Width(), 16);
    EXPECT_EQ(FolderEntries(home.path()), std::vector<std::string> { "borderluxshare.jpg" });
}

TEST(Save, EmptyPathWritesNothingAndSaysNothing)
{
    TempDir dir;
    TIELayerView view;
    view.LayerAt(0).Bitmap.Assign(MakeRaster(16, 12, Pattern));
    const OutputResult r = SaveRenderedView(view, "");
    EXPECT_EQ(r.status, OutputResult::Status::Skipped);
    EXPECT_TRUE(r.Message().empty());
    EXPECT_EQ(WriteFlatPicture(RenderFlatPicture(view), "").status, OutputResult::Status::Skipped);
    EXPECT_TRUE(FolderEntries(dir.path()).empty());
}

TEST(Save, FailedWriteReportsPathAndReasonAndLeavesTheOldFile)
{
    TempDir dir;
    const std::string photo = dir.file("photo.png");
    ASSERT_TRUE(WriteImage(photo, MakeRaster(40, 30, Pattern)).ok);
    const std::vector<char> original = Bytes(photo);
    const std::string plainFile = dir.file("notes.txt");
    {
        std::ofstream out(plainFile);
        out << "not a folder";
    }
    const std::string unknown = dir.file("photo.xyz");
    {
        std::ofstream out(unknown);
        out << "keep me";
    }
    fs::create_directory(dir.file("album.jpg"));

    Document doc(photo);
    ApplyFrameOrStamp(doc.view, "s1.png", {}, Solid(10, 10, Rgb(255, 0, 0)));
    struct Case {
        std::string path;
        const char* what;
    } cases[] = {
        { plainFile + "/photo.png", "folder is a regular file" },
        { dir.file("missing/photo.png"), "folder does not exist" },
        { unknown, "extension the writer cannot write" },
        { dir.file("album.jpg"), "target is a folder" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const OutputResult r = SaveRenderedView(doc.view, c.path);
        EXPECT_TRUE(r.Failed());
        EXPECT_FALSE(r.reason.empty());
        EXPECT_NE(r.Message().find(c.path), std::string::npos) << r.Message();
        EXPECT_NE(r.Message().find(r.reason), std::string::npos) << r.Message();
    }
    EXPECT_EQ(Bytes(unknown), std::vector<char>({ 'k', 'e', 'e', 'p', ' ', 'm', 'e' }));
    EXPECT_EQ(Bytes(photo), original);
    EXPECT_EQ(FolderEntries(dir.path()),
        (std::vector<std::string> { "album.jpg", "notes.txt", "photo.png", "photo.xyz" }));
    EXPECT_TRUE(fs::is_empty(dir.file("album.jpg")));
    EXPECT_EQ(doc.view.LayerCount(), 2);
}

} // namespace
} // namespace borderlux
