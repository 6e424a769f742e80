// The O-C task: residual records, the header, the O-C runs in catalogue and
// typed-orbit mode with their continuation and failures, and the selection of
// residuals.
//
// Positions are checked with an object placed by the test: a typed orbit
// whose state at its epoch is the Earth's (JPL DE405 reference states,
// tests/data/de405_excerpt_states.txt) plus 0.6 AU in a chosen direction,
// moving with the Earth's velocity. Seen from the geocentre its geometric
// direction is the chosen one whatever the small difference between the
// observation's TT and the epoch (no relative motion); from a site the
// observer vector of ERFA's sidereal time shifts it.
#include <erfa.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue_fixture.h"
#include "core/catalog.h"
#include "core/datajd.h"
#include "core/elemcache.h"
#include "core/ephem.h"
#include "core/fallback.h"
#include "core/force.h"
#include "core/observer.h"
#include "core/reade403.h"
#include "core/setpar.h"
#include "faults.h"
#include "io/fields.h"
#include "observatory_fixture.h"
#include "support.h"
#include "tasks/ephrecord.h"
#include "tasks/libstate.h"
#include "tasks/obsline.h"
#include "tasks/ocman.h"
#include "zelvomat/zelvomat.h"

using namespace zelvomat;

namespace {

const std::string kData = std::string(ZELVO_TEST_DATA);
constexpr double kEpoch = 2451545.0;  // catalogue epoch
constexpr double kDeg = 0.017453292519943295;
constexpr double kArcsecRad = 4.84813681109536e-6;
constexpr double kRefJd = 2451568.5;  // a date of the reference states
constexpr double kDist = 0.6;         // AU from the Earth to the placed object

std::array<double, 6> elements_deg(double m, double w, double node, double i, double e, double a) {
    return {m * kDeg, w * kDeg, node * kDeg, i * kDeg, e, 0.01720209895 / std::pow(a, 1.5)};
}
const std::array<double, 6> kCeres = elements_deg(6.07, 73.92, 80.49, 10.58, 0.0780, 2.7665);
const std::array<double, 6> kPallas = elements_deg(352.9, 310.3, 173.2, 34.84, 0.2300, 2.7716);
const std::array<double, 6> kVesta = elements_deg(305.9, 150.2, 103.95, 7.13, 0.0896, 2.3613);

// The Earth's heliocentric state (AU, AU/day, equator J2000) of the reference
// file at jd.
std::array<double, 6> earth_state(double jd) {
    std::ifstream in(kData + "/de405_excerpt_states.txt");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream ls(line);
        ls.imbue(std::locale::classic());
        double t = 0;
        int target = 0, c = 0;
        std::array<double, 6> s{};
        ls >> t >> target >> c >> s[0] >> s[1] >> s[2] >> s[3] >> s[4] >> s[5];
        if (ls && t == jd && target == 3 && c == 11) return s;
    }
    ADD_FAILURE() << "no reference Earth at " << jd;
    return {};
}

void put_text(std::vector<std::uint8_t>& b, std::size_t off, const std::string& t, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) b[off + i] = static_cast<std::uint8_t>(i < t.size() ? t[i] : ' ');
}
void put_i16(std::vector<std::uint8_t>& b, std::size_t off, int v) {
    b[off] = static_cast<std::uint8_t>(v & 0xff);
    b[off + 1] = static_cast<std::uint8_t>((v >> 8) & 0xff);
}

// "setpar" of the small package: record 3 the ephemeris file, 4 the data
// directory, 6 the catalogue epoch and counts, package years 1999-2001 and the
// span of the ephemeris excerpt, 9 the entries of "elig", 11-13 Ceres, Pallas and
// Vesta, 14 the comets flag.
void write_package_settings(const std::string& dir, std::int32_t objects, std::int32_t slopes) {
    std::vector<std::uint8_t> s(14 * 80, 0);
    put_text(s, 2 * 80, dir + "coorbp", 80);
    put_text(s, 3 * 80, dir, 80);
    put_text(s, 4 * 80, "", 80);
    zeltest::put64(s, 5 * 80, kEpoch);
    zeltest::put32(s, 5 * 80 + 8, objects);
    zeltest::put32(s, 5 * 80 + 12, objects);
    put_i16(s, 5 * 80 + 20, 1999);
    put_i16(s, 5 * 80 + 22, 2001);
    zeltest::put64(s, 5 * 80 + 24, 2451536.5);
    zeltest::put64(s, 5 * 80 + 32, 2451632.5);
    zeltest::put32(s, 8 * 80 + 4, slopes);
    const std::array<double, 6>* minor[] = {&kCeres, &kPallas, &kVesta};
    for (int k = 0; k < 3; ++k)
        for (std::size_t i = 0; i < 6; ++i)
            zeltest::put64(s, static_cast<std::size_t>(10 + k) * 80 + 8 * i, (*minor[k])[i]);
    zeltest::write_bytes("setpar", s);
}

void copy_file(const std::string& from, const std::string& to) { zeltest::write_bytes(to, zeltest::read_bytes(from)); }

// Observatories: 000 Greenwich, 568 Mauna Kea (the Minor Planet Center's
// parallax constants) and 500 the geocentre.
const std::map<int, std::string> kObservatories = {
    {0, "000   0.00000 0.62411 +0.77873Greenwich"},
    {500, "500   0.00000 0.00000  0.00000Geocentric"},
    {568, "568 204.52780 0.94171 +0.33725Mauna Kea"},
};

