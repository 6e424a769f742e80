// Opposition dates of the catalogue objects.
//
// The data package has one opposition file per package year, "opp<YYYY>"
// (data directory), listing the oppositions (sense below) of every catalogue
// object in that calendar year, at most three of one object, in ascending
// date order:
//
//   direct access, 12-byte records, record n at byte 12 (n - 1), no header:
//     offset 0  double  Julian date (TT) of the opposition
//     offset 8  i32     catalogue number of the object
//
// The number of records of the file of year y is entry y - first year + 1 of
// the five counts of settings record 7 (DataPaths::opp_counts), so a package
// has at most five years. Only the counted records belong to the year; a file
// shorter than its count is an error.
//
// Routines:
//   opfop          opens the file of the year of a date and finds the first
//                  opposition at or after the date (bisection);
//   Datopp         the oppositions of one object in a calendar year, found by
//                  stepping its two-body orbit from the catalogue elements and
//                  the Earth on a one-day grid;
//   Prdat          replaces a date of Datopp by the date of the opposition
//                  file when the file lists the object within one day of it;
//   opposition_times   the oppositions of an orbit given by element sets to
//                  1e-6 day, as the package builder writes them into the
//                  files;
//   EmpephRecord, emp_heading   the opposition data of the "empeph" file.
//
// Opposition, here and in the files: the directions of the object and of the
// Earth from the Sun, projected on the equator of J2000, coincide, the object
// farther from the Sun in that projection (and on the Earth's side of it).
// Then the object's geocentric right ascension is that of the point opposite
// the Sun: opposition in right ascension, the sense in which the
// identification and the plate search predict the oppositions of the objects
// they look for. (For an object far from the ecliptic it lies days to two
// months from the opposition in ecliptic longitude.) Geometric positions: no
// light time, no aberration.
//  - The files: from the osculating element sets of the integrated orbits
//    (the yearly element files), the root found to 1e-6 day.
//  - Datopp: from the catalogue elements by two-body motion, on a one-day grid
//    (two days in the comets edition) with linear interpolation; it differs
//    from the files by the perturbations since the catalogue epoch and the
//    interpolation, a fraction of a day for nearly every object, which is
//    why Prdat takes a file's date that lies within one day.
// In both, the Earth comes from the planetary ephemeris file inside its span
// (DeState) and from the fallback theory (eaa) outside it.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/catalog.h"
#include "core/destate.h"
#include "core/frames.h"
#include "io/bytes.h"
#include "io/recfile.h"
#include "io/status.h"

namespace zelvomat {

struct CoreState;

// ---- The opposition files ------------------------------------------------------

struct OppositionRecord {
    static constexpr std::size_t kLength = 12;
    static constexpr std::size_t kJdOff = 0;      // double
    static constexpr std::size_t kNumberOff = 8;  // i32

    double jd = 0.0;
    std::int32_t number = 0;

    // rec must hold kLength bytes.
    void encode(io::MutBytes rec) const;
    static OppositionRecord decode(io::Bytes rec);
};

// The five per-year record counts of settings record 7, first year first.
using OppositionCounts = std::array<std::int32_t, 5>;

// The opposition file of one year as opfop leaves it: open, with the count
// of its records. Closed when the object goes out of scope.
class OppositionFile {
public:
    bool is_open() const { return file_.is_open(); }
    int year() const { return year_; }
    std::int32_t count() const { return count_; }
    // Record n, 1 <= n <= count(); any other n, a closed file or a failed
    // read is an error.
    Result<OppositionRecord> read(std::int32_t n) const;
    // Records n .. m in one read, m the last whose date is not later than
    // last_jd (none when record n is later): the end found by bisection.
    // The file's dates must be in ascending order, as the builder writes them.
    Result<std::vector<OppositionRecord>> read_until(std::int32_t n, double last_jd) const;
    void close();

