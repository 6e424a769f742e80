// Parsing of observation and plate lines in the Minor Planet Center's
// 80-column format: the date, the two angles in their four layouts, the
// magnitude and band, the plate sizes, and the observer of the line's
// observatory. Angles and dates are checked against ERFA (eraTf2a, eraAf2a,
// eraCal2jd), latitudes against ERFA's geodetic conversions on GRS 80.
#include <erfa.h>
#include <erfam.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "core/observer.h"
#include "io/recfile.h"
#include "observatory_fixture.h"
#include "tasks/libstate.h"
#include "tasks/obsline.h"

namespace {

namespace fs = std::filesystem;
using zeltest::mpc_line;
using zeltest::MpcFields;

constexpr double kA = 6378137.0;            // GRS 80 equatorial radius, m
constexpr double kF = 1.0 / 298.257222101;  // GRS 80 flattening
// Earth radii to AU, negated (the stored form of the parallax constants).
constexpr double kRadiiToAu = -6378.137 / 149597870.691;

// A site given by its geodetic coordinates, turned into parallax constants
// (6 decimals, as the list gives them) with ERFA.
constexpr double kSiteLatDeg = -31.2733, kSiteLonDeg = 149.0642, kSiteHeight = 1165.0;

std::string erfa_site_line() {
    double xyz[3];
    eraGd2gce(kA, kF, kSiteLonDeg * ERFA_DD2R, kSiteLatDeg * ERFA_DD2R, kSiteHeight, xyz);
    char buf[96];
    std::snprintf(buf, sizeof buf, "700 %9.5f%8.6f%+9.6fSite made from a geodetic position", kSiteLonDeg,
                  std::hypot(xyz[0], xyz[1]) / kA, xyz[2] / kA);
    return buf;
}

class ObsLine : public ::testing::Test {
protected:
    // A fresh library for each test, current on its thread for the exports.
    zelvomat::LibraryState lib;
    zelvomat::ScopedLibraryState current{lib};
    zeltest::ScopedWorkDir work;
    std::string data_dir;
    zelvomat::io::RecordFile records;

    void SetUp() override {
        data_dir = work.dir_slash() + "el/";
        fs::create_directory(data_dir);
        zeltest::write_observation_settings(data_dir, 2023, 2027);
        write_list(289.59569);
        obswri();
        ASSERT_EQ(zeltest::last_message(), "");
        auto f = zelvomat::io::RecordFile::open(data_dir + "observat.dat", 78, zelvomat::io::OpenMode::Read);
        ASSERT_TRUE(f.ok()) << f.message();
        records = std::move(*f);
    }

    // Lines of the Minor Planet Center's list of observatory codes, and a few
    // made for the tests.
    void write_list(double paranal_lon) {
        char paranal[96];
        std::snprintf(paranal, sizeof paranal, "309 %9.5f0.909943-0.414336Cerro Paranal", paranal_lon);
        zeltest::write_observatory_list(data_dir,
                                        {
                                            {0, "000   0.0000 0.62411 +0.77873 Greenwich"},
                                            {244, "244                           Geocentric Occultation Observation"},
                                            {248, "248                           Hipparcos"},
                                            {309, paranal},
                                            {500, "500   0.000000.000000+0.000000Geocentric"},
                                            {644, "644 243.140220.836325+0.546877Palomar Mountain/NEAT"},
                                            {700, erfa_site_line()},
                                            {701, "701   0.000000.000000-0.990000On the axis, south"},
                                            {702, "005   2.231000.659891+0.748875Line of another code"},
                                            {1412, "E12 149.0642 0.85563 -0.51621 Siding Spring Survey"},
                                        });
    }

