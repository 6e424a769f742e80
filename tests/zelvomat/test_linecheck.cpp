// Checks of observation and plate lines (cntl), of observatory list lines
// (cnto) and of parallax pairs (controb), through the exports.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "observatory_fixture.h"
#include "tasks/libstate.h"
#include "tasks/linecheck.h"

namespace {

namespace fs = std::filesystem;
using zeltest::mpc_line;
using zeltest::MpcFields;
using zeltest::with;

class LineCheck : public ::testing::Test {
protected:
    // A fresh library for each test, current on its thread for the exports.
    zelvomat::LibraryState lib;
    zelvomat::ScopedLibraryState current{lib};
    zeltest::ScopedWorkDir work;
    std::string data_dir;

    void SetUp() override {
        data_dir = work.dir_slash() + "el/";
        fs::create_directory(data_dir);
        zeltest::write_observation_settings(data_dir, 2023, 2027);
        write_list(true);
    }

    void write_list(bool paranal_known) {
        zeltest::write_observatory_list(
            data_dir, {
                          {0, "000   0.0000 0.62411 +0.77873 Greenwich"},
                          {244, "244                           Geocentric Occultation Observation"},
                          {248, "248                           Hipparcos"},
                          {250, "250                           Hubble Space Telescope"},
                          {309, paranal_known ? "309 289.595690.909943-0.414336Cerro Paranal" : "309"},
                          {500, "500   0.000000.000000+0.000000Geocentric"},
                          {702, "005   2.231000.659891+0.748875Line of another code"},
                          {1412, "E12 149.0642 0.85563 -0.51621 Siding Spring Survey"},
                      });
        obswri();
        ASSERT_EQ(zeltest::last_message(), "");
    }
};

struct Outcome {
    int err, first, last, layout;
};

Outcome run_cntl(int task, int system, const std::string& line) {
    Outcome o{-7, -7, -7, -7};  // the check resets its outputs
    cntl(task, system, &o.err, &o.first, &o.last, &o.layout, line.data(), static_cast<int>(line.size()));
    return o;
}

// An O-C or identification line and a plate line, both good.
const std::string kObs =
    mpc_line({"     K25A00A", ' ', ' ', 'C', "2025 03 10.12345", "10 20 30.12", "+15 30 45.1", "18.5", 'R', "309"});
const std::string kObsDegrees =
    mpc_line({"     K25A00A", ' ', ' ', 'C', "2025 03 10.12345", "155 07 31.8", "-01 02 03.4", "18.5", 'R', "309"});
const std::string kPlate =
    with(with(mpc_line({"PLATE 1", ' ', ' ', ' ', "2025 03 10.12345", "03 47 00.00", "+24 07 00.0", "", ' ', "309"}),
              59, " 30.0"),
         67, " 5.0");

struct Case {
    const char* what;
    int task, system;
    std::string line;
    Outcome want;
};

void run_table(const std::vector<Case>& cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome o = run_cntl(c.task, c.system, c.line);
        EXPECT_EQ(o.err, c.want.err);
        EXPECT_EQ(o.first, c.want.first);
        EXPECT_EQ(o.last, c.want.last);
        EXPECT_EQ(o.layout, c.want.layout);
        EXPECT_EQ(zeltest::last_message(), "");
    }
}

