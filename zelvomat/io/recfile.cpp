#include "io/recfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace zelvomat::io {
namespace {

std::string sys_error() { return std::strerror(errno); }

bool read_all(int fd, std::uint8_t* p, std::size_t n, off_t off, std::size_t& got) {
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

bool write_all(int fd, const std::uint8_t* p, std::size_t n, off_t off) {
    std::size_t done = 0;
    while (done < n) {
        const ssize_t r = ::pwrite(fd, p + done, n - done, off + static_cast<off_t>(done));
        if (r < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(r);
    }
    return true;
}

}  // namespace

RecordFile::~RecordFile() { close(); }

RecordFile::RecordFile(RecordFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), reclen_(other.reclen_), path_(std::move(other.path_)) {}

RecordFile& RecordFile::operator=(RecordFile&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
        reclen_ = other.reclen_;
        path_ = std::move(other.path_);
    }
    return *this;
}

void RecordFile::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

Result<RecordFile> RecordFile::open(const std::string& path, std::size_t record_length, OpenMode mode) {
    if (record_length == 0) return error_status("record length 0 for file " + path);
    int flags = O_CLOEXEC;
    switch (mode) {
        case OpenMode::Read:
            flags |= O_RDONLY;
            break;
        case OpenMode::ReadWrite:
            flags |= O_RDWR;
            break;
        case OpenMode::Update:
            flags |= O_RDWR | O_CREAT;
            break;
        case OpenMode::Create:
            flags |= O_RDWR | O_CREAT | O_TRUNC;
            break;
    }
    const int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0) return error_status("cannot open file " + path + ": " + sys_error());
    RecordFile f;
    f.fd_ = fd;
    f.reclen_ = record_length;
    f.path_ = path;
    return f;
}

Result<std::int64_t> RecordFile::record_count() const {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) return error_status("cannot examine file " + path_);
    return static_cast<std::int64_t>(st.st_size / static_cast<off_t>(reclen_));
}

Status RecordFile::read(std::int64_t n, std::span<std::uint8_t> out) const {
    if (fd_ < 0) return error_status("file not open");
    if (n < 1) return error_status("record " + std::to_string(n) + " of file " + path_ + " does not exist");
    if (out.size() < reclen_) return error_status("record buffer too small for file " + path_);
    std::size_t got = 0;
    const off_t off = static_cast<off_t>(n - 1) * static_cast<off_t>(reclen_);
    if (!read_all(fd_, out.data(), reclen_, off, got))
        return error_status("cannot read record " + std::to_string(n) + " of file " + path_ + ": " + sys_error());
    if (got != reclen_)
        return error_status("record " + std::to_string(n) + " of file " + path_ + " is beyond the end of the file");
    return ok_status();
}

Result<std::vector<std::uint8_t>> RecordFile::read(std::int64_t n) const {
    std::vector<std::uint8_t> buf(reclen_);
    ZEL_TRY(read(n, buf));
    return buf;
}

Status RecordFile::write(std::int64_t n, std::span<const std::uint8_t> rec) {
    if (fd_ < 0) return error_status("file not open");
    if (n < 1) return error_status("record " + std::to_string(n) + " of file " + path_ + " does not exist");
    if (rec.size() != reclen_) return error_status("record of wrong length for file " + path_);
    const off_t off = static_cast<off_t>(n - 1) * static_cast<off_t>(reclen_);
    if (!write_all(fd_, rec.data(), reclen_, off))
        return error_status("cannot write record " + std::to_string(n) + " of file " + path_ + ": " + sys_error());
    return ok_status();
}

Status RecordFile::truncate(std::int64_t n) {
    if (fd_ < 0) return error_status("file not open");
    if (::ftruncate(fd_, static_cast<off_t>(n) * static_cast<off_t>(reclen_)) != 0)
        return error_status("cannot truncate file " + path_ + ": " + sys_error());
    return ok_status();
}

Result<std::vector<std::uint8_t>> read_file_bytes(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return error_status("cannot open file " + path + ": " + sys_error());
    std::vector<std::uint8_t> out;
    std::uint8_t buf[65536];
    for (;;) {
        const ssize_t r = ::read(fd, buf, sizeof buf);
        if (r < 0) {
            if (errno == EINTR) continue;
            const std::string e = sys_error();
            ::close(fd);
            return error_status("cannot read file " + path + ": " + e);
        }
        if (r == 0) break;
        out.insert(out.end(), buf, buf + r);
    }
    ::close(fd);
    return out;
}

Status write_file_bytes(const std::string& path, std::span<const std::uint8_t> bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return error_status("cannot create file " + path + ": " + sys_error());
    const bool ok = write_all(fd, bytes.data(), bytes.size(), 0);
    const std::string e = ok ? std::string() : sys_error();
    if (::close(fd) != 0 && ok) return error_status("cannot write file " + path + ": " + sys_error());
    if (!ok) return error_status("cannot write file " + path + ": " + e);
    return ok_status();
}

}  // namespace zelvomat::io
