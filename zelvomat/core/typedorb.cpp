// Files of typed orbits (typedorb.h): the single-orbit file, the
// nongravitational parameters and the column order texts.
#include "core/typedorb.h"

#include <algorithm>

#include "core/utils.h"
#include "io/fields.h"
#include "io/files.h"
#include "io/recfile.h"
#include "io/textfile.h"

namespace zelvomat {

std::string_view single_orbit_file(bool elements, bool ephemeris_task) {
    if (elements) return ephemeris_task ? files::kElementOrbitEph : files::kElementOrbitOc;
    return ephemeris_task ? files::kCoordinateOrbitEph : files::kCoordinateOrbitOc;
}

std::string_view nongrav_file(bool ephemeris_task) { return ephemeris_task ? files::kNongravEph : files::kNongravOc; }

std::string_view user_orbit_work_file(bool ephemeris_task) {
    return ephemeris_task ? files::kUserOrbitsEph : files::kUserOrbitsOc;
}

// ---- Column orders -----------------------------------------------------------

Result<ColumnOrder> parse_column_order(std::string_view text) {
    ColumnOrder order{};
    for (int i = 0; i < kOrderColumns; ++i) {
        const std::string pair = io::column(text, static_cast<std::size_t>(2 * i + 1), 2);
        const bool digits_or_blanks =
            std::all_of(pair.begin(), pair.end(), [](char c) { return c == ' ' || (c >= '0' && c <= '9'); });
        const auto v = digits_or_blanks ? io::read_int(pair) : Result<std::int64_t>(error_status(""));
        if (!v.ok() || *v < 0 || *v > kOrbitColumnCodes)
            return error_status("column order \"" + std::string(text) + "\": column " + std::to_string(i + 1) +
                                " is not 00-13");
        order[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(*v);
    }
    return order;
}

std::string column_order_text(const ColumnOrder& order) {
    std::string s;
    for (std::int32_t c : order) {
        const int v = std::clamp<int>(c, 0, 99);
        s += static_cast<char>('0' + v / 10);
        s += static_cast<char>('0' + v % 10);
    }
    return s;
}

std::vector<std::int32_t> order_fields(const ColumnOrder& order) {
    std::vector<std::int32_t> f;
    for (std::int32_t c : order)
        if (c != 0) f.push_back(c);
    return f;
}

// ---- Single-orbit file -------------------------------------------------------

Result<std::string> introduced_orbit_bytes(const OrbitFieldTexts& texts, const ColumnOrder& order) {
    std::array<bool, kOrbitColumnCodes + 1> present{};
    for (std::int32_t c : order) {
        if (c < 0 || c > kOrbitColumnCodes) return error_status("column code " + std::to_string(c) + " is not 0-13");
        present[static_cast<std::size_t>(c)] = true;
    }
    std::string out;
    for (int c = 1; c <= kOrbitColumnCodes; ++c) {
        if (!present[static_cast<std::size_t>(c)]) continue;
        const std::string_view t = io::trim_right(texts[static_cast<std::size_t>(c - 1)]);
        if (t.size() > kOrbitFieldWidth)
            return error_status("typed field \"" + std::string(t) + "\" is longer than 18 characters");
        out += io::pad(t, kOrbitSlotWidth);
    }
    return out;
}

Status write_introduced_orbit(const std::string& path, const OrbitFieldTexts& texts, const ColumnOrder& order) {
    auto bytes = introduced_orbit_bytes(texts, order);
    if (!bytes) return bytes.status();
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes->data());
    return io::write_file_bytes(path, std::span<const std::uint8_t>(p, bytes->size()));
}

Result<OrbitFieldTexts> read_introduced_orbit(const std::string& path, const ColumnOrder& order) {
    auto bytes = io::read_file_bytes(path);
    if (!bytes) return bytes.status();
    const std::string_view all(reinterpret_cast<const char*>(bytes->data()), bytes->size());
    OrbitFieldTexts texts;
    texts.fill(std::string(kOrbitFieldWidth, ' '));
    std::size_t slot = 0;
    for (std::int32_t c : order) {
        if (c == 0) break;
        if (c < 1 || c > kOrbitColumnCodes) return error_status("column code " + std::to_string(c) + " is not 0-13");
        const std::size_t at = slot * kOrbitSlotWidth;
        if (at >= all.size()) break;
        texts[static_cast<std::size_t>(c - 1)] = io::pad(all.substr(at, kOrbitFieldWidth), kOrbitFieldWidth);
        ++slot;
    }
    return texts;
}

// ---- Nongravitational parameters ---------------------------------------------

namespace {

constexpr std::string_view kZeroLine = "0.0 0.0 0.0";

// A text that reads as the number 0 (a decimal number with a digit).
bool reads_as_zero(std::string_view t) {
    if (t.find_first_of("0123456789") == std::string_view::npos) return io::is_blank(t);
    double v = 1.0;
    return char_rl(t, v, 0) && v == 0.0;
}

std::vector<std::string_view> tokens(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t p = 0;
    while (true) {
        const std::size_t s = line.find_first_not_of(" ,\t", p);
        if (s == std::string_view::npos) break;
        std::size_t e = line.find_first_of(" ,\t", s);
        if (e == std::string_view::npos) e = line.size();
        out.push_back(line.substr(s, e - s));
        p = e;
    }
    return out;
}

}  // namespace

std::string nongrav_bytes(const NongravTexts& a, bool elements) {
    std::string line;
    for (std::size_t i = 0; i < 3; ++i) {
        const std::string_view t = io::trim(a[i]);
        if (i > 0) line += ' ';
        if (reads_as_zero(t))
            line += i == 2 ? "0.0 " : "0.0";
        else
            line += t;
    }
    const std::string zero(kZeroLine);
    return elements ? line + "\r\n" + zero : zero + "\r\n" + line;
}

Status write_nongrav(const std::string& path, const NongravTexts& a, bool elements) {
    const std::string b = nongrav_bytes(a, elements);
    const auto* p = reinterpret_cast<const std::uint8_t*>(b.data());
    return io::write_file_bytes(path, std::span<const std::uint8_t>(p, b.size()));
}

Result<NongravTexts> read_nongrav_texts(const std::string& path, bool elements) {
    auto lines = io::read_lines(path);
    if (!lines) return lines.status();
    const std::size_t k = elements ? 0 : 1;
    NongravTexts a;
    if (k < lines->size()) {
        const auto t = tokens((*lines)[k]);
        for (std::size_t i = 0; i < 3 && i < t.size(); ++i) a[i] = std::string(t[i]);
    }
    return a;
}

Result<std::array<double, 3>> read_nongrav(const std::string& path, bool elements) {
    auto lines = io::read_lines(path);
    if (!lines) return lines.status();
    std::array<double, 3> a{};
    std::size_t got = 0;
    // Free form: the numbers may run on over the following lines.
    for (std::size_t k = elements ? 0 : 1; k < lines->size() && got < 3; ++k) {
        for (std::string_view t : tokens((*lines)[k])) {
            const auto v = io::read_real(t, 0);
            if (!v.ok()) return error_status("file " + path + ": \"" + std::string(t) + "\" is not a number");
            a[got++] = *v;
            if (got == 3) break;
        }
    }
    if (got < 3) return error_status("file " + path + ": three nongravitational parameters expected");
    return a;
}

}  // namespace zelvomat
