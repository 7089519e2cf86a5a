// Marks hot loops to be compiled twice, for AVX2 and for the baseline, with
// the choice made once at load time. The arithmetic is the same in both
// (no fused multiply-add), so the results are bit for bit identical.
#pragma once

#if defined(__GNUC__) && defined(__x86_64__) && defined(__linux__) && !defined(__clang__)
#define VARDELLINE_HOT_LOOP __attribute__((target_clones("avx2", "default")))
#else
#define VARDELLINE_HOT_LOOP
#endif
