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
// The file is mapped into memory once when opened: a record is then a pointer
// into the mapping, and switching records costs nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "io/mapfile.h"
#include "io/status.h"

namespace zelvomat {

inline constexpr int kDeRecordWords = 1018;
inline constexpr std::size_t kDeRecordBytes = 8 * kDeRecordWords;
inline constexpr int kDeFirstDataRecord = 3;
inline constexpr double kDeRecordDays = 32.0;

class EphemerisFile {
public:
    static Result<std::shared_ptr<const EphemerisFile>> open(const std::string& path);

    const std::string& path() const { return path_; }
    // Number of whole records in the file.
    std::int64_t record_count() const { return records_; }
    // The 1018 words of record n (1-based), or nullptr when the record is not
    // whole in the file.
    const double* record(std::int64_t n) const {
        if (n < 1 || n > records_) return nullptr;
        return words_ + (n - 1) * kDeRecordWords;
    }

private:
    io::MappedFile map_;
    std::vector<double> decoded_;  // the words on a big-endian host
    const double* words_ = nullptr;
    std::int64_t records_ = 0;
    std::string path_;
};

}  // namespace zelvomat
