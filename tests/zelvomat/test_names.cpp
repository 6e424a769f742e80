// Object names and numbers.
#include <gtest/gtest.h>

#include <string>

#include "catalogue_fixture.h"
#include "core/catalog.h"
#include "core/names.h"
#include "tasks/libstate.h"
#include "zelvomat/zelvomat.h"

using namespace zelvomat;

namespace {

std::string pad18(const std::string& s) { return s + std::string(18 - s.size(), ' '); }

class NamesTest : public ::testing::Test {
protected:
    void SetUp() override {
        zeltest::write_small_catalogue(dir.dir_slash());
        ASSERT_TRUE(catopen(state_.core.catalogue).ok());
    }
    LibraryState state_;  // a fresh library, current on this thread while the test runs
    ScopedLibraryState current_{state_};
    zeltest::ScopedWorkDir dir;
};

// orbit.tmp: name (18 bytes) and number (i32 little-endian at byte 18).
void write_exchange(const std::string& name, std::int32_t n) {
    std::vector<std::uint8_t> r(22, ' ');
    zeltest::puttext(r, 0, 18, name);
    zeltest::put32(r, 18, n);
    zeltest::write_bytes("orbit.tmp", r);
}
std::pair<std::string, std::int32_t> read_exchange() {
    const auto b = zeltest::read_bytes("orbit.tmp");
    const std::int32_t n =
        static_cast<std::int32_t>(b[18] | b[19] << 8 | b[20] << 16 | static_cast<std::uint32_t>(b[21]) << 24);
    return {std::string(b.begin(), b.begin() + 18), n};
}

}  // namespace

// Packed minor-planet numbers as the Minor Planet Center writes them; the
// extended cases are the examples of the MPC's description of its packed
// form ("~0000" = 620000 .. "~zzzz" = 15396335).
TEST(PackedNumber, BothWays) {
    struct Case {
        std::int32_t n;
        const char* packed;
    } cases[] = {{1, "00001"},      {3202, "03202"},    {50000, "50000"},   {99999, "99999"},  {100001, "A0001"},
                 {100345, "A0345"}, {203289, "K3289"},  {359999, "Z9999"},  {360017, "a0017"}, {360000, "a0000"},
                 {617103, "z7103"}, {619999, "z9999"},  {620000, "~0000"},  {620061, "~000z"}, {620062, "~0010"},
                 {623844, "~0100"}, {3140113, "~AZaz"}, {15396335, "~zzzz"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.packed);
        const ObjectNumber r = objnum(c.packed);
        EXPECT_FALSE(r.bad);
        EXPECT_EQ(r.n, c.n);
        auto p = pack_number(c.n);
        ASSERT_TRUE(p.ok());
        EXPECT_EQ(*p, c.packed);
    }
    EXPECT_FALSE(pack_number(0).ok());
    EXPECT_FALSE(pack_number(15396336).ok());  // beyond the extended form
}

