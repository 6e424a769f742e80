// The settings file: layout, loading, and the path records kept in step with "setpath".
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "core/destate.h"
#include "core/elemcache.h"
#include "core/setpar.h"
#include "io/bytes.h"
#include "support.h"
#include "tasks/libstate.h"
#include "zelvomat/zelvomat.h"

using namespace zelvomat;

namespace {

PackageSettings sample_settings(const std::string& data_dir) {
    PackageSettings s;
    s.data_dir = data_dir;
    s.ephemeris_path = data_dir + "coorbp";
    s.temp_dir = "";
    s.params.catalogue_epoch = 2460600.5;
    s.params.objects = 7200;
    s.params.numbered = 7000;
    s.params.special = 12;
    s.params.first_year = 1999;
    s.params.last_year = 2003;
    s.params.eph_first_jd = 2436912.5;
    s.params.eph_last_jd = 2473488.5;
    s.opp_counts = {10, 20, 30, 40, 50};
    s.element_values = {1, 2, 3, 4, 5};
    s.slope_count = 9;
    s.perturbers[1] = {0.1, 0.2, 0.3, 0.4, 0.05, 0.004};
    s.comet_edition = 1;
    s.empeph_list[0] = 4;
    s.empeph_list[45] = 99;
    return s;
}

void write_settings(const PackageSettings& s) {
    auto bytes = encode_settings(s);
    ASSERT_TRUE(bytes.ok()) << bytes.message();
    zeltest::write_bytes("setpar", *bytes);
}

std::string pad80(const std::string& s) { return s + std::string(80 - s.size(), ' '); }

std::string record_text(const std::vector<std::uint8_t>& file, int n) {
    return std::string(file.begin() + (n - 1) * 80, file.begin() + n * 80);
}

}  // namespace

TEST(SettingsFile, RecordsSitAtTheirOffsets) {
    const PackageSettings s = sample_settings("/pkg/el/");
    auto bytes = encode_settings(s);
    ASSERT_TRUE(bytes.ok());
    ASSERT_EQ(bytes->size(), 14u * 80u);
    const io::Bytes b(*bytes);
    EXPECT_EQ(io::get_i32(b, 0), 4);                 // record 1, first list entry
    EXPECT_EQ(io::get_i32(b, 720 + 20), 99);         // record 10, sixth entry
    EXPECT_EQ(io::get_text(b, 240, 8), "/pkg/el/");  // record 4
    EXPECT_EQ(io::get_f64(b, 400), 2460600.5);       // record 6
    EXPECT_EQ(io::get_i32(b, 408), 7200);
    EXPECT_EQ(io::get_i32(b, 412), 7000);
    EXPECT_EQ(io::get_i32(b, 416), 12);
    EXPECT_EQ(io::get_i16(b, 420), 1999);
    EXPECT_EQ(io::get_i16(b, 422), 2003);
    EXPECT_EQ(io::get_f64(b, 424), 2436912.5);
    EXPECT_EQ(io::get_f64(b, 432), 2473488.5);
    EXPECT_EQ(io::get_i32(b, 480 + 16), 50);     // record 7
    EXPECT_EQ(io::get_i32(b, 560 + 8), 3);       // record 8
    EXPECT_EQ(io::get_i32(b, 644), 9);           // record 9, slope-list length
    EXPECT_EQ(io::get_f64(b, 880 + 40), 0.004);  // record 12, mean motion
    EXPECT_EQ(io::get_i32(b, 1040), 1);          // record 14
    auto back = decode_settings(b);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back->data_dir, "/pkg/el/");
    EXPECT_EQ(back->perturbers[1], s.perturbers[1]);
    EXPECT_EQ(back->params.eph_last_jd, s.params.eph_last_jd);
    EXPECT_FALSE(decode_settings(b.first(13 * 80)).ok());

    PackageSettings too_long = s;
    too_long.data_dir = std::string(81, 'x');
    EXPECT_FALSE(encode_settings(too_long).ok());
}

TEST(SettingsFile, InparLoadsTheSharedAreas) {
    CoreState core;
    zeltest::ScopedWorkDir wd;
    write_settings(sample_settings(wd.dir_slash()));
    core.de.record_held = 17;
    core.element_cache.data_dir = "/elsewhere/";
    core.element_cache.years.resize(2);
    const Status loaded = in_par(core);
    ASSERT_TRUE(loaded.ok()) << loaded.message();
    const PackageInfo& p = core.package;
    EXPECT_EQ(p.first_year, 1999);
    EXPECT_EQ(p.last_year, 2003);
    EXPECT_EQ(p.j1, 2451544.5);  // 2000-01-01 0h
    EXPECT_EQ(p.j2, 2452640.5);  // 2003-01-01 0h
    EXPECT_EQ(p.catalogue_epoch, 2460600.5);
    EXPECT_EQ(p.objects, 7200);
    EXPECT_EQ(p.numbered, 7000);
    EXPECT_EQ(p.special, 12);
    const DataPaths& d = core.data_paths;
    EXPECT_EQ(d.data_dir, pad80(wd.dir_slash()));
    EXPECT_EQ(d.opp_counts[4], 50);
    EXPECT_EQ(core.de.first_jd, 2436912.5);
    EXPECT_EQ(core.de.last_jd, 2473488.5);
    EXPECT_EQ(core.de.record_held, 0);
    EXPECT_TRUE(core.element_cache.years.empty());
    EXPECT_TRUE(core.element_cache.data_dir.empty());
    EXPECT_EQ(core.element_cache.values[2], 3);
    // A second load gives the same state.
    ASSERT_TRUE(in_par(core).ok());
    EXPECT_EQ(core.package.j2, 2452640.5);
}

