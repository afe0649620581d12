#pragma once

/// BL_ROW_LOOP marks a pixel-row loop function: with GCC on x86-64 it is compiled twice, for
/// AVX2 and for the baseline, and the loader picks the one the processor runs. The results
/// are the same bytes either way; only the vector width differs.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
#define BL_ROW_LOOP __attribute__((target_clones("avx2", "default")))
#else
#define BL_ROW_LOOP
#endif
