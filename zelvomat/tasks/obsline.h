// Parsing of one 80-column observation or plate line into the library's
// shared storage: the observation itself (ParsedObservation) and the observer
// of the line's observatory (ObserverSite, core/observer.h).
//
// The line (columns counted from 1) is the Minor Planet Center's 80-column
// record as the observation windows keep it:
//   16-19 year, 20-22 month, 23-25 day, 26-31 fraction of the day (".ddddd";
//         a sixth decimal in column 32 is not read), UT, Gregorian calendar;
//   33-55 first and second angle in one of four layouts (below);
//   45    sign of the second angle ("-" south; anything else north);
//   59-63 plate lines: half size in right ascension, minutes of time, ddd.d;
//   67-70 plate lines: half size in declination, degrees, dd.d;
//   66-69 observation lines: magnitude, dd.d;
//   70-71 observation lines: band (see the band flag below);
//   78-80 observatory code.
// Numbers are fixed-column fields (io::read_real / io::read_int): blanks are
// skipped, an all-blank field reads 0, a field without a point takes its last
// d digits as the decimals. The seconds and decimal-minutes fields of the
// angles (read_angle_part) differ in one case: written without a point, with
// their digits at the left and blanks after them ("12 34 56" followed by
// blanks, as published lines of lower precision give them), they hold whole
// seconds (or minutes).
//
// Angle layouts. System 1: the first angle is a right ascension in hours;
// any other system: it is given in degrees (ecliptic longitude, azimuth).
//   system 1, points in columns 38 and 51 (decimal minutes):
//     hours 33-34, minutes 35-40 (2 decimals); degrees 46-47, minutes 48-52 (1)
//   system 1, otherwise (seconds):
//     hours 33-34, minutes 35-37, seconds 38-43 (2); degrees 46-47,
//     arc minutes 48-50, arc seconds 51-55 (1)
//   other systems, points in columns 39 and 51 (decimal minutes):
//     degrees 33-35, minutes 36-40 (1); degrees 46-47, minutes 48-52 (1)
//   other systems, otherwise (seconds):
//     degrees 33-35, arc minutes 36-38, arc seconds 39-43 (1); second angle
//     as in system 1
// Both points are needed for the decimal-minutes layouts; one alone selects
// the seconds layout (the line check refuses the mixed lines it can see).
#pragma once

#include <cstdint>
#include <string_view>

#include "core/observer.h"
#include "io/recfile.h"
#include "io/status.h"
#include "tasks/obsfiles.h"

namespace zelvomat {

struct LibraryState;

// The tasks whose lines are parsed.
inline constexpr int kTaskPlate = 1;           // plate search
inline constexpr int kTaskIdentification = 2;  // identification
inline constexpr int kTaskOc = 3;              // O-C

// The last observation or plate line parsed (one area; the drivers and the
// position routines read it).
struct ParsedObservation {
    std::int32_t jd = 0;              // Julian day number of the observation time (UT)
    double jd_fraction = 0.0;         // fraction of that Julian date (from noon)
    double angle1_rad = 0.0;          // right ascension, ecliptic longitude or azimuth
    double angle2_rad = 0.0;          // declination, ecliptic latitude or altitude
    double magnitude = 0.0;           // 0 when the field is blank (tasks 2 and 3 only)
    char band_flag = ' ';             // ' ' V band or no band named, '*' another band (tasks 2, 3)
    std::int32_t observatory = -1;    // number of the observatory code
    double plate_half_ra_min = 0.0;   // plate half size in R.A., minutes of time (task 1 only)
    double plate_half_dec_deg = 0.0;  // plate half size in Decl., degrees (task 1 only)
};

// The observatory whose converted record ObserverSite holds (one area). A
// driver resets it (assigning {}) before its first line, so that the first
// line of a run always reads its observatory. The record is also read again
// when the record list has been rewritten since (stamp) or when a task with
// another latitude rule asks (the latitude is computed for the O-C task only),
// and a hit restores the site kept here, whatever has written ObserverSite in
// between (the ephemeris driver stores its own observer there).
struct CachedObservatory {
    std::int32_t number = -1;  // -1: none held
    bool with_latitude = false;
    ObservatoryListStamp stamp;
    ObserverSite site;
};

// Band flag of the two band characters of columns 70 and 71: when column 70
// is blank the band is column 71, else column 70 (a digit in column 70 is the
// hundredths of a magnitude written "dd.dd", and the band is then column 71).
// The flag is ' ' for the V band ("V" or "v") or no band, '*' for any other.
char band_flag(char c70, char c71);

// The seconds (or decimal minutes) field of an angle with d implied
// decimals: io::read_real, except that a field without a point whose last
// column is blank while a digit stands before it reads as whole units.
Result<double> read_angle_part(std::string_view field, int decimals);

// Parses one line (the first 80 characters of line; a shorter text counts as
// blank-padded) of the given task (kTaskPlate, kTaskIdentification, kTaskOc)
// and system (1: the first angle in hours; other: in degrees) into
// st.parsed_observation and st.core.observer_site (the observatory held in
// st.cached_observatory). observatories is the record list "observat.dat"
// opened by the caller (78-byte records).
//
// ParsedObservation: the date, the angles (radians) and the observatory
// number always; the magnitude and band flag for tasks 2 and 3; the plate
// half sizes for task 1 (a zero R.A. size becomes 4 x the Decl. size, then a
// zero Decl. size becomes the R.A. size / 4). Other fields keep their values.
//
// ObserverSite, read from record number + 1 when the observatory is not the
// one cached: the longitude (radians, east) and the parallax constants
// multiplied by kParallaxScale (AU); the geodetic latitude (radians, GRS 80,
// through GEODESY) for the O-C task only, 0 otherwise. For the codes 500
// (geocentre), 248 and 244 the listed values are kept as they stand (degrees,
// Earth radii; the list gives them zeros) and the latitude is 0.
//
// Errors (nothing is changed then, neither the shared storage nor the
// cache): a field that does not read as a number; a value out of the range of
// its field (a fraction of the day outside 0-1, a first angle outside one
// turn, a second angle beyond 90 degrees, a plate size above the line check's
// limits of 300 minutes and 75 degrees, a magnitude of 100 or more); an
// observatory code that does not read, is blank, has no record in the list,
// whose record carries another number or values that are not numbers;
// parallax constants that place the site near the Earth's centre (no
// geodetic latitude), for the O-C task.
Status contr_s1(LibraryState& st, const io::RecordFile& observatories, std::string_view line, int task, int system);

}  // namespace zelvomat
