// Plate search: the catalogued minor planets that stand on one photographic
// plate, listed in order of right ascension.
//
// Input: a plate line (the 80-column observation line of obsline.h, task 1,
// system 1: date and UT, plate centre in right ascension and declination,
// half sizes in R.A. (minutes of time) and Decl. (degrees), observatory code)
// and a limiting magnitude.
//
// Method (PltCalc, pltcalc.cpp):
//  1. Opposition window. A main-belt object stands near the point opposite
//     the Sun around its opposition and drifts away from it at a rate that
//     grows with the time from opposition; so the angle x between the plate
//     centre and the anti-solar point (in right ascension) predicts how many
//     days w the plate lies from the oppositions of the objects on it, with a
//     half width that grows with the plate and with w (plate_window,
//     oppwindow.h).
//  2. Candidates: every object whose opposition (the yearly opposition files
//     "opp<YYYY>", oppos.h) falls in that window, and every object of the
//     special list "uplist" (near-Earth objects and objects without an
//     opposition in the package years, for which the prediction fails), each
//     tested once.
//  3. Test: elements at the plate's date (elmnt: the yearly osculating
//     elements, or the catalogue's), two-body motion, light time, apparent
//     right ascension and declination for the observatory (lightt); the
//     direction is projected on the plane tangent to the sky at the plate
//     centre (Plxy) and kept when it lies within both half sizes and its
//     magnitude (H, G system, magn) is not fainter than the limit.
//  4. The kept objects are formatted in batches of 100 (pltlines) and sorted
//     by right ascension (srt_pl, srt_pl.cpp) into "result.pl4" and
//     "resul2.pl4".
//
// Units: radians, AU, days; the dynamical time scale TT (= TDB here) for the
// positions, UT for the plate's date; vectors in the mean equator and equinox
// of J2000.0. The right ascension and declination listed are those of the
// observer's light-time corrected direction in that frame (no aberration).
//
// Files (data directory unless marked working directory):
//   "setpar" (working)   records 3-8 and 14 (in_par, catopen)
//   "ephcorr"            Delta T table
//   "uplist"             the special list: count (settings record 6) i32
//                        catalogue numbers in ascending order, at most 10000
//                        used
//   "observat.dat"       observatories (contr_s1)
//   planetary ephemeris  the geocentric Sun
//   "opp<YYYY>"          opposition files (opfop)
//   "PLT.HD2"            heading template
//   "plt.hat" (working)  header, 82-byte records (below)
//   "result.pl4" (working)  PlateObjectLine records 1 .. found, ascending R.A.;
//                        written from record 1 and not cut (the caller empties
//                        it before a search); "No objects" when none
//   "resul2.pl4" (working)  PlateMotionRecord k for object line k
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "io/bytes.h"
#include "io/status.h"
#include "tasks/oppwindow.h"

namespace zelvomat {

struct LibraryState;
struct CatalogueState;

// ---- Records ------------------------------------------------------------------

// One object of "result.pl4": 80 characters in an 82-byte record whose last
// two bytes are zero. Columns (from 1):
//    5-10  catalogue number, right-aligned; blank for an unnumbered object
//   12-29  catalogue name (18 characters)
//   31     "*" when the elements were not accepted as close to the date
//   33-34 h, 35-37 m, 38-43 s (2 decimals)   right ascension
//   50 sign, 51-52 deg, 53-55 ', 56-60 " (1 decimal)   declination
//   70-73  apparent magnitude, 1 decimal
// everything else blank. Every blank directly before a "." is written as "0".
struct PlateObjectLine {
    static constexpr std::size_t kLength = 82;
    static constexpr std::size_t kTextWidth = 80;
    static constexpr std::size_t kNumberCol = 5, kNumberWidth = 6;
    static constexpr std::size_t kNameCol = 12, kNameWidth = 18;
    static constexpr std::size_t kMarkCol = 31;
    static constexpr std::size_t kHoursCol = 33, kMinutesCol = 35, kSecondsCol = 38;
    static constexpr std::size_t kSignCol = 50, kDegreesCol = 51, kArcMinCol = 53, kArcSecCol = 56;
    static constexpr std::size_t kMagnitudeCol = 70;
    // The no-object result: "No objects" in columns 11-20.
    static constexpr std::size_t kNoObjectsCol = 11;
    static constexpr std::string_view kNoObjects = "No objects";

    // The 82-byte record of an 80-character text (blank-padded or cut).
    static std::array<std::uint8_t, kLength> encode(std::string_view text);
};

// One record of "resul2.pl4" (16 bytes): the rates of right ascension and of
// declination of the object of the same record of "result.pl4", radians per
// day, doubles (held in single precision before being stored).
struct PlateMotionRecord {
    static constexpr std::size_t kLength = 16;
    static constexpr std::size_t kRaRateOff = 0;
    static constexpr std::size_t kDeclRateOff = 8;

    double ra_rate = 0.0;
    double decl_rate = 0.0;

