// The element list on a small catalogue: which objects a query lists, the
// texts of the cells through the record cache, the sort order of each column,
// Task Info, the export lines, the print file and its pages.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>

#include "element_fixture.h"
#include "shell_support.h"
#include "zelvo/graphics/elexport.h"
#include "zelvo/graphics/ellist.h"

namespace {

namespace fs = std::filesystem;
using namespace zelvo::elements;
using zeltest::FixtureObject;
using zelvo::PaperKind;
using zelvo::PrintItem;
using zelvo::PrintPage;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Ten records, eight numbered; number 3 is absent.
std::vector<FixtureObject> catalogue_objects() {
    return {
        {"Ceres", " 3.33", " 0.12", 231.5, 73.3, 80.2, 10.6, 0.0796, 2.766},
        {"pallas", " 4.12", "   11", 211.5, 310.9, 172.9, 34.9, 0.23, 2.77},
        {"", "     ", std::nullopt, 0, 0, 0, 0, 0, 0},
        {"Vesta", " 3.20", " 0.32", 26.8, 151.5, 103.7, 7.1, 0.09, 2.36},
        {"Eros", "10.38", std::nullopt, 100, 178.9, 304.3, 10.8, 0.223, 1.458},
        {"PALLAS", "15.00", std::nullopt, 50, 40, 30, 8, 0.14, 3.97},
        {"Hektor", " 7.20", " 0.15", 300, 180, 342, 18.2, 0.02, 5.24},
        {"Aethra", "11.00", std::nullopt, 5, 250, 350, 25, 0.39, 2.6},
        {"K15V00A", "18.40", std::nullopt, 1, 2, 3, 4, 0.1, 2.5},
        {"J99A12B", "16.00", std::nullopt, 1, 2, 3, 4, 0.05, 1.0},
    };
}

struct ListFixture {
    zeltest::FixtureCatalogue cat;
    zeltest::FakeLibrary lib;
    std::shared_ptr<CatalogueCache> cache = std::make_shared<CatalogueCache>();

