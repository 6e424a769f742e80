// The data of a photographic plate as the main program holds it: the plate
// line of a plate list (*.plt), its parse, the objects that the library's
// plate search found on it ("result.pl4" with the daily motions of
// "resul2.pl4"), and the document that loads them for the plate's windows.
//
// A plate line, columns from 0:
//   0-14  designation (the parse keeps 0-13)
//   15-18 year (UT), 20-21 month, 23-30 day dd.ddddd
//   32-42 R.A. of the centre: hh mm ss.ss, or hh mm.mm (point in column 37)
//   44    "-" for a southern declination
//   45-54 Decl. of the centre: dd mm ss.s, or dd mm.m (point in column 50)
//   58-62 half size in R.A., minutes of time; 66-69 half size in Decl., degrees
//   77-79 observatory code
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "framework/document.h"

namespace zelvo {

// The standard decimal conversions of a field: leading blanks, an optional
// sign, then digits (and for the floating one a point, decimals and an
// exponent) up to the first other character; 0 when there is no number.
std::int32_t fieldInt(std::string_view text);
double fieldDouble(std::string_view text);

// v in printf's fixed form with decimals places, never "-0.00": a value that
// rounds to zero is shown without a sign.
std::string fixedText(const char* format, double v);

struct ParsedPlate {
    std::string designation;  // columns 0-13
    std::int32_t year = 0, month = 0;
    double day = 0;
    std::int32_t raHours = 0, raMinutes = 0;
    double raSeconds = 0;
    std::int32_t declDegrees = 0, declMinutes = 0;  // as written, unsigned
    double declSeconds = 0;
    double raHalfSize = 0;    // minutes of time
    double declHalfSize = 0;  // degrees
    std::int32_t observatory = 0;
    char declSign = ' ';  // column 44

    // The plate centre, radians.
    double alpha0() const;
    double delta0() const;
};

// Parses a plate line (a shorter line counts as blank-padded). The day is
// read with all its decimals (columns 23-30).
ParsedPlate ParsePlateLine(std::string_view line);

// tan of the half sizes: minutes of time and degrees to radians.
void PlateHalfSizeTangents(const ParsedPlate& plate, double& tanRA, double& tanDecl);

inline constexpr std::size_t kPlateObjectBytes = 82;
using PlateObjectText = std::array<char, kPlateObjectBytes>;

// One object of a plate.
struct PlateObjectRecord {
    std::array<char, 30> name{};  // columns 0-28 of its line, then zero
    std::int32_t raHours = 0, raMinutes = 0;
    double raSeconds = 0;
    std::int32_t declDegrees = 0, declMinutes = 0;  // unsigned; the sign is declSign
    double declSeconds = 0;
    double magnitude = 0;
    // Daily motion in the tangent plane (xi, eta), radians per day.
    double motionXi = 0, motionEta = 0;
    char flag = 0;      // column 30
    char declSign = 0;  // column 49

    bool operator==(const PlateObjectRecord&) const = default;
    std::string nameText() const;  // up to the zero byte
    double alpha() const;          // radians
    double delta() const;
};

// The record of a line of "result.pl4". The library's "No objects" record
// gives an all-zero record (an empty name) and false.
bool PlateObjectFromText(std::span<const char, kPlateObjectBytes> text, PlateObjectRecord& rec);
// The text form of a record (what the library writes).
PlateObjectText PlateObjectToText(const PlateObjectRecord& rec);

// Whether the object lies on the plate (edges included).
bool IsObjectOnPlate(const PlateObjectRecord& rec, const ParsedPlate& plate, double tanRA, double tanDecl);

// The objects of one plate search, as loaded.
struct PlateObjects {
    std::vector<PlateObjectRecord> records;
    std::vector<PlateObjectText> texts;
    std::vector<std::string> messages;  // notices to show, in order
};

// Loads the objects of result (the bytes of "result.pl4") on the plate of
// plateLine. motion holds the bytes of "resul2.pl4" (16 bytes per object:
// the rates of R.A. and Decl., radians per day), or is null when the file
// could not be read: the objects then keep no motion and a notice says so.
// Objects off the plate are dropped; a record that is not the text form of
// its own parse ends loading with a notice, keeping the objects before it.
PlateObjects loadPlateObjects(std::string_view result, const std::string* motion, std::string_view plateLine);

inline constexpr const char* kNoObjectsMessage = "It's no objects on the plate";
inline constexpr const char* kConversionMessage = "Error in CPlateListDoc::Serialize()\nData conversion has error!";
inline constexpr const char* kMotionMessage =
    "The daily motions of the objects cannot be read (resul2.pl4).\nThe objects are shown without motion.";

// The document of the plate object list and the plate plot, opened on
// "result.pl4": it reads "resul2.pl4" beside it and keeps the plate line
// it was loaded for (the windows keep showing that plate whatever later
// searches do).
class CPlateListDoc : public fw::Document {
public:
    // plateLine: the plate of the search that made the document (the
    // plate command hands it in through the template).
    explicit CPlateListDoc(std::string plateLine) : plateLine_(std::move(plateLine)) {}

    const std::string& plateLine() const { return plateLine_; }
    const std::vector<PlateObjectRecord>& records() const { return objects_.records; }
    const std::vector<PlateObjectText>& texts() const { return objects_.texts; }
    int count() const { return static_cast<int>(objects_.records.size()); }

protected:
    bool load(const std::string& path) override;
    bool save(const std::string& path) const override;

private:
    std::string plateLine_;
    PlateObjects objects_;
};

}  // namespace zelvo
