// Check of the ephemeris task record (sections absent and in conflict,
// damaged fields, the centre file "minor", the confl export), the restriction
// kinds of each coordinate set and the restriction test of one date.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/setpar.h"
#include "io/errchan.h"
#include "support.h"
#include "tasks/confl.h"
#include "zelvomat/zelvomat.h"

namespace {

using namespace zelvomat;
namespace F = eph_field;
using Sections = std::array<std::int32_t, 7>;

// The record a new task starts from: NUMB 1 to 1, SPH AST EQT 2000, centre 3
// (the Earth), GEO, ARBT, EMP, restriction mode 2 (equator, none set).
EphTaskRecord spherical_base() { return EphTaskRecord::defaults(); }

// Rectangular coordinates: REC GMT EQT 2000, centre 3, ARBT, POS, mode 1.
EphTaskRecord rectangular_base() {
    EphTaskRecord r = EphTaskRecord::defaults();
    r.store_frame("REC", "GMT", "EQT", "2000");
    r.store_output("POS");
    r.set(F::restrictionMode, "1");
    return r;
}

void frame(EphTaskRecord& r, const char* kind, const char* plane, const char* equinox, const char* mode) {
    r.set(F::positionKind, kind);
    r.set(F::mainPlane, plane);
    r.set(F::equinox, equinox);
    r.set(F::restrictionMode, mode);
}
void topocentric(EphTaskRecord& r) {
    r.set(F::observerKind, "TOP");
    r.set(F::observerMode, "1");
    r.set(F::observatoryCode, " 95");
}
void near_opposition(EphTaskRecord& r, const char* coverage) {
    r.store_opposition_interval("2001", coverage, "   10.0");
}
// Restriction of block b, quantity q switched on with the given bounds.
void bound(EphTaskRecord& r, int b, int q, const char* lower, const char* upper) {
    r.set(EphTaskRecord::switch_field(b, q), "2");
    r.set(EphTaskRecord::lower_field(b, q), lower);
    r.set(EphTaskRecord::upper_field(b, q), upper);
}

struct Case {
    const char* what;
    std::function<EphTaskRecord()> make;
    std::int32_t err;
    Sections sections;
};

std::function<EphTaskRecord()> sph(std::function<void(EphTaskRecord&)> f) {
    return [f] {
        EphTaskRecord r = spherical_base();
        f(r);
        return r;
    };
}
std::function<EphTaskRecord()> rec(std::function<void(EphTaskRecord&)> f) {
    return [f] {
        EphTaskRecord r = rectangular_base();
        f(r);
        return r;
    };
}

void run_cases(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TaskRecordCheck got = check_task_record(c.make());
        EXPECT_EQ(got.err, c.err);
        EXPECT_EQ(got.sections.v, c.sections);
        EXPECT_TRUE(got.note.empty()) << got.note;
    }
}

constexpr Sections kOk{0, 0, 0, 0, 0, 0, 0};

