// Identification of observations with catalogued minor planets (IdCalc).
//
// For each 80-column observation line of "input.id1" the driver predicts,
// from how far the observed right ascension lies from the point opposite the
// Sun, a window of opposition dates (main-belt motion: an object observed x
// degrees east of the anti-solar point had its opposition some days ahead,
// west of it some days ago). The candidates are the objects whose opposition
// in the yearly opposition files (tasks/oppos.h) falls in that window, and
// every object of the special list "uplist", each tested once; the window
// is wider than the prediction and reaches across the years of the files
// (oppwindow.h). Each candidate's astrometric place (two-body motion from
// the elements of elmnt, light time iterated, seen from the line's
// observatory) is compared with the observed one; every candidate within the
// tolerances gives one IdResultRecord in "result.id4", a line without any
// gives the not-found record.
//
// Units: angles in radians inside, residuals and tolerances in seconds of
// arc; dates Julian dates, UT on the lines, TT (Delta T of "ephcorr") for the
// positions; vectors heliocentric or geocentric, mean equator and equinox
// J2000, AU and AU/day.
//
// Files (working directory unless marked): "setpar"; "input.id1" (82-byte
// records: 80 columns and CR LF); "result.id4" (82-byte IdResultRecords);
// "ide.hat" (header, taskhead.h); data directory: "ephcorr", "uplist",
// "IDE.HD2", "observat.dat", "opp<YYYY>", the catalogue and the planetary
// ephemeris file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "io/status.h"
#include "tasks/oppwindow.h"

