// Field check of the set-up dialogs: every kind with good and bad texts, the
// normal form written back, the caller's text untouched on failure, and the
// dates against ERFA.
#include <erfa.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "catalogue_fixture.h"
#include "support.h"
#include "zelvomat/zelvomat.h"

namespace {

constexpr std::int16_t kFirstYear = 2023;
constexpr std::int16_t kLastYear = 2027;
constexpr std::int32_t kNumbered = 1000;

// "setpar": 14 records of 80 bytes; record 4 the data directory, record 6
// total (i32 at 8), numbered (i32 at 12), first and last package year (i16
// at 20 and 22).
void write_setpar(const std::string& data_dir) {
    std::vector<std::uint8_t> s(14 * 80, 0);
    zeltest::puttext(s, 3 * 80, 80, data_dir);
    zeltest::put32(s, 5 * 80 + 8, 1500);
    zeltest::put32(s, 5 * 80 + 12, kNumbered);
    for (int i = 0; i < 2; ++i) {
        s[5 * 80 + 20 + i] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(kFirstYear) >> (8 * i));
        s[5 * 80 + 22 + i] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(kLastYear) >> (8 * i));
    }
    zeltest::write_bytes("setpar", s);
}

// "observat.dat": 78-byte records, record k for observatory number k - 1:
// i16 number at 0, longitude, rho cos phi', rho sin phi' as doubles at 2, 10,
// 18, the name at 26 (50 characters) and two blanks. Numbers 0 .. 1001
// (A01); free numbers carry their number and zeros; the record of 700 is a
// blank line (number -1).
void write_observatories(const std::string& dir) {
    constexpr std::size_t kRec = 78;
    constexpr int kCount = 1002;
    std::vector<std::uint8_t> b(kRec * kCount, ' ');
    auto set = [&](int n, int stored, double lon, double rc, double rs, const std::string& name) {
        const std::size_t o = kRec * static_cast<std::size_t>(n);
        b[o] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(stored) & 0xFF);
        b[o + 1] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(stored) >> 8);
        zeltest::put64(b, o + 2, lon);
        zeltest::put64(b, o + 10, rc);
        zeltest::put64(b, o + 18, rs);
        zeltest::puttext(b, o + 26, 52, name);
    };
    for (int n = 0; n < kCount; ++n) set(n, n, 0.0, 0.0, 0.0, "");
    set(0, 0, 0.0, 0.62411, 0.77873, "Greenwich");
    set(568, 568, 204.5278, 0.94171, 0.33725, "Mauna Kea");
    set(1000, 1000, 4.4333, 0.68, 0.73, "Letter code");
    set(700, -1, 0.0, 0.0, 0.0, "");
    zeltest::write_bytes(dir + "observat.dat", b);
}

struct Outcome {
    int err = -1;
    double value = -1.0;
    int aux = -99;
    std::string text;
};

// Calls the export on a buffer of len characters followed by four guard
// bytes that it must never touch.
Outcome check(int kind, const std::string& typed, int len, int aux_in = 0) {
    std::string buf = typed;
    buf.resize(static_cast<std::size_t>(len), ' ');
    buf += "####";
    Outcome o;
    o.aux = aux_in;
    contreph(kind, buf.data(), len, &o.err, &o.value, &o.aux);
    EXPECT_EQ(buf.substr(static_cast<std::size_t>(len)), "####") << "written past len";
    o.text = buf.substr(0, static_cast<std::size_t>(len));
    return o;
}

std::string padded(const std::string& s, int len) {
    std::string r = s;
    r.resize(static_cast<std::size_t>(len), ' ');
    return r;
}

class ContrephTest : public ::testing::Test {
protected:
    void SetUp() override {
        write_setpar(dir.dir_slash());
        write_observatories(dir.dir_slash());
    }
    zeltest::ScopedWorkDir dir;
};

// The field lengths of the dialogs.
constexpr int kLen[16] = {0, 6, 10, 4, 9, 14, 3, 9, 8, 9, 9, 9, 9, 7, 6, 9};

