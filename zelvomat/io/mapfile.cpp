#include "io/mapfile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "io/sysfile.h"

namespace zelvomat::io {

MappedFile::~MappedFile() { close(); }

MappedFile::MappedFile(MappedFile&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      fd_(std::exchange(other.fd_, -1)),
      path_(std::move(other.path_)) {}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
    if (this != &other) {
        close();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

void MappedFile::close() {
    if (data_ != nullptr) ::munmap(const_cast<std::uint8_t*>(data_), size_);
    if (fd_ >= 0) ::close(fd_);
    data_ = nullptr;
    size_ = 0;
    fd_ = -1;
}

bool MappedFile::whole() const {
    if (fd_ < 0) return size_ == 0;
    struct stat st {};
    return ::fstat(fd_, &st) == 0 && static_cast<std::uint64_t>(st.st_size) >= size_;
}

Result<MappedFile> MappedFile::open(const std::string& path) {
    auto fd = sys::open_regular(path, O_RDONLY);
    if (!fd) return fd.status();
    auto size = sys::size_of(fd->get(), path);
    if (!size) return size.status();
    MappedFile m;
    m.path_ = path;
    m.size_ = static_cast<std::size_t>(*size);
    if (m.size_ > 0) {
        void* p = ::mmap(nullptr, m.size_, PROT_READ, MAP_PRIVATE, fd->get(), 0);
        if (p == MAP_FAILED) return error_status("cannot map file " + path + ": " + sys::error_text());
        m.data_ = static_cast<const std::uint8_t*>(p);
    }
    m.fd_ = fd->release();
    return m;
}

}  // namespace zelvomat::io