TEST(TaskRecordCheck, CorrectRecordsAndAbsentSections) {
    run_cases({
        {"defaults", sph([](EphTaskRecord&) {}), 0, kOk},
        {"rectangular, heliocentric, arbitrary interval", rec([](EphTaskRecord&) {}), 0, kOk},
        {"rectangular, centre 0", rec([](EphTaskRecord& r) { r.set(F::centreIndex, " 0"); }), 0, kOk},
        {"apparent on the horizon from an observatory", sph([](EphTaskRecord& r) {
             frame(r, "APP", "HRZ", "INST", "4");
             topocentric(r);
         }),
         0, kOk},
        {"near opposition, coverage 20", sph([](EphTaskRecord& r) { near_opposition(r, " 20"); }), 0, kOk},
        {"near opposition, coverage 120", sph([](EphTaskRecord& r) { near_opposition(r, "120"); }), 0, kOk},
        {"OPPO needs no near-opposition year", sph([](EphTaskRecord& r) {
             r.store_oppositions("20010101.0", "20010201.0");
             near_opposition(r, "100");
             r.set(F::oppositionYear, "");
         }),
         0, kOk},
        {"geocentric: the observer mode is not read", sph([](EphTaskRecord& r) { r.set(F::observerMode, "x"); }), 0,
         kOk},

        {"all blank", [] { return EphTaskRecord(); }, 1, {1, 1, 1, 1, 1, 1, 1}},
        {"key", sph([](EphTaskRecord& r) { r.set(F::objectKey, ""); }), 1, {1, 0, 0, 0, 0, 0, 0}},
        {"coordinate type", sph([](EphTaskRecord& r) { r.set(F::coordinateType, ""); }), 1, {0, 1, 0, 0, 0, 0, 0}},
        {"kind of positions", sph([](EphTaskRecord& r) { r.set(F::positionKind, ""); }), 1, {0, 1, 0, 0, 0, 0, 0}},
        {"main plane (GMT)", sph([](EphTaskRecord& r) { frame(r, "GMT", "", "2000", "2"); }), 1, {0, 0, 1, 0, 0, 0, 0}},
        {"equinox", sph([](EphTaskRecord& r) { r.set(F::equinox, ""); }), 1, {0, 0, 1, 0, 0, 0, 0}},
        {"centre 14", rec([](EphTaskRecord& r) { r.set(F::centreIndex, "14"); }), 1, {0, 0, 0, 1, 0, 0, 0}},
        {"centre -1", rec([](EphTaskRecord& r) { r.set(F::centreIndex, "-1"); }), 1, {0, 0, 0, 1, 0, 0, 0}},
        {"centre blank", rec([](EphTaskRecord& r) { r.set(F::centreIndex, ""); }), 1, {0, 0, 0, 1, 0, 0, 0}},
        {"interval", sph([](EphTaskRecord& r) { r.set(F::intervalKind, ""); }), 1, {0, 0, 0, 0, 1, 0, 0}},
        {"output", sph([](EphTaskRecord& r) { r.set(F::outputKind, ""); }), 1, {0, 0, 0, 0, 0, 1, 0}},
        // Mode 0 is read as the horizon system, which the equator refuses.
        {"restriction mode 0, spherical",
         sph([](EphTaskRecord& r) { r.set(F::restrictionMode, "0"); }),
         2,
         {0, 2, 2, 0, 0, 0, 2}},
        {"restriction mode 0, rectangular",
         rec([](EphTaskRecord& r) { r.set(F::restrictionMode, "0"); }),
         2,
         {0, 2, 0, 0, 0, 0, 1}},
        {"centre 14 with AST: absent and in conflict",
         sph([](EphTaskRecord& r) { r.set(F::centreIndex, "14"); }),
         2,
         {0, 2, 0, 2, 0, 0, 0}},
    });
}