    zelvomat::Status parse(const std::string& line, int task, int system = 1) {
        return zelvomat::contr_s1(lib, records, line, task, system);
    }
};

double erfa_jd_minus_2400000(int y, int m, int d, double frac) {
    double djm0 = 0, djm = 0;
    EXPECT_EQ(eraCal2jd(y, m, d, &djm0, &djm), 0);
    return (djm0 - 2400000.0) + djm + frac;
}
double tf2a(char s, int h, int m, double sec) {
    double r = 0;
    EXPECT_EQ(eraTf2a(s, h, m, sec, &r), 0);
    return r;
}
double af2a(char s, int d, int m, double sec) {
    double r = 0;
    EXPECT_EQ(eraAf2a(s, d, m, sec, &r), 0);
    return r;
}

// ---- Date, angles, magnitude and band ------------------------------------------

TEST_F(ObsLine, MpcObservationLines) {
    struct Case {
        const char* what;
        MpcFields f;
        int system;
        int y, m, d;
        double frac;     // the day's fraction as the line is read (5 decimals)
        double ra, dec;  // radians, from ERFA
        double mag;
        char flag;
    };
    // clang-format off
    const Case cases[] = {
        {"numbered (433), R.A. and Decl. in seconds, V band",
         {"00433", ' ', ' ', 'C', "2001 02 03.45678", "10 20 30.12", "+15 30 45.1", "12.3", 'V', "309"},
         1, 2001, 2, 3, 0.45678, tf2a('+', 10, 20, 30.12), af2a('+', 15, 30, 45.1), 12.3, ' '},
        {"provisional K01A00A with discovery asterisk; sixth decimal of the day, third of the seconds "
         "and second of the arc seconds are not read; two-decimal magnitude with band R",
         {"     K01A00A", '*', ' ', 'C', "2001 02 03.456789", "23 59 59.999", "-05 06 07.89", "18.52", 'R', "309"},
         1, 2001, 2, 3, 0.45678, tf2a('+', 23, 59, 59.99), af2a('-', 5, 6, 7.8), 18.5, '*'},
        {"two-decimal magnitude in band V",
         {"     K01A00A", ' ', ' ', 'C', "2001 02 03.45678", "23 59 59.99", "+05 06 07.8", "18.52", 'V', "309"},
         1, 2001, 2, 3, 0.45678, tf2a('+', 23, 59, 59.99), af2a('+', 5, 6, 7.8), 18.5, ' '},
        {"periodic comet 1P, one-decimal seconds, no magnitude",
         {"0001P", ' ', 'K', 'C', "1986 03 09.00000", "00 37 45.2", "+03 53 36.5", "", ' ', "309"},
         1, 1986, 3, 9, 0.0, tf2a('+', 0, 37, 45.2), af2a('+', 3, 53, 36.5), 0.0, ' '},
        {"decimal minutes of time and of arc (points in 38 and 51)",
         {"     K25A00A", ' ', ' ', 'P', "2025 12 31.99999", "10 20.50", "+15 30.8", "17.4", ' ', "309"},
         1, 2025, 12, 31, 0.99999, tf2a('+', 10, 20, 30.0), af2a('+', 15, 30, 48.0), 17.4, ' '},
        {"decimal minutes, southern",
         {"     K25A00A", ' ', ' ', 'P', "2025 01 01.5", "08 15.27", "-12 05.3", "", ' ', "309"},
         1, 2025, 1, 1, 0.5, tf2a('+', 8, 15, 16.2), af2a('-', 12, 5, 18.0), 0.0, ' '},
        {"point in 38 only: seconds layout, the minutes' decimals read as seconds",
         {"     K25A00A", ' ', ' ', 'C', "2025 01 01.5", "10 20.50", "+15 30 45.1", "", ' ', "309"},
         1, 2025, 1, 1, 0.5, tf2a('+', 10, 20, 0.5), af2a('+', 15, 30, 45.1), 0.0, ' '},
        {"band v in column 70",
         {"00433", ' ', ' ', 'C', "2001 02 03.45678", "10 20 30.12", "+15 30 45.1", "12.3v", ' ', "309"},
         1, 2001, 2, 3, 0.45678, tf2a('+', 10, 20, 30.12), af2a('+', 15, 30, 45.1), 12.3, ' '},
        {"band G",
         {"00433", ' ', ' ', 'C', "2001 02 03.45678", "10 20 30.12", "+15 30 45.1", "12.3", 'G', "309"},
         1, 2001, 2, 3, 0.45678, tf2a('+', 10, 20, 30.12), af2a('+', 15, 30, 45.1), 12.3, '*'},
        {"ecliptic longitude in degrees, seconds (point in 42)",
         {"00433", ' ', ' ', 'C', "2001 02 03.45678", "155 07 31.8", "-01 02 03.4", "", ' ', "309"},
         2, 2001, 2, 3, 0.45678, af2a('+', 155, 7, 31.8), af2a('-', 1, 2, 3.4), 0.0, ' '},
        {"degrees and decimal minutes (points in 39 and 51)",
         {"00433", ' ', ' ', 'C', "2001 02 03.45678", "359 59.9", "+89 59.9", "", ' ', "309"},
         3, 2001, 2, 3, 0.45678, af2a('+', 359, 59, 54.0), af2a('+', 89, 59, 54.0), 0.0, ' '},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string line = mpc_line(c.f);
        ASSERT_EQ(line.size(), 80u);
        zelvomat::Status s = parse(line, zelvomat::kTaskOc, c.system);
        ASSERT_TRUE(s.ok()) << s.message();
        const auto& o = lib.parsed_observation;
        // Julian date: the day number and fraction against ERFA, 1e-9 day
        // (86 microseconds; the sum is exact to about 1e-10 day).
        EXPECT_NEAR((o.jd - 2400000) + o.jd_fraction, erfa_jd_minus_2400000(c.y, c.m, c.d, c.frac), 1e-9);
        EXPECT_GE(o.jd_fraction, 0.0);
        EXPECT_LT(o.jd_fraction, 1.0);
        // Angles: 1e-13 rad (rounding of the sums; 2e-8 arc seconds).
        EXPECT_NEAR(o.angle1_rad, c.ra, 1e-13);
        EXPECT_NEAR(o.angle2_rad, c.dec, 1e-13);
        EXPECT_NEAR(o.magnitude, c.mag, 1e-12);
        EXPECT_EQ(o.band_flag, c.flag);
        EXPECT_EQ(o.observatory, 309);
    }
}

TEST(ObsLineBand, FlagOfTheTwoBandColumns) {
    struct Case {
        char c70, c71, flag;
    };
    const Case cases[] = {{' ', ' ', ' '}, {' ', 'V', ' '}, {' ', 'v', ' '}, {' ', 'R', '*'},
                          {'V', ' ', ' '}, {'v', 'R', ' '}, {'B', ' ', '*'}, {'R', 'V', '*'},
                          {'2', 'V', ' '}, {'2', 'R', '*'}, {'0', ' ', ' '}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("columns 70-71 \"") + c.c70 + c.c71 + "\"");
        EXPECT_EQ(zelvomat::band_flag(c.c70, c.c71), c.flag);
    }
}