TEST_F(LineCheck, ObservationLinesInHours) {
    std::string zero_byte = kObs;
    zero_byte[4] = '\0';
    run_table({
        {"good line", 3, 1, kObs, {0, 0, 0, 2}},
        {"decimal minutes", 3, 1, with(with(kObs, 33, "10 20.50   "), 45, "+15 30.8   "), {0, 0, 0, 1}},
        {"letter in the year", 3, 1, with(kObs, 16, "2O25"), {1, 17, 17, 0}},
        {"blank second digit of the month", 3, 1, with(kObs, 21, "3 "), {1, 22, 22, 0}},
        {"no point in column 26", 3, 1, with(kObs, 26, "0"), {1, 26, 26, 0}},
        {"zero byte in the designation", 3, 1, zero_byte, {1, 5, 5, 0}},
        {"digit in column 35", 3, 1, with(kObs, 33, "10120 30.12"), {1, 35, 35, 0}},
        {"sign x", 3, 1, with(kObs, 45, "x"), {1, 45, 45, 0}},
        {"magnitude without its point", 3, 1, with(kObs, 66, "185 "), {1, 68, 68, 0}},
        {"letter in column 79", 3, 1, with(kObs, 78, "3A9"), {1, 79, 79, 0}},
        {"29 February 1998", 3, 1, with(kObs, 16, "1998 02 29"), {2, 16, 31, 0}},
        {"29 February 2000", 3, 1, with(kObs, 16, "2000 02 29"), {0, 0, 0, 2}},
        {"29 February 2025", 3, 1, with(kObs, 16, "2025 02 29"), {2, 16, 31, 0}},
        {"month 13", 3, 1, with(kObs, 16, "2025 13 01"), {2, 16, 31, 0}},
        {"day 0", 3, 1, with(kObs, 16, "2025 03 00"), {2, 16, 31, 0}},
        {"last moment of a month", 3, 1, with(kObs, 16, "2025 04 30.99999"), {0, 0, 0, 2}},
        {"24 h exactly", 3, 1, with(kObs, 33, "24 00 00.00"), {0, 0, 0, 2}},
        {"24 h 0.01 s", 3, 1, with(kObs, 33, "24 00 00.01"), {2, 33, 43, 2}},
        {"23 h 60 m", 3, 1, with(kObs, 33, "23 60 00.00"), {2, 33, 43, 2}},
        {"60 s", 3, 1, with(kObs, 33, "23 59 60.00"), {2, 33, 43, 2}},
        {"25 h", 3, 1, with(kObs, 33, "25 00 00.00"), {2, 33, 43, 2}},
        {"24 h 0.1 m (decimal minutes)", 3, 1, with(with(kObs, 33, "24 00.10   "), 45, "+15 30.8   "), {2, 33, 43, 1}},
        {"+90 degrees exactly", 3, 1, with(kObs, 45, "+90 00 00.0"), {0, 0, 0, 2}},
        {"-90 degrees 0.1 arc seconds", 3, 1, with(kObs, 45, "-90 00 00.1"), {2, 45, 55, 2}},
        {"60 arc minutes", 3, 1, with(kObs, 45, "+89 60 00.0"), {2, 45, 55, 2}},
        {"91 degrees", 3, 1, with(kObs, 45, "+91 00 00.0"), {2, 45, 55, 2}},
        {"decimal minutes of time with arc seconds", 3, 1, with(kObs, 33, "10 20.50   "), {1, 54, 54, 0}},
        {"seconds of time with decimal arc minutes", 3, 1, with(kObs, 45, "+15 30.8   "), {1, 51, 51, 0}},
        {"seconds with two points", 3, 1, with(with(kObs, 33, "10 20.30.12"), 45, "+15 30 45  "), {1, 33, 43, 2}},
        {"arc seconds with two points", 3, 1, with(with(kObs, 33, "10 20 30   "), 45, "+15 30.45.1"), {1, 45, 55, 2}},
        {"point where a digit belongs", 3, 1, with(kObs, 45, "+15 30.4.1 "), {1, 53, 53, 0}},
        // A line without a position: blank angles would read as 0h and 0 deg.
        {"blank R.A.", 3, 1, with(kObs, 33, std::string(11, ' ')), {1, 33, 43, 2}},
        {"blank Decl.", 3, 1, with(kObs, 45, std::string(11, ' ')), {1, 45, 55, 2}},
        {"blank R.A. and Decl.", 3, 1, with(kObs, 33, std::string(23, ' ')), {1, 33, 43, 2}},
        {"year 1799", 3, 1, with(kObs, 16, "1799"), {7, 16, 31, 2}},
        {"year 2101", 3, 1, with(kObs, 16, "2101"), {7, 16, 31, 2}},
        {"year 1800, outside the package", 3, 1, with(kObs, 16, "1800"), {0, 0, 0, 2}},
        {"blank code", 3, 1, with(kObs, 78, "   "), {3, 78, 80, 2}},
        {"code that does not read", 3, 1, with(kObs, 78, "#12"), {3, 78, 80, 2}},
        {"letter code cut short", 3, 1, with(kObs, 78, "A5 "), {3, 78, 80, 2}},
        {"code beyond the list", 3, 1, with(kObs, 78, "Z99"), {3, 78, 80, 2}},
        {"record of another code", 3, 1, with(kObs, 78, "702"), {3, 78, 80, 2}},
        {"observatory without data", 3, 1, with(kObs, 78, "250"), {9, 0, 0, 2}},
        {"free code", 3, 1, with(kObs, 78, "001"), {9, 0, 0, 2}},
        {"geocentre", 3, 1, with(kObs, 78, "500"), {0, 0, 0, 2}},
        {"occultation code", 3, 1, with(kObs, 78, "244"), {0, 0, 0, 2}},
        {"Hipparcos", 3, 1, with(kObs, 78, "248"), {0, 0, 0, 2}},
        {"letter code", 3, 1, with(kObs, 78, "E12"), {0, 0, 0, 2}},
        {"letter code in lower case", 3, 1, with(kObs, 78, "e12"), {0, 0, 0, 2}},
        {"back to the first code", 3, 1, kObs, {0, 0, 0, 2}},
    });
}

