#include "core/ephfile.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "io/bytes.h"

namespace zelvomat {

namespace {

std::string number_text(double x) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.10g", x);
    return buf;
}

}  // namespace

Result<EphemerisHeader> read_ephemeris_header(std::span<const std::uint8_t> record1,
                                              std::span<const std::uint8_t> record2, const std::string& path) {
    using namespace de_header;
    const auto refuse = [&](const std::string& why) -> Result<EphemerisHeader> {
        return error_status("The planetary ephemeris file \"" + path +
                            "\" has a layout the reader cannot serve: " + why + ".");
    };
    if (record1.size() < kDeRecordBytes || record2.size() < kDeRecordBytes)
        return refuse("its header records are not whole");
    EphemerisHeader h;
    h.first_jd = io::get_f64(record1, kSpan);
    h.last_jd = io::get_f64(record1, kSpan + 8);
    h.record_days = io::get_f64(record1, kSpan + 16);
    h.km_per_au = io::get_f64(record1, kAu);
    h.earth_moon_mass_ratio = io::get_f64(record1, kEmrat);
    h.de_number = io::get_i32(record1, kDeNumber);
    h.au_per_km = 1.0 / h.km_per_au;
    const std::int32_t constants = io::get_i32(record1, kConstantCount);

    if (h.record_days != kDeRecordDays)
        return refuse("its records cover " + number_text(h.record_days) + " days, not " + number_text(kDeRecordDays));
    if (!(h.first_jd < h.last_jd) || !std::isfinite(h.last_jd)) return refuse("its header gives no span of dates");
    // The AU in km and the Earth-Moon mass ratio: numbers of their kind (the
    // AU is near 1.496e8 km in every JPL ephemeris, the ratio near 81.3).
    if (!(h.km_per_au > 1.0e8 && h.km_per_au < 2.0e8))
        return refuse("its astronomical unit of " + number_text(h.km_per_au) + " km is no astronomical unit");
    if (!(h.earth_moon_mass_ratio > 1.0 && h.earth_moon_mass_ratio < 1000.0))
        return refuse("its Earth-Moon mass ratio of " + number_text(h.earth_moon_mass_ratio) + " is no such ratio");
    if (constants < 0 || static_cast<std::size_t>(constants) > kMaxConstants || constants > kDeRecordWords)
        return refuse("its header names " + std::to_string(constants) + " constants");

    static const char* const kBodies[11] = {
        "Mercury",  "Venus",  "the Earth-Moon barycentre", "Mars", "Jupiter", "Saturn", "Uranus", "Neptune", "Pluto",
        "the Moon", "the Sun"};
    for (std::size_t b = 0; b < h.layout.size(); ++b) {
        EphemerisRecordRow& row = h.layout[b];
        row.first_word = io::get_i32(record1, kPointers + 12 * b);
        row.coefficients = io::get_i32(record1, kPointers + 12 * b + 4);
        row.subintervals = io::get_i32(record1, kPointers + 12 * b + 8);
        if (b == 11) continue;  // the nutations are never evaluated
        const std::int64_t last_word = static_cast<std::int64_t>(row.first_word) - 1 +
                                       3LL * row.coefficients * static_cast<std::int64_t>(row.subintervals);
        if (row.coefficients < 1 || row.coefficients > kDeMaxCoefficients)
            return refuse(std::string("the block of ") + kBodies[b] + " has " + std::to_string(row.coefficients) +
                          " coefficients a component (the reader serves 1 to " + std::to_string(kDeMaxCoefficients) +
                          ")");
        if (row.first_word < 3 || row.subintervals < 1 || row.subintervals > 64 || last_word > kDeRecordWords)
            return refuse(std::string("the block of ") + kBodies[b] + " does not lie within a record of " +
                          std::to_string(kDeRecordWords) + " words");
    }

    // Record 2 holds the constants' values in the order of their names; the
    // AU and the mass ratio it names must be those of record 1.
    for (std::int32_t i = 0; i < constants; ++i) {
        const std::string_view name(reinterpret_cast<const char*>(record1.data()) + kNames + kNameBytes * i,
                                    kNameBytes);
        const double value = io::get_f64(record2, 8 * static_cast<std::size_t>(i));
        const bool au = name == "AU    ";
        const bool emrat = name == "EMRAT ";
        if ((au && value != h.km_per_au) || (emrat && value != h.earth_moon_mass_ratio))
            return refuse(std::string("its constant ") + (au ? "AU" : "EMRAT") + " is " + number_text(value) +
                          " in record 2 but " + number_text(au ? h.km_per_au : h.earth_moon_mass_ratio) +
                          " in record 1");
    }
    return h;
}

Result<std::shared_ptr<const EphemerisFile>> EphemerisFile::open(const std::string& path) {
    auto file = io::RecordFile::open(path, kDeRecordBytes, io::OpenMode::Read);
    if (!file) return file.status();
    auto count = file->record_count();
    if (!count) return count.status();
    if (*count < kDeFirstDataRecord)
        return error_status("The planetary ephemeris file \"" + path + "\" holds no data record: it has " +
                            std::to_string(*count) + " records of 8144 bytes.");
    std::array<std::uint8_t, kDeRecordBytes> record1, record2;
    ZEL_TRY(file->read(1, record1));
    ZEL_TRY(file->read(2, record2));
    auto header = read_ephemeris_header(record1, record2, path);
    if (!header) return header.status();
    auto f = std::make_shared<EphemerisFile>();
    f->header_ = *header;
    f->file_ = std::move(*file);
    f->records_ = *count;
    f->path_ = path;
    return std::shared_ptr<const EphemerisFile>(std::move(f));
}

Result<std::shared_ptr<const EphemerisFile::Record>> EphemerisFile::record(std::int64_t n) const {
    const bool keep = n >= 1 && n <= records_;
    if (keep && kept_.size() == static_cast<std::size_t>(records_) && kept_[static_cast<std::size_t>(n - 1)])
        return kept_[static_cast<std::size_t>(n - 1)];
    auto r = std::make_shared<Record>();
    ZEL_TRY(read_record(n, *r));
    if (keep) {
        if (kept_count_ >= kCachedRecords || kept_.size() != static_cast<std::size_t>(records_)) {
            kept_.assign(static_cast<std::size_t>(records_), nullptr);
            kept_count_ = 0;
        }
        kept_[static_cast<std::size_t>(n - 1)] = r;
        ++kept_count_;
    }
    return std::shared_ptr<const Record>(std::move(r));
}

std::int64_t EphemerisFile::records_now() const {
    auto n = file_.record_count();
    return n ? *n : 0;
}

Status EphemerisFile::read_record(std::int64_t n, DeRecordWords words) const {
    std::array<std::uint8_t, kDeRecordBytes> bytes;
    if (Status s = file_.read(n, bytes); !s)
        return error_status("The planetary ephemeris file \"" + path_ + "\" has changed since it was opened (" +
                            s.message() + "); it is opened again for the next request.");
    for (std::size_t i = 0; i < words.size(); ++i) {
        const double w = io::get_f64(bytes, 8 * i);
        if (!(std::fabs(w) <= kDeLargestWord))
            return error_status("The planetary ephemeris file \"" + path_ + "\" is damaged: word " +
                                std::to_string(i + 1) + " of record " + std::to_string(n) +
                                " is not a number it can hold.");
        words[i] = w;
    }
    return ok_status();
}

}  // namespace zelvomat
