// Task headers: the header writer over small templates of the tests' own, the
// shared description texts, and the heading templates of the package, whose
// captions must stand over the columns of the result lines they head.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/setpar.h"
#include "io/fields.h"
#include "io/textfile.h"
#include "support.h"
#include "tasks/libstate.h"
#include "tasks/taskhead.h"

namespace {

namespace fs = std::filesystem;
using zeltest::read_bytes;
using zeltest::write_text;
using zelvomat::TaskHeaderKind;

// A template of n lines "<tag> line <k>" (k from 1), with the given line end.
std::string numbered_template(const std::string& tag, int n, const char* eol = "\r\n") {
    std::string s;
    for (int k = 1; k <= n; ++k) s += tag + " line " + std::to_string(k) + eol;
    return s;
}

std::string pad(std::string s, std::size_t n) {
    s.resize(n, ' ');
    return s;
}

// Record n (1-based) of a header file.
std::string record(const std::vector<std::uint8_t>& file, std::size_t length, std::size_t n) {
    return std::string(reinterpret_cast<const char*>(file.data()) + (n - 1) * length, length);
}

class TaskHeaders : public ::testing::Test {
protected:
    // A fresh library for each test, current on its thread.
    zelvomat::LibraryState lib;
    zelvomat::ScopedLibraryState current{lib};
    zeltest::ScopedWorkDir work;
    std::string data_dir;

    void SetUp() override {
        data_dir = work.dir_slash() + "el/";
        fs::create_directory(data_dir);
        lib.core.data_paths.data_dir = pad(data_dir, 80);  // as stored in the settings record
    }
    void put_template(const char* name, const std::string& text) { write_text(fs::path(data_dir) / name, text); }
};

TEST_F(TaskHeaders, EachKindWritesDescriptionThenItsBlock) {
    struct Case {
        TaskHeaderKind kind;
        const char* header;
        const char* tmpl;
        int template_lines;
        int block;
        std::vector<std::string> description;
        std::size_t length, width;
        int first_line;  // the template line copied first (1-based)
        int lines;
    };
    const Case cases[] = {
        // Output kind 2 copies template lines 6-10, kind 11 lines 51-55.
        {TaskHeaderKind::Ephemeris,
         "eph.hat",
         "EPH.HD2",
         55,
         2,
         {"Equator and equinox 2000.0", "Center:"},
         82,
         80,
         6,
         5},
        {TaskHeaderKind::Ephemeris, "eph.hat", "EPH.HD2", 55, 11, {"first", "second"}, 82, 80, 51, 5},
        {TaskHeaderKind::OC, "omc.hat", "OMC.HD2", 15, 1, {"Ecliptic and equinox 2000.0"}, 70, 70, 1, 5},
        {TaskHeaderKind::OC, "omc.hat", "OMC.HD2", 15, 3, {"Horizon and meridian True"}, 70, 70, 11, 5},
        {TaskHeaderKind::Identification, "ide.hat", "IDE.HD2", 7, 1, {}, 82, 80, 1, 7},
        {TaskHeaderKind::Plate, "plt.hat", "PLT.HD2", 6, 1, {"  Plate:", "  Date:"}, 82, 80, 1, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.header) + " block " + std::to_string(c.block));
        put_template(c.tmpl, numbered_template(c.tmpl, c.template_lines));
        const zelvomat::Status s = zelvomat::write_task_header(lib.core.data_paths, c.kind, c.description, c.block);
        ASSERT_TRUE(s.ok()) << s.message();

        const auto file = read_bytes(c.header);
        const std::size_t records = c.description.size() + static_cast<std::size_t>(c.lines);
        ASSERT_EQ(file.size(), records * c.length);
        // Each record: the text blank-padded to the width, zero bytes to L.
        const std::string zeros(c.length - c.width, '\0');
        for (std::size_t n = 1; n <= records; ++n) {
            const std::string rec = record(file, c.length, n);
            const std::string text =
                n <= c.description.size()
                    ? c.description[n - 1]
                    : std::string(c.tmpl) + " line " + std::to_string(c.first_line + int(n - c.description.size()) - 1);
            EXPECT_EQ(rec.substr(0, c.width), pad(text, c.width)) << "record " << n;
            EXPECT_EQ(rec.substr(c.width), zeros) << "record " << n;
        }
    }
}

