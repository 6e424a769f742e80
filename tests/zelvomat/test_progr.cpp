// The ephemeris task driver (progr) run on the small data package with task
// records written here: result and header layouts per output kind, the object
// modes, the observer modes, restrictions, progress reports, a stopped and
// continued run, and the failures that end a run with a message.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <numeric>
#include <string>
#include <vector>

#include "core/typedorb.h"
#include "faults.h"
#include "io/fields.h"
#include "small_package.h"
#include "support.h"
#include "tasks/ephrecord.h"
#include "tasks/libstate.h"
#include "tasks/progr.h"
#include "zelvomat.h"

namespace {

namespace fs = std::filesystem;
using namespace zelvomat;
namespace ef = zelvomat::eph_field;
namespace zio = zelvomat::io;

// The callback: records every increment and asks to stop at the stop_at-th
// call (1-based; 0 never).
struct Calls {
    std::vector<int> inc;
    int stop_at = 0;
};
Calls g_calls;
int record_step(int inc) {
    g_calls.inc.push_back(inc);
    return static_cast<int>(g_calls.inc.size()) == g_calls.stop_at ? 1 : 0;
}

struct Outcome {
    int cont = 0, interrupted = 0, percent = 0;
    std::string error;
};

Outcome run_progr(int cont, int stop_at = 0) {
    g_calls = Calls{};
    g_calls.stop_at = stop_at;
    Outcome o;
    o.cont = cont;
    o.interrupted = 2;
    ::progr(&o.cont, &o.interrupted, &o.percent, record_step);
    const int n = errmsg(nullptr, 0);
    if (n > 0) {
        o.error.assign(static_cast<std::size_t>(n), ' ');
        errmsg(o.error.data(), n);
    }
    return o;
}

// Records of an 82-byte record file as 80-character texts, read here byte by
// byte: 80 characters, then two zero bytes.
std::vector<std::string> records(const fs::path& p) {
    const auto b = zeltest::read_bytes(p);
    std::vector<std::string> out;
    for (std::size_t off = 0; off + 82 <= b.size(); off += 82) {
        out.emplace_back(reinterpret_cast<const char*>(b.data() + off), 80);
        EXPECT_EQ(b[off + 80], 0);
        EXPECT_EQ(b[off + 81], 0);
    }
    EXPECT_EQ(b.size() % 82, 0u) << p;
    return out;
}

std::string cols(const std::string& line, std::size_t first, std::size_t last) {
    return line.substr(first - 1, last - first + 1);
}

bool blank(const std::string& s) { return s.find_first_not_of(' ') == std::string::npos; }

class Progr : public ::testing::Test {
protected:
    void SetUp() override {
        pkg_ = zeltest::small_package();
        if (pkg_.empty()) GTEST_SKIP() << "the small data package cannot be built here (see package-small/build.log)";
        dir_ = std::make_unique<zeltest::ScopedWorkDir>();
        fs::copy_file(pkg_ / "work" / "setpar", "setpar");
    }

    // A task: NUMB first..last, ARBT from..to step, SPH AST EQT 2000, the
    // Earth as the centre, geocentric, elliptic motion, no restrictions.
    static EphTaskRecord task(const std::string& output = "POS", const std::string& first = "5",
                              const std::string& last = "5") {
        EphTaskRecord r = EphTaskRecord::defaults();
        r.set(ef::objectKey, "NUMB");
        r.store_numbers(first, last);
        r.store_frame("SPH", "AST", "EQT", "2000");
        EphTaskRecord::ObserverEntry none{};
        EXPECT_TRUE(r.store_centre(3, "GEO", 1, none).ok());
        r.store_arbitrary_interval("20250101.00000", "20250103.00000", "1.0");
        r.store_output(output);
        r.store_motion('0', "", '0');
        return r;
    }
    static void save(const EphTaskRecord& r) { ASSERT_TRUE(save_eph_task(r).ok()); }

    std::vector<std::string> template_block(int kind) const {
        std::ifstream in(pkg_ / "el" / "EPH.HD2", std::ios::binary);
        std::vector<std::string> lines;
        std::string l;
        while (std::getline(in, l)) {
            if (!l.empty() && l.back() == '\r') l.pop_back();
            l.resize(80, ' ');
            lines.push_back(l);
        }
        return std::vector<std::string>(lines.begin() + 5 * (kind - 1), lines.begin() + 5 * kind);
    }

