// Writes the starting corpus of the fuzz targets: small files of every reader in a few of its
// variants, made by our own writers or spelled out byte by byte.
// Usage: fuzz_seeds FOLDER  (creates FOLDER/jpeg, FOLDER/png, FOLDER/bmp, FOLDER/pnm, FOLDER/pcx)

#include "platform/image_io/image_io.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

using namespace borderlux;
using Bytes = std::vector<uint8_t>;

namespace {

TIEBitmap pattern(int w, int h, bool alpha)
{
    TIEBitmap bmp;
    bmp.Allocate(w, h, ie24RGB);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            *bmp.PixelPtr(x, y) = { uint8_t(x * 16), uint8_t(y * 16), uint8_t((x ^ y) * 8) };
            if (alpha)
                bmp.WriteAlpha(x, y, uint8_t(x * 20 + y));
        }
    return bmp;
}

Bytes readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

void writeAll(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bytes text(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds FOLDER\n");
        return 2;
    }
    const std::filesystem::path root = argv[1];
    for (const char* sub : { "jpeg", "png", "bmp", "pnm", "pcx" })
        std::filesystem::create_directories(root / sub);
    const std::string scratch = (root / "scratch").string();
    int failures = 0;
    auto viaWriter = [&](const TIEBitmap& bmp, const std::string& ext) {
        const std::string path = scratch + "." + ext;
        const ImageIOResult r = WriteImage(path, bmp);
        failures += !r;
        Bytes bytes = readAll(path);
        std::filesystem::remove(path);
        return bytes;
    };

    const Bytes jpeg = viaWriter(pattern(16, 16, false), "jpg");
    writeAll(root / "jpeg/baseline.jpg", jpeg);
    writeAll(root / "jpeg/odd_size.jpg", viaWriter(pattern(13, 7, false), "jpg"));
    writeAll(root / "jpeg/truncated.jpg",
        Bytes(jpeg.begin(), jpeg.begin() + ptrdiff_t(jpeg.size() * 2 / 3)));
    // The same picture with an EXIF APP1 segment saying "turn clockwise" (orientation 6).
    Bytes exif = { 0xFF, 0xD8, 0xFF, 0xE1, 0, 34, 'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0,
        0, 0, 1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0, 0, 0, 0, 0 };
    exif.insert(exif.end(), jpeg.begin() + 2, jpeg.end());
    writeAll(root / "jpeg/exif_orientation.jpg", exif);

    writeAll(root / "png/rgb.png", viaWriter(pattern(9, 5, false), "png"));
    writeAll(root / "png/rgba.png", viaWriter(pattern(9, 5, true), "png"));

    writeAll(root / "bmp/rgb24.bmp", viaWriter(pattern(5, 3, false), "bmp"));
    // 4 x 2, 8 bits, RLE8 with a run, an absolute run, a delta and both end codes.
    Bytes rle = { 'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 70, 0, 0, 0, 40, 0, 0, 0, 4, 0, 0, 0, 2, 0, 0,
        0, 1, 0, 8, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0, 0, 255, 255, 255, 0, 0, 0, 255, 0, 0, 255, 0, 0, 4, 2, 0, 0, 0, 3, 1, 3, 2, 0, 0, 2, 1,
        0, 0, 1 };
    rle[2] = uint8_t(rle.size());
    writeAll(root / "bmp/rle8.bmp", rle);

    writeAll(root / "pnm/rgb.ppm", viaWriter(pattern(5, 3, false), "ppm"));
    writeAll(root / "pnm/grey.pgm", viaWriter(pattern(5, 3, false), "pgm"));
    writeAll(root / "pnm/bits.pbm", viaWriter(pattern(11, 3, false), "pbm"));
    writeAll(root / "pnm/plain.pbm", text("P1\n# plain\n3 2\n0 1 0\n101\n"));
    writeAll(root / "pnm/plain.pgm", text("P2 2 2 65535\n0 1000 65535 7\n"));
    writeAll(root / "pnm/plain.ppm", text("P3\n2 1\n255\n255 0 0 0 0 255\n"));
    writeAll(root / "pnm/wide.pgm", text("P5 1 1 65535\n\x12\x34"));

    const Bytes pcx = viaWriter(pattern(7, 3, false), "pcx");
    writeAll(root / "pcx/rgb24.pcx", pcx);
    // The same as the first page of a DCX: magic, one page offset, end of the table.
    Bytes dcx = { 0xB1, 0x68, 0xDE, 0x3A, 12, 0, 0, 0, 0, 0, 0, 0 };
    dcx.insert(dcx.end(), pcx.begin(), pcx.end());
    writeAll(root / "pcx/page.dcx", dcx);
    // 8 x 2, 8 bits in one plane with the 256-colour palette at the end.
    Bytes indexed(128, 0);
    const std::pair<int, uint8_t> header[]
        = { { 0, 10 }, { 1, 5 }, { 2, 1 }, { 3, 8 }, { 8, 7 }, { 10, 1 }, { 65, 1 },
              { 66, 8 } }; // maker, version, RLE, bits, x max, y max, planes, bytes per line
    for (const auto& [at, value] : header)
        indexed[size_t(at)] = value;
    for (const uint8_t b : { 0xC8, 3, 1, 2, 3, 4, 0xC1, 0xC5, 6, 7, 8 })
        indexed.push_back(b);
    indexed.push_back(12);
    for (int i = 0; i < 768; ++i)
        indexed.push_back(uint8_t(i * 7));
    writeAll(root / "pcx/indexed.pcx", indexed);
    return failures == 0 ? 0 : 1;
}