TEST_F(TaskHeaders, TemplateLinesAreTakenAs80ColumnsAndCutToTheWidth) {
    // LF line ends, no line end after the last line, a line longer than 80
    // columns and one longer than the O-C header's 70.
    const std::string long_line = std::string(75, 'a') + "bcdefghij";  // 84 characters
    put_template("OMC.HD2", "one\n" + long_line + "\nthree\n\nfive");
    auto block = zelvomat::read_heading_block(lib.core.data_paths, TaskHeaderKind::OC, 1);
    ASSERT_TRUE(block.ok()) << block.message();
    ASSERT_EQ(block->size(), 5u);
    EXPECT_EQ((*block)[1], long_line.substr(0, 80));
    EXPECT_EQ((*block)[3], std::string(80, ' '));
    EXPECT_EQ((*block)[4], pad("five", 80));

    ASSERT_TRUE(
        zelvomat::write_task_header(lib.core.data_paths, TaskHeaderKind::OC, std::vector<std::string>{"d"}, 1).ok());
    const auto file = read_bytes("omc.hat");
    ASSERT_EQ(file.size(), 6u * 70u);
    EXPECT_EQ(record(file, 70, 3), long_line.substr(0, 70));
}

TEST_F(TaskHeaders, TemplateIsFoundWhateverItsCase) {
    put_template("plt.hd2", numbered_template("p", 6));
    auto block = zelvomat::read_heading_block(lib.core.data_paths, TaskHeaderKind::Plate);
    ASSERT_TRUE(block.ok()) << block.message();
    EXPECT_EQ((*block)[0], pad("p line 1", 80));
}