// Code 500 is the geocentre whatever the list holds: a list that ends before
// it (the codes 000-010 of an excerpt), or one whose line 501 holds another
// code, still lets its lines pass, and the observer field calls it the
// geocentre.
TEST_F(LineCheck, GeocentreNeedsNoRecord) {
    const std::string geocentric = with(kObs, 78, "500");
    for (const auto& rows : {std::map<int, std::string>{{0, "000   0.0000 0.62411 +0.77873 Greenwich"},
                                                        {10, "010   6.921240.723655+0.688135Caussols"}},
                             std::map<int, std::string>{{500, "005   2.231000.659891+0.748875Another code"}}}) {
        zeltest::write_observatory_list(data_dir, rows);
        std::filesystem::remove(data_dir + "observat.dat");
        obswri();
        ASSERT_EQ(zeltest::last_message(), "");
        lib.line_check = {};
        const Outcome o = run_cntl(3, 1, geocentric);
        EXPECT_EQ(o.err, 0);
        EXPECT_EQ(run_cntl(2, 1, geocentric).err, 0);
        EXPECT_EQ(run_cntl(3, 1, with(kObs, 78, "010")).err, rows.count(10) ? 0 : 9);  // a free line
        char code[4] = {'5', '0', '0', ' '};
        int err = -1, aux = -1;
        double value = -1;
        contreph(6, code, 3, &err, &value, &aux);
        EXPECT_EQ(err, 8);
        EXPECT_EQ(aux, 500);
    }
}

TEST_F(LineCheck, ObservationLinesInDegrees) {
    run_table({
        {"good line", 3, 2, kObsDegrees, {0, 0, 0, 2}},
        {"360 degrees exactly", 3, 2, with(kObsDegrees, 33, "360 00 00.0"), {0, 0, 0, 2}},
        {"360 degrees 0.1 arc seconds", 3, 2, with(kObsDegrees, 33, "360 00 00.1"), {2, 33, 43, 2}},
        {"361 degrees", 3, 2, with(kObsDegrees, 33, "361 00 00.0"), {2, 33, 43, 2}},
        {"60 arc minutes", 3, 2, with(kObsDegrees, 33, "359 60 00.0"), {2, 33, 43, 2}},
        {"60 arc seconds", 3, 2, with(kObsDegrees, 33, "359 59 60.0"), {2, 33, 43, 2}},
        {"decimal minutes", 3, 2, with(with(kObsDegrees, 33, "155 07.5   "), 45, "+15 30.8   "), {0, 0, 0, 1}},
        {"decimal minutes with arc seconds", 3, 2, with(kObsDegrees, 33, "155 07.5   "), {1, 54, 54, 0}},
        {"arc seconds with decimal minutes", 3, 2, with(kObsDegrees, 45, "+15 30.8   "), {1, 51, 51, 0}},
        {"a line in hours", 3, 2, kObs, {1, 36, 36, 0}},
        {"a line in degrees checked in hours", 3, 1, kObsDegrees, {1, 35, 35, 0}},
    });
}