TEST(TaskRecordCheck, Conflicts) {
    run_cases({
        {"NUMB without first number",
         sph([](EphTaskRecord& r) { r.set(F::firstNumber, ""); }),
         2,
         {2, 0, 0, 0, 0, 0, 0}},
        {"NUMB without last number", sph([](EphTaskRecord& r) { r.set(F::lastNumber, ""); }), 2, {2, 0, 0, 0, 0, 0, 0}},
        {"NAME without name", sph([](EphTaskRecord& r) { r.store_object_name(""); }), 2, {2, 0, 0, 0, 0, 0, 0}},
        {"OPPO without last date",
         sph([](EphTaskRecord& r) { r.store_oppositions("20010101.0", ""); }),
         2,
         {2, 0, 0, 0, 0, 0, 0}},
        {"LIST without file", sph([](EphTaskRecord& r) { r.set(F::objectKey, "LIST"); }), 2, {2, 0, 0, 0, 0, 0, 0}},

        {"REC with AST", rec([](EphTaskRecord& r) { r.set(F::positionKind, "AST"); }), 2, {0, 2, 0, 0, 0, 0, 0}},
        {"REC on the horizon", rec([](EphTaskRecord& r) { r.set(F::mainPlane, "HRZ"); }), 2, {0, 2, 2, 0, 0, 0, 0}},
        {"REC of date", rec([](EphTaskRecord& r) { r.set(F::equinox, "INST"); }), 2, {0, 2, 2, 0, 0, 0, 0}},
        {"REC with EMP", rec([](EphTaskRecord& r) { r.store_output("EMP"); }), 2, {0, 2, 0, 0, 0, 2, 0}},
        {"REC, centre 0, near opposition",
         rec([](EphTaskRecord& r) {
             r.set(F::centreIndex, " 0");
             near_opposition(r, "100");
         }),
         2,
         {0, 2, 0, 2, 2, 0, 0}},
        {"REC with the equator's restriction mode",
         rec([](EphTaskRecord& r) { r.set(F::restrictionMode, "2"); }),
         2,
         {0, 2, 0, 0, 0, 0, 1}},

        {"AST on the ecliptic",
         sph([](EphTaskRecord& r) { frame(r, "AST", "ECL", "2000", "3"); }),
         2,
         {0, 2, 2, 0, 0, 0, 0}},
        {"AST of date", sph([](EphTaskRecord& r) { r.set(F::equinox, "INST"); }), 2, {0, 2, 2, 0, 0, 0, 0}},
        {"AST from the Sun", sph([](EphTaskRecord& r) { r.set(F::centreIndex, " 0"); }), 2, {0, 2, 0, 2, 0, 0, 0}},
        {"APP of 2000", sph([](EphTaskRecord& r) { frame(r, "APP", "EQT", "2000", "2"); }), 2, {0, 2, 2, 0, 0, 0, 0}},
        {"APP from Mars",
         sph([](EphTaskRecord& r) {
             frame(r, "APP", "EQT", "INST", "2");
             r.set(F::centreIndex, " 5");
         }),
         2,
         {0, 2, 0, 2, 0, 0, 0}},
        {"APP geocentric on the horizon",
         sph([](EphTaskRecord& r) { frame(r, "APP", "HRZ", "INST", "4"); }),
         2,
         {0, 2, 2, 2, 0, 0, 0}},
        {"GMT on the horizon",
         sph([](EphTaskRecord& r) {
             frame(r, "GMT", "HRZ", "2000", "4");
             topocentric(r);
         }),
         2,
         {0, 2, 2, 0, 0, 0, 0}},
        {"GMT from Mars",
         sph([](EphTaskRecord& r) {
             frame(r, "GMT", "EQT", "2000", "2");
             r.set(F::centreIndex, " 5");
         }),
         2,
         {0, 2, 0, 2, 0, 0, 0}},
        {"PSV on the horizon",
         sph([](EphTaskRecord& r) {
             frame(r, "APP", "HRZ", "INST", "4");
             topocentric(r);
             r.store_output("PSV");
         }),
         2,
         {0, 0, 2, 0, 0, 2, 0}},
        {"equator with the ecliptic's restriction mode",
         sph([](EphTaskRecord& r) { r.set(F::restrictionMode, "3"); }),
         2,
         {0, 2, 2, 0, 0, 0, 2}},
        {"ecliptic with the equator's restriction mode",
         sph([](EphTaskRecord& r) { frame(r, "GMT", "ECL", "2000", "6"); }),
         2,
         {0, 2, 2, 0, 0, 0, 2}},
        {"horizon with the equator's restriction mode",
         sph([](EphTaskRecord& r) {
             frame(r, "APP", "HRZ", "INST", "2");
             topocentric(r);
         }),
         2,
         {0, 2, 2, 0, 0, 0, 2}},

        {"no observer", sph([](EphTaskRecord& r) { r.set(F::observerKind, ""); }), 2, {0, 0, 0, 2, 0, 0, 0}},
        {"TOP 1 without code",
         sph([](EphTaskRecord& r) {
             topocentric(r);
             r.set(F::observatoryCode, "");
         }),
         2,
         {0, 0, 0, 2, 0, 0, 0}},
        {"TOP 2 without place",
         sph([](EphTaskRecord& r) {
             topocentric(r);
             r.set(F::observerMode, "2");
         }),
         2,
         {0, 0, 0, 2, 0, 0, 0}},
        {"TOP 3 without dz",
         sph([](EphTaskRecord& r) {
             topocentric(r);
             r.set(F::observerMode, "3");
             r.set(F::siteLongitude, " 30.3274");
             r.set(F::rhoCosPhi, "0.50130");
         }),
         2,
         {0, 0, 0, 2, 0, 0, 0}},
        {"TOP 3 complete", sph([](EphTaskRecord& r) {
             topocentric(r);
             r.set(F::observerMode, "3");
             r.set(F::siteLongitude, " 30.3274");
             r.set(F::rhoCosPhi, "0.50130");
             r.set(F::rhoSinPhi, "+0.86261");
         }),
         0, kOk},
        {"TOP 4 without height",
         sph([](EphTaskRecord& r) {
             topocentric(r);
             r.set(F::observerMode, "4");
             r.set(F::geoLongitude, " 30.3274");
             r.set(F::geoLatitude, "+59.7716");
         }),
         2,
         {0, 0, 0, 2, 0, 0, 0}},
        {"TOP mode 5",
         sph([](EphTaskRecord& r) {
             topocentric(r);
             r.set(F::observerMode, "5");
         }),
         2,
         {0, 0, 0, 2, 0, 0, 0}},

        {"coverage 19", sph([](EphTaskRecord& r) { near_opposition(r, " 19"); }), 2, {0, 0, 0, 0, 2, 0, 0}},
        {"coverage 121", sph([](EphTaskRecord& r) { near_opposition(r, "121"); }), 2, {0, 0, 0, 0, 2, 0, 0}},
        {"coverage blank", sph([](EphTaskRecord& r) { near_opposition(r, ""); }), 2, {0, 0, 0, 0, 2, 0, 0}},
        {"near-opposition step blank",
         sph([](EphTaskRecord& r) {
             near_opposition(r, "100");
             r.set(F::oppositionStep, "");
         }),
         2,
         {0, 0, 0, 0, 2, 0, 0}},
        {"near-opposition year blank with NUMB",
         sph([](EphTaskRecord& r) {
             near_opposition(r, "100");
             r.set(F::oppositionYear, "");
         }),
         2,
         {0, 0, 0, 0, 2, 0, 0}},
        {"near opposition from the Sun",
         sph([](EphTaskRecord& r) {
             near_opposition(r, "100");
             r.set(F::centreIndex, " 0");
         }),
         2,
         {0, 2, 0, 2, 2, 0, 0}},
        {"ARBT without first date", sph([](EphTaskRecord& r) { r.set(F::beginDate, ""); }), 2, {0, 0, 0, 0, 2, 0, 0}},
        {"ARBT without last date", sph([](EphTaskRecord& r) { r.set(F::endDate, ""); }), 2, {0, 0, 0, 0, 2, 0, 0}},
        {"ARBT without step", sph([](EphTaskRecord& r) { r.set(F::intervalStep, ""); }), 2, {0, 0, 0, 0, 2, 0, 0}},
    });
}

