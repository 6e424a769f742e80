#include "io/mapfile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace zelvomat::io {

MappedFile::~MappedFile() { close(); }

MappedFile::MappedFile(MappedFile&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)), path_(std::move(other.path_)) {}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
    if (this != &other) {
        close();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        path_ = std::move(other.path_);
    }
    return *this;
}

void MappedFile::close() {
    if (data_ != nullptr) ::munmap(const_cast<std::uint8_t*>(data_), size_);
    data_ = nullptr;
    size_ = 0;
}

Result<MappedFile> MappedFile::open(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return error_status("cannot open file " + path + ": " + std::strerror(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const std::string e = std::strerror(errno);
        ::close(fd);
        return error_status("cannot examine file " + path + ": " + e);
    }
    MappedFile m;
    m.path_ = path;
    m.size_ = static_cast<std::size_t>(st.st_size);
    if (m.size_ > 0) {
        void* p = ::mmap(nullptr, m.size_, PROT_READ, MAP_PRIVATE, fd, 0);
        if (p == MAP_FAILED) {
            const std::string e = std::strerror(errno);
            ::close(fd);
            return error_status("cannot map file " + path + ": " + e);
        }
        m.data_ = static_cast<const std::uint8_t*>(p);
    }
    ::close(fd);  // the mapping stays valid without the descriptor
    return m;
}

}  // namespace zelvomat::io
