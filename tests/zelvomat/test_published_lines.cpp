// Published observation lines of the Minor Planet Center pass the line check.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "io/textfile.h"
#include "observatory_fixture.h"
#include "tasks/obsfiles.h"

namespace {

// tests/data/mpc_obs_12893.txt: records of (12893) 1998 QS55 as the Minor
// Planet Center publishes them (tests/data/extract_mpc_lines.py takes them
// from the sample that python3-astroquery ships), 1983 to 2017, from 17
// observatories, photographic and CCD, with and without magnitudes.
std::vector<std::string> published_lines() {
    auto lines = zelvomat::io::read_lines(std::string(ZELVO_TEST_DATA) + "/mpc_obs_12893.txt");
    EXPECT_TRUE(lines.ok()) << lines.message();
    return lines.ok() ? *lines : std::vector<std::string>{};
}

}  // namespace

TEST(PublishedLines, PassTheObservationLineCheck) {
    const auto lines = published_lines();
    ASSERT_GE(lines.size(), 50u);
    zeltest::ScopedWorkDir wd;
    const std::string data = wd.dir_slash() + "el/";
    std::filesystem::create_directory(data);
    zeltest::write_observation_settings(data, 2024, 2028);
    // The line check only asks that each code has its record in the list;
    // the site values here are placeholders.
    std::map<int, std::string> rows;
    for (const std::string& l : lines) {
        const std::string code = l.substr(77, 3);
        auto n = zelvomat::obs_n(code);
        ASSERT_TRUE(n.ok()) << code;
        rows[*n] = code + " 100.0000 0.80000 +0.60000 Observatory " + code;
    }
    zeltest::write_observatory_list(data, rows);
    obswri();
    ASSERT_EQ(zeltest::last_message(), "");
    for (const std::string& l : lines) {
        SCOPED_TRACE(l);
        int err = -1, first = -1, last = -1, layout = -1;
        cntl(3, 1, &err, &first, &last, &layout, l.data(), static_cast<int>(l.size()));
        EXPECT_EQ(err, 0) << "columns " << first << "-" << last;
        EXPECT_EQ(layout, 2);  // hours, minutes and seconds
    }
}
