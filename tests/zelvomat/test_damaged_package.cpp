// The library on damaged copies of the small data package: files cut while
// the library holds them open, values that are not numbers or cannot be what
// they say, settings that contradict themselves, input fields with numbers
// far out of range, and files that are no regular files. Every case ends with
// a message through errmsg and no result written as a success; none ends the
// process (the sanitizer build runs the same cases).
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "core/catalog.h"
#include "core/elemcache.h"
#include "faults.h"
#include "io/bytes.h"
#include "small_package.h"
#include "support.h"
#include "tasks/ephrecord.h"
#include "tasks/idenew.h"
#include "tasks/libstate.h"
#include "tasks/obsline.h"
#include "tasks/progr.h"
#include "zelvomat/zelvomat.h"

namespace {

namespace fs = std::filesystem;
using namespace zelvomat;
namespace ef = zelvomat::eph_field;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kJan10 = 2460685.5;  // 2025 January 10, 0h: the first date of the ephemeris tasks
constexpr double kJan15 = 2460690.5;  // 2025 January 15, 0h

// ---- Damage ------------------------------------------------------------------------

template <class T>
void patch(const fs::path& p, std::size_t offset, T value) {
    auto b = zeltest::read_bytes(p);
    ASSERT_LE(offset + sizeof(T), b.size()) << p;
    io::put_le<T>(b, offset, value);
    zeltest::write_bytes(p, b);
}

// Every double of a file from byte `from` on becomes value.
void fill_doubles(const fs::path& p, std::size_t from, double value) {
    auto b = zeltest::read_bytes(p);
    for (std::size_t off = from; off + 8 <= b.size(); off += 8) io::put_f64(b, off, value);
    zeltest::write_bytes(p, b);
}

// 80-column lines: an observation of the sky opposite the Sun on 2025
// January 15 (R.A. 7h47m, Decl. +21 degrees), seen from Greenwich; the
// same as a plate line of 2 x 2 hours by 2 x 30 degrees.
std::string observation_line() {
    std::string l(80, ' ');
    l.replace(0, 8, "     TST");
    l.replace(15, 16, "2025 01 15.50000");
    l.replace(32, 23, "07 47 00.00 +21 00 00.0");
    l.replace(77, 3, "000");
    return l;
}
std::string plate_line() {
    std::string l = observation_line();
    l.replace(58, 5, "120.0");
    l.replace(66, 4, "30.0");
    return l;
}

// Byte offset of word `word` (1-based) of the ephemeris record that holds jd,
// by the span of the settings in the working directory.
std::size_t ephemeris_word(double jd, int word) {
    const auto s = zeltest::read_bytes("setpar");
    double first = 0;
    std::memcpy(&first, s.data() + 424, 8);
    const auto record = static_cast<std::size_t>((jd - first) / 32.0) + 3;
    return (record - 1) * 8144 + 8 * static_cast<std::size_t>(word - 1);
}

// ---- The package copy --------------------------------------------------------------

class DamagedPackage : public ::testing::Test {
protected:
    void SetUp() override {
        pkg_ = zeltest::small_package();
        if (pkg_.empty()) GTEST_SKIP() << "the small data package cannot be built here (see package-small/build.log)";
        dir_ = std::make_unique<zeltest::ScopedWorkDir>();
        fresh_copy();
    }

    // The package's data directory copied to "el/" of the working directory
    // and "setpar" pointing at it.
    void fresh_copy() {
        lib_.reset();
        fs::remove_all("el");
        fs::copy(pkg_ / "el", "el", fs::copy_options::recursive);
        fs::copy_file(pkg_ / "work" / "setpar", "setpar", fs::copy_options::overwrite_existing);
        zeltest::write_text("setpath", dir_->dir_slash() + "el/\r\n");
        setpat();
        ASSERT_EQ(zeltest::last_message(), "");
        for (const char* f : {"result.ep4", "result.id4", "result.pl4", "resul2.pl4", "eph.hat", "ide.hat", "plt.hat"})
            fs::remove(f);
    }

