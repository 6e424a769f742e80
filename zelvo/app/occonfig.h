// The O-C configuration file "OC1.cfg" and the texts of the O-C results.
//
// OC1.cfg (working directory): 41 bytes, no line end, little-endian:
//   0  int32  data type code P*100 + C*10 + E (P 1 astrometric, 2 geometric,
//             3 apparent; C 1 equator, 2 ecliptic, 3 horizon; E 1 equinox
//             2000.0, 2 1950.0, 3 true)                              111
//   4  int32  separation on (1) / off (0)                               0
//   8  int32  selection of one observatory on / off                     0
//  12  int32  limits of |O-C| on / off: gates the lower limit          0
//  16  int32  limits of |O-C| on / off: gates the upper limit and is
//             the separation dialog's start value                       0
//  20  3      observatory code                                       " 55"
//  23  9      lower limit of |O-C|, arcseconds, text              "-1       "
//  32  9      upper limit of |O-C|, arcseconds, text              "1.0E+26  "
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "zelvo/app/context.h"

namespace zelvo {

struct OcConfigRecord {
    static constexpr std::size_t kSize = 41;
    std::int32_t code = 111;
    std::int32_t separation = 0;
    std::int32_t oneObservatory = 0;
    std::int32_t lowerLimitOn = 0;
    std::int32_t limitsOn = 0;
    std::string observatory = " 55";       // 3 characters
    std::string lowerLimit = "-1       ";  // 9 characters
    std::string upperLimit = "1.0E+26  ";  // 9 characters

    std::array<std::uint8_t, kSize> bytes() const;
    // The record of the first 41 bytes; nothing when fewer.
    static std::optional<OcConfigRecord> parse(std::span<const std::uint8_t> bytes);
};

// The integer value of a text: optional blanks and sign, then the leading
// digits ("1.0E+26" is 1, "-5" is -5, a text without digits 0).
long long leadingInteger(std::string_view text);

// Whether a data type code names a data type: three digits, each 1, 2 or 3.
bool validDataType(int code);

// Whether the record can be used: a valid data type, the separation switch
// not negative, and each limit that its switch turns on not negative.
bool ocConfigUsable(const OcConfigRecord& r);

// Reads "OC1.cfg" of dir (ending with "/"); nothing when it is missing or
// shorter than 41 bytes.
std::optional<OcConfigRecord> readOcConfig(const std::string& dir);
// Writes "OC1.cfg" of dir beside the old one (write_file); false, with the
// file and the reason shown, when it cannot be written.
bool writeOcConfig(const std::string& dir, const OcConfigRecord& r);

// The header of the O-C input window for a data type: "   " + main plane +
// equinox + kind of positions.
std::string ocHeaderText(int code);

// The accuracy part of an O-C result's header: " Accuracy: " and the model
// shown, with one mark per perturbing body for integration.
std::string ocAccuracyText(const OcAccuracySettings& s);
// The accuracy text of model: 0 " Accuracy: Elliptic motion", 1 " Accuracy:
// Nodes", 2 " Accuracy: Integration " and one mark per perturbing body ("- "
// for a body switched off, Vesta "-"); withRelSun adds "+ rel_Sun " when that
// switch is on. Empty for another model.
std::string accuracy_text(int model, const OcAccuracySettings& s, bool withRelSun);

// The O-C task record when "omc.cfg" of dir is missing or short: blanks
// with the default model, orders and list files; the orbit key is always
// "ZELV" (orbits from the catalogue).
std::string LoadOrbitTaskRecord(const std::string& dir);

// Whether the O-C orbits come from a single typed orbit (not "FELM" or
// "FXYZ", any case).
bool IsSingleOrbitInput(std::string_view record);

}  // namespace zelvo