// Fields read as integers that hold something else: the section is in
// conflict and the check goes on.
TEST(TaskRecordCheck, DamagedFields) {
    run_cases({
        {"centre index not a number",
         sph([](EphTaskRecord& r) { r.set(F::centreIndex, "x1"); }),
         2,
         {0, 0, 0, 2, 0, 0, 0}},
        {"restriction mode not a digit",
         sph([](EphTaskRecord& r) { r.set(F::restrictionMode, "x"); }),
         2,
         {0, 0, 0, 0, 0, 0, 2}},
        {"topocentric mode not a digit",
         sph([](EphTaskRecord& r) {
             topocentric(r);
             r.set(F::observerMode, "?");
         }),
         2,
         {0, 0, 0, 2, 0, 0, 0}},
        {"coverage not a number", sph([](EphTaskRecord& r) { near_opposition(r, "1x0"); }), 2, {0, 0, 0, 0, 2, 0, 0}},
        {"switch of the block in use not a digit",
         sph([](EphTaskRecord& r) {
             r.set(F::restrictionMode, "6");
             r.set(EphTaskRecord::switch_field(2, 4), "x");
         }),
         2,
         {0, 0, 0, 0, 0, 0, 2}},
        {"switch of another block is not read", sph([](EphTaskRecord& r) {
             r.set(F::restrictionMode, "6");
             r.set(EphTaskRecord::switch_field(3, 4), "x");
         }),
         0, kOk},
        // Restrictions set, but an unknown main plane has no block of them.
        {"restrictions on an unknown plane",
         sph([](EphTaskRecord& r) { frame(r, "APP", "XYZ", "INST", "6"); }),
         2,
         {0, 0, 0, 0, 0, 0, 2}},
        {"no restrictions on an unknown plane", sph([](EphTaskRecord& r) { frame(r, "APP", "XYZ", "INST", "2"); }), 0,
         kOk},
    });
}

