// Element catalogue of the data package: osculating elements, names and
// photometric parameters of the numbered and unnumbered minor planets (or of
// the comets, in the comets edition), and the packed provisional
// designations of the Minor Planet Center.
//
// Catalogue numbers. Object n, 1 <= n <= total count: numbered objects first
// under their official numbers (n = 1 .. numbered count), then the unnumbered
// ones (numbered count + 1 .. total count). A number of the numbered range
// whose object the package does not hold is an absent object: its name record
// is blank, it has no elements and no name lookup ever finds it.
//
// Files (data directory, fixed-length records without separators or header;
// record k at byte (k-1) x length; integers 32-bit little-endian, reals IEEE
// doubles little-endian, texts blank-padded single-byte characters):
//   "indnm"  4 bytes   i32: catalogue number of the k-th name in name order
//                      (k = 1 .. total count, absent objects included)
//   "elinm"  18 bytes  name of object k: for a numbered object the name shown
//                      to the user (proper name or readable designation), for
//                      an unnumbered one the packed designation in
//                      characters 1-7, blanks after; blank for an absent one
//   "elih"   5 bytes   absolute magnitude H as decimal text ("11.25", "   12")
//   "elitel" 48 bytes  elements of object k at the catalogue epoch: mean
//                      anomaly, argument of perihelion, ascending node,
//                      inclination (radians), eccentricity, mean motion
//                      (radians per day); ecliptic and equinox J2000
//   "elig"   9 x count one record of `count` pairs (i32 object number, 5-char
//                      slope parameter G text) in ascending number order;
//                      count is the second word of settings record 9
// Name order ("indnm"): the comparison key of object k (catalogue_key) is its
// name upper-cased, an unnumbered object's packed designation replaced by the
// readable one; keys compare byte by byte as unsigned values over 18 bytes.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "io/mapfile.h"
#include "io/recfile.h"
#include "io/status.h"

