// Fallback planetary theory and the Moon series: approximate states of the
// major bodies for dates outside the planetary ephemeris file, or where a
// caller needs no more than approximate positions.
//
//  - the planets Mercury .. Pluto (the Earth-Moon barycentre for the third)
//    move on two-body orbits about the Sun from mean elements at the
//    catalogue epoch (the data file "orb.elm");
//  - the Earth follows the analytic mean elements of the Earth-Moon
//    barycentre of Simon et al. (1994, A&A 282, 663), as an unperturbed orbit
//    (eaa);
//  - the Moon's geocentric position is a trigonometric series in time (the
//    data file "moon.xyz").
//
// Two families:
//  - fbstate, eaa and moonhel work from the copies of "orb.elm" and
//    "moon.xyz" held in PlanetElements and MoonSeries, which the task drivers
//    load before a run (load_planet_elements, load_moon_series);
//  - rppl and moonxyz read "orb.elm" and "moon.xyz" of the data directory at
//    every call.
//
// Every state is six doubles: position (AU) and velocity (AU per day),
// heliocentric unless a centre is given, referred to the mean equator and
// equinox of J2000 (the ecliptic of J2000 turned by the obliquity
// 0.4090928042223 rad). Dates are Julian dates (TDB; the theory does not
// distinguish TT).
//
// Accuracy against JPL DE405 over 1960-2060 with the package files (elements
// at JD 2459800.5; tools/mkfallback prints the figures of each build), the
// largest heliocentric angle: Mercury 131", Venus 41", Mars 219", Jupiter
// 423", Saturn 599", Uranus 175", Neptune 130", Pluto 111" (two-body orbits
// miss the planets' mutual pulls, and heliocentric ones the Sun's motion
// about the barycentre, up to 0.01 AU); the Earth of eaa 35" (1.8e-4 AU;
// the same against ERFA's eraEpv00 over 1900-2100); the Moon's series 66"
// (7.7e-7 AU, 115 km) as seen from the Earth.
//
// Files: eaa.cpp (eaa, moonhel, the Moon series and its file), fbstate.cpp
// (fbstate, PlanetElements and its file), rppl.cpp (rppl, moonxyz).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/destate.h"
#include "core/twobody.h"
#include "io/bytes.h"
#include "io/status.h"