    // Opens "opp<year>" of data_dir (trailing blanks removed; the name found
    // whatever its case) with count records. A file that cannot be opened or
    // holds fewer than count records is an error, and the object is closed.
    Status open(std::string_view data_dir, int year, std::int32_t count);

private:
    io::RecordFile file_;
    int year_ = 0;
    std::int32_t count_ = 0;
};

// A record read from an opposition file (path, record n) whose date is not a
// positive Julian date of the calendar is an error: the file is damaged.
Status check_opposition_record(const OppositionRecord& r, const std::string& path, std::int64_t n);

// Year (Gregorian, civil date) of the Julian date jd; a jd beyond the
// calendar's range (datajd.h), or not a number, counts as its nearer end.
int year_of_jd(double jd);
// Julian date of 1 January 0h of year.
double new_year_jd(int year);

// The opposition files of the package years as the searches read them: each
// year's file mapped at its first use, its records decoded where a search
// reads them (no read per record). Years are mapped under a lock, so that
// the threads of one run share the object; records are checked as they are
// decoded (check_opposition_record).
class OppositionYears {
public:
    OppositionYears(std::string_view data_dir, const OppositionCounts& counts, int first_year, int last_year);
    ~OppositionYears();
    OppositionYears(const OppositionYears&) = delete;
    OppositionYears& operator=(const OppositionYears&) = delete;
    int first_year() const { return first_; }
    int last_year() const { return last_; }