TEST_F(TaskHeaders, FailuresAreReportedAndLeaveTheOldHeader) {
    const std::vector<std::uint8_t> old(7 * 82, 'o');
    zeltest::write_bytes("ide.hat", old);
    struct Case {
        const char* what;
        const char* tmpl;  // written as IDE.HD2 when not null
        int block;
        const char* says;
    };
    const Case cases[] = {
        {"no template", nullptr, 1, "cannot be read"},
        {"a template one line short", "6", 1, "ends after line 6, before the last line (7) of block 1"},
        {"a block the template kind does not have", "7", 2, "There is no heading block 2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(fs::path(data_dir) / "IDE.HD2");
        if (c.tmpl) put_template("IDE.HD2", numbered_template("i", std::atoi(c.tmpl)));
        const zelvomat::Status s =
            zelvomat::write_task_header(lib.core.data_paths, TaskHeaderKind::Identification, {}, c.block);
        ASSERT_FALSE(s.ok());
        EXPECT_NE(s.message().find(c.says), std::string::npos) << s.message();
        EXPECT_EQ(read_bytes("ide.hat"), old);
    }
    // Settings not loaded: no data directory to look in.
    lib.core.data_paths = {};
    put_template("IDE.HD2", numbered_template("i", 7));
    const zelvomat::Status s = zelvomat::write_task_header(lib.core.data_paths, TaskHeaderKind::Identification, {}, 1);
    EXPECT_NE(s.message().find("not loaded"), std::string::npos) << s.message();
}

TEST_F(TaskHeaders, WrongNumberOfRecordsIsRefused) {
    const std::vector<std::string> five(5, "x"), one(1, "d");
    EXPECT_FALSE(zelvomat::write_task_header(TaskHeaderKind::Ephemeris, one, five).ok());  // 2 descriptions
    EXPECT_FALSE(zelvomat::write_task_header(TaskHeaderKind::Plate, std::vector<std::string>(2, "d"), five).ok());
    EXPECT_FALSE(fs::exists("eph.hat"));
    EXPECT_FALSE(fs::exists("plt.hat"));
}

TEST_F(TaskHeaders, NewHeaderReplacesALongerOne) {
    zeltest::write_bytes("plt.hat", std::vector<std::uint8_t>(20 * 82, 'o'));
    put_template("PLT.HD2", numbered_template("p", 6));
    ASSERT_TRUE(
        zelvomat::write_task_header(lib.core.data_paths, TaskHeaderKind::Plate, std::vector<std::string>{"a", "b"}, 1)
            .ok());
    EXPECT_EQ(read_bytes("plt.hat").size(), 8u * 82u);
}

TEST(TaskHeaderTexts, PutColumns) {
    std::string line = "abcdef";
    zelvomat::put_columns(line, 3, "XY");
    EXPECT_EQ(line, "abXYef");
    zelvomat::put_columns(line, 9, "Z");  // past the end: padded first
    EXPECT_EQ(line, "abXYef  Z");
}

TEST(TaskHeaderTexts, FrameText) {
    struct Case {
        const char *plane, *equinox, *text;
    };
    const Case cases[] = {
        {"EQT", "2000", "Equator and equinox 2000.0"},
        {"ECL", "INST", "Ecliptic and equinox True"},
        {"ECL", "1950", "Ecliptic and equinox 1950.0"},
        {"HRZ", "2000", "Horizon and meridian 2000.0"},  // the plane text runs straight into the equinox
        {"HRZ", "True", "Horizon and meridian True"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.plane) + " " + c.equinox);
        EXPECT_EQ(zelvomat::frame_text(c.plane, c.equinox), c.text);
    }
    // The O-C description of code 121 and 333, as the O-C driver builds it.
    EXPECT_EQ(zelvomat::frame_text("ECL", "2000") + " Astrometric" + " positions ",
              "Ecliptic and equinox 2000.0 Astrometric positions ");
    EXPECT_EQ(zelvomat::frame_text("HRZ", "True") + " Apparent" + " positions ",
              "Horizon and meridian True Apparent positions ");
}

