#include "io/sysfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zelvomat::io::sys {

std::string error_text() { return std::strerror(errno); }

void Fd::reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

Result<Fd> open_regular(const std::string& path, int flags, mode_t mode) {
    // O_NONBLOCK: a FIFO opens at once instead of waiting for a writer (and
    // is refused below); on a regular file the flag changes nothing.
    Fd fd(::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, mode));
    if (!fd) return error_status("cannot open file " + path + ": " + error_text());
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return error_status("cannot examine file " + path + ": " + error_text());
    if (!S_ISREG(st.st_mode)) return error_status("the file " + path + " is not a regular file");
    const int fl = ::fcntl(fd.get(), F_GETFL);
    if (fl >= 0) (void)::fcntl(fd.get(), F_SETFL, fl & ~O_NONBLOCK);
    return fd;
}

Result<std::int64_t> size_of(int fd, const std::string& path) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return error_status("cannot examine file " + path + ": " + error_text());
    return static_cast<std::int64_t>(st.st_size);
}

bool write_all(int fd, const void* data, std::size_t n, off_t off) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    std::size_t done = 0;
    while (done < n) {
        const ssize_t r = off < 0 ? ::write(fd, p + done, n - done)
                                  : ::pwrite(fd, p + done, n - done, off + static_cast<off_t>(done));
        if (r < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (r == 0) {  // nothing written and no reason given: the device is full
            errno = ENOSPC;
            return false;
        }
        done += static_cast<std::size_t>(r);
    }
    return true;
}

bool read_all(int fd, void* data, std::size_t n, off_t off, std::size_t& got) {
    auto* p = static_cast<std::uint8_t*>(data);
    got = 0;
    while (got < n) {
        const ssize_t r = ::pread(fd, p + got, n - got, off + static_cast<off_t>(got));
        if (r < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (r == 0) break;
        got += static_cast<std::size_t>(r);
    }
    return true;
}

}  // namespace zelvomat::io::sys
