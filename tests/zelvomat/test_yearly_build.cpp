// The package builder's assembly of the yearly element files from its
// workers' scratch files (tools/mkyearly, mode "assemble"), on scratch files
// written here: no integration.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/catalog.h"
#include "core/elemcache.h"
#include "core/elmnt.h"
#include "io/bytes.h"
#include "support.h"

using namespace zelvomat;
namespace fs = std::filesystem;

namespace {

constexpr int kFirstYear = 2024, kLastYear = 2028, kYears = kLastYear - kFirstYear + 1;
constexpr int kSets = 8;  // a year's sets around an opposition

// Set s (0-based) of object n in year y: the values tell object, year and
// set apart.
ElementSet fake_set(std::int32_t n, int y, int s) {
    return {2460000.5 + 366.0 * y + 15.0 * s, 1e-6 * n, 0.1 * y, 0.01 * s, 0.2, 0.1, 0.004};
}

// The scratch file of one worker: per object its number, per year the group
// (1: sets around the opposition), the count and the sets; then -1 and the
// force evaluations. Written as it grows.
void write_scratch(const fs::path& path, std::int32_t objects) {
    std::ofstream out(path, std::ios::binary);
    std::vector<std::uint8_t> buf;
    auto i32 = [&](std::int32_t v) {
        buf.resize(buf.size() + 4);
        io::put_i32(io::MutBytes(buf).subspan(buf.size() - 4), 0, v);
    };
    auto f64 = [&](double v) {
        buf.resize(buf.size() + 8);
        io::put_f64(io::MutBytes(buf).subspan(buf.size() - 8), 0, v);
    };
    for (std::int32_t n = 1; n <= objects; ++n) {
        i32(n);
        for (int y = 0; y < kYears; ++y) {
            i32(1);
            i32(kSets);
            for (int s = 0; s < kSets; ++s)
                for (double x : fake_set(n, y, s)) f64(x);
        }
        if (buf.size() > (4u << 20)) {
            out.write(reinterpret_cast<const char*>(buf.data()), static_cast<std::streamsize>(buf.size()));
            buf.clear();
        }
    }
    i32(-1);
    f64(12345.0);
    out.write(reinterpret_cast<const char*>(buf.data()), static_cast<std::streamsize>(buf.size()));
    ASSERT_TRUE(out.good());
}

std::string text_of(const fs::path& p) {
    const std::vector<std::uint8_t> b = zeltest::read_bytes(p);
    return std::string(b.begin(), b.end());
}

}  // namespace

// One worker's scratch file of 150,000 objects with five years of sets
// (342 MB, more than the 256 MiB a whole-file read takes) is assembled into
// the five years' files with every set in place. The files are made in
// shared memory where there is some, to spare the disk.
TEST(YearlyBuild, OneWorkerAboveTheWholeFileReadLimit) {
    constexpr std::int32_t kObjects = 150000;
    const char* old_tmp = std::getenv("TMPDIR");
    const std::string saved = old_tmp != nullptr ? old_tmp : "";
    if (fs::is_directory("/dev/shm")) ::setenv("TMPDIR", "/dev/shm", 1);
    zeltest::ScopedWorkDir wd;
    if (old_tmp != nullptr)
        ::setenv("TMPDIR", saved.c_str(), 1);
    else
        ::unsetenv("TMPDIR");

    const fs::path values = wd.path() / "values.txt";
    std::ofstream(values) << "objects " << kObjects << "\nfirst_year " << kFirstYear << "\nlast_year " << kLastYear
                          << "\n";
    const fs::path out = wd.path() / "27-yearly.txt";
    write_scratch(fs::path(out.string() + ".part0"), kObjects);
    ASSERT_GT(fs::file_size(out.string() + ".part0"), 256u << 20);

    const std::string cmd = std::string("'") + ZELVO_BINARY_DIR + "/tools/mkyearly' assemble '" + wd.dir_slash() +
                            "' '" + out.string() + "' '" + values.string() + "' --jobs 1 2> '" +
                            (wd.path() / "log").string() + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << text_of(wd.path() / "log");
    EXPECT_FALSE(fs::exists(out.string() + ".part0"));  // the scratch file is removed
    EXPECT_EQ(text_of(out), "element_values 1200000 1200000 1200000 1200000 1200000\n");

    ElementCache cache;
    for (int y = 0; y < kYears; ++y) {
        EXPECT_EQ(fs::file_size(wd.path() / ("ad" + std::to_string(kFirstYear + y))), 4u * kObjects);
        for (std::int32_t n : {1, 2, 74999, 146001, kObjects}) {
            SCOPED_TRACE(std::to_string(kFirstYear + y) + " object " + std::to_string(n));
            auto got = yearly_sets(cache, n, kFirstYear + y, wd.dir_slash());
            ASSERT_TRUE(got.ok()) << got.message();
            std::vector<ElementSet> want;
            for (int s = 0; s < kSets; ++s) want.push_back(fake_set(n, y, s));
            EXPECT_EQ(*got, want);
        }
    }
}
