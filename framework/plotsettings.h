// The binary settings files of the plots: a fixed sequence of fields
// (colours, fonts, numbers, zero-padded names), little-endian and packed,
// read when a plot is created and written when it closes.
//
// A layout is declared once, field by field, over the plot's own variables,
// which hold their defaults when the file is read:
//
//     fw::SettingsFile f;
//     f.colors(colors).font(infoFont).font(labelFont);   // "plate.cfg": 152 bytes
//     f.read(path);      // a missing or empty file keeps every default
//     ...
//     f.write(path);     // all fields, in order
//
// Reading stops at the first field that the file does not hold whole: the
// fields before it take the file's values, the field cut short takes the
// bytes that are there over the first bytes of its default (or keeps its
// default, for a field declared whole-only), and the fields after it keep
// their defaults.
//
// A damaged file gives no value that the plot cannot use: a value outside
// its field's range (a colour with its high byte set, a font no font can
// have, a number outside its bounds, a double that is not a number) is not
// taken, its variable keeps its default, and the other fields are read. A
// file larger than its layout is no file of this layout: it is not read at
// all. Either is reported by read() in a warning naming the file.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "gdi.h"

namespace fw {

class SettingsFile {
public:
    // Each colour is a field of its own (4 bytes): red, green, blue and a
    // zero byte; a colour with its fourth byte set is not taken.
    SettingsFile& colors(std::span<Colorref> colors);
    SettingsFile& color(Colorref& c);
    // A logical font (60 bytes). A font read with a size, an angle or a
    // weight outside what a font can have (|height|, |width| above 1000,
    // angles beyond 3600 tenths of a degree, weight outside 0-1000) is not
    // taken: the font keeps its default.
    SettingsFile& font(LogFont& f);
    // A number; one outside lowest-highest is not taken. what names the
    // field in the warning.
    SettingsFile& int32(std::int32_t& v, const char* what = "a number",
                        std::int32_t lowest = std::numeric_limits<std::int32_t>::min(),
                        std::int32_t highest = std::numeric_limits<std::int32_t>::max());
    // A double; one that is not finite or lies outside lowest-highest is not
    // taken.
    SettingsFile& float64(double& v, const char* what = "a number", double lowest = -std::numeric_limits<double>::max(),
                          double highest = std::numeric_limits<double>::max());
    // A name in a field of width bytes: written zero-padded (cut to width),
    // read up to its first zero byte. Taken only when read whole.
    SettingsFile& text(std::string& s, std::size_t width);

    // Total size of the layout in bytes.
    std::size_t size() const;

    enum class Outcome { Missing, Empty, Short, Whole, TooLarge };
    // Reads the file over the variables (see above); a file larger than the
    // layout or values not taken are reported in a warning.
    Outcome read(const std::string& path);
    // The same from bytes in memory, without the warning (bytes past the
    // layout are not looked at).
    Outcome parse(std::span<const std::uint8_t> bytes);
    // The fields whose values the last read or parse did not take, as
    // "colour 3" or the name a number was declared with.
    const std::vector<std::string>& refused() const { return refused_; }
    // The variables as the file's bytes.
    std::vector<std::uint8_t> bytes() const;
    // Writes the file (beside it first, then in its place); false when it
    // cannot be written, the old file then stays as it was and a warning
    // names the file and the reason.
    bool write(const std::string& path) const;

private:
    struct Field {
        std::size_t size;
        bool wholeOnly;
        std::string what;
        std::function<void(std::uint8_t*)> store;  // the variable into size bytes
        // Size bytes into the variable; false when they are no value of it.
        std::function<bool(const std::uint8_t*)> load;
    };
    std::vector<Field> fields_;
    std::vector<std::string> refused_;
    int colorCount_ = 0;
    int fontCount_ = 0;
};

}  // namespace fw