// The decimal point of each bound that is switched on must stand where its
// kind's mask has it.
TEST(TaskRecordCheck, PointsOfTheBounds) {
    run_cases({
        // Equator, quantity 3 (distance, kind 12, point in column 3).
        {"lower bound point in column 4",
         sph([](EphTaskRecord& r) {
             r.set(F::restrictionMode, "6");
             bound(r, 2, 3, "100.5", "");
         }),
         1,
         {0, 0, 0, 0, 0, 0, 2}},
        {"lower bound point in column 3", sph([](EphTaskRecord& r) {
             r.set(F::restrictionMode, "6");
             bound(r, 2, 3, "10.500000", "20.000000");
         }),
         0, kOk},
        {"upper bound point in column 2",
         sph([](EphTaskRecord& r) {
             r.set(F::restrictionMode, "6");
             bound(r, 2, 3, "", "1.5");
         }),
         1,
         {0, 0, 0, 0, 0, 2, 2}},
        {"upper bound without a point",
         sph([](EphTaskRecord& r) {
             r.set(F::restrictionMode, "6");
             bound(r, 2, 3, "", "15");
         }),
         1,
         {0, 0, 0, 0, 0, 2, 2}},
        {"bounds of a switch that is off", sph([](EphTaskRecord& r) {
             r.set(F::restrictionMode, "6");
             bound(r, 2, 3, "100.5", "1.5");
             r.set(EphTaskRecord::switch_field(2, 3), "1");
         }),
         0, kOk},
        {"restrictions not set: bounds not read", sph([](EphTaskRecord& r) { bound(r, 2, 3, "100.5", "1.5"); }), 0,
         kOk},
        // Quantity 1 on the equator: hhmmss.ss, point in column 7.
        {"time angle", sph([](EphTaskRecord& r) {
             r.set(F::restrictionMode, "6");
             bound(r, 2, 1, "123456.78", "130000.00");
         }),
         0, kOk},
        {"time angle typed as hours",
         sph([](EphTaskRecord& r) {
             r.set(F::restrictionMode, "6");
             bound(r, 2, 1, "12.5", "");
         }),
         1,
         {0, 0, 0, 0, 0, 0, 2}},
        // Ecliptic, quantity 4 (rate, kind 5: +ddmmss.s, point in column 8).
        {"rate on the ecliptic", sph([](EphTaskRecord& r) {
             frame(r, "GMT", "ECL", "2000", "7");
             bound(r, 3, 4, "+001020.5", "");
         }),
         0, kOk},
        // Rectangular, quantity 10 (speed, kind 3, point in column 3).
        {"speed", rec([](EphTaskRecord& r) {
             r.set(F::restrictionMode, "5");
             bound(r, 1, 10, "12.345", "");
         }),
         0, kOk},
        {"speed misplaced",
         rec([](EphTaskRecord& r) {
             r.set(F::restrictionMode, "5");
             bound(r, 1, 10, "123.45", "");
         }),
         1,
         {0, 0, 0, 0, 0, 0, 2}},
        // Horizon, quantity 4 has no quantity (kind 14): a point is out of place.
        {"bound of a quantity the horizon lacks",
         sph([](EphTaskRecord& r) {
             frame(r, "APP", "HRZ", "INST", "8");
             topocentric(r);
             bound(r, 4, 4, "1.0", "");
         }),
         1,
         {0, 0, 0, 0, 0, 0, 2}},
    });
}