    // The library of the test, current on its thread for the exports.
    LibraryState lib_;
    ScopedLibraryState current_{lib_};
    fs::path pkg_;
    std::unique_ptr<zeltest::ScopedWorkDir> dir_;
};

// ---- The tasks, each run as the main program runs it -----------------------------------

struct Outcome {
    std::string error;
    bool wrote_result = false;  // a result that a window would show as a success
};

Outcome run_moonsun(int number, double jd) {
    Inpo();
    if (!zeltest::last_message().empty()) return {zeltest::last_message(), false};
    double out[5] = {1, 1, 1, 1, 1};
    MoonSun(number, jd, out);
    Outcome o{zeltest::last_message(), false};
    for (double v : out) o.wrote_result = o.wrote_result || v != 0.0;
    return o;
}

// The frame of a track of object 1 over January 2025; the outputs must stay
// as they were on failure.
Outcome run_track() {
    Inpo();
    if (!zeltest::last_message().empty()) return {zeltest::last_message(), false};
    const int objects[3] = {1, 0, 0};
    double step = -1, ra1 = -1, ra2 = -1, d1 = -1, d2 = -1;
    Track(objects, 20250101.0, 20250201.0, &step, &ra1, &ra2, &d1, &d2);
    return {zeltest::last_message(), ra1 != -1.0 || ra2 != -1.0 || d1 != -1.0 || d2 != -1.0};
}

Outcome run_idcalc() {
    zeltest::write_text("input.id1", observation_line() + "\r\n");
    int status = 0, first = 1, last = 1;
    IdCalc(&status, &first, &last, 36000.0, 36000.0, nullptr);
    Outcome o{zeltest::last_message(), status > 0};
    return o;
}

Outcome run_pltcalc() {
    const std::string l = plate_line();
    int found = -1;
    PltCalc(l.data(), static_cast<int>(l.size()), 30.0, &found);
    return {zeltest::last_message(), found > 0 || (fs::exists("result.pl4") && fs::file_size("result.pl4") > 0)};
}

// An ephemeris task of objects 1-3 over ten days of 2025, geocentric.
EphTaskRecord basic_task() {
    EphTaskRecord r = EphTaskRecord::defaults();
    r.set(ef::objectKey, "NUMB");
    r.store_numbers("1", "3");
    r.store_frame("SPH", "AST", "EQT", "2000");
    EphTaskRecord::ObserverEntry none{};
    EXPECT_TRUE(r.store_centre(3, "GEO", 1, none).ok());
    r.store_arbitrary_interval("20250110.00000", "20250120.00000", "1.0");
    r.store_output("EMP");
    r.store_motion('0', "", '0');
    return r;
}

// Runs the task as a new run; the result counts as written when
// "result.ep4" holds a line of a date (the year in its first columns).
Outcome run_task(const EphTaskRecord& r) {
    EXPECT_TRUE(save_eph_task(r).ok());
    int cont = 0, interrupted = 2, percent = 0;
    progr(&cont, &interrupted, &percent, nullptr);
    Outcome o{zeltest::last_message(), false};
    if (fs::exists("result.ep4")) {
        const auto b = zeltest::read_bytes("result.ep4");
        for (std::size_t off = 0; off + 82 <= b.size(); off += 82)
            o.wrote_result = o.wrote_result || std::string(reinterpret_cast<const char*>(b.data() + off), 4) == "2025";
    }
    EXPECT_EQ(interrupted, 0);
    return o;
}

// From observatory 000, with the yearly elements.
Outcome run_progr() {
    EphTaskRecord r = basic_task();
    EphTaskRecord::ObserverEntry e{};
    e.code = "000";
    EXPECT_TRUE(r.store_centre(3, "TOP", 1, e).ok());
    r.store_motion('1', "", '0');
    return run_task(r);
}

// The objects of the list file "objects.txt".
Outcome run_progr_list() {
    EphTaskRecord r = basic_task();
    EXPECT_TRUE(r.store_object_list("objects.txt").ok());
    r.set(ef::objectKey, "LIST");
    return run_task(r);
}

Outcome run_nelem() {
    double el[7] = {0, 0, 0, 0, 0, 0, 0};
    Inpo();
    if (!zeltest::last_message().empty()) return {zeltest::last_message(), false};
    NElem(-96, el);  // Mars from "orb.elm" at the catalogue epoch
    Outcome o{zeltest::last_message(), false};
    for (double v : el) o.wrote_result = o.wrote_result || v != 0.0;
    return o;
}

// A file shortened while the library holds it open: reported, never a
// fault of the process; the next request opens the file as it stands.
TEST_F(DamagedPackage, FilesCutWhileHeldOpenAreReported) {
    Inpo();
    ASSERT_EQ(zeltest::last_message(), "");
    const int objects[3] = {-10, 0, 0};
    double step = 0, ra1 = 0, ra2 = 0, d1 = 0, d2 = 0;
    Track(objects, 20250101.0, 20250201.0, &step, &ra1, &ra2, &d1, &d2);
    ASSERT_EQ(zeltest::last_message(), "");
    ASSERT_EQ(run_moonsun(-10, kJan15).error, "");
    ASSERT_EQ(run_moonsun(1, kJan15).error, "");

    // The planetary ephemeris file cut after its first data record, asked
    // for a record not read before (object 1 was integrated from the
    // catalogue epoch, 2025 November, back to January 15).
    const double later = kJan15 + 400.0;
    const auto whole = zeltest::read_bytes("el/coorbp");
    zeltest::cut_file("el/coorbp", 3 * 8144);
    Outcome o = run_moonsun(-10, later);
    EXPECT_NE(o.error.find("has changed since it was opened"), std::string::npos) << o.error;
    EXPECT_FALSE(o.wrote_result);
    o = run_moonsun(-10, later);
    EXPECT_NE(o.error.find("is missing"), std::string::npos) << o.error;
    zeltest::write_bytes("el/coorbp", whole);
    EXPECT_EQ(run_moonsun(-10, later).error, "");

    // The yearly element file of 2025, read by an ephemeris of the nodes
    // model (the directions by number integrate inside the ephemeris file),
    // emptied.
    ASSERT_EQ(run_progr().error, "");
    fs::remove("result.ep4");
    zeltest::cut_file("el/el2025", 0);
    o = run_progr();
    EXPECT_NE(o.error.find("el2025"), std::string::npos) << o.error;
    EXPECT_FALSE(o.wrote_result);
}

// Values that are not numbers, or numbers no file of the package can hold.
TEST_F(DamagedPackage, ValuesThatAreNotNumbersAreErrors) {
    struct Case {
        const char* what;
        std::function<void()> damage;
        std::function<Outcome()> task;
        const char* message;  // part of the message
    };
    const Case cases[] = {
        {"NaN in the ephemeris record of the date", [] { patch("el/coorbp", ephemeris_word(kJan15, 760), kNaN); },
         [] { return run_moonsun(-10, kJan15); }, "coorbp"},
        {"1e308 in the ephemeris record of the date", [] { patch("el/coorbp", ephemeris_word(kJan10, 300), 1e308); },
         run_progr, "coorbp"},
        {"NaN in the ephemeris record, track", [] { patch("el/coorbp", ephemeris_word(2460676.5, 760), kNaN); },
         run_track, "coorbp"},
        {"NaN in the ephemeris record, identification",
         [] { patch("el/coorbp", ephemeris_word(kJan15 + 0.5, 760), kNaN); }, run_idcalc, "coorbp"},
        {"NaN in the ephemeris record, plate search",
         [] { patch("el/coorbp", ephemeris_word(kJan15 + 0.5, 760), kNaN); }, run_pltcalc, "coorbp"},
        {"NaN yearly elements, identification", [] { fill_doubles("el/el2025", 0, kNaN); }, run_idcalc, "el2025"},
        {"NaN yearly elements, plate search", [] { fill_doubles("el/el2025", 0, kNaN); }, run_pltcalc, "el2025"},
        {"NaN yearly elements, ephemeris", [] { fill_doubles("el/el2025", 0, kNaN); }, run_progr, "el2025"},
        {"NaN catalogue elements", [] { fill_doubles("el/elitel", 0, kNaN); }, [] { return run_moonsun(1, 2440000.5); },
         "elitel"},
        {"NaN constants of observatory 000", [] { patch("el/observat.dat", 2, kNaN); }, run_progr,
         "The record of observatory 000 in "},
        {"NaN constants of observatory 000, identification", [] { patch("el/observat.dat", 2, kNaN); }, run_idcalc,
         "observat.dat is damaged: its longitude or parallax constants are not numbers."},
        {"NaN constants of observatory 000, plate search", [] { patch("el/observat.dat", 10, kNaN); }, run_pltcalc,
         "The record of observatory 000 in "},
        {"NaN Delta T", [] { patch("el/ephcorr", 8 * 150, kNaN); }, run_idcalc, "ephcorr"},
        {"huge Delta T", [] { patch("el/ephcorr", 8 * 150, 1e300); }, run_pltcalc, "ephcorr"},
        {"NaN opposition date", [] { fill_doubles("el/opp2025", 0, kNaN); }, run_idcalc, "opp2025"},
        {"NaN planet elements", [] { patch("el/orb.elm", 3 * 48 + 8, kNaN); }, run_nelem, "orb.elm"},
        {"NaN perturbing minor planet", [] { patch("setpar", 10 * 80 + 16, kNaN); }, run_progr, "record 11"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fresh_copy();
        c.damage();
        const Outcome o = c.task();
        EXPECT_NE(o.error.find(c.message), std::string::npos) << o.error;
        EXPECT_FALSE(o.wrote_result);
    }
}

// Settings records 6 and 7 that contradict themselves are refused where the
// settings are read, by every task, with the record named.
TEST_F(DamagedPackage, ContradictingSettingsAreRefused) {
    struct Damage {
        const char* what;
        std::function<void()> apply;
    };
    const Damage damages[] = {
        {"NaN catalogue epoch", [] { patch("setpar", 400, kNaN); }},
        {"more numbered objects than objects", [] { patch<std::int32_t>("setpar", 412, 5000); }},
        {"negative objects", [] { patch<std::int32_t>("setpar", 408, INT_MIN); }},
        {"negative special list", [] { patch<std::int32_t>("setpar", 416, -1); }},
        {"package years swapped", [] { patch<std::int16_t>("setpar", 420, 2030); }},
        {"package years before the calendar", [] { patch<std::int16_t>("setpar", 420, -5); }},
        {"ephemeris span swapped", [] { patch("setpar", 424, 2470000.5); }},
        {"ephemeris span NaN", [] { patch("setpar", 432, kNaN); }},
        {"negative opposition count", [] { patch<std::int32_t>("setpar", 480 + 4, -25); }},
    };
    const struct {
        const char* name;
        Outcome (*run)();
    } tasks[] = {{"IdCalc", run_idcalc}, {"PltCalc", run_pltcalc}, {"progr", run_progr}, {"NElem", run_nelem}};
    for (const Damage& d : damages) {
        for (const auto& t : tasks) {
            SCOPED_TRACE(std::string(d.what) + ", " + t.name);
            fresh_copy();
            d.apply();
            const Outcome o = t.run();
            const bool record7 = std::string(d.what).find("opposition") != std::string::npos;
            if (record7 && std::string(t.name) == "NElem") continue;  // NElem reads no record 7
            EXPECT_NE(o.error.find(record7 ? "record 7" : "record 6"), std::string::npos) << o.error;
            EXPECT_FALSE(o.wrote_result);
        }
    }
}

// A slope list far longer than its file is refused before anything of it is
// held (it used to take gigabytes and seconds).
TEST_F(DamagedPackage, ASlopeListLongerThanItsFileIsRefused) {
    patch<std::int32_t>("setpar", 8 * 80 + 4, 200000000);
    Inpo();
    EXPECT_NE(zeltest::last_message().find("slope parameters"), std::string::npos) << zeltest::last_message();
}

// Fields of input lines and task records with numbers far out of range, and
// arguments of the exports that are not dates: messages, no result, and
// nothing undefined on the way (float-to-integer conversions included).
TEST_F(DamagedPackage, NumbersOutOfRangeAreRefused) {
    struct Case {
        const char* what;
        std::function<Outcome()> run;
        const char* message;
    };
    auto idcalc_with = [](std::size_t col, const char* text) {
        return [col, text] {
            std::string l = observation_line();
            l.replace(col - 1, std::strlen(text), text);
            zeltest::write_text("input.id1", l + "\r\n");
            int status = 0, first = 1, last = 1;
            IdCalc(&status, &first, &last, 36000.0, 36000.0, nullptr);
            return Outcome{zeltest::last_message(), status > 0};
        };
    };
    auto pltcalc_with = [](std::size_t col, const char* text) {
        return [col, text] {
            std::string l = plate_line();
            l.replace(col - 1, std::strlen(text), text);
            int found = -1;
            PltCalc(l.data(), 80, 30.0, &found);
            return Outcome{zeltest::last_message(), found > 0 || fs::exists("result.pl4")};
        };
    };
    auto progr_with = [](std::function<void(EphTaskRecord&)> change) {
        return [change] {
            EphTaskRecord r = basic_task();
            change(r);
            return run_task(r);
        };
    };
    const Case cases[] = {
        {"day fraction 9E+300", idcalc_with(26, "9E+300"), "fraction of the day"},
        {"R.A. seconds 9E+300", idcalc_with(38, "9E+300"), "right ascension"},
        {"declination 99 degrees", idcalc_with(46, "99"), "second angle"},
        {"magnitude 9E99", idcalc_with(66, "9E99"), "magnitude"},
        {"plate size 9E+99", pltcalc_with(59, "9E+99"), "plate size in R.A."},
        {"plate day fraction -9E300", pltcalc_with(26, "-9E300"), "fraction of the day"},
        {"plate Decl. size 80", pltcalc_with(67, "80.0"), "plate size in Decl."},
        {"near-opposition step 1e-300",
         progr_with([](EphTaskRecord& r) { r.store_opposition_interval("2025", " 60", "1.0E-300"); }), "step"},
        {"interval step 1e-12",
         progr_with([](EphTaskRecord& r) { r.store_arbitrary_interval("20250110.00000", "20250112.00000", "1E-12"); }),
         "step"},
        {"date 9E+300",
         progr_with([](EphTaskRecord& r) { r.store_arbitrary_interval("2451545.5E+300", "20250112.00000", "1.0"); }),
         "columns"},
        {"MoonSun at JD 1e300", [] { return run_moonsun(-10, 1e300); }, "JD"},
        {"MoonSun at a NaN date", [] { return run_moonsun(-11, kNaN); }, "JD"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fresh_copy();
        const Outcome o = c.run();
        EXPECT_NE(o.error.find(c.message), std::string::npos) << o.error;
        EXPECT_EQ(o.error.find("internal error"), std::string::npos) << o.error;
        EXPECT_FALSE(o.wrote_result);
    }

    // The exports of dates and positions.
    for (double x : {kNaN, 1e300, -1e300, 1e10}) {
        SCOPED_TRACE(x);
        double y = 7.0;
        DateT(1, x, &y);
        EXPECT_NE(zeltest::last_message(), "");
        DateT(2, x, &y);
        EXPECT_NE(zeltest::last_message(), "");
        EXPECT_EQ(y, 7.0);
        Inpo();
        const int objects[3] = {1, 0, 0};
        double step = -1, ra1 = -1, ra2 = -1, d1 = -1, d2 = -1;
        Track(objects, x, 20250201.0, &step, &ra1, &ra2, &d1, &d2);
        EXPECT_NE(zeltest::last_message(), "");
        EXPECT_EQ(ra1, -1.0);
    }
    const double set[7] = {2451545.0, 0.1, 0.2, 0.3, 0.4, 0.1, 1e-300};
    double px = 7, py = 7, pz = 7;
    TXYZ(set, 2451600.0, &px, &py, &pz, 0.0);
    EXPECT_NE(zeltest::last_message(), "");
    EXPECT_EQ(px, 7.0);
}

// Input files that are no regular files: refused at once, the counters of
// the ephemeris run set; a LIST task's object file that is a FIFO (which
// blocked forever) or /dev/zero (which grew without end).
TEST_F(DamagedPackage, InputFilesThatAreNoRegularFilesAreRefused) {
    for (const char* device : {"fifo", "/dev/zero"}) {
        SCOPED_TRACE(device);
        fresh_copy();
        fs::remove("objects.txt");
        zeltest::write_text("objects.txt", "Ceres\r\n");
        if (std::string(device) == "fifo")
            zeltest::replace_by_fifo("objects.txt");
        else
            zeltest::replace_by_device("objects.txt", device);
        const Outcome o = run_progr_list();
        EXPECT_NE(o.error.find("not a regular file"), std::string::npos) << o.error;
        EXPECT_FALSE(o.wrote_result);
    }
}

}  // namespace
