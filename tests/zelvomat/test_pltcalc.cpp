// The plate search's own routines: the tangent-plane projection (against
// ERFA), the window of opposition dates, the object lines and header records,
// the sort by right ascension and the result files. The search as a whole is
// checked against an independent computation on real packages by
// tests/plate_search.py.
#include <erfa.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "io/bytes.h"
#include "io/errchan.h"
#include "support.h"
#include "tasks/pltcalc.h"
#include "zelvomat/zelvomat.h"

using namespace zelvomat;

namespace {
constexpr double kRad = 3.14159265358979323846 / 180.0;
}

TEST(Plxy, StandardCoordinatesAgreeWithErfa) {
    struct Case {
        const char* what;
        double ra, dec, ra0, dec0;  // degrees
    } cases[] = {
        {"near the centre, east and north", 10.5, 20.3, 10.0, 20.0},
        {"west and south", 9.0, 18.5, 10.0, 20.0},
        {"across 0h", 359.2, -5.0, 0.5, -4.0},
        {"near the pole", 100.0, 88.0, 300.0, 89.0},
        {"far, 60 degrees away", 70.0, 10.0, 10.0, 10.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        double xi = 0, eta = 0, exi = 0, eeta = 0;
        ASSERT_TRUE(Plxy(c.ra * kRad, c.dec * kRad, c.ra0 * kRad, c.dec0 * kRad, xi, eta));
        ASSERT_EQ(eraTpxes(c.ra * kRad, c.dec * kRad, c.ra0 * kRad, c.dec0 * kRad, &exi, &eeta), 0);
        EXPECT_NEAR(xi, exi, 1e-14);  // rounding only
        EXPECT_NEAR(eta, eeta, 1e-14);
    }
}

TEST(Plxy, NoProjectionFromTheFarHemisphere) {
    // The point opposite the centre would project onto the centre itself.
    double xi = 7, eta = 7;
    EXPECT_FALSE(Plxy(190.0 * kRad, -30.0 * kRad, 10.0 * kRad, 30.0 * kRad, xi, eta));
    EXPECT_FALSE(Plxy(105.0 * kRad, 0.0, 10.0 * kRad, 0.0, xi, eta));  // 95 degrees away
    EXPECT_EQ(xi, 7);
    EXPECT_EQ(eta, 7);
}

TEST(PlateWindow, PredictionFromTheDistanceToTheAntiSolarPoint) {
    // Hand-computed from the rule: w = D - 5, 4D/3 - 25 beyond 60 degrees,
    // 4D/4.63 within 45 degrees, x 1.1 above 130; h = (720/pi) r / 4.63 +
    // 0.15 w with r at least 0.02; H = 2h.
    struct Case {
        const char* what;
        double ra0_deg, anti_deg, half_ra;
        double w, h;
    } cases[] = {
        {"10 degrees east, a small plate (r = 0.02)", 110.0, 100.0, 0.0022, 8.639309, 2.285888},
        {"50 degrees west (r = 0.02)", 50.0, 100.0, 0.01, -45.0, 7.739992},
        {"90 degrees east", 190.0, 100.0, 0.01, 95.0, 15.239992},
        {"120 degrees east: 135 becomes 148.5", 220.0, 100.0, 0.01, 148.5, 23.264992},
        {"across 0h: 6 degrees west", 359.0, 5.0, 0.05, -5.183585, 3.252517},
        {"a large plate, 15 degrees half size", 100.0, 100.0, 15.0 * kRad, 0.0, 12.958963},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const PlateWindow win = plate_window(c.ra0_deg * kRad, c.anti_deg * kRad, c.half_ra, 2460000.5);
        EXPECT_NEAR(win.shift, c.w, 1e-5);  // days; the values above have 6 decimals
        EXPECT_NEAR(win.half, c.h, 1e-5);
        EXPECT_NEAR(win.search, 2.0 * c.h, 1e-5);
        EXPECT_NEAR(win.first, 2460000.5 + c.w - win.search, 1e-5);
        EXPECT_NEAR(win.last, 2460000.5 + c.w + win.search, 1e-5);
    }
}

TEST(PlateLines, ObjectLineColumns) {
    // 5h 06m 07.25s = 76.530208333 degrees; -0 deg 12' 34.5".
    const double ra = (5.0 + 6.0 / 60 + 7.25 / 3600) * 15.0 * kRad;
    const double dec = -(12.0 / 60 + 34.5 / 3600) * kRad;
    const std::string s = plate_object_text(433, true, "Eros", false, ra, dec, 11.25);
    ASSERT_EQ(s.size(), 80u);
    EXPECT_EQ(s.substr(0, 30), "       433 Eros               ");
    EXPECT_EQ(s.substr(30, 13), "*  5  6  7.25");
    EXPECT_EQ(s.substr(43, 17), "      - 0 12 34.5");
    EXPECT_EQ(s.substr(60, 20), "         11.3       ");  // 11.25 rounds away from zero
    // Unnumbered, accepted, a value below one keeps its zero; 23h59m59.999s
    // rounds to 0h.
    const std::string u =
        plate_object_text(900, false, "1994 TH", true, (24.0 - 0.001 / 3600) * 15.0 * kRad, (0.5 / 3600) * kRad, 0.4);
    EXPECT_EQ(u.substr(0, 32), std::string(11, ' ') + "1994 TH" + std::string(14, ' '));
    EXPECT_EQ(u.substr(32, 11), " 0  0  0.00");
    EXPECT_EQ(u.substr(49, 11), "+ 0  0  0.5");
    EXPECT_EQ(u.substr(69, 4), " 0.4");
}

TEST(PlateLines, HeaderRecordsOfBothLayouts) {
    // Seconds layout: blanks in columns 38 and 51.
    std::string sec(80, ' ');
    sec.replace(0, 8, "PLATE-17");
    sec.replace(32, 11, "12 34 56.78");
    sec.replace(44, 11, "-05 06 07.8");
    // 2025-03-05 at 0.25 of the day (UT): JD 2460739.75.
    auto r = plate_header_records(sec, 2460739, 0.75, 30.0, 2.5);
    ASSERT_TRUE(r.ok()) << r.message();
    EXPECT_EQ((*r)[0], "  Plate:  PLATE-17             Full dimension (sqr. degree):   15.0 x   5.0     ");
    EXPECT_EQ((*r)[1], "  Date:   2025  3  5.25000     Center:  R.A.=  12 34 56.78   Decl.= - 5  6  7.8 ");
    // Decimal minutes: points in columns 38 and 51.
    std::string dm(80, ' ');
    dm.replace(32, 8, "02 03.45");
    dm.replace(44, 8, "+10 05.5");
    r = plate_header_records(dm, 2460739, 0.75, 30.0, 2.5);
    ASSERT_TRUE(r.ok()) << r.message();
    EXPECT_EQ((*r)[1].substr(0, 77), "  Date:   2025  3  5.25000     Center:  R.A.=   2  3.45   Decl.= +10  5.5    ");
    // A centre that does not read.
    dm.replace(35, 1, "x");
    EXPECT_FALSE(plate_header_records(dm, 2460739, 0.75, 30.0, 2.5).ok());
}

namespace {

// The order of a sort of 100-key blocks followed by merging, done the long
// way: heap-sort every block, then merge the run of blocks 1 .. b with block
// b + 1, taking the block's entry when the run is exhausted or the run's key
// is not smaller.
std::vector<std::int32_t> block_merge_order(const std::vector<float>& keys) {
    const std::size_t n = keys.size();
    std::vector<std::int32_t> run;
    for (std::size_t first = 0; first < n; first += 100) {
        const std::size_t len = std::min<std::size_t>(100, n - first);
        std::vector<std::int32_t> idx(len);
        Sort0(std::span(keys).subspan(first, len), idx, false);
        for (auto& i : idx) i += static_cast<std::int32_t>(first);
        std::vector<std::int32_t> out;
        std::size_t a = 0, b = 0;
        auto key = [&](std::int32_t k) { return keys[static_cast<std::size_t>(k - 1)]; };
        while (a < run.size() || b < idx.size()) {
            if (b < idx.size() && (a == run.size() || key(run[a]) >= key(idx[b])))
                out.push_back(idx[b++]);
            else
                out.push_back(run[a++]);
        }
        run = std::move(out);
    }
    return run;
}

}  // namespace

TEST(PlateSort, AscendingAndTheBlockMergeOrderAmongEqualKeys) {
    std::mt19937 gen(7);
    for (std::size_t n : {1u, 2u, 100u, 101u, 250u, 1234u}) {
        SCOPED_TRACE(n);
        // Few distinct values, so that many keys are equal.
        std::uniform_int_distribution<int> pick(0, 40);
        std::vector<float> keys(n);
        for (auto& k : keys) k = static_cast<float>(pick(gen)) * 0.15f;
        const auto order = plate_order(keys);
        ASSERT_EQ(order.size(), n);
        std::vector<std::int32_t> sorted(order);
        std::sort(sorted.begin(), sorted.end());
        for (std::size_t i = 0; i < n; ++i) ASSERT_EQ(sorted[i], static_cast<std::int32_t>(i + 1));  // a permutation
        for (std::size_t i = 1; i < n; ++i)
            ASSERT_LE(keys[static_cast<std::size_t>(order[i - 1] - 1)], keys[static_cast<std::size_t>(order[i] - 1)]);
        EXPECT_EQ(order, block_merge_order(keys));
    }
}

TEST(PlateSort, Sort0OrdersAGivenIndex) {
    const std::vector<float> keys{3.0f, 1.0f, 2.0f, 0.5f};
    std::vector<std::int32_t> idx{1, 2, 3, 4};
    Sort0(keys, idx, true);
    EXPECT_EQ(idx, (std::vector<std::int32_t>{4, 2, 3, 1}));
    std::vector<std::int32_t> one{0};
    Sort0(std::span(keys).first(1), one, false);
    EXPECT_EQ(one[0], 1);
}

TEST(PlateSort, ResultFilesAcrossZeroHours) {
    zeltest::ScopedWorkDir dir;
    // 250 objects (batches of 100, 100, 50) on a plate straddling 0h: right
    // ascensions just below 2 pi and just above 0 in mixed order.
    PlateScratch scratch;
    PlateBatch batch;
    std::int32_t total = 0;
    std::vector<float> ras;
    for (int k = 0; k < 250; ++k) {
        const double ra = (k % 2 == 0) ? 0.001 * (k % 37) : 2 * 3.141592653589793 - 0.001 * (1 + k % 41);
        ras.push_back(static_cast<float>(ra));
        const auto i = static_cast<std::size_t>(batch.count++);
        batch.ra[i] = static_cast<float>(ra);
        batch.decl[i] = 0.01f;
        batch.ra_rate[i] = static_cast<float>(k);
        batch.decl_rate[i] = -static_cast<float>(k);
        batch.magnitude[i] = 12.0f;
        batch.accepted[i] = true;
        batch.number[i] = k + 1;
        ++total;
        if (batch.count == PlateBatch::kSize || k == 249) {
            // Formatting only: the lines' texts are set by hand (no catalogue).
            for (int j = 0; j < batch.count; ++j) {
                const auto jj = static_cast<std::size_t>(j);
                scratch.keys.push_back(batch.ra[jj]);
                scratch.lines.push_back(PlateObjectLine::encode("object " + std::to_string(batch.number[jj])));
                scratch.motions.push_back(PlateMotionRecord{batch.ra_rate[jj], batch.decl_rate[jj]}.encode());
            }
            batch.count = 0;
        }
    }
    // An older, longer result stays beyond the new records (never cut).
    zeltest::write_bytes("resul2.pl4", std::vector<std::uint8_t>(16 * 300, 0xEE));
    ASSERT_TRUE(srt_pl(scratch, "result.pl4", "resul2.pl4").ok());
    const auto res = zeltest::read_bytes("result.pl4");
    const auto mot = zeltest::read_bytes("resul2.pl4");
    ASSERT_EQ(res.size(), 250u * 82);
    ASSERT_EQ(mot.size(), 300u * 16);
    EXPECT_EQ(mot[250 * 16], 0xEE);
    double last = -1;
    bool seen_high = false;
    for (std::size_t i = 0; i < 250; ++i) {
        const io::Bytes rec(res.data() + 82 * i, 82);
        EXPECT_EQ(rec[80], 0);
        EXPECT_EQ(rec[81], 0);
        const int k = std::stoi(io::get_text(rec, 7, 10));
        const auto m = PlateMotionRecord::decode(io::Bytes(mot.data() + 16 * i, 16));
        EXPECT_EQ(m.ra_rate, k - 1);  // the motion record belongs to the same object
        EXPECT_EQ(m.decl_rate, -(k - 1));
        const double ra = ras[static_cast<std::size_t>(k - 1)];
        EXPECT_GE(ra, last);
        if (ra > 3)
            seen_high = true;
        else
            EXPECT_FALSE(seen_high) << "an object just after 0h after one just before 24h";
        last = ra;
    }
}

TEST(PltCalc, FailuresReachTheCallerWithoutResults) {
    zeltest::ScopedWorkDir dir;
    // No package here: the settings cannot be read.
    int found = -1;
    const std::string line(80, ' ');
    PltCalc(line.data(), static_cast<int>(line.size()), 25.0, &found);
    EXPECT_EQ(found, 0);
    EXPECT_GT(errmsg(nullptr, 0), 0);
    EXPECT_FALSE(std::filesystem::exists("plt.hat"));
    EXPECT_FALSE(std::filesystem::exists("result.pl4"));
    // Null arguments do not crash.
    PltCalc(nullptr, 80, 25.0, nullptr);
    EXPECT_GT(errmsg(nullptr, 0), 0);
}
