#include "core/ephfile.h"

#include <bit>

#include "io/bytes.h"

namespace zelvomat {

Result<std::shared_ptr<const EphemerisFile>> EphemerisFile::open(const std::string& path) {
    auto map = io::MappedFile::open(path);
    if (!map) return map.status();
    auto f = std::make_shared<EphemerisFile>();
    f->path_ = path;
    const io::Bytes bytes = map->bytes();
    f->records_ = static_cast<std::int64_t>(bytes.size() / kDeRecordBytes);
    const std::size_t words = static_cast<std::size_t>(f->records_) * kDeRecordWords;
    if constexpr (std::endian::native == std::endian::little) {
        // The mapping is page-aligned and records are multiples of 8 bytes, so
        // the words can be used where they stand.
        f->map_ = std::move(*map);
        f->words_ = reinterpret_cast<const double*>(f->map_.bytes().data());
    } else {
        f->decoded_.resize(words);
        for (std::size_t i = 0; i < words; ++i) f->decoded_[i] = io::get_f64(bytes, 8 * i);
        f->words_ = f->decoded_.data();
    }
    return std::shared_ptr<const EphemerisFile>(std::move(f));
}

}  // namespace zelvomat