struct Case {
    const char* what;
    int kind;
    const char* typed;
    int err;
    double value;
    int aux;
    const char* written;  // the normal form; nullptr: the text must stay as typed
    int len = 0;          // 0: the dialog's length of the kind
};

void run(const Case& c) {
    SCOPED_TRACE(std::string(c.what) + " kind " + std::to_string(c.kind) + " \"" + c.typed + "\"");
    const int len = c.len != 0 ? c.len : kLen[c.kind];
    const Outcome o = check(c.kind, c.typed, len);
    EXPECT_EQ(o.err, c.err);
    EXPECT_NEAR(o.value, c.value, 1e-9 * std::max(1.0, std::fabs(c.value)));  // relative 1e-9: decimal reading
    EXPECT_EQ(o.aux, c.aux);
    if (c.written != nullptr)
        EXPECT_EQ(o.text, padded(c.written, len));
    else
        EXPECT_EQ(o.text, padded(c.typed, len)) << "the caller's text changed";
}

}  // namespace

TEST_F(ContrephTest, ObjectNumberYearAndOppositionDate) {
    const Case cases[] = {
        {"plain", 1, "12", 0, 0, 12, "12"},
        {"leading blank left-justified", 1, " 12", 0, 0, 12, "12"},
        {"major body", 1, "-12", 0, 0, -12, "-12"},
        {"signed", 1, "+7", 0, 0, 7, "+7"},
        {"last numbered", 1, "1000", 0, 0, 1000, "1000"},
        {"beyond numbered", 1, "1001", 2, 0, 1001, nullptr},
        {"below -12", 1, "-13", 2, 0, -13, nullptr},
        {"seven digits", 1, "1234567", 1, 0, 0, nullptr, 7},
        {"letter", 1, "12a", 1, 0, 0, nullptr},
        {"inner blank", 1, "1 2", 1, 0, 0, nullptr},
        {"lone sign", 1, "-", 1, 0, 0, nullptr},
        {"blank", 1, "", 1, 0, 0, nullptr},
        {"leap day", 2, "20240229.5", 0, 20240229.5, 0, "20240229.5"},
        {"first day of the package", 2, "20231101.0", 0, 20231101.0, 0, "20231101.0"},
        {"before 1 November of the first year", 2, "20231031.9", 7, 20231031.9, 0, nullptr},
        {"1 March of the last year", 2, "20270301.0", 0, 20270301.0, 0, "20270301.0"},
        {"within March of the last year", 2, "20270301.5", 7, 20270301.5, 0, nullptr},
        {"no point: last digit a decimal", 2, "20240101", 7, 2024010.1, 0, nullptr},
        {"30 February", 2, "20250230.0", 2, 20250230.0, 0, nullptr},
        {"month 13", 2, "20251301.0", 2, 20251301.0, 0, nullptr},
        {"day 0", 2, "20250100.0", 2, 20250100.0, 0, nullptr},
        {"second decimal", 2, "20240101.55", 1, 0, 0, nullptr, 11},
        {"leading blank", 2, " 20240101.5", 0, 20240101.5, 0, "20240101.5", 11},
        {"year", 3, "2025", 0, 0, 2025, "2025"},
        {"first year", 3, "2023", 0, 0, 2023, "2023"},
        {"after the last year", 3, "2028", 7, 0, 2028, nullptr},
        {"before the first year", 3, "2022", 7, 0, 2022, nullptr},
        {"short year", 3, "25", 7, 0, 25, nullptr},
        {"letter in year", 3, "20a5", 1, 0, 0, nullptr},
    };
    for (const Case& c : cases) run(c);
}

