// Reader of the planetary ephemeris file (JPL DE403/DE405 binary layout, see
// ephfile.h): positions, velocities and accelerations of the Sun, the Moon and
// the planets from the file's Chebyshev coefficients.
//
// Two entry routines, each with its own copy of the inner routines' storage
// (record, Sun state, last states; DeCopies in destate.h):
//   reade403  one body, for the position routine and the tasks;
//   read403b  every requested body, for the force models of the integrator.
// Only DeState is shared. Each copy has its own record number; whoever lets
// one copy run after the other calls DeState::forget_records().
//
// Units: AU (of the file's header; 149597870.691 km in DE403/DE405), AU/day, AU/day^2; frame of the file (mean
// equator and equinox J2000); time argument Julian date TDB. Dates are served
// from the first to the last date of the file as settings record 6 states
// them (DeState::first_jd, last_jd); a date outside is an error, as is a
// record missing from the file or one whose dates do not agree with that span.
//
// File body numbering (the "file numbers" below): 1 Mercury .. 9 Pluto,
// 10 Moon (geocentric in the file), 11 Sun, 12 solar-system barycentre,
// 13 Earth-Moon barycentre; 3 is the Earth, derived from the Earth-Moon
// barycentre and the geocentric Moon with the Earth-Moon mass ratio.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <utility>

#include "core/constants.h"
#include "core/destate.h"
#include "io/status.h"

namespace zelvomat {

struct DataPaths;

// Constants of JPL's DE403/DE405 files; the reader uses those of the file's
// header (EphemerisHeader in ephfile.h).
inline constexpr double kDeKmPerAu = kKmPerAu;
inline constexpr double kDeEarthMoonMassRatio = kEarthMoonMassRatio;

// Selects the copy of the inner routines' storage.
enum class DeReader { Position, Force };

// File body number of a BodyCode (0 -> 12, 10 -> 11, 11 -> 10, 12 -> 13).
int de_file_body(BodyCode b);

// The reader's parts: DeState (the file, its span, the requests, the record
// numbers held), DeCopies (each reader's record and states), BodyTable (the
// answer of read403b) and DataPaths (where the file is, when a reader must
// open it).

// Opens the planetary ephemeris file (the path of settings record 3 in
// paths, found whatever the case of its name; or the path given) and makes
// both readers read their record afresh. A file already open is closed
// first.
Status de_open(DeState& de, DeCopies& copies, const DataPaths& paths);
Status de_open(DeState& de, DeCopies& copies, const std::string& path);
// Closes the file; both readers read their record afresh.
void de_close(DeState& de, DeCopies& copies);

// The state of the first flagged body of DeState::flags (BodyCode order
// 1 .. 12) relative to DeState::centre at the date jd + seconds / 86400,
// copied into DeState::result as far as its flag asks (1: position, 2: and
// velocity, 3: and acceleration; other components keep their values). When
// the reader holds no record at entry, the result is cleared first.
Status reade403(DeState& de, DeCopies& copies, const DataPaths& paths, double jd, double seconds);

// The state of every body flagged in DeState::force_flags relative to
// DeState::force_centre at the Julian date t, each into its column of
// table as far as its flag asks. When the reader holds no record at entry,
// the whole table is cleared first.
Status read403b(DeState& de, DeCopies& copies, BodyTable& table, const DataPaths& paths, double t);

// State (9 doubles) of file body target relative to file body centre
// (1 .. 13) at the Julian date t, with the storage of the given copy.
// target = centre gives zeros without reading the file. t = 0 reads nothing
// and builds the state from the states the copy's last recstate left.
Status bodystate(DeState& de, DeCopies& copies, const DataPaths& paths, DeReader copy, double t, int target, int centre,
                 State9& state);

// States of the file bodies 1 .. 10 flagged in need (index body - 1; only
// 1 .. 10 are looked at) at the Julian date t into states (index body - 1),
// and the Sun's barycentric state into the copy. Planets are barycentric when
// the copy's barycentric switch is on and heliocentric otherwise; the Moon
// (10) is geocentric. t = 0 computes nothing.
Status recstate(DeState& de, DeCopies& copies, const DataPaths& paths, DeReader copy, double t,
                const std::array<StateLevel, 12>& need, std::span<State9, 10> states);

// Chebyshev evaluation of one body's block of a record.
//   block: the record's words from the body's first word;
//   t_frac: fraction of the record (0 .. 1); span_days: record length (32);
//   n: coefficients per component; components: 3; subintervals: of the record;
//   level: 1 position, 2 and velocity, 3 and acceleration;
//   out: components x level values, position components first, then the
//        velocity components (per day), then the acceleration (per day^2);
//        units of the coefficients.
// At t_frac = 1 the last sub-interval is used at its end.
void chebint(std::span<const double> block, double t_frac, double span_days, int n, int components, int subintervals,
             int level, std::span<double> out);

// Whole part (toward minus infinity) and fraction in [0, 1) of x.
std::pair<double, double> splitjd(double x);

}  // namespace zelvomat
