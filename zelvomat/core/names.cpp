// Object names and numbers (see names.h).
#include "core/names.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/catalog.h"
#include "core/corestate.h"
#include "core/utils.h"
#include "io/bytes.h"
#include "io/errchan.h"
#include "io/fields.h"
#include "io/files.h"
#include "io/recfile.h"
#include "zelvomat/zelvomat.h"

namespace zelvomat {

namespace {

constexpr std::size_t kWidth = 18;

// Upper-case names of the major bodies, by the index nomgpl returns.
constexpr std::array<std::string_view, 13> kBodyNames = {
    "MERCURY", "VENUS", "EARTH", "MARS", "JUPITER",        "SATURN",         "URANUS",
    "NEPTUNE", "PLUTO", "SUN",   "MOON", "E+M BARYCENTRE", "S.S. BARYCENTRE"};
// Names by body code 0-12.
constexpr std::array<std::string_view, 13> kCentreNames = {
    "S.s. barycentre", "Mercury", "Venus", "Earth", "Mars", "Jupiter",       "Saturn",
    "Uranus",          "Neptune", "Pluto", "Sun",   "Moon", "E+M barycentre"};

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The base-62 digits of the extended packed numbers: 0-9, A-Z, a-z.
constexpr std::string_view kBase62 = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr std::int64_t kFirstExtended = 620000;  // "~0000"

// A packed number's first character: a letter for the ten-thousands or the
// "~" of the extended form.
bool is_pack_lead(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '~'; }

// The text as an 18-character field (shorter texts blank-padded, NUL = blank).
std::string field18(std::span<const char> text) {
    std::string f(kWidth, ' ');
    for (std::size_t i = 0; i < kWidth && i < text.size(); ++i) f[i] = text[i] == '\0' ? ' ' : text[i];
    return f;
}

// From the first non-blank character, left-aligned, blank-padded to width.
std::string left_aligned(std::string_view text, std::size_t width) {
    std::size_t s = 0;
    while (s < text.size() && text[s] == ' ') ++s;
    return io::pad(text.substr(s), width);
}

// What inpnom and inpnom1 share: the text read as a number or looked up as a
// name. body is the nomgpl index when the text named a major body.
struct Recognised {
    bool is_number = false;
    bool readable = false;   // number: it reads as an integer
    std::int64_t value = 0;  // number: its value
    std::int32_t n = 0;      // name: catalogue number, 0 when not in the catalogue
    int body = 0;            // name: major body index 1-13, 0 when none
};

Recognised recognise(const CatalogueState& cat, std::span<char> text) {
    // NUL characters become blanks in the caller's text.
    for (std::size_t i = 0; i < text.size() && i < kWidth; ++i)
        if (text[i] == '\0') text[i] = ' ';
    const std::string t = field18(text);
    std::string significant;  // the non-blank characters, inner blanks dropped
    bool name = false;
    for (char c : t) {
        if (c == ' ') continue;
        significant.push_back(c);
        if (!is_digit(c) && c != '-') name = true;
    }
    Recognised r;
    if (!name) {
        r.is_number = true;
        // The whole number is read (never a part of it), so a long number is
        // simply out of range.
        auto v = io::read_int(significant);
        r.readable = v.ok();
        if (v) r.value = *v;
        return r;
    }
    const std::string w = left_aligned(t, kWidth);
    r.n = catnum(cat, w);
    if (r.n == 0) r.body = nomgpl(w);
    // A packed number ("A0345", "~0000") that names no object by its text
    // is read as the number it packs.
    if (r.n == 0 && r.body == 0 && significant.size() == 5 && is_pack_lead(significant[0])) {
        const ObjectNumber p = objnum(significant);
        if (!p.bad) {
            r.is_number = true;
            r.readable = true;
            r.value = p.n;
        }
    }
    return r;
}

}  // namespace

std::int32_t inpnom(const CatalogueState& cat, std::span<char> text, std::int32_t count) {
    const Recognised r = recognise(cat, text);
    if (r.is_number) {
        if (!r.readable) return 0;
        if (r.value == 0 || r.value < -12 || r.value > count) return kNoTaskObject;
        const auto n = static_cast<std::int32_t>(r.value);
        if (n > 0 && !catalogue_has(cat, n)) return kNoTaskObject;
        return n;
    }
    if (r.n != 0) return r.n;
    if (r.body == 13) return kNoTaskObject;
    return -r.body;
}

Result<std::int32_t> inpnom1(const CatalogueState& cat, std::span<char> text, std::int32_t count) {
    const Recognised r = recognise(cat, text);
    std::int32_t n = 0;
    if (r.is_number) {
        if (r.readable && r.value != 0) {
            if (r.value < -12 || r.value > count) return 0;
            n = static_cast<std::int32_t>(r.value);
            if (n > 0 && !catalogue_has(cat, n)) return 0;
        }
    } else {
        n = r.n != 0 ? r.n : -r.body;
    }
    std::string name;
    if (n > 0) {
        auto c = catname(cat, n);
        if (!c) return c.status();
        name = std::move(*c);
    } else {
        name = planetname(-n);
    }
    for (std::size_t i = 0; i < text.size() && i < kWidth; ++i) text[i] = name[i];
    return n;
}

std::string planetname(int k) {
    if (k < 1 || k > 9) return std::string(kWidth, ' ');
    return io::pad(kCentreNames[static_cast<std::size_t>(k)], kWidth);
}

int nomgpl(std::string_view name) {
    std::string up = io::pad(name, kWidth);
    strup(up);
    for (std::size_t k = 0; k < kBodyNames.size(); ++k)
        if (up.compare(0, 2, kBodyNames[k].substr(0, 2)) == 0) return static_cast<int>(k) + 1;
    return 0;
}

std::string centname(int k) {
    if (k < 0 || k > 12) return std::string(kWidth, ' ');
    return io::pad(kCentreNames[static_cast<std::size_t>(k)], kWidth);
}

ObjectNumber objnum(std::string_view text) {
    ObjectNumber r;
    const std::string_view t = io::trim_right(text);
    std::size_t s = 0;
    while (s < t.size() && t[s] == ' ') ++s;
    if (s == t.size()) return r;
    std::int64_t sign = 1;
    if (t[s] == '+' || t[s] == '-') {
        if (t[s] == '-') sign = -1;
        ++s;
    }
    const std::string_view body = t.substr(s);
    if (!body.empty() && body[0] == '~') {
        // Extended form: four base-62 digits above 620000.
        std::int64_t v = 0;
        for (std::size_t i = 1; i < body.size(); ++i) {
            const std::size_t d = kBase62.find(body[i]);
            if (d == std::string_view::npos) {
                r.bad = true;
                return r;
            }
            v = v * 62 + static_cast<std::int64_t>(d);
        }
        if (body.size() != 5) {
            r.bad = true;
            return r;
        }
        r.n = static_cast<std::int32_t>(sign * (kFirstExtended + v));
        return r;
    }
    std::int64_t high = 0;
    std::size_t first_digit = 0;
    if (!body.empty() && !is_digit(body[0])) {
        // Packed number: the ten-thousands as a letter, A = 10 .. Z = 35,
        // a = 36 .. z = 61, followed by four digits.
        const char c = body[0];
        if (c >= 'A' && c <= 'Z')
            high = c - 'A' + 10;
        else if (c >= 'a' && c <= 'z')
            high = c - 'a' + 36;
        if (high == 0 || body.size() != 5) {
            r.bad = true;
            return r;
        }
        first_digit = 1;
    }
    if (first_digit == body.size()) {
        r.bad = true;
        return r;
    }
    std::int64_t v = 0;
    for (std::size_t i = first_digit; i < body.size(); ++i) {
        if (!is_digit(body[i])) {
            r.bad = true;
            return r;
        }
        v = v * 10 + (body[i] - '0');
        if (v > 2147483647) {
            r.bad = true;
            return r;
        }
    }
    const std::int64_t n = sign * (high * 10000 + v);
    r.n = static_cast<std::int32_t>(n);
    return r;
}

Result<std::string> pack_number(std::int32_t n) {
    if (n < 1 || n > kHighestPackedNumber)
        return error_status("The number " + std::to_string(n) + " has no packed form of five characters.");
    if (n >= kFirstExtended) {
        std::string s = "~0000";
        std::int64_t v = n - kFirstExtended;
        for (std::size_t i = 4; i >= 1; --i, v /= 62) s[i] = kBase62[static_cast<std::size_t>(v % 62)];
        return s;
    }
    const std::int32_t high = n / 10000;
    std::string digits = std::to_string(n % 10000);
    digits.insert(0, 4 - digits.size(), '0');
    if (high < 10) return std::string(1, static_cast<char>('0' + high)) + digits;
    return std::string(1, catalogue::kAlphabet[static_cast<std::size_t>(high - 1)]) + digits;
}

std::string number_field(std::int32_t n, std::size_t width) {
    std::string s = std::to_string(n);
    if (s.size() > width) {
        auto p = pack_number(n);
        s = p && p->size() <= width ? *p : std::string(width, '*');
    }
    return std::string(width - s.size(), ' ') + s;
}

namespace {

// Whether w begins with a packed provisional designation of the Minor Planet
// Center's 80-column lines (columns 6-12): a century letter, two digits of
// the year, the half-month letter, two characters of cycle count and the
// second letter ("K22H05K"), followed by blanks or the discovery mark "*".
bool is_packed_designation(std::string_view w) {
    if (w.size() < 7) return false;
    const auto upper = [](char c) { return c >= 'A' && c <= 'Z'; };
    const auto b62 = [](char c) { return is_digit(c) || catalogue::kAlphabet.find(c) != std::string_view::npos; };
    // "J99A12B", or the extended form of cycle counts from 620 on ("_QC0000").
    const bool form = (upper(w[0]) && is_digit(w[1]) && is_digit(w[2]) && upper(w[3]) &&
                       catalogue::kAlphabet.find(w[4]) != std::string_view::npos && is_digit(w[5]) && upper(w[6])) ||
                      (w[0] == '_' && b62(w[1]) && upper(w[2]) && b62(w[3]) && b62(w[4]) && b62(w[5]) && b62(w[6]));
    return form && std::all_of(w.begin() + 7, w.end(), [](char c) { return c == ' ' || c == '*'; });
}

}  // namespace

std::int32_t obr_nam(const CatalogueState& cat, std::string_view field) {
    constexpr std::size_t kField = 13;
    std::string f = io::pad(field, kField);
    for (char& c : f)
        if (c == '\0') c = ' ';
    if (io::trim_right(f).empty()) return 0;
    std::string w = left_aligned(f, kField);
    const std::size_t len = io::trim_right(w).size();
    std::size_t d = 0;
    while (d < len && is_digit(w[d])) ++d;

    auto number = [](std::string_view t) -> std::int32_t {
        const ObjectNumber r = objnum(t);
        return r.bad ? 0 : r.n;
    };
    auto starts = [&](std::string_view p) { return w.compare(0, p.size(), p) == 0; };

    std::int32_t n = 0;
    if (d == len) {
        n = number(w);
    } else if (d == 0) {
        if (w[0] == '~') {
            // The extended packed number, with or without a designation after it.
            n = number(std::string_view(w).substr(0, 5));
        } else if (len == 5) {
            const ObjectNumber r = objnum(w);
            n = r.bad ? catnum(cat, w) : r.n;
        } else if (starts("A913 CF") || starts("A913CF")) {
            n = 20958;
        } else if (starts("A900 MA") || starts("A900MA")) {
            n = 23400;
        } else {
            std::size_t j = 1;
            while (j < 5 && j < w.size() && is_digit(w[j])) ++j;
            if (j == 5) {
                n = number(std::string_view(w).substr(0, 5));
            } else {
                n = catnum(cat, w);
                if (n == 0 && (j == 2 || is_packed_designation(w))) {
                    const DesignationText u = desunpack(std::string_view(w).substr(0, catalogue::kPackedWidth));
                    n = catnum(cat, std::string_view(u.data(), u.size()));
                }
            }
        }
    } else if (d == 5) {
        n = number(std::string_view(w).substr(0, 5));
    } else if (d > 5) {
        n = 0;
    } else if (d <= (cat.comet_mode == 1 ? 4u : 3u)) {
        // The leading digits are the number (a periodic comet's number: 29P).
        for (std::size_t i = d; i < 5; ++i) w[i] = ' ';
        n = number(std::string_view(w).substr(0, 5));
    } else if (d == 4) {
        n = catnum(cat, w);
    }
    return catalogue_has(cat, n) ? n : 0;
}

Status name_to_catalogue(CatalogueState& cat, std::span<char> name, std::int32_t& n) {
    n = 0;
    ZEL_TRY(catopen(cat));
    std::string copy = field18(name);
    const std::int32_t m = inpnom(cat, std::span<char>(copy), cat.counts.total());
    if (m <= 0) return ok_status();
    auto c = catname(cat, m);
    if (!c) return c.status();
    for (std::size_t i = 0; i < name.size() && i < kWidth; ++i) name[i] = (*c)[i];
    n = m;
    return ok_status();
}

Status name_exchange(CatalogueState& cat, int mode, std::int32_t& n) {
    using namespace orbit_exchange;
    const std::string path(files::kOrbitExchange);
    auto f = io::RecordFile::open(path, kRecord, io::OpenMode::ReadWrite);
    if (!f) return error_status("The exchange file \"" + path + "\" cannot be opened: " + f.message());
    ZEL_TRY(catopen(cat));
    std::uint8_t rec[kRecord];
    if (Status s = f->read(1, rec); !s)
        return error_status("The exchange file \"" + path + "\" cannot be read: " + s.message());
    std::string name = io::get_text(rec, kNameOffset, kNameWidth);
    std::int32_t number = io::get_i32(rec, kNumberOffset);
    if (mode == 2) {
        // Number to name. A number of 0 or less gives a blank name and keeps
        // the number; a positive number that is no object of the catalogue
        // gives a blank name and the number 0.
        if (number <= 0) {
            name.assign(kWidth, ' ');
        } else if (catalogue_has(cat, number)) {
            auto c = catname(cat, number);
            if (!c) return c.status();
            name = *c;
        } else {
            name.assign(kWidth, ' ');
            number = 0;
        }
    } else if (mode == 1) {
        std::string up = name;
        strup(up);
        const std::int32_t m = inpnom(cat, std::span<char>(up), cat.counts.total());
        number = m > 0 ? m : 0;
    } else {
        n = number;
        return ok_status();
    }
    io::put_text(rec, kNameOffset, kNameWidth, name);
    io::put_i32(rec, kNumberOffset, number);
    if (Status s = f->write(1, rec); !s)
        return error_status("The exchange file \"" + path + "\" cannot be written: " + s.message());
    n = number;
    return ok_status();
}

}  // namespace zelvomat

extern "C" ZELVOMAT_API void namn1(char* name, unsigned len, int* n) {
    zelvomat::export_guard([&] {
        if (n == nullptr || (name == nullptr && len > 0)) return zelvomat::error_status("namn1: no argument given.");
        std::int32_t m = 0;
        zelvomat::CoreState& core = zelvomat::core_state();
        zelvomat::Status s = zelvomat::name_to_catalogue(core.catalogue, std::span<char>(name, len), m);
        *n = m;
        return s;
    });
}

extern "C" ZELVOMAT_API void NamePl(short mode, int* n) {
    zelvomat::export_guard([&] {
        if (n == nullptr) return zelvomat::error_status("NamePl: no argument given.");
        std::int32_t m = *n;
        zelvomat::CoreState& core = zelvomat::core_state();
        ZEL_TRY(zelvomat::name_exchange(core.catalogue, mode, m));
        *n = m;
        return zelvomat::ok_status();
    });
}
