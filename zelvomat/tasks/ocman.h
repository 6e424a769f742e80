// The O-C task: residuals of observations against computed positions
// (O_C), and the selection of residuals by size and observatory (Separate).
//
// Input "input.oc1" (working directory): direct access, 82-byte records, one
// 80-column observation line (obsline.h) and CR LF each; a last record of 80
// columns without its line end is taken too. The orbit set-up is "omc.cfg",
// the ephemeris task record layout (ephrecord.h):
//   columns 1-4  "ZELV": catalogue mode, each line against the catalogue
//                object of its columns 1-13; anything else: typed-orbit mode,
//                every line against every typed orbit: coordinates and
//                velocities when columns 2-4 are "XYZ", else elements; the
//                user's orbit file (columns 1219-1298 or 1319-1398) when
//                column 1 is "F", else the orbit input dialog's single orbit
//                ("eelm.omc" / "xxyz.omc"); the column order of the chosen
//                source gives the fields' order (typedorb.h).
//
// Result "result.oc4": direct access, 70-byte records (OcResultRecord below),
// no line ends. Header "omc.hat" (taskhead.h): one description record and
// the block of "OMC.HD2" of the main plane.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "io/status.h"

namespace zelvomat {

struct LibraryState;

// ---- OcResultRecord -----------------------------------------------------------
// 70 characters; columns counted from 1.
//
// Observation record:
//    1-13  columns 1-13 of the observation line (designation)
//    14    blank
//    15-30 columns 16-31 of the observation line (date, UT)
//    31    "*" when the position is not of full accuracy (ephem's flag 0)
//    32-44 residual of the first angle, arcseconds, times cos(observed second
//          angle): |value| with one decimal right-aligned, its sign ("+" or
//          "-", blank when the field reads 0.0) just before the first digit
//    45-57 residual of the second angle, arcseconds, the same form
//    58    blank
//    59    sign of the magnitude residual (blank when it reads 0.0)
//    60-63 |magnitude residual| with one decimal ("****" from 100 on)
//    64    band flag of the observation (obsline.h)
//    65    blank
//    66-68 observatory code (columns 78-80 of the line)
//    69-70 blank
// Columns 59-64 are blank when the line has no magnitude, when the object has
// no photometric parameters (H = G = 0), and for typed orbits without both H
// and G in their column order.
//
// Not-found record (catalogue mode): columns 1-13, 15-30 and 66-68 as above,
// "Object not found" in columns 39-54.
//
// Typed-orbit mode, before the lines of each orbit: a blank record; a record
// with "elements:" or "coor&vel:" in columns 20-28 and the first 39
// characters of the orbit file's name in columns 30-68 ("single orbit" for
// the dialog's orbit); a blank record; then for an accepted orbit its line
// (18-character name, " orbit", its number in 6 columns) and a blank record,
// for a refused one a message record (see oc_refused_record).
namespace oc_record {
inline constexpr std::size_t kLength = 70;
inline constexpr std::size_t kDesignationCol = 1, kDesignationWidth = 13;
inline constexpr std::size_t kDateCol = 15, kDateWidth = 16;
inline constexpr std::size_t kAccuracyCol = 31;
inline constexpr std::size_t kResidual1Col = 32, kResidual2Col = 45, kResidualWidth = 13;
inline constexpr std::size_t kMagSignCol = 59, kMagCol = 60, kMagWidth = 4;
inline constexpr std::size_t kBandCol = 64;
inline constexpr std::size_t kCodeCol = 66, kCodeWidth = 3;
inline constexpr std::size_t kNotFoundCol = 39;
inline constexpr std::string_view kNotFound = "Object not found";
inline constexpr std::size_t kSourceKindCol = 20, kSourceNameCol = 30, kSourceNameWidth = 39;
// Columns of the observation line.
inline constexpr std::size_t kLineDateCol = 16, kLineMagCol = 66, kLineMagWidth = 4, kLineCodeCol = 78;
}  // namespace oc_record

using OcRecordText = std::string;  // exactly oc_record::kLength characters

// A residual in `width` columns: |value| with one decimal, right-aligned, and
// its sign just before the first digit; the sign is blank when the field
// reads 0.0. Asterisks when it does not fit.
std::string oc_residual_field(double value, std::size_t width);

// The observation record of a line (80 columns, shorter counts as blank-
// padded) with the residuals (arcseconds; magnitude in magnitudes).
// with_magnitude false leaves columns 59-64 blank.
OcRecordText oc_observation_record(std::string_view line, bool full_accuracy, double residual1_arcsec,
                                   double residual2_arcsec, bool with_magnitude, double magnitude_residual,
                                   char band_flag);
OcRecordText oc_not_found_record(std::string_view line);

// The records of a typed orbit: the source record ("elements:" or
// "coor&vel:", file name or "single orbit"), the orbit line of an accepted
// orbit, and the message of a refused one by its status (1 format error,
// 2 data out of range, naming the field's 5-character label; 3 incomplete;
// 4 out of range; a blank record for any other status).
OcRecordText oc_source_record(bool elements, std::string_view file_name, bool single_orbit);
OcRecordText oc_orbit_record(std::string_view name, std::int32_t number);
OcRecordText oc_refused_record(std::string_view name, std::int32_t number, std::int32_t status,
                               std::string_view field_label);
// The 5-character label of field code 1-13 of elements (1-10 of coordinates);
// five blanks for any other code.
std::string_view oc_field_label(bool elements, std::int32_t code);

// The description record of "omc.hat": the frame ("Equator and equinox
// 2000.0"), the kind (" Astrometric", " Geometric", " Apparent"),
// " positions " and the motion model ("Elliptic motion", "Accuracy: Nodes" or
// the perturber letters of an integration). code = 100 P + 10 C + E.
std::string oc_description(int p, int c, int e, int model, std::span<const std::int32_t, 12> perturbers,
                           bool relativistic_sun);

// ---- The driver -------------------------------------------------------------------

using OcProgress = int (*)(int done, int total);

// The counters of a run, in and out (see O_C in zelvomat.h).
struct OcCounters {
    std::int32_t count = 0;  // records written; negated when the callback stopped the run
    std::int32_t first = 1;  // next line of "input.oc1" (catalogue mode)
    std::int32_t last = 0;   // last line of "input.oc1" to take
};

// The O-C run. On a failure the counters are as the call left them (see
// zelvomat.h) and the status says why; the failure notes "resoc913.res",
// "resoc713.res", "resoc398.res" and "resoc99.res" are written as well for
// the four failures to open the planetary ephemeris file, a new or an old
// "result.oc4", and "input.oc1".
Status oc_run(LibraryState& st, int code, int model, std::span<const std::int32_t, 12> perturbers,
              bool relativistic_sun, OcCounters& counters, OcProgress progress);

// ---- Selection ----------------------------------------------------------------------

// Copies the records of "result.oc4" selected by size (arcseconds) and
// observatory (number, negative for any) into "result.oc5" from record 1;
// returns the number copied (see Separate in zelvomat.h).
Result<std::int32_t> oc_separate(double min_abs, double max_abs, int observatory);

}  // namespace zelvomat