TEST(SettingsFile, AFailedLoadIsReportedAndChangesNothing) {
    LibraryState state;  // a fresh library, current on this thread
    ScopedLibraryState current(state);
    zeltest::ScopedWorkDir wd;
    write_settings(sample_settings(wd.dir_slash()));
    ASSERT_TRUE(in_par(state.core).ok());
    const PackageInfo before = state.core.package;
    // Missing file.
    std::filesystem::remove("setpar");
    Inpo();
    EXPECT_NE(zeltest::last_message().find("error in_par"), std::string::npos) << zeltest::last_message();
    EXPECT_EQ(state.core.package.objects, before.objects);
    // A file that ends inside record 5.
    zeltest::write_bytes("setpar", std::vector<std::uint8_t>(4 * 80 + 10, 0));
    Inpo();
    EXPECT_NE(zeltest::last_message().find("setpar"), std::string::npos);
    EXPECT_EQ(state.core.package.j1, before.j1);
}

namespace {
struct SetpatCase {
    const char* what;
    std::string path_line;  // first line of "setpath" (the directory is appended to the work dir)
    std::string rec3, rec4, rec5;
};
}  // namespace

TEST(SetpathRecords, RewritesRecords3To5) {
    zeltest::ScopedWorkDir wd;
    const std::string base = wd.dir_slash();
    const SetpatCase cases[] = {
        {"an el directory gives TMP beside it", base + "el/\r\n", base + "el/coorbp", base + "el/", base + "TMP/"},
        {"no /el/: blank temporary directory", base + "data/\n", base + "data/coorbp", base + "data/", ""},
        {"capital EL is not the el rule", base + "EL/", base + "EL/coorbp", base + "EL/", ""},
        {"/el/ twice: the first one counts", base + "el/x/el/", base + "el/x/el/coorbp", base + "el/x/el/",
         base + "TMP/"},
        {"a missing final slash is added", base + "el  ", base + "el/coorbp", base + "el/", base + "TMP/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        write_settings(sample_settings("/old/el/"));
        const auto before = zeltest::read_bytes("setpar");
        zeltest::write_text("setpath", c.path_line);
        setpat();
        ASSERT_EQ(errmsg(nullptr, 0), 0) << zeltest::last_message();
        const auto after = zeltest::read_bytes("setpar");
        ASSERT_EQ(after.size(), before.size());
        EXPECT_EQ(record_text(after, 3), pad80(c.rec3));
        EXPECT_EQ(record_text(after, 4), pad80(c.rec4));
        EXPECT_EQ(record_text(after, 5), pad80(c.rec5));
        // Nothing but records 3, 4 and 5 changes.
        EXPECT_TRUE(std::equal(before.begin(), before.begin() + 160, after.begin()));
        EXPECT_TRUE(std::equal(before.begin() + 400, before.end(), after.begin() + 400));
    }
}

TEST(SetpathRecords, AnUnchangedDirectoryLeavesTheFileAlone) {
    zeltest::ScopedWorkDir wd;
    PackageSettings s = sample_settings(wd.dir_slash() + "el/");
    s.ephemeris_path = "something else entirely";  // would be rewritten by any write
    write_settings(s);
    const auto before = zeltest::read_bytes("setpar");
    zeltest::write_text("setpath", wd.dir_slash() + "el/\r\n");
    setpat();
    EXPECT_EQ(errmsg(nullptr, 0), 0);
    EXPECT_EQ(zeltest::read_bytes("setpar"), before);
}

TEST(SetpathRecords, RefusesWhatItCannotStore) {
    zeltest::ScopedWorkDir wd;
    write_settings(sample_settings("/old/el/"));
    const auto before = zeltest::read_bytes("setpar");
    // 75 characters: no room for "coorbp" in an 80-character record.
    zeltest::write_text("setpath", "/" + std::string(73, 'd') + "/\n");
    setpat();
    EXPECT_NE(zeltest::last_message().find("too long"), std::string::npos) << zeltest::last_message();
    EXPECT_EQ(zeltest::read_bytes("setpar"), before);
    // 74 characters fit exactly.
    zeltest::write_text("setpath", "/" + std::string(72, 'd') + "/\n");
    setpat();
    EXPECT_EQ(errmsg(nullptr, 0), 0) << zeltest::last_message();
    EXPECT_EQ(record_text(zeltest::read_bytes("setpar"), 3), "/" + std::string(72, 'd') + "/coorbp");

    zeltest::write_text("setpath", "");
    setpat();
    EXPECT_NE(zeltest::last_message().find("setpath"), std::string::npos);
    zeltest::write_text("setpath", "/x/el/\n");
    zeltest::write_bytes("setpar", std::vector<std::uint8_t>(4 * 80, ' '));
    setpat();
    EXPECT_NE(zeltest::last_message().find("damaged"), std::string::npos);
    std::filesystem::remove("setpath");
    setpat();
    EXPECT_GT(errmsg(nullptr, 0), 0);
}
