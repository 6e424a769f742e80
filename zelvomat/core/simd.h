// Four doubles side by side for the hot loops of the integration (the
// Chebyshev sums of the planetary ephemeris, the point-mass attractions), and
// the attribute that compiles such a loop twice: for any x86-64 processor
// (SSE2, two doubles per instruction) and for processors with AVX2 and fused
// multiply-add (x86-64-v3, four doubles per instruction), the version chosen
// once when the library is loaded. The build never assumes more than x86-64.
//
// The files that use it are compiled with -ffp-contract=fast and
// -fno-math-errno (zelvomat/CMakeLists.txt): in the x86-64-v3 version a * b + c
// becomes one fused multiply-add, so the two versions agree to a few units of
// the last place, not bit for bit; and the square roots of V4 lanes become
// vector instructions.
#pragma once

#include <cstring>

namespace zelvomat::simd {

// ZELVO_NO_SIMD_CLONES builds the version for any x86-64 alone (to test it on
// a machine that would choose the other).
#if defined(__GNUC__) && defined(__x86_64__) && defined(__ELF__) && !defined(__clang__) && \
    !defined(ZELVO_NO_SIMD_CLONES)
#define ZELVO_SIMD_CLONES __attribute__((target_clones("arch=x86-64-v3", "default")))
#else
#define ZELVO_SIMD_CLONES
#endif

// Four lanes; the arithmetic operators act lane by lane.
typedef double V4 __attribute__((vector_size(32)));
typedef long long V4Mask __attribute__((vector_size(32)));

[[gnu::always_inline]] inline V4 load4(const double* p) {
    V4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

[[gnu::always_inline]] inline V4 splat4(double x) { return V4{x, x, x, x}; }

[[gnu::always_inline]] inline V4 sqrt4(V4 x) {
    return V4{__builtin_sqrt(x[0]), __builtin_sqrt(x[1]), __builtin_sqrt(x[2]), __builtin_sqrt(x[3])};
}

[[gnu::always_inline]] inline double sum4(V4 x) { return (x[0] + x[1]) + (x[2] + x[3]); }

}  // namespace zelvomat::simd