TEST_F(LineCheck, DateSpanOfThePackage) {
    // The package runs from 1 November 2023 to the end of March 2027.
    run_table({
        {"31 October of the first year", 2, 1, with(kObs, 16, "2023 10 31.99999"), {7, 16, 31, 2}},
        {"1 November of the first year", 2, 1, with(kObs, 16, "2023 11 01.00000"), {0, 0, 0, 2}},
        {"31 March of the last year", 2, 1, with(kObs, 16, "2027 03 31.99999"), {0, 0, 0, 2}},
        {"1 April of the last year", 2, 1, with(kObs, 16, "2027 04 01.00000"), {7, 16, 31, 2}},
        {"year before", 2, 1, with(kObs, 16, "2022 12 01.00000"), {7, 16, 31, 2}},
        {"year after", 2, 1, with(kObs, 16, "2028 01 01.00000"), {7, 16, 31, 2}},
        {"O-C line of October of the first year", 3, 1, with(kObs, 16, "2023 10 31.99999"), {0, 0, 0, 2}},
    });
}

TEST_F(LineCheck, PlateLines) {
    const std::string dec_blank = with(kPlate, 67, "    ");
    run_table({
        {"good plate", 1, 1, kPlate, {0, 0, 0, 2}},
        {"both sizes 0", 1, 1, with(with(kPlate, 59, "  0.0"), 67, " 0.0"), {6, 59, 68, 2}},
        {"both sizes blank", 1, 1, with(dec_blank, 59, "     "), {6, 59, 68, 2}},
        {"R.A. 300", 1, 1, with(kPlate, 59, "300.0"), {0, 0, 0, 2}},
        {"R.A. 301", 1, 1, with(kPlate, 59, "301.0"), {4, 59, 63, 2}},
        {"R.A. 300.1", 1, 1, with(kPlate, 59, "300.1"), {4, 59, 63, 2}},
        {"Decl. 75", 1, 1, with(kPlate, 67, "75.0"), {0, 0, 0, 2}},
        {"Decl. 76", 1, 1, with(kPlate, 67, "76.0"), {5, 67, 70, 2}},
        {"whole R.A. 12 with column 62 blank", 1, 1, with(dec_blank, 59, " 12  "), {0, 0, 0, 2}},
        {"R.A. 3.0 alone", 1, 1, with(dec_blank, 59, "  3.0"), {0, 0, 0, 2}},
        {"letter in the R.A. size", 1, 1, with(kPlate, 59, " O3.0"), {1, 60, 60, 0}},
        {"Decl. size with its point in 68", 1, 1, with(kPlate, 67, " .50"), {1, 68, 68, 0}},
        {"Decl. size with a digit in 69", 1, 1, with(kPlate, 67, " 555"), {1, 69, 69, 0}},
        {"October of the first year", 1, 1, with(dec_blank, 16, "2023 10 15.00000"), {7, 16, 31, 2}},
        {"the same line as an O-C line", 3, 1, with(dec_blank, 16, "2023 10 15.00000"), {0, 0, 0, 2}},
        {"an O-C line with its magnitude as a plate line", 1, 1, kObs, {1, 68, 68, 0}},
    });
}