namespace zelvomat {

// ---- Layout -------------------------------------------------------------------
namespace catalogue {
inline constexpr std::size_t kIndexRecord = 4;     // "indnm"
inline constexpr std::size_t kNameRecord = 18;     // "elinm"
inline constexpr std::size_t kHRecord = 5;         // "elih"
inline constexpr std::size_t kElementRecord = 48;  // "elitel": 6 doubles at 0, 8, .., 40
inline constexpr std::size_t kSlopePair = 9;       // "elig": i32 at 0, text at 4
inline constexpr std::size_t kSlopeNumberOffset = 0;
inline constexpr std::size_t kSlopeTextOffset = 4;
inline constexpr std::size_t kPhotText = 5;      // width of the H and G texts
inline constexpr std::size_t kPackedWidth = 10;  // packed or readable designation field
inline constexpr double kDefaultSlope = 0.15;    // G when the object has none
inline constexpr std::string_view kDefaultSlopeText = "  X  ";
// The alphabet of the packed forms: position 1 = "1" .. 9 = "9", 10 = "A" ..
// 35 = "Z", 36 = "a" .. 61 = "z".
inline constexpr std::string_view kAlphabet = "123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
}  // namespace catalogue

using NameText = std::array<char, catalogue::kNameRecord>;          // 18 characters
using DesignationText = std::array<char, catalogue::kPackedWidth>;  // 10 characters

// Epoch (Julian date) followed by M, argument of perihelion, node,
// inclination (radians, ecliptic J2000), eccentricity, mean motion (rad/day).
using ElementSet = std::array<double, 7>;

struct CatalogueCounts {
    std::int32_t numbered = 0;
    std::int32_t unnumbered = 0;
    std::int32_t total() const { return numbered + unnumbered; }
};

// G values of the numbered objects that have one ("elig"), ascending numbers.
struct SlopeList {
    std::vector<std::int32_t> numbers;
    std::vector<std::array<char, catalogue::kPhotText>> texts;
};

// The open catalogue: the library's state between calls (not re-entrant).
struct CatalogueState {
    bool open = false;
    std::string data_dir;         // settings record 4, trailing blanks removed
    double epoch_jd = 0.0;        // catalogue epoch (settings record 6)
    std::int32_t comet_mode = 0;  // settings record 14: non-zero in the comets edition
    CatalogueCounts counts;
    SlopeList slopes;
    io::RecordFile index;       // "indnm"
    io::RecordFile names;       // "elinm"
    io::RecordFile magnitudes;  // "elih"
    io::RecordFile elements;    // "elitel"
    // The same four files mapped, so that a record costs a copy instead of
    // a system call (a search tests thousands of objects a line). Records are
    // taken from a mapping only while every mapped file still holds what was
    // mapped, checked at the first read of each exported call; otherwise, or
    // when a file could not be mapped, they are read from the files.
    struct Mapped {
        io::MappedFile index, names, magnitudes, elements;
        mutable std::uint64_t checked_call = 0;
        mutable bool whole = false;
    };
    Mapped mapped;
};

// H and G of an object: the texts as stored and their values.
struct Photometry {
    std::array<char, catalogue::kPhotText> h_text{};
    std::array<char, catalogue::kPhotText> g_text{};
    double h = 0.0;
    double g = catalogue::kDefaultSlope;
};

// Opens the catalogue: reads settings records 14, 6, 9 and 4 of "setpar"
// (working directory), opens "indnm", "elinm", "elih", "elitel" of the data
// directory and loads "elig". May be called again: each call re-reads the
// settings and reopens the files. On failure the previous state is kept.
Status catopen(CatalogueState& cat);

// Closes the four catalogue files; the counts stay as they were, and the next
// catopen opens the files again.
void catclose(CatalogueState& cat);

// The element set of object n (1 .. total count): the catalogue epoch and the
// elements of "elitel" record n. An absent object or a number outside the
// catalogue is an error.
Result<ElementSet> catelem(const CatalogueState& cat, std::int32_t n);

// Catalogue number of an object from its name or designation (18 characters,
// shorter texts blank-padded; letter case and the blank of a designation do
// not matter: "1999ab12" finds "1999 AB12"). 0 when not found, when the
// catalogue is not open, or when a read fails. Allocates nothing.
std::int32_t catnum(const CatalogueState& cat, std::string_view name);

// The 18-character name of object n (1 .. total count): an unnumbered object's
// packed designation is given in its readable form. Blank for an absent one.
Result<std::string> catname(const CatalogueState& cat, std::int32_t n);

// H and G of object n (1 .. total count). G is the default ("  X  ", 0.15)
// unless a numbered object has an "elig" entry. An absent object or a number
// outside the catalogue is an error; so is a text that is not a number.
Result<Photometry> catphot(const CatalogueState& cat, std::int32_t n);

// True when n is an object of the open catalogue (in range, not absent).
bool catalogue_has(const CatalogueState& cat, std::int32_t n);

// Largest 1-based position whose element is below key (0 when list[1] >= key,
// count when list[count] < key); list ascending.
std::int32_t ibsearch(std::span<const std::int32_t> list, std::int32_t key);

// Packed provisional designation (7 characters, 10-character field) to its
// readable form ("J99A12B" -> "1999 AB12", "PLS2040" -> "2040 P-L",
// "J13C00F" -> "A913 CF"), blank-padded to 10. The extended form of cycle
// counts from 620 on ("_QC0000" -> "2026 CA620") is read up to cycle 999
// (the readable form's 10 characters); a larger one gives blanks.
DesignationText desunpack(std::string_view packed);
// Readable provisional designation (blank optional) to its packed form; a
// cycle count from 620 on takes the extended form ("2026 CA620" ->
// "_QC0000").
DesignationText despack(std::string_view readable);

// Comparison key of a name record as "indnm" orders it and catnum compares:
// upper-cased, the first 10 characters unpacked when unnumbered is true.
NameText catalogue_key(std::string_view name_record, bool unnumbered);

}  // namespace zelvomat
