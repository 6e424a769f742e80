// Checks of typed orbit fields: tables of good and bad fields of every kind,
// the packed date form, and the dates against ERFA's calendar routine.
#include <erfa.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "core/contrelm.h"

using namespace zelvomat;

namespace {

// Julian date of 0h (civil) of a Gregorian date, plus a day fraction, from
// ERFA (eraCal2jd returns 2400000.5 and the MJD).
double erfa_jd(int y, int m, int d, double fraction = 0.0) {
    double djm0 = 0.0, djm = 0.0;
    if (eraCal2jd(y, m, d, &djm0, &djm) != 0) return std::numeric_limits<double>::quiet_NaN();
    return djm0 + djm + fraction;
}

constexpr int kE = 1;  // elements
constexpr int kC = 2;  // coordinates and velocities
constexpr int kO = 0;  // any other form

struct FieldCase {
    int kind;
    const char* text;
    int form;
    int err;
    double value;  // checked when err is 0
    const char* what;
};

void run_cases(const FieldCase* cases, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        const FieldCase& c = cases[i];
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " \"" << c.text << "\" form " << c.form << ": "
                                        << c.what);
        // The field as the dialog passes it: 18 characters, blank-padded.
        std::string field(c.text);
        if (field.size() < 18) field.resize(18, ' ');
        const std::string before = field;
        std::int32_t err = -1, form = c.form;
        double value = -1.0;
        contrelm(c.kind, field, err, value, form);
        EXPECT_EQ(err, c.err);
        if (c.err == 0) {
            // Tolerance: 1e-9 relative (dates: 1e-8 day, the double's grain
            // at 2.4e6 being 5e-10 day and 2e7 being 4e-9).
            EXPECT_NEAR(value, c.value, 1e-9 * std::max(1.0, std::fabs(c.value)));
        }
        // The text is returned as it was given, passed or failed.
        EXPECT_EQ(field, before);
        EXPECT_EQ(form, c.form);
        // The internal entry gives the same answer.
        const OrbitFieldCheck r = check_orbit_field(c.kind, field, static_cast<OrbitForm>(c.form));
        EXPECT_EQ(checks::code(r.error), c.err);
        if (c.err == 0) {
            EXPECT_EQ(r.value, value);
        }
    }
}

}  // namespace

TEST(Contrelm, DesignationHAndG) {
    const FieldCase cases[] = {
        {16, "", kE, 1, 0, "an empty field"},
        {16, "Ceres", kE, 0, 0, "a name"},
        {16, "   2001QX1", kE, 0, 0, "leading blanks are not inside"},
        {16, "1998 AB", kE, 1, 0, "a blank inside"},
        {16, "ABCDEFGHIJKLMNOPQ R", kE, 1, 0, "blank at place 18 is inside the first 18"},
        {16, "ABCDEFGHIJKLMNOPQR S", kE, 0, 0, "blank at place 19 is beyond the first 18"},
        {16, "ABCDEFGHIJKLMNOPQRS", kE, 0, 0, "19 characters judged on 18"},
        {17, "15.5", kE, 0, 15.5, "H"},
        {17, "-40", kE, 0, -40.0, "H at the bound"},
        {17, "40.1", kE, 2, 0, "H beyond 40"},
        {17, "40.1", kC, 2, 0, "coordinates keep the H test"},
        {17, "1.55e1", kE, 0, 15.5, "exponent form"},
        {17, "abc", kE, 1, 0, "not a number"},
        {17, "-", kE, 1, 0, "a lone sign"},
        {17, ".", kE, 1, 0, "a lone point"},
        {17, "", kE, 1, 0, "empty"},
        {18, "X", kE, 0, 0.15, "X stands for 0.15"},
        {18, "   X", kE, 0, 0.15, "X after blanks"},
        {18, "0.15", kE, 0, 0.15, "typed 0.15"},
        {18, "41", kE, 2, 0, "beyond 40"},
        {18, "x", kE, 1, 0, "only the capital X"},
        {18, "XX", kE, 1, 0, "X alone only"},
    };
    run_cases(cases, std::size(cases));
}

