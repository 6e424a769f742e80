#include "core/setpar.h"

#include <cmath>

#include "core/catalog.h"
#include "core/corestate.h"
#include "core/datajd.h"
#include "core/destate.h"
#include "core/elemcache.h"
#include "io/errchan.h"
#include "io/fields.h"
#include "io/files.h"
#include "io/recfile.h"
#include "io/textfile.h"
#include "zelvomat/zelvomat.h"

namespace zelvomat {

using namespace setpar;

PackageInfo package_info_from(const PackageParams& p) {
    PackageInfo info;
    info.first_year = p.first_year;
    info.last_year = p.last_year;
    info.catalogue_epoch = p.catalogue_epoch;
    info.objects = p.objects;
    info.numbered = p.numbered;
    info.special = p.special;
    std::int32_t jd = 0;
    double f = 0;
    caljd(p.first_year + 1, 1, 1, 0.0, jd, f, DayStart::Civil);
    info.j1 = jd + f;
    caljd(p.last_year, 1, 1, 0.0, jd, f, DayStart::Civil);
    info.j2 = jd + f;
    return info;
}

std::string data_file(const DataPaths& paths, std::string_view name) { return io::find_file(paths.data_dir, name); }

Result<std::array<std::uint8_t, kRecordLength>> read_settings_record(int n) {
    const std::string settings(files::kSettings);
    auto fail = [&](const std::string& why) {
        return error_status("The settings file \"" + settings + "\" cannot be read (" + why + ").");
    };
    auto f = io::RecordFile::open(settings, kRecordLength, io::OpenMode::Read);
    if (!f) return fail(f.message());
    std::array<std::uint8_t, kRecordLength> rec{};
    if (Status s = f->read(n, rec); !s) return fail(s.message());
    return rec;
}

Result<PackageParams> settings_params() {
    auto rec = read_settings_record(kRecParams);
    if (!rec) return rec.status();
    const PackageParams p = decode_params(*rec);
    ZEL_TRY(check_params(p));
    return p;
}

Result<std::string> settings_data_dir() {
    auto rec = read_settings_record(kRecDataDir);
    if (!rec) return rec.status();
    std::string dir(io::trim(io::get_text(*rec, 0, kPathLength)));
    if (dir.empty())
        return error_status("The settings file \"" + std::string(files::kSettings) + "\" names no data directory.");
    if (dir.back() != '/') dir.push_back('/');
    return dir;
}

Status in_par(CoreState& core) {
    auto fail = [](const std::string& why) {
        return error_status(" error in_par   kl=0: the settings file \"" + std::string(files::kSettings) +
                            "\" cannot be read (" + why + ")");
    };
    auto f = io::RecordFile::open(std::string(files::kSettings), kRecordLength, io::OpenMode::Read);
    if (!f) return fail(f.message());
    std::uint8_t rec[kRecordLength];
    auto read = [&](int n) { return f->read(n, rec); };

    Status s = read(kRecParams);
    if (!s) return fail(s.message());
    const PackageParams params = decode_params(rec);
    ZEL_TRY(check_params(params));
    if ((s = read(kRecOppCounts)); !s) return fail(s.message());
    DataPaths paths;
    for (int i = 0; i < kPackageYears; ++i) paths.opp_counts[i] = io::get_i32(rec, 4 * i);
    ZEL_TRY(check_opposition_counts(paths.opp_counts));
    if ((s = read(kRecElementValues)); !s) return fail(s.message());
    std::array<std::int32_t, 5> values{};
    for (int i = 0; i < kPackageYears; ++i) values[i] = io::get_i32(rec, 4 * i);
    if ((s = read(kRecEphemerisPath)); !s) return fail(s.message());
    paths.ephemeris_path = io::get_text(rec, 0, kPathLength);
    if ((s = read(kRecDataDir)); !s) return fail(s.message());
    paths.data_dir = io::get_text(rec, 0, kPathLength);
    if ((s = read(kRecTempDir)); !s) return fail(s.message());
    paths.temp_dir = io::get_text(rec, 0, kPathLength);

    // Everything read: commit.
    core.package = package_info_from(params);
    core.data_paths = paths;
    ElementCache& ec = core.element_cache;
    ec = ElementCache{};                            // the yearly files are opened again for the new settings
    core.ephem2_integration = Ephem2Integration{};  // integrated from the old catalogue epoch and file
    ec.values = values;
    DeState& de = core.de;
    de.first_jd = params.eph_first_jd;
    de.last_jd = params.eph_last_jd;
    de.forget_records();
    return ok_status();
}

Status set_paths() {
    const std::string path_file(files::kPathFile);
    const std::string settings_file(files::kSettings);
    auto line = io::read_first_line(path_file);
    if (!line) return line.status();
    std::string dir(io::trim_right(*line));
    if (dir.empty()) return error_status("The path file \"" + path_file + "\" does not name the data directory.");
    if (dir.back() != '/') dir.push_back('/');
    const std::size_t room = kPathLength - files::kEphemeris.size();
    if (dir.size() > room)
        return error_status("The data directory \"" + dir + "\" is too long: a data directory may have at most " +
                            std::to_string(room) + " characters.");

    auto f = io::RecordFile::open(settings_file, kRecordLength, io::OpenMode::ReadWrite);
    if (!f) return f.status();
    auto count = f->record_count();
    if (!count) return count.status();
    if (*count < kRecTempDir)
        return error_status("The settings file \"" + settings_file + "\" is damaged: it has fewer than " +
                            std::to_string(kRecTempDir) + " records.");
    std::uint8_t rec[kRecordLength];
    ZEL_TRY(f->read(kRecDataDir, rec));
    const std::string a = io::pad(dir, kPathLength);
    if (a == io::get_text(rec, 0, kPathLength)) return ok_status();

    std::uint8_t r3[kRecordLength], r4[kRecordLength], r5[kRecordLength];
    io::put_text(r3, 0, kPathLength, dir + std::string(files::kEphemeris));
    io::put_text(r4, 0, kPathLength, dir);
    // The temporary directory stands beside an ".../el/" data directory.
    const std::size_t p = dir.find("/el/");
    if (p != std::string::npos)
        io::put_text(r5, 0, kPathLength, dir.substr(0, p + 1) + std::string(files::kTempDir));
    else
        io::put_text(r5, 0, kPathLength, "");
    ZEL_TRY(f->write(kRecEphemerisPath, r3));
    ZEL_TRY(f->write(kRecDataDir, r4));
    ZEL_TRY(f->write(kRecTempDir, r5));
    return ok_status();
}

}  // namespace zelvomat

extern "C" ZELVOMAT_API void Inpo(void) {
    zelvomat::export_guard([] {
        zelvomat::CoreState& core = zelvomat::core_state();
        ZEL_TRY(zelvomat::in_par(core));
        return zelvomat::catopen(core.catalogue);
    });
}

extern "C" ZELVOMAT_API void setpat(void) {
    zelvomat::export_guard([] { return zelvomat::set_paths(); });
}
