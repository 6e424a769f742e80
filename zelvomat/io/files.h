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
inline constexpr std::string_view kSettings = "setpar";          // package settings records
inline constexpr std::string_view kPathFile = "setpath";         // data directory of the installation
inline constexpr std::string_view kOrbitExchange = "orbit.tmp";  // name and number of the orbit view's object
inline constexpr std::string_view kEphTask = "eph.cfg";          // ephemeris task record, 1418 bytes
inline constexpr std::string_view kEphCheck = "eph.cf1";         // the same record, for the task check
inline constexpr std::string_view kOcTask = "omc.cfg";           // O-C orbit set-up, ephemeris record layout
inline constexpr std::string_view kMinorCentre = "minor";        // number of a minor-object centre, one line
// Working directory: typed orbits. The ".eph" files belong to the ephemeris
// task, the ".omc" files to the O-C task.
inline constexpr std::string_view kElementOrbitEph = "eelm.eph";     // single orbit typed as elements, 20-byte slots
inline constexpr std::string_view kElementOrbitOc = "eelm.omc";      // the same for the O-C task
inline constexpr std::string_view kCoordinateOrbitEph = "xxyz.eph";  // single orbit typed as coordinates, 20-byte slots
inline constexpr std::string_view kCoordinateOrbitOc = "xxyz.omc";   // the same for the O-C task
inline constexpr std::string_view kNongravEph = "ngr.eph";           // A1 A2 A3 of the single orbit, two lines
inline constexpr std::string_view kNongravOc = "ngr.omc";            // the same for the O-C task
inline constexpr std::string_view kElementListDefault = "Eleml.txt";  // user's list of element orbits, default name
inline constexpr std::string_view kCoordinateListDefault =
    "Coord.txt";                                                // user's list of coordinate orbits, default name
inline constexpr std::string_view kUserOrbitsEph = "rabb.da1";  // converted typed orbits, 98-byte records
inline constexpr std::string_view kUserOrbitsOc = "rab1.da2";   // the same for the O-C task
inline constexpr std::string_view kObservatoryMatches = "observat.sp1";  // 54-byte observatory search results
inline constexpr std::string_view kObservatorySelection = "result.ob4";  // 79-byte chosen observatory lines
inline constexpr std::string_view kInquiryReport = "cinquire.inq";       // diagnostic reports on files, text
inline constexpr std::string_view kEphemerisResult = "result.ep4";       // ephemeris result, 82-byte records
// Working directory: the header of each task's result (description records
// and column headings).
inline constexpr std::string_view kEphemerisHeader = "eph.hat";       // 82-byte records
inline constexpr std::string_view kOcHeader = "omc.hat";              // 70-byte records
inline constexpr std::string_view kIdentificationHeader = "ide.hat";  // 82-byte records
inline constexpr std::string_view kPlateHeader = "plt.hat";           // 82-byte records
// Working directory: notes of the O-C driver's failures to open a file, one
// line " Bad opening of " and the file's tag in double quotes.
inline constexpr std::string_view kOcNoteEphemeris = "resoc913.res";  // the planetary ephemeris file ("Lae")
inline constexpr std::string_view kOcNoteNewResult = "resoc713.res";  // a new "result.oc4" ("new PTF")
inline constexpr std::string_view kOcNoteOldResult =
    "resoc398.res";                                              // the old "result.oc4" of a continuation ("old PTF")
