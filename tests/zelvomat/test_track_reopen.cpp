// Closing the library's files (Closlae, when a track window closes) while
// another window still draws: the next position and track requests open the
// planetary ephemeris file and the element catalogue again and give the same
// results as before.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "core/catalog.h"
#include "core/track.h"
#include "small_package.h"
#include "support.h"
#include "zelvomat/zelvomat.h"

namespace {

std::string last_message() {
    char text[512] = {};
    const int n = errmsg(text, static_cast<int>(sizeof text));
    return std::string(text, static_cast<std::size_t>(n > 0 ? n : 0));
}

class TrackReopenTest : public zeltest::SmallPackageTest {};

TEST_F(TrackReopenTest, PositionsAndTracksAfterTheFilesWereClosed) {
    constexpr double kJd = 2460676.5;  // 2025 January 1, 0h
    const int objects[3] = {1, 0, 0};
    struct Body {
        const char* what;
        int number;
    };
    const Body bodies[] = {{"Ceres (catalogue)", 1}, {"the Sun", -10}, {"the Moon", -11}, {"Jupiter", -5}};

    std::array<std::array<double, 5>, 4> before{};
    for (std::size_t i = 0; i < 4; ++i) {
        MoonSun(bodies[i].number, kJd, before[i].data());
        ASSERT_EQ(last_message(), "") << bodies[i].what;
        ASSERT_NE(before[i][0], 0.0) << bodies[i].what;
    }
    double step = 0, r1 = 0, r2 = 0, d1 = 0, d2 = 0;
    Track(objects, 20250101.0, 20250501.0, &step, &r1, &r2, &d1, &d2);
    ASSERT_EQ(last_message(), "");
    const std::array<double, 5> frame{step, r1, r2, d1, d2};

    // One window closes: the files go.
    Closlae();
    ASSERT_FALSE(state_.core.catalogue.open);

    for (std::size_t i = 0; i < 4; ++i) {
        std::array<double, 5> after{};
        MoonSun(bodies[i].number, kJd, after.data());
        EXPECT_EQ(last_message(), "") << bodies[i].what;
        EXPECT_EQ(after, before[i]) << bodies[i].what;
    }
    Closlae();
    step = r1 = r2 = d1 = d2 = 0;
    Track(objects, 20250101.0, 20250501.0, &step, &r1, &r2, &d1, &d2);
    EXPECT_EQ(last_message(), "");
    EXPECT_EQ((std::array<double, 5>{step, r1, r2, d1, d2}), frame);
}

}  // namespace