TEST(TaskHeaderTexts, PerturberLetters) {
    struct Case {
        const char* what;
        std::vector<int> switches;
        bool rel;
        const char* text;
    };
    const Case cases[] = {
        {"all on, Earth and Moon apart, relativity", {1, 1, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1}, true, "MV(E,M)MJSUNPcpv+rS"},
        {"Mercury off, Earth-Moon switch 0", {0, 1, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1}, false, "0V(0+0)MJSUNPcpv"},
        {"Venus, Pluto and the minor planets off", {1, 0, 2, 1, 1, 1, 1, 1, 0, 0, 0, 0}, true, "M0(E,M)MJSUN0000+rS"},
        {"Earth and Moon as one body", {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, false, "MV(E+M)MJSUNPcpv"},
        {"an unknown Earth-Moon switch", {1, 1, 7, 1, 1, 1, 1, 1, 1, 1, 1, 1}, false, "MV     MJSUNPcpv"},
        {"switches missing count as off", {1, 1}, false, "MV(0+0)000000000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(zelvomat::perturber_letters(c.switches, c.rel), c.text);
    }
}

// ---- The heading templates of the package ------------------------------------
//
// Each caption of a heading row must stand over the columns of the field it
// heads, as the result line layouts give them: it must end inside the field
// and may reach left into the blank columns before it, never into the
// previous field of its row. Every other character of a caption row is blank;
// rows without captions are blank or rules of "-".

struct Caption {
    std::string text;
    int first, last;  // columns of the field in the result line
};
struct Row {
    int line;  // line of the block (1-based)
    std::vector<Caption> captions;
};
struct Block {
    const char* what;
    TaskHeaderKind kind;
    int block;
    std::vector<Row> rows;
};

void check_block(const std::vector<std::string>& lines, const Block& b) {
    std::vector<bool> listed(lines.size(), false);
    for (const Row& row : b.rows) {
        SCOPED_TRACE("line " + std::to_string(row.line));
        ASSERT_LE(static_cast<std::size_t>(row.line), lines.size());
        listed[static_cast<std::size_t>(row.line - 1)] = true;
        std::string rest = lines[static_cast<std::size_t>(row.line - 1)];
        std::size_t from = 0;
        int previous_last = 0;
        for (const Caption& c : row.captions) {
            SCOPED_TRACE("caption \"" + c.text + "\"");
            const std::size_t pos = rest.find(c.text, from);
            ASSERT_NE(pos, std::string::npos) << "|" << lines[static_cast<std::size_t>(row.line - 1)] << "|";
            const int start = static_cast<int>(pos) + 1;
            const int end = start + static_cast<int>(c.text.size()) - 1;
            EXPECT_GT(start, previous_last) << "reaches into the previous field";
            EXPECT_GE(end, c.first) << "ends before its field";
            EXPECT_LE(end, c.last) << "ends after its field";
            rest.replace(pos, c.text.size(), c.text.size(), ' ');
            from = pos + c.text.size();
            previous_last = c.last;
        }
        EXPECT_TRUE(zelvomat::io::is_blank(rest)) << "text over no field: |" << rest << "|";
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (listed[i]) continue;
        const std::string t(zelvomat::io::trim(lines[i]));
        EXPECT_EQ(t.find_first_not_of('-'), std::string::npos) << "line " << i + 1 << ": |" << lines[i] << "|";
    }
}

// The columns of the result lines, by output kind, task and line.
std::vector<Block> package_blocks() {
    using K = TaskHeaderKind;
    const Caption date{"Date (TT)", 1, 16};
    const std::vector<Caption> ymd{{"y", 1, 4}, {"m", 5, 7}, {"d", 8, 16}};
    auto join = [](std::vector<Caption> a, const std::vector<Caption>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    std::vector<Block> v;
    // One-line spherical kinds 2-4: angle 1 in 18-20 and 21-26 (kind 2) or
    // 21-25, the sign and degrees of angle 2 in 30-32, its minutes in 33-37.
    struct Emp {
        int kind;
        const char *a1, *a2, *u1, *u2;
        int a1_last;
    };
    for (const Emp& e : {Emp{2, "R.A.", "Decl.", "h", "m", 26}, Emp{3, "Long.", "Lat.", "o", "'", 25},
                         Emp{4, "Azimuth", "Altitude", "o", "'", 25}}) {
        v.push_back({"ephemeris kind",
                     K::Ephemeris,
                     e.kind,
                     {{3,
                       {date,
                        {e.a1, 18, e.a1_last},
                        {e.a2, 30, 37},
                        {"Delta", 39, 46},
                        {"r", 50, 57},
                        {"Phase", 61, 65},
                        {"Mag.", 68, 71},
                        {"Elong.", 75, 78}}},
                      {4, join(ymd, {{e.u1, 18, 20},
                                     {e.u2, 21, e.a1_last},
                                     {"o", 30, 32},
                                     {"'", 33, 37},
                                     {"AU", 39, 46},
                                     {"AU", 50, 57},
                                     {"deg", 61, 65},
                                     {"deg", 75, 78}})}}});
    }
    // Two-line spherical kinds 5-7: angle 1 in 19-21, 22-24, 25-29 (kind 5:
    // 25-30), angle 2 with its sign in 33-35, 36-38, 39-43; second line the
    // elongation and its side in 66-71.
    struct Pos {
        int kind;
        const char *a1, *a2, *u1, *u2, *u3;
        int a1_last;
    };
    for (const Pos& p : {Pos{5, "R.A.", "Decl.", "h", "m", "s", 30}, Pos{6, "Long.", "Lat.", "o", "'", "\"", 29},
                         Pos{7, "Azimuth", "Altitude", "o", "'", "\"", 29}}) {
        v.push_back({"ephemeris kind",
                     K::Ephemeris,
                     p.kind,
                     {{2,
                       {date,
                        {p.a1, 19, p.a1_last},
                        {p.a2, 33, 43},
                        {"Delta", 45, 53},
                        {"r", 55, 63},
                        {"Phase", 66, 70},
                        {"Mag.", 75, 78}}},
                      {3, {{"Elong.", 66, 71}}},
                      {4, join(ymd, {{p.u1, 19, 21},
                                     {p.u2, 22, 24},
                                     {p.u3, 25, p.a1_last},
                                     {"o", 33, 35},
                                     {"'", 36, 38},
                                     {"\"", 39, 43},
                                     {"AU", 45, 53},
                                     {"AU", 55, 63},
                                     {"deg", 66, 70}})}}});
    }
    // Kind 8: x 18-27, y 29-38, z 40-49, distances 52-60 and 62-70, speed 74-80.
    v.push_back(
        {"ephemeris kind",
         K::Ephemeris,
         8,
         {{3, {date, {"X", 18, 27}, {"Y", 29, 38}, {"Z", 40, 49}, {"Delta", 52, 60}, {"r", 62, 70}, {"Speed", 74, 80}}},
          {4,
           join(ymd,
                {{"AU", 18, 27}, {"AU", 29, 38}, {"AU", 40, 49}, {"AU", 52, 60}, {"AU", 62, 70}, {"km/s", 74, 80}})}}});
    // Kinds 9, 10: angle 1 in 19-21, 22-24, 25-29 (kind 9: 25-30), angle 2
    // with its sign in 34-36, 37-39, 40-44; second line the rates in the
    // same columns, the rate of the distance in 46-56, the elongation 67-72.
    for (const Pos& p : {Pos{9, "R.A.", "Decl.", "h", "m", "s", 30}, Pos{10, "Long.", "Lat.", "o", "'", "\"", 29}}) {
        const std::string r1 = std::string("d(") + p.a1 + ")/dt", r2 = std::string("d(") + p.a2 + ")/dt";
        v.push_back({"ephemeris kind",
                     K::Ephemeris,
                     p.kind,
                     {{2,
                       {date,
                        {p.a1, 19, p.a1_last},
                        {p.a2, 34, 44},
                        {"Delta", 46, 54},
                        {"r", 57, 65},
                        {"Phase", 67, 71},
                        {"Mag.", 76, 79}}},
                      {3,
                       {{"Rates per day", 1, 18},
                        {r1, 19, p.a1_last},
                        {r2, 34, 44},
                        {"d(Delta)/dt", 46, 56},
                        {"Elong.", 67, 72}}},
                      {4, join(ymd, {{p.u1, 19, 21},
                                     {p.u2, 22, 24},
                                     {p.u3, 25, p.a1_last},
                                     {"o", 34, 36},
                                     {"'", 37, 39},
                                     {"\"", 40, 44},
                                     {"AU", 46, 54},
                                     {"AU", 57, 65},
                                     {"deg", 67, 71}})}}});
    }
    // Kind 11: x 18-27, y 30-39, z 42-51, distances 54-63 and 65-73, speed
    // 74-80; second line the rates 19-29, 31-41, 43-53 and 55-65.
    v.push_back(
        {"ephemeris kind",
         K::Ephemeris,
         11,
         {{2, {date, {"X", 18, 27}, {"Y", 30, 39}, {"Z", 42, 51}, {"Delta", 54, 63}, {"r", 65, 73}, {"Speed", 74, 80}}},
          {3,
           {{"Rates per day", 1, 18},
            {"dX/dt", 19, 29},
            {"dY/dt", 31, 41},
            {"dZ/dt", 43, 53},
            {"d(Delta)/dt", 55, 65}}},
          {4,
           join(ymd,
                {{"AU", 18, 27}, {"AU", 30, 39}, {"AU", 42, 51}, {"AU", 54, 63}, {"AU", 65, 73}, {"km/s", 74, 80}})}}});
    // O-C records: designation 1-13, date 15-30 (year 15-18, month 20-21,
    // day 23-30), residuals 32-44 and 45-57, magnitude residual 59-63 with
    // its band 64, code 66-68. Blocks by main plane.
    struct Oc {
        int block;
        const char *a1, *a2;
    };
    for (const Oc& o : {Oc{1, "R.A.", "Decl."}, Oc{2, "Long.", "Lat."}, Oc{3, "Azimuth", "Altitude"}}) {
        v.push_back({"O-C plane",
                     K::OC,
                     o.block,
                     {{2, {{"Object", 1, 13}, {"Date (UT)", 15, 30}, {"O - C", 32, 64}, {"Obs.", 66, 68}}},
                      {3, {{"designation", 1, 13}, {o.a1, 32, 44}, {o.a2, 45, 57}, {"Mag.", 59, 64}, {"code", 66, 68}}},
                      {4,
                       {{"y", 15, 18},
                        {"m", 20, 21},
                        {"d", 23, 30},
                        {"arcsec", 32, 44},
                        {"arcsec", 45, 57},
                        {"mag", 59, 64}}}}});
    }
    // Identification records: designation 1-13, date 14-29 (year 14-17,
    // month 19-20, day 22-29), number 31-36, name 38-54, residuals 56-62,
    // 64-70, 72-76, band 77, code 78-80.
    v.push_back(
        {"identification",
         K::Identification,
         1,
         {{1, {{"Identification with the objects of the element catalogue", 1, 80}}},
          {3,
           {{"Object", 1, 13},
            {"Date (UT)", 14, 29},
            {"Identified with", 31, 54},
            {"O - C", 56, 76},
            {"Obs.", 78, 80}}},
          {4,
           {{"designation", 1, 13},
            {"Number", 31, 36},
            {"Name", 38, 54},
            {"R.A.", 56, 62},
            {"Decl.", 64, 70},
            {"Mag.", 72, 76}}},
          {5, {{"y", 14, 17}, {"m", 19, 20}, {"d", 22, 29}, {"arcsec", 56, 62}, {"arcsec", 64, 70}, {"mag", 72, 76}}},
          {6, {{"Tolerances:", 1, 55}}}}});
    // Plate object lines: number 5-10, name 12-29, right ascension 33-34,
    // 35-37, 38-43, declination with its sign 50-52, 53-55, 56-60,
    // magnitude 70-73.
    v.push_back({"plate",
                 K::Plate,
                 1,
                 {{1, {{"Catalogue objects on the plate, in order of right ascension", 1, 80}}},
                  {2, {{"Apparent places for the observatory", 1, 57}}},
                  {3, {{"Number", 5, 10}, {"Name", 12, 29}, {"R.A.", 33, 43}, {"Decl.", 50, 60}, {"Mag.", 70, 73}}},
                  {4,
                   {{"h", 33, 34},
                    {"m", 35, 37},
                    {"s", 38, 43},
                    {"o", 50, 52},
                    {"'", 53, 55},
                    {"\"", 56, 60},
                    {"<=", 61, 73}}}}});
    return v;
}

class PackageHeadings : public ::testing::Test {
protected:
    void SetUp() override { lib.core.data_paths.data_dir = std::string(ZELVO_SOURCE_DIR) + "/tools/package/headings/"; }
    // A fresh library for each test, current on its thread.
    zelvomat::LibraryState lib;
    zelvomat::ScopedLibraryState current{lib};
};

TEST_F(PackageHeadings, CaptionsStandOverTheirColumns) {
    for (const Block& b : package_blocks()) {
        SCOPED_TRACE(std::string(b.what) + " " + std::to_string(b.block));
        auto lines = zelvomat::read_heading_block(lib.core.data_paths, b.kind, b.block);
        ASSERT_TRUE(lines.ok()) << lines.message();
        check_block(*lines, b);
    }
}

TEST_F(PackageHeadings, TemplatesHoldTheirBlocksWhole) {
    struct Case {
        TaskHeaderKind kind;
        std::size_t lines;  // blocks x block size
        std::size_t width;
    };
    const Case cases[] = {{TaskHeaderKind::Ephemeris, 55, 80},
                          {TaskHeaderKind::OC, 15, 70},
                          {TaskHeaderKind::Identification, 7, 80},
                          {TaskHeaderKind::Plate, 6, 80}};
    for (const auto& c : cases) {
        const auto& layout = zelvomat::task_header_layout(c.kind);
        SCOPED_TRACE(std::string(layout.heading_template));
        auto lines = zelvomat::io::read_lines(zelvomat::data_file(lib.core.data_paths, layout.heading_template));
        ASSERT_TRUE(lines.ok()) << lines.message();
        EXPECT_EQ(lines->size(), c.lines);
        // Nothing is lost when a line is cut to the header's width.
        for (const auto& l : *lines) EXPECT_LE(zelvomat::io::trim_right(l).size(), c.width) << "|" << l << "|";
    }
}

TEST_F(PackageHeadings, DriversFillTheirValuesIntoBlankColumns) {
    // Identification: line 6 takes the tolerances (one decimal, 6 columns)
    // in columns 56-61 and 64-69, under the residual columns 56-62, 64-70.
    auto ide = zelvomat::read_heading_block(lib.core.data_paths, TaskHeaderKind::Identification);
    ASSERT_TRUE(ide.ok()) << ide.message();
    std::string& tol = (*ide)[5];
    EXPECT_EQ(zelvomat::io::column(tol, 56, 6), std::string(6, ' '));
    EXPECT_EQ(zelvomat::io::column(tol, 64, 6), std::string(6, ' '));
    zelvomat::put_columns(tol, 56, zelvomat::io::fmt_f(30.0, 6, 1));
    zelvomat::put_columns(tol, 64, zelvomat::io::fmt_f(20.5, 6, 1));
    EXPECT_EQ(std::string(zelvomat::io::trim_right(tol)).substr(55), "  30.0    20.5");

    // Plate: line 2 takes the observatory code in columns 58-60, line 4 the
    // limiting magnitude (one decimal) in columns 74-77, after the "<=" over
    // the magnitude column 70-73.
    auto plt = zelvomat::read_heading_block(lib.core.data_paths, TaskHeaderKind::Plate);
    ASSERT_TRUE(plt.ok()) << plt.message();
    EXPECT_EQ(zelvomat::io::column((*plt)[1], 57, 4), std::string(4, ' '));
    EXPECT_EQ(zelvomat::io::column((*plt)[3], 74, 7), std::string(7, ' '));
    zelvomat::put_columns((*plt)[1], 58, "E12");
    zelvomat::put_columns((*plt)[3], 74, zelvomat::io::fmt_f(25.0, 4, 1));
    EXPECT_EQ(std::string(zelvomat::io::trim_right((*plt)[1])).substr(45), "observatory E12");
    EXPECT_EQ(zelvomat::io::column((*plt)[3], 70, 8), "  <=25.0");
}

TEST(PackageStep, InstallsTheTemplatesWithCrLf) {
    zeltest::ScopedWorkDir work;
    const std::string data = work.dir_slash() + "el/";
    fs::create_directory(data);
    const std::string src = ZELVO_SOURCE_DIR;
    const std::string cmd =
        "PKG_SRC='" + src + "' PKG_DATA='" + data + "' bash '" + src + "/tools/package/40-headings.sh'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    for (const char* name : {"EPH.HD2", "OMC.HD2", "IDE.HD2", "PLT.HD2"}) {
        SCOPED_TRACE(name);
        const auto in = read_bytes(fs::path(src) / "tools/package/headings" / name);
        const auto out = read_bytes(fs::path(data) / name);
        std::string expect;
        for (auto c : in) {
            if (c == '\n') expect += '\r';
            expect += static_cast<char>(c);
        }
        EXPECT_EQ(std::string(out.begin(), out.end()), expect);
    }
}

}  // namespace
