// The library's numerical constants, each with its unit and its source.
//
// Every routine takes its constants from here; a coefficient of a published
// series stays in the routine that evaluates it, written as published (in
// the published unit), and is converted in code.
#pragma once

namespace zelvomat {

// ---- Angles ---------------------------------------------------------------------

inline constexpr double kPi = 3.141592653589793238462643;
inline constexpr double kTwoPi = 2.0 * kPi;
inline constexpr double kHalfPi = 0.5 * kPi;
// Degrees per radian and radians per degree.
inline constexpr double kDegPerRad = 180.0 / kPi;
inline constexpr double kRadPerDeg = kPi / 180.0;
// Seconds of arc in a turn, per radian, and radians per second of arc (as
// ERFA's ERFA_TURNAS, ERFA_DR2AS, ERFA_DAS2R).
inline constexpr double kArcsecPerTurn = 1296000.0;
inline constexpr double kArcsecPerRad = 206264.8062470963551564734;
inline constexpr double kRadPerArcsec = 4.848136811095359935899141e-6;
// Seconds of time per radian of hour angle.
inline constexpr double kTimeSecPerRad = kArcsecPerRad / 15.0;

// ---- Time -----------------------------------------------------------------------

inline constexpr double kJ2000 = 2451545.0;  // JD of J2000.0 (TT)
inline constexpr double kDaysPerJulianCentury = 36525.0;
inline constexpr double kDaysPerJulianMillennium = 365250.0;
inline constexpr double kSecondsPerDay = 86400.0;

// ---- The Sun, the Earth and light -----------------------------------------------

// Gaussian gravitational constant, AU^1.5 / day (solar mass = 1) (IAU 1976
// System of Astronomical Constants).
inline constexpr double kGaussK = 0.01720209895;
// The astronomical unit in km of JPL's DE403/DE405 (Standish 1998, JPL IOM
// 312.F-98-048).
inline constexpr double kKmPerAu = 149597870.691;
// Speed of light, km/s (IAU 1976; exact since the metre of 1983).
inline constexpr double kLightKmPerSecond = 299792.458;
// Light time of one AU, days.
inline constexpr double kLightDaysPerAu = kKmPerAu / (kLightKmPerSecond * kSecondsPerDay);
// Mean obliquity of the ecliptic at J2000.0, 84381.448" (Lieske et al. 1977,
// A&A 58, 1, the IAU 1976 value), in radians.
inline constexpr double kObliquityJ2000 = 84381.448 * kRadPerArcsec;
// Ratio of the Earth's mass to the Moon's (JPL DE405).
inline constexpr double kEarthMoonMassRatio = 81.30056;

// The Earth's ellipsoid: GRS 80 (Moritz 1980, Bull. Geod. 54, 395), as WGS 84
// to 0.1 mm.
inline constexpr double kEarthEquatorialRadiusM = 6378137.0;
inline constexpr double kEarthFlattening = 1.0 / 298.257222101;
inline constexpr double kEarthEquatorialRadiusKm = kEarthEquatorialRadiusM * 0.001;

}  // namespace zelvomat