    // A fresh library for each test, current on its thread for the exports.
    LibraryState lib_;
    ScopedLibraryState current_{lib_};
    fs::path pkg_;
    std::unique_ptr<zeltest::ScopedWorkDir> dir_;
};

// ---- Layouts per output kind ----------------------------------------------------------

TEST_F(Progr, EveryOutputKindWritesItsHeaderAndLines) {
    struct Case {
        const char* output;
        const char* coord;
        const char* plane;
        const char* kind_text;  // 142-144
        int kind;
        int lines_per_date;
        const char* record1;
    };
    const Case cases[] = {
        {"EMP", "SPH", "EQT", "AST", 2, 1,
         "Equator and equinox 2000.0 Astrometric positions Accuracy: Elliptic motion"},
        {"EMP", "SPH", "ECL", "GMT", 3, 1, "Ecliptic and equinox 2000.0 Geometric positions Accuracy: Elliptic motion"},
        {"EMP", "SPH", "HRZ", "APP", 4, 1, "Horizon and meridian 2000.0 Apparent positions Accuracy: Elliptic motion"},
        {"POS", "SPH", "EQT", "AST", 5, 2,
         "Equator and equinox 2000.0 Astrometric positions Accuracy: Elliptic motion"},
        {"POS", "SPH", "ECL", "AST", 6, 2,
         "Ecliptic and equinox 2000.0 Astrometric positions Accuracy: Elliptic motion"},
        {"POS", "SPH", "HRZ", "AST", 7, 2,
         "Horizon and meridian 2000.0 Astrometric positions Accuracy: Elliptic motion"},
        {"POS", "REC", "EQT", "AST", 8, 1,
         "Equator and equinox 2000.0 Rectangular coordinates Accuracy: Elliptic motion"},
        {"PSV", "SPH", "EQT", "AST", 9, 2,
         "Equator and equinox 2000.0 Astrometric positions Accuracy: Elliptic motion"},
        {"PSV", "SPH", "ECL", "AST", 10, 2,
         "Ecliptic and equinox 2000.0 Astrometric positions Accuracy: Elliptic motion"},
        {"PSV", "REC", "ECL", "AST", 11, 2,
         "Ecliptic and equinox 2000.0 Rectangular coordinates Accuracy: Elliptic motion"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.output) + " " + c.coord + " " + c.plane);
        fs::remove("result.ep4");
        EphTaskRecord r = task(c.output);
        r.store_frame(c.coord, c.kind_text, c.plane, "2000");
        if (std::string(c.plane) == "HRZ") {
            EphTaskRecord::ObserverEntry e{};
            e.code = "000";
            ASSERT_TRUE(r.store_centre(3, "TOP", 1, e).ok());
        }
        save(r);
        const Outcome o = run_progr(0);
        ASSERT_EQ(o.error, "");
        EXPECT_EQ(o.interrupted, 0);
        EXPECT_EQ(o.cont, 0);
        EXPECT_EQ(o.percent, 100);
        // One object of three dates: a share of 33 1/3 per date, reported
        // after the first date; the end sends the rest.
        EXPECT_EQ(g_calls.inc, (std::vector<int>{33, 67}));

        const auto hat = records("eph.hat");
        ASSERT_EQ(hat.size(), 7u);
        EXPECT_EQ(hat[0], zio::pad(c.record1, 80));
        if (std::string(c.plane) == "HRZ")
            EXPECT_EQ(cols(hat[1], 1, 55), " 000 " + zio::pad("Greenwich", 50));
        else
            EXPECT_EQ(cols(hat[1], 1, 27), "Center:  Earth             ");
        const auto block = template_block(c.kind);
        for (int i = 0; i < 5; ++i) EXPECT_EQ(hat[2 + static_cast<std::size_t>(i)], block[static_cast<std::size_t>(i)]);

        const auto res = records("result.ep4");
        ASSERT_EQ(res.size(), 3u + 3u * static_cast<std::size_t>(c.lines_per_date));
        EXPECT_TRUE(blank(res[0]));
        EXPECT_EQ(cols(res[1], 1, 29), "         5 Astraea           ");
        EXPECT_TRUE(blank(res[2]));
        for (int d = 0; d < 3; ++d) {
            const std::string& l = res[3 + static_cast<std::size_t>(d * c.lines_per_date)];
            EXPECT_EQ(cols(l, 1, 16), "2025  1" + zio::fmt_f(1.0 + d, 9, 5)) << l;
            EXPECT_EQ(l[16], '*');  // elliptic motion: reduced accuracy
        }
    }
}

// ---- Object modes -----------------------------------------------------------------

TEST_F(Progr, NamesListsAndAbsentObjects) {
    // NAME: a catalogue object, a major body, a name found nowhere.
    struct NameCase {
        const char* name;
        std::vector<std::string> name_line;  // expected record 2 (columns 1-29 or the message)
        std::size_t records;
        std::vector<int> calls;
    };
    const NameCase names[] = {
        {"vesta", {"         4 Vesta             "}, 3 + 3 * 2, {33, 67}},
        {"Jupiter", {"        -5 Jupiter           "}, 3 + 3 * 2, {33, 67}},
        {"Nowhere", {"   object Nowhere           is absent in catalog"}, 2, {100}},
    };
    for (const NameCase& c : names) {
        SCOPED_TRACE(c.name);
        fs::remove("result.ep4");
        EphTaskRecord r = task();
        r.set(ef::objectKey, "NAME");
        r.store_object_name(c.name);
        save(r);
        const Outcome o = run_progr(0);
        ASSERT_EQ(o.error, "");
        EXPECT_EQ(o.percent, 100);
        EXPECT_EQ(g_calls.inc, c.calls);
        const auto res = records("result.ep4");
        ASSERT_EQ(res.size(), c.records);
        EXPECT_EQ(res[1].substr(0, c.name_line[0].size()), c.name_line[0]);
    }

    // LIST: each non-blank line; an unknown one and a number that is no
    // object are absent, the barycentre is body 0.
    fs::remove("result.ep4");
    zeltest::write_text("objects.txt", "Ceres\r\n\r\n3\nNo such thing\n999999\nS.S. barycentre");
    EphTaskRecord r = task();
    ASSERT_TRUE(r.store_object_list("objects.txt").ok());
    r.set(ef::objectKey, "LIST");
    save(r);
    const Outcome o = run_progr(0);
    ASSERT_EQ(o.error, "");
    const auto res = records("result.ep4");
    std::vector<std::string> names_seen;
    for (std::size_t i = 0; i + 1 < res.size(); ++i)
        if (blank(res[i]) && !blank(res[i + 1]) && res[i + 1].substr(0, 4) != "2025")
            names_seen.push_back(std::string(zio::trim_right(res[i + 1])));
    const std::vector<std::string> want = {
        "         1 Ceres", "         3 Juno", "   object No such thing     is absent in catalog",
        "   object 999999            is absent in catalog", "         0 S.s. barycentre"};
    EXPECT_EQ(names_seen, want);
}

