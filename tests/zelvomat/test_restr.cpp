// Restrictions: layouts of the coordinate sets, the check of a typed bound,
// the conversion of bounds to internal units and the restriction list.
#include <erfa.h>
#include <erfam.h>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "tasks/confl.h"
#include "tasks/ephrecord.h"
#include "tasks/restr.h"
#include "zelvomat/zelvomat.h"

using namespace zelvomat;
using checks::CheckError;

namespace {

using Ten = std::array<int, 10>;

// Hand conversions from the definitions: a time angle of h hours is h x 15
// degrees; ERFA gives the radians of sexagesimal forms.
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

}  // namespace

TEST(Restr, LayoutOfEachCoordinateSet) {
    const struct {
        const char *coord, *plane, *output;
        int mode;
        Ten types, widths;
    } cases[] = {
        {"REC", "EQT", "EMP", 0, {14, 14, 14, 14, 14, 14, 14, 14, 14, 14}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"REC", "HRZ", "EMP", 0, {14, 14, 14, 14, 14, 14, 14, 14, 14, 14}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"REC", "HRZ", "POS", 1, {1, 1, 1, 2, 2, 2, 12, 2, 12, 3}, {10, 10, 10, 10, 10, 10, 9, 10, 9, 6}},
        {"REC", "ECL", "PSV", 1, {1, 1, 1, 2, 2, 2, 12, 2, 12, 3}, {10, 10, 10, 10, 10, 10, 9, 10, 9, 6}},
        {"SPH", "EQT", "EMP", 2, {4, 5, 12, 6, 7, 2, 12, 8, 9, 11}, {9, 9, 9, 10, 9, 10, 9, 5, 4, 6}},
        {"SPH", "ECL", "POS", 3, {10, 5, 12, 7, 7, 2, 12, 8, 9, 11}, {9, 9, 9, 9, 9, 10, 9, 5, 4, 6}},
        {"SPH", "HRZ", "EMP", 4, {10, 5, 12, 14, 14, 14, 12, 8, 9, 11}, {9, 9, 9, 0, 0, 0, 9, 5, 4, 6}},
        // A plane that is none of the three: no system, only the common quantities.
        {"SPH", "   ", "EMP", 0, {14, 14, 12, 14, 14, 14, 12, 8, 9, 11}, {0, 0, 9, 0, 0, 0, 9, 5, 4, 6}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.coord << " " << c.plane << " " << c.output);
        const RestrictionLayout l = restr(c.coord, c.plane, c.output);
        EXPECT_EQ(l.mode, c.mode);
        EXPECT_EQ(l.types, c.types);
        EXPECT_EQ(l.widths, c.widths);

        // The same through the export, arrays prefilled with rubbish.
        int types[10], widths[10], mode = -7;
        std::memset(types, 0x55, sizeof types);
        std::memset(widths, 0x55, sizeof widths);
        ::restr(c.coord, 3, c.plane, 3, c.output, 3, types, widths, &mode);
        EXPECT_EQ(errmsg(nullptr, 0), 0);
        EXPECT_EQ(mode, c.mode);
        for (int i = 0; i < 10; ++i) {
            EXPECT_EQ(types[i], c.types[static_cast<std::size_t>(i)]);
            EXPECT_EQ(widths[i], c.widths[static_cast<std::size_t>(i)]);
        }
    }
    // Texts are read no further than their lengths: "RECORD" cut to 2 is "RE".
    int types[10], widths[10], mode = -1;
    ::restr("RECORD", 2, "EQT", 3, "POS", 3, types, widths, &mode);
    EXPECT_EQ(mode, 2);  // not "REC": spherical on the equator
    ::restr(nullptr, 0, "EQT", 3, "POS", 3, nullptr, widths, &mode);
    EXPECT_GT(errmsg(nullptr, 0), 0);  // a missing output array is refused
}

