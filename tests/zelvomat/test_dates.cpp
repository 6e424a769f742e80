// Calendar and Julian dates against ERFA, the DateT export, Delta T.
#include <erfa.h>
#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>
#include <random>

#include "core/datajd.h"
#include "io/bytes.h"
#include "io/recfile.h"
#include "support.h"
#include "zelvomat/zelvomat.h"

using namespace zelvomat;

namespace {
// Civil date (from midnight) of a Julian date, by ERFA.
void erfa_civil(double jd, int& y, int& m, int& d, double& fd) { ASSERT_EQ(eraJd2cal(jd, 0.0, &y, &m, &d, &fd), 0); }
double erfa_jd(int y, int m, int d, double fd) {
    double djm0 = 0, djm = 0;
    EXPECT_EQ(eraCal2jd(y, m, d, &djm0, &djm), 0);
    return djm0 + djm + fd;
}
}  // namespace

TEST(Calendar, CaljdAndJdcalAgreeWithErfa1800To2100) {
    double djm0 = 0, first = 0, last = 0;
    eraCal2jd(1800, 1, 1, &djm0, &first);
    eraCal2jd(2100, 12, 31, &djm0, &last);
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> frac(0.0, 1.0);
    for (double mjd = first; mjd <= last; mjd += 1.0) {
        int y = 0, m = 0, d = 0;
        double fd = 0;
        erfa_civil(djm0 + mjd, y, m, d, fd);
        const double f = std::floor(frac(rng) * 1e6) / 1e6;
        std::int32_t jd = 0;
        double jf = 0;
        caljd(y, m, d, f, jd, jf, DayStart::Civil);
        ASSERT_NEAR(jd + jf, erfa_jd(y, m, d, f), 1e-9) << y << "-" << m << "-" << d;  // 1e-9 d: double sum
        ASSERT_GE(jf, 0.0);
        ASSERT_LT(jf, 1.0);
        int yy = 0, mm = 0, dd = 0;
        double df = 0;
        jdcal(jd, jf, yy, mm, dd, df);
        ASSERT_EQ(yy, y);
        ASSERT_EQ(mm, m);
        ASSERT_EQ(dd, d);
        ASSERT_NEAR(df, f, 1e-12);
    }
}

// Year 0 and the years before it, in ERFA's proleptic Gregorian calendar
// (valid from -4799 on), every 37th day with a fraction: the century count of
// jdcal once went toward zero there and gave negative months and days.
TEST(Calendar, JdcalAgreesWithErfaBeforeYearOne) {
    double djm0 = 0, first = 0, last = 0;
    eraCal2jd(-4700, 1, 1, &djm0, &first);
    eraCal2jd(400, 12, 31, &djm0, &last);
    for (double mjd = first; mjd <= last; mjd += 37.0) {
        const double jd = djm0 + mjd + 0.3;
        int y = 0, m = 0, d = 0;
        double fd = 0;
        ASSERT_EQ(eraJd2cal(jd, 0, &y, &m, &d, &fd), 0);
        const double whole = std::floor(jd);
        int yy = 0, mm = 0, dd = 0;
        double df = 0;
        jdcal(static_cast<std::int32_t>(whole), jd - whole, yy, mm, dd, df);
        ASSERT_EQ(yy, y) << jd;
        ASSERT_EQ(mm, m) << jd;
        ASSERT_EQ(dd, d) << jd;
        ASSERT_NEAR(df, fd, 1e-9) << jd;
    }
}

