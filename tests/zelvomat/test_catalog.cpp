// Element catalogue access and packed provisional designations.
#include <gtest/gtest.h>

#include <string>

#include "catalogue_fixture.h"
#include "core/catalog.h"
#include "core/setpar.h"
#include "tasks/libstate.h"
#include "zelvomat/zelvomat.h"

using namespace zelvomat;

namespace {

std::string str(const DesignationText& t) { return std::string(t.data(), t.size()); }
std::string pad(const std::string& s, std::size_t n) { return s + std::string(n - s.size(), ' '); }

class CatalogueTest : public ::testing::Test {
protected:
    void SetUp() override {
        zeltest::write_small_catalogue(dir.dir_slash());
        ASSERT_TRUE(catopen(state_.core.catalogue).ok());
    }
    LibraryState state_;  // a fresh library, current on this thread while the test runs
    ScopedLibraryState current_{state_};
    zeltest::ScopedWorkDir dir;
};

}  // namespace

// Pairs from the Minor Planet Center's description of the packed format
// (provisional designations, cycle counts above 99 and 359, survey
// designations, the years 1900-1924 written "A9..").
TEST(PackedDesignation, BothWays) {
    struct Case {
        const char* packed;
        const char* readable;
    } cases[] = {
        {"J95X00A", "1995 XA"},
        {"J95X01L", "1995 XL1"},
        {"J95F13B", "1995 FB13"},
        {"J98SA8Q", "1998 SQ108"},
        {"J98SC7V", "1998 SV127"},
        {"J98SG2S", "1998 SS162"},
        {"K99AJ3Z", "2099 AZ193"},
        {"K08Aa0A", "2008 AA360"},
        {"K07Tf8A", "2007 TA418"},
        {"J99A12B", "1999 AB12"},
        {"J99A05B", "1999 AB5"},
        {"J99AC3B", "1999 AB123"},
        {"K01A00A", "2001 AA"},
        {"J13C00F", "A913 CF"},
        {"J24A00B", "A924 AB"},
        {"J25A00B", "1925 AB"},
        {"I98D00Q", "1898 DQ"},
        {"PLS2040", "2040 P-L"},
        {"T1S3138", "3138 T-1"},
        {"T2S1010", "1010 T-2"},
        {"T3S4101", "4101 T-3"},
        // The extended form of cycle counts from 620 on: "_QC0000" is Project
        // Pluto's example (projectpluto.com/packed.htm); the others follow its
        // rule, (cycle - 620) x 25 + the second letter's place in base 62.
        {"_QC0000", "2026 CA620"},
        {"_QC000O", "2026 CZ620"},
        {"_QC000P", "2026 CA621"},
        {"_PY02TD", "2025 YZ999"},
        {"_0A0000", "2000 AA620"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.packed);
        EXPECT_EQ(str(desunpack(c.packed)), pad(c.readable, 10));
        EXPECT_EQ(str(despack(c.readable)), pad(c.packed, 10));
    }
    // The blank of the readable form may be left out.
    EXPECT_EQ(str(despack("1999AB12")), pad("J99A12B", 10));
    EXPECT_EQ(str(despack("2040P-L")), pad("PLS2040", 10));
    EXPECT_EQ(str(desunpack("")), std::string(10, ' '));
    EXPECT_EQ(str(despack("          ")), std::string(10, ' '));
    // Below cycle 620 the old form stays; a readable form longer than the
    // field (Project Pluto's "_QC0aEM", 2026 CZ6190) and forms that are none
    // give blanks.
    EXPECT_EQ(str(despack("2026 CA619")), pad("K26Cz9A", 10));
    EXPECT_EQ(str(desunpack("_QC0aEM")), std::string(10, ' '));
    EXPECT_EQ(str(desunpack("_QC00!0")), std::string(10, ' '));
    EXPECT_EQ(str(desunpack("_QI0000")), std::string(10, ' '));  // no half-month letter I
}

TEST(Ibsearch, PositionOfLastBelowKey) {
    const std::int32_t list[] = {3, 5, 8, 13, 21, 34};
    struct Case {
        std::int32_t key, pos;
    } cases[] = {{1, 0}, {3, 0}, {4, 1}, {21, 4}, {22, 5}, {34, 5}, {35, 6}, {100, 6}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(ibsearch(list, c.key), c.pos);
    }
    EXPECT_EQ(ibsearch({}, 5), 0);
}

