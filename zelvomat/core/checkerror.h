// The codes of the input checks (the checks themselves: tasks/checks.h). In
// core, so that the core routines that check their input (contrelm.h) answer
// with the same codes without depending on the tasks.
#pragma once

#include <cstdint>

namespace zelvomat::checks {

// The code every check returns (a 32-bit integer at the export boundary).
enum class CheckError : std::int32_t {
    None = 0,                   // "No error"
    Format = 1,                 // "Format error"
    OutOfRange = 2,             // "Data out of range"
    ObservatoryAbsent = 3,      // "Observatory code is absent"
    PlateRaTooGreat = 4,        // "Dimension of plate in R.A. is too great"
    PlateDeclTooGreat = 5,      // "Dimension of plate in Decl. is too great"
    PlateSizeAbsent = 6,        // "Dimensions of plate  are absent "
    DateOutsidePackage = 7,     // "Date out of range for present package"
    Geocentre = 8,              // "This is geocenter!"
    ObservatoryDataAbsent = 9,  // "Data for the observatory are absent"
    ObservatoryCodeFixed = 10,  // "Observatory code can not be changed"
};

inline constexpr std::int32_t code(CheckError e) { return static_cast<std::int32_t>(e); }

}  // namespace zelvomat::checks