TEST(Calendar, ModesAndKnownDates) {
    std::int32_t jd = 0;
    double f = 0;
    caljd(2000, 1, 1, 0.5, jd, f, DayStart::Astronomical);
    EXPECT_EQ(jd, 2451545);
    EXPECT_EQ(f, 0.5);
    caljd(2000, 1, 1, 0.5, jd, f, DayStart::Civil);
    EXPECT_EQ(jd, 2451545);
    EXPECT_EQ(f, 0.0);
    caljd(2000, 1, 1, 0.5, jd, f, DayStart::ByYear);  // from 1925 on: civil
    EXPECT_EQ(jd, 2451545);
    EXPECT_EQ(f, 0.0);
    caljd(1900, 1, 1, 0.0, jd, f, DayStart::ByYear);  // before 1925: astronomical
    EXPECT_EQ(jd, 2415021);
    EXPECT_EQ(f, 0.0);
    caljd(1999, 13, 1, 0.0, jd, f, DayStart::Civil);  // month 13 runs on into January
    EXPECT_EQ(jd + f, 2451544.5);

    int y = 0, m = 0, d = 0;
    double df = 0;
    jdcal(2451545, 0.0, y, m, d, df);
    EXPECT_EQ(y * 10000 + m * 100 + d, 20000101);
    EXPECT_EQ(df, 0.5);
    jdcal(2451544, 0.6, y, m, d, df);
    EXPECT_EQ(y * 10000 + m * 100 + d, 20000101);
    EXPECT_NEAR(df, 0.1, 1e-15);
    // Mode 2 round trip shifts by half a day.
    caljd(2000, 3, 1, 0.25, jd, f, DayStart::Astronomical);
    jdcal(jd, f, y, m, d, df);
    EXPECT_EQ(y * 10000 + m * 100 + d, 20000301);
    EXPECT_NEAR(df, 0.75, 1e-15);
}

TEST(DateTExport, BothModesAgreeWithErfa) {
    const struct {
        short mode;
        double x, y;
    } cases[] = {
        {1, 20000101.5, 2451545.0}, {2, 2451545.0, 20000101.5}, {2, 2451544.75, 20000101.25},
        {1, 18000101.0, 2378496.5}, {2, 2488069.5, 21000101.0},
    };
    for (const auto& c : cases) {
        double y = -1;
        DateT(c.mode, c.x, &y);
        EXPECT_EQ(y, c.y) << c.mode << " " << c.x;
    }
    double untouched = 42;
    DateT(3, 2451545.0, &untouched);
    EXPECT_EQ(untouched, 42);

    std::mt19937 rng(11);
    std::uniform_real_distribution<double> when(2378496.5, 2488069.5);  // 1800-2100
    for (int i = 0; i < 20000; ++i) {
        const double jd = when(rng);
        double packed = 0;
        DateT(2, jd, &packed);
        int y = 0, m = 0, d = 0;
        double fd = 0;
        erfa_civil(jd, y, m, d, fd);
        long long f5 = std::llround(fd * 1e5);
        if (f5 == 100000) {  // rounds to the next midnight: the next day's date
            erfa_civil(erfa_jd(y, m, d, 0.0) + 1.0, y, m, d, fd);
            f5 = 0;
        }
        const double expected = static_cast<double>((y * 10000LL + m * 100 + d) * 100000 + f5) / 1e5;  // NOLINT
        ASSERT_EQ(packed, expected) << std::setprecision(17) << jd;
        // Mode 1 back: within the 5-decimal rounding (0.5e-5 day).
        double back = 0;
        DateT(1, packed, &back);
        ASSERT_NEAR(back, jd, 0.5e-5 + 1e-9);
        ASSERT_NEAR(back, erfa_jd(y, m, d, static_cast<double>(f5) / 1e5), 1e-9);
    }
}

TEST(DateTExport, FractionRoundingToAWholeDayGivesTheNextDay) {
    // 9th of a month at 0.999996 of the day, and the last day of a year.
    const struct {
        int y, m, d;
        double expected;
    } cases[] = {{2021, 5, 9, 20210510.0}, {1999, 12, 31, 20000101.0}, {2000, 2, 29, 20000301.0}};
    for (const auto& c : cases) {
        const double jd = erfa_jd(c.y, c.m, c.d, 0.999996);
        double packed = 0;
        DateT(2, jd, &packed);
        EXPECT_EQ(packed, c.expected);
    }
}

namespace {
// A Delta T table whose values are a cubic in the entry number: Bessel's
// four-point formula reproduces a cubic exactly.
double cubic(double k) { return 0.001 * k * k * k - 0.2 * k * k + 3.0 * k + 10.0; }
void fill_table(DeltaTTable& t, double last_year, int n) {
    t = DeltaTTable{};
    t.last_year = last_year;
    t.n = n;
    for (int k = 1; k <= n; ++k) t.v[static_cast<std::size_t>(k - 1)] = cubic(k);
}
// Julian date of a Besselian year.
double jd_of_besselian(double b) { return (b - 1900.0) * 365.242199 + 2415020.31352; }
}  // namespace

