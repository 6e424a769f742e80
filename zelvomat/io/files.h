// File names and paths.
//
// Every file of the system has one spelling, kept in this table, which both
// the library and the main program use. Files of a data package that a user
// brings from elsewhere are found whatever the case of their names.
#pragma once

#include <string>
#include <string_view>

#include "io/status.h"

namespace zelvomat::files {

// Working directory.
inline constexpr std::string_view kSettings = "setpar";     // package settings records
inline constexpr std::string_view kPathFile = "setpath";    // data directory of the installation
inline constexpr std::string_view kOrbitExchange = "orbit.tmp";  // name and number of the orbit view's object
inline constexpr std::string_view kEphTask = "eph.cfg";     // ephemeris task record, 1418 bytes
inline constexpr std::string_view kEphCheck = "eph.cf1";    // the same record, for the task check
inline constexpr std::string_view kOcTask = "omc.cfg";      // O-C orbit set-up, ephemeris record layout
inline constexpr std::string_view kMinorCentre = "minor";   // number of a minor-object centre, one line
// Data directory.
inline constexpr std::string_view kEphemeris = "coorbp";    // planetary ephemeris, DE403 layout
inline constexpr std::string_view kDeltaT = "ephcorr";      // Delta T table
inline constexpr std::string_view kTempDir = "TMP/";        // beside the "/el/" data directory
// Data directory: the observatory lists and their backups.
inline constexpr std::string_view kObservatoryList = "observa1.dat";          // 79-byte text lines
inline constexpr std::string_view kObservatoryRecords = "observat.dat";       // 78-byte binary records
inline constexpr std::string_view kObservatoryListBackup = "observa1.bak";    // copy of "observa1.dat"
inline constexpr std::string_view kObservatoryRecordsBackup = "observat.bak"; // copy of "observat.dat"
inline constexpr std::string_view kCatIndex = "indnm";      // element catalogue: name order
inline constexpr std::string_view kCatNames = "elinm";      // element catalogue: names
inline constexpr std::string_view kCatMagnitudes = "elih";  // element catalogue: absolute magnitudes H
inline constexpr std::string_view kCatSlopes = "elig";      // element catalogue: slope parameters G
inline constexpr std::string_view kCatElements = "elitel";  // element catalogue: osculating elements
// Data directory: the fallback planetary theory.
inline constexpr std::string_view kPlanetElements = "orb.elm";  // mean elements of the nine planets, 9 x 48 bytes
inline constexpr std::string_view kMoonSeries = "moon.xyz";     // series of the geocentric Moon, 2736 bytes

}  // namespace zelvomat::files

namespace zelvomat::io {

// dir (ending with "/", or empty for the working directory) followed by name.
// When no file of exactly that name exists, a file whose name differs only in
// letter case is taken; when none exists either, the exact path is returned.
std::string find_file(std::string_view dir, std::string_view name);

bool file_exists(const std::string& path);

// Size of a file in bytes; -1 when the file cannot be examined.
long long file_size(const std::string& path);

}  // namespace zelvomat::io