TEST_F(ObsLine, PlateHalfSizes) {
    struct Case {
        const char* what;
        const char* ra;   // columns 59-63
        const char* dec;  // columns 67-70
        double half_ra, half_dec;
    };
    const Case cases[] = {
        {"both given", " 30.0", " 5.0", 30.0, 5.0},
        {"Decl. from R.A.", "  3.0", "    ", 3.0, 0.75},
        {"whole number when column 62 is blank", " 12  ", "    ", 12.0, 3.0},
        {"R.A. from Decl.", "     ", "10.0", 40.0, 10.0},
        {"whole Decl. when column 69 is blank", "     ", " 5  ", 20.0, 5.0},
        {"implied decimal; whole Decl.", "  305", "25  ", 30.5, 25.0},
        {"neither", "     ", "    ", 0.0, 0.0},
    };
    lib.parsed_observation.magnitude = 14.5;
    lib.parsed_observation.band_flag = '*';
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string line =
            mpc_line({"PLATE 1", ' ', ' ', ' ', "1995 11 20.81250", "03 47 00.00", "+24 07 00.0", "", ' ', "309"});
        line = zeltest::with(line, 59, c.ra);
        line = zeltest::with(line, 67, c.dec);
        zelvomat::Status s = parse(line, zelvomat::kTaskPlate);
        ASSERT_TRUE(s.ok()) << s.message();
        EXPECT_DOUBLE_EQ(lib.parsed_observation.plate_half_ra_min, c.half_ra);
        EXPECT_DOUBLE_EQ(lib.parsed_observation.plate_half_dec_deg, c.half_dec);
        // The magnitude fields are not the plate's: they keep their values.
        EXPECT_EQ(lib.parsed_observation.magnitude, 14.5);
        EXPECT_EQ(lib.parsed_observation.band_flag, '*');
        EXPECT_NEAR(lib.parsed_observation.angle1_rad, tf2a('+', 3, 47, 0.0), 1e-13);
    }
}

// ---- The observer ------------------------------------------------------------

std::string line_at(const char* code) {
    return mpc_line({"00433", ' ', ' ', 'C', "2001 02 03.45678", "10 20 30.12", "+15 30 45.1", "12.3", 'V', code});
}

// Geodetic latitude of the point (rc a, 0, rs a) by ERFA.
double erfa_latitude(double rc, double rs) {
    double xyz[3] = {rc * kA, 0.0, rs * kA}, elong = 0, phi = 0, h = 0;
    EXPECT_EQ(eraGc2gde(kA, kF, xyz, &elong, &phi, &h), 0);
    return phi;
}