TEST(Restr, MasksAndWidths) {
    const struct {
        int type;
        const char* mask;
        int width;
    } cases[] = {
        {1, "5223222222", 10}, {2, "5232222222", 10}, {3, "223222", 6}, {4, "222222322", 9}, {5, "522222232", 9},
        {6, "5222222322", 10}, {7, "522222232", 9},   {8, "22232", 5},  {9, "2232", 4},      {10, "222222232", 9},
        {11, "522232", 6},     {12, "223222222", 9},  {13, "", 0},      {14, "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        EXPECT_EQ(restriction_mask(c.type), std::string(c.mask) + std::string(10 - std::strlen(c.mask), ' '));
        EXPECT_EQ(restriction_width(c.type), c.width);
    }
    EXPECT_EQ(restriction_mask(0), "");
    EXPECT_EQ(restriction_mask(15), "");
    EXPECT_EQ(restriction_width(15), 0);
}

TEST(ContrVv, BoundsGoodAndBad) {
    constexpr double kUntouched = -4242.0;
    const struct {
        int type;
        std::string text;  // the caller's buffer, passed with its own length
        int err;
        std::string after;  // the buffer after the call
        double value;       // kUntouched: value not set
        const char* what;
    } cases[] = {
        // Time angle hhmmss.ss.
        {4, "12       ", 0, "120000.00", 120000.0, "typed hours are filled out"},
        {4, "246000   ", 0, "246000.00", 246000.0, "24 h and 60 min are not above their limits"},
        {4, "000060.99", 0, "000060.99", 60.99, "60 s passes"},
        {4, "250000   ", 2, "250000   ", 250000.0, "25 h: kept as typed, value as read"},
        {4, "126100   ", 2, "126100   ", 126100.0, "61 min"},
        {4, "120061   ", 2, "120061   ", 120061.0, "61 s"},
        {4, "12.5     ", 1, "12.5     ", kUntouched, "point under a digit place"},
        {4, "1a       ", 1, "1a       ", kUntouched, "letter"},
        // Signed angle +ddmmss.s.
        {5, " 123456.7", 0, "+123456.7", 123456.7, "blank sign place becomes +"},
        {5, "-895959.9", 0, "-895959.9", -895959.9, "just below 90 degrees"},
        {5, "+006000.0", 0, "+006000.0", 6000.0, "60 min passes"},
        {5, "+0061    ", 2, "+0061    ", 6100.0, "filled to +006100.0: 61 min"},
        {5, "-12345678", 1, "-12345678", kUntouched, "eight digits: a digit under the point"},
        {5, "-910000.0", 2, "-910000.0", -910000.0, "beyond 90 degrees"},
        {5, "+000061.0", 2, "+000061.0", 61.0, "61 s"},
        // Signed time angle per day +hhmmss.ss.
        {6, "-013000.50", 0, "-013000.50", -13000.5, "1 h 30 min 0.5 s per day, negative"},
        {6, "+250000.00", 2, "+250000.00", 250000.0, "25 h"},
        // Signed angle per day, as type 5.
        {7, " 001530.0", 0, "+001530.0", 1530.0, "15 min 30 s per day"},
        {7, "+950000.0", 2, "+950000.0", 950000.0, "95 degrees"},
        // Angle dddmmss.s.
        {10, "3600000  ", 0, "3600000.0", 3600000.0, "360 degrees pass"},
        {10, "3610000  ", 2, "3610000  ", 3610000.0, "361 degrees"},
        {10, "1806100  ", 2, "1806100  ", 1806100.0, "61 min"},
        // Degrees ddd.d.
        {8, "180.0", 0, "180.0", 180.0, "phase 180 passes"},
        {8, "180.1", 2, "180.1", 180.1, "phase above 180"},
        {8, "-10.0", 1, "-10.0", kUntouched, "no sign place"},
        {8, "  5  ", 0, "005.0", 5.0, "blanks filled"},
        // Signed degrees +ddd.d.
        {11, "-180.0", 0, "-180.0", -180.0, "elongation -180 passes"},
        {11, "-180.1", 2, "-180.1", -180.1, "beyond 180 west"},
        {11, "-045.5", 0, "-045.5", -45.5, "45.5 west"},
        {11, "-45   ", 2, "-45   ", -450.0, "digits fill from the left: -450.0"},
        // Magnitude, distances, rates, speed: no range test.
        {9, "15.5", 0, "15.5", 15.5, "magnitude"},
        {9, "5   ", 0, "50.0", 50.0, "a lone digit is the tens"},
        {1, "+01.5     ", 0, "+01.500000", 1.5, "distance, AU"},
        {1, " 1.5      ", 1, " 1.5      ", kUntouched, "point in a digit place"},
        {2, "-0.0012345", 0, "-0.0012345", -0.0012345, "rate, AU per day"},
        {3, "29.8  ", 0, "29.800", 29.8, "speed, km/s"},
        {12, "01.5     ", 0, "01.500000", 1.5, "distance, AU"},
        {12, "1.5      ", 1, "1.5      ", kUntouched, "point too early"},
        // Blank bounds and types without a bound.
        {4, "         ", 0, "         ", kUntouched, "blank: no bound"},
        {4, "", 0, "", kUntouched, "empty text"},
        {13, "12", 0, "12", kUntouched, "type 13 reads nothing"},
        {14, "12", 0, "12", kUntouched, "type 14 reads nothing"},
        {0, "12", 1, "12", kUntouched, "no such type"},
        {15, "12", 1, "12", kUntouched, "no such type"},
        // Buffers shorter or longer than the width.
        {4, "12", 0, "12", 120000.0, "short buffer: read blank-padded, written within its length"},
        {9, "15.5xx", 0, "15.5xx", 15.5, "characters past the width are not tested"},
        {9, std::string("1\0.5", 4), 1, std::string("1\0.5", 4), kUntouched, "zero byte"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " \"" << c.text << "\": " << c.what);
        // Internal routine.
        std::string buf = c.text;
        double value = kUntouched;
        EXPECT_EQ(checks::code(contr_vv(c.type, std::span<char>(buf.data(), buf.size()), value)), c.err);
        EXPECT_EQ(buf, c.after);
        EXPECT_EQ(value, c.value);

        // Export: a larger buffer, only len characters of which belong to the caller.
        std::string big = c.text + "#####";
        int err = -1;
        double v2 = kUntouched;
        ::contr_vv(c.type, big.data(), static_cast<int>(c.text.size()), &err, &v2);
        EXPECT_EQ(err, c.err);
        EXPECT_EQ(big, c.after + "#####");
        EXPECT_EQ(v2, c.value);
        EXPECT_EQ(errmsg(nullptr, 0), 0);
    }
    int err = 9;
    double v = 1.0;
    ::contr_vv(4, nullptr, 5, &err, &v);  // no text: a blank one
    EXPECT_EQ(err, 0);
    EXPECT_EQ(v, 1.0);
}

TEST(Prcon, BoundsToRadians) {
    const struct {
        int kind;
        double typed;
        double expect;
        const char* what;
    } cases[] = {
        {3, 123000.5, hms('+', 12, 30, 0.5), "12 h 30 min 0.5 s"},
        {3, 220000.0, 22.0 * 15.0 * ERFA_DD2R, "22 h"},
        {3, -13000.5, hms('-', 1, 30, 0.5), "-1 h 30 min 0.5 s (a rate per day)"},
        {3, 235959.99, hms('+', 23, 59, 59.99), "last hundredth of a day"},
        {3, 0.25, hms('+', 0, 0, 0.25), "a quarter second"},
        {4, -895959.9, dms('-', 89, 59, 59.9), "-89 deg 59 min 59.9 s"},
        {4, 1234.5, dms('+', 0, 12, 34.5), "12 min 34.5 s"},
        {4, 3600000.0, ERFA_D2PI, "360 deg"},
        {4, -103000.0, -10.5 * ERFA_DD2R, "-10 deg 30 min"},
        {5, 180.0, ERFA_DPI, "180 degrees"},
        {5, -45.5, -45.5 * ERFA_DD2R, "45.5 degrees west"},
        {0, 1.5, 1.5, "AU unchanged"},
        {1, 123000.0, 123000.0, "kinds other than 3-5 unchanged"},
        {2, -0.5, -0.5, "unchanged"},
        {6, 7.0, 7.0, "unchanged"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_NEAR(Prcon(c.kind, c.typed), c.expect, 1e-14);  // a few ulps of angles up to 2 pi
    }
}

TEST(Formcond, ConversionRows) {
    EXPECT_EQ(conversion_row("SPH", "EQT"), 9);
    EXPECT_EQ(conversion_row("SPH", "ECL"), 10);
    EXPECT_EQ(conversion_row("SPH", "HRZ"), 7);
    EXPECT_EQ(conversion_row("REC", "EQT"), 11);
    EXPECT_EQ(conversion_row("REC", "ECL"), 11);
    EXPECT_EQ(conversion_row("REC", "HRZ"), 7);  // the horizon rule comes last
    EXPECT_EQ(conversion_row("SPH", "XYZ"), 0);
}

namespace {
RestrictionBlock open_block(int block) {
    RestrictionBlock b;
    b.block = block;
    b.switches.fill(1);
    for (int q = 1; q <= 10; ++q) {
        b.lower(q) = kOpenLow;
        b.upper(q) = kOpenHigh;
    }
    return b;
}
void take(RestrictionBlock& b, int q, double lo, double hi) {
    b.switches[static_cast<std::size_t>(q - 1)] = 2;
    b.lower(q) = lo;
    b.upper(q) = hi;
}
}  // namespace

TEST(Formcond, EquatorBlockInInternalUnits) {
    RestrictionBlock b = open_block(2);
    take(b, 1, 220000.0, 20000.0);     // R.A. from 22 h through 0 h to 2 h
    take(b, 2, -103000.0, kOpenHigh);  // Decl. from -10 deg 30 min
    take(b, 3, kOpenLow, 1.5);         // distance up to 1.5 AU
    take(b, 4, -13000.0, 13000.0);     // d(RA)/dt within +-1 h 30 min per day
    take(b, 8, 30.0, 60.0);            // phase 30-60 degrees
    take(b, 10, -90.0, 90.0);          // elongation
    auto r = Formcond(b, "SPH", "EQT");
    ASSERT_TRUE(r.ok()) << r.message();
    ASSERT_EQ(r->count, 6);
    const std::int16_t idx[] = {1, 2, 3, 4, 8, 10}, sense[] = {-1, 1, 1, 1, 1, 1};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(r->indexes[static_cast<std::size_t>(i)], idx[i]);
        EXPECT_EQ(r->senses[static_cast<std::size_t>(i)], sense[i]);
    }
    constexpr double tol = 1e-14;                          // radians
    EXPECT_NEAR(r->lows(1), 2.0 * 15.0 * ERFA_DD2R, tol);  // the smaller value: 2 h
    EXPECT_NEAR(r->highs(1), 22.0 * 15.0 * ERFA_DD2R, tol);
    EXPECT_NEAR(r->lows(2), -10.5 * ERFA_DD2R, tol);
    EXPECT_EQ(r->highs(2), kOpenHigh);  // open limits are not converted
    EXPECT_EQ(r->lows(3), kOpenLow);
    EXPECT_EQ(r->highs(3), 1.5);  // AU stay AU
    EXPECT_NEAR(r->lows(4), -1.5 * 15.0 * ERFA_DD2R, tol);
    EXPECT_NEAR(r->highs(4), 1.5 * 15.0 * ERFA_DD2R, tol);
    EXPECT_NEAR(r->lows(8), ERFA_DPI / 6.0, tol);
    EXPECT_NEAR(r->highs(8), ERFA_DPI / 3.0, tol);
    EXPECT_NEAR(r->lows(10), -ERFA_DPI / 2.0, tol);
    EXPECT_NEAR(r->highs(10), ERFA_DPI / 2.0, tol);
}

TEST(Formcond, RowsOfTheOtherSystems) {
    // Ecliptic: longitude and the longitude rate are ddmmss forms (not hours).
    RestrictionBlock b = open_block(3);
    take(b, 1, 1800000.0, 1900000.0);
    take(b, 4, -3000.0, 3000.0);
    auto r = Formcond(b, "SPH", "ECL");
    ASSERT_TRUE(r.ok());
    EXPECT_NEAR(r->lows(1), ERFA_DPI, 1e-14);
    EXPECT_NEAR(r->highs(1), 190.0 * ERFA_DD2R, 1e-14);
    EXPECT_NEAR(r->highs(4), 0.5 * ERFA_DD2R, 1e-15);

    // Horizon: azimuth in ddmmss, the rates not converted.
    b = open_block(4);
    take(b, 1, 900000.0, 2700000.0);
    take(b, 5, -1.0, 1.0);
    r = Formcond(b, "SPH", "HRZ");
    ASSERT_TRUE(r.ok());
    EXPECT_NEAR(r->lows(1), ERFA_DPI / 2.0, 1e-14);
    EXPECT_EQ(r->highs(5), 1.0);

    // Rectangular: nothing converted.
    b = open_block(1);
    take(b, 1, -2.5, 2.5);
    take(b, 10, 10.0, 40.0);
    r = Formcond(b, "REC", "EQT");
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r->count, 2);
    EXPECT_EQ(r->lows(1), -2.5);
    EXPECT_EQ(r->highs(10), 40.0);
}

