// Ephemeris result lines: the layouts of the ten output kinds, the rounding
// of the sexagesimal fields (checked against ERFA's splits), the special
// objects and the records of "result.ep4".
#include <erfa.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "core/force.h"
#include "core/magn.h"
#include "support.h"
#include "tasks/outform.h"

namespace {

using namespace zelvomat;

// An expected line, built column by column from the layout tables.
struct Line {
    std::string s = std::string(80, ' ');
    Line& at(std::size_t col, std::string_view t) {
        s.replace(col - 1, t.size(), t);
        return *this;
    }
};

double hms(char sign, int h, int m, double s) {
    double rad = 0;
    EXPECT_EQ(eraTf2a(sign, h, m, s, &rad), 0);
    return rad;
}
double dms(char sign, int d, int m, double s) {
    double rad = 0;
    EXPECT_EQ(eraAf2a(sign, d, m, s, &rad), 0);
    return rad;
}
double deg(double d) { return d / 57.29577951308232; }

// Seconds as ERFA splits them (whole part and fraction digits), written as
// the line writes them: right-aligned in width characters.
std::string seconds_text(int whole, int fraction, int width, int decimals) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%*d.%0*d", width - decimals - 1, whole, decimals, fraction);
    return buf;
}

// Julian date of a calendar date at a fraction of the civil day (ERFA).
double jd_of(int y, int m, int d, double fraction) {
    double djm0 = 0, djm = 0;
    EXPECT_EQ(eraCal2jd(y, m, d, &djm0, &djm), 0);
    return djm0 + djm + fraction;
}

// 2000 January 1, 12h: eraJd2cal(2451545.0) gives 2000 1 1 and 0.5.
constexpr double kJ2000 = 2451545.0;
const char* const kDateJ2000 = "2000  1  1.50000";

EphResultValues spherical(double a1, double a2, double delta, double r, double phase_deg, double mag,
                          double elong_deg) {
    EphResultValues v;
    v(SphQuantity::Angle1) = a1;
    v(SphQuantity::Angle2) = a2;
    v(SphQuantity::Distance) = delta;
    v(SphQuantity::SunDistance) = r;
    v(SphQuantity::Phase) = deg(phase_deg);
    v(SphQuantity::Magnitude) = mag;
    v(SphQuantity::Elongation) = deg(elong_deg);
    return v;
}

EphemerisText lines(std::int32_t number, double jd, EphOutputKind kind, const EphResultValues& v, std::int16_t flag = 1,
                    bool no_mag = false) {
    return format_ephemeris_lines(number, jd, kind, v, flag, no_mag);
}

TEST(OutputKind, FromTheTaskCodes) {
    struct Case {
        const char *coord, *plane, *output;
        int kind;  // 0: no layout
    } cases[] = {
        {"SPH", "EQT", "EMP", 2}, {"SPH", "ECL", "EMP", 3},  {"SPH", "HRZ", "EMP", 4},  {"SPH", "EQT", "POS", 5},
        {"SPH", "ECL", "POS", 6}, {"SPH", "HRZ", "POS", 7},  {"REC", "EQT", "POS", 8},  {"REC", "ECL", "POS", 8},
        {"SPH", "EQT", "PSV", 9}, {"SPH", "ECL", "PSV", 10}, {"REC", "EQT", "PSV", 11}, {"REC", "EQT", "EMP", 0},
        {"SPH", "HRZ", "PSV", 0}, {"SPH", "XYZ", "POS", 0},  {"SPH", "EQT", "ABC", 0},  {"   ", "EQT", "POS", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.coord) + " " + c.plane + " " + c.output);
        const auto k = eph_output_kind(c.coord, c.plane, c.output);
        if (c.kind == 0) {
            EXPECT_FALSE(k.has_value());
        } else {
            ASSERT_TRUE(k.has_value());
            EXPECT_EQ(kind_number(*k), c.kind);
        }
    }
    EXPECT_FALSE(eph_output_kind_from_number(1));
    EXPECT_FALSE(eph_output_kind_from_number(12));
    EXPECT_EQ(eph_output_kind_from_number(7), EphOutputKind::PosHorizon);
}

