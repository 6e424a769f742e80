// The layout of "setpar": its records encoded and decoded, record 6 checked.
// Keeps no state: the main program takes these objects too.
#include <cmath>

#include "core/setpar.h"
#include "io/fields.h"
#include "io/files.h"

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
    io::put_i32(record(out, kRecSlopeList), kSlopeCount, s.slope_count);
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
    s.slope_count = io::get_i32(record(bytes, kRecSlopeList), kSlopeCount);
    for (int k = 0; k < 3; ++k)
        for (int i = 0; i < 6; ++i) s.perturbers[k][i] = io::get_f64(record(bytes, kRecPerturber1 + k), 8 * i);
    s.comet_edition = io::get_i32(record(bytes, kRecEditionFlag), 0);
    return s;
}

}  // namespace zelvomat
