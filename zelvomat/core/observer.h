// The observer of the current task or observation line.
//
// One shared area: the parser of observation lines writes it for the
// observatory of each line, the ephemeris driver writes it for the task's own
// observer, and the position routines read it (obsvec, obsvec_j2000 in
// core/apparent.h).
#pragma once

#include "core/constants.h"

namespace zelvomat {

// Earth's equatorial radius (km) and the factor that turns parallax
// constants given in Earth radii into the stored form: minus the equatorial
// radius in AU. Stored so, the constants give the vector from the observer
// to the geocentre in AU (obsvec).
inline constexpr double kEarthRadiusKm = kEarthEquatorialRadiusKm;
inline constexpr double kParallaxScale = -(kEarthEquatorialRadiusKm / kKmPerAu);

struct ObserverSite {
    // Geographic longitude, east positive, radians (added to the sidereal
    // time).
    double longitude = 0.0;
    // Geodetic latitude, radians. The observation parser computes it for the
    // O-C task only and leaves 0 otherwise.
    double latitude = 0.0;
    // Parallax constants rho cos phi' and rho sin phi' multiplied by
    // kParallaxScale (so AU, pointing from the observer to the geocentre).
    // Exception kept by the parser: for the codes 500, 248 and 244 the values
    // stay as listed (longitude in degrees, constants in Earth radii); the
    // list gives those codes zero constants, so the observer vector is zero
    // all the same.
    double rho_cos_phi = 0.0;
    double rho_sin_phi = 0.0;
};

// The library's one copy (reset by assigning {}).

}  // namespace zelvomat