TEST_F(Progr, NumberRangeSkipsAbsentCatalogueNumbers) {
    // Numbers the package does not hold inside a range are reported, not
    // computed from empty elements.
    EphTaskRecord r = task("EMP", "20", "22");
    save(r);
    const Outcome o = run_progr(0);
    ASSERT_EQ(o.error, "");
    const auto res = records("result.ep4");
    ASSERT_FALSE(res.empty());
    EXPECT_EQ(cols(res[1], 1, 29), "        20 Massalia          ");
    // 21 and 22 are absent from the small catalogue.
    EXPECT_EQ(std::string(zio::trim_right(res[7])), "   object 21                is absent in catalog");
    EXPECT_EQ(std::string(zio::trim_right(res[9])), "   object 22                is absent in catalog");
    EXPECT_EQ(res.size(), 10u);
}

// A typed orbit holding object 1's catalogue elements gives object 1's lines.
TEST_F(Progr, TypedOrbitsAgreeWithTheCatalogueAndRefusedOnesAreReported) {
    EphTaskRecord r = task("PSV", "1", "1");
    save(r);
    ASSERT_EQ(run_progr(0).error, "");
    const auto catalogue_lines = records("result.ep4");
    fs::remove("result.ep4");

    // Elements of Ceres at the catalogue epoch, read from "elitel" here.
    const auto el = zeltest::read_bytes(pkg_ / "el" / "elitel");
    double e[6];
    std::memcpy(e, el.data(), sizeof e);
    const double deg = 180.0 / M_PI;
    auto f = [](double v) {
        char b[40];
        std::snprintf(b, sizeof b, "%.12f", v);
        return std::string(b);
    };
    OrbitFieldTexts texts;
    texts[0] = "Ceres-typed";
    texts[1] = "3.34";
    texts[2] = "0.12";
    // The catalogue epoch: settings record 6, a double at its start.
    const auto settings = zeltest::read_bytes(pkg_ / "work" / "setpar");
    double epoch = 0;
    std::memcpy(&epoch, settings.data() + 5 * 80, sizeof epoch);
    char epoch_text[24];
    std::snprintf(epoch_text, sizeof epoch_text, "%.1f", epoch);
    texts[3] = epoch_text;
    texts[4] = f(e[0] * deg);  // M
    texts[6] = f(e[1] * deg);
    texts[7] = f(e[2] * deg);
    texts[8] = f(e[3] * deg);
    texts[9] = f(e[4]);
    texts[10] = f(e[5] * deg);  // n
    auto order = parse_column_order("01020304050708091011");
    ASSERT_TRUE(order.ok());
    ASSERT_TRUE(write_introduced_orbit("eelm.eph", texts, *order).ok());
    r.set(ef::objectKey, "EELM");
    r.set(ef::elementOrder, "01020304050708091011");
    save(r);
    const Outcome o = run_progr(0);
    ASSERT_EQ(o.error, "");
    const auto typed = records("result.ep4");
    ASSERT_EQ(typed.size(), catalogue_lines.size() + 2);
    EXPECT_EQ(cols(typed[1], 20, 41), "elements: single orbit");
    EXPECT_EQ(cols(typed[3], 1, 30), "Ceres-typed        orbit     1");
    // Lines: same positions to the last digit but the magnitude (H, G typed).
    for (std::size_t i = 3; i < catalogue_lines.size(); ++i) {
        EXPECT_EQ(typed[i + 2].substr(0, 70), catalogue_lines[i].substr(0, 70)) << i;
    }
    EXPECT_FALSE(fs::exists("rabb.da1"));  // the work file goes at the end

    // A list of two orbits, the second with a faulty eccentricity.
    fs::remove("result.ep4");
    zeltest::write_text("orbits.txt", "A 10 0.15 2459800.5 " + texts[4] + " " + texts[6] + " " + texts[7] + " " +
                                          texts[8] + " " + texts[9] + " " + texts[10] + "\n" +
                                          "B 10 0.15 2459800.5 1 2 3 4 e 0.2\n");
    r.set(ef::objectKey, "FELM");
    ASSERT_TRUE(r.set_name(ef::elementListFile, "orbits.txt").ok());
    r.set(ef::elementListOrder, "01020304050708091011");
    save(r);
    ASSERT_EQ(run_progr(0).error, "");
    const auto list = records("result.ep4");
    ASSERT_EQ(list.size(), 5u + 6u + 3u);
    EXPECT_EQ(cols(list[1], 20, 39), "elements: orbits.txt");
    EXPECT_EQ(std::string(zio::trim_right(list[13])), "                   orbit     2, format error: e");
}

// ---- Near-opposition blocks and the OPPO mode -----------------------------------------

