// Package settings: the file "setpar" of the working directory and the
// library's digested copies of it.
//
// "setpar" is a binary file of fixed 80-byte records without separators,
// record n at byte (n-1) x 80, numbers little-endian (32- and 16-bit
// two's-complement integers, IEEE doubles), texts 80 characters blank-padded.
// Directories in records 4 and 5 end with "/". Records 15 and up are not read.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "io/bytes.h"
#include "io/status.h"

namespace zelvomat {

struct CoreState;

namespace setpar {
inline constexpr std::size_t kRecordLength = 80;
inline constexpr int kRecordCount = 14;
// Record numbers.
inline constexpr int kRecEmpephList1 = 1;    // 20 x i32, catalogue numbers with extra "empeph" records
inline constexpr int kRecEmpephList2 = 2;    // 20 x i32, continued
inline constexpr int kRecEphemerisPath = 3;  // text 80: data directory + "coorbp"
inline constexpr int kRecDataDir = 4;        // text 80: data directory, ending with "/"
inline constexpr int kRecTempDir = 5;        // text 80: temporary directory, blank when none
inline constexpr int kRecParams = 6;         // PackageParams below
inline constexpr int kRecOppCounts = 7;      // 5 x i32: records of each year's opposition file
inline constexpr int kRecElementValues = 8;  // 5 x i32: element-file values per package year
inline constexpr int kRecSlopeList = 9;      // i32 (unused), i32 slope-list length
inline constexpr int kRecEmpephList3 = 10;   // 20 x i32, third part of the list
inline constexpr int kRecPerturber1 = 11;    // 6 doubles each: M, peri, node, incl, e, n
inline constexpr int kRecEditionFlag = 14;   // i32: non-zero for the comets edition
// Offsets inside record 6.
inline constexpr std::size_t kParEpoch = 0;       // double, JD of the catalogue elements
inline constexpr std::size_t kParObjects = 8;     // i32, objects in all
inline constexpr std::size_t kParNumbered = 12;   // i32, numbered objects
inline constexpr std::size_t kParSpecial = 16;    // i32, entries of "uplist"
inline constexpr std::size_t kParFirstYear = 20;  // i16, first package year
inline constexpr std::size_t kParLastYear = 22;   // i16, last package year
inline constexpr std::size_t kParEphFirst = 24;   // double, first JD of the ephemeris file
inline constexpr std::size_t kParEphLast = 32;    // double, last JD of the ephemeris file
inline constexpr std::size_t kSlopeCount = 4;     // i32 in record 9, the slope-list length
inline constexpr std::size_t kPathLength = 80;
inline constexpr int kPackageYears = 5;
}  // namespace setpar

// Record 6.
struct PackageParams {
    double catalogue_epoch = 0.0;
    std::int32_t objects = 0;
    std::int32_t numbered = 0;
    std::int32_t special = 0;
    std::int16_t first_year = 0;
    std::int16_t last_year = 0;
    double eph_first_jd = 0.0;
    double eph_last_jd = 0.0;
};
PackageParams decode_params(io::Bytes rec);
void encode_params(io::MutBytes rec, const PackageParams& p);

// Record 6 as a package can hold it, checked once where it is read: a
// catalogue epoch and a span of the planetary ephemeris file that are finite
// Julian dates (the span from its first to its last date, or 0 to 0 for no
// file), counts of objects that are not negative with the numbered ones among
// them, and package years of the calendar in order (or 0 to 0 for none). The
// message names the record and what contradicts.
Status check_params(const PackageParams& p);
// Record 7: no negative count of an opposition file.
Status check_opposition_counts(const std::array<std::int32_t, 5>& counts);

// Six elements: mean anomaly, argument of perihelion, node, inclination
// (radians, ecliptic J2000), eccentricity, mean motion (radians per day).
using OrbitElementsArray = std::array<double, 6>;

// The whole file, as the package builder writes it.
struct PackageSettings {
    std::array<std::int32_t, 60> empeph_list{};    // records 1, 2, 10
    std::string ephemeris_path;                    // record 3 (without padding)
    std::string data_dir;                          // record 4
    std::string temp_dir;                          // record 5
    PackageParams params;                          // record 6
    std::array<std::int32_t, 5> opp_counts{};      // record 7
    std::array<std::int32_t, 5> element_values{};  // record 8
    std::int32_t slope_word1 = 0;                  // record 9
    std::int32_t slope_count = 0;
    std::array<OrbitElementsArray, 3> perturbers{};  // records 11-13
    std::int32_t comet_edition = 0;                  // record 14
};
// Encodes the 14 records. Fails when a path does not fit its record.
Result<std::vector<std::uint8_t>> encode_settings(const PackageSettings& s);
// Decodes a whole file (at least 14 records).
Result<PackageSettings> decode_settings(io::Bytes bytes);

// Digested copy of record 6 (filled by in_par and by the task drivers).
struct PackageInfo {
    std::int16_t first_year = 0;
    std::int16_t last_year = 0;
    double j1 = 0.0;  // JD of 1 January 0h of the year after the first package year
    double j2 = 0.0;  // JD of 1 January 0h of the last package year
    double catalogue_epoch = 0.0;
    std::int32_t objects = 0;
    std::int32_t numbered = 0;
    std::int32_t special = 0;
};

// Records 3, 4, 5 (as stored: 80 characters, blank-padded) and 7.
struct DataPaths {
    std::string ephemeris_path;
    std::string data_dir;
    std::string temp_dir;
    std::array<std::int32_t, 5> opp_counts{};
};

// PackageInfo from record 6 (j1 and j2 computed).
PackageInfo package_info_from(const PackageParams& p);

// The path of a file of the data directory (found whatever its case).
std::string data_file(const DataPaths& paths, std::string_view name);

// Record n of "setpar" (working directory) as the file holds it now; the
// message of a failure names the file.
Result<std::array<std::uint8_t, setpar::kRecordLength>> read_settings_record(int n);
// Record 6 of "setpar" as the file holds it now, checked (check_params).
Result<PackageParams> settings_params();

// Record 4 of "setpar" as the file holds it now: the data directory,
// trimmed, ending with "/". Fails when the file cannot be read or the record
// is blank.
Result<std::string> settings_data_dir();

// Loads records 6, 7, 8, 3, 4, 5 of "setpar" into PackageInfo, DataPaths and
// the areas of the ephemeris reader and of the element files. Either all of
// them are loaded or, on failure, none is changed. Records 6 and 7 are
// checked (check_params, check_opposition_counts).
Status in_par(CoreState& core);

// The body of the setpat export: records 3, 4, 5 from "setpath".
Status set_paths();

}  // namespace zelvomat