// ---- Files and the export ------------------------------------------------------

void write_settings(std::int32_t objects) {
    PackageSettings s;
    s.data_dir = "/tmp/";
    s.params.objects = objects;
    auto bytes = encode_settings(s);
    ASSERT_TRUE(bytes.ok());
    zeltest::write_bytes("setpar", *bytes);
}

EphTaskRecord minor_centre_record() {
    EphTaskRecord r = rectangular_base();
    r.set(F::centreIndex, "13");
    return r;
}

TEST(TaskRecordCheck, MinorObjectAsCentre) {
    struct MinorCase {
        const char* minor;  // nullptr: no file
        bool settings;
        std::int32_t state;       // of section 4
        const char* minor_after;  // nullptr: no file
        bool note;
    } cases[] = {
        {"42", true, 0, "42", false}, {"   100", true, 0, "   100", false}, {"101", true, 1, "1", false},
        {"0", true, 1, "1", false},   {"-5", true, 1, "1", false},          {"abc", true, 1, "1", false},
        {"", true, 1, "1", false},    {nullptr, true, 2, nullptr, true},    {"42", false, 2, "42", true},
    };
    for (const MinorCase& c : cases) {
        SCOPED_TRACE(std::string(c.minor ? c.minor : "(none)") + (c.settings ? "" : ", no settings"));
        zeltest::ScopedWorkDir dir;
        if (c.settings) write_settings(100);
        if (c.minor) zeltest::write_text("minor", c.minor);
        const TaskRecordCheck got = check_task_record(minor_centre_record());
        Sections want = kOk;
        want[3] = c.state;
        EXPECT_EQ(got.sections.v, want);
        EXPECT_EQ(got.err, c.state);
        EXPECT_EQ(!got.note.empty(), c.note) << got.note;
        if (c.minor_after) {
            const auto b = zeltest::read_bytes("minor");
            EXPECT_EQ(std::string(b.begin(), b.end()), c.minor_after);
        } else {
            EXPECT_FALSE(std::filesystem::exists("minor"));
        }
    }
}

