// Checks of typed orbit fields (contrelm.h): number reading, date rules,
// range tests, the column order list and the packed date form.
#include "core/contrelm.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "core/datajd.h"
#include "core/utils.h"
#include "io/fields.h"

namespace zelvomat {

namespace {

using checks::CheckError;

constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool has_digit(std::string_view s) { return std::any_of(s.begin(), s.end(), is_digit); }

// A decimal number with optional sign and point; at least one digit.
bool read_decimal(std::string_view s, double& value) {
    if (!has_digit(s)) return false;
    double v = 0.0;
    if (!char_rl(s, v, 0)) return false;
    value = v;
    return true;
}

// mantissa x 10^exponent, the two joined by the first "D", else the first
// "d", "E" or "e" of the field.
bool read_exponent_form(std::string_view field, double& value) {
    std::size_t p = std::string_view::npos;
    for (char mark : {'D', 'd', 'E', 'e'}) {
        p = field.find(mark);
        if (p != std::string_view::npos) break;
    }
    if (p == std::string_view::npos) return false;
    double mantissa = 0.0, exponent = 0.0;
    if (!read_decimal(field.substr(0, p), mantissa)) return false;
    if (!read_decimal(field.substr(p + 1), exponent)) return false;
    // A zero mantissa is zero whatever the exponent (and never 0 x inf).
    value = mantissa == 0.0 ? 0.0 : mantissa * std::pow(10.0, exponent);
    return true;
}

// Date rules of the epoch and of T: value in (1e6, 1e8); a calendar date
// YYYYMMDD.dddd above 1e7 that must exist, else a Julian date; the year
// within 1800..2101. On success value becomes the Julian date.
CheckError date_rules(double& value) {
    if (!(value > 1.0e6 && value < 1.0e8)) return CheckError::OutOfRange;
    int year = 0;
    if (value > 1.0e7) {
        const double whole = std::floor(value);
        const auto ymd = static_cast<std::int64_t>(whole);
        const int y = static_cast<int>(ymd / 10000);
        const int m = static_cast<int>((ymd / 100) % 100);
        const int d = static_cast<int>(ymd % 100);
        std::int32_t jd = 0;
        double jf = 0.0;
        caljd(y, m, d, value - whole, jd, jf, DayStart::Civil);
        int y2 = 0, m2 = 0, d2 = 0;
        double f2 = 0.0;
        jdcal(jd, jf, y2, m2, d2, f2);
        if (y2 != y || m2 != m || d2 != d) return CheckError::OutOfRange;
        year = y;
        value = static_cast<double>(jd) + jf;
    } else {
        const double whole = std::floor(value);
        int m = 0, d = 0;
        double f = 0.0;
        jdcal(day_number(whole), value - whole, year, m, d, f);
    }
    if (year < 1800 || year > 2101) return CheckError::OutOfRange;
    return CheckError::None;
}

// Range test of the element kinds 20 and 22-28 (true = inside). Written so
// that a NaN never passes.
bool element_in_range(int kind, double v) {
    switch (kind) {
        case 20:
        case 22:
        case 23:
            return v >= 0.0 && v <= 360.0;
        case 24:
            return v >= 0.0 && v <= 180.0;
        case 25:
            return v > 0.0 && v < 1.0;
        case 26:
            return v > 0.0 && v < 5.0;
        case 27:
        case 28:
            return v > 0.0;
        default:
            return true;
    }
}

// Column order list: ten two-character codes from the field's start.
CheckError column_order_rules(std::string_view field) {
    constexpr int kCodes = 10;
    std::array<int, kCodes> codes{};
    for (int i = 0; i < kCodes; ++i) {
        const std::string pair = io::column(field, static_cast<std::size_t>(2 * i + 1), 2);
        for (char c : pair)
            if (!is_digit(c) && c != ' ') return kWrongColumnOrder;
        const auto r = io::read_int(pair);
        if (!r.ok() || *r < 0 || *r > 13) return kWrongColumnOrder;
        codes[static_cast<std::size_t>(i)] = static_cast<int>(*r);
    }
    std::array<bool, 14> seen{};
    int nonzero = 0, orbit_columns = 0;
    for (int c : codes) {
        if (c == 0) continue;
        if (seen[static_cast<std::size_t>(c)]) return kWrongColumnOrder;
        seen[static_cast<std::size_t>(c)] = true;
        ++nonzero;
        if (c >= 4 && c <= 13) ++orbit_columns;
    }
    if (nonzero < 7 || orbit_columns != 7) return kWrongColumnOrder;
    return CheckError::None;
}

// Place of a character in "123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ" (1-based), 0
// when it is not there.
int packed_digit(char c) {
    if (c >= '1' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    return 0;
}

}  // namespace

void datepart(std::string_view text, double& value, std::int32_t& err) {
    value = 0.0;
    err = 1;
    const std::string t = io::column(text, 1, 5);
    int century = 19;
    if (t[0] == 'K') century = 20;
    if (t[0] == 'I') century = 18;
    if (!is_digit(t[1]) || !is_digit(t[2])) return;
    const int month = packed_digit(t[3]);
    const int day = packed_digit(t[4]);
    if (month < 1 || month > 12 || day < 1 || day > 31) return;
    const int year = century * 100 + (t[1] - '0') * 10 + (t[2] - '0');
    std::int32_t jd = 0;
    double jf = 0.0;
    caljd(year, month, day, 0.0, jd, jf, DayStart::Civil);
    value = static_cast<double>(jd) + jf;
    err = 0;
}

OrbitFieldCheck check_orbit_field(int kind, std::string_view text, OrbitForm form) {
    OrbitFieldCheck r;
    const auto fail = [&r](CheckError e) {
        r.error = e;
        return r;
    };
    if (kind < kFirstOrbitFieldKind || kind > kLastOrbitFieldKind) return fail(CheckError::Format);

    // The field: from the first non-blank character to the last.
    const std::size_t L = io::trim_right(text).size();
    if (L == 0) return fail(CheckError::Format);
    const std::size_t s = text.find_first_not_of(' ');

    if (kind == 16) {
        const std::size_t end = std::min<std::size_t>(L, 18);
        if (s >= end) return fail(CheckError::Format);  // nothing in the first 18
        if (text.substr(s, end - s).find(' ') != std::string_view::npos) return fail(CheckError::Format);
        return r;
    }

    const std::string_view field = text.substr(s, L - s);
    if (kind == kColumnOrderKind) {
        if (L < 20) return fail(kWrongColumnOrder);
        return fail(column_order_rules(field));
    }

    // Kinds 17-28: the number.
    if (!read_decimal(field, r.value)) {
        if (kind == 18 && field == "X") {
            r.value = kDefaultSlopeG;
            return r;
        }
        if (kind == 19 && field.size() == 5) {
            std::int32_t err = 0;
            datepart(field, r.value, err);
            return fail(err == 0 ? CheckError::None : CheckError::Format);
        }
        if (!read_exponent_form(field, r.value)) return fail(CheckError::Format);
    }
    if (!std::isfinite(r.value)) return fail(CheckError::OutOfRange);

    if ((kind == 17 || kind == 18) && !(std::fabs(r.value) <= 40.0)) return fail(CheckError::OutOfRange);

    if (kind == 19 || (kind == 21 && form == OrbitForm::Elements)) {
        const CheckError e = date_rules(r.value);
        if (e != CheckError::None) return fail(e);
    }

    if (form == OrbitForm::Coordinates) return r;
    if (!element_in_range(kind, r.value)) return fail(CheckError::OutOfRange);
    return r;
}

void contrelm(std::int32_t kind, std::string_view text, std::int32_t& err, double& value, std::int32_t& form) {
    err = 0;
    value = 0.0;
    if (kind < kFirstOrbitFieldKind) {
        form = 0;
        return;
    }
    if (kind > kLastOrbitFieldKind) {
        form = 0;
        err = checks::code(CheckError::Format);
        return;
    }
    const OrbitFieldCheck r = check_orbit_field(kind, text, static_cast<OrbitForm>(form));
    err = checks::code(r.error);
    value = r.value;
}

}  // namespace zelvomat