// Every layout with values whose fields are written out by hand from the
// column tables.
TEST(Outform, LayoutsOfEveryKind) {
    // R.A. 12h 34m 56.78s, Decl. -5 06 07.8 (ERFA's eraTf2a and eraAf2a).
    const double ra = hms('+', 12, 34, 56.78), dec = dms('-', 5, 6, 7.8);
    // Longitude 234 56' 07.8", latitude +12 34' 05.6".
    const double lon = dms('+', 234, 56, 7.8), lat = dms('+', 12, 34, 5.6);
    struct Case {
        const char* what;
        EphOutputKind kind;
        EphResultValues v;
        int count;
        std::string l1, l2;
    };
    std::vector<Case> cases;

    {
        // EMP equator: R.A. 5h 12.34m (20.4 s), Decl. +23 45.6' (36").
        EphResultValues v = spherical(hms('+', 5, 12, 20.4), dms('+', 23, 45, 36.0), 0.98765, 1.5, 45.67, 9.87, 120.4);
        cases.push_back({"EMP equator", EphOutputKind::EmpEquator, v, 1,
                         Line{}
                             .at(1, kDateJ2000)
                             .at(18, "  5")
                             .at(21, " 12.34")
                             .at(30, "+")
                             .at(31, "23")
                             .at(33, " 45.6")
                             .at(39, " 0.98765")
                             .at(50, " 1.50000")
                             .at(61, " 45.7")
                             .at(68, " 9.9")
                             .at(75, "120")
                             .at(78, "E")
                             .s,
                         std::string(80, ' ')});
    }
    {
        // EMP ecliptic: longitude 234 56.1' (56' 06"), latitude -1 02.3'.
        EphResultValues v = spherical(dms('+', 234, 56, 6.0), dms('-', 1, 2, 18.0), 2.5, 3.25, 5.04, 17.25, -170.6);
        cases.push_back({"EMP ecliptic", EphOutputKind::EmpEcliptic, v, 1,
                         Line{}
                             .at(1, kDateJ2000)
                             .at(18, "234")
                             .at(21, " 56.1")
                             .at(30, "-")
                             .at(31, " 1")
                             .at(33, "  2.3")
                             .at(39, " 2.50000")
                             .at(50, " 3.25000")
                             .at(61, "  5.0")
                             .at(68, "17.3")  // 17.25 is exact in binary: the half goes up
                             .at(75, "171")
                             .at(78, "W")
                             .s,
                         std::string(80, ' ')});
    }
    {
        // EMP horizon: azimuth 359 59.9', altitude +45 00.0'.
        EphResultValues v = spherical(dms('+', 359, 59, 54.0), dms('+', 45, 0, 0.0), 0.5, 1.1, 60.0, 12.0, 30.0);
        cases.push_back({"EMP horizon", EphOutputKind::EmpHorizon, v, 1,
                         Line{}
                             .at(1, kDateJ2000)
                             .at(18, "359")
                             .at(21, " 59.9")
                             .at(30, "+")
                             .at(31, "45")
                             .at(33, "  0.0")
                             .at(39, " 0.50000")
                             .at(50, " 1.10000")
                             .at(61, " 60.0")
                             .at(68, "12.0")
                             .at(75, " 30")
                             .at(78, "E")
                             .s,
                         std::string(80, ' ')});
    }
    {
        EphResultValues v = spherical(ra, dec, 1.234567, 2.345678, 12.34, 14.56, -123.44);
        cases.push_back({"POS equator", EphOutputKind::PosEquator, v, 2,
                         Line{}
                             .at(1, kDateJ2000)
                             .at(19, " 12")
                             .at(22, " 34")
                             .at(25, " 56.78")
                             .at(33, "-")
                             .at(34, " 5")
                             .at(36, "  6")
                             .at(39, "  7.8")
                             .at(45, " 1.234567")
                             .at(55, " 2.345678")
                             .at(66, " 12.3")
                             .at(75, "14.6")
                             .s,
                         Line{}.at(66, "123.4").at(71, "W").s});
    }
    {
        EphResultValues v = spherical(lon, lat, 0.1, 1.05, 95.5, 20.1, 44.44);
        cases.push_back({"POS ecliptic", EphOutputKind::PosEcliptic, v, 2,
                         Line{}
                             .at(1, kDateJ2000)
                             .at(19, "234")
                             .at(22, " 56")
                             .at(25, "  7.8")
                             .at(33, "+")
                             .at(34, "12")
                             .at(36, " 34")
                             .at(39, "  5.6")
                             .at(45, " 0.100000")
                             .at(55, " 1.050000")
                             .at(66, " 95.5")
                             .at(75, "20.1")
                             .s,
                         Line{}.at(66, " 44.4").at(71, "E").s});
    }
    {
        // Horizon, altitude below the horizon.
        EphResultValues v = spherical(dms('+', 10, 0, 0.5), dms('-', 30, 15, 0.0), 3.0, 4.0, 1.0, 8.0, 179.96);
        cases.push_back({"POS horizon", EphOutputKind::PosHorizon, v, 2,
                         Line{}
                             .at(1, kDateJ2000)
                             .at(19, " 10")
                             .at(22, "  0")
                             .at(25, "  0.5")
                             .at(33, "-")
                             .at(34, "30")
                             .at(36, " 15")
                             .at(39, "  0.0")
                             .at(45, " 3.000000")
                             .at(55, " 4.000000")
                             .at(66, "  1.0")
                             .at(75, " 8.0")
                             .s,
                         Line{}.at(66, "180.0").at(71, "E").s});
    }
    {
        EphResultValues v;
        v(RecQuantity::X) = 1.25;
        v(RecQuantity::Y) = -0.5;
        v(RecQuantity::Z) = 0.0625;
        v(RecQuantity::ObserverDistance) = 1.5;
        v(RecQuantity::SunDistance) = 2.75;
        v(RecQuantity::Speed) = 29.7846;
        cases.push_back({"POS rectangular", EphOutputKind::PosRectangular, v, 1,
                         Line{}
                             .at(1, kDateJ2000)
                             .at(18, "  1.250000")
                             .at(29, " -0.500000")
                             .at(40, "  0.062500")
                             .at(52, " 1.500000")
                             .at(62, " 2.750000")
                             .at(74, " 29.785")
                             .s,
                         std::string(80, ' ')});
    }
    {
        // Rates per day: R.A. -0h 0m 41.25s (of time), Decl. +0 12' 34.5".
        EphResultValues v = spherical(ra, dec, 1.234567, 2.345678, 12.34, 14.56, 98.76);
        v(SphQuantity::Rate1) = hms('-', 0, 0, 41.25);
        v(SphQuantity::Rate2) = dms('+', 0, 12, 34.5);
        v(SphQuantity::DistanceRate) = -0.0123456789;
        cases.push_back({"PSV equator", EphOutputKind::PsvEquator, v, 2,
                         Line{}
                             .at(1, kDateJ2000)
                             .at(19, " 12")
                             .at(22, " 34")
                             .at(25, " 56.78")
                             .at(34, "-")
                             .at(35, " 5")
                             .at(37, "  6")
                             .at(40, "  7.8")
                             .at(46, " 1.234567")
                             .at(57, " 2.345678")
                             .at(67, " 12.3")
                             .at(76, "14.6")
                             .s,
                         Line{}
                             .at(19, "-")
                             .at(20, " 0")
                             .at(22, "  0")
                             .at(25, " 41.25")
                             .at(34, "+")
                             .at(35, " 0")
                             .at(37, " 12")
                             .at(40, " 34.5")
                             .at(46, "-0.01234568")
                             .at(67, " 98.8")
                             .at(72, "E")
                             .s});
    }
    {
        EphResultValues v = spherical(lon, lat, 0.1, 1.05, 95.5, 20.1, -44.44);
        v(SphQuantity::Rate1) = dms('+', 1, 2, 3.4);
        v(SphQuantity::Rate2) = dms('-', 0, 0, 5.0);
        v(SphQuantity::DistanceRate) = 0.00012345;
        cases.push_back({"PSV ecliptic", EphOutputKind::PsvEcliptic, v, 2,
                         Line{}
                             .at(1, kDateJ2000)
                             .at(19, "234")
                             .at(22, " 56")
                             .at(25, "  7.8")
                             .at(34, "+")
                             .at(35, "12")
                             .at(37, " 34")
                             .at(40, "  5.6")
                             .at(46, " 0.100000")
                             .at(57, " 1.050000")
                             .at(67, " 95.5")
                             .at(76, "20.1")
                             .s,
                         Line{}
                             .at(19, "+")
                             .at(20, " 1")
                             .at(22, "  2")
                             .at(25, "  3.4")
                             .at(34, "-")
                             .at(35, " 0")
                             .at(37, "  0")
                             .at(40, "  5.0")
                             .at(46, " 0.00012345")
                             .at(67, " 44.4")
                             .at(72, "W")
                             .s});
    }
    {
        EphResultValues v;
        v(RecQuantity::X) = -1.25;
        v(RecQuantity::Y) = 0.5;
        v(RecQuantity::Z) = -0.0625;
        v(RecQuantity::VX) = 0.0171875;
        v(RecQuantity::VY) = -0.00390625;
        v(RecQuantity::VZ) = 0.0;
        v(RecQuantity::ObserverDistance) = 12.5;
        v(RecQuantity::ObserverDistanceRate) = -0.0009765625;
        v(RecQuantity::SunDistance) = 13.0;
        v(RecQuantity::Speed) = 5.125;
        cases.push_back(
            {"PSV rectangular", EphOutputKind::PsvRectangular, v, 2,
             Line{}
                 .at(1, kDateJ2000)
                 .at(18, " -1.250000")
                 .at(30, "  0.500000")
                 .at(42, " -0.062500")
                 .at(54, " 12.500000")
                 .at(65, "13.000000")
                 .at(74, "  5.125")
                 .s,
             Line{}.at(19, " 0.01718750").at(31, "-0.00390625").at(43, " 0.00000000").at(55, "-0.00097656").s});
    }

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const EphemerisText t = lines(1234, kJ2000, c.kind, c.v);
        ASSERT_EQ(t.count, c.count);
        EXPECT_EQ(t.lines[0], c.l1);
        if (c.count == 2) {
            EXPECT_EQ(t.lines[1], c.l2);
        }
        EXPECT_EQ(t.lines[0].size(), 80u);
        EXPECT_EQ(t.lines[1].size(), 80u);
    }
}

