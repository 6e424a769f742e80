// The system calls under the library's files, in one place.
//
// Every file the library opens is a regular file: a name that leads to a
// FIFO, a terminal or a device (an endless one such as /dev/zero, or one that
// blocks such as a FIFO without a writer) is refused when it is opened, before
// anything is read or written. Writes are whole or reported: a write that the
// system cuts short (a full disk, a file size limit) is an error the caller
// sees.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

#include "io/status.h"

namespace zelvomat::io::sys {

// The text of errno.
std::string error_text();

// An owned file descriptor.
class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(Fd&& o) noexcept : fd_(o.release()) {}
    Fd& operator=(Fd&& o) noexcept {
        if (this != &o) {
            reset();
            fd_ = o.release();
        }
        return *this;
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int release() {
        const int f = fd_;
        fd_ = -1;
        return f;
    }
    void reset();

private:
    int fd_ = -1;
};

// Opens path with the open(2) flags given (O_CLOEXEC is added) and makes sure
// it is a regular file. The open does not wait for a FIFO's other end.
Result<Fd> open_regular(const std::string& path, int flags, mode_t mode = 0644);

// Size of the open file in bytes.
Result<std::int64_t> size_of(int fd, const std::string& path);

// Writes all n bytes at offset off (off < 0: at the file position).
bool write_all(int fd, const void* data, std::size_t n, off_t off);

// Reads up to n bytes at offset off; got receives the bytes read (fewer at
// the end of the file).
bool read_all(int fd, void* data, std::size_t n, off_t off, std::size_t& got);

}  // namespace zelvomat::io::sys
