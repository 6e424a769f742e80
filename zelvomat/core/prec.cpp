// Precession angles, the precession matrix and the mean obliquity.
//
// References: J. H. Lieske, T. Lederle, W. Fricke, B. Morando (1977), A&A 58,
// 1-16 (IAU 1976 precession and obliquity); for the older set, the
// Newcomb-Andoyer expressions referred to B1900.0 as given in the Explanatory
// Supplement to the Astronomical Ephemeris (1961).
#include <cmath>

#include "core/frames.h"

namespace zelvomat {

PrecessionAngles prec(int mode, double jd_a, double fr_a, double jd_b, double fr_b) {
    PrecessionAngles p;
    if (mode == 0) {
        // IAU 1976: T from J2000.0 to the start epoch, t from the start to
        // the end epoch, both in Julian centuries.
        const double T = (jd_a - kJ2000 + fr_a) / kDaysPerJulianCentury;
        const double t = (jd_b - jd_a + fr_b - fr_a) / kDaysPerJulianCentury;
        const double w = 2306.2181 + 1.39656 * T - 0.000139 * T * T;
        p.zeta = w * t + (0.30188 - 0.000344 * T) * t * t + 0.017998 * t * t * t;
        p.z = w * t + (1.09468 + 0.000066 * T) * t * t + 0.018203 * t * t * t;
        p.theta =
            (2004.3109 - 0.85330 * T - 0.000217 * T * T) * t - (0.42665 + 0.000217 * T) * t * t - 0.041833 * t * t * t;
    } else {
        // Newcomb-Andoyer: tropical centuries from B1900.0.
        const double T = (jd_a - 2415020.0 + fr_a - 0.3135) / 36524.219879;
        const double t = (jd_b - jd_a + fr_b - fr_a) / 36524.219879;
        const double w = 2304.253 + 1.3973 * T + 0.00006 * T * T;
        p.zeta = w * t + (0.3023 - 0.00027 * T) * t * t + 0.018 * t * t * t;
        p.z = w * t + (1.095 + 0.00039 * T) * t * t + 0.01832 * t * t * t;
        p.theta = (2004.685 - 0.8533 * T - 0.00037 * T * T) * t - (0.4267 + 0.00037 * T) * t * t - 0.0418 * t * t * t;
    }
    p.zeta *= kRadPerArcsec;
    p.z *= kRadPerArcsec;
    p.theta *= kRadPerArcsec;
    return p;
}

Mat3 mapr(double zeta, double z, double theta) {
    // R3(-z) R2(theta) R3(-zeta), as ERFA's eraPmat76 composes it.
    return matmul(rotz(-z), matmul(roty(theta), rotz(-zeta)));
}

double obliq(std::int32_t jd, double fr) {
    // 84381.448" - 46.8150" T - 0.00059" T^2 + 0.001813" T^3.
    const double T = (jd - kJ2000 + fr) / kDaysPerJulianCentury;
    return (84381.448 - 46.8150 * T - 0.00059 * T * T + 0.001813 * T * T * T) * kRadPerArcsec;
}

}  // namespace zelvomat
