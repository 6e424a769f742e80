// The catalogue caches of the element list: "_elemdat" and "_elemtxt" in the
// data directory, built once in one pass over the catalogue files ("elinm",
// "elih", "elig", "elitel") and reused by every element list until they are
// deleted (the start-up deletes them when it installs new settings).
//
// Both caches hold exactly one record per catalogue object, in catalogue
// order: record r (0-based) is the object with catalogue number r + 1, at
// byte r x 72 of "_elemdat" and r x 119 of "_elemtxt".
//
// "_elemdat", ElementRecord, 72 bytes: nine little-endian IEEE doubles
//   0 H   8 G (-1000.0 when the object has none)   16 M   24 Peri   32 Node
//   40 i (degrees)   48 e   56 n (degrees per day)   64 a (AU, from n)
// "_elemtxt", ElementTextRecord, 119 bytes: zero-terminated texts at fixed
// offsets, every byte that no text covers 0:
//   0 number "%6d"   7 name (trailing blanks removed, first character kept)
//   26 H as stored   32 G as stored, or "  X"   38 M "%9.5f"   48 Peri "%9.5f"
//   58 Node "%9.5f"   68 i "%8.5f"   78 e "%9.7f"   88 n "%10.8f"   99 a "%9.7f"
//
// Texts never run into the next field: a value that is not finite or does not
// fit its field is written as asterisks (the list's mark for "no value"); a
// catalogue number of seven digits leaves the number field as asterisks, and
// the list, the export and the print take the number from the record index.
// The semi-major axis keeps to the 11 characters that the export and the
// print give it: from 1000 AU on it is written with fewer decimals.
//
// A cache is accepted only when both files hold exactly the records that the
// settings name; anything else (a short file, a file of an older catalogue)
// is built anew. A build writes into files of its own beside the caches and
// renames them only when complete, so an interrupted build never leaves a
// cache that looks whole.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "zelvomat/core/constants.h"
#include "zelvomat/io/mapfile.h"

namespace zelvo::elements {

// ---- Layouts -----------------------------------------------------------------
inline constexpr std::size_t kDataRecord = 72;
inline constexpr std::size_t kTextRecord = 119;

// ElementRecord field offsets.
namespace dat {
inline constexpr std::size_t kH = 0, kG = 8, kM = 16, kPeri = 24, kNode = 32, kIncl = 40, kE = 48, kN = 56, kA = 64;
}
// ElementTextRecord field offsets and rooms (the room excludes the zero that
// ends the text).
namespace txt {
inline constexpr std::size_t kNumber = 0, kName = 7, kH = 26, kG = 32, kM = 38, kPeri = 48, kNode = 58, kIncl = 68,
                             kE = 78, kN = 88, kA = 99;
inline constexpr std::size_t kNumberRoom = 6, kNameRoom = 18, kPhotRoom = 5, kAngleRoom = 9, kMotionRoom = 10,
                             kAxisRoom = 11;
}  // namespace txt

// A G below this counts as missing (the cache stores -1000.0 for it).
inline constexpr double kMissingSlopeBelow = -999.0;
inline constexpr double kMissingSlope = -1000.0;
inline constexpr double kDefaultSlope = 0.15;
inline constexpr double kDegreesPerRadian = 57.29577951308232;
using zelvomat::kGaussK;

// G as the list compares, sorts and plots it: 0.15 for a missing one.
inline double effectiveSlope(double g) { return g < kMissingSlopeBelow ? kDefaultSlope : g; }

struct ElementRecord {
    double H = 0, G = kMissingSlope, M = 0, Peri = 0, Node = 0, i = 0, e = 0, n = 0, a = 0;
    // Field k of the list's columns 2..10 (H, G, M, Peri, Node, i, e, n, a).
    double column(int k) const;
    // An object that the catalogue does not hold: its number is free and its
    // six elements are zero.
    bool absent() const { return M == 0 && Peri == 0 && Node == 0 && i == 0 && e == 0 && n == 0; }
};

void putRecord(const ElementRecord& r, std::span<std::uint8_t, kDataRecord> out);
ElementRecord getRecord(std::span<const std::uint8_t, kDataRecord> in);

using TextRecord = std::array<char, kTextRecord>;
// The zero-terminated text at offset of a text record, never longer than
// the room of its field (a damaged record cannot run into the next field).
std::string_view textField(const char* record, std::size_t offset);
std::size_t textRoom(std::size_t offset);

// The values of one object as the catalogue files give them.
struct CatalogueObject {
    std::int32_t number = 0;           // catalogue number (record index + 1)
    std::string_view name;             // 18 characters of "elinm"
    std::string_view hText;            // 5 characters of "elih"
    std::optional<std::string> gText;  // 5 characters of "elig", when the object has a G
    std::array<double, 6> elements{};  // M, Peri, Node, i (radians), e, n (radians per day)
};

// The two records of one object.
void makeRecords(const CatalogueObject& o, ElementRecord& rec, TextRecord& text);

// Fixed-point text of value in width characters with decimals, as "%w.df"
// writes it; asterisks (width of them) when the value is not finite or its
// text would be longer than room.
std::string fixedText(double value, int width, int decimals, std::size_t room);

// a = (k sqrt(1 + m) / n)^(2/3): the semi-major axis in AU of a mean motion n
// in radians per day, for a body of mass m in solar masses (0 for a minor
// planet). Not finite when n is 0.
double SemiMajorAxisFromMotion(double n, double m);

// ---- Settings ------------------------------------------------------------------

// What the caches need of the settings file "setpar" of the working
// directory (80-byte records): the data directory (record 4, trailing blanks
// removed), the catalogue epoch, the objects in all and the numbered objects
// (record 6), the number of slope entries (record 9).
struct CatalogueSettings {
    std::string dataDir;
    double epochJd = 0;
    std::int32_t objects = 0;
    std::int32_t numbered = 0;
    std::int32_t slopeCount = 0;
};
// Nothing when the file cannot be opened or is too short to hold these
// records, or when its counts are negative.
std::optional<CatalogueSettings> ReadCatalogueSettings(const std::string& path);

// ---- The caches ------------------------------------------------------------------

class CatalogueCache {
public:
    CatalogueCache() = default;

    // Opens the two caches of the data directory, or builds them when they
    // are missing or do not hold exactly settings.objects records. False when
    // they can neither be opened nor built (no cache file is left then).
    bool openOrBuild(const CatalogueSettings& settings);
    // Builds the two caches anew from the catalogue files; false when a
    // catalogue file is missing or short or a cache cannot be written (no
    // cache file is left then, and whatever the caches held before stays).
    static bool build(const CatalogueSettings& settings);
    void close();
    bool isOpen() const { return open_; }

    std::int32_t count() const { return count_; }
    ElementRecord record(std::int32_t r) const {
        return getRecord(
            std::span<const std::uint8_t, kDataRecord>(data_.bytes().data() + r * kDataRecord, kDataRecord));
    }
    const char* text(std::int32_t r) const {
        return reinterpret_cast<const char*>(text_.bytes().data()) + static_cast<std::size_t>(r) * kTextRecord;
    }
    // The whole "_elemdat" (count x 72 bytes), for scans.
    std::span<const std::uint8_t> dataBytes() const { return data_.bytes(); }

private:
    bool map(const std::string& dir, std::int32_t objects);

    zelvomat::io::MappedFile data_, text_;
    std::int32_t count_ = 0;
    bool open_ = false;
};

}  // namespace zelvo::elements
