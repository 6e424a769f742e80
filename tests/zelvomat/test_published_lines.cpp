// Published observation lines of the Minor Planet Center pass the line check
// with the package's observatory list.
#include <gtest/gtest.h>

#include <cstdlib>
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
    // The package's own observatory list: the Minor Planet Center's whole
    // list, turned into "observa1.dat" by the package builder's tool.
    const std::string tool = std::string(ZELVO_BINARY_DIR) + "/tools/mkobserva1";
    const std::string list = std::string(ZELVO_SOURCE_DIR) + "/tools/package/data/ObsCodes.html";
    ASSERT_EQ(std::system((tool + " " + list + " " + data + "observa1.dat > /dev/null").c_str()), 0);
    obswri();
    ASSERT_EQ(zeltest::last_message(), "");
    std::set<std::string> codes;
    for (const std::string& l : lines) codes.insert(l.substr(77, 3));
    EXPECT_GE(codes.size(), 17u);
    for (const std::string& l : lines) {
        SCOPED_TRACE(l);
        int err = -1, first = -1, last = -1, layout = -1;
        cntl(3, 1, &err, &first, &last, &layout, l.data(), static_cast<int>(l.size()));
        EXPECT_EQ(err, 0) << "columns " << first << "-" << last;
        EXPECT_EQ(layout, 2);  // hours, minutes and seconds
    }
}