struct OppRecord {
    double jd;
    std::int32_t number;
};
std::vector<OppRecord> opposition_file(const fs::path& p) {
    const auto b = zeltest::read_bytes(p);
    std::vector<OppRecord> v;
    for (std::size_t off = 0; off + 12 <= b.size(); off += 12) {
        OppRecord r{};
        std::memcpy(&r.jd, b.data() + off, 8);
        std::memcpy(&r.number, b.data() + off + 8, 4);
        v.push_back(r);
    }
    return v;
}

TEST_F(Progr, NearOppositionBlocksAndTheOppositionRange) {
    const auto opp = opposition_file(pkg_ / "el" / "opp2025");
    ASSERT_FALSE(opp.empty());
    const OppRecord o1 = opp.front();

    // NOPP for the first object of the 2025 file, coverage 60 days, step 5:
    // 13 dates around its opposition, whose date the heading shows as the
    // file has it (Prdat).
    EphTaskRecord r = task("EMP", std::to_string(o1.number), std::to_string(o1.number));
    r.store_opposition_interval("2025", " 60", "5.0");
    save(r);
    Outcome o = run_progr(0);
    ASSERT_EQ(o.error, "");
    auto res = records("result.ep4");
    ASSERT_EQ(res.size(), 3u + 13u);
    int y = 0, m = 0;
    double day = 0;
    ASSERT_EQ(std::sscanf(cols(res[1], 35, 46).c_str(), "%4d%3d%lf", &y, &m, &day), 3);
    double jd = 0;
    DateT(1, y * 10000.0 + m * 100.0 + day, &jd);
    EXPECT_NEAR(jd, o1.jd, 0.051);  // one decimal of the day, fraction at most .9
    // The first date: 10 int(JD/10) - 30 + 0.5, i.e. 0h of a day.
    double first = 0;
    DateT(1,
          std::stod(cols(res[3], 1, 4)) * 10000 + std::stod(cols(res[3], 5, 7)) * 100 + std::stod(cols(res[3], 8, 16)),
          &first);
    EXPECT_NEAR(first, 10.0 * std::trunc(o1.jd / 10.0) - 30.0 + 0.5, 1e-5);
    EXPECT_TRUE(fs::exists("opls1.dat"));

    // A major body has no near-opposition ephemeris.
    fs::remove("result.ep4");
    r.set(ef::objectKey, "NAME");
    r.store_object_name("Mars");
    save(r);
    o = run_progr(0);
    ASSERT_EQ(o.error, "");
    res = records("result.ep4");
    ASSERT_EQ(res.size(), 2u);
    EXPECT_EQ(std::string(zio::trim_right(res[1])), "   Data for object     -4 Mars            are not calculated");

    // OPPO: the objects whose opposition falls in the range, in date order.
    fs::remove("result.ep4");
    // The range ends with the tenth of the day of the fifth opposition.
    auto tenth_date = [](double t) {
        double packed = 0;
        DateT(2, t, &packed);
        const double whole = std::floor(packed);
        return whole + std::min(std::floor((packed - whole) * 10.0 + 0.5), 9.0) / 10.0;
    };
    const double end = tenth_date(opp[std::min<std::size_t>(opp.size() - 1, 4)].jd);
    r = task("EMP");
    r.set(ef::objectKey, "OPPO");
    r.store_oppositions("20250101.0", zio::fmt_f(end, 10, 1));
    save(r);
    o = run_progr(0);
    ASSERT_EQ(o.error, "");
    EXPECT_EQ(o.percent, 100);
    res = records("result.ep4");
    // Unnumbered objects (above the 881 numbered ones) show no number.
    std::vector<std::string> seen;
    for (std::size_t i = 0; i + 1 < res.size(); ++i)
        if (blank(res[i]) && !blank(res[i + 1]) && res[i + 1].substr(0, 4) == "    ")
            seen.push_back(cols(res[i + 1], 5, 10));
    std::vector<std::string> want;
    for (const OppRecord& x : opp)
        if (tenth_date(x.jd) <= end + 1e-6) want.push_back(x.number <= 881 ? zio::fmt_i(x.number, 6) : "      ");
    ASSERT_GE(want.size(), 5u);
    EXPECT_EQ(seen, want);
}

// The opposition files list the oppositions in the sense in which Datopp
// finds them, from the integrated orbits: for an object of a near-opposition
// run Prdat replaces Datopp's date (two-body motion from the catalogue
// elements, a one-day grid) by the file's, which lies within a day of it.
// The run takes every object of the package's catalogue (a list of their
// numbers), one date at each opposition of the year; "opls1.dat" keeps the
// dates it used, with 3 decimals.
struct PrdatCount {
    int objects = 0;   // objects with an opposition in the year
    int replaced = 0;  // of those, objects whose every date is a date of the files
    int dates = 0, dates_replaced = 0;
};

