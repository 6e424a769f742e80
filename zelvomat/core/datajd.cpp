#include "core/datajd.h"

#include <cmath>

#include "io/bytes.h"
#include "io/errchan.h"
#include "io/fields.h"
#include "io/recfile.h"
#include "zelvomat/zelvomat.h"

namespace zelvomat {

namespace {
// Delta T stays far below this (about 1e5 s four thousand years ago).
constexpr double kLargestDeltaT = 1.0e6;
}  // namespace

void caljd(int year, int month, int day, double fraction, std::int32_t& jd, double& jd_fraction, DayStart mode) {
    // Day number of the Julian day whose noon falls on the calendar date.
    int y = year, m = month;
    if (m > 2) {
        m -= 3;
    } else {
        m += 9;
        y -= 1;
    }
    const int c = y / 100;
    const int a = y - 100 * c;
    const std::int32_t j = (153 * m + 2) / 5 + (1461 * a) / 4 + (146097 * c) / 4 + day + 1721119;
    const bool civil = mode == DayStart::Civil || (mode == DayStart::ByYear && year >= 1925);
    if (!civil) {
        jd = j;
        jd_fraction = fraction;
        return;
    }
    jd = j - 1;
    jd_fraction = fraction + 0.5;
    if (jd_fraction - 1.0 >= 0.0) {
        jd += 1;
        jd_fraction -= 1.0;
    }
}

void jdcal(std::int32_t jd, double jd_fraction, int& year, int& month, int& day, double& day_fraction) {
    double f = jd_fraction + 0.5;
    std::int32_t j = jd;
    if (f >= 1.0) {
        f -= 1.0;
        j = jd + 1;
    }
    day_fraction = f;
    // Days from 0000 March 1 (Gregorian), in 64 bits. The centuries are
    // counted down (floor division), so that the days before that date, where
    // the count is negative, still fall into a century with its days counted
    // upwards from 0: truncation toward zero gave them negative months and
    // days.
    const std::int64_t days = static_cast<std::int64_t>(j) - 1721119;
    const auto floor_div = [](std::int64_t n, std::int64_t d) { return n >= 0 ? n / d : -((-n + d - 1) / d); };
    const std::int64_t c = floor_div(4 * days - 1, 146097);
    std::int64_t t = floor_div(4 * days - 1 - 146097 * c, 4);
    const std::int64_t a = (4 * t + 3) / 1461;
    t = (4 * t + 7 - 1461 * a) / 4;
    const std::int64_t m = (5 * t - 3) / 153;
    day = static_cast<int>((5 * t + 2 - 153 * m) / 5);
    year = static_cast<int>(100 * c + a);
    if (m < 10) {
        month = static_cast<int>(m + 3);
    } else {
        month = static_cast<int>(m - 9);
        year += 1;
    }
}

bool is_calendar_jd(double jd) { return std::fabs(jd) <= kLargestCalendarJd; }

std::int32_t day_number(double whole_days) {
    if (!(whole_days >= -kLargestCalendarJd))
        return whole_days <= 0.0 ? static_cast<std::int32_t>(-kLargestCalendarJd) : 0;
    if (whole_days > kLargestCalendarJd) return static_cast<std::int32_t>(kLargestCalendarJd);
    return static_cast<std::int32_t>(whole_days);
}

double packed_to_jd(double packed) {
    if (!(std::fabs(packed) < kLargestPackedDate)) return std::nan("");
    // Rounded to 5 decimals: the integer part is the date, the 5 decimals the
    // fraction of the civil day.
    const long long t = std::llround(packed * 1e5);
    const long long n = t / 100000;
    const double frac = static_cast<double>(t % 100000) / 1e5;
    std::int32_t jd = 0;
    double f = 0;
    caljd(static_cast<int>(n / 10000), static_cast<int>((n / 100) % 100), static_cast<int>(n % 100), frac, jd, f,
          DayStart::Civil);
    return jd + f;
}

CivilDate5 civil_date5(double jd) {
    const double whole = std::trunc(jd);
    const std::int32_t j = day_number(whole);
    CivilDate5 c;
    double df = 0;
    jdcal(j, jd - whole, c.year, c.month, c.day, df);
    c.frac5 = std::llround(df * 1e5);
    if (c.frac5 >= 100000) {
        // The fraction rounds to a whole day: the date is the next day's.
        std::int32_t j0 = 0;
        double f0 = 0;
        caljd(c.year, c.month, c.day, 0.0, j0, f0, DayStart::Civil);
        jdcal(j0 + 1, f0, c.year, c.month, c.day, df);
        c.frac5 = 0;
    }
    return c;
}

double jd_to_packed(double jd) {
    if (!is_calendar_jd(jd)) return std::nan("");
    const CivilDate5 c = civil_date5(jd);
    const long long t = (static_cast<long long>(c.year) * 10000 + c.month * 100 + c.day) * 100000 + c.frac5;
    return static_cast<double>(t) / 1e5;
}

Status load_delta_t(DeltaTTable& t, const std::string& path) {
    t = DeltaTTable{};
    auto f = io::RecordFile::open(path, 8, io::OpenMode::Read);
    if (!f) return f.status();
    auto count = f->record_count();
    if (!count) return count.status();
    std::uint8_t rec[8];
    ZEL_TRY(f->read(1, rec));
    DeltaTTable loaded;
    loaded.last_year = io::get_f64(rec, 0);
    auto damaged = [&](std::int64_t record, double v) {
        return error_status("The Delta T table " + path + " is damaged: record " + std::to_string(record) + " holds " +
                            io::number_text(v) + ".");
    };
    if (!(std::fabs(loaded.last_year) <= 999999.0)) return damaged(1, loaded.last_year);
    const std::int64_t values = std::min<std::int64_t>(*count - 1, DeltaTTable::kCapacity);
    for (std::int64_t k = 1; k <= values; ++k) {
        ZEL_TRY(f->read(k + 1, rec));
        const double v = io::get_f64(rec, 0);
        if (!(std::fabs(v) <= kLargestDeltaT)) return damaged(k + 1, v);
        loaded.v[static_cast<std::size_t>(k - 1)] = v;
    }
    loaded.n = static_cast<int>(values);
    t = loaded;
    return ok_status();
}

void deltat(const DeltaTTable& t, std::int32_t jd, double fraction, DeltaTDirection direction, double& dt,
            double& fraction_out) {
    auto V = [&](int k) { return t.v[static_cast<std::size_t>(k - 1)]; };
    const double b = (jd - 2415020 + fraction - 0.31352) / 365.242199 + 1900.0;  // Besselian year
    double value = 0.0;
    if (!std::isfinite(b)) {
        value = std::nan("");
    } else if (t.n <= 0 || b <= 1820.5) {
        value = 0.0;
    } else if (b > t.last_year) {
        value = V(t.n);
    } else {
        double y0 = 1820.0, h = 1.0;
        int k0 = 2;
        if (b >= 1956.0) {
            y0 = 1956.0;
            h = 0.25;
            k0 = 143;
        }
        const int i = static_cast<int>((b - y0) / h);
        const double p = (b - y0 - i * h) / h;
        const int k = k0 + i;
        if (k + 2 > t.n) {
            value = V(t.n);
        } else {
            const double c1 = p * (p - 1.0) / 4.0;
            const double c2 = (p - 0.5) * c1 * 2.0 / 3.0;
            value = V(k) + p * (V(k + 1) - V(k)) + c1 * (V(k + 2) - V(k + 1) - V(k) + V(k - 1)) +
                    c2 * (V(k + 2) - 3.0 * V(k + 1) + 3.0 * V(k) - V(k - 1));
        }
    }
    if (direction == DeltaTDirection::UtToTt) {
        dt = value;
        fraction_out = fraction + value / 86400.0;
    } else {
        dt = -value;
        fraction_out = fraction - value / 86400.0;
    }
}

}  // namespace zelvomat

extern "C" ZELVOMAT_API void DateT(short mode, double x, double* y) {
    zelvomat::export_guard([&] {
        if (y == nullptr || (mode != 1 && mode != 2)) return zelvomat::ok_status();
        const double r = mode == 1 ? zelvomat::packed_to_jd(x) : zelvomat::jd_to_packed(x);
        if (std::isnan(r))
            return zelvomat::error_status(mode == 1 ? "The packed date is not a date of the calendar."
                                                    : "The Julian date is not a date of the calendar.");
        *y = r;
        return zelvomat::ok_status();
    });
}
