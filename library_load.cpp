// Load-time set-up: mask every floating-point exception on the loading
// thread, so that a fault in the plug-in gives Inf or NaN instead of a trap.
// Rounding, precision, flush-to-zero and denormals-are-zero stay as the host
// set them.
#if defined(__i386__) || defined(__x86_64__) || defined(_M_IX86) || defined(_M_X64)
#include <xmmintrin.h>

namespace {

constexpr unsigned kSseExceptionMasks = 0x1F80;  // invalid, denormal, zero-divide, overflow, underflow, precision

void maskFloatingPointExceptions() {
    _mm_setcsr(_mm_getcsr() | kSseExceptionMasks);
#if defined(__i386__)
    unsigned short control = 0;
    __asm__ volatile("fnstcw %0" : "=m"(control));
    control |= 0x3F;  // the six x87 exception masks; precision control untouched
    __asm__ volatile("fldcw %0" : : "m"(control));
#endif
}

struct FloatingPointSetup {
    FloatingPointSetup() { maskFloatingPointExceptions(); }
};

FloatingPointSetup floatingPointSetup;

}  // namespace
#endif