// The heading template: three blocks of five lines, one per main plane.
void write_headings(const std::string& dir) {
    std::string t;
    for (int b = 1; b <= 3; ++b)
        for (int l = 1; l <= 5; ++l) t += "block " + std::to_string(b) + " line " + std::to_string(l) + "\r\n";
    zeltest::write_text(dir + "OMC.HD2", t);
}

// Right ascension "HH MM SS.ss" (to 0.01 s) and declination "+DD MM SS.s"
// (to 0.1"), and an angle "DDD MM SS.s" (to 0.1"), rounded from radians.
std::string ra_text(double rad) {
    long long cs = std::llround(rad / (2 * M_PI) * 86400.0 * 100.0);
    cs = ((cs % 8640000) + 8640000) % 8640000;
    char b[32];
    std::snprintf(b, sizeof b, "%02lld %02lld %05.2f", cs / 360000, cs / 6000 % 60,
                  static_cast<double>(cs % 6000) / 100.0);
    return b;
}
std::string dec_text(double rad) {
    const long long ds = std::llround(std::fabs(rad) / kArcsecRad * 10.0);
    char b[32];
    std::snprintf(b, sizeof b, "%c%02lld %02lld %04.1f", rad < 0 ? '-' : '+', ds / 36000, ds / 600 % 60,
                  static_cast<double>(ds % 600) / 10.0);
    return b;
}
std::string deg_text(double rad) {
    long long ds = std::llround(rad / kArcsecRad * 10.0);
    ds = ((ds % 12960000) + 12960000) % 12960000;
    char b[32];
    std::snprintf(b, sizeof b, "%03lld %02lld %04.1f", ds / 36000, ds / 600 % 60, static_cast<double>(ds % 600) / 10.0);
    return b;
}
// The angles the texts stand for (radians).
double ra_of(const std::string& t) {
    return (std::stoi(t.substr(0, 2)) + std::stoi(t.substr(3, 2)) / 60.0 + std::stod(t.substr(6)) / 3600.0) * 15 * kDeg;
}
double dec_of(const std::string& t) {
    const double v = std::stoi(t.substr(1, 2)) + std::stoi(t.substr(4, 2)) / 60.0 + std::stod(t.substr(7)) / 3600.0;
    return (t[0] == '-' ? -v : v) * kDeg;
}

std::string obs_line(const std::string& design, const std::string& date, const std::string& a1, const std::string& a2,
                     const std::string& mag, char band, const std::string& code) {
    zeltest::MpcFields f;
    f.designation = design;
    f.date = date;
    f.ra = a1;
    f.dec = a2;
    f.mag = mag;
    f.band = band;
    f.code = code;
    return zeltest::mpc_line(f);
}

void write_input(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& l : lines) all += l + "\r\n";
    zeltest::write_text("input.oc1", all);
}

std::vector<std::string> result_records(const std::string& name = "result.oc4") {
    const auto b = zeltest::read_bytes(name);
    std::vector<std::string> out;
    for (std::size_t off = 0; off + 70 <= b.size(); off += 70)
        out.emplace_back(reinterpret_cast<const char*>(b.data() + off), 70);
    EXPECT_EQ(b.size() % 70, 0u);
    return out;
}

// Columns first..last (1-based) of a record.
std::string cols(const std::string& rec, std::size_t first, std::size_t last) {
    return rec.substr(first - 1, last - first + 1);
}
double residual(const std::string& rec, int which) {
    const std::string f = which == 1 ? cols(rec, 32, 44) : cols(rec, 45, 57);
    std::string s;
    for (char ch : f)
        if (ch != ' ') s += ch;
    return std::stod(s);
}

// The callback's calls, and when it asks to stop.
struct Calls {
    std::vector<std::pair<int, int>> seen;
    int stop_at = -1;  // stop when done reaches this
};
Calls g_calls;
int record_progress(int done, int total) {
    g_calls.seen.emplace_back(done, total);
    return done == g_calls.stop_at ? 1 : 0;
}

class OcRun : public ::testing::Test {
protected:
    void SetUp() override {
        reset();
        g_calls = {};
        const std::string dir = wd.dir_slash();
        zeltest::write_catalogue(dir, 4, 4, objects(), {{1, " 0.12"}, {3, " 0.00"}}, kEpoch);
        write_package_settings(dir, 4, 2);
        copy_file(kData + "/coorbp_de405_excerpt", dir + "coorbp");
        copy_file(kData + "/ephcorr", dir + "ephcorr");
        copy_file(kData + "/fallback/orb.elm", dir + "orb.elm");
        copy_file(kData + "/fallback/moon.xyz", dir + "moon.xyz");
        write_headings(dir);
        zeltest::write_observatory_list(dir, kObservatories);
        obswri();
        ASSERT_EQ(zeltest::last_message(), "");
        EphTaskRecord rec = EphTaskRecord::oc_defaults();
        ASSERT_TRUE(save_oc_task(rec).ok());
    }
    void TearDown() override { reset(); }
    // The whole library state, files closed, in one call.
    static void reset() { library_state().reset(); }
    static std::vector<zeltest::CatObject> objects() {
        return {{1, "Ceres", "CERES", " 3.34", kCeres},
                {2, "Pallas", "PALLAS", " 4.13", kPallas},
                {3, "Nomag", "NOMAG", " 0.00", kVesta},
                {4, "Vesta", "VESTA", " 3.20", kVesta}};
    }
    // A typed orbit of coordinates named name: the Earth at kRefJd plus
    // kDist towards (ra, dec), with the Earth's velocity; H 15, G 0.15.
    static std::string placed_orbit(const std::string& name, double ra, double dec) {
        const auto e = earth_state(kRefJd);
        double u[3];
        eraS2c(ra, dec, u);
        char b[400];
        std::snprintf(b, sizeof b, "%s 15.0 0.15 %.5f %.15f %.15f %.15f %.15e %.15e %.15e\r\n", name.c_str(), kRefJd,
                      e[0] + kDist * u[0], e[1] + kDist * u[1], e[2] + kDist * u[2], e[3], e[4], e[5]);
        return b;
    }
    // "omc.cfg" for the user's file of coordinates with the column order.
    static void typed_file_task(const std::string& file, const std::string& order, bool elements = false) {
        EphTaskRecord rec = EphTaskRecord::oc_defaults();
        rec.set(eph_field::objectKey, elements ? "FELM" : "FXYZ");
        ASSERT_TRUE(rec.set_name(elements ? eph_field::elementListFile : eph_field::coordinateListFile, file).ok());
        rec.set(elements ? eph_field::elementListOrder : eph_field::coordinateListOrder, order);
        ASSERT_TRUE(save_oc_task(rec).ok());
    }
    struct Run {
        int count = 0, first = 1, last = 0;
        std::string message;
    };
    static Run run(int code, int model, int count, int first, int last, const std::array<int, 12>& pert = {}) {
        Run r{count, first, last, ""};
        O_C(code, model, pert.data(), 0, &r.count, &r.first, &r.last, record_progress);
        r.message = zeltest::last_message();
        return r;
    }
    zeltest::ScopedWorkDir wd;
};