TEST_F(ContrephTest, StepsAndNumbers) {
    const Case cases[] = {
        {"too many integer digits", 4, "12345", 2, 0, 0, nullptr},
        {"with a point", 4, "12345.0", 0, 12345.0, 0, "12345.0"},
        {"leading blanks count as digits", 4, "  1234", 2, 0, 0, nullptr},
        {"four digits", 4, "1234", 0, 1234.0, 0, "1234"},
        {"decimals cut, not rounded", 4, "1.1234567", 0, 1.12345, 0, "1.12345"},
        {"zero", 4, "0", 0, 0.0, 0, "0"},
        {"two points", 4, "1.2.3", 1, 0, 0, nullptr},
        {"sign refused", 4, "-1", 1, 0, 0, nullptr},
        {"longitude 360", 7, "360", 0, 360.0, 0, "360"},
        {"longitude above 360", 7, "360.00001", 2, 360.00001, 0, nullptr},
        {"longitude cut", 7, "12.123456", 0, 12.12345, 0, "12.12345"},
        {"longitude digits", 7, "12345", 2, 0, 0, nullptr},
        {"rho cos 1.2", 8, "1.2", 2, 1.2, 0, nullptr},
        {"rho cos 1.1", 8, "1.1", 0, 1.1, 0, "1.1"},
        {"rho cos six decimals", 8, "0.987654", 0, 0.987654, 0, "0.987654"},
        {"rho sin -1.05", 9, "-1.05", 0, -1.05, 0, "-1.05"},
        {"rho sin -1.2", 9, "-1.2", 2, -1.2, 0, nullptr},
        {"rho sin signed", 9, "+0.5", 0, 0.5, 0, "+0.5"},
        {"rho sin inner blank", 9, "1 .5", 1, 0, 0, nullptr},
        {"latitude -90", 10, "-90", 0, -90.0, 0, "-90"},
        {"latitude 90.5", 10, "90.5", 2, 90.5, 0, nullptr},
        {"height", 11, "1234567.8", 0, 1234567.8, 0, "1234567.8"},
        {"height eight digits", 11, "12345678", 0, 12345678.0, 0, "12345678"},
        {"height nine digits", 11, "123456789", 2, 0, 0, nullptr},
        {"height below sea level", 11, "-400", 0, -400.0, 0, "-400"},
        {"height signed as the conversion writes it", 11, "+30", 0, 30.0, 0, "+30"},
        {"height lone sign", 11, "-", 1, 0, 0, nullptr},
        {"step 0", 12, "0", 7, 0, 0, nullptr},
        {"lone point reads 0", 12, ".", 7, 0, 0, nullptr},
        {"step 0.5", 12, "0.5", 0, 0.5, 0, "0.5"},
        {"tolerance", 13, "12.5", 0, 12.5, 0, "12.5"},
        {"tolerance digit under the point's place", 13, "12345", 1, 0, 0, nullptr},
        {"tolerance cut", 13, "1.25", 0, 1.2, 0, "1.2"},
        {"tolerance digit under the blank end", 13, "1234.56", 1, 0, 0, nullptr},
        {"magnitude", 14, "20.5", 0, 20.5, 0, "20.5"},
        {"magnitude one integer digit", 14, "9.5", 1, 0, 0, nullptr},
        {"residual limit: two decimals kept", 15, "0.15", 0, 0.15, 0, "0.15"},
        {"residual limit cut", 15, "123.456", 0, 123.45, 0, "123.45"},
        {"residual limit digits", 15, "123456789", 0, 123456789.0, 0, "123456789"},
    };
    for (const Case& c : cases) run(c);
}

