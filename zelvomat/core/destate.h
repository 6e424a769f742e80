// Shared state of the planetary ephemeris file (JPL DE403/DE405 binary layout)
// and of its two readers.
//
// States are 9 doubles: position x, y, z (AU), velocity (AU/day) and
// acceleration (AU/day^2) of a target relative to a centre, in the file's
// frame (mean equator and equinox of J2000), time argument TDB.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "core/ephfile.h"

namespace zelvomat {

// The library's numbering of the bodies of the planetary ephemeris.
enum class BodyCode : std::int32_t {
    Barycentre = 0,  // solar-system barycentre
    Mercury = 1,
    Venus = 2,
    Earth = 3,
    Mars = 4,
    Jupiter = 5,
    Saturn = 6,
    Uranus = 7,
    Neptune = 8,
    Pluto = 9,
    Sun = 10,
    Moon = 11,
    EarthMoonBarycentre = 12,
};
inline constexpr int kBodyCodes = 12;  // BodyCode 1 .. 12 carry request flags

// What a request flag asks for.
enum class StateLevel : std::int32_t {
    None = 0,
    Position = 1,
    Velocity = 2,      // position and velocity
    Acceleration = 3,  // position, velocity and acceleration
};

using State9 = std::array<double, 9>;
// Request flags of BodyCode 1 .. 12, at index code - 1.
using BodyFlags = std::array<StateLevel, kBodyCodes>;

struct DeState {
    double first_jd = 0.0;  // span of the file, from settings record 6
    double last_jd = 0.0;
    // Number of the data record held by the reade403 copy; 0 none.
    std::int32_t record_held = 0;
    // The same for the read403b copy (the force models).
    std::int32_t record_held_force = 0;
    // Request of read403b: centre and flags.
    BodyCode force_centre = BodyCode::Barycentre;
    BodyFlags force_flags{};
    // Last state delivered by reade403.
    State9 result{};
    // Request of reade403: centre and flags.
    BodyCode centre = BodyCode::Barycentre;
    BodyFlags flags{};
    // The open file (none until opened; the readers open the file named by
    // settings record 3 when they need a record and none is open).
    std::shared_ptr<const EphemerisFile> file;

    // Both readers read their record again at their next call. Whoever lets
    // one reader run after the other, or changes the file or its span, calls
    // this.
    void forget_records() {
        record_held = 0;
        record_held_force = 0;
    }
};

// Own storage of one reader copy.
struct DeCopy {
    std::shared_ptr<const EphemerisFile> file;            // the file the record below was read from
    std::int32_t loaded = 0;                              // its number; 0 none
    std::shared_ptr<const EphemerisFile::Record> record;  // its 1018 words
    State9 sun{};                                         // the Sun's barycentric state
    bool barycentric = false;                             // recstate leaves planets barycentric
    // Last states computed by recstate, file bodies 1 .. 10 at index body - 1.
    std::array<State9, 10> states{};
    // The states read403b delivered last (BodyCode 1 .. 12 at index code - 1),
    // for the date, centre and flags below: a call at the same date with the
    // same request, the record still held, copies them instead of reading the
    // record again (the integrator asks several times for each of its dates).
    // Valid only while the reader holds its record.
    bool date_valid = false;
    double date_jd = 0.0;
    BodyCode date_centre = BodyCode::Barycentre;
    BodyFlags date_flags{};
    std::array<State9, kBodyCodes> date_states{};
    // The rows and the level read403b reads for the centre and flags below,
    // worked out once for a request (the same at every date of an
    // integration).
    bool rows_valid = false;
    BodyCode rows_centre = BodyCode::Barycentre;
    BodyFlags rows_flags{};
    std::array<StateLevel, 12> rows_need{};
    int rows_level = 0;
    bool rows_read = false;
};
struct DeCopies {
    DeCopy position;  // used by reade403
    DeCopy force;     // used by read403b
};

// States of BodyCode 1 .. 12 (index code - 1) filled by read403b for the force
// models.
struct BodyTable {
    std::array<State9, kBodyCodes> state{};
};

}  // namespace zelvomat