    explicit ListFixture(const std::vector<FixtureObject>& objects = catalogue_objects(), std::int32_t numbered = 8) {
        cat.write(objects, numbered);
        EXPECT_TRUE(cache->openOrBuild(cat.settings()));
    }
    ElementListSetup setup(int code = 0) const {
        ElementListSetup s;
        s.numbered = cat.settings().numbered;
        s.query.QueryFunctionCode = code;
        s.derived.catalogueEpochJd = 2461000.5;
        return s;
    }
    ElementList list(const ElementListSetup& s) { return ElementList(cache, s, lib); }
};

std::vector<std::string> names(ElementList& l) {
    std::vector<std::string> out;
    for (int row = 0; row < l.count(); ++row) out.push_back(l.cellText(row, kColumnName));
    return out;
}

using Names = std::vector<std::string>;

TEST(ElementList, QueriesOverTheCatalogue) {
    ListFixture f;
    struct Case {
        const char* what;
        std::function<void(ElementListSetup&)> set;
        Names listed;
    };
    const Case cases[] = {
        {"no condition: every present object",
         [](ElementListSetup&) {},
         {"Ceres", "pallas", "Vesta", "Eros", "PALLAS", "Hektor", "Aethra", "K15V00A", "J99A12B"}},
        {"H at most 8",
         [](ElementListSetup& s) {
             s.query.rows[kH].flags = kUpper;
             s.query.rows[kH].upper = 8;
         },
         {"Ceres", "pallas", "Vesta", "Hektor"}},
        {"names beginning with pa, in any case",
         [](ElementListSetup& s) {
             s.query.rows[kName].flags = kEqual;
             s.query.rows[kName].textEqual = "Pa";
         },
         {"pallas", "PALLAS"}},
        {"G from 0.15: objects without G count as 0.15",
         [](ElementListSetup& s) {
             s.query.rows[kG].flags = kLower;
             s.query.rows[kG].lower = 0.15;
         },
         {"Vesta", "Eros", "PALLAS", "Hektor", "Aethra", "K15V00A", "J99A12B"}},
        {"number 5 alone",
         [](ElementListSetup& s) {
             s.query.rows[kNumber].flags = kLower | kUpper | kJoined;
             s.query.rows[kNumber].intLower = s.query.rows[kNumber].intUpper = 4;
         },
         {"Eros"}},
        {"the object list: 2, 3 (absent), 9",
         [](ElementListSetup& s) {
             s.query.UseObjectList = true;
             s.query.ObjectListSet = {2, 3, 9};
         },
         {"pallas", "K15V00A"}},
        {"code 7 without a condition: aphelion beyond 1.1 AU",
         [](ElementListSetup& s) { s.query.QueryFunctionCode = 7; },
         {"Ceres", "pallas", "Vesta", "Eros", "PALLAS", "Hektor", "Aethra", "K15V00A"}},
        {"perihelion within 1.3 AU",
         [](ElementListSetup& s) {
             s.query.QueryFunctionCode = 1;
             s.query.rows[kFunction].flags = kUpper;
             s.query.rows[kFunction].upper = 1.3;
         },
         {"Eros", "J99A12B"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ElementListSetup s = f.setup();
        c.set(s);
        ElementList l = f.list(s);
        EXPECT_EQ(names(l), c.listed);
    }
}

TEST(ElementList, CellTexts) {
    ListFixture f;
    ElementListSetup s = f.setup(2);
    ElementList l = f.list(s);
    ASSERT_EQ(l.count(), 9);
    const std::vector<std::string> ceres = {"     1",    "Ceres",          " 3.33",     " 0.12",
                                            "231.50000", " 73.30000",      " 80.20000", "10.60000",
                                            "0.0796000", l.cellText(0, 9), "2.7660000", "2.98617"};
    for (int c = 0; c < kColumnCount; ++c) EXPECT_EQ(l.cellText(0, c), ceres[static_cast<std::size_t>(c)]) << c;
    // An unnumbered object shows no number; its G is "  X".
    EXPECT_EQ(l.cellText(7, kColumnNumber), "");
    EXPECT_EQ(l.cellText(7, kColumnName), "K15V00A");
    EXPECT_EQ(l.cellText(7, kColumnG), "  X");
    EXPECT_EQ(l.value(0, 10), l.elements(0).a);
    EXPECT_DOUBLE_EQ(l.value(0, kColumnDerived), 2.766 * 1.0796);

    // The list texts of the derived values.
    struct Case {
        int code;
        double v;
        bool calendar;
        const char* text;
    };
    const Case cases[] = {
        {11, 0.0002, true, "0.001"},
        {11, 939.4, true, "939.400"},
        {7, 12.345, true, "12.35"},
        {15, 20251121.12345, true, "20251121.12345"},
        {15, 2461000.62345, false, "2461000.62345"},
        {4, kNaN, true, "**********"},
        {1, 1e12, true, "**********"},
        {6, 2.5, true, "   2.50000"},
    };
    for (const Case& c : cases) EXPECT_EQ(derivedValueText(c.code, c.v, c.calendar), c.text) << c.code;
}

TEST(ElementList, RecordCacheFollowsTheHints) {
    std::vector<FixtureObject> many(200);
    for (std::size_t k = 0; k < many.size(); ++k)
        many[k] = {"Object " + std::to_string(k + 1),   " 9.00", std::nullopt, 1, 2, 3, 4, 0.1,
                   2.0 + 0.001 * static_cast<double>(k)};
    ListFixture f(many, 200);
    ElementList l = f.list(f.setup());
    l.cacheHint(0, 40);
    EXPECT_EQ(l.recordLoads(), 41);
    l.cacheHint(100, 130);
    EXPECT_EQ(l.recordLoads(), 72);  // rows 100..130 only
    l.cacheHint(110, 120);
    EXPECT_EQ(l.recordLoads(), 72);  // held already
    for (int row = 100; row <= 130; ++row) EXPECT_EQ(l.cellText(row, 1), "Object " + std::to_string(row + 1));
    EXPECT_EQ(l.recordLoads(), 72);
    // A hint wider than the cache: every row of it is right when shown.
    l.cacheHint(0, 150);
    for (int row = 0; row <= 150; ++row) EXPECT_EQ(l.cellText(row, 1), "Object " + std::to_string(row + 1));
    // After a sort the cache holds the first 64 rows of the new order.
    l.sort(kColumnNumber, false);
    const long long afterSort = l.recordLoads();
    for (int row = 0; row < 64; ++row) EXPECT_EQ(l.cellText(row, 1), "Object " + std::to_string(200 - row));
    EXPECT_EQ(l.recordLoads(), afterSort);
}

TEST(ElementList, Comparisons) {
    struct Case {
        const char* what;
        bool result;
        bool expected;
    };
    const Case cases[] = {
        {"IndexLess", IndexLess(3, 7), true},
        {"IndexGreater", IndexGreater(3, 7), false},
        {"names case-blind", NameLess("ceres", "PALLAS"), true},
        {"equal names", NameLess("PALLAS", "pallas") || NameLess("pallas", "PALLAS"), false},
        {"only 18 characters", NameLess("Abcdefghijklmnopqr1", "Abcdefghijklmnopqr2"), false},
        {"shorter first", NameLess("Pall", "Pallas"), true},
        {"NameGreater", NameGreater("Vesta", "ceres"), true},
        {"ValueLess", ValueLess(1, 2), true},
        {"NaN after numbers", ValueLess(kNaN, 1e300), false},
        {"numbers before NaN", ValueLess(-1e300, kNaN), true},
        {"inf after numbers", ValueLess(kInf, 1e300), false},
        {"-inf after numbers", ValueLess(-kInf, 0), false},
        {"NaN not before NaN", ValueLess(kNaN, kNaN), false},
        {"descending: NaN still last", ValueGreater(kNaN, 1), false},
        {"descending: numbers first", ValueGreater(1, kNaN), true},
        {"ValueGreater", ValueGreater(2, 1), true},
        {"missing G as 0.15", SlopeLess(-1000, 0.15) || SlopeLess(0.15, -1000), false},
        {"missing G below 0.2", SlopeLess(-1000, 0.2), true},
        {"SlopeGreater", SlopeGreater(-1000, 0.12), true},
        {"NC first three characters", NcLess("3:2xyz", "3:2abc"), false},
        {"blank NC first", NcLess("   ", "1:1"), true},
        {"NcGreater", NcGreater("5:2", "3:2"), true},
    };
    for (const Case& c : cases) EXPECT_EQ(c.result, c.expected) << c.what;
}

TEST(ElementList, Sorting) {
    ListFixture f;
    ElementList byName = f.list(f.setup());
    byName.sort(kColumnName, true);
    // pallas and PALLAS are equal keys: they keep their order.
    EXPECT_EQ(names(byName),
              (Names{"Aethra", "Ceres", "Eros", "Hektor", "J99A12B", "K15V00A", "pallas", "PALLAS", "Vesta"}));
    byName.sort(kColumnNumber, false);
    EXPECT_EQ(byName.cellText(0, kColumnName), "J99A12B");  // unnumbered first
    EXPECT_EQ(byName.cellText(8, kColumnName), "Ceres");

    ElementList byG = f.list(f.setup());
    byG.sort(kColumnG, true);
    EXPECT_EQ(names(byG),
              (Names{"pallas", "Ceres", "Eros", "PALLAS", "Hektor", "Aethra", "K15V00A", "J99A12B", "Vesta"}));

    // A derived column with values that cannot be had: they come last both
    // ways (code 7 of an orbit inside 1 AU).
    std::vector<FixtureObject> odd = catalogue_objects();
    odd[9] = {"Inner", "16.00", std::nullopt, 1, 2, 3, 4, 0.05, 0.5};
    odd[8] = {"Inner2", "16.00", std::nullopt, 1, 2, 3, 4, 0.05, 0.7};
    ListFixture g(odd);
    ElementListSetup s = g.setup(3);  // a(1-e^2): all finite ...
    s.query.QueryFunctionCode = 1;
    ElementList values = g.list(s);
    values.sort(kColumnDerived, true);
    EXPECT_EQ(values.cellText(0, kColumnName), "Inner");
    values.sort(kColumnDerived, false);
    EXPECT_EQ(values.cellText(0, kColumnName), "Hektor");

    std::vector<ElementListItem> items(4);
    const double keys[4] = {kNaN, 2, kInf, 1};
    for (int k = 0; k < 4; ++k) {
        items[static_cast<std::size_t>(k)].record = k;
        items[static_cast<std::size_t>(k)].value = keys[k];
    }
    SortItems(items, kColumnDerived, true, *g.cache, 1);
    EXPECT_EQ((std::vector<std::int32_t>{items[0].record, items[1].record, items[2].record, items[3].record}),
              (std::vector<std::int32_t>{3, 1, 0, 2}));
    SortItems(items, kColumnDerived, false, *g.cache, 1);
    EXPECT_EQ((std::vector<std::int32_t>{items[0].record, items[1].record, items[2].record, items[3].record}),
              (std::vector<std::int32_t>{1, 3, 0, 2}));
}

TEST(ElementList, CommensurabilityColumn) {
    ListFixture f;
    ElementListSetup s = f.setup(kCodeCommensurability);
    s.derived.fixedObjectNumber = -5;
    s.derived.fixedObjectElements = {2461000.5, 0, 0, 0, 0.0228, 0.0484, 0.00145021};  // Jupiter
    s.derived.ncRange = 50;
    ElementList l = f.list(s);
    EXPECT_EQ(l.cellText(4, kColumnName), "PALLAS");
    EXPECT_EQ(l.cellText(4, kColumnDerived), "3:2");
    EXPECT_EQ(l.cellText(5, kColumnDerived), "1:1");
    EXPECT_EQ(l.items()[5].derivedText(), "1:1           ");
    EXPECT_EQ(l.value(5, kColumnDerived), 0);
    l.sort(kColumnDerived, false);
    // Descending: the blank texts (no commensurability) last; equal texts
    // keep their order.
    EXPECT_EQ(names(l),
              (Names{"Aethra", "Ceres", "pallas", "PALLAS", "K15V00A", "Hektor", "Vesta", "Eros", "J99A12B"}));
    EXPECT_EQ(l.cellText(0, kColumnDerived), "8:3");
    EXPECT_EQ(l.cellText(8, kColumnDerived), "");
    EXPECT_EQ(l.taskInfo()[1], "Records: 9;  Function: NC (-5, ieps=50)");
}

TEST(ElementList, TaskInfo) {
    ListFixture f;
    ElementListSetup s = f.setup(16);
    s.query.QueryText = "   ( H <= 8 ) ";
    s.query.rows[kH].flags = kUpper;
    s.query.rows[kH].upper = 8;
    s.query.UseObjectList = true;
    s.query.ObjectListFile = "/home/astronomer/lists/" + std::string(30, 'x') + ".txt";
    s.query.ObjectListSet = {1, 2, 4};
    s.derived.calendarDateForm = false;
    ElementList l = f.list(s);
    const auto info = l.taskInfo();
    EXPECT_EQ(info[0], "Filter:   ( H <= 8 ) ");
    EXPECT_EQ(info[1], "Records: 3;  Function: T_AscNode(JD)");
    EXPECT_EQ(info[2], "Object List: ..." + std::string(28, 'x') + ".txt");
    ElementListSetup moid = f.setup(12);
    moid.derived.fixedObjectNumber = 433;
    EXPECT_EQ(f.list(moid).taskInfo()[1], "Records: 9;  Function: MOID  (433)");
    EXPECT_EQ(f.list(f.setup()).taskInfo(), (std::array<std::string, 3>{"", "Records: 9;", ""}));
}

TEST(ElementList, ExportLines) {
    ListFixture f;
    ElementListSetup s = f.setup();
    s.query.QueryText = "   ( H <= 8 )  AND\n   ( e >= 0.01 ) ";
    s.query.rows[kH].flags = kUpper;
    s.query.rows[kH].upper = 8;
    ElementList l = f.list(s);
    const auto lines = exportLines(l, "Ecliptic and equinox 2000.0, epoch 2025 November 21.0 TT (JD 2461000.5)");
    ASSERT_EQ(lines.size(), 7u + 4u);
    EXPECT_EQ(lines[0], "Elements: Ecliptic and equinox 2000.0, epoch 2025 November 21.0 TT (JD 2461000.5)");
    EXPECT_EQ(lines[1], "Filter:   ( H <= 8 )  AND  ( e >= 0.01 ) ");
    EXPECT_EQ(lines[2], " " + std::string(119, '_'));
    EXPECT_EQ(lines[3],
              "|       |                   |      |      |          |          |          |          |    "
              "      |           |           |");
    EXPECT_EQ(lines[4],
              "|  Num  |        Name       |  H   |  G   |    M     |   Peri   |   Node   |     i    |    "
              "e     |     n     |   a       |");
    EXPECT_EQ(lines[6], "");
    const std::string n = l.cellText(0, 9);
    EXPECT_EQ(lines[7],
              "      1  Ceres                3.33   0.12  231.50000   73.30000   80.20000   10.60000  0.0796000  " + n +
                  "    2.7660000");
    EXPECT_EQ(lines[10].substr(0, 41), "      7  Hektor               7.20   0.15");

    // The derived column: the NC column three characters, the dates cut.
    ElementListSetup nc = f.setup(kCodeCommensurability);
    nc.derived.fixedObjectNumber = -5;
    nc.derived.fixedObjectElements = {2461000.5, 0, 0, 0, 0.0228, 0.0484, 0.00145021};
    nc.derived.ncRange = 50;
    ElementList ncList = f.list(nc);
    const auto ncLines = exportLines(ncList, "E");
    EXPECT_EQ(ncLines[1], " " + std::string(139, '_'));
    EXPECT_EQ(ncLines[3].substr(122), "  NC (-5, ieps=50)");
    EXPECT_EQ(ncLines[4], std::string(ncLines[4].substr(0, 122)) + std::string(18, '_'));
    EXPECT_EQ(ncLines[10].substr(121), " 3:2");
    EXPECT_EQ(ncLines[9].substr(0, 46), "      5  Eros                10.38      X  100");

    // A number of seven digits keeps a blank before the name.
    TextRecord rec{};
    std::memcpy(rec.data() + txt::kName, "Vesta", 5);
    const std::string seven = exportLine(1234567, rec.data(), 15, "20251121.12345", true);
    EXPECT_EQ(seven.substr(0, 16), " 1234567 Vesta  ");
    EXPECT_EQ(seven.size(), 121u + 15u);
    EXPECT_EQ(exportLine(1234567, rec.data(), 15, "2461000.62345", false).substr(121), "  2461000.62345");
    // A derived text longer than its ten characters keeps every digit.
    EXPECT_EQ(exportLine(5, rec.data(), 6, "15361.47600", false).substr(121), " 15361.47600");
    EXPECT_EQ(exportLine(5, rec.data(), 6, "2.50000", false).substr(121), "    2.50000");

    // Unnumbered objects carry no number in the export nor in the print file,
    // as on the screen.
    ElementList all = f.list(f.setup(6));
    ASSERT_EQ(all.count(), 9);
    const auto allLines = exportLines(all, "E");
    const std::string printFile = f.cat.work.dir_slash() + "result.el4";
    ASSERT_TRUE(write_print_file(printFile, all));
    std::ifstream print(printFile, std::ios::binary);
    std::vector<std::string> printLines;
    for (std::string line; std::getline(print, line);) printLines.push_back(line);
    ASSERT_EQ(printLines.size(), 18u);
    for (int row = 0; row < all.count(); ++row) {
        SCOPED_TRACE(all.cellText(row, kColumnName));
        const bool numbered = all.record(row) < 8;
        EXPECT_EQ(all.number(row), numbered ? all.record(row) + 1 : 0);
        EXPECT_EQ(all.cellText(row, kColumnNumber).empty(), !numbered);
        const std::string exported = allLines[6 + static_cast<std::size_t>(row)].substr(0, 9);
        const std::string printed = printLines[2 * static_cast<std::size_t>(row)].substr(0, 7);
        if (numbered) {
            EXPECT_EQ(exported, " " + number_text(all.record(row) + 1) + "  ");
            EXPECT_EQ(printed, number_text(all.record(row) + 1) + " ");
        } else {
            EXPECT_EQ(exported, std::string(9, ' '));
            EXPECT_EQ(printed, std::string(7, ' '));
        }
    }
}

TEST(ElementList, PrintFileAndPages) {
    TextRecord rec{};
    std::memcpy(rec.data() + txt::kName, "Abcdefghijklmnopqr", 18);
    std::memcpy(rec.data() + txt::kH, "11.25", 5);
    std::memcpy(rec.data() + txt::kG, "  X", 3);
    for (std::size_t at : {txt::kM, txt::kPeri, txt::kNode, txt::kIncl, txt::kE})
        std::memcpy(rec.data() + at, "123.45678", 9);
    std::memcpy(rec.data() + txt::kN, "0.12345678", 10);
    std::memcpy(rec.data() + txt::kA, "2.7656157", 9);
    const auto one = printFileLines(1, rec.data(), false, "");
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0],
              "     1 Abcdefghijklmnopqr11.25     X  123.45678 123.45678 123.45678 123.45678 123.45678 "
              "0.12345678   2.7656157");
    EXPECT_EQ(one[0].size(), 110u);
    const auto two = printFileLines(1234567, rec.data(), true, "0.01234");
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0].substr(0, 27), "1234567 Abcdefghijklmnopq11");
    EXPECT_EQ(two[0].size(), 125u);
    EXPECT_EQ(two[1], std::string(110, ' ') + "        0.01234");

    // Lines per page: A4 30, A3 45, other 20; even with a derived column.
    EXPECT_EQ(printLinesPerPage(PaperKind::A4, false), 30);
    EXPECT_EQ(printLinesPerPage(PaperKind::A3, false), 45);
    EXPECT_EQ(printLinesPerPage(PaperKind::A3, true), 44);
    EXPECT_EQ(printLinesPerPage(PaperKind::Other, true), 20);

    // The pages of a print file of 50 objects.
    std::vector<FixtureObject> many(50);
    for (std::size_t k = 0; k < many.size(); ++k)
        many[k] = {"Object " + std::to_string(k + 1), " 9.00", std::nullopt, 1, 2, 3, 4, 0.1, 2.0};
    ListFixture f(many, 50);
    const std::string path = f.cat.work.dir_slash() + "result.el4";
    struct Case {
        int code;
        PaperKind paper;
        int page;
        std::size_t lines;
        const char* first;
    };
    const Case cases[] = {
        {0, PaperKind::A4, 2, 20, "Object 31"}, {4, PaperKind::A4, 2, 30, "Object 16"},
        {4, PaperKind::A3, 2, 44, "Object 23"}, {4, PaperKind::A3, 3, 12, "Object 45"},
        {0, PaperKind::A3, 3, 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.code) + " page " + std::to_string(c.page));
        ElementList l = f.list(f.setup(c.code));
        ASSERT_TRUE(write_print_file(path, l));
        const int per = printLinesPerPage(c.paper, l.hasDerivedColumn());
        const auto page = readPrintPage(path, c.page, per, printLineCount(l));
        ASSERT_TRUE(page);
        ASSERT_EQ(page->size(), c.lines);
        if (c.first != nullptr) {
            EXPECT_EQ(page->front().substr(7, 9), c.first);
            // A page begins with the first line of an object.
            EXPECT_NE(page->front().substr(0, 6), "      ");
        }
    }
    EXPECT_FALSE(readPrintPage(path + "x", 1, 30, 50));

    // What a page shows.
    ElementList l = f.list(f.setup(4));
    ASSERT_TRUE(write_print_file(path, l));
    ListHead head = listHead(l, "Epoch text");
    head.useObjectList = true;
    head.objectListFile = "list.txt";
    const PrintPage page = layoutElementPage(1, 8500, 4000, 30, head, readPrintPage(path, 1, 30, 100));
    const int h = 4000 / 41, c = 100;  // 30 lines, the head and the page number
    EXPECT_EQ(page.lineHeight, h);
    EXPECT_EQ(page.charWidth, c);
    ASSERT_GE(page.items.size(), 2u + 6u + 30u + 1u);
    EXPECT_EQ(page.items[0], (PrintItem{2 * c, h, " Elements: Epoch text"}));
    EXPECT_EQ(page.items[1], (PrintItem{2 * c, 2 * h, " Object List: list.txt"}));
    EXPECT_EQ(page.items[2].text, std::string(111, '_'));
    EXPECT_EQ(page.items[5].text.substr(page.items[5].text.size() - 11), "|  a**(3/2)");
    EXPECT_EQ(page.items[8].y, 9 + 9 * h);  // first line: f + 9h
    EXPECT_EQ(page.items[8].text.size(), 110u);
    EXPECT_EQ(page.items[9].y, 9 + 10 * h);
    EXPECT_LT(page.items[8 + 29].y + h, page.items.back().y + h / 2);  // the last line above the number
    EXPECT_EQ(page.items[9].text, std::string(100, ' ') + "        2.82843");
    EXPECT_EQ(page.items.back(), (PrintItem{8500 / 2 - 3 * c, 4000 - 2 * h, "1"}));
    // Without the print file a page has its head only.
    const PrintPage bare = layoutElementPage(1, 8500, 4000, 30, head, std::nullopt);
    EXPECT_EQ(bare.items.size(), 2u + 6u + 1u);
}

}  // namespace

