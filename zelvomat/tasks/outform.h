// Ephemeris result lines: the fixed-column text of one object at one date in
// the result file "result.ep4".
//
// "result.ep4" is a direct-access file of 82-byte records without separators,
// record n at byte 82 (n - 1): 80 characters of text (blank-padded) followed
// by two zero bytes. The ephemeris driver writes its own records (object
// headings, messages) and the ephemeris lines into it in the order computed;
// the result window reads it back record by record. The file is written over
// record by record and keeps records beyond those written: the main program
// deletes it before a new run.
//
// Output kinds (EphOutputKind), chosen from the output form, the main plane
// and the coordinate type of the task:
//
//   output   EQT  ECL  HRZ  REC
//   "EMP"     2    3    4    -     one line, angles to 0.1' (R.A. 0.01 min)
//   "POS"     5    6    7    8     spherical: two lines; rectangular: one
//   "PSV"     9   10    -   11     positions and velocities, two lines
//
// Values (core/ephvalues.h): angles in radians, distances AU, rates per day,
// the speed in km/s. Right ascension (and its rate) is written in hours,
// minutes and seconds of time, every other angle in degrees, arcminutes and
// arcseconds. The sexagesimal parts are rounded before the split, so a value
// that rounds up carries into the minutes and degrees (12 59 59.99 rounds to
// 13 00 00.0 at one decimal). The sign column of a line's second angle holds
// '+' or '-' even when the degrees are 0 (-0 00 05.0 is 5" south).
//
// Columns (1-based) shared by the first line of every kind: 1-4 year, 5-7
// month, 8-16 day and fraction of the day (5 decimals, civil day of the
// date's time scale, Gregorian calendar), 17 '*' when the position routine
// flagged the date as computed with reduced accuracy. A fraction that rounds
// to a whole day at 5 decimals is shown as 0h of the next day (never as day
// 32.00000 of a month). The further columns of
// each kind are laid out in outform.cpp next to the code that writes them.
//
// Numbers are right-aligned in their columns with fixed decimals (Fortran
// Fw.d); a value too wide for its columns fills them with asterisks, so an
// unknown magnitude (kMagnitudeUnknown, core/magn.h) shows as "****".
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/ephvalues.h"
#include "core/force.h"
#include "io/recfile.h"
#include "io/status.h"

namespace zelvomat {

enum class EphOutputKind : std::int8_t {
    EmpEquator = 2,
    EmpEcliptic = 3,
    EmpHorizon = 4,
    PosEquator = 5,
    PosEcliptic = 6,
    PosHorizon = 7,
    PosRectangular = 8,
    PsvEquator = 9,
    PsvEcliptic = 10,
    PsvRectangular = 11,
};

inline constexpr int kind_number(EphOutputKind k) { return static_cast<int>(k); }
// The kind of a number 2-11; nothing for any other number.
std::optional<EphOutputKind> eph_output_kind_from_number(int n);
// The kind of a task's codes (three characters each, blank padding ignored):
// coordinate type "SPH"/"REC", main plane "EQT"/"ECL"/"HRZ", output
// "EMP"/"POS"/"PSV". Nothing for the combinations without a layout
// (rectangular "EMP", "PSV" on the horizon) and for unknown codes.
std::optional<EphOutputKind> eph_output_kind(std::string_view coordinate_type, std::string_view main_plane,
                                             std::string_view output);
// True for the spherical kinds (all but 8 and 11).
bool is_spherical(EphOutputKind k);

// Object numbers with a layout of their own.
inline constexpr std::int32_t kObjectEarth = -3;
inline constexpr std::int32_t kObjectSun = -10;

// One record of "result.ep4".
struct EphemerisLine {
    static constexpr std::size_t kLength = 82;     // bytes of a record
    static constexpr std::size_t kTextWidth = 80;  // characters of text
    using Bytes = std::array<std::uint8_t, kLength>;

    // The record of a text line: cut or blank-padded to 80 characters, then
    // two zero bytes.
    static Bytes encode(std::string_view text);
    // The 80 characters of a record (the zero bytes left off).
    static std::string decode(std::span<const std::uint8_t, kLength> record);
};

// "result.ep4" of the working directory, opened for writing record by record
// (created when missing, never truncated).
Result<io::RecordFile> open_ephemeris_result();
// Writes text as record n (1-based) of the result file.
Status write_ephemeris_line(io::RecordFile& file, std::int64_t record, std::string_view text);

// The text of one date: 0, 1 or 2 lines of exactly 80 characters.
struct EphemerisText {
    int count = 0;
    std::array<std::string, 2> lines;
};

// Lays out the lines of one object at one date.
//   number        object number: catalogue number >= 1, a major body as the
//                 negative of its code (-3 the Earth, -10 the Sun);
//   jd            Julian date of the line (its time scale is the task's);
//   values        the ten values of the position routine;
//   accuracy_flag 0: the line is marked with '*' in column 17;
//   no_magnitude  the magnitude field is left blank (also for number < 1).
// The Earth in a spherical kind has no lines (count 0), nor has a value
// outside the kinds 2-11 (two blank lines).
EphemerisText format_ephemeris_lines(std::int32_t number, double jd, EphOutputKind kind, const EphResultValues& values,
                                     std::int16_t accuracy_flag, bool no_magnitude);

// Writes the lines of one object at one date into the result file at records
// record + 1 (and record + 2) and returns the number of records written (0, 1
// or 2), which the caller adds to its count. The magnitude is left blank
// with no_magnitude (the position routine's flag of an object with H = G = 0,
// core/ephem.h). Fails only when a record cannot be written.
Result<int> Outform(std::int32_t number, io::RecordFile& file, double jd, EphOutputKind kind,
                    const EphResultValues& values, std::int16_t accuracy_flag, std::int32_t record, bool no_magnitude);

}  // namespace zelvomat