PrdatCount near_opposition_dates(const fs::path& pkg, int year) {
    PrdatCount c;
    const auto el = zeltest::read_bytes(pkg / "el" / "elitel");
    std::string list;
    for (std::size_t off = 0; off + 48 <= el.size(); off += 48) {
        double n = 0;
        std::memcpy(&n, el.data() + off + 40, 8);
        if (n > 0.0) list += std::to_string(off / 48 + 1) + "\r\n";
    }
    zeltest::write_text("objects.txt", list);
    EphTaskRecord r = EphTaskRecord::defaults();
    r.set(ef::objectKey, "LIST");
    EXPECT_TRUE(r.store_object_list("objects.txt").ok());
    r.store_frame("SPH", "AST", "EQT", "2000");
    EphTaskRecord::ObserverEntry none{};
    EXPECT_TRUE(r.store_centre(3, "GEO", 1, none).ok());
    r.store_opposition_interval(std::to_string(year), "  0", "1.0");
    r.store_output("EMP");
    r.store_motion('0', "", '0');
    EXPECT_TRUE(save_eph_task(r).ok());
    const Outcome o = run_progr(0);
    EXPECT_EQ(o.error, "");
    // The files' dates of each object, every package year.
    std::map<std::int32_t, std::vector<double>> listed;
    for (const auto& f : fs::directory_iterator(pkg / "el")) {
        const std::string name = f.path().filename().string();
        if (name.size() != 7 || name.compare(0, 3, "opp") != 0) continue;
        for (const OppRecord& x : opposition_file(f.path())) listed[x.number].push_back(x.jd);
    }
    std::ifstream in("opls1.dat", std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        const std::int32_t number = std::stoi(line.substr(0, 6));
        const int count = std::stoi(line.substr(6, 2));
        bool all = true;
        for (int i = 0; i < count && std::getline(in, line); ++i) {
            const double d = std::stod(line.substr(0, 12));
            bool hit = false;
            for (double t : listed[number]) hit |= std::fabs(t - d) <= 0.0005;
            all &= hit;
            ++c.dates;
            c.dates_replaced += hit;
        }
        if (count == 0) continue;
        ++c.objects;
        c.replaced += all;
    }
    return c;
}

TEST_F(Progr, PrdatTakesTheFileDateOfEveryObject) {
    const PrdatCount c = near_opposition_dates(pkg_, 2025);
    EXPECT_GE(c.objects, 20);
    EXPECT_EQ(c.replaced, c.objects);
    EXPECT_EQ(c.dates_replaced, c.dates);
}

TEST(ProgrFullPackage, PrdatTakesTheFileDateForNearlyEveryObject) {
    const fs::path pkg = fs::path(ZELVO_BINARY_DIR) / "package";
    if (!fs::exists(pkg / "work" / "setpar"))
        GTEST_SKIP() << "no full package in the build tree (tools/make_package.sh build build/package)";
    zeltest::ScopedWorkDir dir;
    fs::copy_file(pkg / "work" / "setpar", "setpar");
    LibraryState lib;
    ScopedLibraryState current(lib);
    // The last package year, the farthest from the catalogue epoch, where
    // the catalogue's two-body orbits stray most from the integrated ones.
    int year = 0;
    for (const auto& f : fs::directory_iterator(pkg / "el")) {
        const std::string name = f.path().filename().string();
        if (name.size() == 7 && name.compare(0, 3, "opp") == 0) year = std::max(year, std::atoi(name.c_str() + 3));
    }
    const PrdatCount c = near_opposition_dates(pkg, year);
    std::printf("[ sample   ] %d: %d objects with an opposition, the files' dates for %d (%d of %d dates)\n", year,
                c.objects, c.replaced, c.dates_replaced, c.dates);
    EXPECT_GE(c.objects, 5000);
    EXPECT_GE(c.replaced, 0.99 * c.objects);
}

// ---- Observer modes --------------------------------------------------------------

// Greenwich (code 000 of the bundled list) given in the four ways: the same
// positions, and the header names it as typed.
TEST_F(Progr, ObserverModesGiveTheSameSite) {
    struct Case {
        int mode;
        EphTaskRecord::ObserverEntry entry;
        std::string record2;
    };
    EphTaskRecord::ObserverEntry m1{}, m2{}, m3{}, m4{};
    m1.code = "000";
    m2.code = "000";
    m2.place = "Greenwich";
    m3.site_longitude = "0.0";
    m3.rho_cos_phi = "0.62411";
    m3.rho_sin_phi = "+0.77873";
    // Geodetic latitude and height of rho cos phi' 0.62411, rho sin phi'
    // 0.77873 on the GRS 80 ellipsoid (ERFA eraGc2gd: 51.47718 deg, 67 m).
    m4.geo_longitude = "0.0";
    m4.geo_latitude = "51.477180";
    m4.geo_height = "67";
    const Case cases[] = {
        {1, m1, " 000 Greenwich"},
        {2, m2, " 000 Greenwich"},
        {3, m3, "Longitude=0.0        dxy=0.62411   dz= +0.77873"},
        {4, m4, "Longitude=0.0        Latitude=51.477180  Height= 67"},
    };
    std::vector<std::string> first_lines;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        fs::remove("result.ep4");
        EphTaskRecord r = task("POS", "1", "1");
        ASSERT_TRUE(r.store_centre(3, "TOP", c.mode, c.entry).ok());
        save(r);
        const Outcome o = run_progr(0);
        ASSERT_EQ(o.error, "");
        const auto hat = records("eph.hat");
        EXPECT_EQ(std::string(zio::trim_right(hat[1])), c.record2);
        const auto res = records("result.ep4");
        ASSERT_EQ(res.size(), 9u);
        if (first_lines.empty()) {
            for (const auto& l : res) first_lines.push_back(l);
        } else {
            // R.A. to 0.01 s and Decl. to 0.1": the same site to about 1 m.
            for (std::size_t i = 0; i < res.size(); ++i) EXPECT_EQ(res[i].substr(0, 63), first_lines[i].substr(0, 63));
        }
    }
    // Topocentric and geocentric differ by the parallax (some arcseconds).
    fs::remove("result.ep4");
    save(task("POS", "1", "1"));
    ASSERT_EQ(run_progr(0).error, "");
    EXPECT_NE(records("result.ep4")[3].substr(18, 25), first_lines[3].substr(18, 25));
}

