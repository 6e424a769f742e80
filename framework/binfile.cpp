#include "binfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <utility>

#include "messages.h"

namespace fw {
namespace {

std::string reason() { return std::strerror(errno); }

// The file a name stands for: a symbolic link's target, so that the link
// stays a link.
std::string link_target(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(path, ec)) return path;
    std::filesystem::path real = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : real.string();
}

// Every byte into fd, or false (errno set): a write the system cuts short is
// carried on, one that writes nothing is a failure.
bool write_all(int fd, const char* data, std::size_t n) {
    while (n > 0) {
        const ssize_t w = ::write(fd, data, n < SSIZE_MAX ? n : SSIZE_MAX);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (w == 0) {
            errno = EIO;
            return false;
        }
        data += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

}  // namespace

FileWriter::FileWriter(std::string path) : path_(std::move(path)) {
    if (path_.empty()) {
        fail("No file name was given.");
        return;
    }
    target_ = link_target(path_);
    struct stat old {};
    existed_ = ::stat(target_.c_str(), &old) == 0;
    if (existed_ && !S_ISREG(old.st_mode)) {
        fail(S_ISDIR(old.st_mode) ? "It is a directory." : "It is not a regular file.");
        return;
    }
    mode_ = old.st_mode & 07777;
    // A new file beside the old one, under a name no file has yet.
    for (int k = 0; k < 1000 && fd_ < 0; ++k) {
        temp_ = target_ + ".new" + (k == 0 ? std::string() : std::to_string(k));
        fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd_ < 0 && errno != EEXIST) break;
    }
    if (fd_ < 0) {
        const std::string why = errno == EEXIST ? std::string("too many files beside it") : reason();
        temp_.clear();
        fail("No file can be made beside it (" + why + "); the file was left as it was.");
    }
}

FileWriter::~FileWriter() {
    if (fd_ >= 0) ::close(fd_);
    if (!temp_.empty()) ::unlink(temp_.c_str());
}

void FileWriter::fail(const std::string& why) {
    if (!status_) return;  // the first failure is the one to show
    status_ = WriteStatus{"Cannot write the file " + path_ + ".\n" + why, why};
}

bool FileWriter::append(std::string_view bytes) {
    if (!status_) return false;
    if (!write_all(fd_, bytes.data(), bytes.size())) fail(reason());
    return static_cast<bool>(status_);
}

bool FileWriter::append(std::span<const std::uint8_t> bytes) {
    return append(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

WriteStatus FileWriter::commit() {
    if (!status_) return status_;
    if (existed_) (void)::fchmod(fd_, mode_);
    if (::fsync(fd_) != 0) {
        fail(reason());
        return status_;
    }
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0 || ::rename(temp_.c_str(), target_.c_str()) != 0) {
        fail(reason());
        return status_;
    }
    temp_.clear();
    // The rename itself reaches the disk with the directory.
    const std::size_t slash = target_.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : target_.substr(0, slash);
    const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        (void)::fsync(dfd);
        ::close(dfd);
    }
    return status_;
}

WriteStatus write_file(const std::string& path, std::string_view bytes) {
    FileWriter w(path);
    w.append(bytes);
    return w.commit();
}

WriteStatus write_file(const std::string& path, std::span<const std::uint8_t> bytes) {
    return write_file(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

bool write_file_or_warn(const std::string& path, std::string_view bytes) {
    const WriteStatus s = write_file(path, bytes);
    if (!s) message(s.error, Buttons::Ok, Icon::Warning);
    return static_cast<bool>(s);
}

bool write_file_replacing(const std::string& path, std::span<const std::uint8_t> bytes) {
    return static_cast<bool>(write_file(path, bytes));
}

}  // namespace fw