TEST_F(ContrephTest, DatesOrJulianDates) {
    const Case cases[] = {
        {"Julian date", 5, "2451545.5", 0, 2451545.5, 0, "2451545.50000 "},
        {"Julian date cut", 5, "2451545.123456", 0, 2451545.12345, 0, "2451545.12345 "},
        {"calendar date", 5, "20000101.5", 0, 2451545.0, 0, "20000101.50000"},
        {"day with a blank", 5, "2000011 .5", 0, 2451545.0, 0, "20000101.50000"},
        {"30 February", 5, "20000230.5", 2, 0, 0, nullptr},
        {"1799", 5, "17991231.5", 2, 0, 0, nullptr},
        {"2102", 5, "21020101.0", 2, 0, 0, nullptr},
        {"Julian date of 1799", 5, "2378496.4", 2, 0, 0, nullptr},
        {"no point", 5, "20000101", 1, 0, 0, nullptr},
        {"point misplaced", 5, "245154.5", 1, 0, 0, nullptr},
        {"too long", 5, "20000101.123456", 1, 0, 0, nullptr, 15},
    };
    for (Case c : cases) {
        // Failures after the number was read leave the number in value; only
        // the error and the text matter for them.
        SCOPED_TRACE(c.what);
        const int len = c.len != 0 ? c.len : 14;
        const Outcome o = check(5, c.typed, len);
        EXPECT_EQ(o.err, c.err);
        EXPECT_EQ(o.aux, 0);
        if (c.err == 0) {
            EXPECT_NEAR(o.value, c.value, 1e-8);  // days (1 ms)
        }
        EXPECT_EQ(o.text, padded(c.written != nullptr ? c.written : c.typed, len));
    }
}

// The Julian dates of typed calendar dates against ERFA's eraCal2jd (the JD
// of 0h of the civil date) plus the day fraction.
TEST_F(ContrephTest, CalendarDatesAgreeWithErfa) {
    struct D {
        const char* typed;
        int y, m, d;
        double frac;
    } dates[] = {
        {"20000101.5", 2000, 1, 1, 0.5},           {"18000101.0", 1800, 1, 1, 0.0},
        {"21011231.99999", 2101, 12, 31, 0.99999}, {"19570704.25", 1957, 7, 4, 0.25},
        {"20240229.75", 2024, 2, 29, 0.75},        {"19000228.12345", 1900, 2, 28, 0.12345},
    };
    for (const D& d : dates) {
        SCOPED_TRACE(d.typed);
        double djm0 = 0.0, djm = 0.0;
        ASSERT_EQ(eraCal2jd(d.y, d.m, d.d, &djm0, &djm), 0);
        const Outcome o = check(5, d.typed, 14);
        EXPECT_EQ(o.err, 0);
        EXPECT_NEAR(o.value, djm0 + djm + d.frac, 1e-8);  // days (1 ms)
        // Kind 19 (the epoch of a typed orbit) reads the same date.
        const Outcome e = check(19, d.typed, 20, 1);
        EXPECT_EQ(e.err, 0);
        EXPECT_NEAR(e.value, djm0 + djm + d.frac, 1e-8);  // days
    }
    // A day that ERFA refuses is refused too.
    double djm0 = 0.0, djm = 0.0;
    EXPECT_NE(eraCal2jd(2023, 2, 29, &djm0, &djm), 0);
    EXPECT_EQ(check(5, "20230229.0", 14).err, 2);
}

TEST_F(ContrephTest, ObservatoryCodes) {
    const Case cases[] = {
        {"Mauna Kea", 6, "568", 0, 0, 568, "568"},
        {"Greenwich with a leading blank", 6, " 0", 0, 0, 0, "0"},
        {"letter code", 6, "A00", 0, 0, 1000, "A00"},
        {"letter code in lower case", 6, "a00", 0, 0, 1000, "a00"},
        {"geocentre", 6, "500", 8, 0, 500, nullptr},
        {"geocentric code 244", 6, "244", 8, 0, 244, nullptr},
        {"geocentric code 248", 6, "248", 8, 0, 248, nullptr},
        {"free code without data", 6, "100", 9, 0, 100, nullptr},
        {"past the end of the list", 6, "A02", 3, 0, 1002, nullptr},
        {"record of another number", 6, "700", 3, 0, 700, nullptr},
        {"letter in second place", 6, "5A0", 1, 0, -1, nullptr},
        {"letter in third place", 6, "50A", 1, 0, -1, nullptr},
        {"not a code", 6, "#12", 3, 0, -1, nullptr},
        {"letter cut short", 6, "A5", 3, 0, -1, nullptr},
        {"blank", 6, "", 1, 0, 0, nullptr},
    };
    for (const Case& c : cases) run(c);
}

