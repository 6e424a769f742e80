// Angle, unit and text utilities.
#include <erfa.h>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "core/utils.h"
#include "support.h"

using namespace zelvomat;

TEST(Angles, PolarDirections) {
    const struct {
        double x, y, angle, t;
    } cases[] = {
        {1, 0, 0, 0},
        {0, 1, kPi / 2, kPi / 2},
        {-1, 0, kPi, 0},
        {0, -1, 3 * kPi / 2, -kPi / 2},
        {1, 1, kPi / 4, kPi / 4},
        {-1, -1, 5 * kPi / 4, kPi / 4},
        {1, -1e-300, 0, 0},  // the angle never reaches 2 pi
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        double angle = -9, t = -9, r = 0;
        polar(c.x, c.y, angle, t, r);
        EXPECT_NEAR(angle, c.angle, 1e-15);
        EXPECT_LT(angle, kTwoPi);
        EXPECT_NEAR(t, c.t, 1e-15);
        EXPECT_DOUBLE_EQ(r, std::hypot(c.x, c.y));
        // Against ERFA's position-angle conventions: eraAnp(atan2).
        if (c.y != -1e-300) {
            EXPECT_NEAR(angle, eraAnp(std::atan2(c.y, c.x)), 1e-15);
        }
    }
    double angle = 7, t = 8, r = 0;
    polar(1e-16, 0, angle, t, r);
    EXPECT_EQ(angle, 7);
    EXPECT_EQ(t, 8);
    EXPECT_EQ(r, 1e-16);
}

TEST(Angles, Norm2piStaysInOneTurn) {
    EXPECT_NEAR(norm2pi(7.0), 7.0 - kTwoPi, 1e-15);
    EXPECT_NEAR(norm2pi(-1.0), kTwoPi - 1.0, 1e-15);
    EXPECT_EQ(norm2pi(-kTwoPi), 0.0);
    EXPECT_EQ(norm2pi(kTwoPi), 0.0);
    EXPECT_EQ(norm2pi(-1e-18), 0.0);  // 2 pi - 1e-18 is 2 pi in doubles
    for (double x = -50.0; x < 50.0; x += 0.0137) {
        const double y = norm2pi(x);
        ASSERT_GE(y, 0.0);
        ASSERT_LT(y, kTwoPi);
        ASSERT_NEAR(std::remainder(y - x, kTwoPi), 0.0, 1e-13);
        ASSERT_NEAR(y, eraAnp(x), 1e-13);
    }
}

TEST(Angles, SexagesimalForms) {
    char sign = 0;
    int d = 0, m = 0;
    double s = 0;
    raddms(kPi / 4, sign, d, m, s, 1);
    EXPECT_EQ(sign, '+');
    EXPECT_EQ(d, 45);
    EXPECT_EQ(m, 0);
    EXPECT_NEAR(s, 0.0, 1e-9);
    // 10 deg 59' 59.96": with one decimal the seconds round to 60.0 and carry.
    raddms(-dmsrad('+', 10, 59, 59.96), sign, d, m, s, 1);
    EXPECT_EQ(sign, '-');
    EXPECT_EQ(d, 11);
    EXPECT_EQ(m, 0);
    EXPECT_NEAR(s, 0.0, 1e-9);
    // Against ERFA's own split (eraA2af) away from rounding boundaries.
    for (double deg = -179.3; deg < 180; deg += 7.123) {
        const double rad = deg / kDegPerRad;
        raddms(rad, sign, d, m, s, 4);
        char es = 0;
        int dmsf[4];
        eraA2af(4, rad, &es, dmsf);
        EXPECT_EQ(sign, es);
        EXPECT_EQ(d, dmsf[0]);
        EXPECT_EQ(m, dmsf[1]);
        EXPECT_NEAR(s, dmsf[2] + dmsf[3] / 1e4, 1e-6);
        EXPECT_NEAR(dmsrad(sign, d, m, s), rad, 1e-10);
    }
    double min = 0;
    raddm(dmrad('-', 3, 59.996), sign, d, min, 2);
    EXPECT_EQ(sign, '-');
    EXPECT_EQ(d, 4);
    EXPECT_NEAR(min, 0.0, 1e-9);
    EXPECT_EQ(roundn(2.5, 0), 3);
    EXPECT_EQ(roundn(-2.5, 0), -3);
    EXPECT_DOUBLE_EQ(roundn(1.2345, 2), 1.23);
    EXPECT_DOUBLE_EQ(raddeg(kPi), 180.0);
    double deg[3] = {180, 90, -45}, rad[3];
    degrad(deg, rad);
    EXPECT_DOUBLE_EQ(rad[2], -kPi / 4);
    degrad(deg, deg);  // in place
    EXPECT_DOUBLE_EQ(deg[1], kPi / 2);
    double au[1] = {1}, km[1];
    aukm(au, km);
    EXPECT_EQ(km[0], 149597870.691);
}

