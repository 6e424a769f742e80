// Read-only memory mapping of a whole file.
//
// The mapping lives as long as the object; an empty file maps to an empty
// span. Used for large read-mostly data files whose records are read many
// times (the planetary ephemeris).
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "io/status.h"

namespace zelvomat::io {

class MappedFile {
public:
    MappedFile() = default;
    ~MappedFile();
    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&& other) noexcept;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    static Result<MappedFile> open(const std::string& path);

    std::span<const std::uint8_t> bytes() const { return {data_, size_}; }
    const std::string& path() const { return path_; }
    void close();

private:
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::string path_;
};

}  // namespace zelvomat::io
