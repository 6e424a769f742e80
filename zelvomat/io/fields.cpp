#include "io/fields.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace zelvomat::io {

std::string column(std::string_view line, std::size_t start, std::size_t width) {
    std::string out(width, ' ');
    if (start == 0) return out;
    const std::size_t first = start - 1;
    for (std::size_t i = 0; i < width && first + i < line.size(); ++i) out[i] = line[first + i];
    return out;
}

bool is_blank(std::string_view text) {
    for (char c : text)
        if (c != ' ' && c != '\0') return false;
    return true;
}

std::string_view trim_right(std::string_view text) {
    std::size_t n = text.size();
    while (n > 0 && (text[n - 1] == ' ' || text[n - 1] == '\0' || text[n - 1] == '\t')) --n;
    return text.substr(0, n);
}

std::string_view trim(std::string_view text) {
    text = trim_right(text);
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    return text.substr(i);
}

std::string pad(std::string_view text, std::size_t width) {
    std::string out(text.substr(0, std::min(width, text.size())));
    out.resize(width, ' ');
    return out;
}

Result<double> read_real(std::string_view field, int decimals) {
    // Collect the significant characters, skipping blanks.
    std::string mant;
    std::string expo;
    bool point = false, in_exp = false, any_digit = false;
    int sign = 1;
    for (char c : field) {
        if (c == ' ' || c == '\0') continue;
        if (!in_exp) {
            if ((c == '+' || c == '-') && mant.empty() && !any_digit && !point) {
                if (c == '-') sign = -1;
                mant.push_back('0');  // marks that a sign was taken
                continue;
            }
            if (c >= '0' && c <= '9') {
                mant.push_back(c);
                any_digit = true;
                continue;
            }
            if (c == '.' && !point) {
                point = true;
                mant.push_back('.');
                continue;
            }
            if ((c == 'E' || c == 'e' || c == 'D' || c == 'd') && any_digit) {
                in_exp = true;
                continue;
            }
            return error_status("invalid number \"" + std::string(field) + "\"");
        }
        if ((c == '+' || c == '-') && expo.empty()) {
            expo.push_back(c);
            continue;
        }
        if (c >= '0' && c <= '9') {
            expo.push_back(c);
            continue;
        }
        return error_status("invalid number \"" + std::string(field) + "\"");
    }
    if (in_exp && (expo.empty() || expo == "+" || expo == "-"))
        return error_status("invalid number \"" + std::string(field) + "\"");
    if (!any_digit) {
        if (mant.empty()) return 0.0;  // all blank
        return error_status("invalid number \"" + std::string(field) + "\"");
    }
    // The written exponent and the implied decimals join the digits in one
    // text, so that the value is the nearest double to the number written
    // ("1.23456789E10" is 12345678900 exactly, not the product of a rounded
    // mantissa and a rounded power of ten).
    long exponent = 0;
    bool exponent_negative = false;
    for (char c : expo) {
        if (c == '-') exponent_negative = true;
        if (c >= '0' && c <= '9' && exponent < 100000) exponent = exponent * 10 + (c - '0');
    }
    if (exponent_negative) exponent = -exponent;
    if (!point && decimals != 0) exponent -= decimals;
    const std::string text = mant + "e" + std::to_string(exponent);
    double v = 0.0;
    // from_chars reads the C form whatever the process locale is.
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), v);
    if (parsed.ec == std::errc::result_out_of_range) {
        // Underflow reads as zero; overflow is out of range below.
        if (exponent < 0)
            v = 0.0;
        else
            v = HUGE_VAL;
    } else if (parsed.ec != std::errc() || parsed.ptr != text.data() + text.size()) {
        return error_status("invalid number \"" + std::string(field) + "\"");
    }
    if (!std::isfinite(v)) return error_status("number out of range \"" + std::string(field) + "\"");
    return sign * v;
}

Result<std::int64_t> read_int(std::string_view field) {
    std::int64_t v = 0;
    bool neg = false, started = false;
    int digits = 0;
    for (char c : field) {
        if (c == ' ' || c == '\0') continue;
        if ((c == '+' || c == '-') && !started) {
            neg = c == '-';
            started = true;
            continue;
        }
        if (c < '0' || c > '9') return error_status("invalid integer \"" + std::string(field) + "\"");
        started = true;
        if (++digits > 18) return error_status("integer out of range \"" + std::string(field) + "\"");
        v = v * 10 + (c - '0');
    }
    if (started && digits == 0) return error_status("invalid integer \"" + std::string(field) + "\"");
    return neg ? -v : v;
}

