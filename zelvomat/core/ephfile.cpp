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