// The date of kRefJd in UT, to 1e-5 day, in the line's form (the UT of the
// line differs from the reference date by Delta T, about a minute).
const std::string kDate = "2000 01 24.99926";

// ---- Residual records ---------------------------------------------------------------

TEST(OcRecords, ResidualFields) {
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {0.04, "          0.0"},         {-0.04, "          0.0"},         {-0.5, "         -0.5"},
        {0.05, "         +0.1"},         {12.34, "        +12.3"},         {-648000.0, "    -648000.0"},
        {1234567890.0, "+1234567890.0"}, {12345678901.0, "*************"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(oc_residual_field(c.value, 13), c.text);
    }
}

TEST(OcRecords, ObservationAndNotFoundRecords) {
    const std::string line =
        obs_line("00433K99A00A", "2000 01 24.12345", "10 20 30.12", "+15 30 45.1", "15.2", 'R', "568");
    const std::string head = "00433K99A00A  2000 01 24.12345";  // columns 1-30
    struct Case {
        bool full;
        double d1, d2;
        bool mag;
        double dm;
        std::string want;  // columns 31-70
    };
    const Case cases[] = {
        {true, 1.24, -0.04, true, -0.31,
         " " + std::string("         +1.2") + "          0.0" + " " + "-" + " 0.3" + "*" + " 568  "},
        {false, -12.0, 3.0, false, 1.0,
         "*" + std::string("        -12.0") + "         +3.0" + std::string(8, ' ') + "568  "},
        {true, 0.0, 0.0, true, 0.02,
         " " + std::string("          0.0") + "          0.0" + " " + " " + " 0.0" + "*" + " 568  "},
        {true, 0.0, 0.0, true, 123.4,
         " " + std::string("          0.0") + "          0.0" + " " + "+" + "****" + "*" + " 568  "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.want);
        EXPECT_EQ(oc_observation_record(line, c.full, c.d1, c.d2, c.mag, c.dm, '*'), head + c.want);
    }
    EXPECT_EQ(oc_not_found_record(line),
              head + std::string(8, ' ') + "Object not found" + std::string(11, ' ') + "568  ");
}

