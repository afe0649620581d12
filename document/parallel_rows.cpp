#include "document/parallel_rows.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <thread>
#include <vector>

namespace borderlux {

namespace {

std::atomic<int> g_override { 0 };

int defaultThreads()
{
    static const int count = [] {
        if (const char* env = std::getenv("BORDERLUX_THREADS")) {
            const int n = std::atoi(env);
            if (n >= 1)
                return std::min(n, 16);
        }
        const int hw = int(std::thread::hardware_concurrency());
        return std::clamp(hw, 1, 4);
    }();
    return count;
}

// Below this much work a thread start costs more than it saves.
constexpr int64_t kMinParallelBytes = 4 << 20;

} // namespace

int WorkerThreadCount()
{
    const int o = g_override.load(std::memory_order_relaxed);
    return o > 0 ? o : defaultThreads();
}

void SetWorkerThreadCount(int count)
{
    g_override.store(std::max(count, 0), std::memory_order_relaxed);
}

void ParallelRows(int count, int64_t bytesPerRow, const std::function<void(int begin, int end)>& fn)
{
    if (count <= 0)
        return;
    int threads = WorkerThreadCount();
    if (int64_t(count) * std::max<int64_t>(bytesPerRow, 1) < kMinParallelBytes)
        threads = 1;
    threads = std::min(threads, count);
    if (threads <= 1) {
        fn(0, count);
        return;
    }
    std::vector<std::thread> workers;
    workers.reserve(size_t(threads - 1));
    const int64_t per = (int64_t(count) + threads - 1) / threads;
    for (int t = 1; t < threads; ++t) {
        const int begin = int(std::min<int64_t>(per * t, count));
        const int end = int(std::min<int64_t>(per * (t + 1), count));
        if (begin < end)
            workers.emplace_back([&fn, begin, end] { fn(begin, end); });
    }
    fn(0, int(std::min<int64_t>(per, count)));
    for (std::thread& w : workers)
        w.join();
}

} // namespace borderlux
