// The observatory lists of the data directory.
//
// The package keeps its observatories twice, in parallel:
//  - "observa1.dat", the text list the user edits: fixed 79-byte lines
//    (ObservatoryLine) with no line ends;
//  - "observat.dat", the record list every computation reads by record
//    number: fixed 78-byte binary records (ObservatoryRecord).
// Line n of the text list and record n of the record list belong to the
// observatory whose number is n - 1: the list starts at code 000 and has one
// line for every number up to its last code, free numbers included (their
// lines carry the code and blanks). So the record of observatory number m is
// record m + 1.
//
// Observatory codes are three characters:
//   "000" .. "999"  the numbers 0 .. 999 (500 is the geocentre);
//   "A00" .. "Z99"  1000 + 100 x (the letter's place, A = 0) + the two digits,
//                   so A00 = 1000 and Z99 = 3599; letters in either case.
// Number -1 stands for no valid code, the blank code "   " for no valid number.
//
// The parallax constants are those of the Minor Planet Center's list of
// observatory codes: rho cos phi' and rho sin phi' in Earth radii, phi' the
// geocentric latitude, rho the geocentric distance; longitudes are degrees
// east of Greenwich.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "io/bytes.h"
#include "io/recfile.h"
#include "io/status.h"

namespace zelvomat {

// Number of an observatory code (the first three characters of code; a shorter
// text counts as blank-padded). Returns -1 for the blank code and for a letter
// followed by fewer than two characters ("A5 ", "A  "). A code of neither form
// ("#12", "-12", "A 5", "A5x") is an error whose message names the code.
// Blanks inside a numeric code are skipped: "005", " 5 " and "  5" give 5.
Result<std::int16_t> obs_n(std::string_view code);

// Code of an observatory number: "000" .. "999", "A00" .. "Z99" (capital
// letters); three blanks for a number below 0 or above 3599.
std::string n_obs(int number);

inline constexpr int kMaxObservatoryNumber = 3599;  // Z99

// One line of the text list "observa1.dat": 79 bytes, no line end. Columns
// (counted from 1) and their reading:
//    1-3   observatory code
//    4-13  longitude, degrees east       real, 5 implied decimals
//   14-21  rho cos phi', Earth radii     real, 6 implied decimals
//   22-30  rho sin phi', Earth radii     real, 6 implied decimals, signed
//   31-79  name                          49 characters
// A line of the Minor Planet Center's list (code 1-3, longitude 5-13, rho cos
// phi' 14-21, rho sin phi' 22-30 with its sign, name from 31) is such a line
// once it is cut or blank-padded to 79 characters. The numbers are read by the
// library's rule for fixed-column fields: blanks skipped, an all-blank field
// reads 0, a written point overrides the implied decimals.
struct ObservatoryLine {
    static constexpr std::size_t kLength = 79;
    static constexpr std::size_t kCodeOff = 0, kCodeLen = 3;
    static constexpr std::size_t kLongitudeOff = 3, kLongitudeLen = 10;
    static constexpr int kLongitudeDecimals = 5;
    static constexpr std::size_t kRhoCosOff = 13, kRhoCosLen = 8;
    static constexpr int kRhoCosDecimals = 6;
    static constexpr std::size_t kRhoSinOff = 21, kRhoSinLen = 9;
    static constexpr int kRhoSinDecimals = 6;
    static constexpr std::size_t kNameOff = 30, kNameLen = 49;

    std::string code;            // 3 characters as written
    double longitude_deg = 0.0;  // east of Greenwich
    double rho_cos_phi = 0.0;    // Earth radii
    double rho_sin_phi = 0.0;    // Earth radii, negative south of the equator
    std::string name;            // 49 characters, blank padding kept