    // As opfop: the file of the year of jd and the index (from 0) of its
    // first record whose date is not earlier than jd; none when the year lies
    // outside the package years (or the five counted ones), the year has no
    // records or none at or after jd. A year's file missing, shorter than
    // its count or with a damaged record met by the search is an error.
    struct Position {
        io::Bytes records;  // the year's records (count x 12 bytes)
        std::size_t index = 0;
        std::size_t count = 0;
        const std::string* path = nullptr;
    };
    Result<std::optional<Position>> find(double jd);
    // Record k (from 0) of a position's year, checked.
    static Result<OppositionRecord> record(const Position& p, std::size_t k);

private:
    struct Year;
    Result<const Year*> year(int y);
    std::string dir_;
    OppositionCounts counts_;
    int first_, last_;
    std::mutex lock_;
    std::vector<std::unique_ptr<Year>> years_;
};

// The first opposition at or after jd in the file of jd's year.
//   year_counts: settings record 7; first_year, last_year: the package years
//   (settings record 6); file: the handle to use (closed first when open);
//   data_dir: settings record 4 (trailing blanks are removed).
//   record := the number of the first record whose date is not earlier than
//   jd, or 0 when there is none (the year's file has no record or all are
//   earlier); err := 1 when jd's year lies outside the package years (or
//   beyond the five years the counts can hold), else 0.
// With record > 0 the file stays open on file and the caller reads on from
// that record (OppositionFile::read up to count()); with record 0 it is
// closed; with err 1 it was never opened.
// Fails (record 0, err 0, the file closed) when the file cannot be opened,
// holds fewer records than its count or a read fails.
Status opfop(const OppositionCounts& year_counts, std::int16_t first_year, std::int16_t last_year, OppositionFile& file,
             std::string_view data_dir, double jd, std::int32_t& record, std::int32_t& err);

// Replaces date (Julian date, in and out) by the date of the opposition
// files when they list object number within one day of it (the first such
// record in date order from date - 1); otherwise date is left as it was.
// The search crosses into the files of the following package years as far as
// date + 1 reaches. The file is closed at return. Arguments as opfop's.
// Fails, date unchanged, when a file cannot be opened or read.
Status Prdat(std::int16_t first_year, std::int16_t last_year, OppositionFile& file, std::string_view data_dir,
             std::int32_t number, double& date, const OppositionCounts& year_counts);

// ---- Oppositions of one object ---------------------------------------------------

// The oppositions of catalogue object number in the calendar year (1 January
// 0h to 1 January 0h of the next year), in the right-ascension sense above:
// count := 0 .. 3 and dates[0 .. count - 1] the Julian dates in time order,
// the other entries 0. Numbers below 1 give count 0 at once. At most three
// dates are kept (a fourth crossing in the year is passed over).
// Needs the open catalogue (catopen) and the span of the planetary ephemeris
// file in DeState (in_par); the request flags of the ephemeris reader are
// neither used nor changed.
// Fails, count 0, for an object the catalogue does not hold, an orbit that
// is not elliptic, or a failed read of the planetary ephemeris file.
Status Datopp(CoreState& core, std::int32_t number, std::int16_t year, std::int16_t& count,
              std::array<double, 3>& dates);

// Heliocentric position of the Earth (AU, mean equator and equinox of J2000)
// at the Julian date jd (TDB): the planetary ephemeris file inside the span
// of DeState, the fallback theory (eaa) outside it.
Status earth_heliocentric(CoreState& core, double jd, Vec3& pos);

// The Earth on a grid of dates: positions at first_jd + k step, k = 0 ..
// size - 1, heliocentric, mean equator and equinox of J2000 (AU).
struct EarthTrack {
    double first_jd = 0.0;
    double step = 1.0;
    std::vector<Vec3> equatorial;
};
// The grid from first_jd to at least last_jd with the given step (days).
Result<EarthTrack> earth_track(CoreState& core, double first_jd, double last_jd, double step);

// The oppositions (the sense above) of an object from from_jd (included) to
// to_jd (excluded), in time order, appended to out.
//   orbit  one or more catalogue ElementSets (epoch, then the six elements,
//          ecliptic J2000, mass 0) in ascending order of epoch; the object's
//          position at a date is the two-body position from the set whose
//          epoch lies nearest the date (the earlier one on a tie): one set
//          is plain two-body motion, the osculating sets of an integration
//          follow the integrated orbit.
//   earth  the Earth's grid, covering from_jd - step to to_jd + step.
// Each sign change on the grid of the cross product of the two projected
// directions is refined to 1e-6 day (regula falsi, Illinois) with the Earth
// of earth_heliocentric, and kept when the object stands on the Earth's side
// of the Sun and farther from it at the root. Fails for an empty orbit, an
// orbit that is not elliptic or a failed read of the planetary ephemeris
// file.
Status opposition_times(CoreState& core, std::span<const ElementSet> orbit, const EarthTrack& earth, double from_jd,
                        double to_jd, std::vector<double>& out);

// ---- The work file "opls1.dat" ---------------------------------------------------------

// The ephemeris driver keeps the opposition dates of each object of a
// near-opposition run in "opls1.dat" (working directory, text lines with
// CR LF) so that a continued run replays them: per object one line with the
// catalogue number in columns 1-6 and the count of dates (0-3) in columns
// 7-8, then one line per date, the Julian date with 3 decimals in columns
// 1-12.
std::string opls_object_line(std::int32_t number, std::int16_t count);
std::string opls_date_line(double jd);
struct OplsObject {
    std::int32_t number = 0;
    std::int16_t count = 0;
};
// Read back by the columns above; a field that is not a number, or a count
// outside 0-3, is an error.
Result<OplsObject> read_opls_object_line(std::string_view line);
Result<double> read_opls_date_line(std::string_view line);

// ---- The EMP opposition data "empeph" ------------------------------------------------

// "empeph" (data directory): direct access, 20-byte text records. Record n
// (1 .. objects in all) belongs to catalogue object n; record objects + i to
// the i-th entry of the extra list of settings records 1, 2, 10 (an object
// with a second opposition record). Columns (offsets from 0):
//   0-1   month of the opposition, 2 digits
//   2-7   text A (6 characters)
//   8-11  text B (4 characters)
//   12-15 text C (4 characters)
//   16-17 two digits of a year
//   18-19 two characters; the first may be "C"
struct EmpephRecord {
    static constexpr std::size_t kLength = 20;
    static constexpr std::size_t kMonthOff = 0, kMonthLen = 2;
    static constexpr std::size_t kTextAOff = 2, kTextALen = 6;
    static constexpr std::size_t kTextBOff = 8, kTextBLen = 4;
    static constexpr std::size_t kTextCOff = 12, kTextCLen = 4;
    static constexpr std::size_t kYearOff = 16, kYearLen = 2;
    static constexpr std::size_t kTailOff = 18, kTailLen = 2;

    int month = 0;  // 0 when the field does not read as a number
    std::string text_a, text_b, text_c;
    std::string year2, tail;

    static EmpephRecord decode(io::Bytes rec);
    // The 7-character date text: "19" and the year digits ("20" when they
    // read as a number below 51), a blank ("-" when the tail starts with
    // "C"), the tail.
    std::string date_text() const;
};

// The EMP record of catalogue object number for an opposition in month:
// record number; when its month differs, the records objects + i for each
// position i (1-based) of extra_list holding number, up to the first whose
// month matches. The last record read is returned; none when record number
// is not in the file (an empty or missing file has no record for any
// object; extra records beyond the end are not looked for). extra_list ends
// at its first zero. Fails when a record cannot be read.
Result<std::optional<EmpephRecord>> emp_record(const io::RecordFile& empeph, std::int32_t number, int month,
                                               std::int32_t objects, std::span<const std::int32_t> extra_list);

}  // namespace zelvomat