TEST_F(LineCheck, TextPastTheGivenLengthIsNotRead) {
    // Only 71 characters are given, in a buffer of exactly that size: the
    // code in columns 78-80 lies beyond them and counts as blank.
    const std::vector<char> cut(kObs.begin(), kObs.begin() + 71);
    int err = -1, first = -1, last = -1, layout = -1;
    cntl(3, 1, &err, &first, &last, &layout, cut.data(), static_cast<int>(cut.size()));
    EXPECT_EQ(err, 3);
    EXPECT_EQ(first, 78);
    EXPECT_EQ(last, 80);
    // Characters beyond column 80 are not looked at.
    const Outcome o = run_cntl(3, 1, kObs + "\x01\x02 more");
    EXPECT_EQ(o.err, 0);
}

TEST_F(LineCheck, MissingFilesRefuseTheLineAndSayWhy) {
    fs::rename("setpar", "setpar.away");
    Outcome o = run_cntl(2, 1, kObs);
    EXPECT_EQ(o.err, 7);
    EXPECT_EQ(o.first, 16);
    EXPECT_NE(zeltest::last_message().find("setpar"), std::string::npos) << zeltest::last_message();
    o = run_cntl(3, 1, kObs);
    EXPECT_EQ(o.err, 3);
    EXPECT_EQ(o.first, 78);
    EXPECT_NE(zeltest::last_message().find("setpar"), std::string::npos) << zeltest::last_message();
    // The settings are back: the next check reads them.
    fs::rename("setpar.away", "setpar");
    run_table({{"settings back", 2, 1, kObs, {0, 0, 0, 2}}});

    fs::remove(fs::path(data_dir) / "observat.dat");
    o = run_cntl(3, 1, with(kObs, 78, "E12"));
    EXPECT_EQ(o.err, 3);
    EXPECT_NE(zeltest::last_message().find("observat.dat"), std::string::npos) << zeltest::last_message();
}

TEST_F(LineCheck, SettingsAreReadOncePerRun) {
    run_table({{"2024 within the package", 2, 1, with(kObs, 16, "2024"), {0, 0, 0, 2}}});
    zeltest::write_observation_settings(data_dir, 2025, 2029);
    run_table({{"same run: the years read first", 2, 1, with(kObs, 16, "2024"), {0, 0, 0, 2}}});
    lib.line_check = {};  // as a driver does at the start of a run
    run_table({{"new run: the new years", 2, 1, with(kObs, 16, "2024"), {7, 16, 31, 2}}});
}

TEST_F(LineCheck, RebuiltListIsReadAgain) {
    run_table({{"Paranal listed", 3, 1, kObs, {0, 0, 0, 2}}});
    // The user empties the line of 309 and the list is rebuilt in place,
    // within one tick of the file system's clock (the time is set back).
    const fs::path list = fs::path(data_dir) / "observat.dat";
    const auto time_before = fs::last_write_time(list);
    write_list(false);
    fs::last_write_time(list, time_before);
    run_table({{"Paranal emptied", 3, 1, kObs, {9, 0, 0, 2}}});
}

// ---- Observatory list lines -------------------------------------------------------

