// Set-up of a track plot (Track, inp2) on the small data package: the step
// and the choice between the whole sky and a fitted frame, frames that hold
// the paths the view then draws (MoonSun date by date), and failures that
// are reported to the caller.
#include <erfa.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

#include "core/track.h"
#include "core/utils.h"
#include "small_package.h"
#include "support.h"
#include "zelvomat/zelvomat.h"

namespace {

using zelvomat::kPi;
using zelvomat::kTwoPi;
constexpr double kSmallLastJd = 2462502.5;  // end of the small package's ephemeris file

// Packed civil date YYYYMMDD.ddddd of a Julian date, by ERFA's calendar.
double packed(double jd) {
    int y = 0, m = 0, d = 0;
    double fd = 0;
    EXPECT_EQ(eraJd2cal(jd, 0.0, &y, &m, &d, &fd), 0);
    return y * 10000.0 + m * 100.0 + d + std::round(fd * 1e5) / 1e5;
}

struct Frame {
    double step = -1, ra_from = -1, ra_to = -1, decl_from = -1, decl_to = -1;
    bool whole_sky() const { return ra_from == 0.0 && ra_to == kTwoPi && decl_from == -kPi / 2 && decl_to == kPi / 2; }
};

Frame run_track(std::array<int, 3> objects, double jd1, double jd2) {
    Frame f;
    Track(objects.data(), packed(jd1), packed(jd2), &f.step, &f.ra_from, &f.ra_to, &f.decl_from, &f.decl_to);
    return f;
}

class TrackTest : public zeltest::SmallPackageTest {};

constexpr double kJan2025 = 2460676.5;  // 2025 January 1, 0h

TEST_F(TrackTest, StepAndWholeSky) {
    struct Case {
        const char* what;
        std::array<int, 3> objects;
        double span;  // days, JD2 - JD1
        double step;
        bool whole_sky;
    };
    const Case cases[] = {
        {"equal dates", {1, 0, 0}, 0.0, 1.0, true},
        {"20 days", {1, 0, 0}, 20.0, 1.0, false},
        {"20.5 days", {1, 0, 0}, 20.5, 10.0, false},
        {"200 days", {1, 0, 0}, 200.0, 10.0, false},
        {"200.5 days", {1, 0, 0}, 200.5, 30.0, false},
        {"exactly 1000 days", {1, 0, 0}, 1000.0, 30.0, false},
        {"1000.5 days", {1, 0, 0}, 1000.5, 30.0, true},
        {"backwards over 100 days", {1, 0, 0}, -100.0, 1.0, false},
        {"backwards over 1000.5 days", {1, 0, 0}, -1000.5, 1.0, true},
        {"object in the last slot", {0, 0, 1}, 50.0, 10.0, false},
        {"a planet", {-4, 0, 0}, 50.0, 10.0, false},
        {"two objects", {1, -4, 0}, 30.0, 10.0, true},
        {"two objects over a day", {1, 0, 2}, 1.0, 1.0, true},
        {"three objects", {1, -5, -6}, 300.0, 30.0, true},
        {"no object", {0, 0, 0}, 30.0, 10.0, true},
        {"the Sun", {-10, 0, 0}, 30.0, 10.0, true},
        {"the Moon", {-11, 0, 0}, 30.0, 10.0, true},
        {"the Earth", {-3, 0, 0}, 30.0, 10.0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Frame f = run_track(c.objects, kJan2025, kJan2025 + c.span);
        ASSERT_EQ(errmsg(nullptr, 0), 0);
        EXPECT_EQ(f.step, c.step);
        EXPECT_EQ(f.whole_sky(), c.whole_sky);
        EXPECT_TRUE(state_.core.track.set_up);
        EXPECT_EQ(state_.core.track.objects[0], c.objects[0]);
    }
}

// Right ascension ra inside [from, to], a range that may pass 2 pi.
bool ra_inside(double ra, double from, double to) {
    for (double r : {ra, ra + kTwoPi})
        if (r >= from && r <= to) return true;
    return false;
}

TEST_F(TrackTest, FittedFrameHoldsThePath) {
    struct Case {
        const char* what;
        int object;
        double jd1, jd2;
    };
    const Case cases[] = {
        {"Ceres over 100 days", 1, kJan2025 + 30.0, kJan2025 + 130.0},
        {"Mars through its retrograde loop", -4, kJan2025 - 40.0, kJan2025 + 60.0},
        {"Jupiter over 300 days", -5, kJan2025, kJan2025 + 300.0},
        {"Saturn across 0h", -6, kJan2025, kJan2025 + 270.0},
        {"Venus backwards over 40 days", -2, kJan2025 + 40.0, kJan2025},
        {"Mars beyond the ephemeris file", -4, kSmallLastJd + 200.0, kSmallLastJd + 260.0},
        {"Ceres over 3 days", 1, kJan2025 + 10.0, kJan2025 + 13.0},
    };
    bool crossed_zero = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Frame f = run_track({c.object, 0, 0}, c.jd1, c.jd2);
        ASSERT_EQ(errmsg(nullptr, 0), 0);
        ASSERT_FALSE(f.whole_sky());
        EXPECT_LT(f.ra_from, f.ra_to);
        EXPECT_LT(f.decl_from, f.decl_to);
        EXPECT_LT(f.ra_to - f.ra_from, kPi);
        if (f.ra_to > kTwoPi) crossed_zero = true;
        // The frame is snapped to whole minutes of time and whole degrees.
        const zelvomat::TrackFrame& tf = state_.core.track.frame;
        EXPECT_NEAR(f.ra_from, tf.ra_from_min * kPi / 720.0, 1e-12);
        EXPECT_NEAR(f.decl_to, tf.decl_to_deg * kPi / 180.0, 1e-12);
        // The path the view draws, every quarter day.
        const double from = std::min(c.jd1, c.jd2), to = std::max(c.jd1, c.jd2);
        for (double jd = from; jd <= to; jd += 0.25) {
            double out[5];
            MoonSun(c.object, jd, out);
            ASSERT_EQ(errmsg(nullptr, 0), 0);
            EXPECT_TRUE(ra_inside(out[0], f.ra_from, f.ra_to)) << "JD " << jd << " RA " << out[0];
            EXPECT_GE(out[1], f.decl_from) << "JD " << jd;
            EXPECT_LE(out[1], f.decl_to) << "JD " << jd;
        }
    }
    EXPECT_TRUE(crossed_zero) << "one path should cross 0h";
}

TEST_F(TrackTest, FailuresAreReportedAndLeaveTheOutputs) {
    const std::array<int, 3> missing_object = {state_.core.catalogue.counts.total() + 5, 0, 0};
    const std::array<int, 3> ceres = {1, 0, 0};
    struct Case {
        const char* what;
        std::array<int, 3> objects;
        bool remove_ephemeris;
    };
    const Case cases[] = {
        {"object beyond the catalogue", missing_object, false},
        {"no planetary ephemeris file", ceres, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(zeltest::load_small_package(pkg_, state_.core));
        if (c.remove_ephemeris) state_.core.data_paths.ephemeris_path = dir_.dir_slash() + "none/coorbp";
        Frame f;
        Track(c.objects.data(), 20250101.0, 20250301.0, &f.step, &f.ra_from, &f.ra_to, &f.decl_from, &f.decl_to);
        EXPECT_GT(errmsg(nullptr, 0), 0);
        EXPECT_EQ(f.step, -1.0);
        EXPECT_EQ(f.ra_from, -1.0);
        EXPECT_FALSE(state_.core.track.set_up);
    }
    // The library goes on: a new set-up works.
    ASSERT_TRUE(zeltest::load_small_package(pkg_, state_.core));
    const Frame f = run_track(ceres, kJan2025, kJan2025 + 30.0);
    EXPECT_EQ(errmsg(nullptr, 0), 0);
    EXPECT_EQ(f.step, 10.0);
}

TEST_F(TrackTest, PackedDatesAreCivilDays) {
    const std::array<int, 3> none = {0, 0, 0};
    double step = 0, a = 0, b = 0, c = 0, d = 0;
    // 2025 January 1.5 (noon) and March 1.0 (midnight).
    Track(none.data(), 20250101.5, 20250301.0, &step, &a, &b, &c, &d);
    ASSERT_EQ(errmsg(nullptr, 0), 0);
    double jd1 = 0, jd2 = 0, d1 = 0, d2 = 0;
    ASSERT_EQ(eraCal2jd(2025, 1, 1, &d1, &d2), 0);
    jd1 = d1 + d2 + 0.5;
    ASSERT_EQ(eraCal2jd(2025, 3, 1, &d1, &d2), 0);
    jd2 = d1 + d2;
    EXPECT_NEAR(state_.core.track.jd1, jd1, 1e-9);
    EXPECT_NEAR(state_.core.track.jd2, jd2, 1e-9);
}

}  // namespace
