// Gauss-Radau integrator of Everhart (RADAU), orders 7 to 27.
//
// Integrates y' = F(y, t) (class 1), y'' = F(y, t) (class -2) or
// y'' = F(y', y, t) (class 2) from t0 to t1, forward or backward. Over each
// sequence (step) of size T the derivative is expanded in powers of the time
// fraction h in [0, 1],
//     F(h) = F1 + B1 h + B2 h^2 + ... + B_NB h^NB,      NB = (NOR - 3)/2 + 1,
// the force is evaluated at the Gauss-Radau spacings of the order, and the
// B-values are improved by predictor-corrector iterations; the B-values of the
// next sequence are predicted from those of the last one. The sequence size
// follows from the size of the last B-value: T = (10^-LL / HV)^(1/(NB + 2)),
// HV = sqrt(sum over the components of B_NB^2) / |T|^NB.
//
// Given:
//   x, v    positions and velocities (any consistent units, for the library
//           AU and AU/day), nv values each, at t0; returned at t1
//   t0, t1  start and end time (the force routine receives absolute times on
//           this scale); t1 must differ from t0
//   xl      constant sequence size, used only when ll < 0 (sign ignored: the
//           direction of integration is taken)
//   ll      accuracy: the last term of the expansion is held near 10^-ll
//   nv      number of components, 1 to kRadauMaxComponents
//   ni      predictor-corrector iterations of each sequence after the first
//           (at least 1; 2 is the usual choice)
//   nclass  1, -2 or 2 (kRadauFirstOrder, kRadauSecondOrder,
//           kRadauSecondOrderVelocity); returned as its absolute value
//   nor     order: 7, 11, 15, 19, 23 or 27
//   force   the right-hand side, see RadauForce
// Returned:
//   nf      number of force evaluations
//   ns      number of sequences
//   status  ok, or why the integration failed; on failure x and v hold the
//           start state again (never a partial or non-finite state)
//
// Notes:
// 1. For class 1 the velocities are not used: they are set to 0 and the force
//    receives zeros. For class -2 the force receives the velocities of the
//    start of the sequence; only class 2 predicts them at every substep.
// 2. Only the first sequence can be rejected (its size cut by 0.8 and the
//    sequence repeated, at most ten times); later sequences grow by at most
//    1.5 (1.2 for a single equation) and are stretched by up to 0.1 % so
//    that the last one ends exactly at t1.
// 3. The integration fails when the first sequence is rejected eleven times,
//    when a sequence size falls below 1e-12 of the span or no longer moves
//    the time, when a state, force or size becomes non-finite, when the
//    force routine reports a failure, or after options.max_sequences
//    sequences.
//
// Reference: E. Everhart, "An efficient integrator that uses Gauss-Radau
// spacings", in A. Carusi and G. B. Valsecchi (eds.), Dynamics of Comets:
// Their Origin and Evolution, Reidel 1985, pp. 185-202.
#pragma once

#include <cstdint>
#include <span>
#include <type_traits>
#include <utility>

#include "io/status.h"

namespace zelvomat {

inline constexpr int kRadauMaxComponents = 16;
inline constexpr std::int32_t kRadauFirstOrder = 1;           // y' = F(y, t)
inline constexpr std::int32_t kRadauSecondOrder = -2;         // y'' = F(y, t)
inline constexpr std::int32_t kRadauSecondOrderVelocity = 2;  // y'' = F(y', y, t)

// The right-hand side: fn(ctx, x, v, t, a) fills a[0..nv) with the
// accelerations (the derivatives for class 1) at positions x, velocities v
// and time t. It returns false to stop the integration (the integrator then
// fails with "force evaluation failed"; the routine keeps its own reason in
// its context).
struct RadauForce {
    bool (*fn)(void* ctx, const double* x, const double* v, double t, double* a) = nullptr;
    void* ctx = nullptr;
};

// Wraps any callable f(const double* x, const double* v, double t, double* a)
// returning void or bool; f must outlive the integration.
template <class F>
RadauForce radau_force(F& f) {
    RadauForce r;
    r.ctx = static_cast<void*>(&f);
    r.fn = [](void* ctx, const double* x, const double* v, double t, double* a) -> bool {
        F& g = *static_cast<F*>(ctx);
        if constexpr (std::is_void_v<decltype(g(x, v, t, a))>) {
            g(x, v, t, a);
            return true;
        } else {
            return static_cast<bool>(g(x, v, t, a));
        }
    };
    return r;
}

struct RadauOptions {
    std::int32_t max_sequences = 1000000;  // runaway guard
    // Trial size of the first sequence (sign ignored), in place of the
    // method's own 0.5^(0.4 LL) (NOR/11)/2; 0 keeps the method's. Still cut
    // to half the span and subject to the first sequence's size test. A
    // caller that integrates from stop to stop passes the size that the last
    // call proposed (next_size), so that each call does not grow its
    // sequences again from the small trial size. Ignored when LL < 0.
    double first_size = 0.0;
    // When given, receives the size (signed) that the sequence after the last
    // one would have taken, before any cut to reach t1; unchanged on failure.
    double* next_size = nullptr;
};

Status radau(std::span<double> x, std::span<double> v, double t0, double t1, double xl, std::int32_t ll,
             std::int32_t nv, std::int32_t ni, std::int32_t& nf, std::int32_t& ns, std::int32_t& nclass,
             std::int32_t nor, RadauForce force, const RadauOptions& options = {});

// The Gauss-Radau spacings on (0, 1) of an order (the spacing 0 at the start
// of each sequence left out): 3 values for order 7 up to 13 for order 27;
// empty for an order the integrator does not have.
std::span<const double> radau_spacings(std::int32_t nor);

}  // namespace zelvomat