// Dates: the civil date of the Julian date (checked against eraJd2cal), the
// fraction to 5 decimals, and a fraction that rounds to a whole day shown as
// the next day's 0h.
TEST(Outform, DateColumns) {
    struct Case {
        double jd;
        const char* cols;  // columns 1-16
    } cases[] = {
        {kJ2000, "2000  1  1.50000"},
        {jd_of(1999, 12, 31, 0.0), "1999 12 31.00000"},
        {jd_of(2024, 2, 29, 0.123454), "2024  2 29.12345"},
        {jd_of(2000, 1, 31, 0.999999), "2000  2  1.00000"},   // not "31 32.00000"
        {jd_of(2000, 12, 31, 0.999996), "2001  1  1.00000"},  // into the next year
        {jd_of(2000, 1, 31, 0.999994), "2000  1 31.99999"},
    };
    const EphResultValues v = spherical(1.0, 0.5, 1.0, 1.0, 10.0, 10.0, 90.0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cols);
        int iy = 0, im = 0, id = 0;
        double fd = 0;
        ASSERT_EQ(eraJd2cal(c.jd, 0.0, &iy, &im, &id, &fd), 0);
        if (fd < 0.999995) {  // ERFA's date of the same instant
            char buf[32];
            std::snprintf(buf, sizeof buf, "%4d%3d", iy, im);
            EXPECT_EQ(std::string(c.cols, 7), buf);
        }
        const EphemerisText t = lines(1, c.jd, EphOutputKind::EmpEquator, v);
        EXPECT_EQ(t.lines[0].substr(0, 16), c.cols);
    }
}