TEST_F(CatalogueTest, CountsAndEpochFromSettings) {
    const CatalogueState& st = state_.core.catalogue;
    EXPECT_TRUE(st.open);
    EXPECT_EQ(st.counts.numbered, 10);
    EXPECT_EQ(st.counts.unnumbered, 5);
    EXPECT_EQ(st.epoch_jd, 2459800.5);
    EXPECT_EQ(st.slopes.numbers.size(), 3u);
}

TEST_F(CatalogueTest, ElementsOfPresentObjects) {
    for (const zeltest::CatObject& o : zeltest::small_objects()) {
        SCOPED_TRACE(o.number);
        auto e = catelem(state_.core.catalogue, o.number);
        ASSERT_TRUE(e.ok()) << e.message();
        EXPECT_EQ((*e)[0], 2459800.5);
        for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ((*e)[i + 1], o.el[i]);  // stored bytes, exact
    }
}

TEST_F(CatalogueTest, AbsentAndOutOfRangeNumbersHaveNoElements) {
    for (std::int32_t n : {5, 6, 8, 9, 0, -1, 16, 1000}) {
        SCOPED_TRACE(n);
        EXPECT_FALSE(catelem(state_.core.catalogue, n).ok());
        EXPECT_FALSE(catphot(state_.core.catalogue, n).ok());
        EXPECT_FALSE(catalogue_has(state_.core.catalogue, n));
    }
    EXPECT_FALSE(catname(state_.core.catalogue, 0).ok());
    EXPECT_FALSE(catname(state_.core.catalogue, 16).ok());
    auto blank = catname(state_.core.catalogue, 5);
    ASSERT_TRUE(blank.ok());
    EXPECT_EQ(*blank, std::string(18, ' '));
    EXPECT_TRUE(catalogue_has(state_.core.catalogue, 7));
    EXPECT_TRUE(catalogue_has(state_.core.catalogue, 15));
}

