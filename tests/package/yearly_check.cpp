// The yearly element files and the catalogue epoch of a built package, read
// back through the library: the element search accepts the sets at the dates
// they are made for, and the positions they give agree with a direct
// integration from the catalogue epoch as closely as the spacing of the sets
// allows.
//
// The package is the small one that tools/make_package.sh builds; its
// directory (OUT_DIR of that script) comes from ZELVO_PACKAGE_DIR.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/catalog.h"
#include "core/datajd.h"
#include "core/destate.h"
#include "core/elmnt.h"
#include "core/force.h"
#include "core/frames.h"
#include "core/radau.h"
#include "core/reade403.h"
#include "core/setpar.h"
#include "core/twobody.h"
#include "core/utils.h"
#include "io/bytes.h"
#include "io/files.h"
#include "io/recfile.h"

using namespace zelvomat;

namespace {

constexpr double kArcsecPerRad = 206264.80624709636;

std::string package_dir() {
    const char* p = std::getenv("ZELVO_PACKAGE_DIR");
    return p != nullptr ? p : "";
}

double jan1(int year) {
    std::int32_t jd = 0;
    double fr = 0.0;
    caljd(year, 1, 1, 0.0, jd, fr, DayStart::Civil);
    return jd + fr;
}

// One object's sets of one year, read straight from the files.
struct ObjectYear {
    std::int32_t first = 0;
    std::vector<ElementSet> sets;
};

struct YearFiles {
    std::vector<std::uint8_t> ad, el;
    ObjectYear of(std::int32_t n) const {
        ObjectYear o;
        const std::int32_t word = io::get_i32(ad, static_cast<std::size_t>(n - 1) * yearly::kIndexRecord);
        o.first = word / yearly::kCountFactor;
        const std::int32_t count = word % yearly::kCountFactor;
        for (std::int32_t j = 0; j < count; ++j) {
            ElementSet s{};
            const std::size_t at = static_cast<std::size_t>(o.first - 1 + j) * yearly::kSetBytes;
            for (std::size_t w = 0; w < yearly::kSetWords; ++w) s[w] = io::get_f64(el, at + 8 * w);
            o.sets.push_back(s);
        }
        return o;
    }
};

class PackageYears : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const std::string dir = package_dir();
        if (dir.empty() || !std::filesystem::exists(dir + "/work/setpar")) return;
        old_dir_ = std::filesystem::current_path();
        std::filesystem::current_path(dir + "/work");
        ready_ = in_par().ok() && catopen().ok() && de_open().ok();
        auto bytes = io::read_file_bytes("setpar");
        if (!bytes) ready_ = false;
        if (ready_) settings_ = *decode_settings(*bytes);
        const PackageInfo& p = package_info();
        for (int y = p.first_year; ready_ && y <= p.last_year; ++y) {
            YearFiles f;
            auto ad = io::read_file_bytes(data_file(files::yearly_index(y)));
            auto el = io::read_file_bytes(data_file(files::yearly_elements(y)));
            if (!ad || !el)
                ready_ = false;
            else {
                f.ad = std::move(*ad);
                f.el = std::move(*el);
            }
            years_.push_back(std::move(f));
        }
    }
    static void TearDownTestSuite() {
        if (!old_dir_.empty()) std::filesystem::current_path(old_dir_);
    }
    void SetUp() override {
        if (!ready_) GTEST_SKIP() << "no built package in ZELVO_PACKAGE_DIR";
    }

    // Present objects of the catalogue.
    static std::vector<std::int32_t> objects() {
        std::vector<std::int32_t> list;
        for (std::int32_t n = 1; n <= package_info().objects; ++n)
            if (catalogue_has(n)) list.push_back(n);
        return list;
    }

    static Status search(std::int32_t n, double jd, OrbitElementsArray& el, ElementFlags& flags) {
        flags = {};
        return elmnt(n, jd, 0, el, flags, data_paths().data_dir);
    }

    static inline std::filesystem::path old_dir_;
    static inline bool ready_ = false;
    static inline PackageSettings settings_;
    static inline std::vector<YearFiles> years_;
};

