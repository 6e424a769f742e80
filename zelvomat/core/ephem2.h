// Geocentric direction of one body, named by its number, at a Julian date:
// the Sun, the Moon and the planets from the planetary ephemeris file (or the
// fallback theory outside its span), the catalogue's minor planets from their
// osculating elements. Used by the track view of the main program (export
// MoonSun) and the orbit views.
//
// Body numbers:
//   n >= 1        catalogue object n (minor planet, or comet in the comets
//                 edition);
//   -1 .. -12     major body -n by BodyCode (-10 the Sun, -11 the Moon,
//                 -12 the Earth-Moon barycentre);
//   0, below -12  no body: the result stays zero.
//
// Result (five doubles, index 0 .. 4):
//   0  right ascension, radians in [0, 2 pi)
//   1  declination, radians
//   2  rate of the right ascension, radians per day
//   3  rate of the declination, radians per day
//   4  minor object: apparent magnitude (magn, H and G of the catalogue);
//      the Moon: elongation from the Sun in [0, 2 pi): the elongation
//      (0 .. pi) east of the Sun, 2 pi minus it west of the Sun;
//      other bodies: 0.
//
// Kind and frame: astrometric geocentric direction referred to the mean
// equator and equinox J2000 (the frame of the ephemeris file): the light time
// is iterated (the object taken back along its heliocentric velocity, the
// Earth at the date), no aberration, no precession to the date. Rates are the
// geometric ones. Dates are Julian dates, TDB (TT for the elements).
//
// Method:
//  1. The object's heliocentric state: a major body from the ephemeris file
//     (reade403, centre the Sun) inside the file's span, from the fallback
//     theory (rppl) outside it; a minor object integrated from its
//     catalogue elements at the catalogue epoch with the perturbations of
//     the planets (see "Integrated orbits" below) wherever the ephemeris
//     file covers the way from the catalogue epoch to the date, in the
//     package years too (the yearly sets by two-body motion, taken up to
//     half a year from their epochs, are off by several arcseconds there);
//     beyond the file by two-body motion from the osculating elements of
//     the yearly files at the date (elmnt), or from the catalogue elements
//     outside their span.
//  2. The Sun relative to the Earth, by the same choice of source.
//  3. lightt with a zero observer vector (geocentric), the rates on.
//  4. elongph for the phase angle and the elongation; magn for a minor
//     object's magnitude.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/catalog.h"
#include "core/destate.h"
#include "core/force.h"
#include "core/twobody.h"
#include "io/status.h"