TEST(TaskRecordCheck, ExportReadsTheCheckFile) {
    zeltest::ScopedWorkDir dir;
    int err = -1;
    int st[7] = {-1, -1, -1, -1, -1, -1, -1};

    // No file: every section in conflict, and errmsg says why.
    ::confl(&err, st);
    EXPECT_EQ(err, 2);
    for (int s : st) EXPECT_EQ(s, 2);
    EXPECT_GT(errmsg(nullptr, 0), 0);
    EXPECT_NE(last_error().find("eph.cf1"), std::string::npos) << last_error();

    // A short file is damaged too.
    zeltest::write_text("eph.cf1", std::string(1177, ' '));
    ::confl(&err, st);
    EXPECT_EQ(err, 2);
    for (int s : st) EXPECT_EQ(s, 2);

    // The main program's spelling "Eph.cf1" is the same file.
    std::filesystem::remove("eph.cf1");
    const EphTaskRecord bad = [] {
        EphTaskRecord r = spherical_base();
        r.set(F::intervalStep, "");
        return r;
    }();
    zeltest::write_bytes("Eph.cf1", std::vector<std::uint8_t>(bad.bytes().begin(), bad.bytes().end()));
    ::confl(&err, st);
    EXPECT_EQ(err, 2);
    EXPECT_EQ(Sections({st[0], st[1], st[2], st[3], st[4], st[5], st[6]}), Sections({0, 0, 0, 0, 2, 0, 0}));
    EXPECT_EQ(errmsg(nullptr, 0), 0);

    std::filesystem::remove("Eph.cf1");
    ASSERT_TRUE(save_eph_check(spherical_base()).ok());
    ::confl(&err, st);
    EXPECT_EQ(err, 0);
    for (int s : st) EXPECT_EQ(s, 0);
    EXPECT_EQ(errmsg(nullptr, 0), 0);
}

// ---- restkinds -------------------------------------------------------------------

TEST(RestrictionKinds, ByCoordinateSet) {
    using K = std::array<std::int8_t, 10>;
    struct KCase {
        const char *coord, *plane, *output;
        K kinds;
        int system;
    } cases[] = {
        {"REC", "EQT", "EMP", {14, 14, 14, 14, 14, 14, 14, 14, 14, 14}, 0},
        {"REC", "EQT", "POS", {1, 1, 1, 2, 2, 2, 12, 2, 12, 3}, 1},
        {"REC", "HRZ", "PSV", {1, 1, 1, 2, 2, 2, 12, 2, 12, 3}, 1},
        {"SPH", "EQT", "EMP", {4, 5, 12, 6, 7, 2, 12, 8, 9, 11}, 2},
        {"SPH", "ECL", "PSV", {10, 5, 12, 5, 5, 2, 12, 8, 9, 11}, 3},
        {"SPH", "HRZ", "POS", {10, 5, 12, 14, 14, 14, 12, 8, 9, 11}, 4},
        {"SPH", "XYZ", "POS", {14, 14, 12, 14, 14, 14, 12, 8, 9, 11}, 0},
        {"   ", "EQT", "POS", {4, 5, 12, 6, 7, 2, 12, 8, 9, 11}, 2},
    };
    for (const KCase& c : cases) {
        SCOPED_TRACE(std::string(c.coord) + " " + c.plane + " " + c.output);
        const RestrictionKinds k = restkinds(c.coord, c.plane, c.output);
        EXPECT_EQ(k.kinds, c.kinds);
        EXPECT_EQ(k.system, c.system);
    }
    // The point columns of the masks of kinds 1-14.
    const int points[14] = {4, 3, 3, 7, 8, 8, 8, 4, 3, 8, 5, 3, 0, 0};
    for (int kind = 1; kind <= 14; ++kind) EXPECT_EQ(restriction_point_column(kind), points[kind - 1]) << kind;
    EXPECT_EQ(restriction_point_column(0), 0);
    EXPECT_EQ(restriction_point_column(15), 0);
}

// ---- Conds -----------------------------------------------------------------------

RestrictionBounds one(int q, int sense, double lo, double hi) {
    RestrictionBounds b;
    b.count = 1;
    b.indexes[0] = static_cast<std::int16_t>(q);
    b.senses[0] = static_cast<std::int16_t>(sense);
    b.lows(q) = lo;
    b.highs(q) = hi;
    return b;
}

