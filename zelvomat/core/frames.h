// Precession, nutation, sidereal time and frame rotations.
//
// Angles are radians. 3 x 3 matrices are nine doubles stored column by
// column: element (row i, column j), both counted from 1, is at index
// (j - 1) * 3 + (i - 1); `m3(M, i, j)` gives it. A matrix turns the
// coordinates of a fixed vector from one frame into another (v' = M v).
//
// Models: precession IAU 1976 (Lieske et al. 1977, A&A 58, 1), nutation IAU
// 1980 (Seidelmann 1982, Celest. Mech. 27, 79; Explanatory Supplement 1992,
// 3.222), mean obliquity IAU 1976, Greenwich mean sidereal time IAU 1982
// (Aoki et al. 1982, A&A 105, 359).
//
// Files: prec.cpp (prec, mapr, obliq), nutm.cpp (nutm, nutmat), rot.cpp
// (rotx, roty, rotz, matmul), sidereal.cpp (gmst, sphrot).
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <span>

#include "core/constants.h"

namespace zelvomat {

using Mat3 = std::array<double, 9>;  // column by column
using Vec3 = std::array<double, 3>;

// Element (row, col), both 1-based, of a column-by-column matrix.
constexpr double& m3(Mat3& m, int row, int col) { return m[static_cast<std::size_t>((col - 1) * 3 + (row - 1))]; }
constexpr double m3(const Mat3& m, int row, int col) { return m[static_cast<std::size_t>((col - 1) * 3 + (row - 1))]; }

// The mean obliquity of J2000.0 (kObliquityJ2000, constants.h) is the angle
// used wherever vectors are turned between the ecliptic and the equator of
// J2000.

// ---- Precession ------------------------------------------------------------

struct PrecessionAngles {
    double zeta = 0.0, z = 0.0, theta = 0.0;  // radians
};

// Equatorial precession angles zeta, z, theta from the epoch jd_a + fr_a to
// the epoch jd_b + fr_b (Julian dates, TT; each may be split in any way).
//   mode 0: IAU 1976 (Lieske), Julian centuries from J2000.0;
//   other:  the older Newcomb-Andoyer set referred to B1900.0 (tropical
//           centuries of 36524.219879 days from JD 2415020.3135).
// Equal epochs give three zero angles.
PrecessionAngles prec(int mode, double jd_a, double fr_a, double jd_b, double fr_b);

// Precession matrix P = R3(-z) R2(theta) R3(-zeta) from the three angles:
// mean equator and equinox of the start epoch to those of the end epoch.
Mat3 mapr(double zeta, double z, double theta);

// Mean obliquity of the ecliptic of date (IAU 1976), radians; the date is
// jd + fr (TT).
double obliq(std::int32_t jd, double fr);

// ---- Nutation --------------------------------------------------------------

struct Nutation {
    double dpsi = 0.0;       // nutation in longitude, radians
    double deps = 0.0;       // nutation in obliquity, radians
    double dpsi_rate = 0.0;  // radians per day (0 unless rates were asked for)
    double deps_rate = 0.0;
};

// IAU 1980 nutation at the date jd + fr (TT), from a 106-term table of
// single-precision coefficients summed in single precision: within 6e-5" of
// the full double-precision series over 1900-2100, 2.4e-4" over 1800-2200
// (see nutm.cpp).
//   mode <= 0: all terms; 1: the long-period group (terms 1-30) only;
//   >= 2: the short-period group (terms 31-106) only.
//   rate_switch != 0: the rates are computed as well (else they are 0).
Nutation nutm(int mode, int rate_switch, double jd, double fr);

// Nutation matrix R1(-(eps + deps)) R3(-dpsi) R1(eps): mean equator and
// equinox of date to true equator and equinox of date (eps the mean obliquity).
Mat3 nutmat(double dpsi, double deps, double eps);

// ---- Rotations and products ------------------------------------------------

// Rotation of the frame about the x, y or z axis by the angle a (a positive
// angle turns the frame anticlockwise seen from the positive axis, so vector
// coordinates turn the other way):
//   rotx rows (1, 0, 0), (0, cos a, sin a), (0, -sin a, cos a);
//   roty rows (cos a, 0, -sin a), (0, 1, 0), (sin a, 0, cos a);
//   rotz rows (cos a, sin a, 0), (-sin a, cos a, 0), (0, 0, 1).
Mat3 rotx(double a);
Mat3 roty(double a);
Mat3 rotz(double a);

// Scalar product, length and vector product of 3-vectors.
constexpr double dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
inline double norm(const Vec3& a) { return std::sqrt(dot(a, a)); }
constexpr Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

// C (p x r) := A (p x q) times B (q x r), all column by column. C may be
// the same storage as A or B. The spans must hold p*q, q*r and p*r values
// (nothing is done when one is too short).
void matmul(std::span<const double> a, std::span<const double> b, std::span<double> c, int p, int q, int r);
// The two shapes the library uses: a product of matrices and a matrix times
// a vector.
Mat3 matmul(const Mat3& a, const Mat3& b);
Vec3 matmul(const Mat3& a, const Vec3& v);

// ---- Sidereal time and the horizon -------------------------------------------

// Greenwich mean sidereal time (IAU 1982) at the UT1 instant jd + fr, in
// [0, 2 pi).
double gmst(std::int32_t jd, double fr);

// Spherical triangle with the sides a and c about the included angle b:
// a1 and a2 are the other two angles (in [0, 2 pi)) and s the third side
// (in [0, pi]). With a = pi/2 - declination, b = hour angle and c = pi/2 -
// latitude: a1 is the azimuth counted from the north towards the west, s the
// zenith distance and a2 the parallactic angle. An angle whose direction is
// undefined (the star at the zenith or pole) is left as it was.
void sphrot(double a, double b, double c, double& a1, double& s, double& a2);

}  // namespace zelvomat