namespace zelvomat {

struct CoreState;

// True when jd lies in the span of the planetary ephemeris file (DeState).
bool in_ephemeris_span(const DeState& de, double jd);

// State (position and velocity, AU and AU/day, J2000 equator) of the major
// body relative to centre (BodyCodes 0 .. 12) at the Julian date jd (TDB):
// inside the file's span from the ephemeris reader (reade403, the body's
// request flag 2 for this call only, the whole day of jd and its fraction in
// seconds; the reader's centre is left at centre), outside it from the
// fallback theory (rppl).
Status major_state(CoreState& core, BodyCode body, BodyCode centre, double jd, StateVector& state);

// Five doubles, see above.
using BodyDirection = std::array<double, 5>;

// Kind of the elements behind a result: 1 a major body, or a minor object's
// elements accepted as close to the date (elmnt); 0 a minor object's yearly
// elements taken although not close to the date; 2 a minor object integrated
// from the catalogue epoch; -1 a minor object's catalogue elements by
// two-body motion (the date outside the yearly files' span, or no yearly
// set); 0 also when no body was computed. 1, 0 and -1 of a minor object only
// where the ephemeris file does not cover the integration.
inline constexpr std::int16_t kEphem2MajorBody = 1;
inline constexpr std::int16_t kEphem2Integrated = 2;
inline constexpr std::int16_t kEphem2Catalogue = -1;

// ---- Integrated orbits ---------------------------------------------------------
//
// Model: that of the ephemeris' "Integration" with every perturber on
// (force2, or force2c with the nongravitational parameters of "ngr.eff" for
// the numbered comets of the comets edition): the Sun with its relativistic
// term, the nine planets with the Earth and the Moon apart, Ceres, Pallas and
// Vesta (settings records 11-13) integrated alongside; the Gauss-Radau
// integrator with the settings of force.h (kIntegrationOrder ..). The object
// starts from its catalogue elements carried to the catalogue epoch
// (PackageInfo), the perturbing minor planets from theirs.
//
// Checkpoints: the integration is carried outward from the catalogue epoch
// in legs of kEphem2CheckpointDays, on each side as far as the dates asked
// so far, and the state at the end of each leg is kept. A date is then
// reached from the checkpoint nearest to it (at most half a leg away, inside
// the ephemeris file), so a track costs one integration out to its dates and
// a short one per point, and the direction at a date does not depend on the
// order in which dates are asked.
//
// Range: the date and the catalogue epoch in the span of the ephemeris file
// (settings record 6), where the force model has the planets.
inline constexpr double kEphem2CheckpointDays = 16.0;
// Objects whose checkpoints are kept at once (the track's three and one more);
// the one used least recently gives way.
inline constexpr int kEphem2Orbits = 4;
// Integrated bodies: the object, then Ceres, Pallas and Vesta.
inline constexpr int kEphem2Bodies = 1 + kMaxMinorPerturbers;

struct Ephem2Checkpoint {
    std::array<double, 3 * kEphem2Bodies> x{};  // positions, body by body (AU)
    std::array<double, 3 * kEphem2Bodies> v{};  // velocities (AU/day)
    double next_size = 0.0;                     // the sequence size the integrator proposed here (days)
};

// The checkpoints of one object.
struct Ephem2Orbit {
    std::int32_t number = 0;  // catalogue number; 0 a free slot
    ElementSet elements{};    // the catalogue set the integration started from
    NongravParams nongrav;    // a comet's parameters
    // Checkpoint k of either side at catalogue epoch +- k kEphem2CheckpointDays;
    // both start with the state at the epoch.
    std::vector<Ephem2Checkpoint> forward, backward;
    std::uint64_t last_use = 0;
};

// The working state of the integrated orbits (part of CoreState). Dropped
// when the package settings are loaded again (in_par) and checked at each
// use against the file it was integrated with.
struct Ephem2Integration {
    bool loaded = false;                                          // the fields below are set
    std::array<OrbitElements, kMaxMinorPerturbers> perturbers{};  // records 11-13
    double epoch = 0.0;                                           // catalogue epoch (JD, TT)
    std::string ephemeris_path;                                   // the file and span integrated with
    double first_jd = 0.0, last_jd = 0.0;
    std::array<Ephem2Orbit, kEphem2Orbits> orbits{};
    std::uint64_t uses = 0;
};

// True when an integration of catalogue elements reaches jd: jd and the
// catalogue epoch in the span of the ephemeris file.
bool ephem2_integrable(const CoreState& core, double jd);

// Heliocentric state (AU, AU/day, equator J2000) at jd (TDB) of catalogue
// object `number` (1 .. the catalogue's count) whose catalogue set is `set`,
// by the integration above. Requires ephem2_integrable(core, jd). Fails when
// "setpar" (records 11-13) or a file of the force model cannot be read, or
// the integration fails; the checkpoints already made are kept.
Status ephem2_integrated_state(CoreState& core, std::int32_t number, const ElementSet& set, double jd,
                               StateVector& state);

// Heliocentric state of catalogue object `number` at jd as step 1 above
// takes it, with the kind of its elements (kEphem2...: 2, or 1, 0, -1 beyond
// the ephemeris file).
Status ephem2_minor_state(CoreState& core, std::int32_t number, double jd, StateVector& state, std::int16_t& kind);

// Notes:
//  1. out and status are set to zero at entry; on failure they stay zero.
//  2. The Earth (-3) is the observer itself and has no direction: the result
//     is zero with status 0, as for the numbers that name no body.
//  3. The request flags of the ephemeris reader (DeState) are cleared at
//     entry and are clear again on return.
//  4. A number beyond the catalogue, an object absent from it, or a file that
//     cannot be read is an error.
Status ephem2(CoreState& core, std::int32_t number, double jd, BodyDirection& out, std::int16_t& status);

}  // namespace zelvomat