// A number in a result column: the digits when they fit, else the packed form.
TEST(PackedNumber, ResultColumns) {
    struct Case {
        std::int32_t n;
        std::size_t width;
        const char* field;
    } cases[] = {{433, 6, "   433"},      {620000, 6, "620000"},  {999999, 6, "999999"},
                 {1000000, 6, " ~1ar2"},  {3140113, 6, " ~AZaz"}, {15396335, 6, " ~zzzz"},
                 {15396336, 6, "******"}, {100000, 5, "A0000"},   {12, 1, "*"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        const std::string f = number_field(c.n, c.width);
        EXPECT_EQ(f, c.field);
        if (f.find('~') != std::string::npos) {
            EXPECT_EQ(objnum(f).n, c.n);
        }
    }
}

TEST(Objnum, AcceptedAndRefusedForms) {
    struct Case {
        const char* text;
        std::int32_t n;
        bool bad;
    } cases[] = {
        {"433", 433, false},
        {"  433  ", 433, false},
        {"-5", -5, false},
        {"+12", 12, false},
        {"", 0, false},
        {"     ", 0, false},
        {"A001", 0, true},
        {"A00001", 0, true},
        {"12 3", 0, true},
        {"4x", 0, true},
        {"~0000", 620000, false},
        {" ~AZaz ", 3140113, false},
        {"~000", 0, true},
        {"~00000", 0, true},
        {"~00-0", 0, true},
        {"~", 0, true},
        {"-", 0, true},
        {"99999999999", 0, true},
        {"2147483647", 2147483647, false},
        {"-A0001", -100001, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const ObjectNumber r = objnum(c.text);
        EXPECT_EQ(r.bad, c.bad);
        if (!c.bad) {
            EXPECT_EQ(r.n, c.n);
        }
    }
}

TEST(BodyNames, NomgplCentnamePlanetname) {
    struct Case {
        const char* name;
        int k;
    } cases[] = {{"Mercury", 1}, {"venus", 2}, {"EARTH", 3},
                 {"Ma", 4},      {"Mo", 11},   {"me", 1},
                 {"Saturn", 6},  {"Su", 10},   {"s.s. barycentre", 13},
                 {"E+M", 12},    {"Pl", 9},    {"X", 0},
                 {"", 0},        {"M", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(nomgpl(c.name), c.k);
    }
    EXPECT_EQ(centname(0), pad18("S.s. barycentre"));
    EXPECT_EQ(centname(3), pad18("Earth"));
    EXPECT_EQ(centname(12), pad18("E+M barycentre"));
    EXPECT_EQ(centname(13), std::string(18, ' '));
    EXPECT_EQ(centname(-1), std::string(18, ' '));
    EXPECT_EQ(planetname(4), pad18("Mars"));
    EXPECT_EQ(planetname(9), pad18("Pluto"));
    EXPECT_EQ(planetname(10), std::string(18, ' '));
    EXPECT_EQ(planetname(0), std::string(18, ' '));
}

TEST_F(NamesTest, Inpnom) {
    struct Case {
        std::string text;
        std::int32_t count, n;
    } cases[] = {
        {"  7", 15, 7},
        {"1 2", 15, 12},
        {"0", 15, -90},
        {"-3", 15, -3},
        {"-12", 15, -12},
        {"-13", 15, -90},
        {"16", 15, -90},
        {"7", 6, -90},
        {"5", 15, -90},  // absent numbered object
        {"00000000000007", 15, 7},
        {"10000000000007", 15, -90},  // the whole number counts
        {"1-2", 15, 0},
        {"Mars", 15, -4},
        {"  mars", 15, -4},
        {"S.S. BARYCENTRE", 15, -90},
        {"s.s. barycentre", 15, -90},
        {"Sun", 15, -10},
        {"Ceres", 15, 1},
        {"  juno", 15, 3},
        {"1999ab12", 15, 11},
        {"2040 P-L", 15, 13},
        {"Nowhere", 15, 0},
        {"", 15, -90},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string t = pad18(c.text);
        EXPECT_EQ(inpnom(state_.core.catalogue, t, c.count), c.n);
        EXPECT_EQ(t, pad18(c.text));
    }
    // NUL characters become blanks in the caller's text.
    std::string t("Ceres\0\0\0\0\0\0\0\0\0\0\0\0\0", 18);
    EXPECT_EQ(inpnom(state_.core.catalogue, t, 15), 1);
    EXPECT_EQ(t, pad18("Ceres"));
}

TEST_F(NamesTest, Inpnom1WritesTheNameBack) {
    struct Case {
        std::string text;
        std::int32_t count, n;
        std::string after;
    } cases[] = {
        {"mars", 10, -4, "Mars"}, {"sun", 10, -10, ""},   {"11", 10, 0, "11"},  // above count: text kept
        {"5", 10, 0, "5"},        {"7", 10, 7, "Iris"},   {"vesta", 10, 4, "Vesta"},  {"1999ab12", 15, 11, "1999 AB12"},
        {"0", 10, 0, ""},         {"Nowhere", 10, 0, ""}, {"s.s. bary", 10, -13, ""}, {"-9", 10, -9, "Pluto"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string t = pad18(c.text);
        auto n = inpnom1(state_.core.catalogue, t, c.count);
        ASSERT_TRUE(n.ok()) << n.message();
        EXPECT_EQ(*n, c.n);
        EXPECT_EQ(t, pad18(c.after));
    }
}

TEST_F(NamesTest, ObrNam) {
    struct Case {
        const char* field;
        std::int32_t n;
    } cases[] = {
        {"7", 7},
        {"    7", 7},
        {"00007", 7},
        {"00007K", 7},
        {"7 Iris", 7},
        {"5", 0},
        /* absent */ {"16", 0},
        {"A0001", 0},  // not in this catalogue
        {"Ceres", 1},
        {"ceres", 1},
        {"Juno", 3},
        {"1999AB12", 11},
        {"1999 AB12", 11},
        {"T1S3138", 0},
        {"PLS2040", 0},
        {"2040 P-L", 13},
        {"", 0},
        {"123456", 0},
        {"1234567 x", 0},
        {"Xyz", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        EXPECT_EQ(obr_nam(state_.core.catalogue, c.field), c.n);
    }
}

TEST(ObrNamLarge, PackedNumbersAndFixedDesignations) {
    // Numbered objects up to 100001, most of them absent.
    zeltest::ScopedWorkDir dir;
    LibraryState state;  // a fresh library, current on this thread
    ScopedLibraryState current(state);
    zeltest::write_catalogue(dir.dir_slash(), 100001, 100002,
                             {{29, "Amphitrite", "AMPHITRITE", " 5.85", {}},
                              {20958, "A900 MA", "A900 MA", "12.00", {}},
                              {23400, "A913 CF", "A913 CF", "12.00", {}},
                              {100001, "Alpha", "ALPHA", "12.00", {}},
                              {100002, "J99A12B", "1999 AB12", "12.00", {}}},
                             {});
    ASSERT_TRUE(catopen(state.core.catalogue).ok());
    struct Case {
        const char* field;
        std::int32_t n;
    } cases[] = {{"A0001", 100001},
                 {"a0001", 0},
                 {"A0001  J99A12B", 100001},
                 {"A913CF", 20958},
                 {"A913 CF", 20958},
                 {"A900MA", 23400},
                 {"29P", 29},
                 {"100001", 100001},
                 // A packed provisional designation as the Minor Planet Center's
                 // lines give it in columns 6-12, with the discovery mark.
                 {"J99A12B", 100002},
                 {"     J99A12B*", 100002},
                 {"J99A12", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        EXPECT_EQ(obr_nam(state.core.catalogue, c.field), c.n);
    }
}

// Numbers past 619999 through the name routines, on a catalogue whose
// numbered objects reach 620061 ("~000z").
TEST(ExtendedNumbers, ThroughTheNameRoutines) {
    zeltest::ScopedWorkDir dir;
    LibraryState state;  // a fresh library, current on this thread
    ScopedLibraryState current(state);
    zeltest::write_catalogue(dir.dir_slash(), 620061, 620062,
                             {{433, "Eros", "EROS", "10.31", {}},
                              {620000, "2015 AB123", "2015 AB123", "17.10", {}},
                              {620061, "Zelvo", "ZELVO", "16.90", {}},
                              {620062, "K15VG6O", "2015 VO166", "18.00", {}}},
                             {});
    ASSERT_TRUE(catopen(state.core.catalogue).ok());
    struct Case {
        const char* text;
        std::int32_t obr_nam, inpnom;
    } cases[] = {
        {"~0000", 620000, 620000},
        {"~000z", 620061, 620061},
        {"~000z       *", 620061, 0},
        {"620061", 620061, 620061},
        {"  620000", 620000, 620000},
        {"~0001", 0, -90},  // absent
        {"~zzzz", 0, -90},
        {"Zelvo", 620061, 620061},
        {"K15VG6O", 620062, 0},
        {"2015 VO166", 620062, 620062},
        {"~00", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(obr_nam(state.core.catalogue, c.text), c.obr_nam);
        std::string t = pad18(c.text);
        EXPECT_EQ(inpnom(state.core.catalogue, t, 620062), c.inpnom);
    }
    // namn1 gives the number and writes the name, whether typed or packed.
    for (const char* typed : {"~000z", "620061", "zelvo"}) {
        SCOPED_TRACE(typed);
        std::string name = pad18(typed);
        int n = 0;
        namn1(name.data(), 18, &n);
        EXPECT_EQ(n, 620061);
        EXPECT_EQ(name, pad18("Zelvo"));
    }
}

TEST(ObrNamComets, LeadingDigitsAreTheNumber) {
    zeltest::ScopedWorkDir dir;
    LibraryState state;  // a fresh library, current on this thread
    ScopedLibraryState current(state);
    zeltest::write_catalogue(
        dir.dir_slash(), 2000, 2000,
        {{29, "Schwassmann-Wachma", "SCHWASSMANN-WACHMA", "10.00", {}}, {1999, "Far", "FAR", "10.00", {}}}, {},
        2459800.5, 1);
    ASSERT_TRUE(catopen(state.core.catalogue).ok());
    EXPECT_EQ(obr_nam(state.core.catalogue, "29P"), 29);
    EXPECT_EQ(obr_nam(state.core.catalogue, "1999P"), 1999);  // four digits are a number in the comets edition
}

TEST_F(NamesTest, Namn1) {
    struct Case {
        std::string typed;
        int n;
        std::string after;
    } cases[] = {
        {"ceres", 1, "Ceres"},     {"  11", 11, "1999 AB12"}, {"1999ab5", 10, "1999 AB5"},
        {"-5", 0, "-5"},           {"Mars", 0, "Mars"},       {"5", 0, "5"},  // absent
        {"unknown", 0, "unknown"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        std::string name = pad18(c.typed);
        int n = -7;
        namn1(name.data(), 18, &n);
        EXPECT_EQ(errmsg(nullptr, 0), 0);
        EXPECT_EQ(n, c.n);
        EXPECT_EQ(name, pad18(c.after));
    }
    // A short buffer: read as blank-padded, written no further than its length.
    char shortname[6] = {'v', 'e', 's', 't', 'a', '#'};
    int n = 0;
    namn1(shortname, 5, &n);
    EXPECT_EQ(n, 4);
    EXPECT_EQ(std::string(shortname, 6), "Vesta#");
}

TEST_F(NamesTest, NamePlBothModes) {
    struct Case {
        short mode;
        std::string name;
        std::int32_t stored;
        int n;
        std::string name_after;
    } cases[] = {
        {2, "anything", 7, 7, "Iris"},
        {2, "", 11, 11, "1999 AB12"},
        {2, "x", 0, 0, ""},
        {2, "x", -4, -4, ""},  // 0 or less: a blank name, the number kept
        {2, "Mars", -1000, -1000, ""},
        {2, "x", 5, 0, ""},
        /* absent */ {2, "x", 99, 0, ""},
        {1, "Vesta", 0, 4, "Vesta"},
        {1, "1999ab12", 3, 11, "1999ab12"},
        {1, "Mars", 5, 0, "Mars"},
        {1, "Nowhere", 5, 0, "Nowhere"},
        {1, "5", 1, 0, "5"},
        {1, "  3", 0, 3, "  3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.mode) + " " + c.name + " " + std::to_string(c.stored));
        write_exchange(c.name, c.stored);
        int n = 12345;
        NamePl(c.mode, &n);
        EXPECT_EQ(errmsg(nullptr, 0), 0);
        EXPECT_EQ(n, c.n);
        const auto [name, stored] = read_exchange();
        EXPECT_EQ(stored, c.n);
        EXPECT_EQ(name, pad18(c.name_after));
    }
}

TEST_F(NamesTest, NamePlWithoutExchangeFile) {
    int n = 3;
    NamePl(2, &n);
    EXPECT_GT(errmsg(nullptr, 0), 0);
    EXPECT_EQ(n, 3);
    // A file without a whole record.
    zeltest::write_bytes("orbit.tmp", {1, 2, 3});
    NamePl(1, &n);
    EXPECT_GT(errmsg(nullptr, 0), 0);
}
