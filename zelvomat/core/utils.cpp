#include "core/utils.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "io/fields.h"
#include "io/files.h"

namespace zelvomat {

void degrad(std::span<const double> in_deg, std::span<double> out_rad) {
    const std::size_t n = std::min(in_deg.size(), out_rad.size());
    for (std::size_t i = 0; i < n; ++i) out_rad[i] = in_deg[i] / kDegPerRad;
}

double raddeg(double rad) { return rad * kDegPerRad; }

void aukm(std::span<const double> in_au, std::span<double> out_km) {
    const std::size_t n = std::min(in_au.size(), out_km.size());
    for (std::size_t i = 0; i < n; ++i) out_km[i] = in_au[i] * kKmPerAu;
}

void kmau(std::span<const double> in_km, std::span<double> out_au) {
    const std::size_t n = std::min(in_km.size(), out_au.size());
    for (std::size_t i = 0; i < n; ++i) out_au[i] = in_km[i] / kKmPerAu;
}

double dmrad(char sign, int deg, double min) {
    const double r = (deg + min / 60.0) / kDegPerRad;
    return sign == '-' ? -r : r;
}

double dmsrad(char sign, int deg, int min, double sec) {
    const double r = ((sec / 60.0 + min) / 60.0 + deg) / kDegPerRad;
    return sign == '-' ? -r : r;
}

namespace {
// Angles beyond a million degrees have no place in a field: they come out as
// 0 degrees with minutes or seconds that are not a number (asterisks).
constexpr double kLargestDegrees = 1.0e6;
}  // namespace

void raddm(double rad, char& sign, int& deg, double& min, int nd) {
    sign = rad < 0 ? '-' : '+';
    const double v = roundn(std::fabs(rad) * kDegPerRad * 60.0, nd);
    if (!(v / 60.0 < kLargestDegrees)) {
        deg = 0;
        min = std::nan("");
        return;
    }
    deg = static_cast<int>(v / 60.0);
    min = v - 60.0 * deg;
}

void raddms(double rad, char& sign, int& deg, int& min, double& sec, int nd) {
    sign = rad < 0 ? '-' : '+';
    const double v = roundn(std::fabs(rad) * kDegPerRad * 3600.0, nd);
    if (!(v / 3600.0 < kLargestDegrees)) {
        deg = 0;
        min = 0;
        sec = std::nan("");
        return;
    }
    deg = static_cast<int>(v / 3600.0);
    min = static_cast<int>((v - 3600.0 * deg) / 60.0);
    sec = v - 3600.0 * deg - 60.0 * min;
}

double roundn(double x, int nd) { return io::round_decimals(x, nd); }

void polar(double x, double y, double& angle, double& t, double& r) {
    r = std::sqrt(x * x + y * y);
    if (r < 1e-15) return;
    if (std::fabs(y) < std::fabs(x)) {
        t = std::atan(y / x);
    } else {
        const double u = std::atan(x / y);
        if ((x != 0.0 && x / y > 0) || (x == 0.0 && y > 0))
            t = kPi / 2 - u;
        else
            t = -kPi / 2 - u;
    }
    if (x < 0)
        angle = t + kPi;
    else if (y >= 0)
        angle = t;
    else
        angle = t + kTwoPi;
    if (angle >= kTwoPi) angle -= kTwoPi;
}

double norm2pi(double x) {
    double y = x - std::trunc(x / kTwoPi) * kTwoPi;
    if (y < 0) y += kTwoPi;
    // A tiny negative remainder (or -2 pi itself) would give 2 pi exactly.
    if (y >= kTwoPi) y = 0.0;
    return y;
}

bool char_rl(std::string_view text, double& value, int point_pos) {
    if (io::is_blank(text)) {
        value = kEmptyField;
        return true;
    }
    bool negative = false, any = false, point = false;
    double int_part = 0.0, frac_part = 0.0, scale = 1.0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const int pos = static_cast<int>(i) + 1;
        if (c == ' ' || c == '\0') continue;
        if (c == '+' || c == '-') {
            // Signs are accepted anywhere before the first collected character.
            if (any) return false;
            if (c == '-') negative = true;
            continue;
        }
        if (c == '.') {
            if (point || (point_pos != 0 && point_pos != pos)) return false;
            point = true;
            any = true;
            continue;
        }
        if (c < '0' || c > '9') return false;
        any = true;
        if (point) {
            scale /= 10.0;
            frac_part += (c - '0') * scale;
        } else {
            int_part = int_part * 10.0 + (c - '0');
        }
    }
    double v = int_part + frac_part;
    value = negative ? -v : v;
    return true;
}

namespace {
template <class It>
void change_case(It begin, It end, bool upper) {
    // Trailing blanks are never letters, so the whole text can be mapped.
    for (It it = begin; it != end; ++it) {
        const char c = *it;
        if (upper && c >= 'a' && c <= 'z') *it = static_cast<char>(c - 'a' + 'A');
        if (!upper && c >= 'A' && c <= 'Z') *it = static_cast<char>(c - 'A' + 'a');
    }
}
}  // namespace

void strup(std::string& text) { change_case(text.begin(), text.end(), true); }
void strdown(std::string& text) { change_case(text.begin(), text.end(), false); }
void strup(std::span<char> text) { change_case(text.begin(), text.end(), true); }

long long filesize(std::string_view name) { return io::file_size(std::string(io::trim_right(name))); }

void eldegrad(const double in[6], double out[6]) {
    for (int i = 0; i < 6; ++i) out[i] = (i == 4) ? in[i] : in[i] / kDegPerRad;
}

void dayhms(double fraction, int& h, int& m, double& s) {
    const double hours = 24.0 * fraction;
    h = static_cast<int>(hours);
    const double minutes = (hours - h) * 60.0;
    m = static_cast<int>(minutes);
    s = (minutes - m) * 60.0;
}

double hmsday(int h, int m, double s) { return ((s / 60.0 + m) / 60.0 + h) / 24.0; }

Status numxyz(std::string_view text1, std::string_view text2, double& first, double& second) {
    auto a = io::read_real(text1.substr(0, std::min<std::size_t>(6, text1.size())), 2);
    if (!a) return a.status();
    std::string t2(text2.substr(0, std::min<std::size_t>(5, text2.size())));
    if (t2 == "  X  ")
        t2 = " 0.15";
    else if (t2 == "  Y  ")
        t2 = " 0.25";
    else if (t2 == "  Z  ")
        t2 = " 0.40";
    auto b = io::read_real(t2, 2);
    if (!b) return b.status();
    first = *a;
    second = *b;
    return ok_status();
}

double hgmag(double r, double delta, double phase, double h, double g) {
    const double t = std::tan(phase / 2.0);
    const double phi1 = std::exp(-3.33 * std::pow(t, 0.63));
    const double phi2 = std::exp(-1.87 * std::pow(t, 1.22));
    return h + 5.0 * std::log10(r * delta) - 2.5 * std::log10((1.0 - g) * phi1 + g * phi2);
}

}  // namespace zelvomat
