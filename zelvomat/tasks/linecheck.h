// Checks of the lines and texts of the observation windows and of the
// observatory list:
//  - check_line (export cntl): one 80-column observation or plate line before
//    it goes to a task (line layout in obsline.h);
//  - check_observatory_line (export cnto): one edited line of the observatory
//    list "observa1.dat" (layout in obsfiles.h);
//  - check_parallax_pair (export controb): a pair of typed texts, the parallax
//    constants or a latitude with a height.
// The error codes and masks are those of checks.h; nothing here changes the
// texts it is given.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/setpar.h"
#include "io/status.h"
#include "tasks/checks.h"
#include "tasks/obsfiles.h"

namespace zelvomat {

// Field masks of the 80-column lines (checks.h), in three pieces: columns
// 1-32, columns 33-58 by system (1: first angle in hours; other: degrees) and
// columns 59-80 by task (1 plate line; 2 and 3 observation lines).
inline constexpr std::string_view kLineMaskDate = "ttttttttttttttt1111 21 21.22222t";
inline constexpr std::string_view kLineMaskHours = "22 22322322t+22 2232232ttt";
inline constexpr std::string_view kLineMaskDegrees = "222 2232232t+22 2232232ttt";
inline constexpr std::string_view kLineMaskPlate = "22232ttt2232tttttttt22";
inline constexpr std::string_view kLineMaskObservation = "ttttttt2232ttttttttt22";

// What the line check keeps between calls (one area). The drivers O_C, IdCalc
// and PltCalc reset it (assigning {}) at the start of every run, so the next
// check reads the settings again and forgets the observatory record.
struct LineCheckState {
    bool loaded = false;   // settings read since the last reset
    std::string data_dir;  // settings record 4, ending with "/"
    PackageInfo package;   // settings record 6: the package's first and last year
    // The observatory record last read from "observat.dat".
    std::int32_t code_number = -1;  // number of the code it was read for; -1 none
    bool found = false;             // a whole record was there
    std::int16_t record_number = -1;
    double longitude_deg = 0.0;
    double rho_cos_phi = 0.0;
    double rho_sin_phi = 0.0;
    ObservatoryListStamp stamp;  // the list it was read from
};

// Outcome of check_line. error and the first and last column of the faulty
// field (both 0 when the fault has no column); layout of the angles: 1
// decimal minutes, 2 seconds, 0 when the check stopped before the angles.
// files is not ok when a file the check needs (the settings file, the record
// list) could not be read: error is then 7 (tasks 1, 2: no package span to
// compare with) or 3 (no observatory record), and files tells why.
struct LineCheck {
    checks::CheckError error = checks::CheckError::None;
    int first_col = 0;
    int last_col = 0;
    int layout = 0;
    Status files;
};

// Checks the first 80 characters of line (a shorter text counts as
// blank-padded), in this order, stopping at the first fault:
//  1. the field mask of the task and system, column by column (error 1);
//  2. the date in columns 16-31 exists in the Gregorian calendar (2);
//  3. the angle layout: the decimal-minutes point of the first angle (column
//     38, or 39 for degrees) with the seconds point of the second (54), or the
//     seconds point of the first (41, or 42) with the decimal-minutes point of
//     the second (51), is a mixed line (error 1 at 54 or 51);
//  4. the angles read as numbers (1; an angle whose columns are all blank is
//     no position and does not read) and within range (2): the first below 24
//     hours (or 360 degrees), or exactly that; the second within 90 degrees;
//     minutes and seconds below 60;
//  5. the date within the package, 1 November of its first year to the end of
//     March of its last (tasks 1, 2), or years 1800-2100 (task 3) (7);
//  6. plate lines: half sizes at most 300 minutes of time (4) and 75 degrees
//     (5), not both 0 (6);
//  7. the observatory code in columns 78-80 reads and has its record in
//     "observat.dat" (3), with data unless it is 500, 248 or 244 (9).
LineCheck check_line(LineCheckState& st, const ObservatoryListWrites& writes, int task, int system,
                     std::string_view line);

// Field mask of an observatory line, columns 1-30; columns 31-79 (the name)
// take any character but the zero byte.
inline constexpr std::string_view kObservatoryLineMask = "t11 221.122222.122222+2.122222";

// Checks an edited line of the observatory list (first 79 characters, a
// shorter text counts as blank-padded) of the row of observatory number code:
// the mask (error 1 at the column), the geocentre's row (8 at column 1), a
// code that does not read (1 at column 1) or names another row (10 at column
// 1), a longitude outside 0..360 degrees (2 at column 5).
checks::CheckResult check_observatory_line(int code, std::string_view line);

// Checks a pair of typed numbers (each read up to its last non-blank with
// char_rl; a blank text or one that is not a number is error 1 at its field).
//  kind 1, rho cos phi' and rho sin phi' (Earth radii): 0 <= first <= 1.1
//          (2 at field 1), |second| <= 1.1 (2 at field 2), not both 0 (8 at
//          field 3);
//  kind 2, geodetic latitude (degrees) and height (metres): |first| <= 90
//          (2 at field 1), second >= 0 (2 at field 2);
//  other kinds: only the reading.
// The field is CheckResult::position: 1 or 2 for a text, 3 for the pair.
checks::CheckResult check_parallax_pair(int kind, std::string_view text1, std::string_view text2);

}  // namespace zelvomat
