// Date text readers: calendar dates YYYYMMDD.ddddd and Julian dates typed in
// fixed fields. Calendar dates are checked against ERFA's eraCal2jd.
#include <erfa.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "tasks/inpdat.h"

using namespace zelvomat;

namespace {

constexpr double kUnchanged = -777.0;

// Julian date of a Gregorian calendar date plus a fraction of the civil day.
double cal_jd(int y, int m, int d, double frac) {
    double djm0 = 0, djm = 0;
    EXPECT_EQ(eraCal2jd(y, m, d, &djm0, &djm), 0);
    return djm0 + djm + frac;
}

struct Case {
    const char* text;
    std::size_t len;  // 0: the whole text
    bool ok;
    double jd;  // expected when ok
};

std::string_view field(const Case& c) {
    std::string_view t(c.text);
    return c.len == 0 ? t : t.substr(0, c.len);
}

}  // namespace

TEST(DateText, DialogFieldReaderAndItsTwin) {
    const Case cases[] = {
        {"20240115.50000", 0, true, cal_jd(2024, 1, 15, 0.5)},
        {"  20240115.500", 0, true, cal_jd(2024, 1, 15, 0.5)},     // day read up to position 14
        {"20240115.50000999", 0, true, cal_jd(2024, 1, 15, 0.5)},  // past position 14 ignored
        {"19991231.99999", 0, true, cal_jd(1999, 12, 31, 0.99999)},
        {"20240132.0", 0, true, cal_jd(2024, 2, 1, 0.0)},  // day 32 passes: 1 February
        {"2451545.00000", 0, true, 2451545.0},
        {" 2451545.5", 0, true, 2451545.5},
        {"2451545.12345678", 0, true, 2451545.123456},          // positions 1-14 only
        {"20240115.5XYZ", 10, true, cal_jd(2024, 1, 15, 0.5)},  // nothing read past the length
        {"", 0, false, 0},
        {"              ", 0, false, 0},
        {"20240115", 0, false, 0},     // no point
        {"202401150.5", 0, false, 0},  // point at the wrong place
        {"24011.5", 0, false, 0},
        {"           20240115.5", 0, false, 0},  // point beyond position 14
        {"20241315.0", 0, false, 0},             // month 13
        {"20240133.0", 0, false, 0},             // day 33
        {"2024a115.5", 0, false, 0},             // not a number
        {"2451545.5.5", 0, false, 0},
        {"20240115.5", 8, false, 0},  // the point lies past the length
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "\"" << field(c) << "\"");
        double v1 = kUnchanged, v2 = kUnchanged;
        bool bad = !c.ok, ok = c.ok;
        Inpdat1(field(c), v1, bad);
        Inpdat(field(c), v2, ok);
        EXPECT_EQ(bad, !c.ok);
        EXPECT_EQ(ok, c.ok);
        if (c.ok) {
            EXPECT_NEAR(v1, c.jd, 1e-8);  // days; well below the 5 decimals typed
            EXPECT_EQ(v2, v1);
        } else {
            EXPECT_EQ(v1, kUnchanged);
            EXPECT_EQ(v2, kUnchanged);
        }
    }
}

TEST(DateText, ViewReader) {
    const Case cases[] = {
        {"20240115.5", 0, true, cal_jd(2024, 1, 15, 0.5)},
        {"2024 01 15.5", 0, true, cal_jd(2024, 1, 15, 0.5)},  // blanks squeezed out
        {" 2024  0115.250000", 0, true, cal_jd(2024, 1, 15, 0.25)},
        {"20240115", 0, true, cal_jd(2024, 1, 15, 0.0)},  // a point is supplied
        {"18000101.125", 0, true, cal_jd(1800, 1, 1, 0.125)},
        {"2451545", 0, true, 2451545.0},
        {"2451545.25", 0, true, 2451545.25},
        {"2451545        9", 0, true, 2451545.0},  // only the first 15 characters
        {"", 0, false, 0},
        {"   ", 0, false, 0},
        {"-2451545.0", 0, false, 0},  // leading minus
        {"-20240115", 0, false, 0},
        {"20241315", 0, false, 0},    // month 13
        {"20240015", 0, false, 0},    // month 0
        {"20240100.5", 0, false, 0},  // day below 1
        {"20240133", 0, false, 0},    // day 33
        {"2024.01.15", 0, false, 0},  // last point at place 8, not a number
        {"12345", 0, false, 0},
        {"2024x115.5", 0, false, 0},
        {"20240115.5", 6, false, 0},  // "202401": too short
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "\"" << field(c) << "\"");
        double v = kUnchanged;
        std::int32_t err = c.ok ? 1 : 0;
        Inpdat2(field(c), v, err);
        EXPECT_EQ(err, c.ok ? 0 : 1);
        if (c.ok)
            EXPECT_NEAR(v, c.jd, 1e-8);
        else
            EXPECT_EQ(v, kUnchanged);
    }
}
