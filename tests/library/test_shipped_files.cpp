// The shipped pictures as the program's own reader sees them: every frame and stamp can be
// read, and each carries what its file-name rule needs.

#include "library/category_list.h"
#include "platform/image_io/image_io.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <gtest/gtest.h>

using namespace borderlux;

namespace {

QString programFolder()
{
    return qEnvironmentVariable("BORDERLUX_PROGRAM_DIR", BL_PROGRAM_DIR) + "/";
}

QStringList shippedFiles(CategoryKind kind)
{
    const QString program = programFolder();
    QStringList files;
    for (const QString& name : ReadCategoryList(CategoryListPath(kind, program))) {
        const QString folder = CategoryFolder(kind, name, program, "/unused/") + "/";
        for (const QString& file : QDir(folder).entryList(QDir::Files))
            files << folder + file;
    }
    return files;
}

TEST(ShippedFiles, FramesHoldWhatTheirRuleNeeds)
{
    const QStringList files = shippedFiles(CategoryKind::Frames);
    ASSERT_GE(files.size(), 30);
    for (const QString& path : files) {
        SCOPED_TRACE(path.toStdString());
        TIEBitmap bmp;
        ASSERT_TRUE(ReadImage(path.toStdString(), bmp).ok);
        const bool landscape = bmp.Width() == 1600 && bmp.Height() == 1200;
        const bool portrait = bmp.Width() == 1200 && bmp.Height() == 1600;
        EXPECT_TRUE(landscape || portrait) << bmp.Width() << " x " << bmp.Height();
        const TRGB centre = bmp.ReadRGB(bmp.Width() / 2, bmp.Height() / 2);
        const QChar rule = QFileInfo(path).fileName().at(0);
        // the reddest and the least red pixel of the frame's outer band
        int maxRed = 0, minRed = 255;
        for (int y = 0; y < bmp.Height(); ++y)
            for (int x = 0; x < bmp.Width();
                 x += (y < 60 || y >= bmp.Height() - 60) ? 1 : bmp.Width() - 60) {
                maxRed = std::max<int>(maxRed, bmp.ReadRGB(x, y).r);
                minRed = std::min<int>(minRed, bmp.ReadRGB(x, y).r);
            }
        if (rule == 'a') {
            // alpha from red: a transparent hole, an opaque border
            EXPECT_EQ(centre.r, 0);
            EXPECT_EQ(maxRed, 255);
        } else if (rule == 'b') {
            // inverted first: the hole is white in the file
            EXPECT_TRUE(centre.r == 255 && centre.g == 255 && centre.b == 255);
            EXPECT_LT(minRed, 55);
        } else {
            ASSERT_EQ(rule, 'c');
            // the key colour is the centre's and covers the photo's part of the frame
            int64_t keyed = 0;
            for (int y = 0; y < bmp.Height(); ++y)
                for (int x = 0; x < bmp.Width(); ++x) {
                    const TRGB p = bmp.ReadRGB(x, y);
                    keyed += p.r == centre.r && p.g == centre.g && p.b == centre.b;
                }
            EXPECT_GT(keyed, int64_t(bmp.Width()) * bmp.Height() / 5);
            const TRGB corner = bmp.ReadRGB(0, 0);
            EXPECT_FALSE(corner.r == centre.r && corner.g == centre.g && corner.b == centre.b);
        }
    }
}

TEST(ShippedFiles, StampsHaveSoftTransparentEdges)
{
    const QStringList files = shippedFiles(CategoryKind::Stamps);
    ASSERT_GE(files.size(), 24);
    for (const QString& path : files) {
        SCOPED_TRACE(path.toStdString());
        TIEBitmap bmp;
        ASSERT_TRUE(ReadImage(path.toStdString(), bmp).ok);
        ASSERT_TRUE(bmp.HasAlphaPlane());
        int transparent = 0, opaque = 0, partial = 0;
        for (int y = 0; y < bmp.Height(); ++y)
            for (int x = 0; x < bmp.Width(); ++x) {
                const uint8_t a = bmp.ReadAlpha(x, y);
                transparent += a == 0;
                opaque += a == 255;
                partial += a > 0 && a < 255;
            }
        EXPECT_EQ(bmp.ReadAlpha(0, 0), 0);
        EXPECT_GT(transparent, 0);
        EXPECT_GT(opaque, bmp.Width() * bmp.Height() / 100);
        EXPECT_GT(partial, 100) << "antialiased edges";
    }
}

TEST(ShippedFiles, SamplePhotoReads)
{
    TIEBitmap bmp;
    ASSERT_TRUE(ReadImage((programFolder() + "sample/sample.jpg").toStdString(), bmp).ok);
    EXPECT_EQ(bmp.Width(), 1600);
    EXPECT_EQ(bmp.Height(), 1200);
}

} // namespace
