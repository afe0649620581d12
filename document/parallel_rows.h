#pragma once

// Splitting the rows of one image operation over a few worker threads. Only for loops whose
// rows are independent, so that the result is the same bit for bit however the rows are split.

#include <cstdint>
#include <functional>

namespace borderlux {

/// Number of threads ParallelRows may use: the BORDERLUX_THREADS environment variable when set
/// (1 = everything on the calling thread), otherwise the hardware's, at most 4.
int WorkerThreadCount();
/// Overrides WorkerThreadCount for the rest of the process (tests, benchmarks); 0 restores
/// the default.
void SetWorkerThreadCount(int count);

/// Calls fn(begin, end) on disjoint ranges covering 0 .. count - 1, on up to WorkerThreadCount()
/// threads (the calling thread included) and returns when all are done. Small jobs
/// (count x bytesPerRow below about 4 MB) run on the calling thread in one call.
void ParallelRows(
    int count, int64_t bytesPerRow, const std::function<void(int begin, int end)>& fn);

} // namespace borderlux