    // Reads the first 79 characters of text (a shorter text counts as
    // blank-padded). A numeric field that does not read is an error; the code
    // is kept as text (see to_record).
    static Result<ObservatoryLine> decode(std::string_view text);
};

// One record of the record list "observat.dat": 78 bytes, packed,
// little-endian. Byte offsets:
//    0  i16     observatory number (obs_n of the line's code; -1 when blank)
//    2  double  longitude, degrees east
//   10  double  rho cos phi', Earth radii
//   18  double  rho sin phi', Earth radii
//   26  char50  name: the 49 characters of the line and one blank
//   76  char2   two blanks
struct ObservatoryRecord {
    static constexpr std::size_t kLength = 78;
    static constexpr std::size_t kNumberOff = 0;
    static constexpr std::size_t kLongitudeOff = 2;
    static constexpr std::size_t kRhoCosOff = 10;
    static constexpr std::size_t kRhoSinOff = 18;
    static constexpr std::size_t kNameOff = 26, kNameLen = 50;
    static constexpr std::size_t kFillOff = 76, kFillLen = 2;

    std::int16_t number = -1;
    double longitude_deg = 0.0;
    double rho_cos_phi = 0.0;
    double rho_sin_phi = 0.0;
    std::string name;  // 50 characters, blank padding kept

    // rec must hold kLength bytes.
    void encode(io::MutBytes rec) const;
    static ObservatoryRecord decode(io::Bytes rec);
};

// The record made from a line: its code's number and its values; an error
// when the code cannot be read.
Result<ObservatoryRecord> to_record(const ObservatoryLine& line);

// The path of one of the observatory lists in the data directory: settings
// record 4 of "setpar" (read now, blanks trimmed) followed by name, found
// whatever the case of an existing file's name.
Result<std::string> observatory_file(std::string_view name);

// The geocentre's code. An observation line or a task that names 500 is
// geocentric whether or not the list holds a record for it: nothing reads its
// record.
inline constexpr int kGeocentreCode = 500;
// The codes whose listed values are kept as they stand instead of being taken
// as a site on the Earth's surface: the geocentre (500), and the two codes that
// the Minor Planet Center's list gives without a site (244 occultations reduced
// to the geocentre, 248 the Hipparcos satellite).
constexpr bool is_geocentric_code(int number) { return number == kGeocentreCode || number == 244 || number == 248; }
// The record that stands for the geocentre when the list holds none for 500.
ObservatoryRecord geocentre_record();

// Reads the record of observatory number (record number + 1) of an open
// "observat.dat"; an error when the number is negative or past the list, or
// when the record's longitude or parallax constants are not finite numbers.
Result<ObservatoryRecord> read_observatory(const io::RecordFile& records, int number);
// The list holds a record at the place of observatory number (whatever the
// record says): a failure of read_observatory there is a damaged record, not
// a missing one.
bool has_record_slot(const io::RecordFile& records, int number);

// Identity of the record list "observat.dat" as it stands now: how many times
// the library has rewritten it (obswri) and the file's device, inode, size and
// modification time (size -1 when the file cannot be examined). A routine that
// keeps an observatory's record between calls keeps the stamp with it and
// reads the record again when the stamp has changed, so a list edited and
// rebuilt, or replaced from outside, is never served from an old copy. The
// count covers rewrites within one tick of the file system's clock.
struct ObservatoryListStamp {
    std::uint64_t rewrites = 0;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = -1;
    std::int64_t mtime_ns = 0;
    bool operator==(const ObservatoryListStamp&) const = default;
};

// The count of the library's rewrites of the record list (one area).
struct ObservatoryListWrites {
    std::uint64_t count = 0;
};
ObservatoryListStamp observatory_records_stamp(const ObservatoryListWrites& writes, const std::string& path);

// The bodies of the exports (see zelvomat.h).
Result<std::string> observatory_list_name();                      // obspat: the text list's path
Status write_observatory_records(ObservatoryListWrites& writes);  // obswri
Status backup_observatory_records();                              // obsbak
Status backup_observatory_list();                                 // obsba1

}  // namespace zelvomat
