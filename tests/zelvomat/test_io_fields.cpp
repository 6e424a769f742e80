// Fixed-column readers and Fortran-style writers.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string>

#include "io/fields.h"

using namespace zelvomat::io;

TEST(FixedFields, ReadRealFollowsTheColumnRules) {
    struct Case {
        const char* what;
        std::string_view field;
        int decimals;
        double expected;
    };
    const Case cases[] = {
        {"all blank reads as zero", "      ", 2, 0.0},
        {"written point", "  12.5", 2, 12.5},
        {"implied decimals", " 1250", 2, 12.5},
        {"written point overrides implied decimals", "1.250", 1, 1.25},
        {"blanks inside are skipped", " 1 2 5", 1, 12.5},
        {"negative with implied decimals", "  -125", 2, -1.25},
        {"leading plus", "+3.25", 0, 3.25},
        {"point only at the end", "  17.", 3, 17.0},
        {"point first", "  .5", 3, 0.5},
        {"Fortran exponent E", " 1.5E3", 0, 1500.0},
        {"Fortran exponent D with sign", "2.5D-2", 0, 0.025},
        {"zero byte counts as blank",
         std::string_view("1\0"
                          "5",
                          3),
         0, 15.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto v = read_real(c.field, c.decimals);
        ASSERT_TRUE(v.ok()) << v.message();
        EXPECT_DOUBLE_EQ(*v, c.expected);
    }
}

// A written exponent is read with its digits as one number: the result is
// the double nearest to the decimal text (the C library's strtod, which rounds
// correctly, gives the expected values), never a rounded mantissa times a
// rounded power of ten.
TEST(FixedFields, ReadRealWithAnExponentIsExact) {
    struct Case {
        const char* what;
        std::string_view field;
        int decimals;
        const char* c_text;  // the same number as C reads it
    };
    const Case cases[] = {
        {"mantissa with point times ten to the ten", "1.23456789E10", 0, "12345678900"},
        {"lower-case e and plus sign", "1.23456789e+10", 0, "12345678900"},
        {"Fortran D, negative exponent", "4.4D-5", 0, "0.000044"},
        {"negative number, exponent 22", "-9.87654321E22", 0, "-98765432100000000000000"},
        {"tiny", "1.1E-300", 0, "1.1e-300"},
        {"implied decimals and exponent", " 123E3", 2, "1230"},
        {"implied decimals alone", "123456789", 9, "0.123456789"},
        {"third of a power", "3.3333333333333333E-1", 0, "0.33333333333333333"},
        {"blanks inside exponent", "7.1E 1 2", 0, "7.1e12"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto v = read_real(c.field, c.decimals);
        ASSERT_TRUE(v.ok()) << v.message();
        EXPECT_EQ(*v, std::strtod(c.c_text, nullptr));
    }
    EXPECT_EQ(*read_real("1.23456789E10", 0), 12345678900.0);
    EXPECT_EQ(*read_real("1E-400", 0), 0.0);   // below the smallest double
    EXPECT_FALSE(read_real("1E400", 0).ok());  // beyond the largest
}

TEST(FixedFields, ReadRealRejectsWhatIsNoNumber) {
    for (const char* bad : {"12a", "1-2", "1.2.3", "--1", " . ", "E5", "1E", "1E+", "+", "1,5"}) {
        SCOPED_TRACE(bad);
        auto v = read_real(bad, 0);
        EXPECT_FALSE(v.ok());
        EXPECT_NE(v.message().find("invalid number"), std::string::npos);
    }
}

TEST(FixedFields, ReadInt) {
    EXPECT_EQ(*read_int("   "), 0);
    EXPECT_EQ(*read_int("  42"), 42);
    EXPECT_EQ(*read_int(" -4 2"), -42);
    EXPECT_EQ(*read_int("+7"), 7);
    for (const char* bad : {"4x", "1.0", "-", "--1", "1-"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(read_int(bad).ok());
    }
}

TEST(FixedFields, ColumnsBeyondTheLineAreBlank) {
    EXPECT_EQ(column("ABCDEF", 2, 3), "BCD");
    EXPECT_EQ(column("ABC", 2, 4), "BC  ");
    EXPECT_EQ(column("ABC", 10, 2), "  ");
    EXPECT_EQ(pad("xy", 4), "xy  ");
    EXPECT_EQ(pad("xyz", 2), "xy");
    EXPECT_EQ(trim_right("ab  "), "ab");
    EXPECT_TRUE(is_blank(std::string(" \0 ", 3)));
}

TEST(FortranWriters, FixedPoint) {
    struct Case {
        double v;
        int w, d;
        const char* expected;
    };
    const Case cases[] = {
        {0.125, 6, 2, "  0.13"},                        // exact half: away from zero
        {-0.125, 6, 2, " -0.13"}, {2.5, 4, 0, "  3."},  // F4.0 keeps the point
        {0.5, 4, 3, ".500"},                            // leading zero dropped when the width is tight
        {-0.5, 5, 3, "-.500"},    {0.5, 5, 3, "0.500"},     {123.456, 5, 2, "*****"},  // does not fit
        {-12.0, 5, 2, "*****"},   {9.9996, 6, 3, "10.000"},  // rounding carries into a new digit
        {99.996, 6, 2, "100.00"}, {0.0, 6, 2, "  0.00"},    {1e300, 10, 2, "**********"}, {NAN, 6, 2, "******"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(fmt_f(c.v, c.w, c.d), c.expected);
    }
    // The rounding is decided on the binary value itself: 12.345 is stored as
    // 12.34500000000000064, 1.005 as 1.00499999999999989, 0.285 as
    // 0.28499999999999998 (gfortran writes the same three). Exact halves go
    // away from zero, as roundn rounds (gfortran sends them to even).
    EXPECT_EQ(fmt_f(12.345, 8, 2), "   12.35");
    EXPECT_EQ(fmt_f(1.005, 5, 2), " 1.00");
    EXPECT_EQ(fmt_f(0.285, 5, 2), " 0.28");
    EXPECT_EQ(fmt_f(-0.001, 6, 2), " -0.00");  // a negative value keeps its sign, as gfortran writes it
}

TEST(FortranWriters, IntegerAndExponent) {
    EXPECT_EQ(fmt_i(42, 5), "   42");
    EXPECT_EQ(fmt_i(-42, 3), "-42");
    EXPECT_EQ(fmt_i(12345, 4), "****");
    EXPECT_EQ(fmt_e(1234.5, 12, 4), "  0.1235E+04");
    EXPECT_EQ(fmt_e(-0.00012345, 12, 3), "  -0.123E-03");
    EXPECT_EQ(fmt_e(0.0, 10, 3), " 0.000E+00");
    EXPECT_EQ(fmt_e(9.99996, 10, 4), "0.1000E+02");
    EXPECT_EQ(fmt_e(1.0, 6, 4), "******");
}

TEST(FortranWriters, RoundDecimalsHalvesAwayFromZero) {
    EXPECT_EQ(round_decimals(2.5, 0), 3.0);
    EXPECT_EQ(round_decimals(-2.5, 0), -3.0);
    EXPECT_DOUBLE_EQ(round_decimals(1.2345, 2), 1.23);
    EXPECT_EQ(round_decimals(1250.0, -2), 1300.0);
}

TEST(FixedFields, NumbersIgnoreTheProcessLocale) {
    // A locale with a decimal comma must change nothing in the fixed forms.
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old ? old : "C";
    bool switched = false;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"})
        if (std::setlocale(LC_NUMERIC, name) != nullptr) {
            switched = true;
            break;
        }
    EXPECT_EQ(*read_real(" 12.5", 0), 12.5);
    EXPECT_EQ(fmt_f(-3.25, 7, 3), " -3.250");
    EXPECT_EQ(fmt_e(1234.5, 12, 4), "  0.1235E+04");
    std::setlocale(LC_NUMERIC, saved.c_str());
    // scripts/deps.sh generates de_DE.UTF-8.
    EXPECT_TRUE(switched) << "no locale with a decimal comma is installed (scripts/deps.sh generates de_DE.UTF-8)";
}