TEST(TypedNumbers, CharRl) {
    const struct {
        const char* what;
        std::string_view text;
        int point_pos;
        bool ok;
        double value;
    } cases[] = {
        {"blank then negative", " -12.5", 0, true, -12.5},
        {"blank inside is skipped", "12 3", 0, true, 123},
        {"minus after a digit fails", "1-2", 0, false, 0},
        {"plus then minus", "+-5", 0, true, -5},
        {"exponent fails", "1e5", 0, false, 0},
        {"letters fail", "12a", 0, false, 0},
        {"seven blanks: empty", "       ", 0, true, kEmptyField},
        {"point at the wrong place", "12.5", 4, false, 0},
        {"point at its place", "123.5", 4, true, 123.5},
        {"right-justified in a wide field", "          42.75", 0, true, 42.75},
        {"more than nine integer digits", "12345678901", 0, true, 12345678901.0},
        {"two points fail", "1.2.3", 0, false, 0},
        {"short blank field is empty", "  ", 0, true, kEmptyField},
        {"zero bytes are skipped",
         std::string_view("4\0"
                          "2",
                          3),
         0, true, 42},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        double v = 99;
        EXPECT_EQ(char_rl(c.text, v, c.point_pos), c.ok);
        EXPECT_EQ(v, c.ok ? c.value : 99.0);
    }
    // The field ends where its length says: what follows is not read.
    const char buf[] = "12345";
    double v = 0;
    EXPECT_TRUE(char_rl(std::string_view(buf, 2), v, 0));
    EXPECT_EQ(v, 12);
}

TEST(Texts, CaseAndFileSize) {
    std::string t = "abc1 d   ";
    strup(t);
    EXPECT_EQ(t, "ABC1 D   ");
    strdown(t);
    EXPECT_EQ(t, "abc1 d   ");
    zeltest::ScopedWorkDir wd;
    zeltest::write_text("f", "12345");
    EXPECT_EQ(filesize("f   "), 5);
    EXPECT_EQ(filesize("missing"), -1);
}

TEST(SmallRoutines, TimeOfDayElementsAndMagnitude) {
    int h = 0, m = 0;
    double s = 0;
    dayhms(hmsday(13, 45, 30.5), h, m, s);
    EXPECT_EQ(h, 13);
    EXPECT_EQ(m, 45);
    EXPECT_NEAR(s, 30.5, 1e-6);
    const double in[6] = {180, 90, 45, 10, 0.25, 0.25};
    double out[6];
    eldegrad(in, out);
    EXPECT_DOUBLE_EQ(out[0], kPi);
    EXPECT_EQ(out[4], 0.25);
    EXPECT_DOUBLE_EQ(out[5], 0.25 / kDegPerRad);
    double a = 0, b = 0;
    ASSERT_TRUE(numxyz(" 1234 ", "  Y  ", a, b).ok());
    EXPECT_DOUBLE_EQ(a, 12.34);
    EXPECT_DOUBLE_EQ(b, 0.25);
    ASSERT_TRUE(numxyz("  1.5 ", " 015 ", a, b).ok());
    EXPECT_DOUBLE_EQ(a, 1.5);
    EXPECT_DOUBLE_EQ(b, 0.15);
    EXPECT_FALSE(numxyz("  x   ", "  X  ", a, b).ok());
    // Ceres at r = 2.7, delta = 1.8, phase 10 deg, H 3.34, G 0.12 (IAU H,G):
    // phi1 = exp(-3.33 tan(5 deg)^0.63), phi2 = exp(-1.87 tan(5 deg)^1.22).
    const double tn = std::tan(5.0 / kDegPerRad);
    const double expected =
        3.34 + 5 * std::log10(2.7 * 1.8) -
        2.5 * std::log10(0.88 * std::exp(-3.33 * std::pow(tn, 0.63)) + 0.12 * std::exp(-1.87 * std::pow(tn, 1.22)));
    EXPECT_NEAR(hgmag(2.7, 1.8, 10.0 / kDegPerRad, 3.34, 0.12), expected, 1e-12);
    EXPECT_NEAR(hgmag(1.0, 1.0, 0.0, 5.0, 0.15), 5.0, 1e-12);  // H is the magnitude at 1 AU, phase 0
}