TEST(Formcond, ListEndsAndFaults) {
    RestrictionBlock b = open_block(2);
    take(b, 3, 1.0, 2.0);
    b.switches[4] = 0;  // quantity 5: neither off nor on ends the list
    take(b, 7, 1.0, 2.0);
    auto r = Formcond(b, "SPH", "EQT");
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r->count, 1);
    EXPECT_EQ(r->indexes[0], 3);
    EXPECT_EQ(r->lows(7), 0.0);  // not set

    b = open_block(2);
    take(b, 9, 12.0, 12.0);  // equal bounds: the smaller-first rule gives sense -1
    r = Formcond(b, "SPH", "EQT");
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r->senses[0], -1);
    EXPECT_EQ(r->lows(9), 12.0);

    EXPECT_FALSE(Formcond(b, "SPH", "XYZ").ok());  // a taken quantity without a row
    EXPECT_TRUE(Formcond(open_block(2), "SPH", "XYZ").ok());
    EXPECT_EQ(Formcond(open_block(2), "SPH", "XYZ")->count, 0);
    EXPECT_FALSE(Formcond(open_block(0), "SPH", "EQT").ok());
    EXPECT_FALSE(Formcond(open_block(5), "SPH", "EQT").ok());
}

TEST(Formcond, FromTheTaskRecord) {
    // Bounds typed and checked as the set-up page does, stored, then read
    // back as the driver does.
    EphTaskRecord rec = EphTaskRecord::defaults();
    std::string lo1 = "22       ", hi1 = "02       ", hi2 = " 10     ";
    double v = 0;
    ASSERT_EQ(contr_vv(4, lo1, v), CheckError::None);
    ASSERT_EQ(contr_vv(4, hi1, v), CheckError::None);
    ASSERT_EQ(contr_vv(5, hi2, v), CheckError::None);
    EXPECT_EQ(hi2, "+100000.");  // 8 characters: the tenths place was past the buffer
    EXPECT_EQ(v, 100000.0);
    std::array<EphTaskRecord::RestrictionEntry, 10> entries{};
    entries[0] = {true, lo1, hi1};
    entries[1] = {true, "", "+100000.0"};
    entries[2] = {false, "5", "6"};
    rec.store_frame("SPH", "AST", "EQT", "2000");
    ASSERT_EQ(rec.store_restrictions(true, false, entries), 6);
    // A switched-off entry with old bound texts: the bounds are not used.
    rec.set(EphTaskRecord::lower_field(2, 3), "garbage");

    auto block = read_restriction_block(rec);
    ASSERT_TRUE(block.ok()) << block.message();
    EXPECT_EQ(block->block, 2);
    EXPECT_FALSE(block->reject_solitary);
    EXPECT_EQ(block->switches, (Ten{2, 2, 1, 1, 1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(block->lower(1), 220000.0);
    EXPECT_EQ(block->upper(1), 20000.0);
    EXPECT_EQ(block->lower(2), kOpenLow);
    EXPECT_EQ(block->upper(2), 100000.0);
    EXPECT_EQ(block->lower(3), kOpenLow);

    auto r = Formcond(*block, "SPH", "EQT");
    ASSERT_TRUE(r.ok());
    ASSERT_EQ(r->count, 2);
    EXPECT_EQ(r->senses[0], -1);
    EXPECT_NEAR(r->lows(1), ERFA_DPI / 6.0, 1e-14);
    EXPECT_NEAR(r->highs(1), 22.0 * ERFA_DPI / 12.0, 1e-14);
    EXPECT_NEAR(r->highs(2), 10.0 * ERFA_DD2R, 1e-14);

    // Reject solitary headings.
    rec.set(eph_field::headingsSwitch, "NOHD");
    EXPECT_TRUE(read_restriction_block(rec)->reject_solitary);

    // Digit below 5: no restrictions, every switch off.
    rec.set(eph_field::restrictionMode, "2");
    block = read_restriction_block(rec);
    ASSERT_TRUE(block.ok());
    EXPECT_EQ(block->switches, (Ten{1, 1, 1, 1, 1, 1, 1, 1, 1, 1}));
    EXPECT_FALSE(block->reject_solitary);
    EXPECT_EQ(Formcond(*block, "SPH", "EQT")->count, 0);
    rec.set(eph_field::restrictionMode, "0");
    EXPECT_EQ(read_restriction_block(rec)->block, 4);  // mode 0 reads as block 4
    rec.set(eph_field::restrictionMode, "8");
    EXPECT_EQ(read_restriction_block(rec)->block, 4);

    // Faults the driver cannot go on with.
    rec.set(eph_field::restrictionMode, " ");
    EXPECT_FALSE(read_restriction_block(rec).ok());
    rec.set(eph_field::restrictionMode, "6");
    rec.set(EphTaskRecord::upper_field(2, 1), "12h");
    EXPECT_FALSE(read_restriction_block(rec).ok());
}

// The elongation bounds as the help of the Restrictions page gives them
// (typed, checked, stored and read back as the set-up page and the driver
// do): the elongation is signed, east positive; a lower bound above the
// upper keeps the values outside them, which is how both sides are asked.
TEST(Restrictions, ElongationOnEitherSideOfTheSun) {
    const struct {
        const char* what;
        const char* lower;
        const char* upper;
        // Elongations (degrees, west negative) kept and dropped.
        std::array<double, 3> kept, dropped;
    } cases[] = {
        {"at least 60 degrees, either side", "+060.0", "-060.0", {175.0, -120.0, -60.5}, {59.0, -59.0, 0.0}},
        {"at most 30 degrees, either side", "-030.0", "+030.0", {29.0, -29.0, 0.0}, {31.0, -31.0, 179.0}},
        {"at least 60 degrees east", "+060.0", "", {60.5, 120.0, 179.0}, {-179.0, -120.0, 59.0}},
        {"at least 60 degrees west", "", "-060.0", {-60.5, -120.0, -179.0}, {179.0, 120.0, -59.0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string lo = c.lower, hi = c.upper;
        double v = 0;
        lo.resize(6, ' ');
        hi.resize(6, ' ');
        ASSERT_EQ(contr_vv(11, lo, v), CheckError::None);
        ASSERT_EQ(contr_vv(11, hi, v), CheckError::None);
        EphTaskRecord rec = EphTaskRecord::defaults();
        std::array<EphTaskRecord::RestrictionEntry, 10> entries{};
        entries[9] = {true, lo, hi};
        rec.store_frame("SPH", "AST", "EQT", "2000");
        rec.store_restrictions(true, false, entries);
        auto block = read_restriction_block(rec);
        ASSERT_TRUE(block.ok()) << block.message();
        auto bounds = Formcond(*block, "SPH", "EQT");
        ASSERT_TRUE(bounds.ok());
        ASSERT_EQ(bounds->count, 1);
        EphResultValues values{};
        for (double e : c.kept) {
            values(10) = e * ERFA_DD2R;
            EXPECT_TRUE(Conds(1, "SPH", *bounds, values)) << e;
        }
        for (double e : c.dropped) {
            values(10) = e * ERFA_DD2R;
            EXPECT_FALSE(Conds(1, "SPH", *bounds, values)) << e;
        }
    }
}

TEST(QuantityValues, NumberedFromOne) {
    EphResultValues v;
    for (int q = 1; q <= 10; ++q) v(q) = q * 1.5;
    EXPECT_EQ(v.data()[0], 1.5);  // quantity 1 is the first of the exported array
    EXPECT_EQ(v.data()[9], 15.0);
    EXPECT_EQ(v(SphQuantity::Phase), 12.0);
    EXPECT_EQ(v(SphQuantity::Elongation), 15.0);
    EXPECT_EQ(v(RecQuantity::X), 1.5);
    EXPECT_EQ(v(RecQuantity::SunDistance), 13.5);
    EXPECT_EQ(EphResultValues{}, QuantityValues{});  // all zero before they are computed
}
