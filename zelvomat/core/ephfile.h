// The planetary ephemeris file: JPL's binary DE403/DE405 layout.
//
// Fixed records of 1018 little-endian IEEE doubles (8144 bytes). Records 1
// and 2 are JPL's header records (titles, constant names, span, AU, Earth-Moon
// mass ratio, coefficient pointers; the constants' values), read when the
// file is opened (EphemerisHeader below): the reader takes the coefficient
// layout, the AU and the Earth-Moon mass ratio from them and refuses a file
// whose layout it cannot serve. Data record k (k >= 3) covers the 32 days
// from first + 32 (k - 3), first being the file's first Julian date (TDB):
// word 1 its start date, word 2 its end date, then the Chebyshev coefficient
// blocks (km) at the words the header's layout gives.
//
// A record is read from the file (pread) the first time a reader turns to it,
// checked, and kept in memory with the file: a file cut or replaced while the
// library holds it open is a failed read that the caller sees, never a fault
// of the process, and a record read once costs nothing the next time.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "io/recfile.h"
#include "io/status.h"

namespace zelvomat {

inline constexpr int kDeRecordWords = 1018;
inline constexpr std::size_t kDeRecordBytes = 8 * kDeRecordWords;
inline constexpr int kDeFirstDataRecord = 3;
inline constexpr double kDeRecordDays = 32.0;
// No word of a record is larger: the coefficients are kilometres of the
// planets' distances (Pluto's is below 1e10 km) and the dates Julian dates.
inline constexpr double kDeLargestWord = 1e15;

using DeRecordWords = std::span<double, kDeRecordWords>;

// Most coefficients per component the reader evaluates.
inline constexpr int kDeMaxCoefficients = 18;

// Coefficient blocks of a data record, rows in file body numbering 1 .. 11
// and 12 the nutations (never evaluated).
struct EphemerisRecordRow {
    int first_word;    // 1-based word of the record where the block starts
    int coefficients;  // per component
    int subintervals;  // of the 32-day record
};
using EphemerisLayout = std::array<EphemerisRecordRow, 12>;

// The layout of JPL's DE403 and DE405 files.
inline constexpr EphemerisLayout kEphemerisRecordTable{{
    {3, 14, 4},    // Mercury
    {171, 10, 2},  // Venus
    {231, 13, 2},  // Earth-Moon barycentre
    {309, 11, 1},  // Mars
    {342, 8, 1},   // Jupiter
    {366, 7, 1},   // Saturn
    {387, 6, 1},   // Uranus
    {405, 6, 1},   // Neptune
    {423, 6, 1},   // Pluto
    {441, 13, 8},  // Moon, geocentric
    {753, 11, 2},  // Sun
    {819, 10, 4},  // nutations
}};

// Byte offsets of header record 1 (JPL's binary layout).
namespace de_header {
inline constexpr std::size_t kTitles = 0;  // 3 lines of 84 characters
inline constexpr std::size_t kTitleBytes = 84;
inline constexpr std::size_t kNames = 252;  // 400 names of 6 characters
inline constexpr std::size_t kNameBytes = 6;
inline constexpr std::size_t kMaxConstants = 400;
inline constexpr std::size_t kSpan = 2652;           // start JD, end JD, record days (doubles)
inline constexpr std::size_t kConstantCount = 2676;  // int32
inline constexpr std::size_t kAu = 2680;             // km (double)
inline constexpr std::size_t kEmrat = 2688;          // Earth-Moon mass ratio (double)
inline constexpr std::size_t kPointers = 2696;       // 12 x 3 int32: first word, coefficients, sub-intervals
inline constexpr std::size_t kDeNumber = 2840;       // int32
}  // namespace de_header

// What records 1 and 2 say of the file.
struct EphemerisHeader {
    int de_number = 0;
    double first_jd = 0.0;  // span of the file (TDB)
    double last_jd = 0.0;
    double record_days = 0.0;  // 32 for every file the reader serves
    double km_per_au = 0.0;    // the file's astronomical unit
    double au_per_km = 0.0;    // 1 / km_per_au: km to AU by a product, within an ulp of the quotient
    double earth_moon_mass_ratio = 0.0;
    EphemerisLayout layout{};
};

// Reads header records 1 and 2 (8144 bytes each) and checks that the reader
// can serve the file: 32-day records, every body's block within the record
// with 1 .. kDeMaxCoefficients coefficients, an AU and a mass ratio that are
// numbers of their kind, and the values of the constants "AU" and "EMRAT" in
// record 2 (when it names them) equal to those of record 1. The failure says
// what the reader cannot serve.
Result<EphemerisHeader> read_ephemeris_header(std::span<const std::uint8_t> record1,
                                              std::span<const std::uint8_t> record2, const std::string& path);

class EphemerisFile {
public:
    using Record = std::array<double, kDeRecordWords>;

    // Opens the file and reads its header (read_ephemeris_header); a file
    // whose header the reader cannot serve is refused.
    static Result<std::shared_ptr<const EphemerisFile>> open(const std::string& path);

    const std::string& path() const { return path_; }
    const EphemerisHeader& header() const { return header_; }
    // Number of whole records in the file when it was opened, and now.
    std::int64_t record_count() const { return records_; }
    std::int64_t records_now() const;
    // Reads record n (1-based) into words. Fails when the record is not whole
    // in the file as it stands now (a file cut since it was opened) or holds a
    // word that is not a finite number within kDeLargestWord.
    Status read_record(std::int64_t n, DeRecordWords words) const;
    // Record n as read_record reads it, kept after the first time (at most
    // kCachedRecords of them, about 33 MB; then the kept ones are dropped).
    Result<std::shared_ptr<const Record>> record(std::int64_t n) const;
    static constexpr std::size_t kCachedRecords = 4096;

private:
    io::RecordFile file_;
    std::int64_t records_ = 0;
    std::string path_;
    EphemerisHeader header_;
    mutable std::vector<std::shared_ptr<const Record>> kept_;  // by record number - 1
    mutable std::size_t kept_count_ = 0;
};

}  // namespace zelvomat