// The layout that settings record 8 relies on: objects with sets around an
// opposition first, each with its sets spaced evenly over 120 days; then
// the objects with sets through the whole year, beyond the record 8 value.
TEST_F(PackageYears, RecordEightSeparatesWindowsFromWholeYears) {
    const PackageInfo& p = package_info();
    for (int y = p.first_year; y <= p.last_year; ++y) {
        SCOPED_TRACE(y);
        const std::size_t k = static_cast<std::size_t>(y - p.first_year);
        const std::int32_t v = settings_.element_values[k];
        EXPECT_GT(v, 0);
        int windows = 0, whole = 0;
        for (std::int32_t n : objects()) {
            const ObjectYear o = years_[k].of(n);
            if (o.sets.empty()) continue;
            const auto count = static_cast<double>(o.sets.size());
            const double spacing = o.sets[1][0] - o.sets[0][0];
            if (o.first <= v) {
                ++windows;
                EXPECT_LE(o.first + static_cast<std::int32_t>(o.sets.size()) - 1, v) << "object " << n;
                // Nearest set within 60/count days of every date of the window.
                EXPECT_LE(spacing / 2.0, 60.0 / count) << "object " << n;
            } else {
                ++whole;
                EXPECT_LE(o.sets.front()[0], jan1(y) + spacing / 2.0) << "object " << n;
                EXPECT_GE(o.sets.back()[0], jan1(y + 1) - spacing / 2.0) << "object " << n;
            }
            for (std::size_t s = 1; s < o.sets.size(); ++s) EXPECT_NEAR(o.sets[s][0] - o.sets[s - 1][0], spacing, 1e-9);
        }
        EXPECT_GT(windows, 10);
        EXPECT_GE(whole, 1);  // (433) Eros
    }
}

// Every day of every window, and every day of a whole-year object's year,
// that the yearly files serve (J1 - 70 days to J2 + 70 days): the search
// accepts a set that lies within half its spacing of the date (near the turn
// of a year the set of the date's own year, which need not be the nearest
// of all). Dates more than 100 days from every set are not accepted.
TEST_F(PackageYears, SearchAcceptsTheSetsThroughTheYears) {
    const PackageInfo& p = package_info();
    const double from = p.j1 - 70.0, to = p.j2 + 70.0;
    int accepted = 0, refused = 0;
    for (std::int32_t n : objects()) {
        // All sets of the object, each with half its spacing.
        std::vector<std::pair<ElementSet, double>> sets;
        for (const YearFiles& f : years_) {
            const ObjectYear o = f.of(n);
            for (const ElementSet& s : o.sets)
                sets.push_back({s, o.sets.size() > 1 ? (o.sets[1][0] - o.sets[0][0]) / 2.0 : 0.0});
        }
        for (double jd = std::floor(from) + 0.5; jd < to; jd += 1.0) {
            SCOPED_TRACE("object " + std::to_string(n) + " JD " + std::to_string(jd));
            std::vector<ElementSet> covering;
            double nearest = 1e9;
            for (const auto& [set, half] : sets) {
                nearest = std::min(nearest, std::abs(set[0] - jd));
                if (std::abs(set[0] - jd) <= half) covering.push_back(set);
            }
            OrbitElementsArray el{};
            ElementFlags flags;
            const Status s = search(n, jd, el, flags);
            ASSERT_TRUE(s.ok()) << s.message();
            if (!covering.empty()) {
                EXPECT_TRUE(flags.accepted);
                EXPECT_FALSE(flags.from_catalogue);
                // The set returned: its elements, M carried to the date.
                const auto it = std::find_if(covering.begin(), covering.end(), [&](const ElementSet& set) {
                    return el[1] == set[2] && el[5] == set[6] &&
                           std::abs(std::remainder(el[0] - set[1] - set[6] * (jd - set[0]), 2 * kPi)) < 1e-12;
                });
                EXPECT_NE(it, covering.end());
                ++accepted;
            } else if (nearest > 100.0) {
                EXPECT_FALSE(flags.accepted);
                ++refused;
            }
        }
    }
    EXPECT_GT(accepted, 1000);
    EXPECT_GT(refused, 1000);
}

// Direct integration with the model the package uses: the object and Ceres,
// Pallas, Vesta (settings records 11-13) from the catalogue epoch, all
// planets (the Earth and the Moon apart), the Sun's relativistic term; RADAU
// order 11, LL = 10.
struct DirectIntegration {
    std::vector<double> x, v;
    double now = 0.0;
    double size = 0.0;

