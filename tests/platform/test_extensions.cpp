#include "platform/image_io/image_io.h"

#include <gtest/gtest.h>

namespace borderlux {
namespace {

TEST(ImageExtensions, LowerExtensionLooksAtTheFileNameOnly)
{
    const struct {
        const char* path;
        const char* ext;
    } cases[] = {
        { "/photos/Beach.JPG", "jpg" },
        { "framed-beach.Jpeg", "jpeg" },
        { "/a.folder/file", "" },
        { "archive.tar.GZ", "gz" },
        { "trailing.", "" },
        { "", "" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(LowerExtension(c.path), c.ext) << c.path;
}

TEST(ImageExtensions, ReadAcceptanceAndWritability)
{
    const struct {
        const char* ext;
        ImageFormat format;
        bool readable;
        bool writable;
    } cases[] = {
        { "jpg", ImageFormat::Jpeg, true, true },
        { "JPG", ImageFormat::Jpeg, true, true },
        { "jif", ImageFormat::Jpeg, true, true },
        { "png", ImageFormat::Png, true, true },
        { "bmp", ImageFormat::Bmp, true, true },
        { "rle", ImageFormat::Bmp, true, true },
        { "pxm", ImageFormat::Pnm, true, true },
        { "pbm", ImageFormat::Pnm, true, true },
        { "tif", ImageFormat::Tiff, true, true },
        { "gif", ImageFormat::Gif, true, true },
        { "pcx", ImageFormat::Pcx, true, true },
        { "tga", ImageFormat::Tga, true, true },
        { "ico", ImageFormat::Ico, true, true },
        { "wbmp", ImageFormat::Wbmp, true, true },
        { "cur", ImageFormat::Ico, true, false }, // cursors are read only
        { "dcm", ImageFormat::Other, true, false }, // DICOM
        { "nef", ImageFormat::Other, true, false }, // camera raw
        { "wmf", ImageFormat::Other, true, false },
        { "psd", ImageFormat::Psd, true, false },
        { "ps", ImageFormat::PostScript, false, true },
        { "EPS", ImageFormat::PostScript, false, true },
        { "pdf", ImageFormat::Pdf, false, true },
        { "txt", ImageFormat::Unknown, false, false },
        { "", ImageFormat::Unknown, false, false },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatForExtension(c.ext), c.format) << c.ext;
        EXPECT_EQ(IsAcceptedReadExtension(c.ext), c.readable) << c.ext;
        EXPECT_EQ(CanWriteExtension(c.ext), c.writable) << c.ext;
    }
}

} // namespace
} // namespace borderlux
