// Osculating elements of the yearly element files, and element sets of the
// catalogue objects and the major planets.
//
// Yearly files (data directory), one pair per package year YYYY; binary
// records without separators or header, record r at byte (r-1) x length,
// integers 32-bit little-endian, reals IEEE doubles little-endian:
//   "ad<YYYY>"  4 bytes     record n belongs to catalogue object n:
//                           first x 1000 + count, where first (from 1) is the
//                           index of the object's first set in "el<YYYY>" and
//                           count (0-999) the number of its consecutive sets;
//                           0 when the object has no set that year
//   "el<YYYY>"  2240 bytes  40 element sets of 7 doubles; set s lies in record
//                           (s-1) div 40 + 1 at place (s-1) mod 40, that is at
//                           byte (s-1) x 56 of the file; the last record is
//                           filled up with zero bytes
// The wide index: a year whose sets the 32-bit index word cannot address
// (first x 1000 + count above 2^31 - 1: more than 2,147,482 sets) has an
// "ad<YYYY>" of 8-byte records instead, recognised by its first word:
//   bytes 0-7                i32 -8 (a word the 4-byte layout never holds:
//                            its words are not negative), i32 0
//   record n at byte 8 n     i64 first x 1000 + count, as above
// "el<YYYY>" keeps its layout. The builder writes the wide index only for a
// year that needs it; the reader takes either.
// An element set: epoch (Julian date, TT), M, argument of perihelion,
// ascending node, inclination (radians), eccentricity, mean motion (radians
// per day); ecliptic and equinox J2000. The sets of one object are consecutive
// and in ascending order of epoch, each near one of the object's oppositions.
//
// "orb.elm" (data directory): the mean elements of the nine major planets at
// the catalogue epoch, record k of 48 bytes = planet k (1 Mercury .. 9 Pluto):
// M, argument of perihelion, node, inclination (radians, ecliptic J2000),
// eccentricity, mean motion (radians per day), 6 doubles at 0, 8, .., 40.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/catalog.h"
#include "core/fallback.h"
#include "core/setpar.h"
#include "io/status.h"