namespace zelvomat {

struct CoreState;
struct DataPaths;
struct PackageInfo;

// ---- Data files --------------------------------------------------------------

// "orb.elm": mean elements of the nine planets, Mercury (record 1) .. Pluto
// (record 9), the third being the Earth-Moon barycentre; each record 48
// bytes = six little-endian doubles in OrbitElements order (mean anomaly at
// the catalogue epoch, argument of perihelion, node, inclination in radians
// referred to the ecliptic and equinox J2000, eccentricity, mean motion in
// radians per day). Read as 9 records of 48 bytes or one of 432 bytes.
namespace orbelm {
inline constexpr std::size_t kRecordLength = 48;
inline constexpr int kPlanets = 9;
inline constexpr std::size_t kFileLength = kRecordLength * kPlanets;  // 432
}  // namespace orbelm

// "moon.xyz": one record of 2736 bytes = 114 terms of three little-endian
// doubles A, B, C (offsets 0, 8, 16 of the term's 24 bytes), term by term.
// Terms 1-46 make the X series, 47-93 Y, 94-114 Z; a coordinate of the
// geocentric Moon (AU, ecliptic and equinox J2000) is sum A cos(B + C T),
// T in Julian millennia from J2000.0 (B in radians, C in radians per
// millennium).
namespace moonxyz_file {
inline constexpr int kTerms = 114;
inline constexpr int kTermsX = 46;
inline constexpr int kTermsY = 47;
inline constexpr int kTermsZ = 21;
inline constexpr std::size_t kTermLength = 24;
inline constexpr std::size_t kOffA = 0, kOffB = 8, kOffC = 16;
inline constexpr std::size_t kRecordLength = kTermLength * kTerms;  // 2736
}  // namespace moonxyz_file

// ---- Masses ---------------------------------------------------------------------

// Inverse masses (solar mass / body mass) used as the two-body mass factor
// 1/value, by BodyCode 1 .. 12 at index code - 1. Index 2 is the Earth alone;
// the Earth-Moon barycentre's value (index 11) moves the third planet's orbit.
inline constexpr std::array<double, 12> kInverseMass{6023600.0,   408523.71, 332946.050894783, 3098708.0,
                                                     1047.3486,   3497.898,  22902.98,         19412.24,
                                                     135200000.0, 1.0,       27068700.3875344, 328900.5614};
inline constexpr double kInverseMassEarth = 332946.050894783;
inline constexpr double kInverseMassMoon = 27068700.3875344;
inline constexpr double kInverseMassEmb = 328900.5614;

// ---- Shared storage ------------------------------------------------------------

// The copy of "orb.elm" with its epoch (the catalogue epoch of PackageInfo).
struct PlanetElements {
    double epoch = 0.0;                                    // Julian date of the elements
    std::array<OrbitElements, orbelm::kPlanets> planet{};  // Mercury .. Pluto
    bool loaded = false;
};

// The copy of "moon.xyz".
struct MoonSeries {
    std::array<double, moonxyz_file::kTerms> a{}, b{}, c{};
    bool loaded = false;
};

// Loads PlanetElements from "orb.elm" of the data directory (DataPaths) with
// the catalogue epoch of PackageInfo, or from the file given with the epoch
// given. On failure the storage is left as it was.
Status load_planet_elements(CoreState& core);
Status load_planet_elements(PlanetElements& planets, const std::string& path, double epoch);
// Loads MoonSeries from "moon.xyz" of the data directory, or from the file
// given. On failure the storage is left as it was.
Status load_moon_series(MoonSeries& series, const DataPaths& paths);
Status load_moon_series(MoonSeries& series, const std::string& path);

// File images, for the package builder and the readers.
std::vector<std::uint8_t> encode_planet_elements(const std::array<OrbitElements, orbelm::kPlanets>& planets);
Result<std::array<OrbitElements, orbelm::kPlanets>> decode_planet_elements(io::Bytes bytes);
std::vector<std::uint8_t> encode_moon_series(const MoonSeries& series);
Result<MoonSeries> decode_moon_series(io::Bytes bytes);

// ---- The theory -------------------------------------------------------------------

// Heliocentric state of the Earth at the Julian date jd from the mean
// elements of the Earth-Moon barycentre referred to the mean ecliptic and
// equinox of date (Simon et al. 1994; inclination and node zero, mass factor
// 1/332946.038), as an unperturbed orbit. The state of date is turned to the
// mean equator of date by the mean obliquity of date (IAU 1976) and precessed
// (IAU 1976) to the mean equator and equinox of J2000, the frame of every
// other state here.
Status eaa(double jd, StateVector& state);

// Geocentric state of the Moon (mean equator and equinox of J2000) from a
// series, with the velocity from the derivative of the series.
StateVector moon_series_state(const MoonSeries& series, double jd);

// Heliocentric state of the Moon: the series of MoonSeries plus the Earth of
// eaa. Fails when MoonSeries is not loaded.
Status moonhel(const MoonSeries& series, double jd, StateVector& state);

// State of body relative to centre (BodyCode 0 .. 12) at the Julian date jd:
//   1 .. 9 (not 3)  two-body motion from PlanetElements with the planet's mass;
//   3 the Earth     eaa;
//   10 the Sun      zero;
//   11 the Moon     moonhel;
//   12 the Earth-Moon barycentre, from the Earth of eaa and the Moon of moonhel
//                   with the masses 1/332946.050894783, 1/27068700.3875344;
//   0 the solar-system barycentre: sum m_k x_k / (1 + sum m_k) over the nine
//                   two-body orbits of PlanetElements (the Earth-Moon
//                   barycentre's orbit and mass for the third).
// Zero when body = centre. Fails for a code outside 0 .. 12 and when the
// storage that the bodies need is not loaded (PlanetElements for 0 .. 9
// but 3, MoonSeries for 11 and 12).
Status fbstate(const PlanetElements& planets, const MoonSeries& moon, BodyCode body, BodyCode centre, double jd,
               StateVector& state);

// State of body relative to centre (BodyCode 0 .. 12) at the Julian date jd
// from "orb.elm" and "moon.xyz" of the data directory (DataPaths), read at
// this call, with the elements' epoch of PackageInfo:
//   1 .. 9   record = code, two-body motion with the planet's mass; the Earth
//            (3) is the third record (the Earth-Moon barycentre's orbit) with
//            the barycentre's mass as body, the Earth's as centre;
//   10       zero;
//   11       the Earth of record 3 plus the geocentric state of moonxyz;
//   12       record 3 with the barycentre's mass;
//   0        the solar-system barycentre of the nine records, as fbstate.
// Zero when body = centre. Fails for a code outside 0 .. 12 and when a file
// cannot be read.
Status rppl(const DataPaths& paths, const PackageInfo& info, BodyCode centre, BodyCode body, double jd,
            StateVector& state);

// Geocentric state of the Moon (mean equator and equinox of J2000) at the
// Julian date jd from the series in the file path (trailing blanks ignored),
// read at this call; the first three values are the position.
Status moonxyz(std::string_view path, double jd, StateVector& geo);

}  // namespace zelvomat