TEST(Contrelm, Dates) {
    const FieldCase cases[] = {
        {19, "20010101.5", kE, 0, erfa_jd(2001, 1, 1, 0.5), "calendar date with fraction"},
        {19, "2451911.0", kE, 0, 2451911.0, "Julian date unchanged"},
        {19, "20071027", kC, 0, erfa_jd(2007, 10, 27), "calendar date, coordinates"},
        {19, "2.00101015E7", kE, 0, erfa_jd(2001, 1, 1, 0.5), "calendar date in exponent form"},
        {19, "20000229", kE, 0, erfa_jd(2000, 2, 29), "29 February of a leap year"},
        {19, "19000229", kE, 2, 0, "29 February of 1900"},
        {19, "20010230", kE, 2, 0, "30 February"},
        {19, "20010431", kE, 2, 0, "31 April"},
        {19, "20011301", kE, 2, 0, "month 13"},
        {19, "20010100", kE, 2, 0, "day 0"},
        {19, "17991231", kE, 2, 0, "year 1799"},
        {19, "18000101", kE, 0, erfa_jd(1800, 1, 1), "first year"},
        {19, "21011231.5", kE, 0, erfa_jd(2101, 12, 31, 0.5), "last year"},
        {19, "21020101", kE, 2, 0, "year 2102"},
        {19, "2378496.5", kE, 0, erfa_jd(1800, 1, 1), "Julian date of 1 January 1800"},
        {19, "2378495.5", kE, 2, 0, "Julian date in 1799"},
        {19, "999999", kE, 2, 0, "below 1 000 000"},
        {19, "100000000", kE, 2, 0, "not below 100 000 000"},
        {19, "K01A1", kE, 0, erfa_jd(2001, 10, 1), "packed date"},
        {19, "J961V", kE, 0, erfa_jd(1996, 1, 31), "packed date, 19th century letter"},
        {19, "K01D1", kE, 1, 0, "packed month 13"},
        {19, "12345", kE, 2, 0, "five digits are a number, not a packed date"},
        {19, "K01A", kE, 1, 0, "four characters"},
        {19, "", kE, 1, 0, "empty"},
        {21, "20010101.5", kE, 0, erfa_jd(2001, 1, 1, 0.5), "T: date rules with elements"},
        {21, "12.5", kE, 2, 0, "T: not a date with elements"},
        {21, "12.5", kO, 0, 12.5, "T: any number with another form"},
        {21, "-0.3", kC, 0, -0.3, "y coordinate"},
        {21, "K01A1", kE, 1, 0, "T: no packed form"},
    };
    run_cases(cases, std::size(cases));
}

TEST(Contrelm, ElementRanges) {
    const FieldCase cases[] = {
        {20, "360", kE, 0, 360.0, "M at 360"},
        {20, "0", kE, 0, 0.0, "M at 0"},
        {20, "360.1", kE, 2, 0, "M beyond 360"},
        {20, "-1", kE, 2, 0, "M negative"},
        {20, "360.1", kC, 0, 360.1, "x coordinate: no range"},
        {20, "-1", kC, 0, -1.0, "x coordinate: no range"},
        {20, "-4.241737", kC, 0, -4.241737, "x coordinate"},
        {20, "361", kO, 2, 0, "another form checks as elements"},
        {22, "91.25204", kE, 0, 91.25204, "argument of perihelion"},
        {22, "361", kE, 2, 0, "argument of perihelion beyond 360"},
        {23, "360", kE, 0, 360.0, "node at 360"},
        {23, "-0.001", kE, 2, 0, "node negative"},
        {24, "180", kE, 0, 180.0, "inclination at 180"},
        {24, "180.5", kE, 2, 0, "inclination beyond 180"},
        {24, "180.5", kC, 0, 180.5, "dY/dt: no range"},
        {25, "0", kE, 2, 0, "e = 0"},
        {25, "0.99", kE, 0, 0.99, "e = 0.99"},
        {25, "1", kE, 2, 0, "e = 1"},
        {25, "1.0", kC, 0, 1.0, "dZ/dt: no range"},
        {26, "4.9", kE, 0, 4.9, "n below 5"},
        {26, "5", kE, 2, 0, "n = 5"},
        {26, "0", kE, 2, 0, "n = 0"},
        {27, "2.5", kE, 0, 2.5, "a"},
        {27, "0", kE, 2, 0, "a = 0"},
        {27, "-1", kE, 2, 0, "a negative"},
        {28, "0.5", kE, 0, 0.5, "q"},
        {28, "0", kE, 2, 0, "q = 0"},
    };
    run_cases(cases, std::size(cases));
}