// ---- Restrictions ---------------------------------------------------------------------

TEST_F(Progr, RestrictionsAndSolitaryHeadings) {
    // Magnitude at most 7.0 on the equator (quantity 9): Ceres, Vesta pass,
    // Juno (about 10) does not.
    for (bool reject : {true, false}) {
        SCOPED_TRACE(reject);
        fs::remove("result.ep4");
        EphTaskRecord r = task("EMP", "3", "4");
        std::array<EphTaskRecord::RestrictionEntry, 10> e{};
        e[8].on = true;
        e[8].upper = "9.0";
        r.store_restrictions(true, reject, e);
        save(r);
        const Outcome o = run_progr(0);
        ASSERT_EQ(o.error, "");
        const auto res = records("result.ep4");
        std::vector<std::string> headings;
        for (const auto& l : res)
            if (!blank(l) && l.substr(0, 4) == "    ") headings.push_back(std::string(zio::trim_right(l)));
        if (reject)
            EXPECT_EQ(headings, (std::vector<std::string>{"         4 Vesta"}));
        else
            EXPECT_EQ(headings, (std::vector<std::string>{"         3 Juno", "         4 Vesta"}));
        EXPECT_EQ(res.size(), reject ? 6u : 9u);
    }
}

// ---- Progress and continuation ----------------------------------------------------------

TEST_F(Progr, ProgressRuleOverAThousandDates) {
    // Objects 1-10 over 100 dates each: reports after dates 1, 100, ...,
    // 1000 and once at the end; whole increments adding up to 100, at most 99
    // before the end.
    EphTaskRecord r = task("EMP", "1", "10");
    r.store_arbitrary_interval("20250101.00000", "20250410.00000", "1.0");
    save(r);
    const Outcome o = run_progr(0);
    ASSERT_EQ(o.error, "");
    ASSERT_EQ(g_calls.inc.size(), 12u);
    EXPECT_EQ(g_calls.inc[0], 1);  // a first share of 0.1 is sent as 1 ...
    EXPECT_EQ(g_calls.inc[1], 8);  // ... and taken back from the next (9.9)
    EXPECT_EQ(std::accumulate(g_calls.inc.begin(), g_calls.inc.end(), 0), 100);
    EXPECT_LE(std::accumulate(g_calls.inc.begin(), g_calls.inc.end() - 1, 0), 99);
    EXPECT_EQ(o.percent, 100);
}

TEST_F(Progr, ProgressMeterKeepsTheSentSumTrue) {
    ProgressMeter m;
    double last = 0;
    std::int32_t sent = 0;
    EXPECT_EQ(m.after_date(50, 10, last, sent), std::nullopt);  // no report between
    EXPECT_EQ(m.after_date(1, 0.4, last, sent), 1);
    EXPECT_EQ(m.after_date(100, 0.9, last, sent), 0);  // 0.5 accumulates
    EXPECT_EQ(m.after_date(200, 2.0, last, sent), 1);  // 2.0: the first 1 taken back
    EXPECT_EQ(sent, 2);
    // Near opposition the shares pass 100: the sum stops at 99.
    EXPECT_EQ(m.after_date(300, 150.0, last, sent), 97);
    EXPECT_EQ(sent, 99);
    EXPECT_EQ(m.after_date(400, 160.0, last, sent), 0);
    EXPECT_EQ(sent, 99);
}

TEST_F(Progr, StoppedAndContinuedRunGivesTheSameFile) {
    struct Case {
        const char* name;
        bool nopp;
        char model;
        const char* last;
        int first_stop;   // the report at which the first call stops
        int second_stop;  // and the continuation
    };
    // The integration stops after the first date, in the middle of its block:
    // the continuation goes on from the integrated state of that date.
    for (const Case c : {Case{"arbitrary interval", false, '0', "20", 2, 3},
                         Case{"near opposition", true, '1', "20", 2, 3}, Case{"integration", false, '2', "3", 1, 1}}) {
        SCOPED_TRACE(c.name);
        EphTaskRecord r = task("PSV", "1", c.last);
        r.store_arbitrary_interval("20250101.00000", "20250301.00000", "1.0");
        if (c.nopp) r.store_opposition_interval("2025", "120", "1.0");
        r.store_motion(c.model, "112111111111", '1');
        std::array<EphTaskRecord::RestrictionEntry, 10> e{};
        e[8].on = true;
        e[8].upper = "11.0";
        r.store_restrictions(true, true, e);
        save(r);
        fs::remove("result.ep4");
        fs::remove("opls1.dat");
        const Outcome whole = run_progr(0);
        ASSERT_EQ(whole.error, "");
        const auto want = zeltest::read_bytes("result.ep4");
        const auto want_hat = zeltest::read_bytes("eph.hat");
        ASSERT_GT(want.size(), 82u * 100);

        fs::remove("result.ep4");
        fs::remove("opls1.dat");
        Outcome o = run_progr(0, c.first_stop);
        ASSERT_EQ(o.error, "");
        EXPECT_EQ(o.cont, 1);
        EXPECT_EQ(o.interrupted, 1);
        const int sent_before = std::accumulate(g_calls.inc.begin(), g_calls.inc.end(), 0);
        EXPECT_EQ(o.percent, sent_before);
        EXPECT_LT(zeltest::read_bytes("result.ep4").size(), want.size());
        // The task record changed on disk does not reach the continuation.
        save(task("EMP", "7", "7"));
        o = run_progr(1, c.second_stop);  // and stopped once more
        ASSERT_EQ(o.error, "");
        EXPECT_EQ(o.interrupted, 1);
        int total = sent_before + std::accumulate(g_calls.inc.begin(), g_calls.inc.end(), 0);
        o = run_progr(1);
        ASSERT_EQ(o.error, "");
        EXPECT_EQ(o.interrupted, 0);
        EXPECT_EQ(o.cont, 1);
        EXPECT_EQ(o.percent, 100);
        total += std::accumulate(g_calls.inc.begin(), g_calls.inc.end(), 0);
        EXPECT_EQ(total, 100);
        EXPECT_EQ(zeltest::read_bytes("result.ep4"), want);
        EXPECT_EQ(zeltest::read_bytes("eph.hat"), want_hat);
    }
}