TEST(ObservatoryLineCheck, EditedLines) {
    struct LineCase {
        const char* what;
        int code;
        std::string line;
        int err, col;
    };
    const std::string paranal = "309 289.595690.909943-0.414336Cerro Paranal";
    std::string zero_in_name = paranal;
    zero_in_name += std::string(79 - zero_in_name.size(), ' ');
    zero_in_name[50] = '\0';
    const LineCase cases[] = {
        {"good line", 309, paranal, 0, 0},
        {"line padded to 79 and beyond", 309, paranal + std::string(60, '!'), 0, 0},
        {"name of any printable characters", 309, "309 289.595690.909943-0.414336~!@#$%^&*()_+{}|:<>?", 0, 0},
        {"no name", 309, paranal.substr(0, 30), 0, 0},
        {"few decimals", 309, "309 289.5    0.9     -0.4     Cerro Paranal", 0, 0},
        {"row of the geocentre", 500, "500   0.000000.000000+0.000000Geocentric", 8, 1},
        {"geocentre, even with another code", 500, paranal, 8, 1},
        {"code changed", 100, "101 289.595690.909943-0.414336Somewhere", 10, 1},
        {"letter code in lower case", 1412, "e12 149.064200.855630-0.516210Siding Spring Survey", 0, 0},
        {"code that does not read", 9, "#09   0.000000.000000+0.000000Nowhere", 1, 1},
        {"letter in the code's digits", 309, "3O9 289.595690.909943-0.414336Cerro Paranal", 1, 2},
        {"no blank in column 4", 309, "309x289.595690.909943-0.414336Cerro Paranal", 1, 4},
        {"point in column 9", 309, "309 2895.9569.909943-0.414336 Cerro Paranal", 1, 8},
        {"no decimal of the longitude", 309, "309 289.     0.909943-0.414336Cerro Paranal", 1, 9},
        {"rho sin phi' without sign column", 309, "309 289.595690.9099430.4143360Cerro Paranal", 1, 22},
        {"blank line of a free code", 309, "309", 1, 7},
        {"zero byte in the name", 309, zero_in_name, 1, 51},
        {"longitude 360", 309, "309 360.000000.909943-0.414336Cerro Paranal", 0, 0},
        {"longitude above 360", 309, "309 360.000010.909943-0.414336Cerro Paranal", 2, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        int err = -1, col = -1;
        const std::string before = c.line;
        cnto(c.code, c.line.data(), static_cast<int>(c.line.size()), &err, &col);
        EXPECT_EQ(err, c.err);
        EXPECT_EQ(col, c.col);
        EXPECT_EQ(c.line, before);
        EXPECT_EQ(zeltest::last_message(), "");
    }
}

// ---- Parallax pairs -----------------------------------------------------------------

TEST(ParallaxPairCheck, Pairs) {
    struct PairCase {
        int kind;
        const char* t1;
        const char* t2;
        int err, field;
    };
    // clang-format off
    const PairCase cases[] = {
        {1, "0.62411", "+0.77873", 0, 0},
        {1, "  0.909943  ", "-0.414336   ", 0, 0},
        {1, "1.1", "-1.1", 0, 0},
        {1, "0", "0", 8, 3},
        {1, "0.0", "-0.000", 8, 3},
        {1, "0.5", "-1.2", 2, 2},
        {1, "1.2", "0.1", 2, 1},
        {1, "-0.1", "0.1", 2, 1},
        {1, "abc", "0.1", 1, 1},
        {1, "0.5", "0.1x", 1, 2},
        {1, "0.5.1", "0.1", 1, 1},
        {1, "", "0.5", 1, 1},
        {1, "0.5", "     ", 1, 2},
        {2, "45.5", "-10", 2, 2},
        {2, "91", "100", 2, 1},
        {2, "-90", "0", 0, 0},
        {2, "-33.2692", "1149", 0, 0},
        {3, "1000", "-5", 0, 0},
        {3, "1000", "x", 1, 2},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("kind ") + std::to_string(c.kind) + " \"" + c.t1 + "\", \"" + c.t2 + "\"");
        std::string t1 = c.t1, t2 = c.t2;
        int err = -1, field = -1;
        controb(c.kind, t1.data(), static_cast<int>(t1.size()), t2.data(), static_cast<int>(t2.size()), &err, &field);
        EXPECT_EQ(err, c.err);
        EXPECT_EQ(field, c.field);
        EXPECT_EQ(t1, c.t1);
        EXPECT_EQ(t2, c.t2);
    }
}

TEST(ParallaxPairCheck, OnlyTheGivenLengthIsRead) {
    // "0.5" given as 3 characters of "0.5x": the x is not part of the text.
    const std::vector<char> a{'0', '.', '5'};
    const std::vector<char> b{'0', '.', '8'};
    int err = -1, field = -1;
    controb(1, a.data(), 3, b.data(), 3, &err, &field);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(field, 0);
}

}  // namespace