    DirectIntegration(std::int32_t n, const PackageSettings& s) {
        force_reader_setup();
        MotionModel& m = motion_model();
        m = {};
        m.catalogue_epoch = package_info().catalogue_epoch;
        m.relativity = 1;
        m.minor_perturbers = 3;
        m.perturber_switch.fill(1);
        m.perturber_switch[perturber_index(Perturber::Earth)] = kEarthAndMoon;
        integrated_bodies().count = 1;
        auto push = [&](const OrbitElements& el) {
            StateVector st{};
            EXPECT_TRUE(twobody(0.0, 0, 0.0, el, 0, 0.0, kObliquityJ2000, st).ok());
            x.insert(x.end(), st.begin(), st.begin() + 3);
            v.insert(v.end(), st.begin() + 3, st.end());
        };
        const ElementSet cat = *catelem(n);
        push(OrbitElements::from(cat.data() + 1));
        for (const auto& p : s.perturbers) push(OrbitElements::from(p.data()));
        now = m.catalogue_epoch;
    }
    // Heliocentric equatorial position at jd (dates in one direction from the
    // catalogue epoch, in order).
    Vec3 at(double jd) {
        if (jd != now) {
            std::int32_t nf = 0, ns = 0, ncl = kRadauSecondOrderVelocity;
            ForceContext ctx;
            RadauOptions opt;
            opt.first_size = size;
            opt.next_size = &size;
            const double e = motion_model().catalogue_epoch;
            const Status s = radau(x, v, now - e, jd - e, 5.0, 10, static_cast<std::int32_t>(x.size()), 2, nf, ns, ncl,
                                   11, radau_force_of(force2, ctx), opt);
            EXPECT_TRUE(s.ok()) << s.message() << " " << ctx.failure.message();
            now = jd;
        }
        return {x[0], x[1], x[2]};
    }
};

Vec3 earth_at(double jd) {
    State9 s{};
    EXPECT_TRUE(bodystate(DeReader::Position, jd, 3, 11, s).ok());
    de_state().forget_records();  // the force models' reader runs next
    return {s[0], s[1], s[2]};
}

// Positions from the accepted elements against the integration, every 2
// days through the sets of each year. With sets dt days away the elements
// lack the perturbations of dt days: about a dt^2 / 2 with a perturbing
// acceleration a of a few 1e-8 AU/day^2 (Jupiter on a main-belt orbit), so
// about 1e-6 AU at dt = 7.5 days. Measured on the small package: at most
// 4.5e-7 AU and 0.055" seen from the Earth. Tolerances: 1.5e-6 AU and 0.25"
// for sets 15 days apart; the same for (433) Eros with sets 10 days apart,
// which passes no planet closely in these years.
TEST_F(PackageYears, PositionsAgreeWithDirectIntegration) {
    const double epoch = package_info().catalogue_epoch;
    const PackageInfo& p = package_info();
    const double from = p.j1 - 70.0, to = p.j2 + 70.0;
    std::vector<std::int32_t> chosen = {3, 7, 433, 881};
    const std::vector<std::int32_t> all = objects();
    chosen.push_back(all.back());  // an unnumbered object
    for (std::int32_t n : chosen) {
        SCOPED_TRACE("object " + std::to_string(n));
        ASSERT_TRUE(catalogue_has(n));
        // Dates of the accepted sets, on both sides of the catalogue epoch.
        std::vector<double> dates;
        for (const YearFiles& f : years_) {
            const ObjectYear o = f.of(n);
            if (o.sets.empty()) continue;
            const double half = (o.sets.size() > 1 ? o.sets[1][0] - o.sets[0][0] : 0.0) / 2.0;
            for (double jd = o.sets.front()[0] - half; jd <= o.sets.back()[0] + half; jd += 2.0)
                if (jd >= from && jd < to) dates.push_back(jd);
        }
        std::sort(dates.begin(), dates.end());
        double worst_au = 0.0, worst_arcsec = 0.0;
        for (int sense : {-1, 1}) {
            DirectIntegration direct(n, settings_);
            std::vector<double> side;
            for (double jd : dates)
                if ((jd - epoch) * sense >= 0.0) side.push_back(jd);
            if (sense < 0) std::reverse(side.begin(), side.end());
            for (double jd : side) {
                OrbitElementsArray el{};
                ElementFlags flags;
                ASSERT_TRUE(search(n, jd, el, flags).ok());
                ASSERT_TRUE(flags.accepted) << jd;
                StateVector st{};
                const auto day = static_cast<std::int32_t>(std::floor(jd));
                ASSERT_TRUE(
                    twobody(0.0, day, jd - day, OrbitElements::from(el.data()), day, jd - day, kObliquityJ2000, st)
                        .ok());
                const Vec3 ref = direct.at(jd);
                const Vec3 e = earth_at(jd);
                const double d = std::hypot(st[0] - ref[0], st[1] - ref[1], st[2] - ref[2]);
                const double delta = std::hypot(ref[0] - e[0], ref[1] - e[1], ref[2] - e[2]);
                worst_au = std::max(worst_au, d);
                worst_arcsec = std::max(worst_arcsec, d / delta * kArcsecPerRad);
            }
        }
        std::printf("object %d: %zu dates, largest difference %.2e AU, %.3f arcsec from the Earth\n", n, dates.size(),
                    worst_au, worst_arcsec);
        EXPECT_FALSE(dates.empty());
        EXPECT_LT(worst_au, 1.5e-6);
        EXPECT_LT(worst_arcsec, 0.25);
    }
}

}  // namespace