namespace {

// The MOID column with the Earth (elements of 2025 from the planet table of
// the package builder are not needed: a fixed near-circular orbit serves) over
// a catalogue of 1,500 varied orbits.
struct MoidFixture {
    ListFixture f;
    ElementListSetup s;
    explicit MoidFixture(std::vector<FixtureObject> objects) : f(objects, static_cast<std::int32_t>(objects.size())) {
        s = f.setup(kCodeMoid);
        s.derived.fixedObjectNumber = -3;
        // Epoch, M, Peri, Node, i (radians), e, n (radians per day).
        s.derived.fixedObjectElements = {2461000.5, 5.9, 1.99, 0.0, 0.0, 0.0167, 0.0172021};
    }
};

std::vector<FixtureObject> varied_orbits(int count) {
    std::vector<FixtureObject> o(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) {
        const double t = k / static_cast<double>(count);
        o[static_cast<std::size_t>(k)] = {"Orbit " + std::to_string(k + 1),
                                          " 9.00",
                                          std::nullopt,
                                          std::fmod(k * 37.0, 360.0),
                                          std::fmod(k * 53.0, 360.0),
                                          std::fmod(k * 71.0, 360.0),
                                          std::fmod(k * 7.3, 40.0),
                                          std::fmod(k * 0.013, 0.9),
                                          0.8 + 4.0 * t};
    }
    return o;
}

}  // namespace

