#include "plotsettings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "binfile.h"
#include "messages.h"

namespace fw {

namespace {
void put_u32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
std::uint32_t get_u32(const std::uint8_t* p) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(p[i]) << (8 * i);
    return v;
}
// A font that a damaged file gives (a height of INT_MIN, a width of
// INT_MAX, random bytes) would overflow the arithmetic of every drawing: it
// is not taken, the font keeps its default.
bool usable_font(const LogFont& f) {
    constexpr std::int32_t kMaxSize = 1000;   // pixels or logical units, both ways
    constexpr std::int32_t kMaxAngle = 3600;  // tenths of a degree
    const auto within = [](std::int32_t v, std::int32_t limit) { return v >= -limit && v <= limit; };
    return within(f.height, kMaxSize) && within(f.width, kMaxSize) && within(f.escapement, kMaxAngle) &&
           within(f.orientation, kMaxAngle) && f.weight >= 0 && f.weight <= 1000;
}
}  // namespace

SettingsFile& SettingsFile::colors(std::span<Colorref> colors) {
    for (Colorref& c : colors) color(c);
    return *this;
}

SettingsFile& SettingsFile::color(Colorref& c) {
    fields_.push_back({4, false, "colour " + std::to_string(++colorCount_), [&c](std::uint8_t* p) { put_u32(p, c); },
                       [&c](const std::uint8_t* p) {
                           const Colorref read = get_u32(p);
                           if ((read & 0xFF000000u) != 0) return false;
                           c = read;
                           return true;
                       }});
    return *this;
}

SettingsFile& SettingsFile::font(LogFont& f) {
    fields_.push_back({LogFont::kBytes, false, "font " + std::to_string(++fontCount_),
                       [&f](std::uint8_t* p) {
                           const auto b = f.toBytes();
                           std::memcpy(p, b.data(), b.size());
                       },
                       [&f](const std::uint8_t* p) {
                           const LogFont read =
                               LogFont::fromBytes(std::span<const std::uint8_t, LogFont::kBytes>(p, LogFont::kBytes));
                           if (!usable_font(read)) return false;
                           f = read;
                           return true;
                       }});
    return *this;
}

SettingsFile& SettingsFile::int32(std::int32_t& v, const char* what, std::int32_t lowest, std::int32_t highest) {
    fields_.push_back({4, false, what, [&v](std::uint8_t* p) { put_u32(p, static_cast<std::uint32_t>(v)); },
                       [&v, lowest, highest](const std::uint8_t* p) {
                           const auto read = static_cast<std::int32_t>(get_u32(p));
                           if (read < lowest || read > highest) return false;
                           v = read;
                           return true;
                       }});
    return *this;
}

SettingsFile& SettingsFile::float64(double& v, const char* what, double lowest, double highest) {
    fields_.push_back({8, false, what,
                       [&v](std::uint8_t* p) {
                           std::uint64_t u = 0;
                           std::memcpy(&u, &v, 8);
                           for (int i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(u >> (8 * i));
                       },
                       [&v, lowest, highest](const std::uint8_t* p) {
                           std::uint64_t u = 0;
                           for (int i = 0; i < 8; ++i) u |= static_cast<std::uint64_t>(p[i]) << (8 * i);
                           double read = 0.0;
                           std::memcpy(&read, &u, 8);
                           if (!std::isfinite(read) || read < lowest || read > highest) return false;
                           v = read;
                           return true;
                       }});
    return *this;
}

SettingsFile& SettingsFile::text(std::string& s, std::size_t width) {
    fields_.push_back({width, true, "a name",
                       [&s, width](std::uint8_t* p) {
                           std::memset(p, 0, width);
                           std::memcpy(p, s.data(), std::min(width, s.size()));
                       },
                       [&s, width](const std::uint8_t* p) {
                           const auto* end = std::find(p, p + width, std::uint8_t{0});
                           s.assign(reinterpret_cast<const char*>(p), static_cast<std::size_t>(end - p));
                           return true;
                       }});
    return *this;
}

std::size_t SettingsFile::size() const {
    std::size_t n = 0;
    for (const Field& f : fields_) n += f.size;
    return n;
}

SettingsFile::Outcome SettingsFile::parse(std::span<const std::uint8_t> bytes) {
    refused_.clear();
    if (bytes.empty()) return Outcome::Empty;
    std::size_t at = 0;
    for (const Field& f : fields_) {
        const std::size_t left = bytes.size() - at;
        if (left >= f.size) {
            if (!f.load(bytes.data() + at)) refused_.push_back(f.what);
            at += f.size;
            continue;
        }
        // Cut short: the bytes that are there over the default's first bytes.
        if (!f.wholeOnly && left > 0) {
            std::vector<std::uint8_t> buf(f.size);
            f.store(buf.data());
            std::memcpy(buf.data(), bytes.data() + at, left);
            if (!f.load(buf.data())) refused_.push_back(f.what);
        }
        return Outcome::Short;
    }
    return Outcome::Whole;
}

SettingsFile::Outcome SettingsFile::read(const std::string& path) {
    refused_.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) return Outcome::Missing;
    // A file larger than the layout is refused before anything is taken.
    std::error_code ec;
    const std::uintmax_t length = std::filesystem::file_size(path, ec);
    if (!ec && length > size()) {
        message("The file " + path + " is not a settings file of this window (" + std::to_string(length) +
                    " bytes; at most " + std::to_string(size()) + "); the window keeps its defaults.",
                Buttons::Ok, Icon::Warning);
        return Outcome::TooLarge;
    }
    std::vector<std::uint8_t> bytes(size());
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    const Outcome outcome = parse(bytes);
    if (!refused_.empty()) {
        std::string fields;
        for (const std::string& f : refused_) fields += (fields.empty() ? "" : ", ") + f;
        message("The file " + path + " holds values out of range (" + fields + "); they keep their defaults.",
                Buttons::Ok, Icon::Warning);
    }
    return outcome;
}

std::vector<std::uint8_t> SettingsFile::bytes() const {
    std::vector<std::uint8_t> out(size());
    std::size_t at = 0;
    for (const Field& f : fields_) {
        f.store(out.data() + at);
        at += f.size;
    }
    return out;
}

bool SettingsFile::write(const std::string& path) const {
    const std::vector<std::uint8_t> b = bytes();
    return write_file_or_warn(path, std::string_view(reinterpret_cast<const char*>(b.data()), b.size()));
}

}  // namespace fw
