// Thumbnail grid benchmark: a folder of 150 large JPEG photos (made on first use and kept in
// the given cache folder) is listed, a screenful of thumbnails is awaited, the grid is scrolled
// through to the end while the longest stall of the event loop is measured, and the memory of
// all 150 thumbnails is reported. For comparison the same screenful is decoded at full size.
//   bench_thumbs_grid <cache folder> [count] [width] [height]

#include "library/ui/img_m_view.h"
#include "library/ui/library_browser.h"
#include "library/ui/thumbnail_loader.h"
#include "platform/image_io/image_io.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QScrollBar>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <random>
#include <string>
#include <thread>

using namespace borderlux;

namespace {

// CPU time of the whole process (all threads), to tell work from waiting on a busy machine.
double processCpuMs()
{
    timespec t {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

long residentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

// A photo-like picture: smooth gradients with fine noise, so the JPEG has a realistic size.
bool makePhoto(const QString& path, int w, int h, int variant)
{
    TIEBitmap bmp;
    bmp.SetPreferFileStorage(false);
    if (!bmp.Allocate(w, h, ie24RGB))
        return false;
    std::minstd_rand noise(uint32_t(variant + 1));
    for (int y = 0; y < h; ++y) {
        uint8_t* row = bmp.Row(y);
        for (int x = 0; x < w; ++x) {
            const int n = int(noise() % 17) - 8;
            row[3 * x] = uint8_t(std::clamp(x * 255 / w + n, 0, 255));
            row[3 * x + 1] = uint8_t(std::clamp(y * 255 / h + n, 0, 255));
            row[3 * x + 2] = uint8_t(std::clamp((x + y + variant * 500) % 256 + n, 0, 255));
        }
    }
    WriteOptions options;
    options.jpegQuality = 85;
    return bool(WriteImage(path.toStdString(), bmp, options));
}

// One turn of the event loop that sleeps until something happens, so that waiting costs no
// CPU the decoding threads could use (a heartbeat timer started in main wakes it regularly).
void waitForEvents()
{
    QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_thumbs_grid <cache folder> [count] [w] [h]\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]) + "/";
    const int count = argc > 2 ? std::atoi(argv[2]) : 150;
    const int w = argc > 3 ? std::atoi(argv[3]) : 6000;
    const int h = argc > 4 ? std::atoi(argv[4]) : 4000;
    QDir().mkpath(folder);

    // Four distinct photos, copied to make up the folder: the decoding cost is the same.
    constexpr int kVariants = 4;
    for (int i = 0; i < count; ++i) {
        const QString path = folder + QString("photo%1.jpg").arg(i, 3, 10, QChar('0'));
        if (QFileInfo::exists(path))
            continue;
        if (i < kVariants) {
            std::printf("making %s (%d x %d)\n", qPrintable(path), w, h);
            std::fflush(stdout);
            if (!makePhoto(path, w, h, i))
                return 1;
        } else if (!QFile::copy(
                       folder + QString("photo%1.jpg").arg(i % kVariants, 3, 10, QChar('0')),
                       path)) {
            return 1;
        }
    }

    // A grid as wide as the main window and three rows high: one screenful of 24 thumbnails.
    QTimer heartbeat;
    heartbeat.start(10);
    TImgMView grid;
    grid.resize(815, 3 * 92);
    LibraryBrowser browser(&grid, nullptr, nullptr, nullptr);
    browser.SetupGrid();
    grid.show();
    QApplication::processEvents();
    const long rssBefore = residentKiB();

    QElapsedTimer clock;
    clock.start();
    browser.FillThumbnails(folder);
    const double fillMs = clock.nsecsElapsed() / 1e6;

    std::vector<int> visible;
    for (int i = 0; i < grid.imageCount(); ++i)
        if (grid.cellRect(i).intersects(grid.viewport()->rect()))
            visible.push_back(i);
    clock.restart();
    const double cpuBefore = processCpuMs();
    for (;;) {
        waitForEvents();
        bool ready = true;
        for (int i : visible)
            ready = ready && grid.hasThumbnail(i);
        if (ready || clock.elapsed() > 60000)
            break;
    }
    const double screenMs = clock.nsecsElapsed() / 1e6;
    const double screenCpuMs = processCpuMs() - cpuBefore;

    // Scroll one row every 30 ms to the end, measuring the longest gap between event-loop turns.
    QScrollBar* bar = grid.verticalScrollBar();
    qint64 longestGapNs = 0;
    QElapsedTimer gap;
    gap.start();
    QTimer ticker;
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestGapNs = std::max(longestGapNs, gap.nsecsElapsed());
        gap.restart();
    });
    ticker.start();
    QTimer scroller;
    scroller.setInterval(30);
    QObject::connect(&scroller, &QTimer::timeout, [&] { bar->setValue(bar->value() + 92); });
    scroller.start();
    clock.restart();
    while (bar->value() < bar->maximum() || grid.decodesInFlight() > 0) {
        waitForEvents();
        if (clock.elapsed() > 120000)
            break;
    }
    scroller.stop();
    // Thumbnails of rows skipped over are made only once drawn: visit them all for the memory
    // figure.
    for (int value = 0; value <= bar->maximum(); value += 92) {
        bar->setValue(value);
        QElapsedTimer wait;
        wait.start();
        while ((grid.decodesInFlight() > 0 || wait.elapsed() < 20) && wait.elapsed() < 20000)
            waitForEvents();
    }
    // Scroll back up through thumbnails that are all made: the stall without decoding.
    const qint64 stallWhileDecodingNs = longestGapNs;
    longestGapNs = 0;
    gap.restart();
    scroller.disconnect();
    QObject::connect(&scroller, &QTimer::timeout, [&] { bar->setValue(bar->value() - 92); });
    scroller.start();
    while (bar->value() > 0)
        waitForEvents();
    scroller.stop();
    ticker.stop();
    const qint64 stallIdleNs = longestGapNs;
    int loaded = 0;
    for (int i = 0; i < grid.imageCount(); ++i)
        loaded += grid.hasThumbnail(i);
    const double thumbMiB = grid.thumbnailBytes() / 1048576.0;
    const long rssAfter = residentKiB();

    // The first screenful again, from a new fill: the decoding threads are warm now.
    bar->setValue(0);
    browser.FillThumbnails(folder);
    clock.restart();
    const double cpuAgain = processCpuMs();
    for (;;) {
        waitForEvents();
        bool ready = true;
        for (int i : visible)
            ready = ready && grid.hasThumbnail(i);
        if (ready || clock.elapsed() > 60000)
            break;
    }
    const double againMs = clock.nsecsElapsed() / 1e6;
    const double againCpuMs = processCpuMs() - cpuAgain;

    // The same screenful decoded at full size on one thread, and with DCT scaling on one thread.
    clock.restart();
    for (int i : visible) {
        TIEBitmap full;
        full.SetPreferFileStorage(false);
        ReadImage(grid.imageFileName(i).toStdString(), full);
        ReduceToFit(full, 100, 80);
    }
    const double fullMs = clock.nsecsElapsed() / 1e6;
    clock.restart();
    for (int i : visible)
        LoadThumbnail(grid.imageFileName(i), 100, 80);
    const double scaledMs = clock.nsecsElapsed() / 1e6;
    clock.restart();
    const double cpuTwo = processCpuMs();
    {
        std::atomic<size_t> next { 0 };
        auto work = [&] {
            for (size_t k; (k = next++) < visible.size();)
                LoadThumbnail(grid.imageFileName(visible[k]), 100, 80);
        };
        std::thread a(work), b(work);
        a.join();
        b.join();
    }
    const double twoMs = clock.nsecsElapsed() / 1e6;
    const double twoCpuMs = processCpuMs() - cpuTwo;

    std::printf("folder: %d JPEG files of %d x %d\n", grid.imageCount(), w, h);
    std::printf("FillThumbnails:                      %8.1f ms\n", fillMs);
    std::printf(
        "first screenful (%zu thumbnails):      %8.1f ms (pool of 2 threads, %.0f ms of CPU)\n",
        visible.size(), screenMs, screenCpuMs);
    std::printf(
        "first screenful again, warm threads:  %8.1f ms (%.0f ms of CPU)\n", againMs, againCpuMs);
    std::printf("longest event-loop stall scrolling:  %8.1f ms while decoding, %.1f ms when all"
                " are made\n",
        stallWhileDecodingNs / 1e6, stallIdleNs / 1e6);
    std::printf("thumbnails held: %d, %.2f MiB; process RSS grew by %.1f MiB\n", loaded, thumbMiB,
        (rssAfter - rssBefore) / 1024.0);
    std::printf("same screenful, one thread, DCT-scaled decode: %8.1f ms\n", scaledMs);
    std::printf("same screenful, two plain threads, DCT-scaled: %8.1f ms (%.0f ms of CPU)\n", twoMs,
        twoCpuMs);
    std::printf("same screenful, one thread, full-size decode:  %8.1f ms\n", fullMs);
    return 0;
}
