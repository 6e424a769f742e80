#include "tasks/frob.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "io/fields.h"

namespace zelvomat {

namespace {

// Digits after the point of a typed field, up to the first blank or the end
// of the text without its trailing blanks; 0 when there is no point.
int decimals_after_point(std::string_view text, bool& has_point) {
    const std::string_view t = io::trim_right(text);
    const std::size_t p = t.find('.');
    has_point = p != std::string_view::npos;
    if (!has_point) return 0;
    int d = 0;
    for (std::size_t i = p + 1; i < t.size() && t[i] != ' '; ++i) ++d;
    return d;
}

void fill(std::span<char> out, char c) { std::fill(out.begin(), out.end(), c); }

}  // namespace

void Frob(std::int32_t mode, std::int32_t sign_flag, std::string_view text1, std::string_view text2, double value,
          std::span<char> out) {
    bool point1 = false, point2 = false;
    const int d1 = decimals_after_point(text1, point1);
    const int d2 = point1 ? decimals_after_point(text2, point2) : 0;

    // Decimals written and, for whole numbers, the digits that are kept.
    int n = 0;
    int q = 6;
    if (mode == 2) {
        n = d1 + 2;
    } else {
        const int m = std::min(d1, d2);
        if (mode <= 1) {
            n = m - 2;
            q = m;
        } else {
            n = m;
        }
    }
    n = std::clamp(n, 0, 6);
    q = std::min(q, 6);

    const double magnitude = std::fabs(value);
    std::string field;
    if (mode != 0) {
        field = io::fmt_f(magnitude, 9, n);
        const std::size_t bp = field.find(" .");
        if (bp != std::string::npos) field[bp] = '0';
    } else {
        double v = io::round_decimals(magnitude, 0);
        if (q < 6) {
            const double unit = std::pow(10.0, 6 - q);
            v = std::floor(v / unit + 0.5) * unit;
        }
        field = v < 1e15 ? io::fmt_i(static_cast<std::int64_t>(v), 8) : std::string(8, '*');
    }

    if (field.find('*') != std::string::npos) {
        fill(out, '*');
        return;
    }

    // The last leading blank becomes the sign (or stays a blank) and the text
    // starts there.
    const std::size_t first = field.find_first_not_of(' ');
    std::string text;
    if (first == 0 || first == std::string::npos) {
        // No leading blank: a signed text has no room for its sign; an unsigned
        // one is written as it stands.
        if (sign_flag == 1) {
            fill(out, '*');
            return;
        }
        text = field;
    } else {
        text = field.substr(first - 1);
        if (sign_flag == 1) text[0] = std::signbit(value) && value != 0.0 ? '-' : '+';
    }

    if (text.size() > out.size()) {
        fill(out, '*');
        return;
    }
    fill(out, ' ');
    std::copy(text.begin(), text.end(), out.begin());
}

}  // namespace zelvomat
