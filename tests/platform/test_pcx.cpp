#include "platform/image_io/image_io.h"
#include "tests/platform/image_test_util.h"

#include <gtest/gtest.h>

namespace borderlux {
namespace {

using Bytes = std::vector<uint8_t>;

// 8 x 2, 8 bits in one plane, run-length coded, with the 256-colour palette at the end whose
// entry i is (21 i, 21 i + 7, 21 i + 14) mod 256.
Bytes indexedPcx()
{
    Bytes b(128, 0);
    b[0] = 10; // maker
    b[1] = 5; // version
    b[2] = 1; // run-length coded
    b[3] = 8; // bits per pixel
    b[8] = 7; // x max
    b[10] = 1; // y max
    b[65] = 1; // planes
    b[66] = 8; // bytes per line
    // Line 0: a run of 8 times index 3. Line 1: 1 2 3 4, a run of one 0xC5 (a value that
    // needs the run form), 6 7 8.
    for (const uint8_t v : { 0xC8, 3, 1, 2, 3, 4, 0xC1, 0xC5, 6, 7, 8 })
        b.push_back(v);
    b.push_back(12);
    for (int i = 0; i < 768; ++i)
        b.push_back(uint8_t(i * 7));
    return b;
}

TRGB entry(int i)
{
    return { uint8_t(21 * i + 14), uint8_t(21 * i + 7), uint8_t(21 * i) };
}

TEST(PcxRead, IndexedRunsAndTheFirstDcxPage)
{
    const Bytes pcx = indexedPcx();
    Bytes dcx = { 0xB1, 0x68, 0xDE, 0x3A, 12, 0, 0, 0, 0, 0, 0, 0 };
    dcx.insert(dcx.end(), pcx.begin(), pcx.end());
    const int line1[8] = { 1, 2, 3, 4, 0xC5, 6, 7, 8 };
    for (const Bytes* file : std::initializer_list<const Bytes*> { &pcx, &dcx }) {
        TIEBitmap bmp;
        const ImageIOResult r
            = ReadImageFromMemory(file->data(), file->size(), ImageFormat::Pcx, bmp);
        ASSERT_TRUE(r) << r.reason;
        EXPECT_TRUE(r.reason.empty()) << r.reason;
        ASSERT_EQ(bmp.Width(), 8);
        ASSERT_EQ(bmp.Height(), 2);
        for (int x = 0; x < 8; ++x) {
            EXPECT_TRUE(test::SameColour(bmp.ReadRGB(x, 0), entry(3))) << x;
            EXPECT_TRUE(test::SameColour(bmp.ReadRGB(x, 1), entry(line1[x]))) << x;
        }
    }
}

TEST(PcxRead, TruncatedAndDamagedFiles)
{
    TIEBitmap bmp;
    // Cut inside the pixel data of a 24-bit file: the rows that are there, a warning.
    test::TempDir dir;
    const TIEBitmap pattern = test::MakePattern(20, 10);
    ASSERT_TRUE(WriteImage(dir.file("a.pcx"), pattern));
    Bytes cut = test::ReadBytes(dir.file("a.pcx"));
    cut.resize(cut.size() / 2);
    const ImageIOResult r = ReadImageFromMemory(cut.data(), cut.size(), ImageFormat::Pcx, bmp);
    ASSERT_TRUE(r);
    EXPECT_NE(r.reason.find("truncated"), std::string::npos);
    EXPECT_TRUE(test::SameColour(bmp.ReadRGB(5, 0), test::PatternPixel(5, 0)));

    Bytes noPalette = indexedPcx();
    noPalette.resize(noPalette.size() - 769);
    Bytes badDepth = indexedPcx();
    badDepth[3] = 5;
    Bytes shortLines = indexedPcx();
    shortLines[66] = 4; // fewer bytes per line than pixels
    Bytes badDcx = { 0xB1, 0x68, 0xDE, 0x3A, 0xFF, 0xFF, 0, 0 };
    for (const Bytes& file : { noPalette, badDepth, shortLines, badDcx }) {
        EXPECT_FALSE(ReadImageFromMemory(file.data(), file.size(), ImageFormat::Pcx, bmp));
        EXPECT_TRUE(bmp.IsEmpty());
    }
}

} // namespace
} // namespace borderlux