std::string fmt_i(std::int64_t value, int width) {
    std::string s = std::to_string(value);
    if (width <= 0) return std::string();
    if (static_cast<int>(s.size()) > width) return std::string(static_cast<std::size_t>(width), '*');
    return std::string(static_cast<std::size_t>(width) - s.size(), ' ') + s;
}

std::string number_text(double value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.10g", value);
    return buf;
}

double round_decimals(double x, int nd) {
    const double p = std::pow(10.0, nd);
    const double y = x * p;
    if (!std::isfinite(y)) return x;
    return std::round(y) / p;  // std::round: halves away from zero
}

namespace {

// Exact-enough decimal digits of |value| rounded to `decimals` places, halves
// away from zero. The extra printed digits decide the rounding on the decimal
// expansion of the binary value itself, so 0.125 becomes 0.13 and 0.1249999
// stays 0.12.
std::string fixed_digits(double value, int decimals) {
    const int extra = 25;
    // to_chars writes the C form (decimal point) whatever the process locale is.
    std::string buf(360 + static_cast<std::size_t>(decimals + extra), '\0');
    const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), std::fabs(value), std::chars_format::fixed,
                                 decimals + extra);
    buf.resize(static_cast<std::size_t>(r.ptr - buf.data()));
    const std::size_t dot = buf.find('.');
    const bool round_up = buf[dot + 1 + static_cast<std::size_t>(decimals)] >= '5';
    std::string s = buf.substr(0, dot + 1 + static_cast<std::size_t>(decimals));
    if (decimals == 0) s = buf.substr(0, dot + 1);
    if (round_up) {
        int i = static_cast<int>(s.size()) - 1;
        for (; i >= 0; --i) {
            if (s[static_cast<std::size_t>(i)] == '.') continue;
            if (s[static_cast<std::size_t>(i)] == '9') {
                s[static_cast<std::size_t>(i)] = '0';
            } else {
                ++s[static_cast<std::size_t>(i)];
                break;
            }
        }
        if (i < 0) s.insert(s.begin(), '1');
    }
    return s;  // "123.450" or "123." when decimals is 0
}

}  // namespace

std::string fmt_f(double value, int width, int decimals) {
    if (width <= 0) return std::string();
    const auto stars = std::string(static_cast<std::size_t>(width), '*');
    if (!std::isfinite(value) || decimals < 0) return stars;
    std::string s = fixed_digits(value, decimals);
    if (std::signbit(value) && value != 0.0) s.insert(s.begin(), '-');
    if (static_cast<int>(s.size()) > width) {
        // The leading zero of a value below one is optional.
        const std::size_t z = (s[0] == '-') ? 1 : 0;
        if (s.size() > z + 1 && s[z] == '0' && s[z + 1] == '.') s.erase(z, 1);
        if (static_cast<int>(s.size()) > width) return stars;
    }
    return std::string(static_cast<std::size_t>(width) - s.size(), ' ') + s;
}

std::string fmt_e(double value, int width, int decimals) {
    if (width <= 0) return std::string();
    const auto stars = std::string(static_cast<std::size_t>(width), '*');
    if (!std::isfinite(value) || decimals < 0) return stars;
    // Fortran form: [-]0.ddddE+xx, the mantissa in [0.1, 1).
    char buf[64];
    int exp10 = 0;
    double mant = 0.0;
    if (value != 0.0) {
        const auto r = std::to_chars(buf, buf + sizeof buf - 1, std::fabs(value), std::chars_format::scientific,
                                     decimals > 0 ? decimals - 1 : 0);
        *r.ptr = '\0';
        const char* e = std::strchr(buf, 'e');
        exp10 = std::atoi(e + 1) + 1;
        mant = std::fabs(value) / std::pow(10.0, exp10);
    }
    std::string m = fixed_digits(mant, decimals);
    if (m[0] == '1') {  // rounding carried to 1.000
        ++exp10;
        m = fixed_digits(mant / 10.0, decimals);
    }
    std::string s = (std::signbit(value) && value != 0.0) ? "-" : "";
    s += m;
    char eb[16];
    if (std::abs(exp10) <= 99)
        std::snprintf(eb, sizeof eb, "E%c%02d", exp10 < 0 ? '-' : '+', std::abs(exp10));
    else
        std::snprintf(eb, sizeof eb, "%c%03d", exp10 < 0 ? '-' : '+', std::abs(exp10));
    s += eb;
    if (static_cast<int>(s.size()) > width) {
        const std::size_t z = (s[0] == '-') ? 1 : 0;
        if (s[z] == '0' && s[z + 1] == '.') s.erase(z, 1);
        if (static_cast<int>(s.size()) > width) return stars;
    }
    return std::string(static_cast<std::size_t>(width) - s.size(), ' ') + s;
}

}  // namespace zelvomat::io