TEST(Conds, BoundsOnEachSide) {
    struct CCase {
        double value;
        bool inside;
    } cases[] = {{0.5, false}, {1.0, true}, {1.5, true}, {2.0, true}, {2.5, false}};
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.value);
        EphResultValues v;
        v(3) = c.value;
        EXPECT_EQ(Conds(5, "SPH", one(3, +1, 1.0, 2.0), v), c.inside);
        EXPECT_EQ(Conds(5, "SPH", one(3, -1, 1.0, 2.0), v), !c.inside);
    }
    // An open side.
    EphResultValues v;
    v(9) = 25.0;
    EXPECT_FALSE(Conds(5, "SPH", one(9, +1, kOpenLow, 16.0), v));
    v(9) = -3.0;
    EXPECT_TRUE(Conds(5, "SPH", one(9, +1, kOpenLow, 16.0), v));

    // Every restriction must pass; the empty list always does.
    RestrictionBounds two = one(3, +1, 1.0, 2.0);
    two.count = 2;
    two.indexes[1] = 7;
    two.senses[1] = -1;
    two.lows(7) = 2.0;
    two.highs(7) = 3.0;
    v(3) = 1.5;
    v(7) = 2.5;
    EXPECT_FALSE(Conds(5, "SPH", two, v));
    v(7) = 3.5;
    EXPECT_TRUE(Conds(5, "SPH", two, v));
    EXPECT_TRUE(Conds(5, "SPH", RestrictionBounds{}, v));
    // A quantity outside 1-10 is not tested.
    RestrictionBounds bad = one(3, +1, 1.0, 2.0);
    bad.indexes[0] = 11;
    EXPECT_TRUE(Conds(5, "SPH", bad, v));
}

// The magnitude is not tested for major bodies, nor the phase for the Sun,
// in spherical coordinates.
TEST(Conds, MajorBodiesAndTheSun) {
    EphResultValues v;
    v(8) = 3.0;  // outside both restrictions below
    v(9) = 30.0;
    const RestrictionBounds mag = one(9, +1, kOpenLow, 16.0);
    const RestrictionBounds phase = one(8, +1, 0.0, 1.0);
    struct MCase {
        std::int32_t number;
        const char* coord;
        bool mag_pass, phase_pass;
    } cases[] = {
        {1, "SPH", false, false}, {0, "SPH", true, false},    {-3, "SPH", true, false},
        {-10, "SPH", true, true}, {-10, "REC", false, false}, {-3, "REC", false, false},
    };
    for (const MCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.number) + " " + c.coord);
        EXPECT_EQ(Conds(c.number, c.coord, mag, v), c.mag_pass);
        EXPECT_EQ(Conds(c.number, c.coord, phase, v), c.phase_pass);
    }
}

// The heading of a block comes before its first passing date, or before its
// first date when solitary headings are kept; never twice.
TEST(Conds, RejectSolitaryHeadings) {
    struct HCase {
        bool passed, reject, written, due;
    } cases[] = {
        {true, true, false, true},  {false, true, false, false}, {false, false, false, true},
        {true, false, false, true}, {true, true, true, false},   {false, false, true, false},
    };
    for (const HCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.passed << c.reject << c.written);
        EXPECT_EQ(block_heading_due(c.passed, c.reject, c.written), c.due);
    }

    // A record with restrictions set and solitary headings rejected: the check
    // passes it, and the driver's list keeps only the dates brighter than 15.0.
    EphTaskRecord r = spherical_base();
    r.set(F::restrictionMode, "6");
    r.set(F::headingsSwitch, "NOHD");
    bound(r, 2, 9, "", "15.0");
    EXPECT_EQ(check_task_record(r).err, 0);
    auto block = read_restriction_block(r);
    ASSERT_TRUE(block.ok()) << block.message();
    EXPECT_TRUE(block->reject_solitary);
    auto list = Formcond(*block, "SPH", "EQT");
    ASSERT_TRUE(list.ok()) << list.message();
    EphResultValues v;
    v(9) = 14.9;
    EXPECT_TRUE(Conds(77, "SPH", *list, v));
    v(9) = 15.1;
    EXPECT_FALSE(Conds(77, "SPH", *list, v));
    EXPECT_FALSE(block_heading_due(Conds(77, "SPH", *list, v), block->reject_solitary, false));
}

}  // namespace