// The sexagesimal fields of the POS and PSV kinds against ERFA's eraA2tf and
// eraA2af over many random directions and rates (exact agreement: both round
// the last part before the split).
TEST(Outform, SexagesimalFieldsAgreeWithErfa) {
    std::mt19937_64 rng(20240501);
    std::uniform_real_distribution<double> ra_dist(0.0, 2 * 3.141592653589793);
    std::uniform_real_distribution<double> dec_dist(-1.5707963, 1.5707963);
    std::uniform_real_distribution<double> rate_dist(-0.3, 0.3);
    auto num = [](const std::string& line, std::size_t col, std::size_t width) {
        return std::stod(line.substr(col - 1, width));
    };
    char sign = 0;
    int f[4];
    for (int i = 0; i < 2000; ++i) {
        EphResultValues v = spherical(ra_dist(rng), dec_dist(rng), 1.0, 1.0, 10.0, 10.0, 90.0);
        v(SphQuantity::Rate1) = rate_dist(rng);
        v(SphQuantity::Rate2) = rate_dist(rng);
        const EphemerisText pos = lines(7, kJ2000, EphOutputKind::PosEquator, v);
        const EphemerisText psv = lines(7, kJ2000, EphOutputKind::PsvEcliptic, v);
        const std::string& l = pos.lines[0];

        eraA2tf(2, v(1), &sign, f);
        if (f[0] == 24) continue;  // ERFA leaves 24h to its caller as well
        EXPECT_EQ(num(l, 19, 3), f[0]);
        EXPECT_EQ(num(l, 22, 3), f[1]);
        EXPECT_EQ(l.substr(24, 6), seconds_text(f[2], f[3], 6, 2));

        eraA2af(1, v(2), &sign, f);
        EXPECT_EQ(l[32], sign);
        EXPECT_EQ(num(l, 34, 2), f[0]);
        EXPECT_EQ(num(l, 36, 3), f[1]);
        EXPECT_EQ(l.substr(38, 5), seconds_text(f[2], f[3], 5, 1));

        // PSV ecliptic: the rates in degrees, arcminutes and arcseconds.
        const std::string& r = psv.lines[1];
        eraA2af(1, v(4), &sign, f);
        EXPECT_EQ(r[18], sign);
        EXPECT_EQ(num(r, 20, 2), f[0]);
        EXPECT_EQ(num(r, 22, 3), f[1]);
        EXPECT_EQ(r.substr(24, 5), seconds_text(f[2], f[3], 5, 1));
        eraA2af(1, v(5), &sign, f);
        EXPECT_EQ(r[33], sign);
        EXPECT_EQ(r.substr(39, 5), seconds_text(f[2], f[3], 5, 1));
        if (HasFailure()) {
            ADD_FAILURE() << "at sample " << i;
            break;
        }
    }
}

