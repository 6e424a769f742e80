// Readers of dates typed as text (see inpdat.h).
#include "tasks/inpdat.h"

#include <cmath>
#include <string>

#include "core/datajd.h"
#include "io/fields.h"

namespace zelvomat {
namespace {

// Julian date of a civil calendar date whose day carries its fraction.
double civil_jd(int year, int month, double day) {
    const double whole = std::trunc(day);
    std::int32_t jd = 0;
    double f = 0.0;
    caljd(year, month, static_cast<int>(whole), day - whole, jd, f, DayStart::Civil);
    return jd + f;
}

bool in_int_range(std::int64_t v) { return v >= -2147483647LL && v <= 2147483647LL; }

}  // namespace

void Inpdat1(std::string_view text, double& value, bool& bad) {
    bad = true;
    if (io::is_blank(text)) return;
    // Character at position p (1-based); past the end a blank.
    const auto at = [&text](std::size_t p) { return p <= text.size() ? text[p - 1] : ' '; };
    std::size_t s = 1;
    while (at(s) == ' ' || at(s) == '\0') ++s;
    std::size_t i = 0;
    for (std::size_t p = 1; p <= 15; ++p) {
        if (at(p) == '.') {
            i = p;
            break;
        }
    }
    if (i == 0 || i > 14) return;
    if (i - s == 8) {
        auto year = io::read_int(io::column(text, s, 4));
        auto month = io::read_int(io::column(text, s + 4, 2));
        auto day = io::read_real(io::column(text, s + 6, 14 - (s + 6) + 1), 5);
        if (!year || !month || !day || !in_int_range(*year)) return;
        if (*month > 12 || *day > 32.0 || *day < -2147483647.0) return;
        value = civil_jd(static_cast<int>(*year), static_cast<int>(*month), *day);
        bad = false;
    } else if (i - s == 7) {
        auto jd = io::read_real(io::column(text, 1, 14), 5);
        if (!jd) return;
        value = *jd;
        bad = false;
    }
}

void Inpdat(std::string_view text, double& value, bool& ok) {
    bool bad = true;
    Inpdat1(text, value, bad);
    ok = !bad;
}

void Inpdat2(std::string_view text, double& value, std::int32_t& err) {
    err = 1;
    std::string w;
    for (std::size_t p = 0; p < text.size() && p < 15; ++p)
        if (text[p] != ' ' && text[p] != '\0') w.push_back(text[p]);
    if (!w.empty() && w[0] == '-') return;
    std::size_t q = w.rfind('.');
    if (q == std::string::npos) {
        w.push_back('.');
        q = w.size();
    } else {
        ++q;  // 1-based place of the point
    }
    if (q == 9) {
        auto year = io::read_int(std::string_view(w).substr(0, 4));
        auto month = io::read_int(std::string_view(w).substr(4, 2));
        auto day = io::read_real(std::string_view(w).substr(6), 6);
        if (!year || !month || !day || !in_int_range(*year)) return;
        if (*month < 1 || *month > 12 || *day < 1.0 || *day > 32.0) return;
        value = civil_jd(static_cast<int>(*year), static_cast<int>(*month), *day);
        err = 0;
    } else if (q == 8) {
        auto jd = io::read_real(io::pad(w, 15), 6);
        if (!jd) return;
        value = *jd;
        err = 0;
    }
}

}  // namespace zelvomat