// An integrated object is of full accuracy at every date: the mark "*" of
// column 17 (a two-body or fallback position) is on none of its 30 dates,
// in a whole run and in one stopped after its first report and continued.
TEST_F(Progr, IntegratedDatesCarryNoReducedAccuracyMark) {
    for (int stop : {0, 1}) {
        SCOPED_TRACE(stop ? "stopped and continued" : "whole run");
        EphTaskRecord r = task("POS", "5", "5");
        r.store_arbitrary_interval("20250101.00000", "20250130.00000", "1.0");
        r.store_motion('2', "112111111111", '1');
        save(r);
        fs::remove("result.ep4");
        Outcome o = run_progr(0, stop);
        ASSERT_EQ(o.error, "");
        if (stop) {
            ASSERT_EQ(o.interrupted, 1);
            o = run_progr(1);
            ASSERT_EQ(o.error, "");
        }
        EXPECT_EQ(o.interrupted, 0);
        int dates = 0;
        for (const std::string& l : records("result.ep4")) {
            if (l.compare(0, 4, "2025") != 0) continue;
            ++dates;
            EXPECT_EQ(l[16], ' ') << l;
        }
        EXPECT_EQ(dates, 30);
    }
}

// ---- Failures end the run with a message -------------------------------------------------

// Points the settings of the working directory at a data directory "el2/"
// beside it that holds the package's files but an observatory list cut
// after code 010, as a user's shortened list would be.
void short_observatory_list() {
    auto settings = zeltest::read_bytes("setpar");
    ASSERT_GE(settings.size(), 320u);
    std::string data(settings.begin() + 240, settings.begin() + 320);
    data.erase(data.find_last_not_of(' ') + 1);
    const fs::path el2 = fs::absolute("el2");
    fs::create_directory(el2);
    for (const auto& f : fs::directory_iterator(data))
        if (f.path().filename() != "observat.dat") fs::create_symlink(f.path(), el2 / f.path().filename());
    auto list = zeltest::read_bytes(data + "observat.dat");
    list.resize(11 * 78);
    zeltest::write_bytes((el2 / "observat.dat").string(), list);
    const std::string dir = el2.string() + "/";
    for (std::size_t i = 0; i < 80; ++i) settings[240 + i] = static_cast<std::uint8_t>(i < dir.size() ? dir[i] : ' ');
    zeltest::write_bytes("setpar", settings);
}

