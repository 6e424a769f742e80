// Apparent magnitudes of minor planets and comets, and diameters of minor
// planets from their absolute magnitudes.
//
// Minor planets: the IAU two-parameter H, G magnitude system (Bowell et al.
// 1989, in Asteroids II, pp. 524-556):
//     m = H + 5 log10(r Delta) - 2.5 log10((1 - G) Phi1 + G Phi2),
//     Phi_i = exp(-A_i tan(phase/2)^B_i), A = 3.33, 1.87, B = 0.63, 1.22.
// Comets (comet mode of MotionConfig): total magnitude with H the absolute
// total magnitude and G the factor of log10 r:
//     m = H + 5 log10(Delta) + G log10(r).
// r heliocentric distance and Delta distance from the observer in AU, phase
// angle in radians.
//
// A magnitude that cannot be computed (a distance that is zero, negative or
// not a number, a phase angle outside [0, pi), or a phase function that is
// not positive, as for G outside [0, 1] at large phase angles) is returned as
// kMagnitudeUnknown rather than from the logarithm of zero or of a negative
// number. The value is too wide for the four-column magnitude field of the
// ephemeris lines (one decimal), which therefore shows "****"; a caller that
// prefers a blank field sets the no-magnitude flag of MotionConfig. Being
// very faint, it also fails every "brighter than" limit.
//
// Diameter from the absolute magnitude: D = 2 x 10^(3.25 - 0.2 H) km (an
// albedo near 0.1).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "io/status.h"

namespace zelvomat {

struct MotionConfig;

inline constexpr double kMagnitudeUnknown = 9999.0;
inline bool magnitude_known(double m) { return m < kMagnitudeUnknown; }

// Absolute magnitude taken for an object without one in "M2C.K2C".
inline constexpr double kDefaultAbsMagnitude = 15.7;

// The law of the comet mode of MotionConfig.
double magn(const MotionConfig& m, double r_au, double delta_au, double phase_rad, double h, double g);
// The law chosen explicitly.
double magn(double r_au, double delta_au, double phase_rad, double h, double g, bool comet);

// Diameter in km for the absolute magnitude h; 0 (unknown) when h is not a
// finite number or the diameter would not be.
double diameter_km(double h);

// ---- M2C.K2C ----------------------------------------------------------------
// Direct-access file of the data directory, 16-byte records without
// separators: record n begins with the double (little-endian) absolute
// magnitude of catalogue object n (of a comet its nuclear magnitude M2);
// bytes 8-15 hold a second double, the slope K2 of a comet's nuclear
// magnitude, which the library does not read.
inline constexpr std::size_t kM2cRecordBytes = 16;

// The absolute magnitude of record n; fails when the file cannot be opened
// or has no whole record n.
Result<double> read_m2c(const std::string& path, std::int32_t n);
// Writes a whole file: record n from h[n - 1], bytes 8-15 zero.
Status write_m2c(const std::string& path, const std::vector<double>& h);
// The same with the second double of record n from k[n - 1] (k as long as h).
Status write_m2c(const std::string& path, const std::vector<double>& h, const std::vector<double>& k);

// The body of the export dphot: flag 0 takes h; otherwise the absolute
// magnitude of record n of "M2C.K2C" in the data directory of settings record
// 4 (read now), 15.7 when it is 0 or cannot be read.
double dphot_km(std::int32_t flag, std::int32_t n, double h);

}  // namespace zelvomat
