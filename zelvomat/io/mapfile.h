// Read-only memory mapping of a whole file.
//
// The mapping lives as long as the object; an empty file maps to an empty
// span. A mapped file that another program cuts shorter makes a read of the
// pages past its new end a fault of the process (SIGBUS): the owner of a
// mapping calls whole() before it reads the mapping again after the file may
// have changed (the library does so at each exported call, see
// errchan.h export_calls), and drops the mapping when the file is shorter.
// Only regular files are mapped (io/sysfile.h).
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
    // True when the file still holds every byte that is mapped.
    bool whole() const;
    void close();

private:
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    int fd_ = -1;  // kept open to learn the file's size
    std::string path_;
};

}  // namespace zelvomat::io
