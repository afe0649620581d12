// Core benchmarks: compositing, alpha from red, fast linear enlarging, undo snapshots, each
// reported as a multiple of one plain memcpy of a 6000 x 4000 24-bit raster measured in the
// same run (counter x_memcpy; the targets are 4, 2, 6 and 3). The argument is the number of
// worker threads (1, or 0 for the default).
//
//   bench_core [--benchmark_filter=...]

#include "document/layer_view.h"
#include "document/parallel_rows.h"
#include "document/pixel_ops.h"
#include "document/resample.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <random>
#include <unistd.h>
#include <vector>

using namespace borderlux;

namespace {

constexpr int kW = 6000;
constexpr int kH = 4000;

double g_memcpySeconds = 0;
double g_memcpyCpuSeconds = 0;

// CPU time of the calling thread: on a machine shared with other work, the single-threaded
// runs are compared by it as well as by wall time.
double threadCpu()
{
    timespec ts {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

double now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// A photo-like raster: smooth gradients with some noise, so nothing is trivially constant.
void makePhoto(TIEBitmap& bmp, int w, int h, uint32_t seed)
{
    bmp.Allocate(w, h, ie24RGB);
    std::mt19937 rng(seed);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = bmp.Row(y);
        for (int x = 0; x < w; ++x) {
            const int n = int(rng() & 15);
            row[3 * x] = uint8_t((x * 255 / w + n) & 255);
            row[3 * x + 1] = uint8_t((y * 255 / h + n) & 255);
            row[3 * x + 2] = uint8_t(((x + y) * 127 / (w + h) + 60 + n) & 255);
        }
    }
}

void setThreads(const benchmark::State& state)
{
    SetWorkerThreadCount(int(state.range(0)));
}

void report(benchmark::State& state, double seconds, double cpuSeconds)
{
    const double n = double(std::max<int64_t>(state.iterations(), 1));
    const double per = seconds / n;
    state.counters["ms"] = per * 1e3;
    if (g_memcpySeconds > 0)
        state.counters["x_memcpy"] = per / g_memcpySeconds;
    if (g_memcpyCpuSeconds > 0 && state.range(0) == 1)
        state.counters["cpu_x_memcpy"] = cpuSeconds / n / g_memcpyCpuSeconds;
    SetWorkerThreadCount(0);
}

int64_t residentBytes()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return int64_t(resident) * sysconf(_SC_PAGE_SIZE);
}

void BM_Memcpy(benchmark::State& state)
{
    const size_t bytes = size_t(RowLengthFor(kW, ie24RGB)) * kH;
    std::vector<uint8_t> a(bytes, 1), b(bytes, 2);
    double total = 0;
    const double c0 = threadCpu();
    for (auto _ : state) {
        const double t0 = now();
        std::memcpy(b.data(), a.data(), bytes);
        benchmark::ClobberMemory();
        total += now() - t0;
    }
    g_memcpyCpuSeconds = (threadCpu() - c0) / double(state.iterations());
    g_memcpySeconds = total / double(state.iterations());
    state.counters["ms"] = g_memcpySeconds * 1e3;
    state.counters["x_memcpy"] = 1;
    state.counters["cpu_x_memcpy"] = 1;
}

void BM_RenderLayersTo(benchmark::State& state)
{
    setThreads(state);
    TIELayerView view;
    makePhoto(view.LayerAt(0).Bitmap, kW, kH, 1);
    TIELayer& frame = view.LayerAt(view.AddLayer());
    makePhoto(frame.Bitmap, kW, kH, 2);
    // A frame's alpha: opaque border, transparent centre, a soft ramp between.
    TIEBitmap& a = frame.Bitmap.AlphaPlane();
    for (int y = 0; y < kH; ++y) {
        uint8_t* row = a.Row(y);
        for (int x = 0; x < kW; ++x) {
            const int d = std::min({ x, y, kW - 1 - x, kH - 1 - y });
            row[x] = uint8_t(d < 300 ? 255 : (d < 555 ? 255 - (d - 300) : 0));
        }
    }
    a.SetFullyOpaque(false);
    TIEBitmap target;
    view.RenderLayersTo(target);
    double total = 0;
    const double c0 = threadCpu();
    for (auto _ : state) {
        const double t0 = now();
        view.RenderLayersTo(target);
        total += now() - t0;
    }
    report(state, total, threadCpu() - c0);
}

void BM_AlphaFromRed(benchmark::State& state)
{
    setThreads(state);
    TIEBitmap bmp;
    makePhoto(bmp, kW, kH, 3);
    AlphaFromRed(bmp);
    double total = 0;
    const double c0 = threadCpu();
    for (auto _ : state) {
        const double t0 = now();
        AlphaFromRed(bmp);
        total += now() - t0;
    }
    report(state, total, threadCpu() - c0);
}

void BM_FastLinearEnlarge(benchmark::State& state)
{
    setThreads(state);
    TIEBitmap src, dst;
    makePhoto(src, 2000, 1333, 4);
    ResampleTo(src, dst, kW, kH, rfFastLinear);
    double total = 0;
    const double c0 = threadCpu();
    for (auto _ : state) {
        const double t0 = now();
        ResampleTo(src, dst, kW, kH, rfFastLinear);
        total += now() - t0;
    }
    report(state, total, threadCpu() - c0);
}

void BM_LinearHalve(benchmark::State& state)
{
    setThreads(state);
    TIEBitmap src, dst;
    makePhoto(src, kW, kH, 5);
    ResampleTo(src, dst, kW / 2, kH / 2, rfLinear);
    double total = 0;
    const double c0 = threadCpu();
    for (auto _ : state) {
        const double t0 = now();
        ResampleTo(src, dst, kW / 2, kH / 2, rfLinear);
        total += now() - t0;
    }
    report(state, total, threadCpu() - c0);
}

void BM_SaveSnapshot(benchmark::State& state)
{
    setThreads(state);
    TIELayerView view;
    view.Proc().SetAutoUndo(false);
    view.Proc().SetUndoLimit(10);
    makePhoto(view.LayerAt(0).Bitmap, kW, kH, 6);
    const int64_t before = residentBytes();
    for (int i = 0; i < 10; ++i)
        view.Proc().SaveSnapshot();
    const int64_t grown = residentBytes() - before;
    double total = 0;
    const double c0 = threadCpu();
    for (auto _ : state) {
        const double t0 = now();
        view.Proc().SaveSnapshot();
        total += now() - t0;
    }
    state.counters["rss_growth_10_snapshots_rasters"]
        = double(grown) / double(view.LayerAt(0).Bitmap.ByteSize());
    report(state, total, threadCpu() - c0);
}

void BM_RestoreSnapshot(benchmark::State& state)
{
    setThreads(state);
    TIELayerView view;
    view.Proc().SetAutoUndo(false);
    view.Proc().SetUndoLimit(10);
    makePhoto(view.LayerAt(0).Bitmap, kW, kH, 7);
    view.Proc().SaveSnapshot();
    double total = 0;
    const double c0 = threadCpu();
    for (auto _ : state) {
        const double t0 = now();
        view.Proc().RestoreSnapshot(0);
        total += now() - t0;
    }
    report(state, total, threadCpu() - c0);
}

} // namespace

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_RenderLayersTo)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AlphaFromRed)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FastLinearEnlarge)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LinearHalve)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveSnapshot)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RestoreSnapshot)->Arg(0)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
