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
//     theory (rppl) outside it; a minor object by two-body motion from the
//     osculating elements of the yearly files at the date (elmnt), or from
//     the catalogue elements outside their span.
//  2. The Sun relative to the Earth, by the same choice of source.
//  3. lightt with a zero observer vector (geocentric), the rates on.
//  4. elongph for the phase angle and the elongation; magn for a minor
//     object's magnitude.
#pragma once

#include <array>
#include <cstdint>

#include "core/destate.h"
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
// elements taken although not close to the date; -1 a minor object's
// catalogue elements (date outside the yearly files' span, or no yearly set);
// 0 also when no body was computed.
inline constexpr std::int16_t kEphem2MajorBody = 1;
inline constexpr std::int16_t kEphem2Catalogue = -1;

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