TEST_F(CatalogueTest, NamesUnpackUnnumberedDesignations) {
    struct Case {
        std::int32_t n;
        const char* name;
    } cases[] = {{1, "Ceres"},     {10, "1999 AB5"},   {11, "1999 AB12"}, {12, "A913 CF"},
                 {13, "2040 P-L"}, {14, "2007 TA418"}, {15, "2001 AA"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        auto name = catname(state_.core.catalogue, c.n);
        ASSERT_TRUE(name.ok()) << name.message();
        EXPECT_EQ(*name, pad(c.name, 18));
    }
}

TEST_F(CatalogueTest, Photometry) {
    struct Case {
        std::int32_t n;
        const char* h_text;
        double h;
        const char* g_text;
        double g;
    } cases[] = {
        {1, " 3.33", 3.33, "  X  ", 0.15},  // numbered, no slope entry
        {2, " 4.12", 4.12, " 0.11", 0.11},  // slope entry with a point
        {4, "   12", 12.0, "   32", 0.32},  // whole-number H; G with two implied decimals
        {7, " 5.6 ", 5.6, "0.2  ", 0.2},   {11, "14.20", 14.2, "  X  ", 0.15},  // unnumbered: always the default G
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        auto p = catphot(state_.core.catalogue, c.n);
        ASSERT_TRUE(p.ok()) << p.message();
        EXPECT_EQ(std::string(p->h_text.data(), 5), c.h_text);
        EXPECT_EQ(std::string(p->g_text.data(), 5), c.g_text);
        EXPECT_NEAR(p->h, c.h, 1e-12);  // decimal text read, rounding only
        EXPECT_NEAR(p->g, c.g, 1e-12);
    }
}

TEST_F(CatalogueTest, CatnumFindsNamesAndDesignations) {
    struct Case {
        const char* text;
        std::int32_t n;
    } cases[] = {
        {"Ceres", 1},       {"CERES", 1},     {"cErEs", 1},     {"  Ceres", 0},  // leading blanks are not stripped here
        {"1999 AB12", 11},  {"1999AB12", 11}, {"1999ab12", 11}, {"1999 ab5", 10},
        {"A913 CF", 12},    {"a913cf", 12},   {"2040 P-L", 13}, {"2040P-L", 13},
        {"2007 TA418", 14}, {"2001 AA", 15},  {"2001AA", 15},   {"Iris", 7},
        {"J99A12B", 0},     {"Eros", 0},      {"", 0},          {"                  ", 0},
        {"ZZZZ", 0},        {"\xff", 0},      {"1999", 0},      {"Vest", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(catnum(state_.core.catalogue, c.text), c.n);
    }
}

TEST_F(CatalogueTest, CatnumFindsCometNamesThatBeginWithADigit) {
    // A comets edition: every object numbered, the periodic comets under
    // their numbers, names as shown ("1P/Halley", "C/1995 O1"). A key that
    // begins with a digit but not with a year stands as typed; a designation
    // typed without its blank is still normalised.
    state_.reset();
    auto el = [](double k) { return std::array<double, 6>{0.1 * k, 0.2 * k, 0.3 * k, 0.01 * k, 0.5, 0.004 * k}; };
    zeltest::write_catalogue(dir.dir_slash(), 31, 31,
                             {{1, "1P/Halley", "1P/HALLEY", "  5.5", el(1)},
                              {2, "2P/Encke", "2P/ENCKE", " 15.4", el(2)},
                              {29, "29P/Schwassmann-Wa", "29P/SCHWASSMANN-WA", "  6.1", el(29)},
                              {30, "C/1995 O1", "C/1995 O1", " -1.0", el(30)},
                              {31, "1999 AB12", "1999 AB12", "14.20", el(31)}},
                             {}, 2459800.5, 1);
    ASSERT_TRUE(catopen(state_.core.catalogue).ok());
    struct Case {
        const char* text;
        std::int32_t n;
    } cases[] = {
        {"1P/Halley", 1},  {"1p/halley", 1},  {"2P/Encke", 2},  {"29P/Schwassmann-Wachmann 1", 29},
        {"C/1995 O1", 30}, {"c/1995 o1", 30}, {"1999AB12", 31}, {"1999 AB12", 31},
        {"1P", 0},         {"Halley", 0},     {"2P/Enck", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        // The key is the first 18 characters, as the callers pass them.
        EXPECT_EQ(catnum(state_.core.catalogue, std::string_view(c.text).substr(0, 18)), c.n);
    }
}

TEST_F(CatalogueTest, CatnumFirstAndLastInNameOrder) {
    // Name order of the fixture: blanks (absent 5, 6, 8, 9), 1999 AB12,
    // 1999 AB5, 2001 AA, 2007 TA418, 2040 P-L, A913 CF, CERES, IRIS, JUNO,
    // PALLAS, VESTA. The first present name sits at position 5.
    EXPECT_EQ(catnum(state_.core.catalogue, "Vesta"), 4);
    EXPECT_EQ(catnum(state_.core.catalogue, "1999 AB12"), 11);
    EXPECT_EQ(catnum(state_.core.catalogue, "Vestb"), 0);
    // A catalogue without absent objects: the first name in order is found.
    state_.reset();
    zeltest::write_catalogue(
        dir.dir_slash(), 2, 3,
        {{1, "Zeta", "ZETA", " 1.00", {}}, {2, "Alpha", "ALPHA", " 2.00", {}}, {3, "K01A00A", "2001 AA", " 3.00", {}}},
        {});
    ASSERT_TRUE(catopen(state_.core.catalogue).ok());
    EXPECT_EQ(catnum(state_.core.catalogue, "2001 AA"), 3);
    EXPECT_EQ(catnum(state_.core.catalogue, "2001 A"), 0);
    EXPECT_EQ(catnum(state_.core.catalogue, "Zeta"), 1);
    EXPECT_EQ(catnum(state_.core.catalogue, "Zetb"), 0);
}

TEST_F(CatalogueTest, SlopeListHoldsWhatTheSettingsName) {
    // 1500 slope entries, more than the 1000 of older packages.
    std::vector<zeltest::CatSlope> slopes;
    for (std::int32_t k = 1; k <= 1500; ++k) slopes.push_back({k, k == 1450 ? " 0.42" : " 0.20"});
    state_.reset();
    zeltest::write_catalogue(dir.dir_slash(), 1500, 1500, {{1450, "Far", "FAR", "10.00", {}}}, slopes);
    ASSERT_TRUE(catopen(state_.core.catalogue).ok());
    auto p = catphot(state_.core.catalogue, 1450);
    ASSERT_TRUE(p.ok()) << p.message();
    EXPECT_EQ(p->g, 0.42);
}

TEST_F(CatalogueTest, OpenFailuresKeepThePreviousCatalogue) {
    // More objects in the settings than the files hold.
    zeltest::write_settings(dir.dir_slash(), 2459800.5, 16, 10, 3);
    Status s = catopen(state_.core.catalogue);
    EXPECT_FALSE(s.ok());
    EXPECT_NE(s.message().find("records for 16 objects"), std::string::npos) << s.message();
    EXPECT_EQ(state_.core.catalogue.counts.total(), 15);
    EXPECT_EQ(catnum(state_.core.catalogue, "Ceres"), 1);
    // A missing file.
    zeltest::write_settings(dir.dir_slash(), 2459800.5, 15, 10, 3);
    std::filesystem::remove(dir.path() / "elitel");
    s = catopen(state_.core.catalogue);
    EXPECT_FALSE(s.ok());
    EXPECT_NE(s.message().find("elitel"), std::string::npos) << s.message();
    // Counts that cannot be.
    zeltest::write_small_catalogue(dir.dir_slash());
    zeltest::write_settings(dir.dir_slash(), 2459800.5, 9, 10, 3);
    EXPECT_FALSE(catopen(state_.core.catalogue).ok());
    zeltest::write_settings(dir.dir_slash(), 2459800.5, 15, 10, -1);
    EXPECT_FALSE(catopen(state_.core.catalogue).ok());
    // A slope list out of order.
    zeltest::write_catalogue(dir.dir_slash(), 10, 15, zeltest::small_objects(), {{4, " 0.11"}, {2, " 0.22"}});
    s = catopen(state_.core.catalogue);
    EXPECT_FALSE(s.ok());
    EXPECT_NE(s.message().find("ascending"), std::string::npos) << s.message();
    // No settings file at all.
    std::filesystem::remove(dir.path() / "setpar");
    EXPECT_FALSE(catopen(state_.core.catalogue).ok());
}

TEST_F(CatalogueTest, BadMagnitudeTextIsAnError) {
    state_.reset();
    zeltest::write_catalogue(dir.dir_slash(), 1, 1, {{1, "Odd", "ODD", "1x.00", {}}}, {});
    ASSERT_TRUE(catopen(state_.core.catalogue).ok());
    auto p = catphot(state_.core.catalogue, 1);
    EXPECT_FALSE(p.ok());
    EXPECT_NE(p.message().find("1x.00"), std::string::npos) << p.message();
}

TEST_F(CatalogueTest, FilesFoundWhateverTheirCase) {
    std::filesystem::rename(dir.path() / "elinm", dir.path() / "ELINM");
    state_.reset();
    ASSERT_TRUE(catopen(state_.core.catalogue).ok());
    EXPECT_EQ(catnum(state_.core.catalogue, "Juno"), 3);
}

TEST_F(CatalogueTest, InpoOpensTheCatalogue) {
    state_.reset();
    Inpo();
    EXPECT_EQ(errmsg(nullptr, 0), 0);
    EXPECT_TRUE(state_.core.catalogue.open);
    EXPECT_EQ(state_.core.package.objects, 15);
    EXPECT_EQ(catnum(state_.core.catalogue, "Pallas"), 2);
    // Again: the same state.
    Inpo();
    EXPECT_EQ(errmsg(nullptr, 0), 0);
    EXPECT_EQ(state_.core.catalogue.counts.numbered, 10);
    EXPECT_EQ(catnum(state_.core.catalogue, "Pallas"), 2);
    // A missing catalogue is reported.
    std::filesystem::remove(dir.path() / "indnm");
    Inpo();
    EXPECT_GT(errmsg(nullptr, 0), 0);
}

TEST_F(CatalogueTest, CloslaeClosesTheFilesUntilTheNextOpen) {
    ASSERT_TRUE(catelem(state_.core.catalogue, 1).ok());
    Closlae();
    EXPECT_EQ(errmsg(nullptr, 0), 0);
    EXPECT_FALSE(state_.core.catalogue.open);
    EXPECT_FALSE(catelem(state_.core.catalogue, 1).ok());  // reported, not read from a closed file
    ASSERT_TRUE(catopen(state_.core.catalogue).ok());
    EXPECT_TRUE(catelem(state_.core.catalogue, 1).ok());
}
