// Published observation lines of the Minor Planet Center pass the line check
// with the package's observatory list and read at the precision they are
// written.
#include <erfa.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <tuple>

#include "io/recfile.h"
#include "io/textfile.h"
#include "observatory_fixture.h"
#include "tasks/libstate.h"
#include "tasks/linecheck.h"
#include "tasks/obsfiles.h"
#include "tasks/obsline.h"

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

// Published lines read at the precision they are written: the same lines cut
// to whole seconds of time and of arc ("20 52 03" followed by blanks, as lines
// of lower precision are published) read as whole seconds, not as the
// hundredths and tenths that the fixed-column rule would imply; a field
// without a point whose digits fill it to its last column keeps the implied
// decimals. The angles are checked against ERFA.
TEST(PublishedLines, SecondsWithoutAPointAtThePrecisionWritten) {
    const auto lines = published_lines();
    ASSERT_GE(lines.size(), 50u);
    zeltest::ScopedWorkDir wd;
    zelvomat::LibraryState lib;  // the settings of this directory
    zelvomat::ScopedLibraryState current(lib);
    const std::string data = wd.dir_slash() + "el/";
    std::filesystem::create_directory(data);
    zeltest::write_observation_settings(data, 2024, 2028);
    std::map<int, std::string> rows;
    for (const std::string& l : lines) {
        auto n = zelvomat::obs_n(l.substr(77, 3));
        ASSERT_TRUE(n.ok());
        rows[*n] = l.substr(77, 3) + " 100.0000 0.80000 +0.60000 Observatory";
    }
    zeltest::write_observatory_list(data, rows);
    obswri();
    ASSERT_EQ(zeltest::last_message(), "");
    auto records = zelvomat::io::RecordFile::open(data + "observat.dat", 78, zelvomat::io::OpenMode::Read);
    ASSERT_TRUE(records.ok()) << records.message();

    auto number = [](const std::string& l, std::size_t col, std::size_t width) {
        return std::stoi(l.substr(col - 1, width));
    };
    auto ra_of = [](int h, int m, double s) {
        double r = 0;
        EXPECT_EQ(eraTf2a('+', h, m, s, &r), 0);
        return r;
    };
    auto dec_of = [](char sign, int d, int m, double s) {
        double r = 0;
        EXPECT_EQ(eraAf2a(sign, d, m, s, &r), 0);
        return r;
    };
    for (const std::string& published : lines) {
        SCOPED_TRACE(published);
        const int h = number(published, 33, 2), m = number(published, 36, 2), s = number(published, 39, 2);
        const char sign = published[44];
        const int d = number(published, 46, 2), am = number(published, 49, 2), as = number(published, 52, 2);
        // Whole seconds: the decimals and the points replaced by blanks.
        std::string low = published;
        low.replace(40, 4, "    ");
        low.replace(53, 3, "   ");
        // Hundredths of a second written without a point, filling the field
        // to its last column ("03 89" in columns 39-43).
        std::string filled = published;
        filled[40] = ' ';
        filled[43] = ' ';
        const double hundredths = std::stod(published.substr(38, 5));
        for (const auto& [line, ra, dec] :
             {std::tuple{low, ra_of(h, m, s), dec_of(sign, d, am, as)},
              std::tuple{filled, ra_of(h, m, hundredths), dec_of(sign, d, am, std::stod(published.substr(51, 4)))}}) {
            SCOPED_TRACE(line);
            int err = -1, first = -1, last = -1, layout = -1;
            cntl(3, 1, &err, &first, &last, &layout, line.data(), static_cast<int>(line.size()));
            ASSERT_EQ(err, 0) << "columns " << first << "-" << last;
            const zelvomat::Status st = zelvomat::contr_s1(lib, *records, line, zelvomat::kTaskOc, 1);
            ASSERT_TRUE(st.ok()) << st.message();
            // 1e-12 rad: the sums of the parts (2e-7 arc seconds).
            EXPECT_NEAR(lib.parsed_observation.angle1_rad, ra, 1e-12);
            EXPECT_NEAR(lib.parsed_observation.angle2_rad, dec, 1e-12);
        }
    }
    // The check reads the fields by the same rule: 75 whole seconds are out
    // of range (read as 0.75 s they would pass).
    std::string bad = lines.front();
    bad.replace(38, 5, "75   ");
    int err = -1, first = -1, last = -1, layout = -1;
    cntl(3, 1, &err, &first, &last, &layout, bad.data(), static_cast<int>(bad.size()));
    EXPECT_EQ(err, 2);
    EXPECT_EQ(first, 33);
    EXPECT_EQ(last, 43);
}