TEST(OcRecords, TypedOrbitRecords) {
    EXPECT_EQ(oc_source_record(true, "", true), io::pad(std::string(19, ' ') + "elements: single orbit", 70));
    const std::string name = "/a/very/long/directory/name/of/orbits/file.txt";
    EXPECT_EQ(oc_source_record(false, name, false), std::string(19, ' ') + "coor&vel: " + name.substr(0, 39) + "  ");
    EXPECT_EQ(oc_orbit_record("2000 AB1", 2), "2000 AB1           orbit     2" + std::string(40, ' '));
    struct Case {
        int status;
        const char* text;
    };
    const Case cases[] = {
        {1, "Eros               orbit     3, format error: Epoch"},
        {2, "Eros               orbit     3, data out of range: Epoch"},
        {3, "                   orbit     3, data are incomplete"},
        {4, "                   orbit     3, data out of range  "},
        {5, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        std::string want = c.text;
        want.resize(70, ' ');
        EXPECT_EQ(oc_refused_record("Eros", 3, c.status, oc_field_label(true, 4)), want);
    }
    EXPECT_EQ(oc_field_label(false, 8), "dX/dt");
    EXPECT_EQ(oc_field_label(true, 13), "q    ");
    EXPECT_EQ(oc_field_label(false, 11), "     ");
}

TEST(OcRecords, HeaderDescription) {
    const std::array<std::int32_t, 12> all{1, 1, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    const std::array<std::int32_t, 12> some{1, 0, 2, 1, 1, 1, 1, 1, 0, 0, 0, 0};
    EXPECT_EQ(oc_description(1, 2, 1, 0, all, false),
              "Ecliptic and equinox 2000.0 Astrometric positions Elliptic motion");
    EXPECT_EQ(oc_description(3, 3, 3, 1, all, false), "Horizon and meridian True Apparent positions Accuracy: Nodes");
    EXPECT_EQ(oc_description(2, 1, 2, 2, some, true),
              "Equator and equinox 1950.0 Geometric positions M0(E,M)MJSUN0000+rS");
}

// ---- Positions ------------------------------------------------------------------------

// Geometric places of the placed object against lines written from the
// chosen direction with known offsets: the residuals are the offsets (the
// first times cos(observed declination)), to the 0.1" of the record. The
// lines' RA 23h59m59s and 0h00m01s around a computed 0h give residuals of
// opposite sign.
TEST_F(OcRun, GeocentricResidualsOfAPlacedObject) {
    struct Case {
        double ra, dec;         // chosen direction (radians), exact in the line's units
        double dra_s, ddec_as;  // offsets written into the line (seconds of time, arcseconds)
    };
    const Case cases[] = {
        {ra_of("10 20 30.12"), dec_of("+15 30 45.1"), 0.0, 0.0},
        {ra_of("10 20 30.12"), dec_of("+15 30 45.1"), 1.0, -2.5},
        {ra_of("10 20 30.12"), dec_of("-65 10 05.0"), -0.37, 12.0},
        {0.0, dec_of("+05 00 00.0"), -1.0, 0.0},
        {0.0, dec_of("+05 00 00.0"), 1.0, 0.0},
    };
    std::string orbits;
    for (std::size_t k = 0; k < std::size(cases); ++k)
        orbits += placed_orbit("P" + std::to_string(k + 1), cases[k].ra, cases[k].dec);
    zeltest::write_text("placed.txt", orbits);
    typed_file_task("placed.txt", "01020304050607080910");
    std::vector<std::string> lines;
    for (const Case& c : cases) {
        const double ra = c.ra + c.dra_s * 15.0 * kArcsecRad, dec = c.dec + c.ddec_as * kArcsecRad;
        lines.push_back(obs_line("     P", kDate, ra_text(ra), dec_text(dec), "", ' ', "500"));
    }
    write_input(lines);
    const Run r = run(211, 0, 0, 1, static_cast<int>(lines.size()));
    ASSERT_EQ(r.message, "");
    const auto recs = result_records();
    const std::size_t per = 5 + lines.size();
    ASSERT_EQ(recs.size(), std::size(cases) * per);
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        // Orbit k compared with line k; the expected values from the texts.
        const Case& c = cases[k];
        const std::string& rec = recs[k * per + 5 + k];
        SCOPED_TRACE(rec);
        const double ra_line = ra_of(ra_text(c.ra + c.dra_s * 15.0 * kArcsecRad));
        const double dec_line = dec_of(dec_text(c.dec + c.ddec_as * kArcsecRad));
        double dra = ra_line - c.ra;
        if (dra > M_PI) dra -= 2 * M_PI;
        if (dra < -M_PI) dra += 2 * M_PI;
        // 0.05" of the record's rounding and 0.001" for the motion between
        // the epoch and the observation.
        EXPECT_NEAR(residual(rec, 1), dra * std::cos(dec_line) / kArcsecRad, 0.051);
        EXPECT_NEAR(residual(rec, 2), (dec_line - c.dec) / kArcsecRad, 0.051);
        EXPECT_EQ(cols(rec, 66, 68), "500");
        EXPECT_EQ(cols(rec, 59, 64), "      ");  // no magnitude in the line
    }
    // Around 0h: -15" and +15" times cos 5 deg.
    EXPECT_NEAR(residual(recs[3 * per + 5 + 3], 1), -15.0 * std::cos(5 * kDeg), 0.051);
    EXPECT_NEAR(residual(recs[4 * per + 5 + 4], 1), 15.0 * std::cos(5 * kDeg), 0.051);
}

// From Mauna Kea and Greenwich the computed place is topocentric: the
// direction of (object - observer), the observer from ERFA's apparent
// sidereal time (IAU 1982 GMST with the IAU 1994 equation of the equinoxes)
// and the listed parallax constants, turned to J2000 by the IAU 1976/1980
// precession-nutation matrix. Lines written from the geocentric direction
// show the parallax as residual.
TEST_F(OcRun, TopocentricResidualsShowTheParallax) {
    const double ra = ra_of("10 20 30.12"), dec = dec_of("+15 30 45.1");
    zeltest::write_text("placed.txt", placed_orbit("P", ra, dec));
    typed_file_task("placed.txt", "01020304050607080910");
    struct Site {
        const char* code;
        double lon_deg, rc, rs;
    };
    const Site sites[] = {{"568", 204.52780, 0.94171, 0.33725}, {"000", 0.0, 0.62411, 0.77873}};
    std::vector<std::string> lines;
    for (const Site& s : sites) lines.push_back(obs_line("     P", kDate, ra_text(ra), dec_text(dec), "", ' ', s.code));
    write_input(lines);
    const Run r = run(211, 0, 0, 1, 2);
    ASSERT_EQ(r.message, "");
    const auto recs = result_records();
    ASSERT_EQ(recs.size(), 7u) << recs.back();
    double u[3];
    eraS2c(ra, dec, u);
    const double ut = 2451567.5 + 0.99926;  // 2000 January 24.99926 UT
    for (std::size_t k = 0; k < 2; ++k) {
        SCOPED_TRACE(sites[k].code);
        const double tt = ut + 64.0 / 86400.0;  // Delta T in 2000 about 64 s (enough for the matrix)
        const double gast = eraGmst82(2400000.5, ut - 2400000.5) + eraEqeq94(2400000.5, tt - 2400000.5);
        const double th = gast + sites[k].lon_deg * kDeg;
        const double re = 6378.137 / 149597870.691;
        double site_tod[3] = {sites[k].rc * re * std::cos(th), sites[k].rc * re * std::sin(th), sites[k].rs * re};
        double np[3][3], site[3];
        eraPnm80(2400000.5, tt - 2400000.5, np);
        eraTrxp(np, site_tod, site);
        double rel[3];
        for (int i = 0; i < 3; ++i) rel[i] = kDist * u[i] - site[i];
        double cra = 0, cdec = 0;
        eraC2s(rel, &cra, &cdec);
        const double ra_line = ra_of(ra_text(ra)), dec_line = dec_of(dec_text(dec));
        const std::string& rec = recs[5 + k];
        // The record's 0.05" and 0.01" for the sidereal time models.
        EXPECT_NEAR(residual(rec, 1), eraAnpm(ra_line - cra) * std::cos(dec_line) / kArcsecRad, 0.06);
        EXPECT_NEAR(residual(rec, 2), (dec_line - cdec) / kArcsecRad, 0.06);
        EXPECT_GT(std::hypot(residual(rec, 1), residual(rec, 2)), 1.0);  // the parallax is seen
    }
}

// Ecliptic places (code 221): the chosen direction turned to the ecliptic of
// J2000 by the IAU 1976 obliquity 23 26' 21.448"; the lines in degrees.
// The magnitude residual against Bowell's H, G formula.
TEST_F(OcRun, EclipticPlacesAndMagnitude) {
    const double ra = ra_of("10 20 30.12"), dec = dec_of("+15 30 45.1");
    zeltest::write_text("placed.txt", placed_orbit("P", ra, dec));
    typed_file_task("placed.txt", "01020304050607080910");
    double u[3], ecl[3];
    eraS2c(ra, dec, u);
    double rx[3][3];
    eraIr(rx);
    eraRx(84381.448 * kArcsecRad, rx);
    eraRxp(rx, u, ecl);
    double lon = 0, lat = 0;
    eraC2s(ecl, &lon, &lat);
    lon = eraAnp(lon);
    // Magnitude: r from the Sun, delta kDist, phase angle at the object.
    const auto e = earth_state(kRefJd);
    double obj[3], to_earth[3];
    for (int i = 0; i < 3; ++i) {
        obj[i] = e[static_cast<std::size_t>(i)] + kDist * u[i];
        to_earth[i] = -kDist * u[i];
    }
    const double r = eraPm(obj);
    double minus_obj[3] = {-obj[0], -obj[1], -obj[2]};
    const double phase = eraSepp(minus_obj, to_earth);
    const double x = std::tan(phase / 2);
    const double phi1 = std::exp(-3.33 * std::pow(x, 0.63)), phi2 = std::exp(-1.87 * std::pow(x, 1.22));
    const double mag = 15.0 + 5 * std::log10(r * kDist) - 2.5 * std::log10(0.85 * phi1 + 0.15 * phi2);
    char mtext[8];
    std::snprintf(mtext, sizeof mtext, "%4.1f", mag + 0.5);
    write_input({obs_line("     P", kDate, deg_text(lon), dec_text(lat), mtext, 'V', "500")});
    const Run r2 = run(221, 0, 0, 1, 1);
    ASSERT_EQ(r2.message, "");
    const auto recs = result_records();
    ASSERT_EQ(recs.size(), 6u);
    const std::string& rec = recs[5];
    SCOPED_TRACE(rec);
    // The line's text rounds to 0.1"; the record to 0.1".
    EXPECT_NEAR(residual(rec, 1), 0.0, 0.11);
    EXPECT_NEAR(residual(rec, 2), 0.0, 0.11);
    const double dm = std::stod(mtext) - mag;
    EXPECT_EQ(cols(rec, 59, 59), dm < 0 ? "-" : "+");
    EXPECT_NEAR(std::stod(cols(rec, 60, 63)), std::fabs(dm), 0.051);
    EXPECT_EQ(cols(rec, 64, 64), " ");  // V band
}

// ---- Runs ---------------------------------------------------------------------------------

std::vector<std::string> catalogue_lines(int n) {
    std::vector<std::string> lines;
    const char* names[] = {"00001", "00004", "Nobody", "00002", "00003"};
    for (int i = 0; i < n; ++i) {
        char date[32];
        std::snprintf(date, sizeof date, "2000 02 %02d.%05d", 1 + i % 25, 10000 + 997 * i);
        const std::string mag = i % 3 == 0 ? "" : "12.5";
        const char* code = i % 2 == 0 ? "568" : "500";
        lines.push_back(obs_line(names[i % 5], date, "10 20 30.12", "+15 30 45.1", mag, 'R', code));
    }
    return lines;
}

// Catalogue mode: one record per line in line order; the not-found record;
// magnitudes blank without an observed magnitude and for an object without
// H and G; the header; the callback every tenth line with (records, total).
TEST_F(OcRun, CatalogueModeRecordsAndHeader) {
    const auto lines = catalogue_lines(25);
    write_input(lines);
    const Run r = run(111, 0, 0, 1, 25);
    ASSERT_EQ(r.message, "");
    EXPECT_EQ(r.count, 25);
    EXPECT_EQ(r.first, 26);
    EXPECT_EQ(r.last, 25);
    const auto recs = result_records();
    ASSERT_EQ(recs.size(), 25u);
    for (std::size_t i = 0; i < recs.size(); ++i) {
        SCOPED_TRACE(recs[i]);
        EXPECT_EQ(cols(recs[i], 1, 13), lines[i].substr(0, 13));
        EXPECT_EQ(cols(recs[i], 15, 30), lines[i].substr(15, 16));
        EXPECT_EQ(cols(recs[i], 66, 68), lines[i].substr(77, 3));
        if (i % 5 == 2) {
            EXPECT_EQ(cols(recs[i], 39, 54), "Object not found");
            continue;
        }
        EXPECT_EQ(cols(recs[i], 31, 31), "*");      // two-body motion
        const bool mag = i % 3 != 0 && i % 5 != 4;  // object 3 has H = G = 0
        EXPECT_EQ(cols(recs[i], 59, 64) == "      ", !mag);
        if (mag) {
            EXPECT_EQ(cols(recs[i], 64, 64), "*");  // R band
        }
    }
    EXPECT_EQ(g_calls.seen, (std::vector<std::pair<int, int>>{{10, 25}, {20, 25}}));
    const auto hat = zeltest::read_bytes("omc.hat");
    ASSERT_EQ(hat.size(), 6u * 70);
    const std::string h(hat.begin(), hat.end());
    EXPECT_EQ(h.substr(0, 70), io::pad("Equator and equinox 2000.0 Astrometric positions Elliptic motion", 70));
    EXPECT_EQ(h.substr(70, 70), io::pad("block 1 line 1", 70));
    EXPECT_FALSE(std::filesystem::exists("rab1.da2"));
}

// A run stopped by the callback after 20 lines returns -20 and first 21; the
// continuation with the counters as returned gives the file of an
// uninterrupted run, for each motion model.
TEST_F(OcRun, CatalogueContinuationGivesTheSameFile) {
    write_input(catalogue_lines(25));
    for (int model : {0, 2}) {
        SCOPED_TRACE(model);
        const std::array<int, 12> pert{1, 1, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1};
        g_calls = {};
        Run whole = run(111, model, 0, 1, 25, pert);
        ASSERT_EQ(whole.message, "");
        const auto expected = zeltest::read_bytes("result.oc4");
        g_calls = {};
        g_calls.stop_at = 20;
        Run part = run(111, model, 0, 1, 25, pert);
        ASSERT_EQ(part.message, "");
        EXPECT_EQ(part.count, -20);
        EXPECT_EQ(part.first, 21);
        g_calls = {};
        O_C(111, model, pert.data(), 0, &part.count, &part.first, &part.last, record_progress);
        ASSERT_EQ(zeltest::last_message(), "");
        EXPECT_EQ(part.count, 25);
        EXPECT_EQ(part.first, 26);
        EXPECT_EQ(zeltest::read_bytes("result.oc4"), expected);
        EXPECT_EQ(g_calls.seen, (std::vector<std::pair<int, int>>{}));  // five lines: no tenth
    }
}

// The disk fills in the middle of a record: the failure is reported, the
// records written stay whole, and the same call with the counters returned
// goes on to the file of an uninterrupted run.
TEST_F(OcRun, AFailedWriteIsReportedAndTheRunGoesOnFromIt) {
    write_input(catalogue_lines(25));
    g_calls = {};
    Run whole = run(111, 0, 0, 1, 25);
    ASSERT_EQ(whole.message, "");
    const auto expected = zeltest::read_bytes("result.oc4");
    Run part;
    {
        zeltest::FullDisk disk("result.oc4", 70 * 12 + 33);
        part = run(111, 0, 0, 1, 25);
    }
    EXPECT_NE(part.message.find("result.oc4"), std::string::npos) << part.message;
    EXPECT_EQ(part.count, 12);
    EXPECT_EQ(part.first, 13);
    EXPECT_EQ(zeltest::read_bytes("result.oc4").size(), 70u * 12);
    O_C(111, 0, nullptr, 0, &part.count, &part.first, &part.last, nullptr);
    ASSERT_EQ(zeltest::last_message(), "");
    EXPECT_EQ(part.count, 25);
    EXPECT_EQ(zeltest::read_bytes("result.oc4"), expected);
}

// Typed-orbit mode: two accepted orbits and three lines give 16 records and
// that total; a refused third orbit adds 4 records (20). Without G in the
// column order the magnitudes stay blank. The continuation of a run stopped
// at 15 records appends from record 16 and gives the same file.
TEST_F(OcRun, TypedOrbitModeCountsAndContinuation) {
    const double ra = ra_of("10 20 30.12"), dec = dec_of("+15 30 45.1");
    std::vector<std::string> lines;
    for (int i = 0; i < 3; ++i)
        lines.push_back(obs_line("     P", kDate, ra_text(ra), dec_text(dec), "15.0", ' ', i == 1 ? "000" : "500"));
    write_input(lines);
    const std::string two = placed_orbit("A", ra, dec) + placed_orbit("B", ra + 0.01, dec);
    struct Case {
        std::string text, order;
        std::size_t records;
        bool magnitudes;
    };
    const Case cases[] = {
        {two, "01020304050607080910", 16, true},
        {two + "C 15.0 0.15\r\n", "01020304050607080910", 20, true},
        {two, "01020004050607080910", 16, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.records);
        zeltest::write_text("orbits.txt", c.text);
        std::string text = c.text;
        if (!c.magnitudes) {  // H only: drop G from the orbits
            std::string t;
            std::istringstream in(c.text);
            for (std::string l; std::getline(in, l);) t += l.substr(0, 7) + l.substr(12) + "\n";
            zeltest::write_text("orbits.txt", t);
        }
        typed_file_task("orbits.txt", c.order);
        g_calls = {};
        const Run r = run(111, 1, 0, 1, 3);
        ASSERT_EQ(r.message, "");
        EXPECT_EQ(r.count, static_cast<int>(c.records));
        EXPECT_EQ(r.first, 1);
        const auto recs = result_records();
        ASSERT_EQ(recs.size(), c.records);
        EXPECT_EQ(cols(recs[1], 20, 41), "coor&vel: orbits.txt  ");
        EXPECT_EQ(cols(recs[3], 1, 30), "A                  orbit     1");
        EXPECT_EQ(cols(recs[11], 1, 30), "B                  orbit     2");
        EXPECT_EQ(cols(recs[5], 59, 59) == " " && cols(recs[5], 60, 63) == "    ", !c.magnitudes);
        if (c.records == 20) {
            EXPECT_EQ(cols(recs[19], 1, 51), "                   orbit     3, data are incomplete");
        }
        // The header says two-body motion: the nodes model is not for typed orbits.
        const auto hat = zeltest::read_bytes("omc.hat");
        EXPECT_EQ(std::string(hat.begin() + 49, hat.begin() + 64), "Elliptic motion");
    }
    // The callback after the tenth line is never reached (6 lines); a
    // longer input stops at 15 records and continues.
    std::vector<std::string> more;
    for (int i = 0; i < 12; ++i) more.push_back(lines[static_cast<std::size_t>(i % 3)]);
    write_input(more);
    zeltest::write_text("orbits.txt", two);
    typed_file_task("orbits.txt", "01020304050607080910");
    g_calls = {};
    const Run whole = run(111, 0, 0, 1, 12);
    ASSERT_EQ(whole.message, "");
    EXPECT_EQ(whole.count, 34);
    EXPECT_EQ(g_calls.seen, (std::vector<std::pair<int, int>>{{15, 34}, {30, 34}}));
    const auto expected = zeltest::read_bytes("result.oc4");
    g_calls = {};
    g_calls.stop_at = 15;
    Run part = run(111, 0, 0, 1, 12);
    EXPECT_EQ(part.count, -15);
    EXPECT_EQ(part.first, 1);
    g_calls = {};
    O_C(111, 0, std::array<int, 12>{}.data(), 0, &part.count, &part.first, &part.last, record_progress);
    ASSERT_EQ(zeltest::last_message(), "");
    EXPECT_EQ(part.count, 34);
    EXPECT_EQ(zeltest::read_bytes("result.oc4"), expected);
    // Nothing computed until the line counter passed 15: the first call back
    // is after the tenth line computed in this call.
    EXPECT_EQ(g_calls.seen, (std::vector<std::pair<int, int>>{{30, 34}}));
}

// Failures reach the caller through errmsg; the notes of the four opening
// failures are written as well; the counters tell how far the run went.
TEST_F(OcRun, FailuresAreReported) {
    write_input(catalogue_lines(3));
    struct Case {
        const char* what;
        std::function<void()> spoil;
        int count_in;
        const char* note;     // note file, or ""
        const char* message;  // part of the message
        int count_out, first_out;
    };
    const Case cases[] = {
        {"no input", [] { std::filesystem::remove("input.oc1"); }, 0, "resoc99.res", "Bad opening of \"Input.oc1\"", 0,
         1},
        {"no ephemeris", [] { std::filesystem::remove("coorbp"); }, -7, "resoc913.res", "Bad opening of \"Lae\"", -7,
         1},
        {"no old result", [] { std::filesystem::remove("result.oc4"); }, -2, "resoc398.res",
         "Bad opening of \"old PTF\"", 2, 1},
        {"no omc.cfg", [] { std::filesystem::remove("omc.cfg"); }, 0, "", "omc.cfg", 0, 1},
        {"no settings", [] { std::filesystem::remove("setpar"); }, 0, "", "setpar", 0, 1},
        {"no template", [] { std::filesystem::remove("OMC.HD2"); }, 0, "", "OMC.HD2", 0, 1},
        {"unknown observatory",
         [] {
             auto l = catalogue_lines(3);
             l[1].replace(77, 3, "Z99");
             write_input(l);
         },
         0, "", "\"input.oc1\" line 2", 1, 2},
        {"input shorter than a line", [] { zeltest::write_text("input.oc1", catalogue_lines(1)[0].substr(0, 40)); }, 0,
         "", "\"input.oc1\" has no line 1: it holds 0 lines", 0, 1},
        {"input shorter than the lines asked",
         [] {
             auto l = catalogue_lines(3);
             l.pop_back();
             write_input(l);
         },
         0, "", "\"input.oc1\" has no line 3: it holds 2 lines", 2, 3},
        {"day fraction 9E+300",
         [] {
             auto l = catalogue_lines(3);
             l[1].replace(25, 6, "9E+300");
             write_input(l);
         },
         0, "", "\"input.oc1\" line 2: The fraction of the day", 1, 2},
        {"input a FIFO", [] { zeltest::replace_by_fifo("input.oc1"); }, 0, "resoc99.res",
         "Bad opening of \"Input.oc1\"", 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // A fresh package for each case.
        TearDown();
        SetUp();
        write_input(catalogue_lines(3));
        c.spoil();
        Run r = run(111, 0, c.count_in, 1, 3);
        EXPECT_NE(r.message.find(c.message), std::string::npos) << r.message;
        EXPECT_EQ(r.count, c.count_out);
        EXPECT_EQ(r.first, c.first_out);
        if (*c.note != '\0') {
            std::ifstream in(c.note);
            std::string l;
            std::getline(in, l);
            EXPECT_EQ(l.substr(0, 16), " Bad opening of ");
        }
        EXPECT_FALSE(std::filesystem::exists("rab1.da2"));
    }
    // Wrong arguments.
    int count = 0, first = 1, last = 3;
    O_C(411, 0, nullptr, 0, &count, &first, &last, nullptr);
    EXPECT_NE(zeltest::last_message(), "");
    O_C(111, 0, nullptr, 0, nullptr, &first, &last, nullptr);
    EXPECT_NE(zeltest::last_message(), "");
}

// ---- Selection ------------------------------------------------------------------------------

std::string data_record(const char* r1, const char* r2, const char* code) {
    std::string rec(70, ' ');
    rec.replace(0, 5, "00433");
    rec.replace(14, 16, "2000 01 24.12345");
    rec.replace(31, 13, io::pad(std::string(13 - std::string(r1).size(), ' ') + r1, 13));
    rec.replace(44, 13, io::pad(std::string(13 - std::string(r2).size(), ' ') + r2, 13));
    rec.replace(65, 3, code);
    return rec;
}

TEST(OcSeparate, LimitsAndObservatories) {
    zeltest::ScopedWorkDir wd;
    std::string not_found = io::pad("Nobody        2000 01 24.12345", 70);
    not_found.replace(38, 16, "Object not found");
    not_found.replace(65, 3, "500");
    std::string source = io::pad("                   coor&vel: /home/user/orbit files/all the orbits.txt", 70);
    const std::vector<std::string> recs = {
        std::string(70, ' '),                           // 1 blank
        source,                                         // 2 typed-orbit source (a path in the code's columns)
        io::pad("A                  orbit     1", 70),  // 3 orbit line
        data_record("+1.0", "-1.0", "500"),             // 4
        data_record("+1.1", "-0.4", "568"),             // 5
        data_record("+1.0", "+0.4", "500"),             // 6
        data_record("+4.9", "+5.0", "568"),             // 7
        data_record("-4.9", "+4.9", "500"),             // 8
        not_found,                                      // 9
        data_record("0.0", "0.0", "000"),               // 10
        data_record("+0.1", "-0.1", "568"),             // 11
    };
    std::string all;
    for (const auto& r : recs) all += r;
    struct Case {
        double min, max;
        int obs;
        std::vector<int> want;  // records copied
    };
    const Case cases[] = {
        // The limits include their end values ("abs(O-C)>=", "abs(O-C)<=")
        // and are taken as given, not rounded to the residuals' decimal.
        {1.0, 1e26, -1, {4, 5, 6, 7, 8}},
        {0.96, 1e26, -1, {4, 5, 6, 7, 8}},
        {0.15, 1e26, -1, {4, 5, 6, 7, 8}},
        {0.1, 1e26, -1, {4, 5, 6, 7, 8, 11}},
        {-1.0, 1e26, -1, {1, 2, 3, 4, 5, 6, 7, 8, 10, 11}},
        {-1.0, 5.0, -1, {4, 5, 6, 7, 8, 10, 11}},
        {-1.0, 1.0, -1, {4, 6, 10, 11}},
        {-1.0, 1e26, 500, {4, 6, 8, 9}},
        {0.5, 4.95, 568, {5}},
        {10.0, 1e26, -1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.min << " " << c.max << " " << c.obs);
        zeltest::write_text("result.oc4", all);
        std::filesystem::remove("result.oc5");
        int count = -5;
        Separate(c.min, c.max, c.obs, &count);
        ASSERT_EQ(zeltest::last_message(), "");
        EXPECT_EQ(count, static_cast<int>(c.want.size()));
        std::vector<std::string> got = result_records("result.oc5");
        std::vector<std::string> want;
        for (int k : c.want) want.push_back(recs[static_cast<std::size_t>(k - 1)]);
        EXPECT_EQ(got, want);
    }
}

TEST(OcSeparate, MissingFileAndBadRecords) {
    zeltest::ScopedWorkDir wd;
    int count = -5;
    Separate(1.0, 1e26, -1, &count);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(zeltest::last_message(), "");
    struct Case {
        std::string rec;
        int obs;
        const char* message;
    };
    const Case cases[] = {
        {data_record("+1.x", "0.0", "500"), -1, "record 2"},
        {data_record("+1.0", "0.0", "#12"), 500, "record 2"},
        // Records of zero bytes (a file padded by another program) are no
        // residuals of zero, with or without limits.
        {std::string(700, '\0'), -1, "record 2: the record is damaged (a zero byte in column 1)"},
        {data_record("+1.0", "0.0", "500").substr(0, 20) + '\0' + data_record("+1.0", "0.0", "500").substr(21), -1,
         "record 2: the record is damaged (a zero byte in column 21)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rec);
        zeltest::write_text("result.oc4", data_record("+2.0", "0.0", "500") + c.rec);
        count = -5;
        Separate(1.0, 1e26, c.obs, &count);
        EXPECT_EQ(count, 0);
        EXPECT_NE(zeltest::last_message().find(c.message), std::string::npos) << zeltest::last_message();
        Separate(-1.0, 1e26, c.obs, &count);
        EXPECT_EQ(count, 0);
        EXPECT_NE(zeltest::last_message().find(c.message), std::string::npos) << zeltest::last_message();
    }
    Separate(1.0, 1e26, -1, nullptr);
    EXPECT_NE(zeltest::last_message(), "");
}

}  // namespace
