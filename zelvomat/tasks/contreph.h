// Check of one typed field of a set-up dialog.
//
// The set-up pages of the ephemeris task, the orbit input dialog and the small
// dialogs of the observation tasks hand each text field to this check when
// the user leaves it. The check answers with a CheckError (checks.h), the
// field's value and, for some kinds, an integer; for kinds 1-15 it also gives
// the field in its normal form, which the page puts back into the dialog.
//
// Kinds 1-15: a field tested against a mask (checks.h) with a number of
// allowed decimals.
//
//   kind  field                              length mask            decimals
//    1    object number                        6    "511111"           0
//    2    date YYYYMMDD.d                     10    "11111111.1"       1
//    3    year                                 4    "1111"             0
//    4    step, 0 or more (days)               9    "444444444"        5
//    5    date YYYYMMDD.ddddd or Julian date  14    "11111114422222"   5
//    6    observatory code                     3    "t22"              0
//    7    longitude, degrees east              9    "444422222"        5
//    8    rho cos phi', Earth radii            8    "44222222"         6
//    9    rho sin phi', Earth radii            9    "664222222"        6
//   10    geodetic latitude, degrees           9    "644422222"        5
//   11    height, metres                       9    "644444444"        1
//   12    step, above 0 (days)                 9    "444444444"        5
//   13    identification tolerance             7    "444434"           1
//   14    magnitude limit                      6    "4434"             1
//   15    limit of the residuals               9    "4444444444444"    2
//
// The test, in order (the first failure ends it):
//  1. a blank field is a format error (1);
//  2. the field is left-justified and its characters are tested against the
//     mask (1); kind 6 then gives aux = -1;
//  3. a second point (1);
//  4. with a point, digits beyond the allowed decimals are cut (not rounded);
//     without one, a lone sign is a format error (1), and a field whose last
//     non-blank character stands further right than the mask's length less
//     the decimals has too many integer digits (2) -- leading blanks count,
//     so "  1234" as a step of kind 4 is refused;
//  5. kinds 4, 5, 7-15: the number is read (1 when it cannot be);
//  6. the kind's own test:
//      1  aux := the number; below -12 or above the numbered objects of the
//         package (settings record 6)                                     2
//      2  value := the date number; before 1 November of the package's
//         first year or after 1 March of its last year                    7
//         a calendar date that does not exist                             2
//      3  aux := the year; outside the package's years                    7
//      4  below 0                                                         7
//      5  value := the Julian date of the date or Julian date typed
//         (civil day from midnight, Gregorian); unreadable                1
//         a calendar date that does not exist, or a year outside
//         1800..2101                                                      2
//      6  aux := the observatory number; no such code, or no record of it
//         in "observat.dat" (data directory)                              3
//         500, 244, 248 (the geocentre and two geocentric codes)          8
//         a record whose longitude and parallax constants are all 0       9
//      7  outside 0..360                                                  2
//      8  outside 0..1.1                                                  2
//      9  beyond +-1.1                                                    2
//     10  beyond +-90                                                     2
//     12  0 or below                                                      7
//     11, 13, 14, 15: none.
//  The normal form: the left-justified field with its decimals cut, written
//  blank-padded to the field's length. Kind 5 is written in a fixed form:
//  a calendar date as YYYYMMDD.ddddd (month and day zero-filled, five
//  decimals), a Julian date in 13 columns with five decimals and a blank.
//
// Kinds 16-29: the fields of a typed orbit (kind = 15 + the column code;
// 29 the column order list), with the rules of check_orbit_field
// (core/contrelm.h); aux is then an input, the orbit form: 1 elements,
// 2 coordinates and velocities (kinds 20-25 then carry X, Y, Z, dX/dt,
// dY/dt, dZ/dt and pass any number). The text is never changed.
//
// The caller's text is written only when the check passed: after any
// failure it is exactly as it was.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "io/status.h"
#include "tasks/checks.h"

namespace zelvomat {

inline constexpr int kFirstDialogFieldKind = 1;
inline constexpr int kLastMaskedFieldKind = 15;
inline constexpr int kLastDialogFieldKind = 29;

// The form of a masked field (kinds 1-15).
struct DialogFieldForm {
    int length = 0;         // characters the dialog passes
    std::string_view mask;  // mask characters; positions past its end demand blanks
    int decimals = 0;       // digits kept after a point
};

// The form of kind 1-15; length 0 and an empty mask for any other kind.
DialogFieldForm dialog_field_form(int kind);

struct DialogFieldCheck {
    checks::CheckError error = checks::CheckError::None;
    // The number read: the date number YYYYMMDD.d for kind 2, a Julian date
    // for kinds 5, 19 and 21, 0 for kinds 1, 3, 6, 16 and 29.
    double value = 0.0;
    // Kind 1 the object number, kind 3 the year, kind 6 the observatory
    // number (-1 when the code's characters fail the mask); 0 otherwise.
    // For kinds 16-29 the orbit form passed in.
    std::int32_t aux = 0;
    // Not ok when a file the check needs (the settings "setpar", the record
    // list "observat.dat") could not be read; error is then set as well (2
    // for kind 1, 7 for kinds 2 and 3, 3 for kind 6).
    Status files;
    bool ok() const { return error == checks::CheckError::None; }
};

// Checks the field of the given kind (1-29) in the caller's buffer; on
// success the buffer holds the normal form (kinds 1-15; never more than
// text.size() characters are read or written). orbit_form is read for kinds
// 16-29 only. A kind outside 1-29 is a format error.
DialogFieldCheck check_dialog_field(int kind, std::span<char> text, std::int32_t orbit_form = 1);

}  // namespace zelvomat
