#include "io/recfile.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <utility>

#include "io/sysfile.h"

namespace zelvomat::io {
namespace {

using sys::error_text;

}  // namespace

RecordFile::~RecordFile() { close(); }

RecordFile::RecordFile(RecordFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      reclen_(other.reclen_),
      known_size_(other.known_size_),
      path_(std::move(other.path_)) {}

RecordFile& RecordFile::operator=(RecordFile&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
        reclen_ = other.reclen_;
        known_size_ = other.known_size_;
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
    int flags = 0;
    switch (mode) {
        case OpenMode::Read:
            flags = O_RDONLY;
            break;
        case OpenMode::ReadWrite:
            flags = O_RDWR;
            break;
        case OpenMode::Update:
            flags = O_RDWR | O_CREAT;
            break;
        case OpenMode::Create:
            flags = O_RDWR | O_CREAT | O_TRUNC;
            break;
    }
    auto fd = sys::open_regular(path, flags);
    if (!fd) return fd.status();
    auto size = sys::size_of(fd->get(), path);
    if (!size) return size.status();
    RecordFile f;
    f.fd_ = fd->release();
    f.reclen_ = record_length;
    f.known_size_ = *size;
    f.path_ = path;
    return f;
}

Result<std::int64_t> RecordFile::record_count() const {
    if (fd_ < 0) return error_status("cannot examine file " + path_);
    auto size = sys::size_of(fd_, path_);
    if (!size) return size.status();
    return *size / static_cast<std::int64_t>(reclen_);
}

Status RecordFile::read(std::int64_t n, std::span<std::uint8_t> out) const {
    if (out.size() < reclen_) return error_status("record buffer too small for file " + path_);
    return read_run(n, out.first(reclen_));
}

Status RecordFile::read_run(std::int64_t n, std::span<std::uint8_t> out) const {
    if (fd_ < 0) return error_status("file not open");
    if (out.empty() || out.size() % reclen_ != 0) return error_status("record buffer of wrong size for file " + path_);
    const std::int64_t count = static_cast<std::int64_t>(out.size() / reclen_);
    const std::int64_t last = n + count - 1;
    if (n < 1 || last > LLONG_MAX / static_cast<std::int64_t>(reclen_))
        return error_status("record " + std::to_string(n < 1 ? n : last) + " of file " + path_ + " does not exist");
    std::size_t got = 0;
    const off_t off = static_cast<off_t>(n - 1) * static_cast<off_t>(reclen_);
    if (!sys::read_all(fd_, out.data(), out.size(), off, got))
        return error_status("cannot read record " + std::to_string(n) + " of file " + path_ + ": " + error_text());
    if (got != out.size())
        return error_status("record " + std::to_string(n + static_cast<std::int64_t>(got / reclen_)) + " of file " +
                            path_ + " is beyond the end of the file");
    return ok_status();
}

Result<std::vector<std::uint8_t>> RecordFile::read(std::int64_t n) const {
    std::vector<std::uint8_t> buf(reclen_);
    ZEL_TRY(read(n, buf));
    return buf;
}

Status RecordFile::write(std::int64_t n, std::span<const std::uint8_t> rec) {
    if (fd_ < 0) return error_status("file not open");
    if (n < 1 || n > LLONG_MAX / static_cast<std::int64_t>(reclen_))
        return error_status("record " + std::to_string(n) + " of file " + path_ + " does not exist");
    if (rec.size() != reclen_) return error_status("record of wrong length for file " + path_);
    const off_t off = static_cast<off_t>(n - 1) * static_cast<off_t>(reclen_);
    if (!sys::write_all(fd_, rec.data(), reclen_, off)) {
        const std::string why = error_text();
        // No part of a record past what the file held: a reader of whole
        // records and a later write of this record find the file as before.
        auto now = sys::size_of(fd_, path_);
        if (now && *now > known_size_) (void)::ftruncate(fd_, static_cast<off_t>(known_size_));
        return error_status("cannot write record " + std::to_string(n) + " of file " + path_ + ": " + why);
    }
    known_size_ = std::max<std::int64_t>(known_size_, off + static_cast<std::int64_t>(reclen_));
    return ok_status();
}

Status RecordFile::truncate(std::int64_t n) {
    if (fd_ < 0) return error_status("file not open");
    if (n < 0 || n > LLONG_MAX / static_cast<std::int64_t>(reclen_))
        return error_status("cannot truncate file " + path_ + " after record " + std::to_string(n));
    if (::ftruncate(fd_, static_cast<off_t>(n) * static_cast<off_t>(reclen_)) != 0)
        return error_status("cannot truncate file " + path_ + ": " + error_text());
    known_size_ = n * static_cast<std::int64_t>(reclen_);
    return ok_status();
}

Result<std::vector<std::uint8_t>> read_file_bytes(const std::string& path, std::int64_t max_bytes) {
    auto fd = sys::open_regular(path, O_RDONLY);
    if (!fd) return fd.status();
    auto size = sys::size_of(fd->get(), path);
    if (!size) return size.status();
    if (*size > max_bytes)
        return error_status("the file " + path + " is too large: it holds " + std::to_string(*size) +
                            " bytes, at most " + std::to_string(max_bytes) + " are read");
    std::vector<std::uint8_t> out(static_cast<std::size_t>(*size));
    std::size_t got = 0;
    if (!out.empty() && !sys::read_all(fd->get(), out.data(), out.size(), 0, got))
        return error_status("cannot read file " + path + ": " + error_text());
    out.resize(got);  // a file cut while it was read ends where it ends
    return out;
}

namespace {

// The file a name stands for: a symbolic link's target.
std::string link_target(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr) return path;
    std::string r(real);
    ::free(real);
    return r;
}

// Opens a new temporary file beside target: target followed by ".new" and a
// number that no file has yet.
Result<std::pair<sys::Fd, std::string>> temporary_beside(const std::string& target) {
    for (int k = 0; k < 1000; ++k) {
        std::string tmp = target + ".new" + (k == 0 ? std::string() : std::to_string(k));
        sys::Fd fd(::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
        if (fd) return std::pair<sys::Fd, std::string>(std::move(fd), std::move(tmp));
        if (errno != EEXIST) return error_status("cannot create file " + tmp + ": " + error_text());
    }
    return error_status("cannot create a temporary file beside " + target);
}

}  // namespace

Status write_file_bytes(const std::string& path, std::span<const std::uint8_t> bytes) {
    const std::span<const std::uint8_t> parts[] = {bytes};
    return write_file_parts(path, parts);
}

Status write_file_parts(const std::string& path, std::span<const std::span<const std::uint8_t>> parts) {
    const std::string target = link_target(path);
    struct stat old {};
    const bool existed = ::stat(target.c_str(), &old) == 0;
    if (existed && !S_ISREG(old.st_mode)) return error_status("the file " + path + " is not a regular file");
    auto tmp = temporary_beside(target);
    if (!tmp) return tmp.status();
    sys::Fd& fd = tmp->first;
    const std::string& tmp_path = tmp->second;
    auto fail = [&](const std::string& why) {
        ::unlink(tmp_path.c_str());
        return error_status("cannot write file " + path + ": " + why);
    };
    for (const auto& bytes : parts)
        if (!sys::write_all(fd.get(), bytes.data(), bytes.size(), -1)) return fail(error_text());
    if (existed) (void)::fchmod(fd.get(), old.st_mode & 07777);
    if (::fdatasync(fd.get()) != 0) return fail(error_text());
    if (::close(fd.release()) != 0) return fail(error_text());
    if (::rename(tmp_path.c_str(), target.c_str()) != 0) return fail(error_text());
    return ok_status();
}

}  // namespace zelvomat::io
