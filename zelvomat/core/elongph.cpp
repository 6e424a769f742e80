// Phase angle, elongation and the side of the Sun.
//
// The Sun, the object and the observer make a plane triangle with the sides
// rA (Sun - object), rB (Sun - observer) and rD (observer - object). With the
// half perimeter s and k = sqrt((s - rA)(s - rB)(s - rD) / s), the angle
// opposite a side of length r is 2 atan(k / (s - r)): the phase angle, at the
// object, lies opposite rB; the elongation, at the observer, opposite rA.
// The half-angle form keeps its accuracy for angles near 0 and pi, where an
// arc cosine of the scalar product would not.
#include <cmath>

#include "core/apparent.h"
#include "core/utils.h"

namespace zelvomat {

PhaseElongation elongph(const Vec3& a, const Vec3& b) {
    PhaseElongation r;
    // d: from the object to the observer.
    const Vec3 d{-b[0] - a[0], -b[1] - a[1], -b[2] - a[2]};
    // West when the object turns clockwise from the Sun, seen from the
    // frame's north pole.
    if (b[1] * d[0] - b[0] * d[1] < 0) r.side = 'W';

    const auto len = [](const Vec3& v) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); };
    const double ra = len(a), rb = len(b), rd = len(d);
    if (rb < 1e-11 || rd < 1e-11) return r;
    const double s = (ra + rb + rd) / 2;
    if (s < 1e-11) return r;
    // Rounding can make a side minutely longer than the sum of the other
    // two; the product is then taken as zero (a flat triangle).
    const double k = std::sqrt(std::fmax(0.0, (s - rb) * (s - ra) * (s - rd) / s));
    if (s - rb <= 1e-11) {
        r.phase = kPi;
        return r;
    }
    if (s - ra <= 1e-11) {
        r.elong = kPi;
        return r;
    }
    r.phase = 2 * std::atan(k / (s - rb));
    r.elong = 2 * std::atan(k / (s - ra));
    return r;
}

}  // namespace zelvomat