// Kinds 16-29 follow the typed-orbit rules; aux is the orbit form and stays
// as passed; the text never changes.
TEST_F(ContrephTest, OrbitFields) {
    struct O {
        const char* what;
        int kind;
        const char* typed;
        int form;
        int err;
        double value;
    } cases[] = {
        {"eccentricity 1 as an element", 25, "1.0", 1, 2, 1.0},
        {"eccentricity 1 as dZ/dt", 25, "1.0", 2, 0, 1.0},
        {"X", 18, "X", 1, 0, 0.15},
        {"exponent form", 27, "1.5D-3", 1, 0, 0.0015},
        {"inner blank of a designation", 16, "1999 AB", 1, 1, 0.0},
        {"designation", 16, "Ceres", 1, 0, 0.0},
        {"column order", 29, "01020304050708091011", 1, 0, 0.0},
        {"column order repeated", 29, "01020304050708091010", 1, 3, 0.0},
        {"packed epoch", 19, "K01A1", 1, 0, 2452183.5},
        {"blank", 20, "", 1, 1, 0.0},
    };
    for (const O& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome o = check(c.kind, c.typed, 20, c.form);
        EXPECT_EQ(o.err, c.err);
        if (c.err == 0) {
            EXPECT_NEAR(o.value, c.value, 1e-12 * std::max(1.0, c.value));  // relative
        }
        EXPECT_EQ(o.aux, c.form);
        EXPECT_EQ(o.text, padded(c.typed, 20));
    }
    // K01A1 is 1 October 2001, 0h.
    double djm0 = 0.0, djm = 0.0;
    ASSERT_EQ(eraCal2jd(2001, 10, 1, &djm0, &djm), 0);
    EXPECT_NEAR(check(19, "K01A1", 5, 1).value, djm0 + djm, 1e-9);  // days
}

TEST_F(ContrephTest, KindsOutsideTheTableAreFormatErrors) {
    for (int kind : {0, -1, 30, 100}) {
        SCOPED_TRACE(kind);
        const Outcome o = check(kind, "12", 6, 5);
        EXPECT_EQ(o.err, 1);
        EXPECT_EQ(o.text, padded("12", 6));
    }
}

// Nothing past len is read: characters that would fail the mask stand right
// after the field.
TEST_F(ContrephTest, ReadsNoFurtherThanItsLength) {
    std::string buf = "12xxxx";
    int err = -1, aux = 0;
    double value = 0.0;
    contreph(1, buf.data(), 2, &err, &value, &aux);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(aux, 12);
    EXPECT_EQ(buf, "12xxxx");
    // A calendar date in a field too short for the fixed form keeps the
    // left-justified form.
    const Outcome o = check(5, " 20000101.5", 11);
    EXPECT_EQ(o.err, 0);
    EXPECT_EQ(o.text, "20000101.5 ");
    EXPECT_NEAR(o.value, 2451545.0, 1e-8);  // days
    // A null text or no length is a blank field.
    contreph(4, nullptr, 9, &err, &value, &aux);
    EXPECT_EQ(err, 1);
    contreph(4, buf.data(), 0, &err, &value, &aux);
    EXPECT_EQ(err, 1);
}

TEST(ContrephFiles, MissingSettingsAreReported) {
    zeltest::ScopedWorkDir dir;
    const Outcome year = check(3, "2025", 4);
    EXPECT_EQ(year.err, 7);
    EXPECT_GT(errmsg(nullptr, 0), 0);
    EXPECT_EQ(check(1, "12", 6).err, 2);
    EXPECT_EQ(check(6, "568", 3).err, 3);
    EXPECT_GT(errmsg(nullptr, 0), 0);
    // Kinds that need no package value pass without it.
    const Outcome step = check(4, "1.5", 9);
    EXPECT_EQ(step.err, 0);
    EXPECT_EQ(errmsg(nullptr, 0), 0);
}
