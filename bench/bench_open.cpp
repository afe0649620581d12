// Opening a photo as the program does (work-file copy, read into layer 0, pristine copy)
// against reading the same file alone. Run: bench_open PHOTO.jpg
// The ratio open / read is the price of the document's bookkeeping on top of decoding.

#include "app/photo/photo_document.h"
#include "platform/image_io/image_io.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using namespace borderlux;

namespace {

template <class F> double medianMs(int runs, F&& f)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        f();
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_open PHOTO.jpg\n");
        return 2;
    }
    const std::string photo = argv[1];
    const std::string userFolder
        = (std::filesystem::temp_directory_path() / "borderlux-bench-open/").string();
    const int runs = 7;

    const double read = medianMs(runs, [&] {
        TIEBitmap bmp;
        ReadImage(photo, bmp);
    });
    const double open = medianMs(runs, [&] {
        PhotoDocument doc(userFolder);
        doc.StartUpConfigureProcessor();
        doc.StartUpCreatePristine();
        doc.OpenPhoto(photo);
    });
    std::printf("read alone         %8.1f ms\n", read);
    std::printf(
        "OpenPhoto          %8.1f ms  (%.2fx the read; target at most 1.3x)\n", open, open / read);
    std::filesystem::remove_all(userFolder);
    return 0;
}