namespace zelvomat {

struct LibraryState;

// ---- "result.id4" -------------------------------------------------------------
// One 82-byte text record per accepted candidate (columns from 1):
//    1-13  columns 1-13 of the observation line on the line's first record,
//          blank on its further records
//   14-29  columns 16-31 of the line (the date)
//   30     "*" when the elements were not accepted by elmnt (not close enough
//          in time to be trusted), else blank
//   31-36  catalogue number, right-aligned (numbered objects; else blank)
//   38-54  the first 17 characters of the catalogue name
//   56-62  residual in R.A. times cos(observed Decl.), arcsec, observed minus
//          computed: |value| F7.1 with its sign just before the first digit
//   64-70  residual in Decl., the same form
//   72-76  residual in magnitude (magnitude_field)
//   77     band flag of the line
//   78-80  observatory code
//   81-82  two blanks
// The not-found record: columns 1-13 of the line, "Object not found" in
// columns 38-53, blanks elsewhere.
namespace id_result {
inline constexpr std::size_t kLength = 82;
inline constexpr std::size_t kLineOff = 0, kLineLen = 13;
inline constexpr std::size_t kDateOff = 13, kDateLen = 16;  // from the line's offset 15
inline constexpr std::size_t kFlagOff = 29;
inline constexpr std::size_t kNumberOff = 30, kNumberLen = 6;
inline constexpr std::size_t kNameOff = 37, kNameLen = 17;
inline constexpr std::size_t kRaOff = 55, kResidualLen = 7;
inline constexpr std::size_t kDeclOff = 63;
inline constexpr std::size_t kMagOff = 71, kMagLen = 5;
inline constexpr std::size_t kBandOff = 76;
inline constexpr std::size_t kCodeOff = 77, kCodeLen = 3;
inline constexpr std::string_view kNotFound = "Object not found";
}  // namespace id_result

// The window of opposition dates of one observation (oppositions searched
// in [first, last], rule in oppwindow.h, with the half size r = 0.01):
//   jd_ut        Julian date of the observation (UT);
//   observed_ra  observed right ascension (radians);
//   sun_x, sun_y the geocentric Sun (equatorial, any unit).
inline constexpr double kObservationHalfRa = 0.01;  // radians
OppositionWindow observation_window(double jd_ut, double observed_ra, double sun_x, double sun_y);

// Difference observed minus computed right ascension along the shorter arc:
// its size (radians, 0 .. pi) and whether it counts as negative.
struct RaDifference {
    double size = 0.0;
    bool negative = false;
};
RaDifference ra_difference(double observed, double computed);

// A residual field of 7 columns: |arcsec| with one decimal, right-aligned,
// the sign ('-' when negative, else '+') just before its first digit; no sign
// when the field reads 0.0. A value whose sign finds no room (10000.0 and
// more) is written as 7 asterisks.
std::string residual_field(double arcsec, bool negative);

// The magnitude field of 5 columns: "   - " when unknown; otherwise a blank
// and |residual| F4.1, "0" before the point when that column is blank, the
// sign ('+' for a positive residual, observed fainter) in the column before
// the digits (column 2 of the field when free, else column 1); no sign when
// the field reads 0.0.
std::string magnitude_field(bool known, double residual);

// What a record says about one accepted candidate.
struct IdMatch {
    std::int32_t number = 0;  // catalogue number
    bool numbered = false;    // the number is shown
    bool accepted = true;     // elmnt's acceptance flag ("*" when false)
    std::string name;         // catalogue name (first 17 characters shown)
    double ra_arcsec = 0.0;   // residual size in R.A. x cos(Decl.)
    bool ra_negative = false;
    double decl_arcsec = 0.0;  // residual size in Decl.
    bool decl_negative = false;
    bool magnitude_known = false;
    double magnitude_residual = 0.0;  // observed minus computed
    char band = ' ';
    std::int32_t observatory = -1;
};
std::string id_result_record(std::string_view line, bool first_of_line, const IdMatch& m);
std::string id_not_found_record(std::string_view line);

// The special list "uplist" of the data directory (trailing blanks of
// data_dir ignored): count 32-bit catalogue numbers in one record, ascending.
// Refused: a count below 0 or above kSpecialListCapacity, a file shorter
// than the count, numbers not strictly ascending. The capacity is far above
// what any catalogue selects (the near-Earth objects and the objects without
// an opposition of a catalogue of 1.45 million objects are some 40,000; the
// list holds each object once): it bounds what a damaged count makes the
// library allocate.
inline constexpr std::int32_t kSpecialListCapacity = 1 << 24;
Result<std::vector<std::int32_t>> read_special_list(std::string_view data_dir, std::int32_t count);

// What the driver keeps between calls (one area).
struct IdRunState {
    std::int32_t run_first = 1;  // first record of "input.id1" of the last new run
    // Every candidate gets the full test, without the bounds of the shared
    // sky (for comparisons; the records are the same either way).
    bool full_test = false;
    // Threads that test the lines of a run: 0 one for a catalogue of up to a
    // million objects, else as many as the processors (at most 8, and no
    // more than a quarter of the lines); 1 this thread alone. The records are
    // the same whatever the number.
    int threads = 0;
};

// Called after every observation with (observations done since the run's
// first record, total); a non-zero result stops the run.
using IdProgressCallback = int (*)(int done, int total);

// The body of the IdCalc export.
//   status  in: records of "result.id4" so far (0 starts a new run; the sign
//           is dropped); out: records written, negated when the run stopped
//           before last;
//   first   in: first record of "input.id1"; set to the record to go on from
//           when the run stops before last, else left;
//   last    last record of "input.id1";
//   tol_ra_arcsec, tol_decl_arcsec  the tolerances (residual in R.A. times
//           cos(observed Decl.), residual in Decl.), seconds of arc.
// Stops:
//   - the callback: status < 0, first = the next record;
//   - a line that cannot be parsed or a failure while it is computed (a file
//     of the package that cannot be read): the records of the earlier lines
//     stay; status = minus the records written, first = the record of that
//     line; the Status carries the message;
//   - set-up failures (settings, package files, "input.id1" or "result.id4"
//     that cannot be opened): nothing is processed, status and first are
//     left as they were.
Status idcalc(LibraryState& st, std::int32_t& status, std::int32_t& first, std::int32_t last, double tol_ra_arcsec,
              double tol_decl_arcsec, IdProgressCallback cb);

}  // namespace zelvomat