// The MOID column is computed on every core: the values and the order are
// those of the objects computed one by one, the Function row keeps the same
// objects; a progress that stops it leaves the list empty and cancelled,
// before any object when it stops at the first report.
TEST(ElementList, MoidColumnOnEveryCoreAndItsCancel) {
    MoidFixture m(varied_orbits(1500));
    const ElementList list = m.f.list(m.s);
    ASSERT_EQ(list.count(), 1500);
    const DerivedCalculator calc(m.f.lib, m.s.derived);
    int finite = 0;
    for (int row = 0; row < list.count(); ++row) {
        ASSERT_EQ(list.record(row), row);
        const double one = calc.value(row, list.elements(row), kCodeMoid);
        EXPECT_TRUE(list.value(row, kColumnDerived) == one ||
                    (std::isnan(one) && std::isnan(list.value(row, kColumnDerived))))
            << row;
        finite += std::isfinite(one) ? 1 : 0;
    }
    EXPECT_GT(finite, 1400);

    ElementListSetup near = m.s;
    near.query.rows[kFunction].flags = kUpper;
    near.query.rows[kFunction].upper = 0.2;
    const ElementList close = m.f.list(near);
    int expected = 0;
    for (int row = 0; row < list.count(); ++row) expected += list.value(row, kColumnDerived) <= 0.2 ? 1 : 0;
    ASSERT_EQ(close.count(), expected);
    EXPECT_GT(expected, 10);
    for (int row = 0; row < close.count(); ++row) EXPECT_LE(close.value(row, kColumnDerived), 0.2);

    std::vector<std::pair<long long, long long>> reports;
    const ElementList stopped(m.f.cache, m.s, m.f.lib, [&](long long done, long long total) {
        reports.emplace_back(done, total);
        return false;
    });
    EXPECT_TRUE(stopped.cancelled());
    EXPECT_EQ(stopped.count(), 0);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], std::make_pair(0LL, 1500LL));

    // Let run, the reports rise to the total and the list is whole.
    reports.clear();
    const ElementList whole(m.f.cache, m.s, m.f.lib, [&](long long done, long long total) {
        reports.emplace_back(done, total);
        return true;
    });
    EXPECT_FALSE(whole.cancelled());
    EXPECT_EQ(whole.count(), 1500);
    ASSERT_FALSE(reports.empty());
    for (std::size_t k = 1; k < reports.size(); ++k) EXPECT_GE(reports[k].first, reports[k - 1].first);
}
