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
// their defaults. Bytes past the layout are ignored.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "gdi.h"

namespace fw {

class SettingsFile {
public:
    // Each colour is a field of its own (4 bytes).
    SettingsFile& colors(std::span<Colorref> colors);
    SettingsFile& color(Colorref& c);
    // A logical font (60 bytes). A font read with a size, an angle or a
    // weight outside what a font can have (|height|, |width| above 1000,
    // angles beyond 3600 tenths of a degree, weight outside 0-1000) is not
    // taken: the font keeps its default.
    SettingsFile& font(LogFont& f);
    SettingsFile& int32(std::int32_t& v);
    SettingsFile& float64(double& v);
    // A name in a field of width bytes: written zero-padded (cut to width),
    // read up to its first zero byte. Taken only when read whole.
    SettingsFile& text(std::string& s, std::size_t width);

    // Total size of the layout in bytes.
    std::size_t size() const;

    enum class Outcome { Missing, Empty, Short, Whole };
    // Reads the file over the variables (see above).
    Outcome read(const std::string& path);
    // The same from bytes in memory.
    Outcome parse(std::span<const std::uint8_t> bytes);
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
        std::function<void(std::uint8_t*)> store;       // the variable into size bytes
        std::function<void(const std::uint8_t*)> load;  // size bytes into the variable
    };
    std::vector<Field> fields_;
};

}  // namespace fw