inline constexpr std::string_view kOcNoteInput = "resoc99.res";  // "input.oc1" ("Input.oc1")
// Data directory.
inline constexpr std::string_view kEphemeris = "coorbp";       // planetary ephemeris, DE403 layout
inline constexpr std::string_view kDeltaT = "ephcorr";         // Delta T table
inline constexpr std::string_view kTempDir = "TMP/";           // beside the "/el/" data directory
inline constexpr std::string_view kNongrav = "ngr.eff";        // 24-byte records: comets' A1, A2, A3
inline constexpr std::string_view kAbsMagnitudes = "M2C.K2C";  // 16-byte records: absolute magnitude first
// Data directory: the observatory lists and their backups.
inline constexpr std::string_view kObservatoryList = "observa1.dat";           // 79-byte text lines
inline constexpr std::string_view kObservatoryRecords = "observat.dat";        // 78-byte binary records
inline constexpr std::string_view kObservatoryListBackup = "observa1.bak";     // copy of "observa1.dat"
inline constexpr std::string_view kObservatoryRecordsBackup = "observat.bak";  // copy of "observat.dat"
// Data directory: heading templates of the task results (text, 80 columns).
inline constexpr std::string_view kEphemerisHeadings = "EPH.HD2";       // blocks of 5 lines by output kind
inline constexpr std::string_view kOcHeadings = "OMC.HD2";              // blocks of 5 lines by main plane
inline constexpr std::string_view kIdentificationHeadings = "IDE.HD2";  // 7 lines
inline constexpr std::string_view kPlateHeadings = "PLT.HD2";           // 6 lines
inline constexpr std::string_view kCatIndex = "indnm";                  // element catalogue: name order
inline constexpr std::string_view kCatNames = "elinm";                  // element catalogue: names
inline constexpr std::string_view kCatMagnitudes = "elih";              // element catalogue: absolute magnitudes H
inline constexpr std::string_view kCatSlopes = "elig";                  // element catalogue: slope parameters G
inline constexpr std::string_view kCatElements = "elitel";              // element catalogue: osculating elements
inline constexpr std::string_view kPlanetElements = "orb.elm";          // mean elements of the nine major planets
// Data directory: the yearly osculating-element files of a package year,
// "ad" or "el" followed by the year as four digits ("ad1999", "el1999").
inline constexpr std::string_view kYearlyIndexPrefix = "ad";     // 4-byte index records
inline constexpr std::string_view kYearlyElementsPrefix = "el";  // 2240-byte records of 40 element sets
std::string yearly_index(int year);                              // "ad<YYYY>"
std::string yearly_elements(int year);                           // "el<YYYY>"
// Data directory: the fallback planetary theory.
inline constexpr std::string_view kMoonSeries = "moon.xyz";  // series of the geocentric Moon, 2736 bytes
// Data directory: the opposition files of the package years, "opp" followed
// by the year as four digits ("opp2025"), 12-byte records; the EMP
// opposition data; the special list of the identification and plate search.
inline constexpr std::string_view kOppositionPrefix = "opp";
std::string opposition_file(int year);                      // "opp<YYYY>"
inline constexpr std::string_view kEmpeph = "empeph";       // 20-byte text records
inline constexpr std::string_view kSpecialList = "uplist";  // i32 catalogue numbers, ascending
// Working directory: opposition dates of the ephemeris run, kept for its
// continuation (text lines).
inline constexpr std::string_view kOppositionDates = "opls1.dat";

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

// Files of the main program.
namespace zelvomat::files {

// Data directory.
inline constexpr std::string_view kSettingsDelivered = "setpar.new";  // a new settings file waiting to be installed
inline constexpr std::string_view kEpochText = "epoch";               // epoch and equinox of the catalogue elements
inline constexpr std::string_view kElementCacheData = "_elemdat";     // element caches of the element views
inline constexpr std::string_view kElementCacheText = "_elemtxt";
inline constexpr std::string_view kWriteProbe = "xxxx";  // made and deleted to test that a directory is writable
// Beside the program's directory: the installation's copy of the settings.
inline constexpr std::string_view kInstallSettingsDir = "SetPar/";

// Working directory: task files that the main program writes or opens.
inline constexpr std::string_view kOcConfig = "OC1.cfg";        // O-C data type and separation conditions, 41 bytes
inline constexpr std::string_view kOcInput = "input.oc1";       // O-C observation lines, 80 columns and CR LF
inline constexpr std::string_view kOcResult = "result.oc4";     // O-C residuals, 70-byte records
inline constexpr std::string_view kOcSelection = "result.oc5";  // selected O-C residuals, 70-byte records
inline constexpr std::string_view kIdInput = "input.id1";       // identification lines, 80 columns and CR LF
inline constexpr std::string_view kIdResult = "result.id4";     // identification results, 82-byte records
inline constexpr std::string_view kPlateResult = "result.pl4";  // objects found on a plate, 82-byte records
inline constexpr std::string_view kPlateMotion =
    "resul2.pl4";  // their motions, 16-byte records parallel to "result.pl4"

// Work files of the tasks in the working directory, deleted when the main
// program ends (in this order).
inline constexpr std::string_view kTaskWorkFiles[] = {
    "result.pl4", "result.pl2", "resul2.pl4", "opls1.dat",    "input.id1",  "result.id4", "input.oc1",
    "result.oc4", "result.oc5", "result.ep4", "result.ob4",   "result.el4", "eph.hat",    "omc.hat",
    "ide.hat",    "plt.hat",    "eph.cf1",    "observat.sp1", "orbit.tmp"};

}  // namespace zelvomat::files