    std::array<std::uint8_t, kLength> encode() const;
    static PlateMotionRecord decode(io::Bytes rec);
};

// ---- Working storage of one search -------------------------------------------------

// A batch of kept objects (at most kSize), in the order they were found.
struct PlateBatch {
    static constexpr int kSize = 100;
    int count = 0;
    std::array<float, kSize> ra{};         // apparent right ascension, radians [0, 2 pi)
    std::array<float, kSize> decl{};       // apparent declination, radians
    std::array<float, kSize> ra_rate{};    // radians per day
    std::array<float, kSize> decl_rate{};  // radians per day
    std::array<float, kSize> magnitude{};  // apparent magnitude
    std::array<bool, kSize> accepted{};    // elmnt's acceptance flag
    std::array<std::int32_t, kSize> number{};
};

// Every kept object of a search in the order found: the sort keys and the
// formatted records. Object k (1-based) is entry k - 1 of each vector.
struct PlateScratch {
    std::vector<float> keys;                                                    // right ascensions
    std::vector<std::array<std::uint8_t, PlateObjectLine::kLength>> lines;      // object lines
    std::vector<std::array<std::uint8_t, PlateMotionRecord::kLength>> motions;  // motion records
    std::size_t size() const { return keys.size(); }
};

// ---- Routines ------------------------------------------------------------------

// Standard coordinates (xi, eta) of the direction (ra, decl) on the plane
// tangent to the sphere at (ra0, decl0), radians of the tangent plane, xi
// towards increasing right ascension, eta towards the north:
//   D   = sin(decl) sin(decl0) + cos(decl) cos(decl0) cos(ra - ra0)
//   xi  = cos(decl) sin(ra - ra0) / D
//   eta = (sin(decl) cos(decl0) - cos(decl) sin(decl0) cos(ra - ra0)) / D
// D is the cosine of the angle between the direction and the tangent point.
// Returns false, leaving xi and eta as they were, when D <= 0: a direction 90
// degrees or more from the tangent point has no projection on that side of
// the sphere (the formulas would project it through the centre, onto the
// point opposite it).
bool Plxy(double ra, double decl, double ra0, double decl0, double& xi, double& eta);

// The window of opposition dates of the objects that may stand on a plate
// (oppwindow.h): centre right ascension ra0 (radians), right ascension of the
// point opposite the Sun anti_sun (radians), plate half size in R.A. half_ra
// (radians; the window takes at least 0.02), the plate's Julian date jd (UT).
using PlateWindow = OppositionWindow;
PlateWindow plate_window(double ra0, double anti_sun, double half_ra, double jd);

// Formats the batch's objects into the lines and motion records of scratch,
// object k (1-based) of the batch as object total - count + k of the search
// (total: the kept count including this batch); appends the batch's right
// ascensions to the keys. Fails when a catalogue name cannot be read.
// numbered: the numbered count of the catalogue (higher numbers are
// unnumbered objects, listed without their number).
Status pltlines(const CatalogueState& cat, const PlateBatch& batch, std::int32_t total, std::int32_t numbered,
                PlateScratch& scratch);

// The 80-character object line (before encoding) of one object.
std::string plate_object_text(std::int32_t number, bool numbered, std::string_view name, bool accepted, double ra,
                              double decl, double magnitude);

// Index heap sort of one block: index[0 .. n-1] := the 1-based positions of
// keys[0 .. n-1] in ascending key order (keys unchanged). With init false,
// index is first set to 1 .. n; with init true the index given is ordered.
// n = keys.size() = index.size(); n <= 1 returns at once.
void Sort0(std::span<const float> keys, std::span<std::int32_t> index, bool init);

// The order of the objects (1-based numbers) in ascending key, as a sort in
// blocks of 100 followed by the merge of each block into the sorted run of
// the blocks before it produces it: each block heap-sorted by Sort0; among
// equal keys, the objects of a later block come before those of an earlier
// one. The merge runs in memory, so the scratch files of a block sort on
// disk are not needed.
std::vector<std::int32_t> plate_order(std::span<const float> keys);

// Writes the objects of scratch in ascending right ascension: record i of
// result_name (82 bytes) is the line of the i-th object in that order, and
// record i of motion_name (16 bytes) its motion record. Both files are
// created when missing and never cut. scratch must hold at least one object.
Status srt_pl(const PlateScratch& scratch, const std::string& result_name, const std::string& motion_name);

// Records 1 and 2 of "plt.hat" (80 characters each, the blank-before-point
// rule applied):
//   1: "  Plate:  ", the designation (columns 1-13 of the line), 8 blanks,
//      "Full dimension (sqr. degree): ", the full R.A. size in degrees
//      (half size in minutes x 30 / 60, F6.1), " x ", the full Decl. size
//      (2 x half size, F5.1);
//   2: "  Date:   ", year, month, day and the day fraction (".ddddd", right
//      after the day), 5 blanks, "Center: ", then the plate centre as the
//      line writes it: " R.A.= " h m.mm and " Decl.= " sign d m.m when
//      columns 38 and 51 both hold "." (decimal minutes), else " R.A.= "
//      h m s.ss and " Decl.= " sign d ' ".".
// Fails when a field of the centre does not read as a number.
Result<std::array<std::string, 2>> plate_header_records(std::string_view line, std::int32_t jd, double jd_fraction,
                                                        double half_ra_min, double half_dec_deg);

// The whole search. Returns the number of objects listed (0 for an empty
// plate, whose result is the "No objects" record). Fails, with "plt.hat" and
// the results untouched, when the plate line does not pass contr_s1 (the
// message says why), and on any failure to read the package.
Result<std::int32_t> plate_search(LibraryState& st, std::string_view plate_line, double mag_limit);

}  // namespace zelvomat
