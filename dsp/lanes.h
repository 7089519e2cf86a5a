// Short vectors for the per-band and per-sample work (GCC vector
// extensions): the compiler maps them onto whatever vector unit the function
// is built for, and every lane does the same IEEE operations as the scalar
// code.
#pragma once

#include <cstdint>
#include <cstring>

// Always inlined, so that they are built for the vector unit of the caller
// (a separate copy would be built for the baseline and pass vectors in memory).
#define VARDELLINE_LANES_INLINE [[gnu::always_inline]] inline

namespace vardelline {

typedef double Doubles2 __attribute__((vector_size(16)));
typedef double Doubles4 __attribute__((vector_size(32)));
typedef double Doubles8 __attribute__((vector_size(64)));
typedef float Floats2 __attribute__((vector_size(8)));
typedef float Floats4 __attribute__((vector_size(16)));
typedef float Floats8 __attribute__((vector_size(32)));
typedef int32_t Ints4 __attribute__((vector_size(16)));
typedef int32_t Ints8 __attribute__((vector_size(32)));

// The same floats at any float's alignment, for instructions that read
// vectors from memory without needing them aligned.
typedef float UnalignedFloats4 __attribute__((vector_size(16), aligned(alignof(float))));
typedef float UnalignedFloats8 __attribute__((vector_size(32), aligned(alignof(float))));

template <typename Vector>
VARDELLINE_LANES_INLINE Vector load(const void* from) {
    Vector v;
    std::memcpy(&v, from, sizeof v);
    return v;
}

template <typename Vector>
VARDELLINE_LANES_INLINE void store(void* to, const Vector& v) {
    std::memcpy(to, &v, sizeof v);
}

template <typename Mask>
VARDELLINE_LANES_INLINE bool anyLane(Mask mask) {
    int64_t any = 0;
    for (int i = 0; i < static_cast<int>(sizeof mask / sizeof mask[0]); ++i) any |= mask[i];
    return any != 0;
}

}  // namespace vardelline
