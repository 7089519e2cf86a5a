// Loads a plug-in library the way a host does, with the floating-point
// state a host might have (flush-to-zero, denormals-are-zero, zero-divide
// unmasked, no status flag raised), and checks that loading masked every
// exception and changed nothing else: rounding, FTZ, DAZ and the sticky
// status flags stay as they were. Run once per library, in a fresh process.
#include <dlfcn.h>
#include <xmmintrin.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s LIBRARY\n", argv[0]);
        return 2;
    }
    constexpr unsigned kAllMasks = 0x1F80, kZeroDivideMask = 0x0200, kFlushToZero = 0x8000, kDenormalsAreZero = 0x0040;
    const unsigned host = (kAllMasks | kFlushToZero | kDenormalsAreZero) & ~kZeroDivideMask;
    _mm_setcsr(host);
    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    const unsigned after = _mm_getcsr();
    if (library == nullptr) {
        std::fprintf(stderr, "cannot load %s: %s\n", argv[1], dlerror());
        return 1;
    }
    std::printf("floating point at load: %04x -> %04x\n", host, after);
    return after == (host | kAllMasks) ? 0 : 1;
}
