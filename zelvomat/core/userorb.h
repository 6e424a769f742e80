// Typed orbits to the work file of the drivers.
//
// userorb turns a text of orbits typed by the user (the single orbit of the
// orbit input dialog, or a user's list of orbits) into a direct-access work
// file of UserOrbitRecord records: "rabb.da1" for the ephemeris task, "rab1.da2"
// for the O-C task. The drivers read records 1 .. count.
//
// The text. Lines are read as their first 256 characters; blank lines are
// skipped. An orbit starts on a new line; its fields are separated by one or
// more blanks and may run on over the following lines; the rest of the line
// after its last field is ignored. The caller gives the fields' order as a
// list of field numbers, one per column:
//
//   field  elements form                    coordinates form
//    1     name (first 18 characters kept)  name
//    2     H, absolute magnitude            H
//    3     G, slope parameter               G
//    4     epoch                            epoch
//    5     M, mean anomaly (deg)            x (AU)
//    6     T, time of perihelion passage    y (AU)
//    7     argument of perihelion (deg)     z (AU)
//    8     longitude of the node (deg)      x velocity (AU/day)
//    9     inclination (deg)                y velocity (AU/day)
//   10     eccentricity                     z velocity (AU/day)
//   11     n, mean motion (deg/day)         -
//   12     a, semi-major axis (AU)          -
//   13     q, perihelion distance (AU)      -
//
// Elements are referred to the ecliptic and equinox J2000.0, coordinates to
// the equator and equinox J2000.0, both heliocentric. Every field is checked
// by check_orbit_field (contrelm.h) with kind 15 + its field number; a field
// is at most 50 characters (a longer one is a format error).
//
// Elements to a state: a typed q gives n = k / (q / (1 - e))^1.5, a typed a
// gives n = k / a^1.5 and takes precedence (k = 0.01720209895, zero mass); a
// non-zero T gives M = (epoch - T) n. The equatorial state at the epoch then
// follows from two-body motion (twobody.h, obliquity 0.4090928042223 rad).
// A coordinate state is refused unless 2/r - v^2/k^2 > 0 (a bound orbit).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/contrelm.h"
#include "core/twobody.h"
#include "io/recfile.h"
#include "io/status.h"

namespace zelvomat {

// Status of a converted orbit.
enum class UserOrbitStatus : std::int32_t {
    Good = 0,
    Format = 1,       // a field failed its check: format error
    OutOfRange = 2,   // a field failed its check: value out of range
    Truncated = 3,    // the text ended inside an orbit
    NotElliptic = 4,  // no bound elliptic state: a coordinate state with
                      // 2/r - v^2/k^2 not above 0, or elements whose state is
                      // not a finite number (an a too large, a zero n)
};

// The 98-byte record of the work files (little-endian, packed; record n at
// byte (n - 1) x 98, no header record).
//
//   offset width       content
//     0    int32       number of the faulty field; 0 for a good orbit and for
//                      status 4
//     4    int32       status (UserOrbitStatus)
//     8    18 chars    name, blank-padded; blanks in error records
//    26    double      H (magnitudes)
//    34    double      G
//    42    double      epoch, Julian date
//    50    6 doubles   x, y, z (AU), dx/dt, dy/dt, dz/dt (AU/day),
//                      heliocentric, equator and equinox J2000.0, at the epoch
//
// An error record holds the field number, the status, 18 blanks and nine
// zero doubles.
struct UserOrbitRecord {
    static constexpr std::size_t kLength = 98;
    static constexpr std::size_t kFieldOffset = 0;
    static constexpr std::size_t kStatusOffset = 4;
    static constexpr std::size_t kNameOffset = 8;
    static constexpr std::size_t kNameWidth = 18;
    static constexpr std::size_t kHOffset = 26;
    static constexpr std::size_t kGOffset = 34;
    static constexpr std::size_t kEpochOffset = 42;
    static constexpr std::size_t kStateOffset = 50;  // six doubles

    std::int32_t field = 0;
    UserOrbitStatus status = UserOrbitStatus::Good;
    std::string name = std::string(kNameWidth, ' ');
    double h = 0.0;
    double g = 0.0;
    double epoch_jd = 0.0;
    StateVector state{};

    bool good() const { return status == UserOrbitStatus::Good; }
    static UserOrbitRecord error(std::int32_t field, UserOrbitStatus status);

    std::array<std::uint8_t, kLength> to_bytes() const;
    // Fails when fewer than kLength bytes are given.
    static Result<UserOrbitRecord> from_bytes(std::span<const std::uint8_t> bytes);
};

// Record n (1-based) of an open work file.
Result<UserOrbitRecord> read_user_orbit(const io::RecordFile& file, std::int64_t n);

struct UserOrbitCount {
    std::int32_t records = 0;  // records written, 1 .. (never 0)
    bool error = false;        // an error record was written (it is the last)
};

// Converts the text file text_path into the work file work_path, records 1 ..
// count; records of an earlier run beyond count are left as they are.
// form: Elements, anything else is read as coordinates. fields: the field
// numbers (1-13) in the order of the columns.
//
// Faults of the text end in records, never in a failed call: a field that
// fails its check stops the conversion with an error record (its field
// number and status 1 or 2; earlier orbits stay good records); an orbit cut
// off by the end of the text gives status 3 with the number of fields read;
// an orbit without a bound state gives status 4 (field 0); a missing or
// empty text, or one without any orbit, gives the single record 1 with
// field 4 and status 1. The call fails (nothing converted) only when the
// field list is empty or holds a number outside 1-13, or when the work file
// cannot be opened or written.
Result<UserOrbitCount> userorb(const std::string& text_path, const std::string& work_path, OrbitForm form,
                               std::span<const std::int32_t> fields);

}  // namespace zelvomat
