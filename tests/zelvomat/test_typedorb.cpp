// Files of typed orbits: the single-orbit file's slots, the column order
// texts and the nongravitational parameter file, on real bytes.
#include <gtest/gtest.h>

#include <string>

#include "core/typedorb.h"
#include "io/fields.h"
#include "support.h"

using namespace zelvomat;

namespace {

std::string file_text(const std::string& path) {
    const auto b = zeltest::read_bytes(path);
    return std::string(b.begin(), b.end());
}

OrbitFieldTexts blank_texts() {
    OrbitFieldTexts t;
    t.fill("");
    return t;
}

}  // namespace

TEST(TypedOrbitFiles, FileNames) {
    EXPECT_EQ(single_orbit_file(true, true), "eelm.eph");
    EXPECT_EQ(single_orbit_file(true, false), "eelm.omc");
    EXPECT_EQ(single_orbit_file(false, true), "xxyz.eph");
    EXPECT_EQ(single_orbit_file(false, false), "xxyz.omc");
    EXPECT_EQ(nongrav_file(true), "ngr.eph");
    EXPECT_EQ(nongrav_file(false), "ngr.omc");
    EXPECT_EQ(user_orbit_work_file(true), "rabb.da1");
    EXPECT_EQ(user_orbit_work_file(false), "rab1.da2");
}

TEST(TypedOrbitFiles, ColumnOrderTexts) {
    const struct {
        const char* text;
        bool ok;
        std::vector<std::int32_t> fields;
        const char* what;
    } cases[] = {
        {"01020304050708091011", true, {1, 2, 3, 4, 5, 7, 8, 9, 10, 11}, "standard element order"},
        {"01061310070809040000", true, {1, 6, 13, 10, 7, 8, 9, 4}, "comet order, empty columns dropped"},
        {"0106", true, {1, 6}, "short text is blank-padded: blank codes are empty"},
        {"01020304050708091014", false, {}, "code 14"},
        {"010203040507080910-1", false, {}, "a sign"},
        {"0102030405070809101A", false, {}, "a letter"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto order = parse_column_order(c.text);
        ASSERT_EQ(order.ok(), c.ok);
        if (!c.ok) continue;
        EXPECT_EQ(order_fields(*order), c.fields);
        std::string padded(c.text);
        if (padded.size() < 20) padded.resize(20, '0');
        EXPECT_EQ(column_order_text(*order), padded);
    }
}

TEST(TypedOrbitFiles, SingleOrbitSlots) {
    zeltest::ScopedWorkDir wd;
    OrbitFieldTexts t = blank_texts();
    t[0] = "Test";
    t[1] = "15.99";
    t[2] = "X";
    t[3] = "20071027.5";  // the epoch stays as typed
    t[5] = "2454300.5";   // T, code 6
    t[6] = "91.25204";
    t[7] = "270.56409";
    t[8] = "2.78545";
    t[9] = "0.6239435";
    t[12] = "1.2";  // q, code 13
    // The comets' list order: the file still holds the codes ascending.
    const ColumnOrder order{1, 6, 13, 10, 7, 8, 9, 4, 0, 0};
    ASSERT_TRUE(write_introduced_orbit("eelm.eph", t, order).ok());
    const std::string want = std::string("Test                ") + "20071027.5          " + "2454300.5           " +
                             "91.25204            " + "270.56409           " + "2.78545             " +
                             "0.6239435           " + "1.2                 ";
    EXPECT_EQ(file_text("eelm.eph"), want);

    // Read back in ascending order (the dialog's single-orbit order).
    const ColumnOrder ascending{1, 4, 6, 7, 8, 9, 10, 13, 0, 0};
    const auto back = read_introduced_orbit("eelm.eph", ascending);
    ASSERT_TRUE(back.ok());
    for (int code : {1, 4, 6, 7, 8, 9, 10, 13}) {
        SCOPED_TRACE(code);
        EXPECT_EQ((*back)[static_cast<std::size_t>(code - 1)], io::pad(t[static_cast<std::size_t>(code - 1)], 18));
    }
    EXPECT_EQ((*back)[1], std::string(18, ' '));  // H not in the order

    // A text longer than its 18 characters is refused, never cut.
    t[0] = "ABCDEFGHIJKLMNOPQRS";
    EXPECT_FALSE(write_introduced_orbit("eelm.eph", t, order).ok());
    EXPECT_EQ(file_text("eelm.eph"), want);
}

TEST(TypedOrbitFiles, NongravParameters) {
    zeltest::ScopedWorkDir wd;
    const struct {
        NongravTexts a;
        bool elements;
        const char* bytes;
        double values[3];
        const char* what;
    } cases[] = {
        {{" 1.5E-8 ", "-2.1e-9", "0.0 "},
         true,
         "1.5E-8 -2.1e-9 0.0 \r\n0.0 0.0 0.0",
         {1.5e-8, -2.1e-9, 0.0},
         "elements: line 1; a zero A3 keeps its blank"},
        {{"0", "0.000", "3D-10"},
         false,
         "0.0 0.0 0.0\r\n0.0 0.0 3D-10",
         {0.0, 0.0, 3e-10},
         "coordinates: line 2; zeros as 0.0"},
        {{"", "", ""}, true, "0.0 0.0 0.0 \r\n0.0 0.0 0.0", {0.0, 0.0, 0.0}, "all blank"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(write_nongrav("ngr.eph", c.a, c.elements).ok());
        EXPECT_EQ(file_text("ngr.eph"), c.bytes);
        const auto v = read_nongrav("ngr.eph", c.elements);
        ASSERT_TRUE(v.ok()) << v.message();
        for (std::size_t i = 0; i < 3; ++i) EXPECT_DOUBLE_EQ((*v)[i], c.values[i]);  // 4 units of the last place
        const auto t = read_nongrav_texts("ngr.eph", c.elements);
        ASSERT_TRUE(t.ok());
    }

    // The coordinates' line is taken whole, whatever the length of line 1.
    zeltest::write_text("ngr.omc", "0.0 0.0 0.0\r\n1.25E-8 -3.5E-9 7.0E-10");
    const auto t = read_nongrav_texts("ngr.omc", false);
    ASSERT_TRUE(t.ok());
    EXPECT_EQ((*t)[0], "1.25E-8");
    EXPECT_EQ((*t)[1], "-3.5E-9");
    EXPECT_EQ((*t)[2], "7.0E-10");

    zeltest::write_text("ngr.omc", "1 2\n");
    EXPECT_FALSE(read_nongrav("ngr.omc", true).ok());
    EXPECT_FALSE(read_nongrav("missing", true).ok());
}
