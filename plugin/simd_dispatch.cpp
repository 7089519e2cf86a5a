#include "plugin/simd_dispatch.h"

namespace vardelline {

#ifdef VARDELLINE_X86_DISPATCH
namespace {

// Set while the library loads; a caller that comes earlier still gets the
// baseline variants, which give the same results.
const bool avx2 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
}();
const bool avx512 = avx2 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
                    __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512dq");

}  // namespace

bool cpuHasAvx2() {
    return avx2;
}

bool cpuHasAvx512() {
    return avx512;
}
#endif

}  // namespace vardelline