// Rounding carries into the minutes, degrees and hours; the sign of a
// declination whose degrees are 0.
TEST(Outform, RoundingCarriesAndSignOfSmallAngles) {
    struct Case {
        const char* what;
        EphOutputKind kind;
        double a1, a2;
        std::size_t col1;
        std::string first;  // fields of angle 1 from col1 on
        std::size_t col2;
        std::string second;  // sign and fields of angle 2 from col2 on
    } cases[] = {
        // 12h 59m 59.996s to 2 decimals of a second: 13 00 00.00.
        {"seconds of time carry", EphOutputKind::PosEquator, hms('+', 12, 59, 59.996), dms('+', 10, 59, 59.96), 19,
         " 13  0  0.00", 33, "+11  0  0.0"},
        // 59.99 s of arc to 1 decimal: the next minute.
        {"seconds of arc carry", EphOutputKind::PosEcliptic, dms('+', 99, 59, 59.99), dms('-', 0, 0, 5.0), 19,
         "100  0  0.0", 33, "- 0  0  5.0"},
        {"small negative latitude", EphOutputKind::PosEcliptic, dms('+', 1, 0, 0.0), dms('-', 0, 59, 59.97), 19,
         "  1  0  0.0", 33, "- 1  0  0.0"},
        // A declination that rounds to zero keeps its sign, as ERFA's does.
        {"negative zero", EphOutputKind::PsvEquator, hms('+', 0, 0, 0.004), dms('-', 0, 0, 0.04), 19, "  0  0  0.00",
         34, "- 0  0  0.0"},
        // EMP: 5h 59.996m to 2 decimals of a minute, 10 59.96' to 1 decimal.
        {"EMP minutes carry", EphOutputKind::EmpEquator, hms('+', 5, 59, 59.76), dms('-', 10, 59, 57.6), 18,
         "  6  0.00", 30, "-11  0.0"},
        {"EMP negative zero", EphOutputKind::EmpEcliptic, dms('+', 0, 0, 1.0), dms('-', 0, 0, 5.0), 18, "  0  0.0", 30,
         "- 0  0.1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const EphemerisText t = lines(5, kJ2000, c.kind, spherical(c.a1, c.a2, 1.0, 1.0, 10.0, 10.0, 90.0));
        EXPECT_EQ(t.lines[0].substr(c.col1 - 1, c.first.size()), c.first);
        EXPECT_EQ(t.lines[0].substr(c.col2 - 1, c.second.size()), c.second);
    }
    // ERFA agrees on the sign of the negative zero.
    char sign = 0;
    int f[4];
    eraA2af(1, dms('-', 0, 0, 0.04), &sign, f);
    EXPECT_EQ(sign, '-');
    EXPECT_EQ(f[0] + f[1] + f[2] + f[3], 0);
}

// The Sun, the Earth, the accuracy mark and the magnitude field.
TEST(Outform, SpecialObjectsAndFields) {
    const EphResultValues v = spherical(1.0, 0.2, 1.0, 1.0, 30.0, 12.34, -100.4);

    // The Sun in EMP on the equator: no phase, no side, the elongation kept.
    EphemerisText t = lines(kObjectSun, kJ2000, EphOutputKind::EmpEquator, v);
    ASSERT_EQ(t.count, 1);
    EXPECT_EQ(t.lines[0].substr(60, 5), "     ");
    EXPECT_EQ(t.lines[0].substr(67, 4), "    ");  // a major body has no magnitude
    EXPECT_EQ(t.lines[0].substr(74, 4), "100 ");
    // ... and in POS on the ecliptic.
    t = lines(kObjectSun, kJ2000, EphOutputKind::PosEcliptic, v);
    EXPECT_EQ(t.lines[0].substr(65, 5), "     ");
    EXPECT_EQ(t.lines[1].substr(65, 6), "100.4 ");

    // The Earth has no spherical lines, but its rectangular ones are written.
    for (EphOutputKind k : {EphOutputKind::EmpEquator, EphOutputKind::PosEquator, EphOutputKind::PosHorizon,
                            EphOutputKind::PsvEcliptic}) {
        SCOPED_TRACE(kind_number(k));
        EXPECT_EQ(lines(kObjectEarth, kJ2000, k, v).count, 0);
    }
    EXPECT_EQ(lines(kObjectEarth, kJ2000, EphOutputKind::PosRectangular, v).count, 1);
    EXPECT_EQ(lines(kObjectEarth, kJ2000, EphOutputKind::PsvRectangular, v).count, 2);

    // A value that is no output kind gives no lines.
    const EphemerisText none = lines(1, kJ2000, static_cast<EphOutputKind>(12), v);
    EXPECT_EQ(none.count, 0);
    EXPECT_EQ(none.lines[0], std::string(80, ' '));

    // Accuracy flag 0 marks column 17; any other value leaves it blank.
    EXPECT_EQ(lines(1, kJ2000, EphOutputKind::PosEquator, v, 0).lines[0][16], '*');
    EXPECT_EQ(lines(1, kJ2000, EphOutputKind::PosEquator, v, 2).lines[0][16], ' ');
    EXPECT_EQ(lines(1, kJ2000, EphOutputKind::PosRectangular, v, 0).lines[0][16], '*');

    // Magnitude: unknown shows as "****"; the no-magnitude flag and major
    // bodies leave it blank; each kind at its own columns.
    EphResultValues unknown = v;
    unknown(SphQuantity::Magnitude) = kMagnitudeUnknown;
    struct MagCase {
        EphOutputKind kind;
        std::size_t col;
    } mags[] = {{EphOutputKind::EmpEcliptic, 68}, {EphOutputKind::PosEquator, 75}, {EphOutputKind::PsvEcliptic, 76}};
    for (const MagCase& m : mags) {
        SCOPED_TRACE(kind_number(m.kind));
        EXPECT_EQ(lines(9, kJ2000, m.kind, v).lines[0].substr(m.col - 1, 4), "12.3");
        EXPECT_EQ(lines(9, kJ2000, m.kind, unknown).lines[0].substr(m.col - 1, 4), "****");
        EXPECT_EQ(lines(9, kJ2000, m.kind, v, 1, true).lines[0].substr(m.col - 1, 4), "    ");
        EXPECT_EQ(lines(0, kJ2000, m.kind, v).lines[0].substr(m.col - 1, 4), "    ");
        EXPECT_EQ(lines(-5, kJ2000, m.kind, v).lines[0].substr(m.col - 1, 4), "    ");
    }
}

// EMP elongation in whole degrees, rounded to the nearest (halves away from
// zero); the other kinds to 0.1 degree.
TEST(Outform, ElongationRounding) {
    struct Case {
        double elong_deg;
        const char* emp;  // columns 75-78
        const char* pos;  // second line, columns 66-71
    } cases[] = {
        {0.0, "  0E", "  0.0E"},          {0.49, "  0E", "  0.5E"},         {0.5 + 1e-9, "  1E", "  0.5E"},
        {-89.5 - 1e-9, " 90W", " 89.5W"}, {-89.5 + 1e-9, " 89W", " 89.5W"}, {179.95 + 1e-9, "180E", "180.0E"},
        {-0.04, "  0W", "  0.0W"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.elong_deg);
        const EphResultValues v = spherical(1.0, 0.2, 1.0, 1.0, 30.0, 12.0, c.elong_deg);
        EXPECT_EQ(lines(3, kJ2000, EphOutputKind::EmpHorizon, v).lines[0].substr(74, 4), c.emp);
        EXPECT_EQ(lines(3, kJ2000, EphOutputKind::PosEquator, v).lines[1].substr(65, 6), c.pos);
    }
}

// Distances above 100 AU switch the distance fields to fewer decimals; a
// value too wide for its field fills it with asterisks.
TEST(Outform, LargeDistances) {
    EphResultValues s = spherical(1.0, 0.2, 150.123456, 149.5, 0.1, 25.0, 170.0);
    EXPECT_EQ(lines(2, kJ2000, EphOutputKind::EmpEquator, s).lines[0].substr(38, 19), " 150.123    149.500");
    EXPECT_EQ(lines(2, kJ2000, EphOutputKind::PosEquator, s).lines[0].substr(44, 19), " 150.1235  149.5000");
    EXPECT_EQ(lines(2, kJ2000, EphOutputKind::PsvEquator, s).lines[0].substr(45, 20), " 150.1235   149.5000");
    s(SphQuantity::Distance) = 99.5;
    s(SphQuantity::SunDistance) = 100.5;  // the Sun distance alone switches both
    EXPECT_EQ(lines(2, kJ2000, EphOutputKind::PosEcliptic, s).lines[0].substr(44, 19), "  99.5000  100.5000");
    s(SphQuantity::SunDistance) = 99.75;  // both below 100: fine decimals
    EXPECT_EQ(lines(2, kJ2000, EphOutputKind::PosEcliptic, s).lines[0].substr(44, 19), "99.500000 99.750000");
    // Exactly 100 AU (or a hair below) does not fit F9.6 or F8.5: the coarse
    // decimals are taken rather than asterisks.
    s(SphQuantity::SunDistance) = 100.0;
    EXPECT_EQ(lines(2, kJ2000, EphOutputKind::PosEcliptic, s).lines[0].substr(44, 19), "  99.5000  100.0000");
    s(SphQuantity::SunDistance) = 99.9999996;
    EXPECT_EQ(lines(2, kJ2000, EphOutputKind::EmpEcliptic, s).lines[0].substr(38, 19), "  99.500    100.000");

    EphResultValues r;
    r(RecQuantity::X) = -150.123456;
    r(RecQuantity::Y) = 0.5;
    r(RecQuantity::Z) = 0.25;
    r(RecQuantity::ObserverDistance) = 151.0;
    r(RecQuantity::SunDistance) = 150.2;
    r(RecQuantity::Speed) = 1.5;
    EXPECT_EQ(lines(2, kJ2000, EphOutputKind::PosRectangular, r).lines[0].substr(17),
              " -150.1235     0.5000     0.2500   151.0000  150.2000     1.500");
    r(RecQuantity::X) = -1.0;
    r(RecQuantity::ObserverDistance) = 2.0;
    r(RecQuantity::SunDistance) = 1000.0;  // r alone switches every distance
    EXPECT_EQ(lines(2, kJ2000, EphOutputKind::PsvRectangular, r).lines[0].substr(17),
              "   -1.0000      0.5000      0.2500      2.0000 1000.0000  1.500");
    r(RecQuantity::X) = -100.0;  // "-100.000000" is too wide for F10.6
    r(RecQuantity::SunDistance) = 2.0;
    EXPECT_EQ(lines(2, kJ2000, EphOutputKind::PosRectangular, r).lines[0].substr(17, 10), " -100.0000");
    r(RecQuantity::SunDistance) = 12345.0;  // F9.4 cannot hold it
    EXPECT_EQ(lines(2, kJ2000, EphOutputKind::PosRectangular, r).lines[0].substr(61, 9), "*********");
}

// Records of "result.ep4": 80 characters and two zero bytes at record
// record + 1 (and + 2); records already in the file are kept.
TEST(Outform, WritesRecordsAfterTheCount) {
    zeltest::ScopedWorkDir dir;
    auto file = open_ephemeris_result();
    ASSERT_TRUE(file.ok()) << file.message();
    ASSERT_TRUE(write_ephemeris_line(*file, 1, "heading").ok());
    ASSERT_TRUE(write_ephemeris_line(*file, 4, "kept").ok());

    const EphResultValues v = spherical(1.0, 0.2, 1.0, 1.0, 30.0, 12.0, 45.0);
    auto n = Outform(17, *file, kJ2000, EphOutputKind::PosEquator, v, 1, 1, false);
    ASSERT_TRUE(n.ok()) << n.message();
    EXPECT_EQ(*n, 2);
    // The no-magnitude flag blanks the magnitude.
    auto m = Outform(17, *file, kJ2000, EphOutputKind::EmpEquator, v, 1, 4, true);
    ASSERT_TRUE(m.ok());
    EXPECT_EQ(*m, 1);
    auto e = Outform(kObjectEarth, *file, kJ2000, EphOutputKind::PosEquator, v, 1, 5, true);
    ASSERT_TRUE(e.ok());
    EXPECT_EQ(*e, 0);
    file->close();

    const auto bytes = zeltest::read_bytes(dir.path() / "result.ep4");
    ASSERT_EQ(bytes.size(), 5 * EphemerisLine::kLength);
    const EphemerisText want = lines(17, kJ2000, EphOutputKind::PosEquator, v);
    const EphemerisText want_emp = lines(17, kJ2000, EphOutputKind::EmpEquator, v, 1, true);
    const std::string texts[5] = {Line{}.at(1, "heading").s, want.lines[0], want.lines[1], Line{}.at(1, "kept").s,
                                  want_emp.lines[0]};
    for (std::size_t r = 0; r < 5; ++r) {
        SCOPED_TRACE(r + 1);
        const std::uint8_t* rec = bytes.data() + r * EphemerisLine::kLength;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(rec), 80), texts[r]);
        EXPECT_EQ(rec[80], 0);
        EXPECT_EQ(rec[81], 0);
        EXPECT_EQ(EphemerisLine::decode(std::span<const std::uint8_t, 82>(rec, 82)), texts[r]);
    }
    EXPECT_EQ(texts[4].substr(67, 4), "    ");
}

}  // namespace
