// The planetary ephemeris file: JPL's binary DE403/DE405 layout.
//
// Fixed records of 1018 little-endian IEEE doubles (8144 bytes). Records 1
// and 2 are JPL's header records (titles, constant names, span, AU, Earth-Moon
// mass ratio, coefficient pointers; the constants' values); the library does
// not read them. Data record k (k >= 3) covers the 32 days from
// first + 32 (k - 3), first being the file's first Julian date (TDB): word 1
// its start date, word 2 its end date, then the Chebyshev coefficient blocks
// (km) at the words of kEphemerisRecordTable (reade403.h).
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

class EphemerisFile {
public:
    using Record = std::array<double, kDeRecordWords>;

    static Result<std::shared_ptr<const EphemerisFile>> open(const std::string& path);

    const std::string& path() const { return path_; }
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
    mutable std::vector<std::shared_ptr<const Record>> kept_;  // by record number - 1
    mutable std::size_t kept_count_ = 0;
};

}  // namespace zelvomat