TEST(DeltaT, InterpolatesTheTableWithBesselsFormula) {
    DeltaTTable table;
    fill_table(table, 2030.0, 440);
    const struct {
        double b, k;  // Besselian year and its fractional entry number (1818 + k yearly, 1956 + (k - 143)/4 after)
    } cases[] = {
        {1850.25, 32.25},          {1900.0, 82.0}, {1955.5, 137.5}, {1956.1, 143.4}, {1990.6, 143.0 + 34.6 * 4},
        {2020.1, 143.0 + 64.1 * 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.b);
        const double jd = jd_of_besselian(c.b);
        const auto j = static_cast<std::int32_t>(std::floor(jd));
        double dt = 0, fo = 0;
        deltat(table, j, jd - j, DeltaTDirection::UtToTt, dt, fo);
        EXPECT_NEAR(dt, cubic(c.k), 1e-6);  // 1e-6 s: rounding of the year arithmetic
        EXPECT_NEAR(fo, jd - j + dt / 86400.0, 1e-15);
        double back = 0;
        deltat(table, j, jd - j, DeltaTDirection::TtToUt, back, fo);
        EXPECT_EQ(back, -dt);
    }
}

TEST(DeltaT, EndsOfTheTable) {
    DeltaTTable table;
    fill_table(table, 2000.0, 300);
    double dt = 1, fo = 0;
    const double at = jd_of_besselian(1820.5);
    deltat(table, static_cast<std::int32_t>(std::floor(at)), at - std::floor(at), DeltaTDirection::UtToTt, dt, fo);
    EXPECT_EQ(dt, 0.0);
    const double after = jd_of_besselian(2000.0) + 1.0;
    deltat(table, static_cast<std::int32_t>(std::floor(after)), after - std::floor(after), DeltaTDirection::UtToTt, dt,
           fo);
    EXPECT_EQ(dt, cubic(300));
    // Inside the covered years but past the values loaded.
    fill_table(table, 2100.0, 300);
    const double late = jd_of_besselian(2050.0);
    deltat(table, static_cast<std::int32_t>(std::floor(late)), late - std::floor(late), DeltaTDirection::UtToTt, dt,
           fo);
    EXPECT_EQ(dt, cubic(300));
    // No table loaded: zero.
    const DeltaTTable none;
    deltat(none, 2451545, 0.0, DeltaTDirection::UtToTt, dt, fo);
    EXPECT_EQ(dt, 0.0);
}

TEST(DeltaT, LoadsEphcorr) {
    zeltest::ScopedWorkDir wd;
    {
        auto f = io::RecordFile::open("ephcorr", 8, io::OpenMode::Create);
        std::uint8_t r[8];
        io::put_f64(r, 0, 2025.0);
        ASSERT_TRUE(f->write(1, r).ok());
        for (int k = 1; k <= 600; ++k) {
            io::put_f64(r, 0, cubic(k));
            ASSERT_TRUE(f->write(k + 1, r).ok());
        }
    }
    DeltaTTable t;
    ASSERT_TRUE(load_delta_t(t, "ephcorr").ok());
    EXPECT_EQ(t.last_year, 2025.0);
    EXPECT_EQ(t.n, DeltaTTable::kCapacity);  // a longer file stops at the table's room
    EXPECT_EQ(t.v[499], cubic(500));
    EXPECT_FALSE(load_delta_t(t, "absent").ok());
    EXPECT_EQ(t.n, 0);  // a failed load leaves no stale table
}

TEST(DeltaT, BundledTableGivesThePublishedValues) {
    // tests/data/ephcorr is written by tools/deltat_table.py, as the package's.
    DeltaTTable table;
    ASSERT_TRUE(load_delta_t(table, std::string(ZELVO_TEST_DATA) + "/ephcorr").ok());
    // Published Delta T (IERS / Astronomical Almanac tables), seconds, at 1 January.
    const struct {
        int year;
        double dt, tol;
    } cases[] = {
        {1900, -2.72, 0.05}, {1950, 29.15, 0.05}, {1980, 50.54, 0.05},
        {2000, 63.83, 0.05}, {2010, 66.07, 0.05}, {2020, 69.36, 0.05},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.year);
        std::int32_t jd = 0;
        double f = 0, dt = 0, fo = 0;
        caljd(c.year, 1, 1, 0.0, jd, f, DayStart::Civil);
        deltat(table, jd, f, DeltaTDirection::UtToTt, dt, fo);
        EXPECT_NEAR(dt, c.dt, c.tol);
    }
}
