#include "core/ephfile.h"

#include <array>
#include <cmath>

#include "io/bytes.h"

namespace zelvomat {

Result<std::shared_ptr<const EphemerisFile>> EphemerisFile::open(const std::string& path) {
    auto file = io::RecordFile::open(path, kDeRecordBytes, io::OpenMode::Read);
    if (!file) return file.status();
    auto count = file->record_count();
    if (!count) return count.status();
    auto f = std::make_shared<EphemerisFile>();
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
