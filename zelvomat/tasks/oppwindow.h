// The window of opposition dates in which the identification (IdCalc,
// idenew.h) and the plate search (PltCalc, pltcalc.h) look for their
// candidates in the yearly opposition files (oppos.h).
//
// A main-belt object stands near the point opposite the Sun around its
// opposition and drifts away from it at a rate that grows with the time from
// opposition; so the angle x, in right ascension, between the observed place
// (or the plate centre) and the anti-solar point predicts how many days w the
// observation lies from the oppositions of the objects that can stand there,
// with a half width h that grows with the field and with w. With x brought
// into [-pi, pi], d = |x| and D = d in degrees:
//   w = D - 5;  4D/3 - 25 when d > pi/3;  4D/4.63 when d < pi/4;
//   w x 1.1 when w > 130;
//   h = (720 / pi) r / 4.63 + 0.15 w   (days; r the field's half size in
//       R.A., radians: 0.01 for one observation, the plate's for a plate);
//   w takes the sign of x (east of the anti-solar point: the oppositions
//   are still to come).
//
// The prediction h fits main-belt objects; it is too narrow for the distant
// ones (centaurs and trans-Neptunian objects, most of the package catalogue),
// which move little against the stars, so that the anti-solar point reaches
// them later (earlier, west of it) than h allows: on the package catalogue,
// with the opposition files in right ascension (oppos.h), h alone missed the
// object of 664 of 3000 random observation lines within 60 degrees of the
// anti-solar point (of the 300 of the identification's test: 56), all but two
// of them distant ones beyond the window's far end by up to 0.63 h, the two
// main-belt ones before its near end by up to 0.41 day; on 6 x 6 degree
// plates within 60 degrees of it (300 random plates), 752 of 7252 objects,
// all distant ones, up to 0.59 h beyond. The half width searched is
// therefore H = 2 h: [jd + w - H, jd + w + H], which found every one of them.
// (With the files in ecliptic longitude the widening had to be 2 h + 5 days
// and still missed objects far from the ecliptic.)
//
// The window may begin before the first package year, or in a year whose
// last opposition lies before it, and reach into the next year: the search
// goes through every package year that the window reaches
// (for_each_window_year).
#pragma once

#include <algorithm>
#include <cmath>

#include "io/status.h"
#include "tasks/oppos.h"

namespace zelvomat {

inline constexpr double kWindowWidening = 2.0;

struct OppositionWindow {
    double shift = 0.0;   // w, days
    double half = 0.0;    // h, days (the prediction)
    double search = 0.0;  // H = 2 h, days (the half width searched)
    double first = 0.0;   // jd + w - H
    double last = 0.0;    // jd + w + H
};

// The window of the place of right ascension ra (radians) observed at the
// Julian date jd (UT), anti_sun being the right ascension of the point
// opposite the Sun (radians) and half_ra the half size r of the field in
// right ascension (radians), as above.
OppositionWindow opposition_window(double ra, double anti_sun, double half_ra, double jd);

// Right ascension of the point opposite the Sun, radians in [0, 2 pi), from
// the equatorial x and y of the geocentric Sun (any unit).
double anti_solar_ra(double sun_x, double sun_y);

// Calls scan(year, from, past) for the package years first_year ..
// last_year that the window reaches, in order: from is the later of the
// window's first date and 1 January 0h of the year; scan reads the year's
// oppositions from `from` on and sets past when it met one later than the
// window's last date, which ends the walk. A failure of scan ends it too.
// A window whose dates are not finite reaches no year.
template <class Scan>
Status for_each_window_year(const OppositionWindow& win, int first_year, int last_year, Scan&& scan) {
    if (!std::isfinite(win.first) || !std::isfinite(win.last)) return ok_status();
    const int to = std::min(year_of_jd(win.last), last_year);
    for (int year = std::max(year_of_jd(win.first), first_year); year <= to; ++year) {
        bool past = false;
        ZEL_TRY(scan(year, std::max(win.first, new_year_jd(year)), past));
        if (past) break;
    }
    return ok_status();
}

}  // namespace zelvomat
