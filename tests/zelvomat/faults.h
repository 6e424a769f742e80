// Faults of the file system for the library's tests: a write that fails
// after N bytes (a full disk), a file cut short between two calls, a file
// replaced by a FIFO or by an endless device.
//
// The failing write works below the library: the test program is linked with
// the system's write and pwrite wrapped (tests/CMakeLists.txt, ld --wrap), and
// the wrappers (faults.cpp) pass every write through unless a FullDisk names
// the file it goes to.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace zeltest {

// While the object lives, the writes into the files named `name` (the name
// without its directory), or into a temporary file beside one (the name
// followed by a point and more), fail with ENOSPC once `bytes` bytes have
// gone into them since the object was made: the write that reaches the limit
// writes the bytes up to it and reports them, every later one fails. One
// object at a time.
class FullDisk {
public:
    FullDisk(std::string name, std::int64_t bytes);
    ~FullDisk();
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    std::int64_t written() const;  // bytes that went into the files
    bool hit() const;              // a write has been refused
};

// Cuts the file to `bytes` bytes in place, as another program would while the
// library holds it open.
void cut_file(const std::filesystem::path& p, std::uintmax_t bytes);

// Puts a FIFO in the place of the file (nobody writes into it: a reader that
// waits for data waits forever).
void replace_by_fifo(const std::filesystem::path& p);

// Puts a symbolic link to a device in the place of the file (/dev/zero: a
// reader never comes to its end).
void replace_by_device(const std::filesystem::path& p, const char* device = "/dev/zero");

}  // namespace zeltest