TEST_F(Progr, FailuresEndTheRunWithAMessage) {
    struct Case {
        const char* what;
        void (*prepare)(EphTaskRecord&);
        const char* message_part;
    };
    const Case cases[] = {
        {"minor centre without \"minor\"", [](EphTaskRecord& r) { r.set(ef::centreIndex, "13"); }, "\"minor\""},
        {"\"minor\" not a number",
         [](EphTaskRecord& r) {
             r.set(ef::centreIndex, "13");
             zeltest::write_text("minor", "12a");
         },
         "\"minor\""},
        {"non-digit centre", [](EphTaskRecord& r) { r.set(ef::centreIndex, "x3"); }, "columns 152-153"},
        {"unreadable observatory code",
         [](EphTaskRecord& r) {
             EphTaskRecord::ObserverEntry e{};
             e.code = "#12";
             ASSERT_TRUE(r.store_centre(3, "TOP", 1, e).ok());
         },
         "#12"},
        {"observatory not in the list",
         [](EphTaskRecord& r) {
             short_observatory_list();
             EphTaskRecord::ObserverEntry e{};
             e.code = "Z99";
             ASSERT_TRUE(r.store_centre(3, "TOP", 1, e).ok());
         },
         "Z99"},
        {"missing object list",
         [](EphTaskRecord& r) {
             ASSERT_TRUE(r.store_object_list("none.txt").ok());
             r.set(ef::objectKey, "LIST");
         },
         "none.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove("result.ep4");
        fs::remove("eph.hat");
        fs::remove("minor");
        EphTaskRecord r = task();
        c.prepare(r);
        save(r);
        const Outcome o = run_progr(0);
        EXPECT_NE(o.error.find(c.message_part), std::string::npos) << o.error;
        EXPECT_EQ(o.interrupted, 0);
        EXPECT_TRUE(g_calls.inc.empty());
        EXPECT_FALSE(fs::exists("result.ep4"));
        EXPECT_FALSE(fs::exists("eph.hat"));
    }
    // Nothing to continue in a fresh library.
    lib_.reset();
    const Outcome o = run_progr(1);
    EXPECT_NE(o.error.find("no stopped ephemeris run"), std::string::npos) << o.error;
}

// ---- Failed writes, finished runs and continuations ------------------------------------

// A continuation goes on only from a stop: after a run that ended or one
// that failed it is refused and writes nothing; a failed write is reported
// and leaves whole records.
TEST_F(Progr, OnlyAStoppedRunCanBeContinued) {
    EphTaskRecord r = task("PSV", "1", "3");
    r.store_arbitrary_interval("20250101.00000", "20250301.00000", "1.0");
    save(r);
    fs::remove("result.ep4");
    ASSERT_EQ(run_progr(0).error, "");
    const auto whole = zeltest::read_bytes("result.ep4");

    // A run that ended.
    Outcome o = run_progr(1);
    EXPECT_NE(o.error.find("no stopped ephemeris run"), std::string::npos) << o.error;
    EXPECT_EQ(o.interrupted, 0);
    EXPECT_TRUE(g_calls.inc.empty());
    EXPECT_EQ(zeltest::read_bytes("result.ep4"), whole);

    // A run whose result cannot be written: the disk fills in the middle of
    // a record.
    struct Case {
        const char* what;
        int stop_at;  // 0: a new run fails; else stopped first, the continuation fails
    };
    for (const Case c : {Case{"new run", 0}, Case{"continuation", 2}}) {
        SCOPED_TRACE(c.what);
        fs::remove("result.ep4");
        if (c.stop_at != 0) {
            ASSERT_EQ(run_progr(0, c.stop_at).interrupted, 1);
        }
        {
            zeltest::FullDisk disk("result.ep4", 82 * 20 + 30);
            o = run_progr(c.stop_at != 0 ? 1 : 0);
            EXPECT_TRUE(disk.hit());
        }
        EXPECT_NE(o.error.find("result.ep4"), std::string::npos) << o.error;
        EXPECT_EQ(o.interrupted, 0);
        const auto part = zeltest::read_bytes("result.ep4");
        EXPECT_EQ(part.size() % 82, 0u);
        EXPECT_TRUE(std::equal(part.begin(), part.end(), whole.begin()));
        o = run_progr(1);
        EXPECT_NE(o.error.find("no stopped ephemeris run"), std::string::npos) << o.error;
        EXPECT_EQ(zeltest::read_bytes("result.ep4"), part);
    }
}

// A new run that fails before its first date keeps the header of the stopped
// run and the run itself, which goes on to the file of an uninterrupted run.
TEST_F(Progr, AFailedNewRunLeavesTheStoppedRunWhole) {
    EphTaskRecord r = task("PSV", "1", "3");
    r.store_arbitrary_interval("20250101.00000", "20250301.00000", "1.0");
    save(r);
    fs::remove("result.ep4");
    ASSERT_EQ(run_progr(0).error, "");
    const auto whole = zeltest::read_bytes("result.ep4");
    const auto header = zeltest::read_bytes("eph.hat");

    fs::remove("result.ep4");
    ASSERT_EQ(run_progr(0, 2).interrupted, 1);
    // Another task, whose header cannot be written.
    save(task("EMP", "7", "7"));
    {
        zeltest::FullDisk disk("eph.hat", 100);
        const Outcome o = run_progr(0);
        EXPECT_NE(o.error.find("eph.hat"), std::string::npos) << o.error;
    }
    EXPECT_EQ(zeltest::read_bytes("eph.hat"), header);
    // A continuation whose settings cannot be read fails and keeps the run.
    fs::rename("setpar", "setpar.away");
    EXPECT_NE(run_progr(1).error, "");
    fs::rename("setpar.away", "setpar");
    const Outcome o = run_progr(1);
    ASSERT_EQ(o.error, "");
    EXPECT_EQ(o.interrupted, 0);
    EXPECT_EQ(zeltest::read_bytes("result.ep4"), whole);
    EXPECT_EQ(zeltest::read_bytes("eph.hat"), header);
}

// The opposition dates kept for a continuation: a failed write of
// "opls1.dat" fails the run, which cannot be continued.
TEST_F(Progr, AFailedWriteOfTheOppositionDatesIsReported) {
    EphTaskRecord r = task("EMP", "1", "10");
    r.store_opposition_interval("2025", " 60", "5.0");
    save(r);
    fs::remove("result.ep4");
    fs::remove("opls1.dat");
    Outcome o;
    {
        zeltest::FullDisk disk("opls1.dat", 30);
        o = run_progr(0, 2);
    }
    EXPECT_NE(o.error.find("opls1.dat"), std::string::npos) << o.error;
    EXPECT_EQ(o.interrupted, 0);
    EXPECT_NE(run_progr(1).error.find("no stopped ephemeris run"), std::string::npos);
}

// A minor-object centre named by "minor": the header names it.
TEST_F(Progr, MinorObjectCentre) {
    EphTaskRecord r = task("POS", "1", "1");
    r.set(ef::centreIndex, "13");
    zeltest::write_text("minor", "4");
    save(r);
    const Outcome o = run_progr(0);
    ASSERT_EQ(o.error, "");
    const auto hat = records("eph.hat");
    EXPECT_EQ(cols(hat[1], 1, 34), "Center:       4 Vesta             ");
    EXPECT_EQ(records("result.ep4").size(), 9u);
}

}  // namespace