TEST_F(ObsLine, ObserverOfListedObservatories) {
    struct Case {
        const char* code;
        double lon_deg, rc, rs;
    };
    const Case cases[] = {
        {"309", 289.59569, 0.909943, -0.414336},
        {"644", 243.14022, 0.836325, 0.546877},
        {"E12", 149.0642, 0.85563, -0.51621},
        {"000", 0.0, 0.62411, 0.77873},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        for (int task : {zelvomat::kTaskIdentification, zelvomat::kTaskOc}) {
            SCOPED_TRACE("task " + std::to_string(task));
            zelvomat::Status s = parse(line_at(c.code), task);
            ASSERT_TRUE(s.ok()) << s.message();
            const auto& site = lib.core.observer_site;
            // Longitude: 1e-15 rad (one division).
            EXPECT_NEAR(site.longitude, c.lon_deg * ERFA_DD2R, 1e-15);
            // Parallax constants in AU: 1e-18 AU (one product of 4e-5 AU).
            EXPECT_NEAR(site.rho_cos_phi, c.rc * kRadiiToAu, 1e-18);
            EXPECT_NEAR(site.rho_sin_phi, c.rs * kRadiiToAu, 1e-18);
            if (task == zelvomat::kTaskOc)
                // The same point through ERFA: 1e-10 rad (2e-5 arc seconds).
                EXPECT_NEAR(site.latitude, erfa_latitude(c.rc, c.rs), 1e-10);
            else
                EXPECT_EQ(site.latitude, 0.0);
        }
    }
}

TEST_F(ObsLine, LatitudeOfASiteMadeByErfa) {
    zelvomat::Status s = parse(line_at("700"), zelvomat::kTaskOc);
    ASSERT_TRUE(s.ok()) << s.message();
    // Parallax constants given to 1e-6 Earth radii (6.4 m) place the site to
    // within 5 m; the latitude is good to 1e-6 rad (6 m on the ground).
    EXPECT_NEAR(lib.core.observer_site.latitude, kSiteLatDeg * ERFA_DD2R, 1e-6);
    EXPECT_NEAR(lib.core.observer_site.longitude, kSiteLonDeg * ERFA_DD2R, 1e-12);
}

TEST_F(ObsLine, GeocentreAndSitesWithoutPlaceKeepListedValues) {
    for (const char* code : {"500", "244", "248"}) {
        SCOPED_TRACE(code);
        lib.core.observer_site = {1.0, 2.0, 3.0, 4.0};
        zelvomat::Status s = parse(line_at(code), zelvomat::kTaskOc);
        ASSERT_TRUE(s.ok()) << s.message();
        EXPECT_EQ(lib.core.observer_site.longitude, 0.0);
        EXPECT_EQ(lib.core.observer_site.latitude, 0.0);
        EXPECT_EQ(lib.core.observer_site.rho_cos_phi, 0.0);
        EXPECT_EQ(lib.core.observer_site.rho_sin_phi, 0.0);
        EXPECT_EQ(lib.parsed_observation.observatory, std::stoi(code));
    }
}

// Code 500 is the geocentre even when the list has no record for it, or a
// record that someone filled with a site.
TEST_F(ObsLine, GeocentreNeedsNoRecord) {
    for (const char* row500 : {"", "500 100.000000.800000+0.600000Edited"}) {
        SCOPED_TRACE(row500);
        std::map<int, std::string> rows{{0, "000   0.0000 0.62411 +0.77873 Greenwich"}};
        if (*row500 != '\0') rows[500] = row500;
        zeltest::write_observatory_list(data_dir, rows);
        fs::remove(data_dir + "observat.dat");
        obswri();
        ASSERT_EQ(zeltest::last_message(), "");
        auto f = zelvomat::io::RecordFile::open(data_dir + "observat.dat", 78, zelvomat::io::OpenMode::Read);
        ASSERT_TRUE(f.ok()) << f.message();
        lib.cached_observatory = {};
        lib.core.observer_site = {1.0, 2.0, 3.0, 4.0};
        zelvomat::Status s = zelvomat::contr_s1(lib, *f, line_at("500"), zelvomat::kTaskOc, 1);
        ASSERT_TRUE(s.ok()) << s.message();
        EXPECT_EQ(lib.core.observer_site.longitude, 0.0);
        EXPECT_EQ(lib.core.observer_site.rho_cos_phi, 0.0);
        EXPECT_EQ(lib.core.observer_site.rho_sin_phi, 0.0);
        EXPECT_EQ(lib.parsed_observation.observatory, 500);
    }
}

TEST_F(ObsLine, SiteOnTheAxisIsAtThePole) {
    zelvomat::Status s = parse(line_at("701"), zelvomat::kTaskOc);
    ASSERT_TRUE(s.ok()) << s.message();
    EXPECT_NEAR(lib.core.observer_site.latitude, -ERFA_DPI / 2.0, 1e-15);
    EXPECT_NEAR(lib.core.observer_site.rho_sin_phi, -0.99 * kRadiiToAu, 1e-18);
}

