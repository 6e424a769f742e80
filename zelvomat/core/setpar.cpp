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

PackageParams decode_params(io::Bytes rec) {
    PackageParams p;
    p.catalogue_epoch = io::get_f64(rec, kParEpoch);
    p.objects = io::get_i32(rec, kParObjects);
    p.numbered = io::get_i32(rec, kParNumbered);
    p.special = io::get_i32(rec, kParSpecial);
    p.first_year = io::get_i16(rec, kParFirstYear);
    p.last_year = io::get_i16(rec, kParLastYear);
    p.eph_first_jd = io::get_f64(rec, kParEphFirst);
    p.eph_last_jd = io::get_f64(rec, kParEphLast);
    return p;
}

void encode_params(io::MutBytes rec, const PackageParams& p) {
    io::put_f64(rec, kParEpoch, p.catalogue_epoch);
    io::put_i32(rec, kParObjects, p.objects);
    io::put_i32(rec, kParNumbered, p.numbered);
    io::put_i32(rec, kParSpecial, p.special);
    io::put_i16(rec, kParFirstYear, p.first_year);
    io::put_i16(rec, kParLastYear, p.last_year);
    io::put_f64(rec, kParEphFirst, p.eph_first_jd);
    io::put_f64(rec, kParEphLast, p.eph_last_jd);
}

namespace {

// Julian dates the calendar routines serve (years -4712 to about 270000).
constexpr double kLatestJd = 1.0e8;

bool usable_jd(double jd) { return std::isfinite(jd) && jd >= 0.0 && jd < kLatestJd; }

std::string jd_text(double jd) { return std::isfinite(jd) ? std::string(io::trim(io::fmt_f(jd, 20, 1))) : "NaN"; }

Status damaged(int record, const std::string& why) {
    return error_status("The settings file \"" + std::string(files::kSettings) + "\" is damaged: record " +
                        std::to_string(record) + " " + why + ".");
}

}  // namespace

Status check_params(const PackageParams& p) {
    if (!usable_jd(p.catalogue_epoch))
        return damaged(kRecParams, "gives the catalogue epoch JD " + jd_text(p.catalogue_epoch));
    if (p.objects < 0 || p.numbered < 0 || p.numbered > p.objects)
        return damaged(kRecParams, "counts " + std::to_string(p.objects) + " objects of which " +
                                       std::to_string(p.numbered) + " are numbered");
    if (p.special < 0)
        return damaged(kRecParams, "counts " + std::to_string(p.special) + " objects of the special list");
    const bool no_file = p.eph_first_jd == 0.0 && p.eph_last_jd == 0.0;
    if (!no_file && !(usable_jd(p.eph_first_jd) && usable_jd(p.eph_last_jd) && p.eph_first_jd < p.eph_last_jd))
        return damaged(kRecParams, "gives the planetary ephemeris file the span JD " + jd_text(p.eph_first_jd) +
                                       " to " + jd_text(p.eph_last_jd));
    const bool no_years = p.first_year == 0 && p.last_year == 0;
    if (no_years) return ok_status();
    if (p.first_year < 1 || p.first_year > p.last_year || p.last_year > 9999)
        return damaged(kRecParams, "gives the package years " + std::to_string(p.first_year) + " to " +
                                       std::to_string(p.last_year));
    return ok_status();
}

Status check_opposition_counts(const std::array<std::int32_t, 5>& counts) {
    for (std::size_t i = 0; i < counts.size(); ++i)
        if (counts[i] < 0)
            return damaged(kRecOppCounts, "gives the opposition file of package year " + std::to_string(i + 1) + " " +
                                              std::to_string(counts[i]) + " records");
    return ok_status();
}

namespace {

io::MutBytes record(std::vector<std::uint8_t>& file, int n) {
    return io::MutBytes(file.data() + (n - 1) * kRecordLength, kRecordLength);
}
io::Bytes record(io::Bytes file, int n) { return file.subspan((n - 1) * kRecordLength, kRecordLength); }

}  // namespace

Result<std::vector<std::uint8_t>> encode_settings(const PackageSettings& s) {
    for (const std::string* t : {&s.ephemeris_path, &s.data_dir, &s.temp_dir})
        if (t->size() > kPathLength)
            return error_status("the path \"" + *t + "\" is longer than the 80 characters of its settings record");
    std::vector<std::uint8_t> out(kRecordCount * kRecordLength, 0);
    for (int i = 0; i < 20; ++i) {
        io::put_i32(record(out, kRecEmpephList1), 4 * i, s.empeph_list[i]);
        io::put_i32(record(out, kRecEmpephList2), 4 * i, s.empeph_list[20 + i]);
        io::put_i32(record(out, kRecEmpephList3), 4 * i, s.empeph_list[40 + i]);
    }
    io::put_text(record(out, kRecEphemerisPath), 0, kPathLength, s.ephemeris_path);
    io::put_text(record(out, kRecDataDir), 0, kPathLength, s.data_dir);
    io::put_text(record(out, kRecTempDir), 0, kPathLength, s.temp_dir);
    encode_params(record(out, kRecParams), s.params);
    for (int i = 0; i < kPackageYears; ++i) {
        io::put_i32(record(out, kRecOppCounts), 4 * i, s.opp_counts[i]);
        io::put_i32(record(out, kRecElementValues), 4 * i, s.element_values[i]);
    }
    io::put_i32(record(out, kRecSlopeList), 0, s.slope_word1);
    io::put_i32(record(out, kRecSlopeList), 4, s.slope_count);
    for (int k = 0; k < 3; ++k)
        for (int i = 0; i < 6; ++i) io::put_f64(record(out, kRecPerturber1 + k), 8 * i, s.perturbers[k][i]);
    io::put_i32(record(out, kRecEditionFlag), 0, s.comet_edition);
    return out;
}

Result<PackageSettings> decode_settings(io::Bytes bytes) {
    if (bytes.size() < kRecordCount * kRecordLength) return error_status("the settings file has fewer than 14 records");
    PackageSettings s;
    for (int i = 0; i < 20; ++i) {
        s.empeph_list[i] = io::get_i32(record(bytes, kRecEmpephList1), 4 * i);
        s.empeph_list[20 + i] = io::get_i32(record(bytes, kRecEmpephList2), 4 * i);
        s.empeph_list[40 + i] = io::get_i32(record(bytes, kRecEmpephList3), 4 * i);
    }
    s.ephemeris_path = std::string(io::trim_right(io::get_text(record(bytes, kRecEphemerisPath), 0, kPathLength)));
    s.data_dir = std::string(io::trim_right(io::get_text(record(bytes, kRecDataDir), 0, kPathLength)));
    s.temp_dir = std::string(io::trim_right(io::get_text(record(bytes, kRecTempDir), 0, kPathLength)));
    s.params = decode_params(record(bytes, kRecParams));
    for (int i = 0; i < kPackageYears; ++i) {
        s.opp_counts[i] = io::get_i32(record(bytes, kRecOppCounts), 4 * i);
        s.element_values[i] = io::get_i32(record(bytes, kRecElementValues), 4 * i);
    }
    s.slope_word1 = io::get_i32(record(bytes, kRecSlopeList), 0);
    s.slope_count = io::get_i32(record(bytes, kRecSlopeList), 4);
    for (int k = 0; k < 3; ++k)
        for (int i = 0; i < 6; ++i) s.perturbers[k][i] = io::get_f64(record(bytes, kRecPerturber1 + k), 8 * i);
    s.comet_edition = io::get_i32(record(bytes, kRecEditionFlag), 0);
    return s;
}

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
