// Restrictions of an ephemeris task: which quantities a coordinate set offers
// and how their bounds are typed (restr), the check of one typed bound
// (contr_vv), and the restriction list in internal units that the ephemeris
// driver tests every computed date against (Formcond, Prcon).
//
// Restriction types 1-14, the form of one quantity's bound. Each has a mask of
// ten characters (blank-padded; '5' sign, '2' digit or blank, '3' the point,
// see checks.h); the width of the bound field is the mask's length up to its
// last mask character.
//
//  type mask        width  bound typed as                 decimals
//    1  5223222222   10    +xx.xxxxxx  distance, AU           6
//    2  5232222222   10    +x.xxxxxxx  rate, AU/day           7
//    3  223222        6    xx.xxx      speed, km/s            3
//    4  222222322     9    hhmmss.ss   time angle             2
//    5  522222232     9    +ddmmss.s   angle                  1
//    6  5222222322   10    +hhmmss.ss  time angle per day     2
//    7  522222232     9    +ddmmss.s   angle per day          1
//    8  22232         5    ddd.d       angle, degrees         1
//    9  2232          4    xx.x        magnitude              1
//   10  222222232     9    dddmmss.s   angle                  1
//   11  522232        6    +ddd.d      signed angle, degrees  1
//   12  223222222     9    xx.xxxxxx   distance, AU           6
//   13  (blank)       0    none
//   14  (blank)       0    no quantity
//
// Quantities are numbered 1-10 as the computed values are (core/ephvalues.h);
// restriction blocks of the task record are 1 rectangular, 2 equator,
// 3 ecliptic, 4 horizon (tasks/ephrecord.h).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "core/ephvalues.h"
#include "io/status.h"
#include "tasks/checks.h"
#include "tasks/ephrecord.h"

namespace zelvomat {

inline constexpr int kRestrictionTypes = 14;
inline constexpr double kOpenLow = -1e64;  // a blank lower bound
inline constexpr double kOpenHigh = 1e64;  // a blank upper bound

// The ten-character mask of a restriction type; empty for a type outside 1-14.
std::string_view restriction_mask(int type);
// The width of its bound field (0 for types 13, 14 and invalid types).
int restriction_width(int type);

// What a coordinate set offers: the type and field width of each quantity
// (index quantity - 1) and the mode 0 no restriction possible, 1 rectangular,
// 2 equator, 3 ecliptic, 4 horizon (the same numbers as the record's blocks).
struct RestrictionLayout {
    std::array<int, 10> types{};
    std::array<int, 10> widths{};
    int mode = 0;
};

// coord "SPH"/"REC", plane "EQT"/"ECL"/"HRZ", output "EMP"/"POS"/"PSV".
// Rectangular coordinates with "EMP" offer nothing (mode 0); rectangular ones
// otherwise ignore the plane.
RestrictionLayout restr(std::string_view coord, std::string_view plane, std::string_view output);

// Checks one typed bound of the given type in the caller's buffer.
//  - A blank text is no bound: error 0, text and value untouched.
//  - Otherwise, within the type's width, a blank under '5' becomes '+', under
//    '3' a point, elsewhere '0'; the result must fit the mask (error 1); it is
//    read as a fixed field of the type's decimals into value, in the form
//    typed (123000.5 for 12 h 30 m 0.5 s), and range-tested (error 2): hours
//    above 24, degrees above 360 (type 10), minutes or seconds above 60 (60
//    itself passes), more than 90 degrees for types 5 and 7, above 180 degrees
//    for type 8, beyond +-180 degrees for type 11.
//  - The normalised text is written back (no further than the buffer) only
//    when the error is 0; on any failure the buffer is left as it was. value
//    is set as soon as the text could be read, so an error 2 leaves the
//    number that was refused.
//  - A buffer shorter than the width counts as blank-padded; characters past
//    the width are neither tested nor changed. A type outside 1-14 is a
//    format error.
checks::CheckError contr_vv(int type, std::span<char> text, double& value);

// The active restriction block of a task record, bounds as numbers in the
// form typed (not yet converted), as the ephemeris driver reads it.
struct RestrictionBlock {
    int block = 0;                   // 1-4
    std::array<int, 10> switches{};  // by quantity - 1: 1 off, 2 on, other values end the list
    QuantityValues lower, upper;     // kOpenLow / kOpenHigh where blank
    bool reject_solitary = false;    // leave out headings of objects without lines
};

// Reads the block of the record's restriction mode digit (mode modulo 4, 0
// read as 4). A digit below 5 means no restrictions: every switch 1. A switch
// of 1 makes both bounds open; other bounds are read as free numbers. Fails
// on a restriction mode that is not a digit or a bound that is not a number.
Result<RestrictionBlock> read_restriction_block(const EphTaskRecord& rec);

// The restriction list in internal units (radians, AU, AU/day, km/s,
// magnitudes), tested against the computed values of every date.
struct RestrictionBounds {
    std::int16_t count = 0;
    std::array<std::int16_t, 10> indexes{};  // [0, count): quantity numbers 1-10, increasing
    std::array<std::int16_t, 10> senses{};   // [0, count): +1 keep lows..highs, -1 keep outside
    QuantityValues lows, highs;              // by quantity; set for the listed quantities only
};

// Conversion kinds of Prcon.
inline constexpr int kPrconNone = 0;     // AU, AU/day, km/s, magnitudes: unchanged
inline constexpr int kPrconHms = 3;      // +hhmmss.ss to radians (hours x 15)
inline constexpr int kPrconDms = 4;      // +ddmmss.s to radians
inline constexpr int kPrconDegrees = 5;  // degrees to radians

// Converts one bound from the form typed to internal units. For kinds 3 and 4
// the sign is taken off and |value| is split into h (or d) = int(|v| / 10000),
// m = int(rest / 100), s = the remainder; any other kind returns value.
double Prcon(int kind, double value);

// The conversion row of a coordinate set: plane "EQT" 9, "ECL" 10, then
// coordinates "REC" 11, then plane "HRZ" 7 (later rules win); 0 for none.
int conversion_row(std::string_view coordinate_type, std::string_view main_plane);

// Builds the restriction list of a block: quantities 1-10 in turn, a switch 1
// skipped, 2 taken, any other value ends the list. A taken quantity keeps its
// bounds as they are (sense +1) when upper > lower, else swapped (sense -1) so
// that lows always holds the smaller; finite bounds (not the open limits) are
// converted with Prcon by the row's kind. Fails when the block is not 1-4, or
// when a quantity is taken and the coordinate set has no conversion row.
Result<RestrictionBounds> Formcond(const RestrictionBlock& block, std::string_view coordinate_type,
                                   std::string_view main_plane);

}  // namespace zelvomat
