// Set-up of a track plot: the paths of up to three objects across the sky
// between two dates, drawn by the track view of the main program, which then
// asks for the positions (MoonSun) date by date.
//
// The set-up (inp2, called by the export Track):
//  1. opens the planetary ephemeris file (settings record 3, DataPaths) for
//     the position requests that follow; the reader's request flags are
//     cleared and its centre set to the Sun;
//  2. chooses the frame of the plot (right ascension and declination limits,
//     radians, mean equator and equinox J2000):
//     - the whole sky when more than one object is drawn, when the interval
//       is longer than 1000 days or shorter than 1e-6 day (either sign), when
//       no object is given, and for a body that has no heliocentric orbit of
//       its own to fit (the Earth, the Sun, the Moon, the Earth-Moon
//       barycentre) or a number that names no body;
//     - otherwise the frame fitted to the object's path by tframe
//       (core/tframe.h): the object moves on the two-body orbit of its
//       osculating elements at the first date, JD1 (a minor object: its integrated
//       orbit of ephem2.h, or elmnt beyond the ephemeris file;
//       a planet: its heliocentric state at JD1 from the ephemeris file, or
//       the fallback theory outside the file's span, turned into elements
//       with the planet's mass), and is seen from the geocentre with light
//       time;
//  3. chooses the plotting step from the signed span d = JD2 - JD1: 30 days
//     when d > 200, 10 days when 20 < d <= 200, 1 day otherwise (a negative
//     span included).
//
// Object numbers are those of ephem2.h: catalogue numbers, the negative of a
// BodyCode for a major body, 0 for an empty slot.
#pragma once

#include <array>
#include <cstdint>

#include "core/tframe.h"
#include "io/status.h"

namespace zelvomat {

struct CoreState;

inline constexpr int kTrackObjects = 3;
// Whole-sky limits of the interval, days.
inline constexpr double kTrackLongestFit = 1000.0;
inline constexpr double kTrackShortestFit = 1e-6;

// The library's track storage, kept for the position requests of the view.
struct TrackStorage {
    std::array<std::int32_t, kTrackObjects> objects{};
    double jd1 = 0.0;  // first and last date, Julian dates (TT)
    double jd2 = 0.0;
    TrackFrame frame;         // radians and display forms
    double step_days = 0.0;   // plotting step
    std::int32_t points = 0;  // grid steps of the fitted frame (0 for the whole sky)
    std::int32_t wraps = 0;   // turns added to the right-ascension range
    bool set_up = false;      // a set-up has been completed
};

// Plotting step (days) for the signed span d = JD2 - JD1.
double track_step(double span_days);

// The set-up from the objects and dates of TrackStorage. On failure set_up
// is false and the frame and step are those of the whole sky and 1 day.
Status inp2(CoreState& core);

// The body of the export Track: the objects (three numbers), the two dates
// as packed civil dates YYYYMMDD.ddddd (5 decimals taken), then inp2.
Status track(CoreState& core, const std::array<std::int32_t, kTrackObjects>& objects, double date1, double date2);

}  // namespace zelvomat