namespace zelvomat {

struct CoreState;
struct ElementCache;

// ---- Layout -------------------------------------------------------------------
namespace yearly {
inline constexpr std::size_t kIndexRecord = 4;  // "ad<YYYY>": one i32 per object
inline constexpr std::size_t kSetWords = 7;     // epoch and six elements
inline constexpr std::size_t kSetBytes = 8 * kSetWords;
inline constexpr std::size_t kSetsPerRecord = 40;
inline constexpr std::size_t kSetsRecord = kSetsPerRecord * kSetBytes;  // 2240, "el<YYYY>"
// Offsets inside a set.
inline constexpr std::size_t kSetEpoch = 0;
inline constexpr std::size_t kSetElements = 8;  // M, peri, node, incl, e, n at 8, 16, .., 48
// Index word = first x kCountFactor + count.
inline constexpr std::int32_t kCountFactor = 1000;
// The wide index (see above): header of 8 bytes, then 8-byte words.
inline constexpr std::size_t kWideIndexRecord = 8;
inline constexpr std::size_t kWideIndexHeader = 8;
inline constexpr std::int32_t kWideIndexMarker = -8;
inline constexpr std::int32_t kMaxSetsPerObject = 999;
// The yearly files serve dates from J1 - 70 days to J2 + 70 days (J1, J2 of
// PackageInfo); the catalogue serves the others.
inline constexpr double kSpanMarginDays = 70.0;
// A set is accepted when it lies within 60 / count days of the date.
inline constexpr double kAcceptWindowDays = 60.0;
// Mean motion of the Earth (degrees per day) for the synodic period.
inline constexpr double kEarthMotionDegPerDay = 0.97;
}  // namespace yearly

// "orb.elm" (the planets' mean elements) has its layout in core/fallback.h.

// Flags of elmnt.
struct ElementFlags {
    bool bad_number = false;      // n outside 1 .. total count; nothing else set
    bool from_catalogue = false;  // the catalogue elements (date outside the span, or no set found)
    bool accepted = false;        // the set lies close enough to the date to be trusted
};

// Osculating elements of catalogue object n (1 .. total count of PackageInfo)
// for the Julian date jd (TT).
//   year      0, or a year whose files are searched first (in place of the
//             calendar year of jd);
//   elements  out: M, argument of perihelion, node, inclination (radians,
//             ecliptic J2000), eccentricity, mean motion (rad/day) of the set
//             whose epoch lies nearest jd, with M carried to jd by the mean
//             motion; untouched when flags.bad_number is set or on failure;
//   data_dir  the data directory (settings record 4; trailing blanks ignored).
// Notes:
//  1. Dates before J1 - 70 days or from J2 + 70 days on, and objects without a
//     set in the years searched, take the catalogue elements (catelem; the
//     catalogue must be open), M carried from the catalogue epoch, which is
//     stored in PackageInfo; flags.from_catalogue is set, accepted is not.
//  2. Search: the year of jd (or `year`); when the object has no set there,
//     the next year for dates from July on, else the previous one; then the
//     first of the years -1, +1, -2, +2 from that one that lies in the
//     package and is not the first year tried. A set is accepted when it
//     lies within 60 / count days of jd or when the year's settings record 8
//     value is below the object's first set index. A set not accepted may send
//     the search once to a neighbouring year: the next when jd lies more than
//     half a synodic period (with respect to the Earth) less 60 (1 - 1/count)
//     days after the set, the previous when as much before it; an accepted
//     set there is taken, otherwise the nearer of the two (on a tie the
//     neighbour's).
//  3. A year whose "ad" or "el" file is missing counts as a year without sets
//     for any object; a file that is present but too short for the records
//     asked, a negative index word, or a set read that holds a value that is
//     not a finite number, is an error.
//  4. The files stay mapped between calls, checked against their sizes at
//     each exported call (elemcache.h).
Status elmnt(CoreState& core, std::int32_t n, double jd, std::int32_t year, OrbitElementsArray& elements,
             ElementFlags& flags, std::string_view data_dir);

// The element set that elmnt takes for (n, jd, year), as it stands in the
// yearly file or the catalogue: its epoch and elements, M at that epoch.
// elmnt returns elements_at(set, jd) of it; callers that keep something
// computed from a set (a state, a bound) compare sets to know whether it
// still applies. Flags, failures and the untouched set on bad_number as
// elmnt.
Status elmnt_set(CoreState& core, std::int32_t n, double jd, std::int32_t year, ElementSet& set, ElementFlags& flags,
                 std::string_view data_dir);

// elmnt_set, and the dates around jd over which elmnt_set(n, date, year)
// takes the same set: every comparison of the date that the search makes
// (the package span, the calendar month, the nearest epoch, the acceptance
// window, the neighbouring year's opposition) comes out as for jd at any
// date of [span.lo, span.hi] (infinite ends when nothing bounds them; jd
// alone when it lies on a threshold). Flags and failures as elmnt_set.
struct JdSpan {
    double lo = 0.0, hi = 0.0;
};
Status elmnt_set_span(CoreState& core, std::int32_t n, double jd, std::int32_t year, ElementSet& set,
                      ElementFlags& flags, JdSpan& span, std::string_view data_dir);

// Every set of object n (1 .. the objects of the index) in the yearly files of
// the calendar year `year`, in ascending order of epoch; none when the year
// has no files or the object no set in them. Damaged files are errors as in
// elmnt (note 3).
Result<std::vector<ElementSet>> yearly_sets(ElementCache& cache, std::int32_t n, std::int32_t year,
                                            std::string_view data_dir);

// The elements of a set referred to the date jd: M carried from the set's
// epoch by its mean motion, the other five as they are.
OrbitElementsArray elements_at(const ElementSet& set, double jd);

// The element set of object n: for n >= 1 the catalogue's (catelem; the
// catalogue must be open); for n = k - 100, k = 1 (Mercury) .. 9 (Pluto), the
// planet's elements of "orb.elm" with the catalogue epoch of settings record
// 6, the data directory from settings record 4 ("setpar" of the working
// directory). Any other number is an error.
Result<ElementSet> object_element_set(const CatalogueState& cat, std::int32_t n);

// Mean elements of planet k (1 .. 9) from "orb.elm" of the data directory.
Result<OrbitElementsArray> read_planet_elements(std::string_view data_dir, int k);

// Writer of the yearly files of one package year: the one place where their
// layout is written (the package builder and the tests use it).
class YearlyElementsWriter {
public:
    // objects: total count of the catalogue; "ad<YYYY>" gets one record per
    // object, 0 for objects without sets.
    explicit YearlyElementsWriter(std::int32_t objects);

    // The year's sets of object n (1 .. objects), in ascending order of
    // epoch, at most 999 of them. Objects' sets are laid out in "el<YYYY>" in
    // the order of the calls. An empty list leaves the object without sets.
    // Refused: n out of range or given before, too many sets, epochs not
    // ascending.
    Status add(std::int32_t n, std::span<const ElementSet> sets);

    // Writes dir + "ad<YYYY>" and dir + "el<YYYY>" (dir ending with "/", or
    // empty for the working directory). Each file is written under a
    // temporary name and renamed into place (io::write_file_bytes), so that a
    // reader never finds a file half written. The index takes the 4-byte
    // layout when every word fits in 32 bits, else the wide one.
    Status write(std::string_view dir, int year) const;

    // Room for this many sets in all, made at once (a year of millions of
    // sets is assembled without growing the buffer step by step).
    void reserve(std::int64_t sets);

    std::int64_t set_count() const { return sets_; }
    // True when write() gives "ad<YYYY>" the wide layout.
    bool wide() const { return wide_; }

private:
    std::vector<std::int64_t> index_;  // index word of object n at n - 1
    std::vector<std::uint8_t> bytes_;  // "el<YYYY>" without the final filling
    std::int64_t sets_ = 0;
    bool wide_ = false;
};

// The index word of object n (1-based) in the bytes of an "ad<YYYY>" file of
// either layout; an error naming `path` when the file has no record for n or
// the word is negative.
Result<std::int64_t> yearly_index_word(std::span<const std::uint8_t> ad, std::int32_t n, const std::string& path);

}  // namespace zelvomat