TEST(Contrelm, NumberForms) {
    const FieldCase cases[] = {
        {27, "1.5D-3", kE, 0, 0.0015, "D exponent"},
        {27, "1.5d-3", kE, 0, 0.0015, "d exponent"},
        {27, "1.5e-3", kE, 0, 0.0015, "e exponent"},
        {27, "2E2", kE, 0, 200.0, "E exponent"},
        {27, "+2.5", kE, 0, 2.5, "plus sign"},
        {20, "-1.5E-3", kC, 0, -0.0015, "negative mantissa"},
        {27, "1.5E", kE, 1, 0, "exponent missing"},
        {27, "E5", kE, 1, 0, "mantissa missing"},
        {27, "1.5DE3", kE, 1, 0, "the first D splits: exponent E3 is no number"},
        {27, "1.5E3x", kE, 1, 0, "a letter in the exponent"},
        {27, "1.2.3", kE, 1, 0, "a second point"},
        {27, "1E400", kE, 2, 0, "too large for a double"},
        {20, "1E400", kC, 2, 0, "too large for a double, coordinates"},
        {20, "-1E400", kC, 2, 0, "too large negative, coordinates"},
        {20, "0E400", kC, 0, 0.0, "zero mantissa: zero"},
        {28, "0E400", kE, 2, 0, "zero q"},
        {27, "1E-400", kE, 2, 0, "underflows to zero: a not above 0"},
    };
    run_cases(cases, std::size(cases));
}

TEST(Contrelm, ColumnOrderList) {
    const FieldCase cases[] = {
        {29, "01020304050708091011", kE, 0, 0, "the standard element order"},
        {29, "01060302100708090413", kE, 0, 0, "any order of the columns"},
        {29, "01130010070809040600", kE, 0, 0, "comet order with empty columns"},
        {29, "  01020304050708091011", kE, 0, 0, "read from the first non-blank"},
        {29, "04050607080910000000", kE, 0, 0, "designation, H and G are optional"},
        {29, "01020304050708091010", kE, 3, 0, "a repeated code"},
        {29, "01020304050700000000", kE, 3, 0, "fewer than 7 non-zero codes"},
        {29, "01020304050607080900", kE, 3, 0, "6 orbit columns"},
        {29, "01040506070809101112", kE, 3, 0, "9 orbit columns"},
        {29, "0102030405070809101", kE, 3, 0, "19 characters"},
        {29, "0102030405070809101X", kE, 3, 0, "a letter"},
        {29, "0102030405070809-110", kE, 3, 0, "a sign"},
        {29, "01020304050708091014", kE, 3, 0, "code 14 is no column"},
        {29, "", kE, 1, 0, "empty"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string text(c.text);
        if (text.size() < 20) text.resize(20, ' ');
        const std::string before = text;
        std::int32_t err = -1, form = c.form;
        double value = -1.0;
        contrelm(c.kind, text, err, value, form);
        EXPECT_EQ(err, c.err);
        EXPECT_EQ(value, 0.0);
        EXPECT_EQ(text, before);
    }
}

TEST(Contrelm, KindsOutsideTheOrbitFields) {
    std::int32_t err = -1, form = 1;
    double value = -1.0;
    contrelm(15, "12", err, value, form);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(value, 0.0);
    EXPECT_EQ(form, 0);  // kinds below 16 set the form to 0 and do nothing else
    form = 1;
    contrelm(30, "12", err, value, form);
    EXPECT_EQ(err, 1);
    EXPECT_EQ(form, 0);
    EXPECT_EQ(checks::code(check_orbit_field(30, "12", OrbitForm::Elements).error), 1);
}

TEST(Datepart, PackedDates) {
    const struct {
        const char* text;
        int err;
        double jd;
        const char* what;
    } cases[] = {
        {"K01A1", 0, erfa_jd(2001, 10, 1), "1 October 2001"},
        {"K2412", 0, erfa_jd(2024, 1, 2), "K: 21st century"},
        {"I9911", 0, erfa_jd(1899, 1, 1), "I: 19th century"},
        {"J9612", 0, erfa_jd(1996, 1, 2), "J: 20th century"},
        {"X5555", 0, erfa_jd(1955, 5, 5), "any other letter keeps 19"},
        {"K01CV", 0, erfa_jd(2001, 12, 31), "month C, day V"},
        {"K012V", 0, erfa_jd(2001, 3, 3), "31 February is not compared with the month"},
        {"K01D1", 1, 0, "month D"},
        {"K0101", 1, 0, "month 0"},
        {"K01AW", 1, 0, "day W"},
        {"K01A0", 1, 0, "day 0"},
        {"K01a1", 1, 0, "a small letter"},
        {"KA1A1", 1, 0, "a letter among the year digits"},
        {"K01", 1, 0, "short text"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        double v = -1.0;
        std::int32_t err = -1;
        datepart(c.text, v, err);
        EXPECT_EQ(err, c.err);
        if (c.err == 0) {
            EXPECT_EQ(v, c.jd);  // whole and half days are exact
        } else {
            EXPECT_EQ(v, 0.0);
        }
    }
}