// ---- The cached observatory ----------------------------------------------------

TEST_F(ObsLine, ConsecutiveLinesOfOneObservatoryUseTheCache) {
    ASSERT_TRUE(parse(line_at("309"), zelvomat::kTaskOc).ok());
    const zelvomat::ObserverSite first = lib.core.observer_site;
    EXPECT_EQ(lib.cached_observatory.number, 309);
    // Another writer of the observer (the ephemeris driver) in between: the
    // next line of the same observatory still gets its own site.
    lib.core.observer_site = {9.0, 9.0, 9.0, 9.0};
    ASSERT_TRUE(parse(line_at("309"), zelvomat::kTaskOc).ok());
    EXPECT_EQ(lib.core.observer_site.longitude, first.longitude);
    EXPECT_EQ(lib.core.observer_site.latitude, first.latitude);
    EXPECT_EQ(lib.core.observer_site.rho_cos_phi, first.rho_cos_phi);
    // Another task's latitude rule: the identification task gets no latitude
    // although the O-C task's record of the same code is cached.
    ASSERT_TRUE(parse(line_at("309"), zelvomat::kTaskIdentification).ok());
    EXPECT_EQ(lib.core.observer_site.latitude, 0.0);
    ASSERT_TRUE(parse(line_at("309"), zelvomat::kTaskOc).ok());
    EXPECT_EQ(lib.core.observer_site.latitude, first.latitude);
}

TEST_F(ObsLine, RebuiltListIsReadAgain) {
    ASSERT_TRUE(parse(line_at("309"), zelvomat::kTaskOc).ok());
    EXPECT_NEAR(lib.core.observer_site.longitude, 289.59569 * ERFA_DD2R, 1e-15);
    // The user corrects the longitude; the list is rebuilt (same size)
    // within one tick of the file system's clock (the file's time is set back
    // to make sure). It is replaced whole, so the next run opens it again.
    const fs::path list = fs::path(data_dir) / "observat.dat";
    const auto time_before = fs::last_write_time(list);
    write_list(289.60000);
    obswri();
    ASSERT_EQ(zeltest::last_message(), "");
    fs::last_write_time(list, time_before);
    auto reopened = zelvomat::io::RecordFile::open(list.string(), 78, zelvomat::io::OpenMode::Read);
    ASSERT_TRUE(reopened.ok()) << reopened.message();
    records = std::move(*reopened);
    ASSERT_TRUE(parse(line_at("309"), zelvomat::kTaskOc).ok());
    EXPECT_NEAR(lib.core.observer_site.longitude, 289.60000 * ERFA_DD2R, 1e-15);
}

// ---- Lines that cannot be parsed -------------------------------------------------

TEST_F(ObsLine, FailuresChangeNothing) {
    struct Case {
        const char* what;
        std::string line;
    };
    const Case cases[] = {
        {"code that does not read", line_at("#12")},
        {"blank code", line_at("   ")},
        {"code beyond the list", line_at("Z99")},
        {"record of another code", line_at("702")},
        {"year that is not a number", zeltest::with(line_at("309"), 16, "20X1")},
        {"seconds with two points", zeltest::with(line_at("309"), 38, ".2.12")},
    };
    ASSERT_TRUE(parse(line_at("644"), zelvomat::kTaskOc).ok());
    const zelvomat::ParsedObservation obs = lib.parsed_observation;
    const zelvomat::ObserverSite site = lib.core.observer_site;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        zelvomat::Status s = parse(c.line, zelvomat::kTaskOc);
        EXPECT_FALSE(s.ok());
        EXPECT_FALSE(s.message().empty());
        EXPECT_EQ(lib.parsed_observation.jd, obs.jd);
        EXPECT_EQ(lib.parsed_observation.angle1_rad, obs.angle1_rad);
        EXPECT_EQ(lib.parsed_observation.observatory, 644);
        EXPECT_EQ(lib.core.observer_site.longitude, site.longitude);
        EXPECT_EQ(lib.core.observer_site.latitude, site.latitude);
        EXPECT_EQ(lib.cached_observatory.number, 644);
    }
}

TEST_F(ObsLine, ShortLineCountsAsBlankPadded) {
    const std::string full = line_at("309");
    EXPECT_FALSE(parse(full.substr(0, 71), zelvomat::kTaskOc).ok());  // the code is cut off
    ASSERT_TRUE(parse(full + "beyond column 80", zelvomat::kTaskOc).ok());
    EXPECT_EQ(lib.parsed_observation.observatory, 309);
}

}  // namespace
