// Checks of the fields of a typed orbit.
//
// An orbit typed into the orbit input dialog, or read from a user's file of
// orbits, is a set of fields, each tested and converted by one rule set
// chosen by the field's kind (kind = 15 + the field's column code):
//
//   kind code field                         unit    test after conversion
//   16    1   designation                   text    no blank in its first 18
//   17    2   H, absolute magnitude         mag     |value| <= 40
//   18    3   G, slope parameter            -       |value| <= 40; "X" = 0.15
//   19    4   epoch                         date    date rules
//   20    5   M, mean anomaly               deg     0 <= value <= 360
//   21    6   T, time of perihelion         date    date rules (elements only)
//   22    7   argument of perihelion        deg     0 <= value <= 360
//   23    8   longitude of ascending node   deg     0 <= value <= 360
//   24    9   i, inclination                deg     0 <= value <= 180
//   25   10   e, eccentricity               -       0 < value < 1
//   26   11   n, mean motion                deg/d   0 < value < 5
//   27   12   a, semi-major axis            AU      value > 0
//   28   13   q, perihelion distance        AU      value > 0
//   29    -   column order list             ten two-digit column codes
//
// The orbit form: 1 orbital elements, 2 coordinates and velocities (then
// kinds 20-25 carry X, Y, Z in AU and dX/dt, dY/dt, dZ/dt in AU/day and the
// range tests of kinds 20-28 are off; kinds 17-19 keep theirs); any other
// form checks as elements except that T (kind 21) is any number.
//
// Numbers. A field is a decimal number with an optional sign and point
// (char_rl, utils.h), or a mantissa and an exponent joined by the first "D",
// else "d", "E", "e" (1.5D-3 = 0.0015); mantissa and exponent must each hold
// a digit. A number that does not fit a double (1E400) is out of range.
//
// Dates (kinds 19 and 21) must lie between 1 000 000 and 100 000 000:
//  - above 10 000 000 a calendar date YYYYMMDD.dddd (Gregorian, the fraction
//    of the civil day from midnight), which must exist (no 31 April);
//  - otherwise a Julian date;
//  - kind 19 also takes the packed form of five characters (datepart);
//  - the year must be 1800..2101. The value returned is the Julian date.
//
// Column order list (kind 29): ten two-character codes read from the field's
// first non-blank character; each is 00 (none) or 01-13 (blanks inside a
// code are skipped); a non-zero code occurs once; at least 7 codes are
// non-zero and exactly 7 of them are orbit columns 04-13 (the epoch and six
// of the nine orbit columns; designation, H and G are optional).
//
// The checks never change the text they are given.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/checkerror.h"

namespace zelvomat {

enum class OrbitForm : std::int32_t {
    Other = 0,
    Elements = 1,
    Coordinates = 2,
};

inline constexpr int kFirstOrbitFieldKind = 16;
inline constexpr int kLastOrbitFieldKind = 29;
inline constexpr int kColumnOrderKind = 29;
inline constexpr double kDefaultSlopeG = 0.15;  // the G that "X" stands for
// The code of a faulty column order list (shared with the observatory code).
inline constexpr checks::CheckError kWrongColumnOrder = checks::CheckError::ObservatoryAbsent;

struct OrbitFieldCheck {
    checks::CheckError error = checks::CheckError::None;
    // The converted number: degrees, degrees per day, AU, AU per day or a
    // Julian date (kinds 19 and 21); 0 for kinds 16 and 29. After a failure,
    // whatever the conversion reached.
    double value = 0.0;
    bool ok() const { return error == checks::CheckError::None; }
};

// Check of one field of kind 16-29 (the text is the field, blank-padded; its
// length is text.size()). A kind outside 16-29 gives CheckError::Format.
// This is the rule set of the dialog's field check (kinds 16-29) as well.
OrbitFieldCheck check_orbit_field(int kind, std::string_view text, OrbitForm form);

// The same with the library's call pattern: err (CheckError code) and value
// out; form is read for kinds 16-29. For kinds below 16, form := 0, err := 0,
// value := 0 and nothing else is done; kinds above 29 give err 1 and form 0.
void contrelm(std::int32_t kind, std::string_view text, std::int32_t& err, double& value, std::int32_t& form);

// The packed date "cyymd" of five characters: century letter (I = 18, K = 20,
// anything else 19), two year digits, month and day each as a character of
// "123456789ABCDEFGHIJKLMNOPQRSTUV" (month 1-C, day 1-V). value := the Julian
// date of 0h of that civil date (the day is not compared with the month's
// length: K0121V is 31 February = 3 March). err := 0, or 1 for a character
// that does not fit (value then 0). K01A1 is 1 October 2001, JD 2452183.5.
void datepart(std::string_view text, double& value, std::int32_t& err);

}  // namespace zelvomat
